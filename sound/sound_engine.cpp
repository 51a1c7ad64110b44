#include "sound/sound_engine.h"

#if __has_include(<AL/efx.h>)
#include <AL/efx.h>
#define NO_EFFECT_SENDS ALC_MAX_AUXILIARY_SENDS, 0,
#else
// The browser's OpenAL has no effects, nor the attribute that turns their sends off.
#define NO_EFFECT_SENDS
#endif
#include <sndfile.h>

#include <algorithm>
#include <climits>
#include <iostream>

#include "framework/asset_paths.h"

namespace quillomar {
namespace {

// Closes the libsndfile handle on every path out of the decoder.
struct sndfile_closer {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
using sndfile_handle = std::unique_ptr<SNDFILE, sndfile_closer>;

void report_unplayable(const std::string& path, const std::string& reason) {
    std::cout << "could not play sound file " << path << ": " << reason << std::endl;
}

}  // namespace

std::unique_ptr<sound_engine> sound_engine::create(const char* device_name) {
    ALCdevice* device = alcOpenDevice(device_name);
    if (device == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<sound_engine>(new sound_engine(device));
}

sound_engine::sound_engine(ALCdevice* device) : device_(device) {}

sound_engine::~sound_engine() {
    if (context_ == nullptr) {
        alcCloseDevice(device_);
        return;
    }
    make_current();
    release_sources(sources_.begin(), sources_.end());
    for (const auto& entry : buffers_) {
        alDeleteBuffers(1, &entry.second);
    }
    if (alcGetCurrentContext() == context_) {
        alcMakeContextCurrent(nullptr);
    }
    alcDestroyContext(context_);
    alcCloseDevice(device_);
}

// OpenAL Soft sets aside mixing state for 256 voices with a context (8 MiB), whatever the
// attributes ask for, so the context waits for the first sound: a game at rest plays none.
bool sound_engine::open_context() {
    if (context_ == nullptr && !context_refused_) {
        // The game plays a few sounds at a time and uses no effects: few sources, no effect sends.
        const ALCint attributes[] = {ALC_MONO_SOURCES, 16, ALC_STEREO_SOURCES, 16,
                                     NO_EFFECT_SENDS 0};
        context_ = alcCreateContext(device_, attributes);
        if (context_ == nullptr) {
            context_refused_ = true;
            std::cout << "the sound output opened no context: the game plays silently"
                      << std::endl;
        }
    }
    if (context_ == nullptr) {
        return false;
    }
    make_current();
    return true;
}

// OpenAL's current context is process-wide; making ours current before each use keeps the engine
// correct even if another context was made current in between.
void sound_engine::make_current() const {
    if (alcGetCurrentContext() != context_) {
        alcMakeContextCurrent(context_);
    }
}

void sound_engine::play_2d(const std::string& game_path, bool looped) {
    if (!open_context()) {
        return;
    }
    reclaim_finished_sources();

    const ALuint buffer = buffer_for(game_path);
    if (buffer == 0) {
        return;
    }

    alGetError();
    ALuint source = 0;
    alGenSources(1, &source);
    if (alGetError() != AL_NO_ERROR) {
        report_unplayable(platform_path(game_path), "no free sound source");
        return;
    }
    // Relative to the listener at its own position: heard straight on, with no attenuation.
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffer));
    alSourcei(source, AL_LOOPING, looped ? AL_TRUE : AL_FALSE);
    alSourcef(source, AL_GAIN, looped ? music_gain_ : effects_gain_);
    alSourcePlay(source);
    sources_.push_back(source);
}

void sound_engine::stop_all_sounds() {
    if (context_ == nullptr) {
        return;  // nothing has played yet
    }
    make_current();
    release_sources(sources_.begin(), sources_.end());
    sources_.clear();
}

// One source at a time, and only one that OpenAL still knows: a list call fails whole on one bad
// name (leaving the rest playing), and the browser's alSourceStopv throws on any source at all
// (Emscripten 3.1.6 hands setSourceState the source's number instead of its record). Deleting a
// source stops it, playing or not yet started.
void sound_engine::release_sources(std::vector<ALuint>::iterator first,
                                   std::vector<ALuint>::iterator last) {
    for (; first != last; ++first) {
        if (alIsSource(*first) == AL_TRUE) {
            alDeleteSources(1, &*first);
        }
    }
}

void sound_engine::set_gains(float music, float effects) {
    music_gain_ = music;
    effects_gain_ = effects;
    if (context_ == nullptr) {
        return;
    }
    make_current();
    for (ALuint source : sources_) {
        ALint looped = AL_FALSE;
        alGetSourcei(source, AL_LOOPING, &looped);
        alSourcef(source, AL_GAIN, looped == AL_TRUE ? music : effects);
    }
}

std::size_t sound_engine::active_sources() const {
    return sources_.size();
}

int sound_engine::playing_count() const {
    if (context_ == nullptr) {
        return 0;
    }
    make_current();
    int playing = 0;
    for (ALuint source : sources_) {
        ALint state = AL_STOPPED;
        alGetSourcei(source, AL_SOURCE_STATE, &state);
        if (state == AL_PLAYING) {
            ++playing;
        }
    }
    return playing;
}

std::size_t sound_engine::cached_buffers() const {
    return buffers_.size();
}

void sound_engine::reclaim_finished_sources() {
    const auto finished = std::stable_partition(sources_.begin(), sources_.end(), [](ALuint s) {
        ALint state = AL_STOPPED;
        alGetSourcei(s, AL_SOURCE_STATE, &state);
        return state == AL_PLAYING || state == AL_PAUSED;
    });
    release_sources(finished, sources_.end());
    sources_.erase(finished, sources_.end());
}

ALuint sound_engine::buffer_for(const std::string& game_path) {
    const auto cached = buffers_.find(game_path);
    if (cached != buffers_.end()) {
        return cached->second;
    }

    const std::string path = platform_path(game_path);
    SF_INFO info{};
    const sndfile_handle file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) {
        report_unplayable(path, sf_strerror(nullptr));
        return 0;
    }
    ALenum format = 0;
    if (info.channels == 1) {
        format = AL_FORMAT_MONO16;
    } else if (info.channels == 2) {
        format = AL_FORMAT_STEREO16;
    } else {
        report_unplayable(path, std::to_string(info.channels) + " channels (mono or stereo only)");
        return 0;
    }
    // OpenAL takes the whole buffer's size as an int.
    const sf_count_t max_frames =
        INT_MAX / (static_cast<sf_count_t>(sizeof(short)) * info.channels);
    if (info.frames <= 0 || info.frames > max_frames || info.samplerate <= 0) {
        report_unplayable(path, "no audio, or too long to decode at once");
        return 0;
    }

    std::vector<short> samples(static_cast<std::size_t>(info.frames) *
                               static_cast<std::size_t>(info.channels));
    const sf_count_t frames = sf_readf_short(file.get(), samples.data(), info.frames);
    if (frames <= 0) {
        report_unplayable(path, "no audio could be decoded");
        return 0;
    }

    alGetError();
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    alBufferData(
        buffer, format, samples.data(),
        static_cast<ALsizei>(frames * info.channels * static_cast<sf_count_t>(sizeof(short))),
        info.samplerate);
    if (alGetError() != AL_NO_ERROR) {
        alDeleteBuffers(1, &buffer);
        report_unplayable(path, "the sound output refused its format");
        return 0;
    }
    buffers_.emplace(game_path, buffer);
    return buffer;
}

}  // namespace quillomar
