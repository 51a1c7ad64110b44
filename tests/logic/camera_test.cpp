#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cmath>
#include <glm/glm.hpp>
#include <glm/gtc/constants.hpp>
#include <set>
#include <utility>

#include "framework/seams.h"
#include "camera/camera_math.h"
#include "camera/follow_camera.h"
#include "camera/free_camera.h"

namespace quillomar {
namespace {

constexpr float tolerance = 1e-5f;

void expect_vec3_near(const glm::vec3& actual, const glm::vec3& expected) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void expect_mat4_eq(const glm::mat4& actual, const glm::mat4& expected) {
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            EXPECT_EQ(actual[column][row], expected[column][row])
                << "M[" << column << "][" << row << "]";
        }
    }
}

// Where a view matrix puts a world point, in eye space.
glm::vec3 to_eye(const glm::mat4& view, const glm::vec3& world) {
    return glm::vec3(view * glm::vec4(world, 1.0f));
}

TEST(CameraMath, PerspectiveTakesTheAngleAsRadians) {
    const glm::mat4 m = perspective(45.0f, 1.3333334f, 0.1f, 100.0f);
    EXPECT_NEAR(m[0][0], 1.3444432f, tolerance);
    EXPECT_NEAR(m[1][1], 1.7925910f, tolerance);
    EXPECT_NEAR(m[2][2], -1.0020020f, tolerance);
    EXPECT_NEAR(m[3][2], -0.2002002f, tolerance);
    EXPECT_EQ(m[2][3], -1.0f);
    EXPECT_EQ(m[3][3], 0.0f);
    const std::pair<int, int> zeros[] = {{0, 1}, {0, 2}, {0, 3}, {1, 0}, {1, 2},
                                         {1, 3}, {2, 0}, {2, 1}, {3, 0}, {3, 1}};
    for (const auto& [column, row] : zeros) {
        EXPECT_EQ(m[column][row], 0.0f) << "M[" << column << "][" << row << "]";
    }
}

TEST(CameraMath, PerspectiveMapsNearAndFarToTheDepthRange) {
    const glm::mat4 m = perspective(20.0f, 1.7f, 0.1f, 50.0f);
    const glm::vec4 near_point = m * glm::vec4(0.0f, 0.0f, -0.1f, 1.0f);
    const glm::vec4 far_point = m * glm::vec4(0.0f, 0.0f, -50.0f, 1.0f);
    EXPECT_NEAR(near_point.z / near_point.w, -1.0f, tolerance);
    EXPECT_NEAR(far_point.z / far_point.w, 1.0f, tolerance);
}

