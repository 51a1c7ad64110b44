// Plays the game on a level with a manual clock (1/60 s a frame) and a key script, and saves
// screenshots, for looking at the game without a person at the keyboard.
//
//   quillomar_shot LEVEL_FILE OUT_PREFIX SCRIPT...
//
// Each script word is FRAMES[:KEYS][@]: run FRAMES frames holding KEYS (letters W A S D P C M R
// and space as '_', F-keys as 2 3 4 5 8 9, arrows as < > ^ v), and with '@' save
// OUT_PREFIX-N.png after them. Example: 240@ 90:W@ 30:WA 60:W@
#include <GLFW/glfw3.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "framework/game_window.h"
#include "framework/seams.h"
#include "game/quillomar_game.h"
#include "render/screenshot.h"

namespace {

int key_for(char c) {
    switch (c) {
        case '_':
            return GLFW_KEY_SPACE;
        case '2':
            return GLFW_KEY_F2;
        case '3':
            return GLFW_KEY_F3;
        case '4':
            return GLFW_KEY_F4;
        case '5':
            return GLFW_KEY_F5;
        case '8':
            return GLFW_KEY_F8;
        case '9':
            return GLFW_KEY_F9;
        case '<':
            return GLFW_KEY_LEFT;
        case '>':
            return GLFW_KEY_RIGHT;
        case '^':
            return GLFW_KEY_UP;
        case 'v':
            return GLFW_KEY_DOWN;
        default:
            return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::cerr << "usage: quillomar_shot LEVEL_FILE OUT_PREFIX SCRIPT...\n";
        return 2;
    }
    double game_time = 0.0;
    std::set<int> held;
    quillomar::set_clock([&] { return game_time; });
    quillomar::set_key_reader(
        [&](GLFWwindow*, int key) { return held.count(key) != 0 ? GLFW_PRESS : GLFW_RELEASE; });
    if (glfwInit() == GLFW_FALSE) {
        return 1;
    }
    GLFWwindow* window = quillomar::open_game_window(1024, 768, nullptr, false);
    if (window == nullptr) {
        return 1;
    }
    auto game = std::make_unique<quillomar::quillomar_game>();
    game->window = window;
    game->width = 1024;
    game->height = 768;
    game->level_path = argv[1];
    game->startup();

    int shot = 0;
    for (int i = 3; i < argc; ++i) {
        std::string word = argv[i];
        const bool save = !word.empty() && word.back() == '@';
        if (save) {
            word.pop_back();
        }
        const std::size_t colon = word.find(':');
        const int frames = std::stoi(word.substr(0, colon));
        held.clear();
        if (colon != std::string::npos) {
            for (char c : word.substr(colon + 1)) {
                held.insert(key_for(c));
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
            if (quillomar::save_screenshot(path, 1024, 768)) {
                std::fprintf(stderr, "saved %s\n", path.c_str());
            }
            glfwSwapBuffers(window);
        }
        std::fprintf(stderr,
                     "ball (%.2f, %.2f, %.2f) heading (%.2f, %.2f) lives %d change %d%s%s\n",
                     game->ball.position.x, game->ball.position.y, game->ball.position.z,
                     game->ball.heading.x, game->ball.heading.z, game->lives, game->change_count,
                     game->won ? " WON" : "", game->dying ? " DYING" : "");
    }
    game->shutdown();
    game.reset();
    glfwTerminate();
    return 0;
}
