#include "physics/physics_world.h"

namespace quillomar {
namespace {

constexpr float physics_substep = 1.0f / 60.0f;
constexpr int max_physics_substeps = 2;
// Closer than this to the ground plane, the ball has reached it.
constexpr float ground_contact_distance = 0.05f;

// Collision groups. The steering sphere only ever rests on the ground plane: the rolling ball
// must never land on it (it lies right under the world origin), and cubes must not throw it.
constexpr int group_ground = 1 << 0;
constexpr int group_cubes = 1 << 1;
constexpr int group_ball = 1 << 2;
constexpr int group_steering = 1 << 3;

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

physics_world::physics_world(orbel& ball, const std::vector<glm::vec3>& cubes) : ball_(ball) {
    broadphase_ = std::make_unique<btDbvtBroadphase>();
    // The ball and its steering sphere touch a handful of cubes at a time; Bullet's default pools
    // of 4096 contacts and algorithms take megabytes, and grow from the heap when they run out.
    btDefaultCollisionConstructionInfo pools;
    pools.m_defaultMaxPersistentManifoldPoolSize = 256;
    pools.m_defaultMaxCollisionAlgorithmPoolSize = 256;
    collision_configuration_ = std::make_unique<btDefaultCollisionConfiguration>(pools);
    dispatcher_ = std::make_unique<btCollisionDispatcher>(collision_configuration_.get());
    solver_ = std::make_unique<btSequentialImpulseConstraintSolver>();
    world_ = std::make_unique<btDiscreteDynamicsWorld>(
        dispatcher_.get(), broadphase_.get(), solver_.get(), collision_configuration_.get());
    world_->setGravity(btVector3(0, -10, 0));
    // Cube bodies never move (a flip replaces them), so only moving bodies need new bounds each
    // step; by default the world recomputes every body's, thousands of cubes included.
    world_->setForceUpdateAllAabbs(false);
    world_->setInternalTickCallback(
        [](btDynamicsWorld* world, btScalar) {
            ++static_cast<physics_world*>(world->getWorldUserInfo())->substeps_;
        },
        this);

    // The ground plane lies at y = -19, far below the level: touching it means the ball fell.
    ground_shape_ = std::make_unique<btStaticPlaneShape>(btVector3(0, 1, 0), 1.0f);
    cube_shape_ = std::make_unique<btBoxShape>(btVector3(1, 1, 1));
    ground_motion_state_ = std::make_unique<btDefaultMotionState>(
        btTransform(btQuaternion(0, 0, 0, 1), btVector3(0, -20, 0)));
    btRigidBody::btRigidBodyConstructionInfo ground_info(0.0f, ground_motion_state_.get(),
                                                         ground_shape_.get(), btVector3(0, 0, 0));
    ground_info.m_friction = 0.5f;
    ground_info.m_restitution = 0.0f;
    ground_body_ = std::make_unique<btRigidBody>(ground_info);

    world_->addRigidBody(ground_body_.get(), group_ground, group_ball | group_steering);
    add_ball_bodies();
    build_cube_bodies(cubes);
}

physics_world::~physics_world() {
    remove_ball_bodies();
    ball_.destroy_bodies();
    ball_.shape.reset();
    for (std::unique_ptr<btRigidBody>& body : cube_bodies_) {
        destroy_body(world_.get(), body);
    }
    if (ground_body_->isInWorld()) {
        world_->removeRigidBody(ground_body_.get());
    }
}

int physics_world::step(float dt) {
    substeps_ = 0;
    world_->stepSimulation(dt, max_physics_substeps, physics_substep);
    return substeps_;
}

void physics_world::build_cube_bodies(const std::vector<glm::vec3>& cubes) {
    for (std::unique_ptr<btRigidBody>& body : cube_bodies_) {
        destroy_body(world_.get(), body);
    }
    cube_bodies_.clear();
    cube_bodies_.reserve(cubes.size());
    for (const glm::vec3& p : cubes) {
        auto* state = new btDefaultMotionState(
            btTransform(btQuaternion(0, 0, 0, 1), btVector3(p.x, p.y, p.z)));
        btRigidBody::btRigidBodyConstructionInfo info(0.0f, state, cube_shape_.get(),
                                                      btVector3(0, 0, 0));
        info.m_friction = 0.5f;
        info.m_restitution = 0.5f;
        cube_bodies_.push_back(std::make_unique<btRigidBody>(info));
        world_->addRigidBody(cube_bodies_.back().get(), group_cubes, group_ball);
    }
}

void physics_world::remove_cube_bodies() {
    for (const std::unique_ptr<btRigidBody>& body : cube_bodies_) {
        if (body && body->isInWorld()) {
            world_->removeRigidBody(body.get());
        }
    }
}

void physics_world::replace_ball(const glm::vec2& start, int quarter_turns) {
    remove_ball_bodies();
    ball_.destroy_bodies();
    ball_.init(start, quarter_turns);
    add_ball_bodies();
}

void physics_world::add_ball_bodies() {
    if (ball_.body && ball_.heading_body) {
        world_->addRigidBody(ball_.body.get(), group_ball, group_ground | group_cubes);
        world_->addRigidBody(ball_.heading_body.get(), group_steering, group_ground);
    }
}

void physics_world::remove_ball_bodies() {
    for (btRigidBody* body : {ball_.body.get(), ball_.heading_body.get()}) {
        if (body != nullptr && body->isInWorld()) {
            world_->removeRigidBody(body);
        }
    }
}

bool physics_world::ball_on_ground() const {
    // Any contact counts, not only a penetrating one: a ball that drops softly from a low edge
    // can first touch the plane a little above it and then rest exactly on it, and would
    // otherwise roll around down there for ever.
    const int manifolds = dispatcher_->getNumManifolds();
    for (int i = 0; i < manifolds; ++i) {
        const btPersistentManifold* manifold = dispatcher_->getManifoldByIndexInternal(i);
        const bool ball_and_ground = (manifold->getBody0() == ball_.body.get() &&
                                      manifold->getBody1() == ground_body_.get()) ||
                                     (manifold->getBody1() == ball_.body.get() &&
                                      manifold->getBody0() == ground_body_.get());
        if (!ball_and_ground) {
            continue;
        }
        for (int c = 0; c < manifold->getNumContacts(); ++c) {
            if (manifold->getContactPoint(c).getDistance() < ground_contact_distance) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace quillomar
