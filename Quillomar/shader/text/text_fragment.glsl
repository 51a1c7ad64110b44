#version 330 core
// The atlas holds glyph coverage in its red channel; it becomes the alpha of the line's colour.
// The HUD draws each line first in a dark outline colour at small offsets around it, then in its
// own colour, so it stays readable over the light stone as over the dark sky.
in vec2 atlas_coord;

uniform sampler2D tex;
uniform vec3 text_color;
// 1 for the line itself; more for the outline's copies, so a glyph's soft edge still casts a
// fully dark outline beside it.
uniform float coverage_gain;

out vec4 color;

void main() {
    color = vec4(text_color, min(1.0, texture(tex, atlas_coord).r * coverage_gain));
}
