// Draws one spider. Meshes 2 to 9 of the spider model are its eight legs, each drawn with its own
// leg matrix; every other mesh is the body, drawn with the spider's model matrix.
#pragma once

#include <GL/glew.h>

#include <array>
#include <glm/glm.hpp>
#include <string>

#include "framework/asset_paths.h"
#include "render/model.h"

namespace quillomar {

struct preloaded_assets;

struct enemy {
    quillomar::model model;
    GLuint program = 0;

    static constexpr std::size_t first_leg_mesh = 2;
    static constexpr std::size_t leg_count = 8;

    void init(const std::string& path = assets::spider_model,
              preloaded_assets* preloaded = nullptr);

    // `shadow` includes the heading rotation of `m`; `projected` and `projected2` are taken
    // before it. The sampling options are stored into every mesh.
    void draw(const glm::mat4& projection, const glm::mat4& view, const glm::mat4& m,
              const glm::mat4& shadow, const glm::mat4& projected, const glm::mat4& projected2,
              const glm::vec3& light_pos, const glm::vec3& cam_pos,
              const std::array<glm::mat4, leg_count>& legs, unsigned mipmap_mode,
              bool nearest_sampling);
};

}  // namespace quillomar
