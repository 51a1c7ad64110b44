#pragma once

#include <string>

namespace quillomar {

// Decimal text of a signed 32-bit number, for the HUD.
std::string to_text(int value);

}  // namespace quillomar
