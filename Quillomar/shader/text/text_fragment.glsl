#version 330 core
// The atlas holds glyph coverage in its red channel; it becomes the alpha of a warm, light
// yellow that reads well over both the dark sky and the lit cubes.
in vec2 atlas_coord;

uniform sampler2D tex;

out vec4 color;

const vec3 text_color = vec3(1.0, 0.92, 0.62);

void main() {
    color = vec4(text_color, texture(tex, atlas_coord).r);
}
