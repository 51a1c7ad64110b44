#version 330 core
// HUD glyph quads arrive already in clip space: xy is the position, zw the atlas coordinate;
// `glyph` is the glyph's own bitmap in the atlas, the same at all four corners.
layout(location = 0) in vec4 coord;
layout(location = 1) in vec4 glyph;

out vec2 atlas_coord;
flat out vec4 glyph_rect;

void main() {
    gl_Position = vec4(coord.xy, 0.0, 1.0);
    atlas_coord = coord.zw;
    glyph_rect = glyph;
}
