#include "shell/page_bridge.h"

namespace quillomar {

void attach_to_page(quillomar_game* /*game*/) {}

}  // namespace quillomar
