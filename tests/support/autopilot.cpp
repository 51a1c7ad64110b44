#include "tests/support/autopilot.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace quillomar::test {
namespace {

// The angle that turns heading h onto direction d, positive in the sense A turns.
float signed_angle(const glm::vec2& h, const glm::vec2& d) {
    return std::atan2(h.y * d.x - h.x * d.y, h.x * d.x + h.y * d.y);
}

}  // namespace

autopilot::autopilot(const game_state& game, std::vector<waypoint> route, float spider_margin)
    : game_(game), route_(std::move(route)), lives_seen_(game.lives), spider_margin_(spider_margin) {}

std::string autopilot::status() const {
    std::ostringstream out;
    out << "waypoint " << next_ << "/" << route_.size() << " ball (" << game_.ball.position.x
        << ", " << game_.ball.position.y << ", " << game_.ball.position.z << ") lives "
        << game_.lives << " changes " << game_.change_count;
    return out.str();
}

std::set<command> autopilot::keys() {
    if (game_.lives != lives_seen_) {
        lives_seen_ = game_.lives;
        next_ = 0;
        flip_phase_ = 0;
        settle_steps_ = 0;
    }
    const btVector3 v = game_.ball.body->getLinearVelocity();
    // Nothing to steer while dying, or while the ball still drops onto its start.
    if (game_.dying || game_.won || next_ >= route_.size() ||
        (game_.ball.position.y > 20.0f && v.y() < -0.5f)) {
        return {};
    }
    const waypoint& wp = route_[next_];
    const glm::vec2 position(game_.ball.position.x, game_.ball.position.z);
    const glm::vec2 velocity(v.x(), v.z());
    const glm::vec2 to_target = wp.target - position;
    const float distance = glm::length(to_target);

    if (wp.flip) {
        if (flip_phase_ == 0 && distance < 0.7f && glm::length(velocity) < 0.4f) {
            flip_phase_ = 1;
        }
        if (flip_phase_ == 1) {
            if (game_.level.flipping) {
                flip_phase_ = 2;
                return {};
            }
            return {command::flip};
        }
        if (flip_phase_ == 2) {
            if (game_.level.flipping) {
                return {};
            }
            if (++settle_steps_ < 90) {
                return steer_towards(glm::vec2(0.0f));
            }
            flip_phase_ = 0;
            settle_steps_ = 0;
            ++next_;
            return {};
        }
    } else if (distance < 1.0f) {
        ++next_;
        return keys();
    }
    // Slow down towards the waypoint's own speed as it comes near.
    const float speed = std::min(std::max(wp.speed, 4.0f), std::max(wp.speed, 1.2f * distance));
    glm::vec2 desired = distance > 1e-4f ? to_target / distance * speed : glm::vec2(0.0f);
    // Keep clear of spiders on the ball's own level: back off from any closer than the margin.
    for (const glm::vec3& e : game_.level.enemies) {
        const glm::vec2 away = position - glm::vec2(e.x, e.z);
        const float gap = glm::length(away);
        if (gap < spider_margin_ && gap > 1e-4f && std::fabs(e.y - game_.ball.position.y) < 2.0f) {
            desired += away / gap * (spider_margin_ - gap) * 3.0f;
        }
    }
    return steer_towards(desired);
}

std::set<command> autopilot::steer_towards(const glm::vec2& desired_velocity) {
    std::set<command> held;
    const btVector3 v = game_.ball.body->getLinearVelocity();
    const glm::vec2 error = desired_velocity - glm::vec2(v.x(), v.z());
    const glm::vec2 heading(game_.ball.heading.x, game_.ball.heading.z);
    const float error_size = glm::length(error);

    // Push along the error: W when the heading points that way, S when it points away.
    glm::vec2 axis = error_size > 1e-4f ? error / error_size : heading;
    const bool backwards = glm::dot(heading, axis) < 0.0f;
    if (backwards) {
        axis = -axis;
    }
    const float angle = signed_angle(heading, axis);
    if (error_size > 0.25f && std::fabs(angle) < 0.35f) {
        held.insert(backwards ? command::back : command::forward);
    }

    // The steering sphere coasts: aim for a turn rate that fades as the heading lines up.
    const float spin = game_.ball.heading_body->getAngularVelocity().y();
    const float wanted_spin = error_size > 0.25f ? std::clamp(3.0f * angle, -2.5f, 2.5f) : 0.0f;
    if (spin < wanted_spin - 0.15f) {
        held.insert(command::turn_left);
    } else if (spin > wanted_spin + 0.15f) {
        held.insert(command::turn_right);
    }
    return held;
}

}  // namespace quillomar::test
