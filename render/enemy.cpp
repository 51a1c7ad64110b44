#include "render/enemy.h"

#include "render/object_uniforms.h"

namespace quillomar {

void enemy::init(const std::string& path, preloaded_assets* preloaded) {
    model.load_model(path, preloaded);
}

void enemy::draw(const glm::mat4& projection, const glm::mat4& view, const glm::mat4& m,
                 const glm::mat4& shadow, const glm::mat4& projected, const glm::mat4& projected2,
                 const glm::vec3& light_pos, const glm::vec3& cam_pos,
                 const std::array<glm::mat4, leg_count>& legs, unsigned mipmap_mode,
                 bool nearest_sampling) {
    set_object_uniforms(
        program, {projection, view, nullptr, light_pos, cam_pos, shadow, projected, projected2});
    for (std::size_t k = 0; k < model.meshes.size(); ++k) {
        const bool leg = k >= first_leg_mesh && k < first_leg_mesh + leg_count;
        set_matrix_uniform(program, "model", leg ? legs[k - first_leg_mesh] : m);
        mesh& part = model.meshes[k];
        part.mipmap_mode = static_cast<int>(mipmap_mode);
        part.nearest_sampling = nearest_sampling;
        part.draw(program);
    }
}

}  // namespace quillomar
