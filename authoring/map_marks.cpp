#include "authoring/map_marks.h"

#include <algorithm>
#include <cmath>

namespace quillomar {
namespace {

// Lifted off the faces they lie on, so that depth testing keeps them in front.
constexpr float lift = 0.03f;
constexpr float grid_width = 0.08f;
constexpr float frame_width = 0.45f;
constexpr float route_width = 0.35f;

const glm::vec4 grid_tint(0.85f, 0.85f, 0.85f, 0.45f);
const glm::vec4 outline_tint(1.0f, 1.0f, 1.0f, 0.95f);
const glm::vec4 empty_tint(0.12f, 0.12f, 0.16f, 0.55f);
const glm::vec4 selection_tint(0.2f, 0.85f, 1.0f, 0.4f);
const glm::vec4 route_tint(1.0f, 1.0f, 1.0f, 0.85f);

// A flat rectangle at height y between world corners (x0, z0) and (x1, z1).
void quad(std::vector<map_vertex>& out, float x0, float z0, float x1, float z1, float y,
          const glm::vec4& tint) {
    const glm::vec3 a(x0, y, z0);
    const glm::vec3 b(x1, y, z0);
    const glm::vec3 c(x1, y, z1);
    const glm::vec3 d(x0, y, z1);
    out.insert(out.end(), {{a, tint}, {b, tint}, {c, tint}, {a, tint}, {c, tint}, {d, tint}});
}

// A frame `width` wide just inside the rectangle.
void frame(std::vector<map_vertex>& out, float x0, float z0, float x1, float z1, float y,
           float width, const glm::vec4& tint) {
    quad(out, x0, z0, x1, z0 + width, y, tint);
    quad(out, x0, z1 - width, x1, z1, y, tint);
    quad(out, x0, z0 + width, x0 + width, z1 - width, y, tint);
    quad(out, x1 - width, z0 + width, x1, z1 - width, y, tint);
}

// A cell spans two world units, centred on (2x, 2z).
float low_edge(int cell) {
    return 2.0f * static_cast<float>(cell) - 1.0f;
}

}  // namespace

glm::vec4 height_colour(int height) {
    // Lightness climbs by about a tenth a step while the hue turns from violet through blue and
    // green to yellow and white, so neighbours differ in both.
    static const glm::vec4 colours[] = {
        {0.30f, 0.05f, 0.55f, 0.9f}, {0.10f, 0.25f, 0.80f, 0.9f}, {0.00f, 0.45f, 0.70f, 0.9f},
        {0.10f, 0.60f, 0.45f, 0.9f}, {0.40f, 0.72f, 0.20f, 0.9f}, {0.85f, 0.80f, 0.10f, 0.9f},
        {1.00f, 0.85f, 0.45f, 0.9f}, {1.00f, 0.93f, 0.75f, 0.9f}, {1.00f, 1.00f, 1.00f, 0.9f},
    };
    return colours[std::clamp(height, 1, 9) - 1];
}

glm::vec4 cursor_colour() {
    return {1.0f, 0.0f, 0.9f, 1.0f};
}

glm::vec4 problem_colour() {
    return {1.0f, 0.1f, 0.05f, 0.9f};
}

float cell_top(int height) {
    return height > 0 ? 2.0f * static_cast<float>(height) + 1.0f : 1.0f;
}

std::vector<map_vertex> map_marks(const map_scene& scene) {
    std::vector<map_vertex> out;
    if (scene.document == nullptr) {
        return out;
    }
    const level_document& doc = *scene.document;
    const auto top = [&doc](grid_cell c) { return cell_top(doc.height(c)) + lift; };
    for (int z = 0; z < scene.area.z; ++z) {
        for (int x = 0; x < scene.area.x; ++x) {
            const int h = doc.height({x, z});
            const float x0 = low_edge(x);
            const float z0 = low_edge(z);
            if (scene.heights || h == 0) {
                quad(out, x0, z0, x0 + 2.0f, z0 + 2.0f, top({x, z}),
                     h > 0 ? height_colour(h) : empty_tint);
            }
            frame(out, x0, z0, x0 + 2.0f, z0 + 2.0f, top({x, z}) + lift, grid_width, grid_tint);
        }
    }
    // The outline stands level with the highest cube, so no cube along the edge hides it.
    int highest = 0;
    for (const cube_cell& c : doc.cubes()) {
        highest = std::max(highest, c.height);
    }
    frame(out, low_edge(0) - 0.3f, low_edge(0) - 0.3f, low_edge(scene.area.x) + 0.3f,
          low_edge(scene.area.z) + 0.3f, cell_top(highest) + lift, 0.3f, outline_tint);
    if (scene.selection) {
        const cell_area& a = *scene.selection;
        for (int z = a.low.z; z <= a.high.z; ++z) {
            for (int x = a.low.x; x <= a.high.x; ++x) {
                quad(out, low_edge(x), low_edge(z), low_edge(x + 1), low_edge(z + 1),
                     top({x, z}) + 2.0f * lift, selection_tint);
            }
        }
    }
    if (scene.problem) {
        // A cross over the cell, and a frame, both in the warning red.
        const grid_cell p = *scene.problem;
        const glm::vec4 problem_tint = problem_colour();
        const float y = top(p) + 3.0f * lift;
        const float cx = 2.0f * static_cast<float>(p.x);
        const float cz = 2.0f * static_cast<float>(p.z);
        frame(out, cx - 1.2f, cz - 1.2f, cx + 1.2f, cz + 1.2f, y, 0.25f, problem_tint);
        for (const float turn : {1.0f, -1.0f}) {
            const glm::vec3 along = glm::normalize(glm::vec3(1.0f, 0.0f, turn)) * 0.9f;
            const glm::vec3 side = glm::vec3(-along.z, 0.0f, along.x) * (0.18f / 0.9f);
            const glm::vec3 c(cx, y, cz);
            const glm::vec3 a = c - along - side;
            const glm::vec3 b = c + along - side;
            const glm::vec3 d = c + along + side;
            const glm::vec3 e = c - along + side;
            out.insert(out.end(), {{a, problem_tint}, {b, problem_tint}, {d, problem_tint},
                                   {a, problem_tint}, {d, problem_tint}, {e, problem_tint}});
        }
    }
    // The route as a flat ribbon through the ball's centres, one piece per stretch long enough
    // to have a direction.
    glm::vec3 from = scene.route.empty() ? glm::vec3(0.0f) : scene.route.front();
    for (const glm::vec3& to : scene.route) {
        const glm::vec3 step(to.x - from.x, 0.0f, to.z - from.z);
        const float length = glm::length(step);
        if (length < 0.25f) {
            // A ball dropping onto the start, or standing, draws nothing; the line starts
            // where it lands.
            from.y = to.y;
            continue;
        }
        const glm::vec3 side = glm::vec3(-step.z, 0.0f, step.x) / length * (route_width * 0.5f);
        out.insert(out.end(), {{from - side, route_tint}, {to - side, route_tint},
                               {to + side, route_tint}, {from - side, route_tint},
                               {to + side, route_tint}, {from + side, route_tint}});
        from = to;
    }
    const grid_cell c = scene.cursor;
    frame(out, low_edge(c.x) - 0.15f, low_edge(c.z) - 0.15f, low_edge(c.x + 1) + 0.15f,
          low_edge(c.z + 1) + 0.15f, top(c) + 4.0f * lift, frame_width, cursor_colour());
    return out;
}

}  // namespace quillomar
