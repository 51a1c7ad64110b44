#include "render/image_decoder.h"

#include <algorithm>
#include <memory>

#include "render/freeimage_library.h"

namespace quillomar {
namespace {

// Frees a FreeImage bitmap or memory stream on every path out.
struct bitmap_closer {
    const freeimage_functions* fi;
    void operator()(FIBITMAP* image) const { fi->unload(image); }
};
struct memory_closer {
    const freeimage_functions* fi;
    void operator()(FIMEMORY* memory) const { fi->close_memory(memory); }
};

}  // namespace

struct image_decoder_hold::held {
    freeimage_library library;
};

image_decoder_hold::image_decoder_hold() : held_(std::make_unique<held>()) {}
image_decoder_hold::~image_decoder_hold() = default;

bool decode_image_pixels(const std::string& bytes, int& width, int& height,
                         std::vector<std::uint8_t>& texels) {
    texels.clear();
    const freeimage_library library;
    const freeimage_functions* fi = library.functions();
    if (fi == nullptr) {
        return false;
    }
    // FreeImage reads the memory without writing it; its interface just lacks the const.
    const std::unique_ptr<FIMEMORY, memory_closer> memory(
        fi->open_memory(reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())),
                        static_cast<DWORD>(bytes.size())),
        memory_closer{fi});
    if (!memory) {
        return false;
    }
    const FREE_IMAGE_FORMAT format = fi->file_type_from_memory(memory.get(), 0);
    if (format == FIF_UNKNOWN) {
        return false;
    }
    const std::unique_ptr<FIBITMAP, bitmap_closer> loaded(
        fi->load_from_memory(format, memory.get(), 0), bitmap_closer{fi});
    if (!loaded) {
        return false;
    }
    const std::unique_ptr<FIBITMAP, bitmap_closer> image(fi->convert_to_32_bits(loaded.get()),
                                                         bitmap_closer{fi});
    if (!image) {
        return false;
    }
    width = static_cast<int>(fi->width(image.get()));
    height = static_cast<int>(fi->height(image.get()));
    texels.resize(static_cast<std::size_t>(width) * height * 4);
    // FreeImage keeps the bottom row first, as OpenGL uploads it.
    for (int y = 0; y < height; ++y) {
        const BYTE* row = fi->scan_line(image.get(), y);
        std::copy(row, row + width * 4, texels.begin() + static_cast<std::ptrdiff_t>(y) * width * 4);
    }
    return true;
}

}  // namespace quillomar
