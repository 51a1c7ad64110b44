// The editor's HUD: what it says about the file, the cursor and the check, laid out for the
// window, and the heights written over the map.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "authoring/key_table.h"
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

// A line's ink above and below its baseline, in lines.
constexpr float ascent = 0.8f;
constexpr float descent = 0.3f;
// The most of the window's height the table of all keys takes before its text gets smaller.
constexpr float key_table_share = 0.4f;
// The least of the window's height the map keeps between the lines.
constexpr float least_map_share = 0.35f;

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

edit_mode::laid_out_hud edit_mode::lay_out_hud(const editor_hud_frame& frame) const {
    // Where the lines at the text size asked leave the map too little of the window, they are
    // made smaller, down to two fifths of that size.
    editor_hud_frame smaller = frame;
    for (;;) {
        laid_out_hud laid = lay_out_hud_at(smaller);
        if (laid.band.bottom - laid.band.top >= least_map_share ||
            smaller.scale <= frame.scale * 0.4f) {
            return laid;
        }
        smaller.scale *= 0.9f;
    }
}

edit_mode::laid_out_hud edit_mode::lay_out_hud_at(const editor_hud_frame& frame) const {
    const level_document& document = session_.document();
    const float scale = frame.scale;
    const int step = static_cast<int>(std::lround(
        (frame.metrics != nullptr && frame.metrics->line_height > 0.0f ? frame.metrics->line_height
                                                                       : plain_line_height) *
        scale * frame.enlarged));
    std::string cell = "Cell " + std::to_string(cursor_.x) + " " + std::to_string(cursor_.z) +
                       ", height " + std::to_string(document.height(cursor_));
    for (const auto& [here, name] : {std::pair{document.start() == cursor_, " - start"},
                                     std::pair{document.finish() == cursor_, " - finish"},
                                     std::pair{has(document.items(), cursor_), " - item"},
                                     std::pair{has(document.enemies(), cursor_), " - spider"}}) {
        if (here) {
            cell += name;
        }
    }
    cell += std::string(", facing ") + facing_name(document.start_facing().value_or(facing::north));
    if (const std::optional<cell_area> s = selection()) {
        cell += "; selected " + std::to_string(s->columns()) + " x " + std::to_string(s->rows());
    }
    const std::string state = session_.is_new() ? " - new" : "";
    std::vector<std::string> top = {
        "Editing " + shown_path(session_.path()) + state + (session_.is_dirty() ? " (unsaved)" : ""),
        cell,
    };
    if (typing()) {
        top.push_back(std::string(typing_ == typed::title ? "Title: " : "Hint: ") + typed_ +
                      "_   (Enter keeps, Esc drops)");
    } else if (!document.title().empty() || !document.hint().empty()) {
        top.push_back("Title: " + document.title() +
                      (document.hint().empty() ? "" : "   Hint: " + document.hint()));
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
        lines.push_back({"Unsaved changes - Escape again quits, Ctrl+S saves", true, 8, y,
                         hud_tone::behind, scale});
        y += step;
    }

    // The first line's ink starts at the top edge at the latest.
    const float top_end = static_cast<float>(y - step) + descent * static_cast<float>(step);

    // From the bottom up: the keys, then the check's verdict above them.
    const text_metrics plain_metrics{};
    const text_metrics& metrics = frame.metrics != nullptr ? *frame.metrics : plain_metrics;
    const float line_height = metrics.line_height > 0.0f ? metrics.line_height : plain_line_height;
    const int margin = frame.metrics != nullptr ? hud_margin({frame.width, frame.height, 1.0f, {}}) : 8;
    // The ink's top of what lies at the bottom so far.
    float ceiling = static_cast<float>(frame.height);
    if (show_keys_) {
        int count = 0;
        const char* const* help = editor_key_help(&count);
        const std::vector<std::string> entries(help, help + count);
        const key_table table = lay_out_key_table(
            metrics, entries, scale * frame.enlarged,
            static_cast<float>(std::max(frame.width - 2 * margin, 1)),
            key_table_share * static_cast<float>(frame.height));
        const float last = static_cast<float>(frame.height) - table.row_height / 3.0f;
        for (const key_table_cell& cell : table.cells) {
            const float baseline =
                last - table.row_height * static_cast<float>(table.rows - 1 - cell.row);
            lines.push_back({cell.text, true, 8 + static_cast<int>(std::lround(cell.x)),
                             static_cast<int>(std::lround(baseline)), hud_tone::dim,
                             table.scale / frame.enlarged});
        }
        ceiling = last - table.row_height * (static_cast<float>(table.rows - 1) + ascent);
    } else {
        const std::vector<std::string> keys =
            fitted("F1: all keys   F5: play-test   V: 3D   Esc: quit", frame);
        float below = static_cast<float>(frame.height - step / 3);
        for (auto it = keys.rbegin(); it != keys.rend(); ++it) {
            lines.push_back({*it, true, 8, static_cast<int>(std::lround(below)), hud_tone::dim,
                             scale});
            ceiling = below - ascent * static_cast<float>(step);
            below -= static_cast<float>(step);
        }
    }
    std::vector<std::string> verdict;
    if (document.cubes().empty()) {
        verdict = fitted("No cubes yet: PgUp or a digit raises the cursor cell, Shift+arrows "
                         "select an area",
                         frame);
    } else {
        if (!first_problem_.empty()) {
            verdict = fitted(first_problem_, frame);
        }
        for (std::string& piece : fitted(check_line_.empty() ? verdict_ : check_line_, frame)) {
            verdict.push_back(std::move(piece));
        }
        if (place_) {
            verdict.push_back("G: cursor to (" + std::to_string(place_->x) + ", " +
                              std::to_string(place_->z) + ")");
        }
    }
    float below = ceiling - descent * static_cast<float>(step);
    const bool failing = !document.cubes().empty() && failing_;
    for (auto it = verdict.rbegin(); it != verdict.rend(); ++it) {
        lines.push_back({*it, true, 8, static_cast<int>(std::lround(below)),
                         failing ? hud_tone::behind : hud_tone::plain, scale});
        ceiling = below - ascent * static_cast<float>(step);
        below -= static_cast<float>(step);
    }
    // The map keeps a little air to the lines on both sides.
    const float air = 0.25f * line_height * scale * frame.enlarged;
    const float height = static_cast<float>(std::max(frame.height, 1));
    return {lines, {(top_end + air) / height, (ceiling - air) / height}};
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
    const level_document& document = session_.document();
    const auto signed_cell = [&document](grid_cell c) {
        return document.start() == c || document.finish() == c || has(document.items(), c) ||
               has(document.enemies(), c);
    };
    for (const cube_cell& c : document.cubes()) {
        // A cell with a sign has its digit small in its top left corner, clear of the sign.
        const bool cornered = signed_cell(c.cell);
        const float size = cornered ? digit_scale * 0.6f : digit_scale;
        const float shift = cornered ? 0.7f : 0.0f;
        const glm::vec2 at =
            pixel({2.0f * static_cast<float>(c.cell.x) - shift, cell_top(c.height),
                   2.0f * static_cast<float>(c.cell.z) - shift});
        if (at.x < 0.0f || at.y < 0.0f || at.x > static_cast<float>(frame.width) ||
            at.y > static_cast<float>(frame.height)) {
            continue;
        }
        const float half = half_width * size / digit_scale;
        // The renderer draws the digits the text size larger: a digit keeps to its cell.
        digits.push_back({std::string(1, static_cast<char>('0' + c.height)), true,
                          static_cast<int>(std::lround(at.x - half)),
                          static_cast<int>(std::lround(at.y + 11.0f * size)), hud_tone::plain,
                          size / std::max(frame.enlarged, 0.01f)});
    }
    return digits;
}

}  // namespace quillomar
