#include "level/facing.h"

namespace quillomar {
namespace {

constexpr const char* names[] = {"north", "east", "south", "west"};

}  // namespace

std::optional<facing> facing_named(std::string_view word) {
    for (int i = 0; i < 4; ++i) {
        if (word == names[i]) {
            return static_cast<facing>(i);
        }
    }
    return std::nullopt;
}

const char* facing_name(facing f) {
    return names[static_cast<int>(f) & 3];
}

facing turned_right(facing f) {
    return static_cast<facing>((static_cast<int>(f) + 1) & 3);
}

}  // namespace quillomar
