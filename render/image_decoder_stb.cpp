#include "render/image_decoder.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_JPEG
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_ONLY_TGA
#define STBI_NO_STDIO
#include <stb_image.h>

#include <algorithm>
#include <climits>
#include <memory>

namespace quillomar {

bool decode_image_pixels(const std::string& bytes, int& width, int& height,
                         std::vector<std::uint8_t>& texels) {
    texels.clear();
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) {
        return false;
    }
    int channels = 0;
    const std::unique_ptr<stbi_uc, void (*)(void*)> pixels(
        stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                              static_cast<int>(bytes.size()), &width, &height, &channels, 4),
        stbi_image_free);
    if (!pixels || width <= 0 || height <= 0) {
        return false;
    }
    // stb_image gives the top row first; OpenGL uploads the bottom row first.
    const std::size_t row_bytes = static_cast<std::size_t>(width) * 4;
    texels.resize(row_bytes * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const stbi_uc* row = pixels.get() + row_bytes * static_cast<std::size_t>(height - 1 - y);
        std::copy(row, row + row_bytes, texels.begin() + static_cast<std::ptrdiff_t>(row_bytes * y));
    }
    return true;
}

}  // namespace quillomar
