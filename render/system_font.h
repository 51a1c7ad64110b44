// The face the HUD falls back to when the game's own font is missing or broken.
#pragma once

#include <string>

namespace quillomar {

// The file of the system's default serif face; empty when there is none (the browser has no
// system fonts to read: its data holds the game's font only).
std::string system_serif_file();

}  // namespace quillomar
