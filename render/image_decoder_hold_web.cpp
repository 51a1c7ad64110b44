// The browser's decoder is linked in: a hold keeps nothing.
#include "render/image_decoder.h"

namespace quillomar {

struct image_decoder_hold::held {};

image_decoder_hold::image_decoder_hold() = default;
image_decoder_hold::~image_decoder_hold() = default;

}  // namespace quillomar
