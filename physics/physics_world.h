// The physics world: gravity, the ground plane far below the level that catches a falling ball,
// one static box body per cube, and the ball's two bodies.
#pragma once

#include <btBulletDynamicsCommon.h>

#include <glm/glm.hpp>
#include <memory>
#include <vector>

#include "physics/orbel.h"

namespace quillomar {

class physics_world {
public:
    // Builds the world with the ground plane, the ball's bodies and one body per cube.
    physics_world(orbel& ball, const std::vector<glm::vec3>& cubes);
    // Takes every body out of the world before the world goes.
    ~physics_world();
    physics_world(const physics_world&) = delete;
    physics_world& operator=(const physics_world&) = delete;

    // Advances by dt seconds in fixed 1/60 s sub-steps, at most two; returns the sub-steps taken.
    int step(float dt);

    // Replaces the cube bodies with new ones at the cubes' current positions.
    void build_cube_bodies(const std::vector<glm::vec3>& cubes);
    // Takes the cube bodies out of the world while the cubes move.
    void remove_cube_bodies();

    // Swaps the ball's bodies for new ones: the old ones leave the world and are destroyed, the
    // ball is initialised at `start`, heading as orbel::init turns it, and its new bodies join
    // the world.
    void replace_ball(const glm::vec2& start, int quarter_turns = 0);

    // True when the rolling ball touches the ground plane: it fell off the level.
    bool ball_on_ground() const;

    btDiscreteDynamicsWorld& world() { return *world_; }

private:
    void add_ball_bodies();
    void remove_ball_bodies();

    orbel& ball_;
    std::unique_ptr<btDbvtBroadphase> broadphase_;
    std::unique_ptr<btDefaultCollisionConfiguration> collision_configuration_;
    std::unique_ptr<btCollisionDispatcher> dispatcher_;
    std::unique_ptr<btSequentialImpulseConstraintSolver> solver_;
    std::unique_ptr<btDiscreteDynamicsWorld> world_;
    std::unique_ptr<btStaticPlaneShape> ground_shape_;
    std::unique_ptr<btBoxShape> cube_shape_;
    std::unique_ptr<btDefaultMotionState> ground_motion_state_;
    std::unique_ptr<btRigidBody> ground_body_;
    std::vector<std::unique_ptr<btRigidBody>> cube_bodies_;
    int substeps_ = 0;
};

}  // namespace quillomar
