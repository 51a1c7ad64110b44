#include "physics/orbel.h"

#include <algorithm>
#include <cmath>
#include <glm/gtc/matrix_transform.hpp>

#include "common/float_maths.h"

namespace quillomar {
namespace {

constexpr float ball_mass = 0.05f;
constexpr float turn_torque = 0.1f;
constexpr float push_force = 0.25f;

std::unique_ptr<btRigidBody> make_ball_body(btDefaultMotionState* state, btSphereShape* shape,
                                            const btVector3& inertia) {
    btRigidBody::btRigidBodyConstructionInfo info(ball_mass, state, shape, inertia);
    info.m_linearDamping = 0.05f;
    info.m_angularDamping = 0.5f;
    info.m_friction = 0.5f;
    info.m_rollingFriction = 0.5f;
    info.m_restitution = 0.5f;
    return std::make_unique<btRigidBody>(info);
}

}  // namespace

glm::vec3 heading_from_rotation(const btQuaternion& q, const glm::vec3& previous) {
    const float w = std::clamp(static_cast<float>(q.w()), -1.0f, 1.0f);
    const float angle = 2.0f * fmath::acos(w);
    const float s_squared = 1.0f - w * w;
    glm::vec3 axis(1.0f, 0.0f, 0.0f);
    if (s_squared >= 1.1920929e-6f) {
        axis = glm::vec3(q.x(), q.y(), q.z()) / std::sqrt(s_squared);
    }
    const glm::vec3 v(0.0f, 0.0f, -1.0f);
    const glm::vec3 o = axis * glm::dot(axis, v);
    const glm::vec3 rotated =
        o + (v - o) * fmath::cos(angle) + glm::cross(axis, v) * fmath::sin(angle);
    const glm::vec2 flat(rotated.x, rotated.z);
    const float length = glm::length(flat);
    if (!(length > 1e-6f) || !std::isfinite(length)) {
        return previous;
    }
    return glm::vec3(flat.x / length, 0.0f, flat.y / length);
}

namespace {

// The steering sphere's start rotation: a turn right is a negative turn about y. North is the
// identity, so a level that names no facing starts exactly as it always has.
btQuaternion start_turn(int quarter_turns, glm::vec3& heading) {
    constexpr float half = 0.70710678f;  // sin and cos of 45 degrees
    switch (quarter_turns & 3) {
        case 1:
            heading = glm::vec3(1.0f, 0.0f, 0.0f);
            return btQuaternion(0.0f, -half, 0.0f, half);
        case 2:
            heading = glm::vec3(0.0f, 0.0f, 1.0f);
            return btQuaternion(0.0f, 1.0f, 0.0f, 0.0f);
        case 3:
            heading = glm::vec3(-1.0f, 0.0f, 0.0f);
            return btQuaternion(0.0f, half, 0.0f, half);
        default:
            heading = glm::vec3(0.0f, 0.0f, -1.0f);
            return btQuaternion(0, 0, 0, 1);
    }
}

}  // namespace

void orbel::init(const glm::vec2& start, int quarter_turns) {
    start_quarter_turns = quarter_turns & 3;
    steered = 0;
    position = glm::vec3(start.x, 25.0f, start.y);
    const btQuaternion turn = start_turn(quarter_turns, heading);
    shape = std::make_unique<btSphereShape>(1.0f);
    motion_state = std::make_unique<btDefaultMotionState>(
        btTransform(btQuaternion(0, 0, 0, 1), btVector3(position.x, position.y, position.z)));
    mass = ball_mass;
    btVector3 local_inertia(0, 0, 0);
    shape->calculateLocalInertia(mass, local_inertia);
    inertia = glm::vec3(local_inertia.x(), local_inertia.y(), local_inertia.z());
    body = make_ball_body(motion_state.get(), shape.get(), local_inertia);
    heading_motion_state =
        std::make_unique<btDefaultMotionState>(btTransform(turn, btVector3(0, 0, 0)));
    heading_body = make_ball_body(heading_motion_state.get(), shape.get(), local_inertia);
}

void orbel::destroy_bodies() {
    body.reset();
    motion_state.reset();
    heading_body.reset();
    heading_motion_state.reset();
}

void orbel::steer(std::int32_t millidegrees) {
    constexpr std::int32_t full_turn = 360000;
    steered = static_cast<std::int32_t>(
        (static_cast<std::int64_t>(steered) + millidegrees % full_turn + full_turn) % full_turn);
    // A quarter turn right is 90 degrees less yaw about y; the half angle builds the rotation.
    const std::int32_t yaw = (steered - 90000 * start_quarter_turns + 2 * full_turn) % full_turn;
    const float half = static_cast<float>(yaw) * (3.14159265f / 360000.0f);
    const btQuaternion turn(0.0f, fmath::sin(half), 0.0f, fmath::cos(half));
    btTransform transform = heading_body->getCenterOfMassTransform();
    transform.setRotation(turn);
    heading_body->setCenterOfMassTransform(transform);
    heading_body->setAngularVelocity(btVector3(0, 0, 0));
    heading_motion_state->setWorldTransform(transform);
}

void orbel::control(const ball_controls& controls) {
    torque = glm::vec3(0.0f);
    force = glm::vec3(0.0f);
    if (controls.steer != 0) {
        steer(controls.steer);
        btTransform heading_transform;
        heading_motion_state->getWorldTransform(heading_transform);
        heading = heading_from_rotation(heading_transform.getRotation(), heading);
    }
    if (controls.turn_left) {
        torque.y = turn_torque * controls.turn_share;
        heading_body->activate();
        body->activate();
    }
    if (controls.turn_right) {
        torque.y = -turn_torque * controls.turn_share;
        heading_body->activate();
        body->activate();
    }
    const btVector3 turn(torque.x, torque.y, torque.z);
    heading_body->applyTorque(turn);
    body->applyTorque(turn);
    if (controls.forward) {
        const float push = push_force * controls.push_share;
        force = glm::vec3(push * heading.x, 0.0f, push * heading.z);
        body->activate();
        body->applyCentralForce(btVector3(force.x, force.y, force.z));
    }
    if (controls.back) {
        const float push = push_force * controls.push_share;
        force = glm::vec3(-push * heading.x, 0.0f, -push * heading.z);
        body->activate();
        body->applyCentralForce(btVector3(force.x, force.y, force.z));
    }
    sync();
}

void orbel::sync() {
    btTransform transform;
    body->getMotionState()->getWorldTransform(transform);
    const btVector3& origin = transform.getOrigin();
    position = glm::vec3(origin.x(), origin.y(), origin.z());
    const btQuaternion q = transform.getRotation();
    rotation = glm::quat(q.w(), q.x(), q.y(), q.z());

    btTransform heading_transform;
    heading_body->getMotionState()->getWorldTransform(heading_transform);
    heading = heading_from_rotation(heading_transform.getRotation(), heading);
}

glm::mat4 orbel::model_matrix() const {
    return glm::translate(glm::mat4(1.0f), position) * glm::mat4_cast(rotation);
}

}  // namespace quillomar
