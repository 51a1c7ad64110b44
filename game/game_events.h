// What one step of the game reports: the rules announce, the shell, the HUD, the sound and the
// console react. Events come in the order they happened within the step.
#pragma once

#include <glm/glm.hpp>
#include <string>
#include <utility>
#include <vector>

namespace quillomar {

enum class event_kind {
    item_picked,    // position: where the item was
    died,           // value: lives at the death (the countdown starts)
    lives_changed,  // value: the new number of lives
    won,
    lost,
    flip_started,
    flip_ended,
    message,       // text: a setting's announcement, shown for five seconds
    play_sound,    // text: the sound's game path; looped as flagged
    stop_sounds,   // every sound stops
    console_line,  // text: one line for the console log
};

struct game_event {
    event_kind kind = event_kind::console_line;
    std::string text;
    glm::vec3 position{0.0f};
    int value = 0;
    bool looped = false;

    game_event() = default;
    game_event(event_kind k, std::string t = {}, const glm::vec3& p = glm::vec3(0.0f), int v = 0,
               bool l = false)
        : kind(k), text(std::move(t)), position(p), value(v), looped(l) {}
};

using game_events = std::vector<game_event>;

}  // namespace quillomar
