// What the game's own reader makes of a level document's text, against the document's own view
// of it; shared by the editor model's tests and its fuzzer, so it needs no test framework.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "authoring/level_document.h"
#include "level/level.h"

namespace quillomar::test {

// The first thing the game reads otherwise than the document shows it, or "" when they agree.
inline std::string game_reads_otherwise(const level_document& doc) {
    level lvl;
    std::istringstream in(doc.text());
    lvl.read_stream(in);
    const auto world = [](const std::vector<grid_cell>& cells) {
        std::vector<glm::vec3> placed;
        for (const grid_cell& c : cells) {
            placed.emplace_back(2.0f * static_cast<float>(c.x), 0.0f, 2.0f * static_cast<float>(c.z));
        }
        return placed;
    };
    const auto flat = [&world](const std::optional<grid_cell>& c) {
        const glm::vec3 p = world({c.value_or(grid_cell{})})[0];
        return glm::vec2(p.x, p.z);
    };
    std::vector<glm::vec3> cubes;
    for (const cube_cell& c : doc.cubes()) {
        if (doc.height(c.cell) != c.height) {
            return "a listed cube has another height";
        }
        cubes.push_back(world({c.cell})[0] + glm::vec3(0.0f, 2.0f * static_cast<float>(c.height), 0.0f));
    }
    return lvl.cubes != cubes                                      ? "the game builds other cubes"
           : lvl.items != world(doc.items())                        ? "the game places other items"
           : lvl.enemies != world(doc.enemies())                    ? "the game places other spiders"
           : lvl.start != flat(doc.start()) || lvl.finish != flat(doc.finish())
               ? "the game reads another start or finish"
           : lvl.start_facing != doc.start_facing().value_or(facing::north)
               ? "the game reads another facing"
           : lvl.title != doc.title() || lvl.hint != doc.hint() ? "the game reads another title or hint"
           : doc.size() != doc.text().size()                    ? "the size is not the text's"
                                                                : "";
}

}  // namespace quillomar::test
