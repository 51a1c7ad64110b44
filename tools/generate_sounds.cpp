// Writes the game's two sounds below the output root (default: Quillomar): sounds/loop.wav, 32
// seconds of background music that loops without a seam, and sounds/winning.wav, a short jingle.
// Both are mono 16-bit PCM at 22050 Hz. Output is the same byte for byte on every run.
#include <filesystem>
#include <iostream>
#include <vector>

#include "tools/asset_generation/output.h"
#include "tools/asset_generation/synth.h"

namespace {

using namespace quillomar::tools;

// 120 beats a minute, four beats a bar: a bar is two seconds, and sixteen bars fill the loop
// exactly (705,600 samples).
const double beat = 0.5;
const int beats_per_bar = 4;
const int bars = 16;

struct chord {
    int bass;
    int tones[3];  // the pad's voicing, round middle C
};

// I - vi - IV - V - I - vi - ii - V in C major, twice.
const chord progression[8] = {{48, {60, 64, 67}}, {45, {57, 60, 64}}, {41, {57, 60, 65}},
                              {43, {59, 62, 67}}, {48, {60, 64, 67}}, {45, {57, 60, 64}},
                              {38, {57, 62, 65}}, {43, {59, 62, 67}}};

struct note {
    double beats;
    int pitch;  // MIDI note number; 0 is a rest
};

// One bar after another, four beats each; the second half answers the first an octave's reach
// higher and ends on G so that it leads back into the first bar.
const std::vector<std::vector<note>> melody = {{{1.5, 76}, {0.5, 74}, {1, 72}, {1, 67}},
                                               {{1, 69}, {1, 72}, {1.5, 76}, {0.5, 74}},
                                               {{1, 77}, {1, 76}, {1, 72}, {1, 69}},
                                               {{1.5, 71}, {0.5, 72}, {2, 74}},
                                               {{1, 76}, {1, 79}, {1, 76}, {1, 72}},
                                               {{1.5, 76}, {0.5, 74}, {1, 72}, {1, 69}},
                                               {{1, 77}, {1, 76}, {1, 74}, {1, 69}},
                                               {{1, 71}, {1, 74}, {2, 67}},
                                               {{2, 79}, {1, 76}, {1, 72}},
                                               {{1, 72}, {1, 76}, {2, 81}},
                                               {{1, 81}, {1, 79}, {1, 77}, {1, 72}},
                                               {{1.5, 74}, {0.5, 76}, {1, 74}, {1, 71}},
                                               {{1, 72}, {1, 76}, {1.5, 79}, {0.5, 76}},
                                               {{1, 81}, {1, 79}, {2, 76}},
                                               {{1, 77}, {1, 81}, {1, 74}, {1, 77}},
                                               {{1, 74}, {1, 71}, {2, 67}}};

std::vector<double> loop_music() {
    const double bar = beat * beats_per_bar;
    mix_buffer mix;
    mix.samples.assign(static_cast<std::size_t>(bars * bar * sample_rate), 0.0);
    mix.looping = true;
    for (int b = 0; b < bars; ++b) {
        const chord& c = progression[b % 8];
        const double start = b * bar;
        for (int tone : c.tones) {
            // Each pad chord overlaps the next a little, so the harmony never thins out.
            mix.add(start, bar + 0.45, pad_voice(midi_frequency(tone), bar + 0.45, 0.09));
        }
        for (int i = 0; i < 3; ++i) {
            const double at = start + (i == 2 ? 3.5 : i * 2.0) * beat;
            const double length = i == 2 ? 0.5 * beat : 1.5 * beat;
            mix.add(at, length, bass_voice(midi_frequency(c.bass), length, 0.22));
        }
        // Broken chord in eighths, an octave above the pad.
        const int pattern[8] = {0, 1, 2, 3, 2, 1, 0, 1};
        for (int i = 0; i < 8; ++i) {
            const int index = pattern[i];
            const int pitch = index == 3 ? c.tones[0] + 24 : c.tones[index] + 12;
            mix.add(start + i * beat * 0.5, 0.9, bell_voice(midi_frequency(pitch), 0.9, 0.05));
        }
        double at = start;
        for (const note& n : melody[static_cast<std::size_t>(b)]) {
            const double length = n.beats * beat;
            if (n.pitch != 0) {
                mix.add(at, length * 0.95,
                        lead_voice(midi_frequency(n.pitch), length * 0.95, 0.13));
            }
            at += length;
        }
        for (int i = 0; i < beats_per_bar; ++i) {
            if (i % 2 == 0) {
                mix.add(start + i * beat, 0.3, kick_voice(0.35));
            }
            mix.add(start + (i + 0.5) * beat, 0.09, hat_voice(0.05, 7U));
        }
    }
    return mix.samples;
}

std::vector<double> winning_jingle() {
    const double length = 2.5;
    mix_buffer mix;
    mix.samples.assign(static_cast<std::size_t>(length * sample_rate), 0.0);
    // A rising C major arpeggio, then the full chord with a sparkle on top.
    const int run[4] = {72, 76, 79, 84};
    for (int i = 0; i < 4; ++i) {
        mix.add(i * 0.09, 0.8, bell_voice(midi_frequency(run[i]), 0.8, 0.3));
    }
    for (int pitch : {72, 76, 79, 84, 88}) {
        mix.add(0.42, 2.0, bell_voice(midi_frequency(pitch), 2.0, 0.22));
        mix.add(0.42, 2.05, pad_voice(midi_frequency(pitch - 12), 2.05, 0.08));
    }
    mix.add(0.42, 1.6, bass_voice(midi_frequency(48), 1.6, 0.3));
    mix.add(0.42, 0.3, kick_voice(0.4));
    mix.add(0.75, 0.8, bell_voice(midi_frequency(91), 0.8, 0.1));
    mix.add(0.87, 0.8, bell_voice(midi_frequency(96), 0.8, 0.1));
    return mix.samples;
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path dir = make_directory(output_root(argc, argv), "sounds");
    if (dir.empty()) {
        return 1;
    }
    if (!write_wav((dir / "loop.wav").string(), to_pcm16(loop_music(), 0.7)) ||
        !write_wav((dir / "winning.wav").string(), to_pcm16(winning_jingle(), 0.85))) {
        return 1;
    }
    std::cout << "sounds written below " << dir.string() << std::endl;
    return 0;
}
