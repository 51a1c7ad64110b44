#version 330 core
// The atlas holds glyph coverage in its red channel; it becomes the alpha of the line's colour.
// The HUD lays a dark outline under each line, so it stays readable over the light stone as over
// the dark sky. The outline is the line's coverage seen from twelve whole-pixel offsets (up to
// two pixels away, the diagonals one), each copy strengthened so a glyph's soft edge still casts
// a fully dark rim, laid over each other as twelve blended copies would be: what shows through
// is the product of what each copy leaves uncovered. It is drawn glyph by glyph over quads grown
// by its reach, before the line itself is drawn on top with no offsets.
in vec2 atlas_coord;
flat in vec4 glyph_rect;  // s0, t0, s1, t1 of the glyph's bitmap in the atlas

uniform sampler2D tex;
uniform vec3 text_color;
uniform float coverage_gain;
// 12 for the outline, 0 for the line itself.
uniform int outline_taps;
// One offset unit in atlas coordinates (screen x right, y up): a copy moved by an offset shows
// at a fragment what the glyph holds that far back.
uniform vec2 outline_step;

out vec4 color;

const vec2 offsets[12] = vec2[12](vec2(1.0, 0.0), vec2(-1.0, 0.0), vec2(0.0, 1.0), vec2(0.0, -1.0),
                                  vec2(1.0, 1.0), vec2(-1.0, 1.0), vec2(1.0, -1.0),
                                  vec2(-1.0, -1.0), vec2(2.0, 0.0), vec2(-2.0, 0.0),
                                  vec2(0.0, 2.0), vec2(0.0, -2.0));

void main() {
    float uncovered = 1.0;
    for (int i = 0; i < outline_taps; ++i) {
        vec2 at = atlas_coord - offsets[i] * outline_step;
        // A copy covers only its own moved quad.
        bool inside = all(greaterThanEqual(at, glyph_rect.xy)) &&
                      all(lessThanEqual(at, glyph_rect.zw));
        uncovered *= 1.0 - (inside ? min(1.0, texture(tex, at).r * coverage_gain) : 0.0);
    }
    float own = min(1.0, texture(tex, atlas_coord).r * coverage_gain);
    color = vec4(text_color, outline_taps > 0 ? 1.0 - uncovered : own);
}
