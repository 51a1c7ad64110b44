// Shapes for the generated models: ellipsoids with sphere-mapped texture coordinates and tapered
// tubes along a path. Shapes are built in world units and stored in a model's own units, so a model
// that the game draws with a non-uniform scale still comes out in the intended proportions.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

#include <glm/glm.hpp>

#include "tools/asset_generation/obj_writer.h"

namespace quillomar::tools {

inline constexpr double pi = 3.14159265358979323846;

// The scale the game applies to the model: world = model * scale. Normals go the other way round
// (by the inverse transpose), so they are multiplied by the scale here.
struct model_space {
    glm::dvec3 scale{1.0};

    corner to_model(corner c) const {
        c.position /= scale;
        c.normal = glm::normalize(c.normal * scale);
        return c;
    }
};

// Turns the face round when its corners run clockwise about the normals they carry, so every face
// is front-facing (counter-clockwise) from outside whichever way its texture runs.
inline face oriented(face f) {
    glm::dvec3 geometric(0.0);
    glm::dvec3 normals(0.0);
    for (std::size_t i = 0; i < f.size(); ++i) {
        const glm::dvec3& a = f[i].position;
        const glm::dvec3& b = f[(i + 1) % f.size()].position;
        geometric += glm::dvec3((a.y - b.y) * (a.z + b.z), (a.z - b.z) * (a.x + b.x),
                                (a.x - b.x) * (a.y + b.y));
        normals += f[i].normal;
    }
    if (glm::dot(geometric, normals) < 0.0) {
        std::reverse(f.begin(), f.end());
    }
    return f;
}

inline void add_face(std::vector<face>& faces, face f, const model_space& space) {
    for (corner& c : f) {
        c = space.to_model(c);
    }
    faces.push_back(oriented(f));
}

// The unit direction for sphere-map coordinates: u runs once round the y axis, v from the top pole
// (v = 0) to the bottom one.
inline glm::dvec3 sphere_direction(double u, double v) {
    const double theta = pi * v;
    const double phi = 2.0 * pi * u;
    return glm::dvec3(std::sin(theta) * std::cos(phi), std::cos(theta),
                      -std::sin(theta) * std::sin(phi));
}

// An ellipsoid of `segments` slices round y and `rings` stacks, with triangles at the poles so no
// face has a degenerate edge.
inline void add_ellipsoid(std::vector<face>& faces, glm::dvec3 centre, glm::dvec3 radii,
                          int segments, int rings, const model_space& space) {
    auto make = [&](double u, double v) {
        const glm::dvec3 d = sphere_direction(u, v);
        return corner{centre + d * radii, glm::normalize(d / radii), glm::dvec2(u, v)};
    };
    for (int i = 0; i < rings; ++i) {
        const double v0 = static_cast<double>(i) / rings;
        const double v1 = static_cast<double>(i + 1) / rings;
        for (int j = 0; j < segments; ++j) {
            const double u0 = static_cast<double>(j) / segments;
            const double u1 = static_cast<double>(j + 1) / segments;
            const double u_mid = (u0 + u1) * 0.5;
            if (i == 0) {
                add_face(faces, {make(u0, v1), make(u1, v1), make(u_mid, v0)}, space);
            } else if (i == rings - 1) {
                add_face(faces, {make(u_mid, v1), make(u1, v0), make(u0, v0)}, space);
            } else {
                add_face(faces, {make(u0, v1), make(u1, v1), make(u1, v0), make(u0, v0)}, space);
            }
        }
    }
}

// A tube of `sides` round the path; radii per path point. Texture u runs round the tube, v from
// 0 at the first point to 1 at the last, one equal step per path point. The first end stays open
// (it sits inside a body); a pointed tube closes in a tip at the last point.
inline void add_tube(std::vector<face>& faces, const std::vector<glm::dvec3>& path,
                     const std::vector<double>& radii, int sides, bool pointed,
                     const model_space& space) {
    const std::size_t count = path.size();
    std::vector<glm::dvec3> tangents(count);
    for (std::size_t k = 0; k < count; ++k) {
        const glm::dvec3& before = path[k == 0 ? 0 : k - 1];
        const glm::dvec3& after = path[k + 1 == count ? k : k + 1];
        tangents[k] = glm::normalize(after - before);
    }
    // Parallel transport keeps the rings from twisting along the path.
    std::vector<glm::dvec3> sideways(count);
    glm::dvec3 reference =
        std::abs(tangents[0].y) < 0.9 ? glm::dvec3(0, 1, 0) : glm::dvec3(1, 0, 0);
    sideways[0] = glm::normalize(glm::cross(tangents[0], reference));
    for (std::size_t k = 1; k < count; ++k) {
        const glm::dvec3 s = sideways[k - 1] - tangents[k] * glm::dot(tangents[k], sideways[k - 1]);
        sideways[k] = glm::normalize(s);
    }
    const std::size_t rings = pointed ? count - 1 : count;
    auto ring_corner = [&](std::size_t k, int side) {
        const double u = static_cast<double>(side) / sides;
        const double angle = 2.0 * pi * u;
        const glm::dvec3 up = glm::cross(tangents[k], sideways[k]);
        const glm::dvec3 out = sideways[k] * std::cos(angle) + up * std::sin(angle);
        const double v = static_cast<double>(k) / static_cast<double>(count - 1);
        return corner{path[k] + out * radii[k], out, glm::dvec2(u, v)};
    };
    for (std::size_t k = 0; k + 1 < rings; ++k) {
        for (int s = 0; s < sides; ++s) {
            add_face(faces,
                     {ring_corner(k + 1, s), ring_corner(k + 1, s + 1), ring_corner(k, s + 1),
                      ring_corner(k, s)},
                     space);
        }
    }
    if (pointed) {
        const std::size_t last = count - 1;
        for (int s = 0; s < sides; ++s) {
            const double u_mid = (s + 0.5) / sides;
            const corner tip{path[last], tangents[last], glm::dvec2(u_mid, 1.0)};
            add_face(faces, {ring_corner(last - 1, s), ring_corner(last - 1, s + 1), tip}, space);
        }
    }
}

}  // namespace quillomar::tools
