// The finish as drawn is the finish as judged: in a game started from the title menu the finish
// image covers exactly the square where a ball wins, so a ball resting on any part of the image
// has won, and one beside it has not.
#include <gtest/gtest.h>

#include "render/projectors.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

TEST(FinishSquare, ABallOnAnyPartOfTheDrawnFinishWinsAndOneBesideItDoesNot) {
    const std::string level = "start 1 1\nfinish 4 4\npath\n11111111\n11111111\n11111111\n"
                              "11111111\n11111111\n11111111\n11111111\n11111111\n";
    const glm::vec2 finish(8.0f, 8.0f);
    const float top = 4.0f;  // height level 1: tops at y = 4
    const glm::mat4 projected = judged_square_projection() * judged_square_view(finish, top);
    int drawn = 0;
    for (float dx = -2.5f; dx <= 2.5f; dx += 0.25f) {
        for (float dz = -2.5f; dz <= 2.5f; dz += 0.25f) {
            const glm::vec4 clip = projected * glm::vec4(finish.x + dx, top, finish.y + dz, 1.0f);
            // Where the image lands: inside the projector's box (the frame's edge excluded).
            const bool on_image = std::fabs(clip.x / clip.w) < 0.999f &&
                                  std::fabs(clip.y / clip.w) < 0.999f;
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
