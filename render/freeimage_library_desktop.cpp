#include "render/freeimage_library.h"

#include <utility>

#include "framework/opened_library.h"

// FreeImage and OpenEXR each define std::piecewise_construct as a unique symbol, and the first
// opened library that binds such a symbol stays in the process to its end, with every library it
// brought: FreeImage could never be closed. This reference puts the symbol into the executable,
// which exports it (CMakeLists.txt), so both bind the executable's instead.
extern const void* const quillomar_piecewise_construct;
const void* const quillomar_piecewise_construct = &std::piecewise_construct;

namespace quillomar {
namespace {

freeimage_functions bound;

bool bind(void* library) {
    freeimage_functions& f = bound;
    return find_function(library, "FreeImage_OpenMemory", f.open_memory) &&
           find_function(library, "FreeImage_CloseMemory", f.close_memory) &&
           find_function(library, "FreeImage_GetFileTypeFromMemory", f.file_type_from_memory) &&
           find_function(library, "FreeImage_LoadFromMemory", f.load_from_memory) &&
           find_function(library, "FreeImage_ConvertTo32Bits", f.convert_to_32_bits) &&
           find_function(library, "FreeImage_Unload", f.unload) &&
           find_function(library, "FreeImage_GetWidth", f.width) &&
           find_function(library, "FreeImage_GetHeight", f.height) &&
           find_function(library, "FreeImage_GetScanLine", f.scan_line) &&
           find_function(library, "FreeImage_ConvertFromRawBits", f.convert_from_raw_bits) &&
           find_function(library, "FreeImage_Save", f.save);
}

opened_library& library() {
    static opened_library freeimage("libfreeimage.so.3", nullptr, bind, "without images");
    return freeimage;
}

}  // namespace

freeimage_library::freeimage_library()
    : functions_(library().hold() ? &bound : nullptr) {}

freeimage_library::~freeimage_library() {
    if (functions_ != nullptr) {
        library().release();
    }
}

bool freeimage_library::is_open() {
    return library().is_open();
}

}  // namespace quillomar
