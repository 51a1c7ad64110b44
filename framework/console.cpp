#include "framework/console.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>

namespace quillomar {

void console_pause() {
    if (!isatty(STDIN_FILENO)) {
        return;
    }
    std::cerr << "Press Enter to continue . . ." << std::flush;
    std::string ignored;
    std::getline(std::cin, ignored);
}

}  // namespace quillomar
