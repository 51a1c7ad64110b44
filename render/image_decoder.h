// Turns an image file's bytes into 32-bit texels, bottom row first, as the texture loaders upload
// them. The desktop decodes with FreeImage (BGRA texels), the browser with stb_image (RGBA
// texels, as WebGL uploads no BGRA); gl_platform's decoded_texel_order says which.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quillomar {

// False when the bytes are no image the decoder knows; `texels` is then left empty.
bool decode_image_pixels(const std::string& bytes, int& width, int& height,
                         std::vector<std::uint8_t>& texels);

// Keeps the decoder loaded while it lives, so that a run of decodes loads it once: the desktop
// opens FreeImage only while something decodes. The browser's decoder is linked in.
class image_decoder_hold {
public:
    image_decoder_hold();
    ~image_decoder_hold();
    image_decoder_hold(const image_decoder_hold&) = delete;
    image_decoder_hold& operator=(const image_decoder_hold&) = delete;

private:
    struct held;
    std::unique_ptr<held> held_;
};

}  // namespace quillomar
