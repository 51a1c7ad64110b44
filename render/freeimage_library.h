// FreeImage's functions that the image decoder and the screenshot call, reached through one table.
// The desktop opens the shared library while something holds it and closes it when the last hold
// goes: FreeImage and the two dozen libraries it brings (OpenEXR, LibRaw, JPEG XR, TIFF, WebP...)
// are needed only while images are decoded at start-up or a screenshot is saved.
#pragma once

#include <FreeImage.h>

namespace quillomar {

struct freeimage_functions {
    FIMEMORY* (*open_memory)(BYTE* data, DWORD size) = nullptr;
    void (*close_memory)(FIMEMORY* memory) = nullptr;
    FREE_IMAGE_FORMAT (*file_type_from_memory)(FIMEMORY* memory, int size) = nullptr;
    FIBITMAP* (*load_from_memory)(FREE_IMAGE_FORMAT format, FIMEMORY* memory, int flags) = nullptr;
    FIBITMAP* (*convert_to_32_bits)(FIBITMAP* image) = nullptr;
    void (*unload)(FIBITMAP* image) = nullptr;
    unsigned (*width)(FIBITMAP* image) = nullptr;
    unsigned (*height)(FIBITMAP* image) = nullptr;
    BYTE* (*scan_line)(FIBITMAP* image, int line) = nullptr;
    FIBITMAP* (*convert_from_raw_bits)(BYTE* bits, int width, int height, int pitch, unsigned bpp,
                                       unsigned red_mask, unsigned green_mask, unsigned blue_mask,
                                       BOOL top_down) = nullptr;
    BOOL (*save)(FREE_IMAGE_FORMAT format, FIBITMAP* image, const char* path, int flags) = nullptr;
};

// A hold on the library for as long as it lives; holds nest, and the outermost one opens and
// closes it. Safe on any thread. When the library cannot be opened, `functions()` is null and the
// first such hold prints one line naming it.
class freeimage_library {
public:
    freeimage_library();
    ~freeimage_library();
    freeimage_library(const freeimage_library&) = delete;
    freeimage_library& operator=(const freeimage_library&) = delete;

    const freeimage_functions* functions() const { return functions_; }

    // Whether anything in the process holds the library now.
    static bool is_open();

private:
    const freeimage_functions* functions_;
};

}  // namespace quillomar
