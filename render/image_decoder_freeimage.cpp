#include "render/image_decoder.h"

#include <FreeImage.h>

#include <algorithm>
#include <memory>

namespace quillomar {
namespace {

// Frees a FreeImage bitmap or memory stream on every path out.
struct bitmap_closer {
    void operator()(FIBITMAP* image) const { FreeImage_Unload(image); }
};
struct memory_closer {
    void operator()(FIMEMORY* memory) const { FreeImage_CloseMemory(memory); }
};

}  // namespace

bool decode_image_pixels(const std::string& bytes, int& width, int& height,
                         std::vector<std::uint8_t>& texels) {
    texels.clear();
    // FreeImage reads the memory without writing it; its interface just lacks the const.
    const std::unique_ptr<FIMEMORY, memory_closer> memory(
        FreeImage_OpenMemory(reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())),
                             static_cast<DWORD>(bytes.size())));
    if (!memory) {
        return false;
    }
    const FREE_IMAGE_FORMAT format = FreeImage_GetFileTypeFromMemory(memory.get(), 0);
    if (format == FIF_UNKNOWN) {
        return false;
    }
    const std::unique_ptr<FIBITMAP, bitmap_closer> loaded(
        FreeImage_LoadFromMemory(format, memory.get(), 0));
    if (!loaded) {
        return false;
    }
    const std::unique_ptr<FIBITMAP, bitmap_closer> image(FreeImage_ConvertTo32Bits(loaded.get()));
    if (!image) {
        return false;
    }
    width = static_cast<int>(FreeImage_GetWidth(image.get()));
    height = static_cast<int>(FreeImage_GetHeight(image.get()));
    texels.resize(static_cast<std::size_t>(width) * height * 4);
    // FreeImage keeps the bottom row first, as OpenGL uploads it.
    for (int y = 0; y < height; ++y) {
        const BYTE* row = FreeImage_GetScanLine(image.get(), y);
        std::copy(row, row + width * 4, texels.begin() + static_cast<std::ptrdiff_t>(y) * width * 4);
    }
    return true;
}

}  // namespace quillomar
