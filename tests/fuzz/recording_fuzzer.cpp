// Feeds arbitrary bytes to the recording reader: whatever it accepts holds only frames the game
// can play (times in order, known commands), and comes back unchanged through writing and
// reading again.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/recording.h"

using namespace quillomar;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string why;
    const auto run = parse_recording(std::string(reinterpret_cast<const char*>(data), size), &why);
    if (!run) {
        if (why.empty()) {
            std::abort();  // a refusal always has a reason
        }
        return 0;
    }
    double previous = 0.0;
    for (const frame_input& frame : run->frames) {
        if (!(frame.time >= previous) || run->frames.size() > max_recording_frames ||
            frame.steer < -max_steer_per_tick || frame.steer > max_steer_per_tick) {
            std::abort();
        }
        previous = frame.time;
    }
    const std::string written = format_recording(*run);
    const auto again = parse_recording(written);
    if (!again || format_recording(*again) != written) {
        std::abort();
    }
    return 0;
}
