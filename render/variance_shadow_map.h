// Soft shadows from the sweeping light: the casters are drawn from the light into a float map of
// depth statistics, which is blurred vertically and then horizontally; the main pass samples the
// result on texture_unit::shadow_map.
#pragma once

#include <GL/glew.h>

#include <functional>
#include <glm/glm.hpp>
#include <vector>

#include "render/gl_handle.h"
#include "render/model.h"
#include "render/shader_constants.h"
#include "render/shader_program.h"

namespace quillomar {

// Draws depth-only geometry: sets the mat4 uniform at `location` of the program in use to
// view_projection times each object's model matrix and draws the object's triangles.
using depth_draw = std::function<void(const glm::mat4& view_projection, GLint location)>;

inline constexpr int shadow_map_size = 1024;
// Map rows per band of the blur; the vertical blur's result is kept for two bands at a time.
inline constexpr int shadow_band_rows = 32;

// The light's matrices of one frame.
struct light_matrices {
    glm::mat4 light_view{1.0f};
    glm::mat4 light_mvp{1.0f};      // light_projection x light_view
    glm::mat4 shadow_matrix{1.0f};  // bias x light_projection x light_view
};

light_matrices compute_light_matrices(const glm::vec3& light_pos, const glm::vec3& centre,
                                      const glm::vec3& light_up, const glm::mat4& light_projection,
                                      const glm::mat4& bias);

// A half-open rectangle of shadow-map texels: x0 <= x < x1, y0 <= y < y1.
struct texel_rect {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;

    bool empty() const { return x1 <= x0 || y1 <= y0; }
    long long area() const { return empty() ? 0 : static_cast<long long>(x1 - x0) * (y1 - y0); }
    bool operator==(const texel_rect& other) const {
        return x0 == other.x0 && y0 == other.y0 && x1 == other.x1 && y1 == other.y1;
    }
};

inline constexpr texel_rect whole_shadow_map{0, 0, shadow_map_size, shadow_map_size};

// Texels of the map that the given world-space spheres (centre xyz, radius w) can cover when
// drawn with light_mvp, one rectangle per sphere that reaches the map: the exact bounds of the
// sphere's perspective image, grown by one texel. Spheres wholly outside the light's view give
// none. Returns false when a sphere in view reaches behind the light, where no rectangle bounds
// it.
bool caster_footprints(const glm::mat4& light_mvp, const std::vector<glm::vec4>& spheres,
                       std::vector<texel_rect>& footprints);

// Axis-aligned bounds of a model's vertices in its own space; `empty` when it has none.
struct model_bounds {
    glm::vec3 min{0.0f};
    glm::vec3 max{0.0f};
    bool empty = true;
};

// Computed once per model (it walks every vertex), then reused for every caster and frame.
model_bounds bounds_of(const model& m);

// A world-space sphere (centre xyz, radius w) that contains the model's bounds placed with
// model_matrix: the caster sphere for the restricted shadow pass. An empty model gives a sphere
// of radius 0 at the matrix's origin.
glm::vec4 bounding_sphere(const model_bounds& bounds, const glm::mat4& model_matrix);

// The texels of the map that a surface inside the model's bounds placed with model_matrix can
// look up through light_mvp: the bounds of its eight corners' images, grown by one texel, as
// caster_footprints grows a sphere's. Returns false when a corner lies at or behind the light,
// where no rectangle bounds the box, and for empty bounds.
bool box_footprint(const glm::mat4& light_mvp, const model_bounds& bounds,
                   const glm::mat4& model_matrix, texel_rect& footprint);

// The texels of the map that a look-up from a surface inside the given world-space spheres can
// read, grown by one texel against rounding: the bounding box of their footprints. The whole map
// when a sphere reaches behind the light; empty when none is in the light's view.
texel_rect seen_texels(const glm::mat4& light_mvp, const std::vector<glm::vec4>& receivers);

// The texels that the caster draw must reach so that the blurred map is exact on `seen`: `seen`
// grown by the blur radius, or empty for an empty `seen`.
texel_rect caster_reach(const texel_rect& seen);

// Maps the light's clip space so that the part whose image is `r` fills the whole clip volume:
// clip_planes(crop_matrix(r) * light_mvp) leave out exactly what draws no texel of `r`.
glm::mat4 crop_matrix(const texel_rect& r);

// The union of the rectangles as disjoint rectangles covering exactly the same texels, however
// many there are, so each texel is processed once and none outside them. Sorts, then sweeps once
// over the rows where rectangles begin or end, each row handling the rectangles that span it:
// near-linear for casters spread over the map.
std::vector<texel_rect> merge_regions(std::vector<texel_rect> regions);

struct variance_shadow_map {
    shader_program shadow_shader;
    shader_program blur_h_shader;
    shader_program blur_v_shader;
    GLuint quad_vao = 0;
    GLuint quad_vbo = 0;
    GLuint quad_ebo = 0;
    std::vector<GLushort> quad_indices;
    // The blur's regions as triangles in the unit square, refilled every frame.
    gl_vertex_array region_vao;
    gl_buffer region_vbo;
    GLuint shadow_fbo = 0;
    GLuint shadow_depth_rb = 0;
    // The casters' depth statistics, drawn first; the horizontal blur then writes the blurred map
    // of the main pass back into the same texture (through filter_fbo), so one full-size float
    // map is kept, plus the vertical blur's result for two bands of shadow_band_rows rows.
    GLuint moments_texture = 0;
    GLuint filter_fbo = 0;
    gl_texture band_textures[2];
    gl_framebuffer band_fbos[2];
    GLuint blurred_texture() const { return moments_texture; }

