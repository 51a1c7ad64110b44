#include "authoring/level_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "authoring/level_grid.h"
#include "authoring/route_planner.h"
#include "authoring/route_player.h"
#include "framework/asset_paths.h"
#include "game/medal_times.h"

namespace quillomar {
namespace {

// Bytes from a file may be anything; a console line shows only printable ones.
std::string printable(const std::string& text) {
    std::string shown;
    for (const char c : text) {
        shown += c >= ' ' && c <= '~' ? c : '?';
    }
    return shown;
}

std::string seconds_text(double seconds) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f s", seconds);
    return buffer;
}

std::string count_text(int n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "; medals: author 47.9 s, ..." for a proven time that gives medals.
std::string medals_text(double seconds) {
    const std::optional<medal_times> times = medal_times_for(seconds);
    return times ? "; medals: " + medal_times_text(*times) : std::string();
}

level_verdict unreadable(const std::string& name, const std::string& why) {
    level_verdict verdict;
    verdict.reason = why;
    verdict.lines.push_back(name + ": " + verdict_line(verdict));
    return verdict;
}

}  // namespace

level_verdict check_level(const level& lvl, const std::string& name,
                          const std::atomic<bool>* cancel) {
    level_verdict verdict;
    const std::string shown = printable(name);
    level_grid grid = make_level_grid(lvl);
    // Problems at a line come in line order, the others after them.
    std::stable_sort(grid.problems.begin(), grid.problems.end(),
                     [](const level_problem& a, const level_problem& b) {
                         return (a.line == 0 ? UINT64_MAX : a.line) <
                                (b.line == 0 ? UINT64_MAX : b.line);
                     });
    for (const level_problem& p : grid.problems) {
        verdict.lines.push_back(shown + (p.line != 0 ? ":" + std::to_string(p.line) : "") + ": " +
                                printable(p.text));
    }
    const route_plan plan = plan_route(grid);
    if (!plan.found) {
        verdict.reason = plan.reason;
        verdict.place = plan.place;
    } else {
        const play_outcome played = play_route(lvl, plan, cancel);
        verdict.finishable = played.finished;
        verdict.seconds = played.seconds;
        verdict.reason = played.failure;
        verdict.place = played.place;
        verdict.lives_lost = played.lives_lost;
        verdict.flips_used = played.flips_used;
    }
    verdict.lines.push_back(shown + ": " + verdict_line(verdict));
    return verdict;
}

std::string verdict_line(const level_verdict& verdict) {
    if (!verdict.finishable) {
        return "not finishable: " + verdict.reason;
    }
    return "finishable in " + seconds_text(verdict.seconds) + ", " +
           count_text(verdict.lives_lost, "life", "lives") + " lost, " +
           count_text(verdict.flips_used, "flip", "flips") + " used" +
           medals_text(verdict.seconds);
}

std::string verdict_summary(const level_verdict& verdict) {
    if (!verdict.finishable) {
        // The HUD's line is short: "needs 2 flips, has 1 item" where --check says "but has".
        std::string reason = verdict.reason;
        const std::size_t but = reason.find(" but has ");
        if (but != std::string::npos) {
            reason.replace(but, 9, ", has ");
        }
        return "not finishable: " + reason;
    }
    // Whole tenths first, so 59.97 reads 1:00.0 and not 0:60.0.
    const long long tenths = std::llround(std::max(0.0, std::min(verdict.seconds, 1e9)) * 10.0);
    char text[48];
    std::snprintf(text, sizeof text, "finishable in %lld:%02lld.%lld", tenths / 600,
                  tenths / 10 % 60, tenths % 10);
    return text;
}

level_verdict check_level_file(const std::string& path) {
    const std::string shown = printable(path);
    std::error_code error;
    const auto status = std::filesystem::status(platform_path(path), error);
    if (error || !std::filesystem::exists(status)) {
        return unreadable(shown, "no such file");
    }
    if (std::filesystem::is_directory(status)) {
        return unreadable(shown, "it is a folder");
    }
    // A pipe or a device could block the reader or never end.
    if (!std::filesystem::is_regular_file(status)) {
        return unreadable(shown, "it is not a plain file");
    }
    level lvl;
    // The reader's own lines (the layout line, the centre) are no problems of the level.
    if (!lvl.read_file(path)) {
        return unreadable(shown, "it cannot be opened for reading");
    }
    return check_level(lvl, path);
}

int run_level_check(const std::vector<std::string>& paths, std::ostream& out) {
    int status = 0;
    for (const std::string& path : paths) {
        const level_verdict verdict = check_level_file(path);
        for (const std::string& line : verdict.lines) {
            out << line << '\n';
        }
        out.flush();
        if (!verdict.finishable) {
            status = 1;
        }
    }
    return status;
}

}  // namespace quillomar
