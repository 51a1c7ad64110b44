#include "authoring/map_marks.h"

#include <algorithm>
#include <cmath>

#include "common/float_maths.h"

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

const glm::vec4 finish_dark(0.05f, 0.05f, 0.05f, 1.0f);

// A flat polygon of `corners` corners about (cx, cz), `radius` to each corner, the first one
// `turn` radians round from +x.
void polygon(std::vector<map_vertex>& out, glm::vec2 c, float y, float radius, int corners,
             float turn, const glm::vec4& tint) {
    const auto corner = [&](int i) {
        const float a = turn + 6.2831853f * static_cast<float>(i) / static_cast<float>(corners);
        return glm::vec3(c.x + radius * fmath::cos(a), y, c.y + radius * fmath::sin(a));
    };
    const glm::vec3 middle(c.x, y, c.y);
    for (int i = 0; i < corners; ++i) {
        out.insert(out.end(), {{middle, tint}, {corner(i), tint}, {corner(i + 1), tint}});
    }
}

// A bar `width` wide from a to b, flat at height y.
void bar(std::vector<map_vertex>& out, glm::vec2 a, glm::vec2 b, float y, float width,
         const glm::vec4& tint) {
    const glm::vec2 along = b - a;
    const glm::vec2 side = glm::vec2(-along.y, along.x) / glm::length(along) * (width * 0.5f);
    const glm::vec3 p(a.x - side.x, y, a.y - side.y);
    const glm::vec3 q(b.x - side.x, y, b.y - side.y);
    const glm::vec3 r(b.x + side.x, y, b.y + side.y);
    const glm::vec3 s(a.x + side.x, y, a.y + side.y);
    out.insert(out.end(), {{p, tint}, {q, tint}, {r, tint}, {p, tint}, {r, tint}, {s, tint}});
}

// One sign about c, `size` the half width of a full cell's sign (1 is the whole cell): its dark
// rim first, the sign a lift above it.
void sign(std::vector<map_vertex>& out, map_sign what, glm::vec2 c, float y, float size) {
    const glm::vec4 rim = sign_rim_colour();
    const glm::vec4 tint = sign_colour(what);
    const float over = y + lift;
    switch (what) {
        case map_sign::start:
            polygon(out, c, y, 0.78f * size, 20, 0.0f, rim);
            polygon(out, c, over, 0.62f * size, 20, 0.0f, tint);
            break;
        case map_sign::finish: {
            const float half = 0.72f * size;
            quad(out, c.x - half - 0.08f * size, c.y - half - 0.08f * size,
                 c.x + half + 0.08f * size, c.y + half + 0.08f * size, y, rim);
            const float square = half / 2.0f;
            for (int row = 0; row < 4; ++row) {
                for (int column = 0; column < 4; ++column) {
                    const float x0 = c.x - half + square * static_cast<float>(column);
                    const float z0 = c.y - half + square * static_cast<float>(row);
                    quad(out, x0, z0, x0 + square, z0 + square, over,
                         (row + column) % 2 == 0 ? tint : finish_dark);
                }
            }
            break;
        }
        case map_sign::item:
            polygon(out, c, y, 0.85f * size, 4, 0.0f, rim);
            polygon(out, c, over, 0.66f * size, 4, 0.0f, tint);
            break;
        case map_sign::spider:
            // Eight legs round an orange body.
            for (int leg = 0; leg < 4; ++leg) {
                const float a = 0.45f + 0.75f * static_cast<float>(leg);
                const glm::vec2 reach(fmath::cos(a) * 0.85f * size, fmath::sin(a) * 0.85f * size);
                bar(out, c - reach, c + reach, y, 0.14f * size, rim);
            }
            polygon(out, c, y, 0.5f * size, 16, 0.0f, rim);
            polygon(out, c, over, 0.38f * size, 16, 0.0f, tint);
            break;
    }
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

glm::vec4 sign_colour(map_sign sign) {
    switch (sign) {
        case map_sign::start:
            return {0.1f, 0.95f, 0.2f, 1.0f};
        case map_sign::finish:
            return {1.0f, 1.0f, 1.0f, 1.0f};
        case map_sign::item:
            return {0.2f, 0.95f, 1.0f, 1.0f};
        case map_sign::spider:
            return {1.0f, 0.45f, 0.0f, 1.0f};
    }
    return {};
}

glm::vec4 sign_rim_colour() {
    return {0.04f, 0.04f, 0.06f, 1.0f};
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
    // The signs of what each cell holds: one in the middle of its cell, or up to four in its
    // quarters when the cell holds more than one.
    std::vector<std::pair<grid_cell, std::vector<map_sign>>> held;
    const auto hold = [&held](grid_cell c, map_sign what) {
        auto it = std::find_if(held.begin(), held.end(),
                               [c](const auto& cell) { return cell.first == c; });
        if (it == held.end()) {
            held.push_back({c, {}});
            it = held.end() - 1;
        }
        it->second.push_back(what);
    };
    if (doc.start()) {
        hold(*doc.start(), map_sign::start);
    }
    if (doc.finish()) {
        hold(*doc.finish(), map_sign::finish);
    }
    for (const grid_cell& c : doc.items()) {
        hold(c, map_sign::item);
    }
    for (const grid_cell& c : doc.enemies()) {
        hold(c, map_sign::spider);
    }
    for (const auto& [cell, signs] : held) {
        const glm::vec2 middle(2.0f * static_cast<float>(cell.x), 2.0f * static_cast<float>(cell.z));
        const float y = top(cell) + std::max(scene.signs_above, 2.0f * lift) + lift;
        if (signs.size() == 1) {
            sign(out, signs.front(), middle, y, 1.0f);
            continue;
        }
        for (std::size_t i = 0; i < signs.size() && i < 4; ++i) {
            const glm::vec2 quarter(i % 2 == 0 ? -0.5f : 0.5f, i < 2 ? -0.5f : 0.5f);
            sign(out, signs[i], middle + quarter, y, 0.5f);
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
