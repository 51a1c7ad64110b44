#include <memory>

#include "shell/quillomar_game.h"

int main() {
    // The game object embeds large pools, so it always lives on the heap.
    auto the_game = std::make_unique<quillomar::quillomar_game>();
    return the_game->run();
}
