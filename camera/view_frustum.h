// The camera's view volume as six planes, rebuilt every frame, and the bounding-sphere test the
// level's main pass uses to skip cubes and items that cannot be seen.
#pragma once

#include <array>
#include <glm/glm.hpp>

namespace quillomar {

struct view_frustum {
    // `normal` has unit length and points into the frustum; normal · p + d is the signed
    // distance of p, positive inside.
    struct plane {
        glm::vec3 normal{0.0f};
        float d = 0.0f;
    };

    static constexpr int outside = 0;
    static constexpr int intersect = 1;
    static constexpr int inside = 2;

    // Indices into `planes`; the sphere test visits them in this order.
    static constexpr int top = 0;
    static constexpr int bottom = 1;
    static constexpr int left = 2;
    static constexpr int right = 3;
    static constexpr int near_plane = 4;
    static constexpr int far_plane = 5;

    std::array<plane, 6> planes{};
    float near_d = 0.0f;
    float far_d = 0.0f;
    float ratio = 0.0f;
    float angle = 0.0f;  // the projection's fovy argument, radians as perspective() takes it
    float tang = 0.0f;
    float nw = 0.0f;
    float nh = 0.0f;

    // Takes the same arguments as the camera's perspective(): `angle` in radians exactly as given
    // there, so the planes enclose what the projection really shows (45 gives about 58 degrees).
    void set_internals(float angle, float ratio, float near_d, float far_d);

    // Rebuilds the planes for an eye looking at `look_at`. When the eye sits on the look-at point
    // or looks along `up` there is no valid orientation, and the previous planes stay in place.
    void set_camera(const glm::vec3& eye, const glm::vec3& look_at, const glm::vec3& up);

    // Every sphere is tested 1.5 units larger than asked. All six planes are visited and the last
    // plane that comes within reach of the sphere decides, so a sphere beyond one plane can still
    // come back as `intersect`.
    int sphere_in_frustum(const glm::vec3& center, float radius) const;
};

}  // namespace quillomar
