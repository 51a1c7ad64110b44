#include "render/system_font.h"

namespace quillomar {

std::string system_serif_file() {
    return std::string();
}

}  // namespace quillomar
