// Runs the game on a level for a number of frames on a manual clock (1/60 s a frame) in a
// 1024 x 768 window, with the ball rolling and an item burst running, and prints one
// "name: value" line per figure: start-up time, whole-frame median and 95th percentile, the
// update, each pass's median and the peak resident memory (VmHWM). The frame and the passes are
// also given in CPU time of the whole process (frame_cpu_ms_median, pass_cpu_*): on a machine
// busy with other work the wall clock counts their share of the cores, the CPU time only ours.
//
//   quillomar_bench LEVEL_FILE [FRAMES] [--scene still|rolling|burst] [--shots PREFIX F,F,...]
//                   [--full-res-burst] [--whole-shadow-map]
//   quillomar_bench --against-rolling [FRAMES]                          (from the repository root)
//   quillomar_bench --against-peer                                       (from the repository root)
//
// --full-res-burst blends the burst straight into the frame, at every pixel and sample, instead
// of drawing it off screen at a quarter of the pixels.
// --whole-shadow-map lets the shadow pass cover every caster's footprint, not only what the
// camera's view can look up.
// --shots saves the picture after each listed frame as PREFIX-F.png (frames counted from 1, as
// the route's ticks), so two builds can be compared at the same moments of the same route.
// --against-rolling runs the bench once per scene the goals name (each a process of its own, so
// one scene's peak memory is not another's) and prints their figures and ratios: the burst's
// 95th percentile and the 64 x 64 level's median against the shipped level's rolling median,
// and the frame rate and peak memory at rest (the peer's are --against-peer's).
// --against-peer runs the game at rest and the peer, Debian's neverball, one after the other in
// the same sitting, three pairs, and prints each one's frames a second (counted by the driver),
// CPU time a frame and peak memory, and the median ratios with their ranges (see against_peer).
//
// The scenes: "burst" (the default) rolls the ball along the level's planned route with a burst
// kept running over it, "rolling" leaves the burst out and "still" leaves the ball resting on its
// start cell without a burst. The route is the one the level check plays, tick for tick, so the
// ball stays on the cubes and picks its items up at the same frames in every run; a level
// without a route falls back to W held with a touch of A now and then.
// QUILLOMAR_BENCH_NO_BURST=1 and QUILLOMAR_BENCH_STILL=1 switch the two parts off as well;
// QUILLOMAR_BENCH_NO_FADE=1 draws particles near the eye whole and QUILLOMAR_BENCH_NO_PREPARE=1
// loads everything in startup instead of on the workers, to compare with what they replaced;
// QUILLOMAR_BENCH_MEMORY=1 adds, after the last frame, where the resident memory is: per
// mapping (each library, the heap, anonymous memory) from /proc/self/smaps, the malloc heap's
// use, and the bytes of the renderer's large GL objects (llvmpipe keeps them in the heap and
// anonymous memory).
// QUILLOMAR_BENCH_TRACE=1 prints every frame's time and, for the frames timed pass by pass,
// each pass.
#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <malloc.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <cstdio>
#include <cstdlib>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "authoring/level_grid.h"
#include "authoring/route_planner.h"
#include "authoring/route_player.h"
#include "framework/game_window.h"
#include "framework/seams.h"
#include "render/frame_renderer.h"
#include "render/screenshot.h"
#include "shell/quillomar_game.h"
#include "tools/process_figures.h"

namespace {

using clock_type = std::chrono::steady_clock;
const clock_type::time_point process_start = clock_type::now();

double ms_since(clock_type::time_point start) {
    return std::chrono::duration<double, std::milli>(clock_type::now() - start).count();
}

// CPU time of the whole process (every thread, the driver's included), in ms. On a machine
// shared with other work the wall clock counts their time too; this counts only ours.
double process_cpu_ms() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1.0e6;
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

// Times the update that render runs before drawing.
class bench_game : public quillomar::quillomar_game {
public:
    void update() override {
        // The previous frame's passes may still run on the renderer's threads; let them
        // finish, so the figure is the update's own time and not a share of the cores.
        glFinish();
        const auto start = clock_type::now();
        quillomar_game::update();
        update_ms.push_back(ms_since(start));
        if (after_update) {
            after_update();
        }
    }
    std::vector<double> update_ms;
    std::function<void()> after_update;
};

void print(const char* name, double value) {
    std::printf("%s: %.3f\n", name, value);
}

// The process's peak resident set (VmHWM) in MiB, 0 where /proc is not there.
double peak_resident_mib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::atof(line.c_str() + 6) / 1024.0;
        }
    }
    return 0.0;
}

