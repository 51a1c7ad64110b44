#version 330 core
// Stretches the unit quad over the whole viewport.
layout(location = 0) in vec2 corner;

void main() {
    gl_Position = vec4(corner * 2.0 - 1.0, 0.0, 1.0);
}
