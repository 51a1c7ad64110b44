// The editor's HUD: what it says about the file, the cursor and the check, laid out for the
// window, and the heights written over the map.
#include <algorithm>

#include "game/words.h"
#include <cmath>
#include <cstring>

#include "authoring/own_levels.h"
#include "framework/key_map.h"
#include "game/hud_layout.h"
#include "records/records_store.h"
#include "shell/edit_mode.h"

namespace quillomar {
namespace {

bool has(const std::vector<grid_cell>& cells, grid_cell c) {
    return std::find(cells.begin(), cells.end(), c) != cells.end();
}

// The HUD font's line at scale 1, when the renderer has not measured it.
constexpr float plain_line_height = 36.0f;

// `text` in lines that fit the window, or as one line without the font's measures.
std::vector<std::string> fitted(const std::string& text, const editor_hud_frame& frame) {
    if (frame.metrics == nullptr) {
        return {text};
    }
    // Within the margins a menu game's text keeps on both sides, so no line is shortened there.
    const int margin = hud_margin({frame.width, frame.height, 1.0f, {}});
    return wrap_to_width(*frame.metrics, text, frame.scale * frame.enlarged,
                         static_cast<float>(std::max(frame.width - 2 * margin, 1)));
}

// An author's own level (the title menu's Editor keeps them all in one folder) goes by its file
// name, which leaves the map its room; any other file by the path it was opened with.
std::string shown_path(const std::string& path) {
    const std::string folder = own_levels_folder(default_records_folder()) + "/";
    return path.size() > folder.size() && path.rfind(folder, 0) == 0 ? path.substr(folder.size())
                                                                      : path;
}

}  // namespace

// The start's facings as the level file names them, for the catalogues.
[[maybe_unused]] constexpr const char* facing_words[] = {tr_later("north"), tr_later("east"),
                                                         tr_later("south"), tr_later("west")};

std::vector<hud_line> edit_mode::hud_lines(const editor_hud_frame& frame) const {
    const level_document& document = session_.document();
    const float scale = frame.scale;
    const int step = static_cast<int>(std::lround(
        (frame.metrics != nullptr && frame.metrics->line_height > 0.0f ? frame.metrics->line_height
                                                                       : plain_line_height) *
        scale * frame.enlarged));
    std::string cell = fill_in(tr("Cell %1, height %2"),
                               std::to_string(cursor_.x) + " " + std::to_string(cursor_.z),
                               std::to_string(document.height(cursor_)));
    for (const auto& [here, name] :
         {std::pair{document.start() == cursor_, tr_later(" - start")},
          std::pair{document.finish() == cursor_, tr_later(" - finish")},
          std::pair{has(document.items(), cursor_), tr_later(" - item")},
          std::pair{has(document.enemies(), cursor_), tr_later(" - spider")}}) {
        if (here) {
            cell += tr(name);
        }
    }
    cell += fill_in(tr(", facing %1"),
                    tr(facing_name(document.start_facing().value_or(facing::north))));
    if (const std::optional<cell_area> s = selection()) {
        cell += fill_in(tr("; selected %1 x %2"), std::to_string(s->columns()),
                        std::to_string(s->rows()));
    }
    const std::string state = session_.is_new() ? tr(" - new") : "";
    std::vector<std::string> top = {
        fill_in(tr("Editing %1"), shown_path(session_.path())) + state +
            (session_.is_dirty() ? tr(" (unsaved)") : ""),
        cell,
    };
    if (typing()) {
        top.push_back(fill_in(typing_ == typed::title ? tr("Title: %1_   (Enter keeps, Esc drops)")
                                                      : tr("Hint: %1_   (Enter keeps, Esc drops)"),
                              typed_));
    } else if (!document.title().empty() || !document.hint().empty()) {
        top.push_back(fill_in(tr("Title: %1"), document.title()) +
                      (document.hint().empty() ? "" : "   " + fill_in(tr("Hint: %1"), document.hint())));
    }
    if (!status_.empty()) {
        top.push_back(status_);
    }
    std::vector<hud_line> lines;
    int y = step;
    for (const std::string& text : top) {
        for (const std::string& piece : fitted(text, frame)) {
            lines.push_back({piece, true, 8, y, hud_tone::plain, scale});
            y += step;
        }
    }
    if (quit_asked_) {
        lines.push_back({tr("Unsaved changes - Escape again quits, Ctrl+S saves"), true, 8, y,
                         hud_tone::behind, scale});
    }

    // From the bottom up: the keys, then the check's verdict above them.
    std::vector<hud_line> bottom;
    std::vector<std::string> keys;
    if (show_keys_) {
        int count = 0;
        const char* const* help = editor_key_help(&count);
        std::string all;
        for (int i = 0; i < count; ++i) {
            all += (all.empty() ? "" : "   ") + std::string(help[i]);
        }
        keys = fitted(all, frame);
    } else {
        keys = fitted(tr("F1: all keys   F5: play-test   V: 3D   Esc: quit"), frame);
    }
    std::vector<std::string> verdict;
    if (document.cubes().empty()) {
        verdict = fitted(tr("No cubes yet: PgUp or a digit raises the cursor cell, Shift+arrows "
                            "select an area"),
                         frame);
    } else {
        if (!first_problem_.empty()) {
            verdict = fitted(first_problem_, frame);
        }
        for (std::string& piece : fitted(check_line_.empty() ? verdict_ : check_line_, frame)) {
            verdict.push_back(std::move(piece));
        }
        if (place_) {
            verdict.push_back(fill_in(tr("G: cursor to (%1, %2)"), std::to_string(place_->x),
                                      std::to_string(place_->z)));
        }
    }
    int below = frame.height - step / 3;
    for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
        lines.push_back({*it, true, 8, below, hud_tone::dim, scale});
        below -= step;
    }
    const bool failing = !document.cubes().empty() && failing_;
    for (auto it = verdict.rbegin(); it != verdict.rend(); ++it) {
        lines.push_back({*it, true, 8, below, failing ? hud_tone::behind : hud_tone::plain, scale});
        below -= step;
    }
    return lines;
}

