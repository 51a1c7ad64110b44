#version 330 core
// One quad per cell where lives were lost, in world space, each corner with the cell's colour.
layout(location = 0) in vec3 position;
layout(location = 1) in vec4 tint;

uniform mat4 view_projection;

out vec4 cell_color;

void main() {
    gl_Position = view_projection * vec4(position, 1.0);
    cell_color = tint;
}
