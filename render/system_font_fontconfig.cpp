#include "render/system_font.h"

#include <fontconfig/fontconfig.h>

namespace quillomar {

// As fontconfig matches "serif".
std::string system_serif_file() {
    std::string file;
    FcConfig* config = FcInitLoadConfigAndFonts();
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("serif"));
    if (config != nullptr && pattern != nullptr) {
        FcConfigSubstitute(config, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* match = FcFontMatch(config, pattern, &result);
        FcChar8* path = nullptr;
        if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch &&
            path != nullptr) {
            file = reinterpret_cast<const char*>(path);
        }
        if (match != nullptr) {
            FcPatternDestroy(match);
        }
    }
    if (pattern != nullptr) {
        FcPatternDestroy(pattern);
    }
    if (config != nullptr) {
        FcConfigDestroy(config);
    }
    return file;
}

}  // namespace quillomar
