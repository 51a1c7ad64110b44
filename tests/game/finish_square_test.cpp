// The finish as drawn is the finish as judged: in a game started from the title menu the finish
// image covers exactly the square where a ball wins, so a ball resting on any part of the image
// has won, and one beside it has not.
#include <gtest/gtest.h>
#include <stdlib.h>

#include "render/frame_renderer.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

TEST(FinishSquare, ABallOnAnyPartOfTheDrawnFinishWinsAndOneBesideItDoesNot) {
    const std::string level = "start 1 1\nfinish 4 4\npath\n11111111\n11111111\n11111111\n"
                              "11111111\n11111111\n11111111\n11111111\n11111111\n";
    const glm::vec2 finish(8.0f, 8.0f);
    const float top = 4.0f;  // height level 1: tops at y = 4
    // The finish projector of a frame drawn in a game started from the title menu.
    const test::scratch_dir dir;
    test::use_homes(dir);
    test::game_driver game(level, false);
    game.game().start_in_menu = true;
    game.game().startup();
    game.game().play_level(game.game().level_path, false);
    test::until_screen(game, "play");
    game.frames(2);
    const glm::mat4 projected = game.game().renderer()->projector_frame.projected_matrix2;
    int drawn = 0;
    for (float dx = -2.5f; dx <= 2.5f; dx += 0.25f) {
        for (float dz = -2.5f; dz <= 2.5f; dz += 0.25f) {
            const glm::vec4 clip = projected * glm::vec4(finish.x + dx, top, finish.y + dz, 1.0f);
            // Where the image lands: inside the projector's frame (its edge excluded).
            const glm::vec2 uv(clip.x / clip.w, clip.y / clip.w);
            const bool on_image = uv.x > 0.0005f && uv.x < 0.9995f && uv.y > 0.0005f &&
                                  uv.y < 0.9995f;
            test::core_driver d(level);
            d.steps(2);
            btTransform at(btQuaternion(0, 0, 0, 1),
                           btVector3(finish.x + dx, top + 1.0f, finish.y + dz));
            d.state().ball.body->setCenterOfMassTransform(at);
            d.state().ball.body->getMotionState()->setWorldTransform(at);
            d.state().ball.body->setLinearVelocity(btVector3(0, 0, 0));
            d.steps(1);
            EXPECT_EQ(d.state().won, on_image) << dx << " " << dz;
            drawn += on_image ? 1 : 0;
        }
    }
    EXPECT_EQ(drawn, 15 * 15);  // -1.75 to 1.75 both ways
}

}  // namespace
}  // namespace quillomar
