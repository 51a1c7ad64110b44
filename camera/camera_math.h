// The two matrix builders every view and projection of the game goes through.
#pragma once

#include <glm/glm.hpp>

namespace quillomar {

// Right-handed perspective projection onto OpenGL's -1..1 depth range. `fovy` is taken as radians
// exactly as given: the game has always passed 45.0 here, an opening of about 58.3 degrees.
glm::mat4 perspective(float fovy, float aspect, float near, float far);

// Right-handed view matrix looking from `eye` at `center`. Undefined (NaN) when the two coincide or
// the view direction is parallel to `up`; use try_look_at where that can happen.
glm::mat4 look_at(const glm::vec3& eye, const glm::vec3& center, const glm::vec3& up);

// look_at into `out`, unless the view is degenerate (eye on center, view direction parallel to
// `up`, zero `up`, or a non-finite result); then `out` is left untouched and false is returned, so
// a camera keeps its previous matrix.
bool try_look_at(const glm::vec3& eye, const glm::vec3& center, const glm::vec3& up,
                 glm::mat4& out);

// The six planes (xyz normal pointing inwards, w offset) of the clip volume of a view-projection
// matrix, in world space; not normalised.
struct clip_planes {
    glm::vec4 planes[6];
    explicit clip_planes(const glm::mat4& view_projection);

    // True only when the whole sphere lies beyond one of the planes, so nothing inside it can
    // reach a pixel of that view; a little generous, never the other way round.
    bool outside(const glm::vec3& centre, float radius) const;
};

}  // namespace quillomar
