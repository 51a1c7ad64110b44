#include "game/state_hash.h"

#include <cstring>

namespace quillomar {
namespace {

// FNV-1a over each value's bytes, least significant first, so that every build hashes the same
// bytes whatever its byte order.
class fnv1a {
public:
    void add(std::uint64_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            hash_ = (hash_ ^ ((value >> (8 * i)) & 0xffu)) * 0x100000001b3ULL;
        }
    }
    void add(float value) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        add(bits, 4);
    }
    void add(double value) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        add(bits, 8);
    }
    void add(bool value) { add(value ? 1u : 0u, 1); }
    void add(int value) { add(static_cast<std::uint32_t>(value), 4); }
    void add(long value) { add(static_cast<std::uint64_t>(value), 8); }
    void add(const btVector3& v) {
        add(static_cast<float>(v.x()));
        add(static_cast<float>(v.y()));
        add(static_cast<float>(v.z()));
    }
    void add(const btQuaternion& q) {
        add(static_cast<float>(q.x()));
        add(static_cast<float>(q.y()));
        add(static_cast<float>(q.z()));
        add(static_cast<float>(q.w()));
    }
    void add(const glm::vec3& v) {
        add(v.x);
        add(v.y);
        add(v.z);
    }
    void add(const glm::quat& q) {
        add(q.x);
        add(q.y);
        add(q.z);
        add(q.w);
    }
    template <typename T>
    void add_all(const std::vector<T>& values) {
        add(static_cast<std::uint64_t>(values.size()), 8);
        for (const T& value : values) {
            add(value);
        }
    }
    // A body that is not there counts as a marker, so that "no body" never equals a body.
    void add(const btRigidBody* body) {
        add(body != nullptr);
        if (body != nullptr) {
            add(body->getWorldTransform().getOrigin());
            add(body->getWorldTransform().getRotation());
            add(body->getLinearVelocity());
            add(body->getAngularVelocity());
        }
    }
    std::uint64_t value() const { return hash_; }

private:
    std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

}  // namespace

std::uint64_t state_hash(const game_state& s) {
    fnv1a h;
    h.add(s.ball.body.get());
    h.add(s.ball.heading_body.get());
    h.add(s.ball.position);
    h.add(s.ball.rotation);
    h.add(s.ball.heading);

    h.add(s.lives);
    h.add(s.change_count);
    h.add(s.dying);
    h.add(s.death_time);
    h.add(s.won);
    h.add(s.lost);
    h.add(s.play_started);
    h.add(s.finish_time);
    h.add(s.clock_time);
    h.add_all(s.splits.items);
    h.add(s.splits.finish);
    h.add(s.updates_run);

    const level& lvl = s.level;
    h.add_all(lvl.cubes);
    h.add_all(lvl.items);
    h.add_all(lvl.enemies);
    h.add_all(lvl.headings);
    h.add_all(lvl.leg_offsets);
    h.add(lvl.flipping);
    h.add(lvl.flipped);
    h.add(lvl.flip_started);

    // The stream's next number stands for its state.
    random_stream next = s.random;
    h.add(static_cast<std::uint64_t>(next.next()), 4);
    return h.value();
}

std::string hash_text(std::uint64_t hash) {
    static const char digits[] = "0123456789abcdef";
    std::string text(16, '0');
    for (int i = 15; i >= 0; --i, hash >>= 4) {
        text[static_cast<std::size_t>(i)] = digits[hash & 0xfu];
    }
    return text;
}

}  // namespace quillomar
