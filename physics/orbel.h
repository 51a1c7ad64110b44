// The player's ball: a rolling sphere body, and a second sphere whose only use is its rotation,
// which A and D spin and from which W and S read the push direction.
#pragma once

#include <btBulletDynamicsCommon.h>

#include <GL/glew.h>
#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>
#include <memory>

#include "render/model.h"

struct GLFWwindow;

namespace quillomar {

struct orbel {
    glm::vec3 position{0.0f};
    glm::vec3 heading{0.0f};
    glm::quat rotation{1.0f, 0.0f, 0.0f, 0.0f};
    std::unique_ptr<btDefaultMotionState> motion_state;
    std::unique_ptr<btDefaultMotionState> heading_motion_state;
    float mass = 1.0f;
    glm::vec3 inertia{0.0f};
    std::unique_ptr<btRigidBody> body;
    std::unique_ptr<btRigidBody> heading_body;
    glm::vec3 torque{0.0f};
    glm::vec3 force{0.0f};
    GLuint program = 0;
    ::quillomar::model model;
    std::unique_ptr<btSphereShape> shape;

    // Builds both bodies for a drop from y = 25 onto the start cell (x, z); the caller adds
    // them to the world, body first. The model is loaded on the first call only, and a previous
    // shape is released (its bodies must already be gone).
    void init(const glm::vec2& start);

    // Reads W, A, S, D, applies this frame's torque and force, then syncs.
    void control(GLFWwindow* window);

    // Copies position and rotation from the rolling body and the heading from the steering one.
    void sync();

    void draw(const glm::mat4& projection, const glm::mat4& view, const glm::mat4& shadow_matrix,
              const glm::mat4& projected_matrix, const glm::mat4& projected_matrix2,
              const glm::vec3& light_pos, const glm::vec3& cam_pos, unsigned mipmap_mode,
              bool nearest_sampling);
    void draw_depth(const glm::mat4& vp, GLint location) const;

    glm::mat4 model_matrix() const;

    // Releases the bodies and their motion states (already out of any world).
    void destroy_bodies();

private:
    bool model_loaded_ = false;
};

// The horizontal unit direction that (0, 0, -1) points to after the rotation q; `previous` when
// the rotated vector is vertical.
glm::vec3 heading_from_rotation(const btQuaternion& q, const glm::vec3& previous);

}  // namespace quillomar
