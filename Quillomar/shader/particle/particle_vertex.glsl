#version 330 core
// One particle per instance: a square of the given size in the camera's right/up plane, facing the
// camera, so the semi-transparent colour is blended once per pixel.
layout(location = 0) in vec3 corner;
layout(location = 1) in vec3 centre;
layout(location = 2) in float size;
layout(location = 3) in vec4 color;

uniform vec3 CameraRight_worldspace;
uniform vec3 CameraUp_worldspace;
uniform mat4 VP;

out vec4 particle_color;

void main() {
    particle_color = color;
    vec3 world = centre + (CameraRight_worldspace * corner.x + CameraUp_worldspace * corner.y) * size;
    gl_Position = VP * vec4(world, 1.0);
}
