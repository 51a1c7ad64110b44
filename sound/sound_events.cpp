#include "sound/sound_events.h"

#include "sound/sound_engine.h"

namespace quillomar {

void play_sound_events(sound_engine* engine, const game_events& events) {
    if (engine == nullptr) {
        return;
    }
    for (const game_event& e : events) {
        if (e.kind == event_kind::play_sound) {
            engine->play_2d(e.text, e.looped);
        } else if (e.kind == event_kind::stop_sounds) {
            engine->stop_all_sounds();
        }
    }
}

}  // namespace quillomar