// Resident kibibytes per mapping of /proc/self/smaps: a library by its file name, "[heap]",
// "[anon]" for memory without a name.
void print_memory_account(const quillomar::frame_renderer& renderer) {
    std::ifstream smaps("/proc/self/smaps");
    std::map<std::string, double> resident_kib;
    std::string line;
    std::string mapping;
    while (std::getline(smaps, line)) {
        if (line.empty()) {
            continue;
        }
        if (std::isxdigit(static_cast<unsigned char>(line[0])) != 0 &&
            line.find('-') < line.find(' ')) {
            // address perms offset device inode [path]
            std::istringstream fields(line);
            std::string skip;
            for (int i = 0; i < 5; ++i) {
                fields >> skip;
            }
            mapping.clear();
            std::getline(fields >> std::ws, mapping);
            if (mapping.empty()) {
                mapping = "[anon]";
            } else if (mapping[0] == '/') {
                mapping = mapping.substr(mapping.rfind('/') + 1);
            }
        } else if (line.rfind("Rss:", 0) == 0) {
            resident_kib[mapping] += std::atof(line.c_str() + 4);
        }
    }
    std::vector<std::pair<double, std::string>> largest;
    for (const auto& [name, kib] : resident_kib) {
        largest.emplace_back(kib, name);
    }
    std::sort(largest.rbegin(), largest.rend());
    for (std::size_t i = 0; i < largest.size() && i < 16; ++i) {
        std::printf("memory_rss_mib %s: %.2f\n", largest[i].second.c_str(), largest[i].first / 1024.0);
    }
    const struct mallinfo2 heap = mallinfo2();
    print("memory_malloc_in_use_mib", static_cast<double>(heap.uordblks + heap.hblkhd) / 1048576.0);
    print("memory_malloc_free_kept_mib", static_cast<double>(heap.fordblks) / 1048576.0);
    constexpr double mib = 1048576.0;
    const double map = quillomar::shadow_map_size;
    print("memory_gl_window_4x_mib", 1024.0 * 768.0 * 4 * (4 + 4) / mib);
    print("memory_gl_shadow_moments_mib", map * map * 16 / mib);
    print("memory_gl_shadow_bands_mib", 2 * map * quillomar::shadow_band_rows * 16 / mib);
    print("memory_gl_shadow_depth_mib", map * map * 4 / mib);
    print("memory_gl_projectors_mib",
          2.0 * quillomar::projector_map_size * quillomar::projector_map_size * (4 + 4) / mib);
    print("memory_gl_burst_targets_mib",
          renderer.burst_target ? static_cast<double>(renderer.burst_target->target_bytes()) / mib
                                : 0.0);
}

// Runs this program again with `arguments` and returns its "name: value" figures.
std::map<std::string, double> run_scene(const std::string& self, const std::string& arguments) {
    std::map<std::string, double> figures;
    const std::string command = "'" + self + "' " + arguments + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return figures;
    }
    char line[256];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        const char* colon = std::strchr(line, ':');
        if (colon != nullptr) {
            figures[std::string(static_cast<const char*>(line), colon)] = std::atof(colon + 1);
        }
    }
    pclose(pipe);
    return figures;
}

