#include "game/hud_layout.h"

#include <algorithm>
#include <cmath>

namespace quillomar {
namespace {

// The share of a line's height above its baseline, near enough for the HUD's serif faces.
constexpr float ascent_share = 0.8f;

float line_height(const hud_frame& frame) {
    return frame.metrics.line_height > 0.0f ? frame.metrics.line_height : 32.0f;
}

// A panel's lines wrapped to the room across: one entry per line drawn.
std::vector<panel_line> wrapped(const std::vector<panel_line>& panel, const hud_frame& frame) {
    const float room = static_cast<float>(frame.width - 2 * hud_margin(frame));
    std::vector<panel_line> out;
    for (const panel_line& p : panel) {
        for (std::string& piece :
             wrap_to_width(frame.metrics, p.text, p.size * frame.text_scale, room)) {
            out.push_back({std::move(piece), p.tone, p.size});
        }
    }
    return out;
}

float step_of(const panel_line& p, const hud_frame& frame) {
    return std::ceil(line_height(frame) * p.size * frame.text_scale * 1.1f);
}

}  // namespace

int hud_margin(const hud_frame& frame) {
    return std::max(8, static_cast<int>(std::lround(frame.width * 0.02)));
}

std::vector<hud_line> kept_on_screen(std::vector<hud_line> lines, const hud_frame& frame) {
    const int margin = hud_margin(frame);
    const float room = static_cast<float>(frame.width - 2 * margin);
    const float descent = (1.0f - ascent_share) * line_height(frame);
    struct box {
        int left, top, right, bottom;
    };
    std::vector<box> placed;
    for (hud_line& line : lines) {
        const float scale = line.scale * frame.text_scale;
        line.text = shorten_to_width(frame.metrics, line.text, scale, room);
        // Where the line starts, in pixels from the window's left edge.
        const int origin = line.from_left_edge ? 0 : frame.width / 2;
        const int width = static_cast<int>(std::ceil(text_width(frame.metrics, line.text, scale)));
        const int left = std::clamp(origin + line.x_pixels, margin,
                                    std::max(margin, frame.width - margin - width));
        line.x_pixels = left - origin;
        const int lowest = frame.height - static_cast<int>(std::ceil(descent * scale));
        const int highest = static_cast<int>(std::ceil(ascent_share * line_height(frame) * scale));
        line.y_pixels = std::clamp(line.y_pixels, std::min(highest, lowest), lowest);
        // A line that would cover one placed before it goes below that one, while there is room.
        // A box one line high, so lines set a line apart touch without covering each other.
        const int above = highest;
        const int below = std::max(
            0, static_cast<int>(std::lround(line_height(frame) * scale)) - highest);
        bool covering = false;
        for (std::size_t i = 0; i < placed.size(); ++i) {
            const box& b = placed[i];
            covering = left < b.right && b.left < left + width &&
                       line.y_pixels - above < b.bottom && b.top < line.y_pixels + below;
            if (covering && b.bottom + above > lowest) {
                break;
            }
            if (covering) {
                line.y_pixels = b.bottom + above;
                covering = false;
                i = static_cast<std::size_t>(-1);  // look again from the first
            }
        }
        // No room below either: the window is too small for this line as well as those before it.
        if (covering) {
            line.text.clear();
            continue;
        }
        placed.push_back({left, line.y_pixels - above, left + width, line.y_pixels + below});
    }
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const hud_line& l) { return l.text.empty(); }),
                lines.end());
    return lines;
}

std::vector<hud_line> stacked_panel(const std::vector<panel_line>& panel, const hud_frame& frame,
                                    float middle_share) {
    const auto height = static_cast<float>(frame.height);
    const float margin = static_cast<float>(hud_margin(frame));
    // Smaller text, never below the HUD's own size, while the block is taller than the window.
    hud_frame fitted = frame;
    std::vector<panel_line> rows;
    float block = 0.0f;
    for (;;) {
        rows = wrapped(panel, fitted);
        block = 0.0f;
        for (const panel_line& p : rows) {
            block += step_of(p, fitted);
        }
        const float least = std::min(1.0f, frame.text_scale);
        if (block <= height - 2.0f * margin || fitted.text_scale <= least) {
            break;
        }
        fitted.text_scale = std::max(least, fitted.text_scale - 0.1f);
    }
    const float shrink = frame.text_scale > 0.0f ? fitted.text_scale / frame.text_scale : 1.0f;
    float top = std::round(middle_share * height - block / 2.0f);
    top = std::max(margin, std::min(top, height - margin - block));
    std::vector<hud_line> out;
    for (const panel_line& p : rows) {
        const float step = step_of(p, fitted);
        if (top + step > height) {
            break;
        }
        const float scale = p.size * fitted.text_scale;
        const float width = text_width(frame.metrics, p.text, scale);
        const float baseline = top + (step - line_height(frame) * scale) / 2.0f +
                               ascent_share * line_height(frame) * scale;
        out.push_back({p.text, false, static_cast<int>(std::lround(-width / 2.0f)),
                       static_cast<int>(std::lround(baseline)), p.tone, p.size * shrink});
        top += step;
    }
    return out;
}

