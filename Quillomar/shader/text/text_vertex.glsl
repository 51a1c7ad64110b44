#version 330 core
// HUD glyph quads arrive already in clip space: xy is the position, zw the atlas coordinate;
// `shift` moves the whole line (in clip units) for the outline's copies.
layout(location = 0) in vec4 coord;

uniform vec2 shift;

out vec2 atlas_coord;

void main() {
    gl_Position = vec4(coord.xy + shift, 0.0, 1.0);
    atlas_coord = coord.zw;
}
