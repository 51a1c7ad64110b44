// What the editor draws over the level so that an author reads it at a glance: each cell's
// height as a colour, a grid over the whole editable area with its outline, the cursor's frame,
// the selection, the place where the check failed, the proven route as a line, and a sign on each
// cell with the start, the finish, an item or a spider. Plain
// triangles in world space, three vertices each; the renderer blends them over the lit scene.
#pragma once

#include <optional>
#include <vector>

#include <glm/glm.hpp>

#include "authoring/cell_area.h"
#include "authoring/level_document.h"

namespace quillomar {

struct map_vertex {
    glm::vec3 position;
    glm::vec4 tint;
};

struct map_scene {
    const level_document* document = nullptr;
    grid_cell area{16, 16};  // columns and rows that may be edited
    grid_cell cursor;
    std::optional<cell_area> selection;
    std::optional<grid_cell> problem;      // where the check says the level fails
    std::vector<glm::vec3> route;          // the ball's way, empty for none
    bool heights = true;                   // colour each cube's top by its height
    // How far above its cell's top the sign of a start, finish, item or spider floats: seen
    // straight down, high enough to stand over the ball, the item and the spider drawn there.
    float signs_above = 0.0f;
};

// What a cell holds that the map shows with a sign of its own.
enum class map_sign { start, finish, item, spider };

// Each sign's colour, apart from every height's, the cursor's and the warning's: the start a
// green disc, the finish a white and black chequer (this is its white), an item a cyan diamond,
// a spider an orange body with dark legs. Every sign has a dark rim, sign_rim_colour.
glm::vec4 sign_colour(map_sign sign);
glm::vec4 sign_rim_colour();

// The colour of a cube top of height 1 to 9: darker and bluer low, lighter and warmer high, each
// one clearly apart from its neighbours in lightness. Never the cursor's colour.
glm::vec4 height_colour(int height);

// The cursor's frame colour, used by nothing else on the map.
glm::vec4 cursor_colour();

// The colour of the mark on the cell where the check says the level fails.
glm::vec4 problem_colour();

// The world height of a cell's top face: a cube's top, or the cubes' base for an empty cell.
float cell_top(int height);

std::vector<map_vertex> map_marks(const map_scene& scene);

}  // namespace quillomar
