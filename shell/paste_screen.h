// A pasted level code being checked: the check may take a while on a large level, so it runs on
// a thread of its own while this screen shows what is going on over the screen it came from.
// When the level proves finishable it is played from its preview; a refused code goes back with
// its line. Escape cancels the check and goes back.
#pragma once

#include <atomic>
#include <future>
#include <string>

#include "authoring/shared_level.h"
#include "shell/screen.h"

namespace quillomar {

class paste_screen : public screen {
public:
    paste_screen(std::string code, std::string records_folder);
    ~paste_screen() override;

    const char* name() const override { return "pasting"; }
    void step(quillomar_game& game) override;
    void draw(quillomar_game& game) override;
    void draw_under(quillomar_game& game, const std::vector<hud_line>& lines) override;
    void escape(quillomar_game& game) override;
    void leave(quillomar_game& game, bool covered) override;
    std::vector<hud_line> hud_lines(const quillomar_game& game) const override;

private:
    void stop();

    std::atomic<bool> cancel_{false};
    std::future<taken_code> check_;
};

}  // namespace quillomar
