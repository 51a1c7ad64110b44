// Draws one collectable item with the object shader program.
#pragma once

#include <GL/glew.h>

#include <glm/glm.hpp>
#include <string>

#include "framework/asset_paths.h"
#include "render/model.h"

namespace quillomar {

struct item {
    quillomar::model model;
    GLuint program = 0;

    void init(const std::string& path = assets::item_model);

    // Arguments as for cube::draw.
    void draw(const glm::mat4& projection, const glm::mat4& view, const glm::mat4& m,
              const glm::mat4& shadow, const glm::mat4& projected, const glm::mat4& projected2,
              const glm::vec3& light_pos, const glm::vec3& cam_pos, unsigned mipmap_mode,
              bool nearest_sampling);
};

}  // namespace quillomar
