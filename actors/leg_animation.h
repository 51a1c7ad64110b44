// The spiders' legs: all spiders share one pose. Every leg swings linearly between 0 and twice its
// amplitude, one stroke at a time; the first stroke takes 0.5 s, every later one a random time
// between 0.3 and 0.7 s.
#pragma once

#include <glm/glm.hpp>
#include <vector>

#include "common/random_stream.h"

namespace quillomar {

// The level's six leg lists, one entry per leg.
struct leg_lists {
    std::vector<glm::vec3>& offsets;
    std::vector<glm::vec3>& from;
    std::vector<double>& durations;
    std::vector<double>& started;
    std::vector<bool>& moving;
    const std::vector<float>& amplitudes;
};

// Advances every leg to the time `now` (seconds). A stroke that has run its duration ends at
// its far value and draws the next duration; the following call starts the next stroke.
// Legs missing from any of the lists are left alone. Durations are drawn from `random`.
void animate_legs(const leg_lists& legs, double now, random_stream& random);

// The next stroke's duration for a random value r in [0, 32767]: between 0.3 and 0.7 s.
double stroke_duration(int r);

// A random value in [0, 32767] for stroke_duration.
int stroke_random(random_stream& random);

}  // namespace quillomar
