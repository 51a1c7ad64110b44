// Model matrices of the level's objects. Positions mark the low-x, low-z corner of a cell.
#pragma once

#include <array>
#include <cstddef>
#include <glm/glm.hpp>
#include <vector>

namespace quillomar {

// Main pass: a quarter turn about x, y or z by the cube's index modulo 3, so that neighbouring
// cubes do not repeat the same texture orientation. The index counts every cube, drawn or not.
glm::mat4 cube_matrix(const glm::vec3& position, std::size_t index);

// Shadow and projector passes: cubes are not turned there.
glm::mat4 cube_depth_matrix(const glm::vec3& position);

// Every pass.
glm::mat4 item_matrix(const glm::vec3& position);

// The spider model faces −x; 0 for −x, π/2 for +z, −π/2 for −z, −π for +x.
float enemy_heading_angle(const glm::vec3& heading);

// The spider's placement and scale, before its heading turn.
glm::mat4 enemy_base_matrix(const glm::vec3& position);

// enemy_base_matrix turned by the heading angle about y; used in every pass.
glm::mat4 enemy_matrix(const glm::vec3& position, const glm::vec3& heading);

// Leg l: the spider's matrix moved by leg offset l, in the model's own units. Legs without an
// offset use the spider's matrix.
std::array<glm::mat4, 8> leg_matrices(const glm::mat4& spider,
                                      const std::vector<glm::vec3>& leg_offsets);

}  // namespace quillomar
