// The game's sound output: whole sound files decoded with libsndfile and played through OpenAL
// Soft, each as an unpositioned (2D) source.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>

#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quillomar {

class sound_engine {
public:
    // Opens the output device (the system's default when `device_name` is null); its context is
    // opened by the first sound played. Null when no output device can be opened; the game then
    // plays silently, as it does when the device gives no context.
    static std::unique_ptr<sound_engine> create(const char* device_name = nullptr);

    ~sound_engine();
    sound_engine(const sound_engine&) = delete;
    sound_engine& operator=(const sound_engine&) = delete;

    // Starts the file at the game path (mapped with platform_path) at once, looped or once.
    // A file that cannot be read or decoded prints one line naming it and plays nothing. Sources
    // that have finished are reclaimed here; decoded files stay cached by path.
    void play_2d(const std::string& game_path, bool looped);

    // Stops every sound of this engine and releases their sources.
    void stop_all_sounds();

    // The loudness of looped sounds (the music) and of the rest, 0 to 1; sounds playing now
    // change at once.
    void set_gains(float music, float effects);

    // Sources currently held: playing ones, and finished ones not yet reclaimed.
    std::size_t active_sources() const;
    // Sources that are playing right now.
    int playing_count() const;
    // Decoded files held in the cache.
    std::size_t cached_buffers() const;
    // The context is open (the first sound has been asked for).
    bool has_context() const { return context_ != nullptr; }

private:
    explicit sound_engine(ALCdevice* device);

    // Opens the context on first use and makes it current; false when the device gave none.
    bool open_context();
    void make_current() const;
    void reclaim_finished_sources();
    void release_sources(std::vector<ALuint>::iterator first, std::vector<ALuint>::iterator last);
    // The OpenAL buffer holding the whole decoded file, or 0 after printing why there is none.
    ALuint buffer_for(const std::string& game_path);

    ALCdevice* device_ = nullptr;
    ALCcontext* context_ = nullptr;  // none until the first sound
    bool context_refused_ = false;
    std::vector<ALuint> sources_;
    std::map<std::string, ALuint> buffers_;
    float music_gain_ = 1.0f;
    float effects_gain_ = 1.0f;
};

}  // namespace quillomar
