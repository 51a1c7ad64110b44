// Runs the game on a level for a number of frames on a manual clock (1/60 s a frame) in a
// 1024 x 768 window, with the ball rolling and an item burst running, and prints one
// "name: value" line per figure: start-up time, whole-frame median and 95th percentile, the
// update, each pass's median and the peak resident memory (VmHWM).
//
//   quillomar_bench LEVEL_FILE [FRAMES] [--scene still|rolling|burst]   (from the repository root)
//
// The scenes: "burst" (the default) rolls the ball along the level's planned route with a burst
// kept running over it, "rolling" leaves the burst out and "still" leaves the ball resting on its
// start cell without a burst. The route is the one the level check plays, tick for tick, so the
// ball stays on the cubes and picks its items up at the same frames in every run; a level
// without a route falls back to W held with a touch of A now and then.
// QUILLOMAR_BENCH_NO_BURST=1 and QUILLOMAR_BENCH_STILL=1 switch the two parts off as well;
// QUILLOMAR_BENCH_NO_FADE=1 draws particles near the eye whole and QUILLOMAR_BENCH_NO_PREPARE=1
// loads everything in startup instead of on the workers, to compare with what they replaced;
// QUILLOMAR_BENCH_TRACE=1 prints every frame's time and, for the frames timed pass by pass,
// each pass.
#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
#include "shell/quillomar_game.h"

namespace {

using clock_type = std::chrono::steady_clock;
const clock_type::time_point process_start = clock_type::now();

double ms_since(clock_type::time_point start) {
    return std::chrono::duration<double, std::milli>(clock_type::now() - start).count();
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

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    std::string scene = "burst";
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--scene") == 0 && i + 1 < argc) {
            scene = argv[++i];
        } else {
            args.emplace_back(argv[i]);
        }
    }
    if (args.empty() || (scene != "still" && scene != "rolling" && scene != "burst")) {
        std::cerr << "usage: quillomar_bench LEVEL_FILE [FRAMES] [--scene still|rolling|burst]\n";
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
    const double startup_peak_mib = peak_resident_mib();

    std::vector<double> frame_ms;
    frame_ms.reserve(static_cast<std::size_t>(frames));
    std::ostringstream frame_log;
    std::streambuf* previous = std::cout.rdbuf(frame_log.rdbuf());
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
        game->render();
        glFinish();
        const double ms = ms_since(start);
        glfwSwapBuffers(window);
        glfwPollEvents();
        frame_log.str("");
        return ms;
    };
    // Every fourth frame drains the GPU after each pass, to see where a frame goes; the draining
    // costs a little, so those frames are left out of the whole-frame figures.
    std::map<std::string, std::vector<double>> pass_ms;
    clock_type::time_point mark;
    std::string pass_trace;
    auto pass_done = [&](const std::string& pass) {
        glFinish();
        pass_ms[pass].push_back(ms_since(mark));
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
    print("pass_main_ms_p95", percentile(pass_ms["main"], 0.95));
    print("pass_particles_ms_p95", percentile(pass_ms["particles"], 0.95));

    game->shutdown();
    game.reset();
    glfwTerminate();
    quillomar::set_clock({});
    return 0;
}
