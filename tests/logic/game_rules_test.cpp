// The game's rules played through the core alone: frame records in, events and state out, with
// the real physics and no display.
#include <gtest/gtest.h>

#include <algorithm>

#include "camera/camera_math.h"
#include "game/hud_lines.h"
#include "tests/support/game_driver.h"

namespace quillomar {
namespace {

// A 10 x 4 floor at level 1 with a level-3 block in the east; the start in the west, an item
// one cell ahead of it (the ball heads for -z), the finish at the far end.
const char* const floor_level = R"(start 1 2
finish 9 2
item 1 1
path
1111111133
1111111133
1111111133
1111111133
)";

int count_kind(const game_events& events, event_kind kind) {
    return static_cast<int>(std::count_if(events.begin(), events.end(),
                                          [kind](const game_event& e) { return e.kind == kind; }));
}

std::vector<std::string> console(const game_events& events) {
    std::vector<std::string> lines;
    for (const game_event& e : events) {
        if (e.kind == event_kind::console_line) {
            lines.push_back(e.text);
        }
    }
    return lines;
}

TEST(GameRules, TheBallRestsOnTheStartCubeAndPushesAndTurnsAsHeld) {
    // Heading starts at -z. Left turns it towards -x, right towards +x; both together turn right.
    const struct {
        std::set<command> held;
        float dz, heading_x;  // the sign expected of the ball's z change or the heading's x
    } cases[] = {{{command::forward}, -1, 0},
                 {{command::back}, 1, 0},
                 {{command::turn_left}, 0, -1},
                 {{command::turn_left, command::turn_right}, 0, 1}};
    for (const auto& c : cases) {
        float moved[2] = {};  // all the way (keys), and a stick tilted part of the way
        for (int k = 0; k < 2; ++k) {
            test::core_driver d(floor_level);
            d.steps(5 * 60);
            const glm::vec3 rest = d.state().ball.position;
            EXPECT_LT(glm::distance(rest, glm::vec3(2, 4, 4)), 0.08f);
            EXPECT_EQ(d.state().last_physics_steps, 1);  // one fixed 1/60 s step a frame
            EXPECT_EQ(d.state().projection, perspective(45.0f, 1.3333334f, 0.1f, 100.0f));
            d.hold_only(c.held);
            d.amount = k == 0 ? 255 : 200;
            d.steps(20);
            const orbel& b = d.state().ball;
            moved[k] = (b.position.z - rest.z) * c.dz + b.heading.x * c.heading_x;
        }
        EXPECT_GT(moved[0], 0.05f);
        // The stick pushes and turns less, but still gets going.
        EXPECT_TRUE(moved[1] > 0.2f * moved[0] && moved[1] < 0.9f * moved[0]) << moved[1];
    }
}

TEST(GameRules, PickingUpAnItemEarnsAChangeAndABurstThatEnds) {
    test::core_driver d(floor_level);
    d.steps(5 * 60);
    d.events.clear();
    d.hold(command::forward);
    for (int i = 0; i < 600 && d.state().change_count == 0; ++i) {
        d.step();
    }
    ASSERT_EQ(d.state().change_count, 1);
    EXPECT_EQ(console(d.events), std::vector<std::string>{"removed item"});
    EXPECT_TRUE(d.state().level.items.empty() && d.state().particles.count > 0);
    d.release(command::forward);
    d.step(2.5);  // the burst lasts two and a half seconds, the last instant included
    EXPECT_TRUE(d.state().particles_active);
    d.step();
    EXPECT_FALSE(d.state().particles_active);
}

TEST(GameRules, TheLightSweepsToTheMirroredSideInFifteenSecondsAndTurnsBack) {
    test::core_driver d(floor_level);
    d.step();
    const float z0 = d.state().light.position.z;
    ASSERT_NE(z0, 40.0f);
    // Half way, at the end, the start of the sweep back and half way back.
    for (const float expected : {40.0f, 80.0f - z0, 80.0f - z0, 40.0f}) {
        d.step(7.5);
        EXPECT_NEAR(d.state().light.position.z, expected, 1e-3f);
    }
}

TEST(GameRules, AFlipSpendsAChangeMirrorsTheHeightsAndTheNextPressFlipsAgainAtOnce) {
    test::core_driver d(floor_level);
    d.steps(5 * 60);
    d.state().change_count = 2;
    const std::vector<glm::vec3> before = d.state().level.cubes;
    d.tap(command::flip);
    EXPECT_EQ(d.state().change_count, 1);
    while (d.state().level.flipping) {
        d.step();
    }
    EXPECT_EQ(count_kind(d.events, event_kind::flip_started), 1);
    EXPECT_EQ(count_kind(d.events, event_kind::flip_ended), 1);
    for (std::size_t i = 0; i < before.size(); ++i) {
        EXPECT_FLOAT_EQ(d.state().level.cubes[i].y, 8.0f - before[i].y);
    }
    EXPECT_GT(d.state().ball.position.y, 7.0f);  // lifted with the floor under it
    d.tap(command::flip);                        // the very next frame starts the flip back
    EXPECT_TRUE(d.state().level.flipping);
    EXPECT_EQ(d.state().change_count, 0);
    d.steps(3 * 60);
    d.tap(command::flip);  // with no change left, the key does nothing
    EXPECT_FALSE(d.state().level.flipping || d.state().level.flipped);
}

TEST(GameRules, RestartCostsALifeAndBringsBackItemsChangesAndTheLoadedHeights) {
    // Restarted at rest with a flipped level, and while a flip is still running.
    for (const int frames_into_flip : {200, 40}) {
        test::core_driver d(floor_level);
        d.steps(5 * 60);
        const std::vector<glm::vec3> loaded = d.state().level.cubes;
        d.state().change_count = 1;
        d.state().level.items.clear();
        d.tap(command::flip);
        d.steps(frames_into_flip);
        d.tap(command::restart);
        EXPECT_EQ(d.state().lives, 4);
        EXPECT_EQ(d.state().change_count, 0);
        EXPECT_EQ(d.state().level.items.size(), 1u);
        EXPECT_NEAR(d.state().ball.position.y, 25.0f, 0.5f);
        d.steps(3 * 60);
        EXPECT_FALSE(d.state().level.flipping || d.state().level.flipped) << frames_into_flip;
        for (std::size_t i = 0; i < loaded.size(); ++i) {
            EXPECT_FLOAT_EQ(d.state().level.cubes[i].y, loaded[i].y) << frames_into_flip;
        }
    }
    test::core_driver d(floor_level);  // at zero lives R does nothing
    for (int i = 0; i < 6; ++i) {
        d.tap(command::restart);
    }
    EXPECT_EQ(d.state().lives, 0);
}

TEST(GameRules, FallingCountsDownRestartsWithoutAJumpAndTheFifthDeathLoses) {
    // Start over empty space: the ball drops straight onto the ground plane, right where the
    // steering sphere lies, and must not rest on it.
    test::core_driver d("start 0 0\nfinish 9 9\npath\n00\n01\n");
    for (int death = 1; death <= 5; ++death) {
        d.events.clear();
        for (int i = 0; i < 10 * 60 && !d.state().dying; ++i) {
            d.step();
        }
        ASSERT_TRUE(d.state().dying) << "death " << death;
        d.step();
        EXPECT_EQ(console(d.events),
                  std::vector<std::string>{"lives: " + std::to_string(6 - death)});
        EXPECT_EQ(hud_lines(d.state()).back().text, "Continue in: 4");  // only at the first instant
        d.step();
        EXPECT_EQ(hud_lines(d.state()).back().text, "Continue in: 3");
        d.time += 3.01;
        d.step();
        if (death < 5) {
            EXPECT_FALSE(d.state().dying);
            EXPECT_EQ(d.state().lives, 5 - death);
            // The countdown is not played time: the next update moves the world by a frame.
            d.step();
            EXPECT_LT(d.state().last_dt, 0.02f);
        }
    }
    EXPECT_TRUE(d.state().lost);
    EXPECT_EQ(hud_lines(d.state()).front().text, "You lost the game");
    EXPECT_EQ(d.state().lives, 1);
}

TEST(GameRules, ReachingTheFinishWinsOnceAndStopsTheGame) {
    test::core_driver d("start 1 1\nfinish 1 1\npath\n111\n111\n111\n");
    d.steps(3 * 60);
    EXPECT_EQ(count_kind(d.events, event_kind::won), 1);
    EXPECT_EQ(count_kind(d.events, event_kind::play_sound), 1);
    const long updates = d.state().updates_run;
    d.steps(30);
    EXPECT_EQ(d.state().updates_run, updates);
    EXPECT_EQ(hud_lines(d.state()).front().text, "You finished the game!");
}

TEST(GameRules, SpidersWalkDuringPlayAndPStopsThem) {
    test::core_driver d("start 1 1\nfinish 9 9\nenemy 4 4\npath\n" + std::string(6, '1') + "\n" +
                        std::string(6, '1') + "\n" + std::string(6, '1') + "\n" +
                        std::string(6, '1') + "\n" + std::string(6, '1') + "\n");
    const glm::vec3 start = d.state().level.enemies[0];
    d.steps(30);
    EXPECT_NE(d.state().level.enemies[0], start);
    d.tap(command::spiders);
    const glm::vec3 stopped = d.state().level.enemies[0];
    d.steps(30);
    EXPECT_EQ(d.state().level.enemies[0], stopped);
}

TEST(GameRules, FunctionKeysAnnounceTheirSettingsAndEveryPressCounts) {
    const struct {
        command key;
        std::vector<std::string> messages;
    } keys[] = {
        {command::frame_time, {"Frame time on.", "Frame time off.", "Frame time on."}},
        {command::wireframe, {"Wire frame on.", "Wire frame off.", "Wire frame on."}},
        {command::sampling, {"TSQ: Nearest Neighbor.", "TSQ: Bilinear.", "TSQ: Nearest Neighbor."}},
        {command::mipmap, {"MMQ: off.", "MMQ: Nearest Neighbor.", "MMQ: Linear."}},
        {command::culling,
         {"Viewfrustum-Culling off.", "Viewfrustum-Culling on.", "Viewfrustum-Culling off."}},
        {command::transparency, {"Transparency off.", "Transparency on.", "Transparency off."}},
    };
    for (const auto& k : keys) {
        test::core_driver d(floor_level);
        for (const std::string& message : k.messages) {  // after one, two and three presses
            d.tap(k.key);
            EXPECT_EQ(d.state().message.text, message);
        }
    }
    // Two taps within one frame both count, and a tap need not be held at the frame's end.
    test::core_driver d(floor_level);
    frame_input input{d.time + 0.05};
    input.press(command::wireframe);
    input.press(command::wireframe);
    input.press(command::transparency);
    d.core().step(input);
    EXPECT_FALSE(d.state().display.wireframe || d.state().display.transparency);
    EXPECT_EQ(d.state().message.text, "Transparency off.");
    d.tap(command::music);
    EXPECT_EQ(count_kind(d.events, event_kind::play_sound), 1);
}

TEST(GameRules, WithoutALevelNothingIsWonAndTheHudSaysSo) {
    for (const char* text : {"", "start 0 0\nfinish 0 0\n", "start 0 0\npath\n\n", "missing"}) {
        test::stream_capture log;
        test::scratch_dir dir;
        const bool missing = std::string(text) == "missing";
        const std::string path =
            missing ? (dir.path() / "missing.txt").string() : dir.write("level.txt", text);
        game_core core;
        core.read_level(path);
        core.init_ball();
        core.init_cameras();
        core.create_physics();
        for (int i = 0; i < 60; ++i) {
            core.step(frame_input{1.0 + i / 60.0});
        }
        EXPECT_FALSE(core.state.won);
        EXPECT_EQ(hud_lines(core.state).front().text, "No level to play");
        EXPECT_EQ(log.text().find("Unable to open levelfile: " + path) != std::string::npos,
                  missing);
    }
}

}  // namespace
}  // namespace quillomar
