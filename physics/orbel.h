// The player's ball: a rolling sphere body, and a second sphere whose only use is its rotation,
// which turning spins and from which pushing reads the direction.
#pragma once

#include <btBulletDynamicsCommon.h>

#include <cstdint>

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>
#include <memory>

namespace quillomar {

// The player's hold on the ball in one frame.
struct ball_controls {
    bool forward = false;
    bool back = false;
    bool turn_left = false;
    bool turn_right = false;
    // Shares of the full push and turn, 0 to 1.
    float push_share = 1.0f;
    float turn_share = 1.0f;
    // Direct steering's turn of the heading, thousandths of a degree, left positive (see
    // orbel::steer).
    std::int32_t steer = 0;
};

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
    std::unique_ptr<btSphereShape> shape;
    // Direct steering keeps the heading as a whole number of thousandths of a degree turned left
    // from the start facing, so a turn is exact and the same on every build.
    int start_quarter_turns = 0;
    std::int32_t steered = 0;

    // Builds both bodies for a drop from y = 25 onto the start cell (x, z), heading north (0, 0,
    // -1) turned right a quarter `quarter_turns` times; the caller adds them to the world, body
    // first. A previous shape is released (its bodies must be gone).
    void init(const glm::vec2& start, int quarter_turns = 0);

    // Applies this frame's torque and force from the controls, then syncs. Turning left and
    // right together turns right; pushing both ways together cancels out. A steer turns the
    // heading first, so the push goes the new way.
    void control(const ball_controls& controls);

    // Turns the heading by `millidegrees` (left positive) at once: the steering sphere is set to
    // the new rotation with no spin, and the rolling ball is not touched.
    void steer(std::int32_t millidegrees);

    // Copies position and rotation from the rolling body and the heading from the steering one.
    void sync();

    // Where the ball is and how it has rolled, for drawing.
    glm::mat4 model_matrix() const;

    // Releases the bodies and their motion states (already out of any world).
    void destroy_bodies();
};

// The horizontal unit direction that (0, 0, -1) points to after the rotation q; `previous` when
// the rotated vector is vertical.
glm::vec3 heading_from_rotation(const btQuaternion& q, const glm::vec3& previous);

}  // namespace quillomar