std::vector<hud_line> edit_mode::height_digits(const editor_hud_frame& frame, float aspect) const {
    std::vector<hud_line> digits;
    if (three_d_) {
        return digits;
    }
    const top_down_view v = framing(aspect);
    const glm::mat4 to_clip = v.projection * v.view;
    const auto pixel = [&](glm::vec3 world) {
        const glm::vec4 clip = to_clip * glm::vec4(world, 1.0f);
        const glm::vec2 ndc = glm::vec2(clip) / clip.w;
        return glm::vec2((ndc.x + 1.0f) * 0.5f * static_cast<float>(frame.width),
                         (1.0f - ndc.y) * 0.5f * static_cast<float>(frame.height));
    };
    // A cell of the base is the smallest on the picture: the digits show where it holds one.
    const float cell_pixels = pixel({2.0f, 1.0f, 0.0f}).x - pixel({0.0f, 1.0f, 0.0f}).x;
    const float digit_scale = std::min(0.6f, cell_pixels * 0.7f / 32.0f);
    if (digit_scale < 0.3f) {
        return digits;
    }
    const float half_width =
        (frame.metrics != nullptr ? frame.metrics->advance['5'] : 18.0f) * digit_scale * 0.5f;
    for (const cube_cell& c : session_.document().cubes()) {
        const glm::vec2 at =
            pixel({2.0f * static_cast<float>(c.cell.x), cell_top(c.height),
                   2.0f * static_cast<float>(c.cell.z)});
        if (at.x < 0.0f || at.y < 0.0f || at.x > static_cast<float>(frame.width) ||
            at.y > static_cast<float>(frame.height)) {
            continue;
        }
        digits.push_back({std::string(1, static_cast<char>('0' + c.height)), true,
                          static_cast<int>(std::lround(at.x - half_width)),
                          static_cast<int>(std::lround(at.y + 11.0f * digit_scale)),
                          hud_tone::plain, digit_scale});
    }
    return digits;
}

}  // namespace quillomar
