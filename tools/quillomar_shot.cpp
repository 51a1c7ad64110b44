// Plays the game on a level with a manual clock (1/60 s a frame) and a key script, and saves
// screenshots, for looking at the game without a person at the keyboard.
//
//   quillomar_shot LEVEL_FILE OUT_PREFIX SCRIPT...
//
// QUILLOMAR_SHOT_SIZE=WxH (such as 640x480) opens the window at that size instead of 1024 x 768;
// QUILLOMAR_SHOT_MENU=1 starts on the title menu, as --menu does.
//
// Each script word is FRAMES[:KEYS][@]: run FRAMES frames holding KEYS (letters W A S D P C M R
// and space as '_', F-keys as 2 3 4 5 8 9, arrows as < > ^ v), and with '@' save
// OUT_PREFIX-N.png after them. The shell's keys press once as the word begins: Tab as T, Enter
// as N, G, and Pause as Y. Example: 240@ 90:W@ 30:WA 60:W@ 1:T@
//
// Three more KEYS letters stage a scene before the word's first frame, as no key could: '*'
// starts an item burst over the ball, '+' grants one change (so '_' flips at once) and 'F' sets
// the ball down above the finish cell, at rest. QUILLOMAR_SHOT_NO_FADE=1 leaves out the
// particles' near fade.
#include <GL/glew.h>
#include <GLFW/glfw3.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <array>
#include <utility>
#include <sstream>
#include <string>
#include <vector>

#include <btBulletDynamicsCommon.h>

#include "framework/game_window.h"
#include "framework/key_map.h"
#include "framework/seams.h"
#include "render/frame_renderer.h"
#include "shell/quillomar_game.h"
#include "render/screenshot.h"

namespace {

// The command a script letter holds.
bool command_for(char c, quillomar::command& out) {
    using quillomar::command;
    static const std::pair<char, command> letters[] = {
        {'W', command::forward},       {'S', command::back},
        {'A', command::turn_left},     {'D', command::turn_right},
        {'_', command::flip},          {'R', command::restart},
        {'C', command::camera},        {'M', command::music},
        {'P', command::spiders},       {'2', command::frame_time},
        {'3', command::wireframe},     {'4', command::sampling},
        {'5', command::mipmap},        {'8', command::culling},
        {'9', command::transparency},  {'<', command::free_yaw_left},
        {'>', command::free_yaw_right}, {'Q', command::free_pitch_up},
        {'E', command::free_pitch_down}, {'^', command::free_forward},
        {'v', command::free_backward},
    };
    const char upper = c >= 'a' && c <= 'z' && c != 'v' ? static_cast<char>(c - 'a' + 'A') : c;
    for (const auto& [letter, action] : letters) {
        if (letter == upper) {
            out = action;
            return true;
        }
    }
    return false;
}

// Applies the scene-staging letters of a script word.
void stage(char c, quillomar::game_state& state, double game_time) {
    if (c == '*') {
        state.particles_active = true;
        state.pickup_time = game_time;
        state.emitter_pos = state.ball.position;
    } else if (c == '+') {
        ++state.change_count;
    } else if (c == 'F' && state.ball.body) {
        const glm::vec2 finish = state.level.finish;
        const float top = state.level.height_at(finish.x, finish.y);
        btTransform place = state.ball.body->getWorldTransform();
        place.setOrigin(btVector3(finish.x, top + 1.5f, finish.y));
        state.ball.body->setWorldTransform(place);
        state.ball.body->getMotionState()->setWorldTransform(place);
        state.ball.body->setLinearVelocity(btVector3(0, 0, 0));
        state.ball.body->setAngularVelocity(btVector3(0, 0, 0));
        state.ball.body->activate();
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::cerr << "usage: quillomar_shot LEVEL_FILE OUT_PREFIX SCRIPT...\n";
        return 2;
    }
    double game_time = 0.0;
    std::array<bool, quillomar::command_count> held{};
    quillomar::held_to_presses presses;
    quillomar::set_clock([&] { return game_time; });
    if (glfwInit() == GLFW_FALSE) {
        return 1;
    }
    // QUILLOMAR_SHOT_SIZE=WxH opens a window of another size (1024x768 when not given).
    int width = 1024;
    int height = 768;
    if (const char* size = std::getenv("QUILLOMAR_SHOT_SIZE"); size != nullptr) {
        if (std::sscanf(size, "%dx%d", &width, &height) != 2 || width < 64 || height < 64) {
            width = 1024;
            height = 768;
        }
    }
    GLFWwindow* window = quillomar::open_game_window(width, height, nullptr, false);
    if (window == nullptr) {
        return 1;
    }
    auto game = std::make_unique<quillomar::quillomar_game>();
    game->window = window;
    game->width = width;
    game->height = height;
    game->level_path = argv[1];
    game->input_source = [&](double time) { return presses.next(time, held); };
    // QUILLOMAR_SHOT_MENU=1 starts on the title menu, as --menu does.
    game->start_in_menu = std::getenv("QUILLOMAR_SHOT_MENU") != nullptr;
    game->startup();
    // QUILLOMAR_SHOT_NO_FADE=1 draws particles near the eye whole, to compare with the near fade.
    if (std::getenv("QUILLOMAR_SHOT_NO_FADE") != nullptr) {
        game->renderer()->particles->near_fade = {-2.0f, -1.0f};
    }

    int shot = 0;
    for (int i = 3; i < argc; ++i) {
        std::string word = argv[i];
        const bool save = !word.empty() && word.back() == '@';
        if (save) {
            word.pop_back();
        }
        const std::size_t colon = word.find(':');
        const int frames = std::stoi(word.substr(0, colon));
        held = {};
        if (colon != std::string::npos) {
            for (char c : word.substr(colon + 1)) {
                const std::pair<char, int> shell_keys[] = {
                    {'T', GLFW_KEY_TAB}, {'N', GLFW_KEY_ENTER}, {'G', GLFW_KEY_G}, {'Y', GLFW_KEY_PAUSE}};
                for (const auto& [letter, key] : shell_keys) {
                    if (c == letter && game->keys() != nullptr) {
                        game->keys()->key_pressed(key);
                    }
                }
                stage(c, game->core().state, game_time);
                quillomar::command action{};
                if (command_for(c, action)) {
                    held[static_cast<std::size_t>(action)] = true;
                }
            }
        }
        for (int f = 0; f < frames; ++f) {
            game_time += 1.0 / 60.0;
            game->render();
            if (f + 1 < frames || !save) {
                glfwSwapBuffers(window);
            }
        }
        if (save) {
            const std::string path = std::string(argv[2]) + "-" + std::to_string(++shot) + ".png";
            if (quillomar::save_screenshot(path, width, height)) {
                std::fprintf(stderr, "saved %s\n", path.c_str());
            }
            glfwSwapBuffers(window);
        }
        const quillomar::game_state& state = game->state();
        std::fprintf(stderr,
                     "ball (%.2f, %.2f, %.2f) heading (%.2f, %.2f) lives %d change %d%s%s\n",
                     state.ball.position.x, state.ball.position.y, state.ball.position.z,
                     state.ball.heading.x, state.ball.heading.z, state.lives, state.change_count,
                     state.won ? " WON" : "", state.dying ? " DYING" : "");
    }
    game->shutdown();
    game.reset();
    glfwTerminate();
    return 0;
}
