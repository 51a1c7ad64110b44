#include "game/quillomar_game.h"

namespace quillomar {
namespace {

// Takes the body out of the world (when it is in one) and frees its motion state with it.
void destroy_body(btDiscreteDynamicsWorld* world, std::unique_ptr<btRigidBody>& body) {
    if (!body) {
        return;
    }
    if (world != nullptr && body->isInWorld()) {
        world->removeRigidBody(body.get());
    }
    delete body->getMotionState();
    body.reset();
}

}  // namespace

void quillomar_game::create_physics_world() {
    broadphase = std::make_unique<btDbvtBroadphase>();
    collision_configuration = std::make_unique<btDefaultCollisionConfiguration>();
    dispatcher = std::make_unique<btCollisionDispatcher>(collision_configuration.get());
    solver = std::make_unique<btSequentialImpulseConstraintSolver>();
    dynamics_world = std::make_unique<btDiscreteDynamicsWorld>(
        dispatcher.get(), broadphase.get(), solver.get(), collision_configuration.get());
    dynamics_world->setGravity(btVector3(0, -10, 0));
    // Cube bodies never move (a flip replaces them), so only moving bodies need new bounds each
    // step; by default the world recomputes every body's, thousands of cubes included.
    dynamics_world->setForceUpdateAllAabbs(false);
    // Counts the fixed sub-steps the world really takes, for tests and the benchmark.
    dynamics_world->setInternalTickCallback(
        [](btDynamicsWorld* world, btScalar) {
            ++static_cast<quillomar_game*>(world->getWorldUserInfo())->last_physics_steps;
        },
        this);

    // The ground plane lies at y = -19, far below the level: touching it means the ball fell.
    ground_shape = std::make_unique<btStaticPlaneShape>(btVector3(0, 1, 0), 1.0f);
    cube_shape = std::make_unique<btBoxShape>(btVector3(1, 1, 1));
    ground_motion_state = std::make_unique<btDefaultMotionState>(
        btTransform(btQuaternion(0, 0, 0, 1), btVector3(0, -20, 0)));
    btRigidBody::btRigidBodyConstructionInfo ground_info(0.0f, ground_motion_state.get(),
                                                         ground_shape.get(), btVector3(0, 0, 0));
    ground_info.m_friction = 0.5f;
    ground_info.m_restitution = 0.0f;
    ground_body = std::make_unique<btRigidBody>(ground_info);

    dynamics_world->addRigidBody(ground_body.get());
    add_ball_bodies();
    build_cube_bodies();
}

void quillomar_game::build_cube_bodies() {
    for (std::unique_ptr<btRigidBody>& body : cube_bodies) {
        destroy_body(dynamics_world.get(), body);
    }
    cube_bodies.clear();
    if (!dynamics_world) {
        return;
    }
    cube_bodies.reserve(level.cubes.size());
    for (const glm::vec3& p : level.cubes) {
        auto* state = new btDefaultMotionState(
            btTransform(btQuaternion(0, 0, 0, 1), btVector3(p.x, p.y, p.z)));
        btRigidBody::btRigidBodyConstructionInfo info(0.0f, state, cube_shape.get(),
                                                      btVector3(0, 0, 0));
        info.m_friction = 0.5f;
        info.m_restitution = 0.5f;
        cube_bodies.push_back(std::make_unique<btRigidBody>(info));
        dynamics_world->addRigidBody(cube_bodies.back().get());
    }
}

void quillomar_game::remove_cube_bodies() {
    for (const std::unique_ptr<btRigidBody>& body : cube_bodies) {
        if (body && body->isInWorld()) {
            dynamics_world->removeRigidBody(body.get());
        }
    }
}

void quillomar_game::add_ball_bodies() {
    if (dynamics_world && ball.body && ball.heading_body) {
        dynamics_world->addRigidBody(ball.body.get());
        dynamics_world->addRigidBody(ball.heading_body.get());
    }
}

void quillomar_game::remove_ball_bodies() {
    if (!dynamics_world) {
        return;
    }
    for (btRigidBody* body : {ball.body.get(), ball.heading_body.get()}) {
        if (body != nullptr && body->isInWorld()) {
            dynamics_world->removeRigidBody(body);
        }
    }
}

void quillomar_game::destroy_physics_world() {
    remove_ball_bodies();
    ball.destroy_bodies();
    for (std::unique_ptr<btRigidBody>& body : cube_bodies) {
        destroy_body(dynamics_world.get(), body);
    }
    cube_bodies.clear();
    if (ground_body) {
        if (dynamics_world && ground_body->isInWorld()) {
            dynamics_world->removeRigidBody(ground_body.get());
        }
        ground_motion_state.reset();
        ground_body.reset();
    }
    ground_shape.reset();
    cube_shape.reset();
    dynamics_world.reset();
    solver.reset();
    dispatcher.reset();
    collision_configuration.reset();
    broadphase.reset();
    ball.shape.reset();
}

}  // namespace quillomar
