#include "render/screenshot.h"

#include <GL/glew.h>

#include <vector>

#include "render/freeimage_library.h"

namespace quillomar {

bool save_screenshot(const std::string& path, int width, int height) {
    const freeimage_library library;
    const freeimage_functions* fi = library.functions();
    if (width <= 0 || height <= 0 || fi == nullptr) {
        return false;
    }
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, pixels.data());
    // FreeImage keeps the bottom row first, as OpenGL reads it.
    FIBITMAP* image = fi->convert_from_raw_bits(pixels.data(), width, height, width * 4, 32,
                                                0x00FF0000, 0x0000FF00, 0x000000FF, false);
    const bool saved = image != nullptr && fi->save(FIF_PNG, image, path.c_str(), 0) != 0;
    if (image != nullptr) {
        fi->unload(image);
    }
    return saved;
}

}  // namespace quillomar
