#pragma once

#include "framework/qlmFramework.h"

namespace quillomar {

class quillomar_game : public game {
public:
    void startup() override {}
    void update() override {}
    void shutdown() override {}
    void render() override {}
};

}  // namespace quillomar
