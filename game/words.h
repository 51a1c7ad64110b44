// The player's words in a game started from the title menu: each text is written in English
// where it is used, wrapped in tr(), and shown in the language in force. The game started
// without the title menu never calls tr(), so its texts stay exactly as they are.
#pragma once

#include <string>

namespace quillomar {

// `english` in the language in force; English itself until a catalogue is put in force.
std::string tr(const char* english);

}  // namespace quillomar
