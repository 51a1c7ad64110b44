#version 330 core
// One particle per instance. Of the unit cube only its +z face (triangles 7 and 12, vertices 18-20
// and 33-35) is kept and laid out in the camera's right/up plane: one square facing the camera,
// so the semi-transparent colour is blended once per pixel, not once per cube face.
layout(location = 0) in vec3 corner;
layout(location = 1) in vec3 centre;
layout(location = 2) in float size;
layout(location = 3) in vec4 color;

uniform vec3 CameraRight_worldspace;
uniform vec3 CameraUp_worldspace;
uniform mat4 VP;

out vec4 particle_color;

void main() {
    int triangle = gl_VertexID / 3;
    particle_color = color;
    if (triangle != 6 && triangle != 11) {
        // Behind the far plane: the triangle is rejected before rasterisation.
        gl_Position = vec4(0.0, 0.0, 2.0, 1.0);
        return;
    }
    vec3 world = centre + (CameraRight_worldspace * corner.x + CameraUp_worldspace * corner.y) * size;
    gl_Position = VP * vec4(world, 1.0);
}