int against_rolling(const std::string& self, int frames) {
    const std::string n = " " + std::to_string(frames);
    auto rolling = run_scene(self, "level.txt" + n + " --scene rolling");
    auto burst = run_scene(self, "level.txt" + n + " --scene burst");
    auto large = run_scene(self, "levels/benchmark_64x64.txt" + n + " --scene rolling");
    auto still = run_scene(self, "level.txt" + n + " --scene still");
    const double yardstick = rolling["frame_ms_median"];
    if (yardstick <= 0.0 || burst.empty() || large.empty() || still.empty()) {
        std::cerr << "a scene did not run (run from the repository root, under xvfb-run -a)\n";
        return 1;
    }
    print("rolling_frame_ms_median", yardstick);
    print("burst_frame_ms_median", burst["frame_ms_median"]);
    print("burst_frame_ms_p95", burst["frame_ms_p95"]);
    print("burst_p95_over_rolling_median (goal <= 2)", burst["frame_ms_p95"] / yardstick);
    print("large_rolling_frame_ms_median", large["frame_ms_median"]);
    print("large_over_rolling_median (goal <= 1.5)", large["frame_ms_median"] / yardstick);
    print("rest_fps_median", still["fps_median"]);
    print("rest_peak_rss_mib", still["peak_rss_mib"]);
    print("burst_peak_rss_mib", burst["peak_rss_mib"]);
    // The same scenes in CPU time, which other work on a shared machine does not inflate.
    print("rolling_frame_cpu_ms_median", rolling["frame_cpu_ms_median"]);
    print("burst_frame_cpu_ms_median", burst["frame_cpu_ms_median"]);
    print("large_rolling_frame_cpu_ms_median", large["frame_cpu_ms_median"]);
    print("rest_frame_cpu_ms_median", still["frame_cpu_ms_median"]);
    return 0;
}

// The specified render targets, which the bar for our memory does not count: the 1024 x 1024
// four-channel float moments map with its mips and depth, and the projector targets.
constexpr double specified_targets_mib = 25.0;

// Median and range of a few ratios: "2.41 (2.20-2.63)".
std::string median_and_range(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    char text[96];
    std::snprintf(text, sizeof text, "%.2f (%.2f-%.2f)", values[values.size() / 2],
                  values.front(), values.back());
    return text;
}

// The game at rest on level.txt and the peer (Debian's neverball) on the first level of its easy
// set, both at 1024 x 768 with 4x multisampling, each a process of its own, measured alike from
// outside (tools/process_figures.h): three pairs, one after the other, the order alternating.
// A bare window's peak (bare_window: the same window, linking nothing of the game's), measured
// before each pair, is the floor both memories stand on.
int against_peer(const std::string& self) {
    namespace fs = std::filesystem;
    const std::string peer = "/usr/games/neverball";
    if (access(peer.c_str(), X_OK) != 0) {
        std::cerr << "the peer is Debian's neverball, not installed here: apt-get install "
                     "neverball\n";
        return 1;
    }
    const fs::path tools = fs::absolute(self).parent_path();
    std::string scratch_template = (fs::temp_directory_path() / "quillomar-peer-XXXXXX").string();
    if (mkdtemp(scratch_template.data()) == nullptr) {
        return 1;
    }
    const fs::path scratch = scratch_template;
    // Each reads its settings from a home of its own: ours the defaults and config.txt, the peer
    // its settings file made here.
    fs::create_directories(scratch / "peer/.neverball");
    std::ofstream(scratch / "peer/.neverball/neverballrc")
        << "fullscreen 0\nwidth 1024\nheight 768\nmultisample 4\nvsync 0\n";
    const std::map<std::string, std::string> ours_env = {
        {"XDG_CONFIG_HOME", (scratch / "config").string()},
        {"XDG_DATA_HOME", (scratch / "data").string()}};
    const std::map<std::string, std::string> peer_env = {{"HOME", (scratch / "peer").string()}};
    constexpr double settle_s = 8.0;
    constexpr double window_s = 20.0;
    std::vector<double> fps_ratios, cpu_ratios, memory_ratios, ours_cores, peer_cores;
    for (int pair = 0; pair < 3; ++pair) {
        const double bare = bench::peak_of_run({(tools / "bare_window").string()});
        std::optional<bench::process_figures> ours, theirs;
        for (int turn = 0; turn < 2; ++turn) {
            if ((turn == 0) == (pair % 2 == 0)) {
                ours = bench::measure_process({(tools / "quillomar").string(), "level.txt"},
                                              ours_env, settle_s, window_s);
            } else {
                theirs = bench::measure_process({peer, "-l", "map-easy/easy.sol"}, peer_env,
                                                settle_s, window_s);
            }
        }
        if (!ours || !theirs || bare <= 0.0) {
            std::cerr << "pair " << pair + 1 << ": a process did not run (run from the "
                      << "repository root, under xvfb-run -a, with the build's quillomar and "
                      << "bare_window beside this program)\n";
            fs::remove_all(scratch);
            return 1;
        }
        std::printf("pair %d: ours %.2f fps, %.1f ms CPU a frame, %.2f cores, peak %.1f MiB; "
                    "peer %.2f fps, %.1f ms CPU a frame, %.2f cores, peak %.1f MiB; bare window "
                    "peak %.1f MiB\n",
                    pair + 1, ours->fps, ours->cpu_ms_per_frame, ours->cpu_cores, ours->peak_mib,
                    theirs->fps, theirs->cpu_ms_per_frame, theirs->cpu_cores, theirs->peak_mib,
                    bare);
        fps_ratios.push_back(ours->fps / theirs->fps);
        cpu_ratios.push_back(theirs->cpu_ms_per_frame / ours->cpu_ms_per_frame);
        memory_ratios.push_back((ours->peak_mib - bare - specified_targets_mib) /
                                (theirs->peak_mib - bare));
        ours_cores.push_back(ours->cpu_cores);
        peer_cores.push_back(theirs->cpu_cores);
    }
    fs::remove_all(scratch);
    std::printf("fps_at_rest_ours_over_peer (goal >= 3): %s\n",
                median_and_range(fps_ratios).c_str());
    std::printf("cpu_per_frame_peer_over_ours (goal >= 3): %s\n",
                median_and_range(cpu_ratios).c_str());
    std::printf("own_memory_ours_over_peer (goal <= 1): %s\n",
                median_and_range(memory_ratios).c_str());
    std::printf("cores_busy_ours: %s\ncores_busy_peer: %s\n", median_and_range(ours_cores).c_str(),
                median_and_range(peer_cores).c_str());
    return 0;
}