TEST(CameraMath, LookAtIsRightHanded) {
    const glm::vec3 eye(1.0f, 2.0f, 3.0f);
    const glm::mat4 m = look_at(eye, glm::vec3(1.0f, 2.0f, -7.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    // Looking down -z with y up is the identity rotation; only the translation remains.
    expect_vec3_near(glm::vec3(m[0]), glm::vec3(1.0f, 0.0f, 0.0f));
    expect_vec3_near(glm::vec3(m[1]), glm::vec3(0.0f, 1.0f, 0.0f));
    expect_vec3_near(glm::vec3(m[2]), glm::vec3(0.0f, 0.0f, 1.0f));
    expect_vec3_near(glm::vec3(m[3]), -eye);

    // Looking along +x: the target is straight ahead (-z in eye space), +z world is to the right.
    const glm::mat4 side =
        look_at(glm::vec3(0.0f), glm::vec3(5.0f, 0.0f, 0.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    expect_vec3_near(to_eye(side, glm::vec3(5.0f, 0.0f, 0.0f)), glm::vec3(0.0f, 0.0f, -5.0f));
    expect_vec3_near(to_eye(side, glm::vec3(0.0f, 0.0f, 1.0f)), glm::vec3(1.0f, 0.0f, 0.0f));
}

TEST(CameraMath, DegenerateLookAtKeepsThePreviousMatrix) {
    const glm::vec3 up(0.0f, 1.0f, 0.0f);
    const glm::mat4 previous = look_at(glm::vec3(0.0f, 5.0f, 5.0f), glm::vec3(0.0f), up);
    glm::mat4 out = previous;

    EXPECT_FALSE(try_look_at(glm::vec3(2.0f), glm::vec3(2.0f), up, out)) << "eye on center";
    EXPECT_FALSE(try_look_at(glm::vec3(0.0f, 10.0f, 0.0f), glm::vec3(0.0f), up, out))
        << "looking straight down";
    EXPECT_FALSE(try_look_at(glm::vec3(0.0f), glm::vec3(0.0f, 3.0f, 0.0f), up, out))
        << "looking straight up";
    EXPECT_FALSE(try_look_at(glm::vec3(0.0f), glm::vec3(1.0f), glm::vec3(0.0f), out)) << "no up";
    EXPECT_FALSE(try_look_at(glm::vec3(NAN), glm::vec3(0.0f), up, out)) << "NaN eye";
    expect_mat4_eq(out, previous);

    EXPECT_TRUE(try_look_at(glm::vec3(1.0f), glm::vec3(0.0f), up, out));
    expect_mat4_eq(out, look_at(glm::vec3(1.0f), glm::vec3(0.0f), up));
}

TEST(FollowCamera, StartsDefaultAndInitialisesTheFixedProjection) {
    follow_camera camera;
    expect_vec3_near(camera.position, glm::vec3(0.0f));
    expect_mat4_eq(camera.view, glm::mat4(1.0f));
    expect_mat4_eq(camera.projection, glm::mat4(1.0f));

    camera.init(20.0f, 30.0f, 60.0f, nullptr);
    expect_vec3_near(camera.position, glm::vec3(20.0f, 30.0f, 60.0f));
    EXPECT_EQ(camera.distance, 10.0f);
    EXPECT_EQ(camera.fov, 45.0f);
    EXPECT_EQ(camera.aspect, 1.3333334f);
    EXPECT_EQ(camera.near_plane, 0.1f);
    EXPECT_EQ(camera.far_plane, 100.0f);
    expect_mat4_eq(camera.projection, perspective(45.0f, 1.3333334f, 0.1f, 100.0f));
    // The first view looks 45 degrees down towards -z.
    expect_vec3_near(to_eye(camera.view, glm::vec3(20.0f, 20.0f, 50.0f)),
                     glm::vec3(0.0f, 0.0f, -std::sqrt(200.0f)));
}

TEST(FollowCamera, HangsTenBehindAndTenAboveTheBallAlongItsHeading) {
    follow_camera camera;
    camera.init(20.0f, 30.0f, 60.0f, nullptr);
    const glm::mat4 projection = camera.projection;

    const glm::vec3 ball(4.0f, 5.0f, -6.0f);
    camera.update(ball, glm::vec3(0.0f, 0.0f, -1.0f));
    expect_vec3_near(camera.position, ball + glm::vec3(0.0f, 10.0f, 10.0f));
    // The ball sits on the view axis, at the eye's distance.
    expect_vec3_near(to_eye(camera.view, ball), glm::vec3(0.0f, 0.0f, -std::sqrt(200.0f)));

    const glm::vec3 heading = glm::normalize(glm::vec3(1.0f, 0.0f, 1.0f));
    camera.update(ball, heading);
    expect_vec3_near(camera.position,
                     ball + glm::vec3(-heading.x * 10.0f, 10.0f, -heading.z * 10.0f));
    expect_vec3_near(to_eye(camera.view, ball), glm::vec3(0.0f, 0.0f, -std::sqrt(200.0f)));
    expect_mat4_eq(camera.projection, projection);
}

TEST(FollowCamera, HeadingWithoutHorizontalPartKeepsThePreviousView) {
    follow_camera camera;
    camera.init(20.0f, 30.0f, 60.0f, nullptr);
    camera.update(glm::vec3(0.0f), glm::vec3(1.0f, 0.0f, 0.0f));
    const glm::mat4 previous = camera.view;

    camera.update(glm::vec3(2.0f, 0.0f, 2.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    expect_vec3_near(camera.position, glm::vec3(2.0f, 10.0f, 2.0f));
    expect_mat4_eq(camera.view, previous);
}

// Scripted keyboard for the free camera: the keys in `held` read as pressed.
class FreeCameraTest : public ::testing::Test {
protected:
    void SetUp() override {
        set_key_reader([this](GLFWwindow*, int key) {
            return held.count(key) != 0 ? GLFW_PRESS : GLFW_RELEASE;
        });
        camera.init(20.0f, 30.0f, 60.0f, nullptr);
    }
    void TearDown() override { set_key_reader({}); }

    std::set<int> held;
    free_camera camera;
};

TEST_F(FreeCameraTest, InitLooksFortyFiveDegreesDown) {
    expect_vec3_near(camera.position, glm::vec3(20.0f, 30.0f, 60.0f));
    expect_vec3_near(camera.angles, glm::vec3(-0.5f, 0.0f, 0.0f));
    expect_vec3_near(camera.front, glm::vec3(0.0f, -0.70710677f, -0.70710677f));
    expect_vec3_near(camera.up, glm::vec3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(camera.speed, 1.0f);
    EXPECT_EQ(camera.fov, 45.0f);
    expect_mat4_eq(camera.projection, perspective(45.0f, 1.3333334f, 0.1f, 100.0f));
}

TEST_F(FreeCameraTest, FirstUpdateDerivesFrontFromTheStartAngles) {
    camera.update(0.016f);
    expect_vec3_near(camera.front, glm::vec3(0.0f, -0.4794255f, -0.8775826f));
    expect_vec3_near(camera.position, glm::vec3(20.0f, 30.0f, 60.0f));
    expect_vec3_near(to_eye(camera.view, camera.position + camera.front),
                     glm::vec3(0.0f, 0.0f, -1.0f));
    expect_mat4_eq(camera.projection, perspective(45.0f, 1.3333334f, 0.1f, 100.0f));
}

TEST_F(FreeCameraTest, ArrowsYawAndQEPitchAtSpeedRadiansPerSecond) {
    held = {GLFW_KEY_LEFT};
    camera.update(0.5f);
    EXPECT_NEAR(camera.angles.y, 0.5f, tolerance);
    held = {GLFW_KEY_RIGHT};
    camera.update(0.25f);
    EXPECT_NEAR(camera.angles.y, 0.25f, tolerance);
    // Yawing left turns the view from -z towards -x.
    EXPECT_LT(camera.front.x, 0.0f);

    held = {GLFW_KEY_Q};
    camera.update(0.5f);
    EXPECT_NEAR(camera.angles.x, 0.0f, tolerance);
    EXPECT_NEAR(camera.front.y, 0.0f, tolerance) << "pitched back to level";
    held = {GLFW_KEY_E};
    camera.update(0.2f);
    EXPECT_NEAR(camera.angles.x, -0.2f, tolerance);
    EXPECT_EQ(camera.angles.z, 0.0f);

    camera.speed = 2.0f;
    held = {GLFW_KEY_LEFT};
    camera.update(0.5f);
    EXPECT_NEAR(camera.angles.y, 1.25f, tolerance);
}

TEST_F(FreeCameraTest, UpAndDownFlyAlongFrontAtThreeTimesSpeed) {
    camera.update(0.0f);
    const glm::vec3 start = camera.position;
    const glm::vec3 front = camera.front;

    held = {GLFW_KEY_UP};
    camera.update(0.5f);
    expect_vec3_near(camera.position, start + front * 1.5f);
    held = {GLFW_KEY_DOWN};
    camera.update(1.0f);
    expect_vec3_near(camera.position, start - front * 1.5f);
    // The view follows the eye.
    expect_vec3_near(to_eye(camera.view, camera.position), glm::vec3(0.0f));
}

TEST_F(FreeCameraTest, OppositeKeysCancel) {
    camera.update(0.0f);
    const free_camera before = camera;
    held = {GLFW_KEY_LEFT, GLFW_KEY_RIGHT, GLFW_KEY_Q, GLFW_KEY_E, GLFW_KEY_UP, GLFW_KEY_DOWN};
    camera.update(0.7f);
    expect_vec3_near(camera.angles, before.angles);
    expect_vec3_near(camera.front, before.front);
    expect_vec3_near(camera.position, before.position);
}

TEST_F(FreeCameraTest, KeysAreReadFromItsOwnWindow) {
    GLFWwindow* const own = reinterpret_cast<GLFWwindow*>(0x1);
    camera.init(0.0f, 0.0f, 0.0f, own);
    std::set<GLFWwindow*> asked;
    set_key_reader([&asked](GLFWwindow* window, int key) {
        asked.insert(window);
        return key == GLFW_KEY_LEFT ? GLFW_PRESS : GLFW_RELEASE;
    });
    camera.update(0.1f);
    EXPECT_EQ(asked, std::set<GLFWwindow*>{own});
    EXPECT_NEAR(camera.angles.y, 0.1f, tolerance);
}

TEST_F(FreeCameraTest, PitchIsNotClampedAndLookingStraightDownKeepsTheView) {
    // From -0.5, holding E for 1.0708 s at speed 1 reaches -pi/2: front parallel to up.
    held = {GLFW_KEY_E};
    camera.update(1.0f);
    const glm::mat4 before = camera.view;
    camera.angles.x = -glm::half_pi<float>() + 1.0f;
    camera.update(1.0f);
    EXPECT_NEAR(camera.front.y, -1.0f, tolerance);
    expect_mat4_eq(camera.view, before);

    // Beyond it the camera looks backwards, upside down, with a valid view again.
    camera.update(0.5f);
    EXPECT_GT(camera.front.z, 0.0f);
    EXPECT_TRUE(std::isfinite(camera.view[0][0]));
    EXPECT_NE(camera.view, before);
}

}  // namespace
}  // namespace quillomar
