// Cameras the shell points for a picture without changing the game: the preview's flight along a
// level's route, the title screen's chase camera, a slow orbit, the overview from above. A shot
// is put into the state's view for one picture and the game's own camera is put back after it.
#pragma once

#include <optional>
#include <vector>

#include <glm/glm.hpp>

#include "game/game_state.h"
#include "game/hud_lines.h"

namespace quillomar {

struct camera_shot {
    glm::vec3 eye{0.0f};
    glm::vec3 target{0.0f};
};

// The point `seconds` into `path` (one point a tick), between the ticks around it; the ends
// past either end.
glm::vec3 point_along(const std::vector<glm::vec3>& path, double seconds);

// The follow camera's eye and what it looks at, behind the ball along its heading: where a
// flight ends and where "Go!" is seen, so play begins where the picture already is.
camera_shot follow_shot(const game_state& s);

// A camera above and behind the point `seconds` along `path` (one point a tick), looking at the
// way ahead of it.
camera_shot chase_shot(const std::vector<glm::vec3>& path, double seconds);

// A slow circle around the level's middle, high enough to see all of it; one turn a minute.
camera_shot orbit_shot(const level& lvl, double seconds);

// From `from` to `to` as `share` goes from 0 to 1, easing in and out.
camera_shot blend_shots(const camera_shot& from, const camera_shot& to, double share);

// The whole level seen from straight above (north up), framed for a picture `aspect` times as
// wide as it is high.
camera_shot overview_shot(const level& lvl, float aspect, float fovy);

// Where a world point lands in a picture `width` x `height` drawn with the state's view: pixels
// from the left edge and down from the top; none behind the eye.
std::optional<glm::vec2> picture_point(const game_state& s, const glm::vec3& world, int width,
                                       int height);

// The overview's names over what matters, centred on each: the ball, the finish, every crystal
// left and every spider, in the state's view (aimed from above by the caller).
std::vector<hud_line> overview_labels(const game_state& s, int width, int height);

// The state's active camera, kept while another shot is drawn and put back when it goes.
class kept_camera {
public:
    explicit kept_camera(game_state& s);
    ~kept_camera();
    kept_camera(const kept_camera&) = delete;
    kept_camera& operator=(const kept_camera&) = delete;
    // Aims the state's view (and its frustum) at `shot`, through the follow camera's lens with
    // its far plane pushed out to `far_plane`.
    void aim(const camera_shot& shot, float far_plane = 400.0f);

private:
    game_state& state_;
    glm::mat4 view_;
    glm::mat4 projection_;
    glm::vec3 eye_;
    view_frustum frustum_;
};

}  // namespace quillomar
