#version 330 core
// Translucent marks in world space (the fall map's cells, the heading arrow), each corner with
// its colour.
layout(location = 0) in vec3 position;
layout(location = 1) in vec4 tint;

uniform mat4 view_projection;

out vec4 cell_color;

void main() {
    gl_Position = view_projection * vec4(position, 1.0);
    cell_color = tint;
}
