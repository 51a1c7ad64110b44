#version 330 core
// Red, with the instance's own transparency; a dim red is lifted so no particle reads as black.
in vec4 particle_color;

out vec4 color;

void main() {
    color = vec4(0.3 + 0.7 * particle_color.r, particle_color.g, particle_color.b, particle_color.a);
}
