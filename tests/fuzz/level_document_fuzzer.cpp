// Opens arbitrary bytes as an editor's level document, formats it back, then plays a script of
// edits (a selection's heights and a paste among them), undos and redos on it. After every step the game's reader must build from the text
// exactly the level the document shows; undoing everything must give back the original bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iostream>

#include "authoring/cell_area.h"
#include "authoring/edit_history.h"
#include "tests/support/document_reading.h"

namespace {

using namespace quillomar;

void check(bool condition, const char* what) {
    if (!condition) {
        std::cerr << "level_document_fuzzer: " << what << std::endl;
        std::abort();
    }
}

void check_game_reads_the_document(const level_document& doc) {
    const std::string differs = test::game_reads_otherwise(doc);
    check(differs.empty(), differs.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string original = input.ConsumeRandomLengthString(size);
    level_document doc(original);
    check(doc.text() == original, "an unchanged document formats to other bytes");
    check_game_reads_the_document(doc);

    edit_history history(1 << 20);
    while (input.remaining_bytes() > 0) {
        const int action = input.ConsumeIntegralInRange(0, 11);
        const grid_cell cell{input.ConsumeIntegralInRange(-2, 40), input.ConsumeIntegralInRange(-2, 40)};
        const std::string before = doc.text();
        edit_result result;
        switch (action) {
            case 0:
                result = doc.set_height(cell, input.ConsumeIntegralInRange(-1, 10));
                break;
            case 1:
                result = doc.set_start(cell);
                break;
            case 2:
                result = doc.set_finish(cell);
                break;
            case 3:
                result = doc.toggle_item(cell);
                break;
            case 4:
                result = doc.toggle_enemy(cell);
                break;
            case 5:
                history.undo(doc);
                break;
            case 6:
                history.redo(doc);
                break;
            case 7: {
                const int f = input.ConsumeIntegralInRange(0, 4);
                result = doc.set_facing(f == 4 ? std::nullopt : std::optional<facing>(static_cast<facing>(f)));
                break;
            }
            case 8:
                result = doc.set_title(input.ConsumeRandomLengthString(200));
                break;
            case 9:
                result = doc.set_hint(input.ConsumeRandomLengthString(200));
                break;
            default: {
                // A selection from the cell to another: one height for all of it, or the
                // heights of another area pasted over it, as the editor does.
                const cell_area area = cell_area::spanning(
                    cell, {input.ConsumeIntegralInRange(-2, 40), input.ConsumeIntegralInRange(-2, 40)});
                const grid_cell from{input.ConsumeIntegralInRange(0, 40), input.ConsumeIntegralInRange(0, 40)};
                const int height = input.ConsumeIntegralInRange(-1, 10);
                std::vector<cube_cell> cells;
                std::vector<grid_cell> items;
                std::vector<grid_cell> enemies;
                const auto has = [](const std::vector<grid_cell>& in, grid_cell c) {
                    return std::find(in.begin(), in.end(), c) != in.end();
                };
                for (int z = area.low.z; z <= area.high.z; ++z) {
                    for (int x = area.low.x; x <= area.high.x; ++x) {
                        const grid_cell source{from.x + x - area.low.x, from.z + z - area.low.z};
                        cells.push_back({{x, z}, action == 10 ? height : doc.height(source)});
                        if (has(doc.items(), source)) {
                            items.push_back({x, z});
                        }
                        if (has(doc.enemies(), source)) {
                            enemies.push_back({x, z});
                        }
                    }
                }
                result = action == 10 ? doc.set_heights(cells) : doc.set_area(cells, items, enemies);
                for (const cube_cell& c : cells) {
                    check(!result.changed || doc.height(c.cell) == c.height,
                          "a cell of the area has another height");
                    check(!result.changed || action == 10 ||
                              has(doc.items(), c.cell) == has(items, c.cell),
                          "a pasted cell's item differs from the copy's");
                }
                break;
            }
        }
        if (action != 5 && action != 6) {
            check(result.changed != (doc.text() == before), "changed says otherwise than the text");
            check(result.refusal.empty() || !result.changed, "a refused edit changed the text");
            if (result.changed) {
                history.record(result.change);
            }
        }
        check_game_reads_the_document(doc);
    }

    // The history holds every change of an input this short, so undo leads back to the start
    // from the newest change, and redo back to it.
    while (history.redo(doc)) {
    }
    const std::string last = doc.text();
    while (history.undo(doc)) {
    }
    check(doc.text() == original, "undoing everything gives other bytes");
    while (history.redo(doc)) {
    }
    check(doc.text() == last, "redoing everything gives other bytes");
    return 0;
}
