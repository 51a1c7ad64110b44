// The sound's reaction to a step of the game: it starts and stops what the events ask for.
#pragma once

#include "game/game_events.h"

namespace quillomar {

class sound_engine;

// Plays the step's sound events in order; with no engine (no sound device) nothing plays.
void play_sound_events(sound_engine* engine, const game_events& events);

}  // namespace quillomar
