#include "game/words.h"

namespace quillomar {

std::string tr(const char* english) { return english; }

}  // namespace quillomar
