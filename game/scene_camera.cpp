#include "game/scene_camera.h"

#include <algorithm>
#include <cmath>

#include "common/float_maths.h"
#include "game/tick_clock.h"
#include "camera/camera_math.h"

namespace quillomar {
namespace {

const glm::vec3 world_up(0.0f, 1.0f, 0.0f);

}  // namespace

glm::vec3 point_along(const std::vector<glm::vec3>& path, double seconds) {
    if (path.empty()) {
        return glm::vec3(0.0f);
    }
    const double at = std::max(0.0, seconds * ticks_per_second);
    const std::size_t before = static_cast<std::size_t>(at);
    if (before + 1 >= path.size()) {
        return path.back();
    }
    return glm::mix(path[before], path[before + 1], static_cast<float>(at - std::floor(at)));
}

camera_shot follow_shot(const game_state& s) {
    // Where the follow camera hangs behind the ball (as its update puts it), so that the shot is
    // right before the first tick too, while the ball waits on its drop.
    const float d = s.follow_camera.distance;
    const glm::vec3& ball = s.ball.position;
    return {glm::vec3(ball.x - s.ball.heading.x * d, ball.y + d, ball.z - s.ball.heading.z * d),
            ball};
}

camera_shot chase_shot(const std::vector<glm::vec3>& path, double seconds) {
    const glm::vec3 here = point_along(path, seconds);
    // Where the ball will be a little later gives the way ahead; a ball at rest looks north.
    const glm::vec3 ahead = point_along(path, seconds + 1.5);
    glm::vec3 along(ahead.x - here.x, 0.0f, ahead.z - here.z);
    along = glm::length(along) > 0.5f ? glm::normalize(along) : glm::vec3(0.0f, 0.0f, -1.0f);
    return {here - 9.0f * along + glm::vec3(0.0f, 9.0f, 0.0f), here + 6.0f * along};
}

camera_shot orbit_shot(const level& lvl, double seconds) {
    const float extent = std::max(std::max(lvl.centre.x, lvl.centre.z), 6.0f);
    // Once round a minute; the turn is taken whole in double (fmod is exact), then as a float.
    const auto angle =
        static_cast<float>(std::fmod(seconds, 60.0) * 2.0 * 3.14159265358979 / 60.0);
    const glm::vec3 middle(lvl.centre.x, 0.0f, lvl.centre.z);
    const glm::vec3 out(fmath::sin(angle), 0.0f, fmath::cos(angle));
    return {middle + 1.6f * extent * out + glm::vec3(0.0f, 1.2f * extent + 6.0f, 0.0f), middle};
}

camera_shot blend_shots(const camera_shot& from, const camera_shot& to, double share) {
    const double t = std::clamp(share, 0.0, 1.0);
    const float eased = static_cast<float>(t * t * (3.0 - 2.0 * t));
    return {glm::mix(from.eye, to.eye, eased), glm::mix(from.target, to.target, eased)};
}

camera_shot overview_shot(const level& lvl, float aspect, float fovy) {
    // The level spans twice its centre in x and z; the height that fits it in both directions,
    // with a cell to spare at every side.
    const float half_x = lvl.centre.x + 2.0f;
    const float half_z = lvl.centre.z + 2.0f;
    const float tangent = fmath::tan(fovy / 2.0f);
    const float height = std::max(half_z, half_x / std::max(aspect, 0.1f)) / tangent + 10.0f;
    const glm::vec3 middle(lvl.centre.x, 0.0f, lvl.centre.z);
    // A hair south of straight above, so north stays up in the picture.
    return {middle + glm::vec3(0.0f, height, 0.01f), middle};
}

std::optional<glm::vec2> picture_point(const game_state& s, const glm::vec3& world, int width,
                                       int height) {
    const glm::vec4 clip = s.projection * s.view * glm::vec4(world, 1.0f);
    if (clip.w <= 1e-4f) {
        return std::nullopt;
    }
    const float x = clip.x / clip.w;
    const float y = clip.y / clip.w;
    return glm::vec2((x + 1.0f) * 0.5f * static_cast<float>(width),
                     (1.0f - y) * 0.5f * static_cast<float>(height));
}

std::vector<hud_line> overview_labels(const game_state& s, int width, int height) {
    std::vector<hud_line> labels;
    // Each name centred over its point, its baseline a little below it; about 17 pixels a
    // letter at the HUD's size.
    const auto label = [&](const std::string& text, const glm::vec3& at, hud_tone tone) {
        if (const std::optional<glm::vec2> p = picture_point(s, at, width, height)) {
            const int across = static_cast<int>(p->x) - 8 * static_cast<int>(text.size());
            labels.push_back({text, true, across, static_cast<int>(p->y) + 12, tone});
        }
    };
    for (const glm::vec3& item : s.level.items) {
        label("*", item, hud_tone::ahead);
    }
    for (const glm::vec3& spider : s.level.enemies) {
        label("Spider", spider, hud_tone::behind);
    }
    label("Finish", glm::vec3(s.level.finish.x, s.level.height_at(s.level.finish.x, s.level.finish.y),
                              s.level.finish.y),
          hud_tone::plain);
    label("Ball", s.ball.position, hud_tone::plain);
    return labels;
}

kept_camera::kept_camera(game_state& s)
    : state_(s), view_(s.view), projection_(s.projection), eye_(s.cam_pos), frustum_(s.frustum) {}

kept_camera::~kept_camera() {
    state_.view = view_;
    state_.projection = projection_;
    state_.cam_pos = eye_;
    state_.frustum = frustum_;
}

void kept_camera::aim(const camera_shot& shot, float far_plane) {
    game_state& s = state_;
    glm::mat4 view;
    if (!try_look_at(shot.eye, shot.target, world_up, view)) {
        return;
    }
    const follow_camera& lens = s.follow_camera;
    s.view = view;
    s.projection = perspective(lens.fov, lens.aspect, lens.near_plane, far_plane);
    s.cam_pos = shot.eye;
    s.frustum.set_internals(lens.fov, lens.aspect, lens.near_plane, far_plane);
    s.frustum.set_camera(shot.eye, shot.target, world_up);
}

}  // namespace quillomar