std::vector<hud_line> stacked_at_bottom(const std::vector<panel_line>& panel,
                                        const hud_frame& frame, float most_share) {
    const int margin = hud_margin(frame);
    const float room = std::max(0.0f, most_share * static_cast<float>(frame.height) - margin);
    // Each panel line wrapped, at the size the block fits in.
    hud_frame fitted = frame;
    std::vector<std::vector<panel_line>> pieces;
    for (;;) {
        pieces.clear();
        float block = 0.0f;
        for (const panel_line& p : panel) {
            pieces.push_back(wrapped({p}, fitted));
            for (const panel_line& piece : pieces.back()) {
                block += step_of(piece, fitted);
            }
        }
        if (block <= room || fitted.text_scale <= std::min(1.0f, frame.text_scale)) {
            break;
        }
        fitted.text_scale = std::max(std::min(1.0f, frame.text_scale), fitted.text_scale - 0.1f);
    }
    const float shrink = frame.text_scale > 0.0f ? fitted.text_scale / frame.text_scale : 1.0f;
    float bottom = static_cast<float>(frame.height - margin);
    std::vector<hud_line> out;
    for (std::size_t i = pieces.size(); i-- > 0;) {
        float whole = 0.0f;
        for (const panel_line& p : pieces[i]) {
            whole += step_of(p, fitted);
        }
        if (bottom - whole < 0.0f) {
            break;  // taller than the window: its last lines stay, each whole
        }
        std::vector<hud_line> these;
        for (const panel_line& p : pieces[i]) {
            const float step = step_of(p, fitted);
            const float scale = p.size * fitted.text_scale;
            const float top = bottom - whole;
            const float baseline = top + step - (1.0f - ascent_share) * line_height(frame) * scale;
            these.push_back({p.text, true, margin, static_cast<int>(std::lround(baseline)), p.tone,
                             p.size * shrink});
            whole -= step;
        }
        out.insert(out.begin(), these.begin(), these.end());
        for (const panel_line& p : pieces[i]) {
            bottom -= step_of(p, fitted);
        }
    }
    return out;
}

std::vector<hud_line> clear_of_the_middle(std::vector<hud_line> lines, std::size_t own,
                                          const hud_frame& frame) {
    own = std::min(own, lines.size());
    // The game's message stands this far down; the counters and the clock above it.
    constexpr int message_row = 600;
    std::vector<hud_line> bar;
    std::vector<hud_line> centred;
    std::vector<hud_line> message;
    std::vector<hud_line> rest;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        hud_line& l = lines[i];
        if (i < own ? l.from_left_edge && l.y_pixels < message_row : l.beside_clock) {
            bar.push_back(std::move(l));
        } else if (i < own && !l.from_left_edge) {
            centred.push_back(std::move(l));
        } else if (i < own) {
            message.push_back(std::move(l));
        } else {
            rest.push_back(std::move(l));
        }
    }
    std::stable_sort(bar.begin(), bar.end(), [](const hud_line& a, const hud_line& b) {
        return a.y_pixels != b.y_pixels ? a.y_pixels < b.y_pixels : a.x_pixels < b.x_pixels;
    });
    const int margin = hud_margin(frame);
    const float lh = line_height(frame);
    const float right = static_cast<float>(frame.width - margin);
    const float floor_scale = std::min(1.0f, frame.text_scale);
    float scale = frame.text_scale;
    float bottom = 0.0f;
    std::vector<hud_line> placed;
    for (;;) {
        placed = bar;
        const float row = std::ceil(lh * scale * 1.1f);
        const float gap = std::round(0.6f * lh * scale);
        float x = static_cast<float>(margin);
        float top = static_cast<float>(margin) / 2.0f;
        for (hud_line& l : placed) {
            const float size = l.scale * scale;
            const float width = text_width(frame.metrics, l.text, size);
            if (x > margin && x + width > right) {
                x = static_cast<float>(margin);
                top += row;
            }
            l.from_left_edge = true;
            l.x_pixels = static_cast<int>(std::lround(x));
            l.y_pixels = static_cast<int>(std::lround(top + ascent_share * lh * size));
            l.scale *= scale / std::max(0.01f, frame.text_scale);
            x += width + gap;
        }
        bottom = placed.empty() ? 0.0f : top + row;
        if (bottom <= 0.2f * static_cast<float>(frame.height) || scale <= floor_scale) {
            break;
        }
        scale = std::max(floor_scale, scale - 0.1f);
    }
    const float row = std::ceil(lh * scale * 1.1f);
    for (hud_line& l : centred) {
        const float size = l.scale * scale;
        l.x_pixels = static_cast<int>(std::lround(-text_width(frame.metrics, l.text, size) / 2.0f));
        l.y_pixels = static_cast<int>(std::lround(bottom + ascent_share * lh * size));
        l.scale *= scale / std::max(0.01f, frame.text_scale);
        bottom += row;
        placed.push_back(std::move(l));
    }
    for (hud_line& l : message) {
        const float size = l.scale * scale;
        l.x_pixels = margin;
        l.y_pixels = static_cast<int>(std::lround(bottom + ascent_share * lh * size));
        l.scale *= scale / std::max(0.01f, frame.text_scale);
        bottom += row;
        placed.push_back(std::move(l));
    }
    placed.insert(placed.end(), rest.begin(), rest.end());
    return placed;
}

}  // namespace quillomar
