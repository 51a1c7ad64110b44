// A small additive synthesiser for the generated music: notes are mixed into a buffer of fixed
// length. In a looping buffer a note that rings past the end continues at the start, so the last
// sample leads into the first exactly as the music would go on, and the loop has no seam.
#pragma once

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "tools/asset_generation/noise.h"

namespace quillomar::tools {

inline constexpr int sample_rate = 22050;
inline constexpr double two_pi = 6.28318530717958647692;

inline double midi_frequency(int note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

struct mix_buffer {
    std::vector<double> samples;
    bool looping = false;

    // Adds `voice(t)` for t = 0 .. `seconds` from `start` seconds on; the voice is expected to be
    // silent at both ends.
    void add(double start, double seconds, const std::function<double(double)>& voice) {
        const long first = std::lround(start * sample_rate);
        const long count = std::lround(seconds * sample_rate);
        const long size = static_cast<long>(samples.size());
        for (long i = 0; i < count; ++i) {
            long index = first + i;
            if (looping) {
                index %= size;
            } else if (index >= size) {
                break;
            }
            samples[static_cast<std::size_t>(index)] += voice(static_cast<double>(i) / sample_rate);
        }
    }
};

// Rises over `attack` seconds from silence and falls to silence over the last `release` seconds of
// `length`; smooth at both ends so notes start and stop without a click.
inline double envelope(double t, double length, double attack, double release) {
    if (t <= 0.0 || t >= length) {
        return 0.0;
    }
    const double rise = t < attack ? 0.5 - 0.5 * std::cos(t / attack * two_pi * 0.5) : 1.0;
    const double to_end = length - t;
    const double fall =
        to_end < release ? 0.5 - 0.5 * std::cos(to_end / release * two_pi * 0.5) : 1.0;
    return rise * fall;
}

// Soft chord pad: two slightly detuned voices with a little second and third harmonic.
inline std::function<double(double)> pad_voice(double frequency, double length, double level) {
    return [=](double t) {
        const double e = envelope(t, length, 0.35, 0.6);
        double v = 0.0;
        for (double detune : {0.998, 1.002}) {
            const double f = frequency * detune;
            v += std::sin(two_pi * f * t) + 0.2 * std::sin(two_pi * 2.0 * f * t) +
                 0.06 * std::sin(two_pi * 3.0 * f * t);
        }
        return level * e * 0.5 * v;
    };
}

// Plucked bell: partials that die away faster the higher they are.
inline std::function<double(double)> bell_voice(double frequency, double length, double level) {
    return [=](double t) {
        const double e = envelope(t, length, 0.004, 0.05);
        const double v = std::sin(two_pi * frequency * t) * std::exp(-t * 4.0) +
                         0.35 * std::sin(two_pi * 2.0 * frequency * t) * std::exp(-t * 7.0) +
                         0.12 * std::sin(two_pi * 3.01 * frequency * t) * std::exp(-t * 11.0) +
                         0.05 * std::sin(two_pi * 4.2 * frequency * t) * std::exp(-t * 16.0);
        return level * e * v;
    };
}

inline std::function<double(double)> bass_voice(double frequency, double length, double level) {
    return [=](double t) {
        const double e = envelope(t, length, 0.01, 0.08) * (0.55 + 0.45 * std::exp(-t * 3.0));
        return level * e *
               (std::sin(two_pi * frequency * t) + 0.3 * std::sin(two_pi * 2.0 * frequency * t));
    };
}

// A breathy lead like a soft flute, with a gentle vibrato that sets in after the attack.
inline std::function<double(double)> lead_voice(double frequency, double length, double level) {
    return [=](double t) {
        const double e = envelope(t, length, 0.04, 0.12) * (0.8 + 0.2 * std::exp(-t * 2.0));
        const double depth = 0.003 * std::min(1.0, t / 0.3);
        const double phase =
            two_pi * frequency * t - depth * frequency / 5.0 * std::cos(two_pi * 5.0 * t);
        return level * e *
               (std::sin(phase) + 0.15 * std::sin(2.0 * phase) + 0.04 * std::sin(3.0 * phase));
    };
}

// A soft kick: a sine falling quickly from 115 Hz to 45 Hz.
inline std::function<double(double)> kick_voice(double level) {
    return [=](double t) {
        const double length = 0.3;
        const double phase = two_pi * (45.0 * t + 70.0 * 0.03 * (1.0 - std::exp(-t / 0.03)));
        return level * envelope(t, length, 0.002, 0.05) * std::exp(-t / 0.12) * std::sin(phase);
    };
}

// A closed hi-hat from hashed noise; `seed` picks the noise so every hit is the same sound.
inline std::function<double(double)> hat_voice(double level, std::uint32_t seed) {
    return [=](double t) {
        const double length = 0.09;
        const int i = static_cast<int>(std::lround(t * sample_rate));
        // The difference of two noise samples takes away the low end.
        const double noise = lattice_value(i, 0, seed) - lattice_value(i - 1, 0, seed);
        return level * envelope(t, length, 0.001, 0.03) * std::exp(-t / 0.025) * noise;
    };
}

// Scales the mix so its loudest sample reaches `peak` of full scale, then rounds to 16 bits.
inline std::vector<short> to_pcm16(const std::vector<double>& samples, double peak) {
    double loudest = 0.0;
    for (double s : samples) {
        loudest = std::max(loudest, std::abs(s));
    }
    const double gain = loudest > 0.0 ? peak / loudest : 0.0;
    std::vector<short> result(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        result[i] =
            static_cast<short>(std::lround(std::clamp(samples[i] * gain, -1.0, 1.0) * 32767.0));
    }
    return result;
}

// A mono 16-bit PCM WAV file at the synthesiser's rate. Prints one line on failure.
inline bool write_wav(const std::string& path, const std::vector<short>& samples) {
    SF_INFO info{};
    info.samplerate = sample_rate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        std::cout << "could not write " << path << ": " << sf_strerror(nullptr) << std::endl;
        return false;
    }
    const sf_count_t written =
        sf_write_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
    if (written != static_cast<sf_count_t>(samples.size())) {
        std::cout << "could not write all of " << path << std::endl;
        return false;
    }
    return true;
}

}  // namespace quillomar::tools