    // What the previous frame touched: the box its casters were clipped to, and the regions
    // outside which its blurred map holds no caster, which the next frame wipes and blurs again.
    // The whole map until the first frame has run.
    texel_rect last_draw_box = whole_shadow_map;
    std::vector<texel_rect> last_blur_regions{whole_shadow_map};
    // Where this frame's casters, however much of them was drawn, may shadow: their footprints
    // grown by the blur radius. The main pass leaves the shadow look-up out only outside them,
    // so which objects take that program does not depend on the view.
    std::vector<texel_rect> caster_regions{whole_shadow_map};

    // Called between the caster draw and the blur, when set; lets a benchmark time them apart.
    std::function<void()> after_caster_draw;

    void create_programs();  // once; later calls keep the programs made
    // The unit quad, which every pass leaves bound, and the buffer that the blur draws its
    // regions from; leaves the quad bound.
    void create_quad();
    // Prints "FBO setup successful." or "Problem in FBO setup.", then "Filtering FBO setup
    // successful." or "Problem in Filtering FBO setup.".
    void create_framebuffers();

    // The frame's shadow pass over the whole map: draws the casters from the light with
    // light_mvp (given to draw_casters with the location of "MVP"), then blurs. Expects the depth
    // test on with GL_LESS, as every frame leaves it. Ends with framebuffer 0, draw buffer
    // GL_BACK, a 1024 x 1024 viewport, face culling off and the unit quad bound.
    void render(const glm::mat4& light_mvp, const depth_draw& draw_casters);

    // The same pass, restricted to the texels that the casters can reach: the caller promises
    // that everything draw_casters draws lies inside the given world-space spheres (centre xyz,
    // radius w). The blurred map is then the same texel for texel as from the whole-map pass,
    // while clearing and blurring are limited to the spheres' footprints and those of the
    // previous frame, however many and wherever they are, and the casters are clipped to their
    // footprints' bounding box. A sphere that the light cannot see is left out; one reaching
    // behind the light and into its view makes it a whole-map pass.
    //
    // `seen` narrows it further to the texels that the frame's look-ups can read (the footprints
    // of what the camera sees, see seen_texels): there the map is the same texel for texel as
    // from the whole-map pass, while casters whose blurred footprint misses `seen` are clipped
    // away and nothing outside `seen` is blurred. Texels outside it may then hold anything until
    // a later pass sees them; last_blur_regions still bounds every texel that is not cleared.
    void render(const glm::mat4& light_mvp, const depth_draw& draw_casters,
                const std::vector<glm::vec4>& caster_spheres,
                const texel_rect& seen = whole_shadow_map);

    // Deletes shadow_depth_rb, then shadow_fbo.
    void destroy_framebuffers();

    variance_shadow_map() = default;
    // Deletes every GL object still held; the context must be current.
    ~variance_shadow_map();
    variance_shadow_map(const variance_shadow_map&) = delete;
    variance_shadow_map& operator=(const variance_shadow_map&) = delete;
};

}  // namespace quillomar
