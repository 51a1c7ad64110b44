// Standard output swallowed while one lives: the level reader's lines said on every edit or
// check are noise there.
#pragma once

#include <iostream>
#include <streambuf>

namespace quillomar {

class quiet_console {
public:
    quiet_console() : previous_(std::cout.rdbuf(nullptr)) {}
    ~quiet_console() { std::cout.rdbuf(previous_); }
    quiet_console(const quiet_console&) = delete;
    quiet_console& operator=(const quiet_console&) = delete;

private:
    std::streambuf* previous_;
};

}  // namespace quillomar
