// The overview: while its key is held, the level being played is seen whole from straight above,
// north up, with the ball, the crystals, the spiders and the finish marked by name. Play stands
// still under it; letting the key go goes back.
#pragma once

#include "shell/screen.h"

namespace quillomar {

class overview_screen : public screen {
public:
    const char* name() const override { return "overview"; }
    void step(quillomar_game& game) override;
    void draw(quillomar_game& game) override;
    void escape(quillomar_game& game) override;
};

}  // namespace quillomar