// "60,120,300" as frame numbers; anything else is skipped.
std::vector<int> frame_list(const std::string& text) {
    std::vector<int> list;
    std::istringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        if (const int n = std::atoi(item.c_str()); n > 0) {
            list.push_back(n);
        }
    }
    return list;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    std::string scene = "burst";
    std::string shot_prefix;
    std::vector<int> shot_frames;
    bool full_res_burst = false;
    bool whole_map_shadows = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--against-peer") == 0) {
            return against_peer(argv[0]);
        }
        if (std::strcmp(argv[i], "--against-rolling") == 0) {
            const int n = i + 1 < argc ? std::max(1, std::atoi(argv[i + 1])) : 300;
            return against_rolling(argv[0], n);
        }
        if (std::strcmp(argv[i], "--scene") == 0 && i + 1 < argc) {
            scene = argv[++i];
        } else if (std::strcmp(argv[i], "--full-res-burst") == 0) {
            full_res_burst = true;
        } else if (std::strcmp(argv[i], "--whole-shadow-map") == 0) {
            whole_map_shadows = true;
        } else if (std::strcmp(argv[i], "--shots") == 0 && i + 2 < argc) {
            shot_prefix = argv[++i];
            shot_frames = frame_list(argv[++i]);
        } else {
            args.emplace_back(argv[i]);
        }
    }
    if (args.empty() || (scene != "still" && scene != "rolling" && scene != "burst")) {
        std::cerr << "usage: quillomar_bench LEVEL_FILE [FRAMES] [--scene still|rolling|burst] "
                     "[--shots PREFIX F,F,...] [--full-res-burst] [--whole-shadow-map] | "
                     "--against-rolling [FRAMES] | --against-peer\n";
        return 2;
    }
    const std::string level_file = args[0];
    const int frames = args.size() > 1 ? std::max(1, std::atoi(args[1].c_str())) : 600;
    // QUILLOMAR_BENCH_NO_BURST=1 leaves the particle burst out, to see what it costs.
    const bool with_burst =
        scene == "burst" && std::getenv("QUILLOMAR_BENCH_NO_BURST") == nullptr;
    const bool trace = std::getenv("QUILLOMAR_BENCH_TRACE") != nullptr;

    double game_time = 0.0;
    quillomar::set_clock([&] { return game_time; });
    // QUILLOMAR_BENCH_STILL=1 leaves the ball resting on its start cell.
    const bool rolling = scene != "still" && std::getenv("QUILLOMAR_BENCH_STILL") == nullptr;
    // The clock steps one tick a frame, so frame n runs the route's tick n. The route is played
    // headless before the window opens; it is not part of any figure.
    std::vector<quillomar::frame_input> route;
    if (rolling) {
        quillomar::level lvl;
        if (lvl.read_file(level_file)) {
            const quillomar::route_plan plan = quillomar::plan_route(quillomar::make_level_grid(lvl));
            if (plan.found) {
                route = quillomar::play_route(lvl, plan).frames;
            }
        }
        std::cerr << (route.empty() ? "no route: the ball rolls with W held\n"
                                    : "the ball follows the level's route\n");
    }
    int frame_number = 0;
    quillomar::held_to_presses presses;
    auto input = [&](double time) {
        const auto tick = static_cast<std::size_t>(frame_number - 1);
        if (tick < route.size()) {
            quillomar::frame_input recorded = route[tick];
            recorded.time = time;
            return recorded;
        }
        // Past the route's end, or without one: W all the time and a touch of A now and then,
        // so the ball rolls on in wide curves.
        std::array<bool, quillomar::command_count> held{};
        held[static_cast<std::size_t>(quillomar::command::forward)] = rolling;
        held[static_cast<std::size_t>(quillomar::command::turn_left)] =
            rolling && frame_number % 40 == 0;
        return presses.next(time, held);
    };

    auto game = std::make_unique<bench_game>();
    game->level_path = level_file;
    // QUILLOMAR_BENCH_NO_PREPARE=1 loads everything in startup, as before the workers.
    if (std::getenv("QUILLOMAR_BENCH_NO_PREPARE") == nullptr) {
        game->prepare();
    }
    if (glfwInit() == GLFW_FALSE) {
        std::cerr << "no display: run under xvfb-run -a\n";
        return 1;
    }
    GLFWwindow* window = quillomar::open_game_window(1024, 768, nullptr);
    if (window == nullptr) {
        glfwTerminate();
        return 1;
    }

    game->window = window;
    game->width = 1024;
    game->height = 768;
    game->input_source = input;
    {
        // The start-up log is not a benchmark figure.
        std::ostringstream discarded;
        std::streambuf* previous = std::cout.rdbuf(discarded.rdbuf());
        game->startup();
        std::cout.rdbuf(previous);
    }
    const double startup_s = ms_since(process_start) / 1000.0;
    // QUILLOMAR_BENCH_NO_FADE=1 draws particles near the eye whole, as before their near fade.
    if (std::getenv("QUILLOMAR_BENCH_NO_FADE") != nullptr) {
        game->renderer()->particles->near_fade = {-2.0f, -1.0f};
    }
    game->renderer()->full_resolution_burst = full_res_burst;
    game->renderer()->shadows_where_seen = !whole_map_shadows;
    const double startup_peak_mib = peak_resident_mib();

    std::vector<double> frame_ms;
    std::vector<double> frame_cpu_ms;
    frame_ms.reserve(static_cast<std::size_t>(frames));
    std::ostringstream frame_log;
    std::streambuf* previous = std::cout.rdbuf(frame_log.rdbuf());
    double last_frame_cpu_ms = 0.0;
    auto run_frame = [&] {
        game_time += 1.0 / 60.0;
        ++frame_number;
        // Keep a burst running over the ball, as after a pick-up.
        quillomar::game_state& state = game->core().state;
        if (with_burst && !state.particles_active) {
            state.particles_active = true;
            state.pickup_time = game_time;
            state.emitter_pos = state.ball.position;
        }
        const auto start = clock_type::now();
        const double cpu_start = process_cpu_ms();
        game->render();
        glFinish();
        const double ms = ms_since(start);
        last_frame_cpu_ms = process_cpu_ms() - cpu_start;
        if (std::find(shot_frames.begin(), shot_frames.end(), frame_number) != shot_frames.end()) {
            quillomar::save_screenshot(shot_prefix + "-" + std::to_string(frame_number) + ".png",
                                       1024, 768);
        }
        glfwSwapBuffers(window);
        glfwPollEvents();
        frame_log.str("");
        return ms;
    };
    // Every fourth frame drains the GPU after each pass, to see where a frame goes; the draining
    // costs a little, so those frames are left out of the whole-frame figures.
    std::map<std::string, std::vector<double>> pass_ms;
    std::map<std::string, std::vector<double>> pass_cpu_ms;
    clock_type::time_point mark;
    double cpu_mark = 0.0;
    std::string pass_trace;
    auto pass_done = [&](const std::string& pass) {
        glFinish();
        pass_ms[pass].push_back(ms_since(mark));
        const double cpu_now = process_cpu_ms();
        pass_cpu_ms[pass].push_back(cpu_now - cpu_mark);
        cpu_mark = cpu_now;
        if (trace) {
            char text[64];
            std::snprintf(text, sizeof text, " %s %.1f", pass.c_str(), pass_ms[pass].back());
            pass_trace += text;
        }
        mark = clock_type::now();
    };
    std::vector<double> pass_frame_updates;
    for (int frame = 0; frame < frames; ++frame) {
        const bool timing_passes = frame % 4 == 3;
        if (timing_passes) {
            game->after_update = [&] { pass_done("update"); };
            game->renderer()->frame_part_done = [&](const char* part) { pass_done(part); };
            game->renderer()->shadow_map.after_caster_draw = [&] { pass_done("shadow_casters"); };
            mark = clock_type::now();
            cpu_mark = process_cpu_ms();
            pass_trace.clear();
            const std::size_t updates_before = game->update_ms.size();
            run_frame();
            if (trace) {
                std::fprintf(stderr, "passes %d%s\n", frame, pass_trace.c_str());
            }
            game->update_ms.resize(updates_before);
            game->after_update = nullptr;
            game->renderer()->frame_part_done = nullptr;
            game->renderer()->shadow_map.after_caster_draw = nullptr;
            continue;
        }
        frame_ms.push_back(run_frame());
        frame_cpu_ms.push_back(last_frame_cpu_ms);
        if (trace) {
            std::fprintf(stderr, "frame %d %.1f ms ball y %.1f\n", frame, frame_ms.back(),
                         game->state().ball.position.y);
        }
    }
    std::cout.rdbuf(previous);

    print("startup_s", startup_s);
    print("frames", static_cast<double>(frame_ms.size()));
    print("frame_ms_median", percentile(frame_ms, 0.5));
    print("frame_ms_p95", percentile(frame_ms, 0.95));
    print("fps_median", 1000.0 / std::max(1e-9, percentile(frame_ms, 0.5)));
    print("frame_cpu_ms_median", percentile(frame_cpu_ms, 0.5));
    print("updates", static_cast<double>(game->update_ms.size()));
    print("update_ms_median", percentile(game->update_ms, 0.5));
    print("update_ms_p95", percentile(game->update_ms, 0.95));
    print("peak_rss_mib", peak_resident_mib());
    print("startup_peak_rss_mib", startup_peak_mib);
    print("pass_projectors_ms_median", percentile(pass_ms["projectors"], 0.5));
    print("pass_shadow_ms_median", percentile(pass_ms["shadow_casters"], 0.5));
    print("pass_blur_ms_median", percentile(pass_ms["shadow"], 0.5));
    print("pass_update_ms_median", percentile(pass_ms["update"], 0.5));
    print("pass_main_ms_median", percentile(pass_ms["main"], 0.5));
    print("pass_particles_ms_median", percentile(pass_ms["particles"], 0.5));
    print("pass_hud_ms_median", percentile(pass_ms["hud"], 0.5));
    for (const char* pass : {"projectors", "shadow_casters", "shadow", "main", "particles", "hud"}) {
        print((std::string("pass_cpu_") + pass + "_ms_median").c_str(),
              percentile(pass_cpu_ms[pass], 0.5));
    }
    print("pass_main_ms_p95", percentile(pass_ms["main"], 0.95));
    print("pass_particles_ms_p95", percentile(pass_ms["particles"], 0.95));
    if (std::getenv("QUILLOMAR_BENCH_MEMORY") != nullptr) {
        print_memory_account(*game->renderer());
    }

    game->shutdown();
    game.reset();
    glfwTerminate();
    quillomar::set_clock({});
    return 0;
}
