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
// Near fade: a particle closer to the eye than NearFade.x is not drawn, one beyond NearFade.y is
// drawn whole, and between the two it fades in. A cloud passing through the camera would
// otherwise fill the screen with blended squares a few tenths of a unit away.
uniform vec3 CameraPosition_worldspace;
uniform vec2 NearFade;

out vec4 particle_color;

void main() {
    float fade = smoothstep(NearFade.x, NearFade.y, distance(centre, CameraPosition_worldspace));
    particle_color = vec4(color.rgb, color.a * fade);
    if (fade <= 0.0) {
        // Every corner outside the clip volume: the square is culled before any pixel.
        gl_Position = vec4(2.0, 2.0, 2.0, 1.0);
        return;
    }
    vec3 world = centre + (CameraRight_worldspace * corner.x + CameraUp_worldspace * corner.y) * size;
    gl_Position = VP * vec4(world, 1.0);
}
