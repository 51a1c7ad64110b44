#pragma once

namespace quillomar {

// The console's "pause" on the fatal paths: waits for Enter when standard input is a terminal and
// returns at once otherwise, so scripts and tests never hang on it.
void console_pause();

}  // namespace quillomar
