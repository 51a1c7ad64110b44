#version 330 core
// Casters seen from the light. The stored depth is the distance along the light's view axis
// (clip w) in hundreds of units, the same quantity the object shader derives from "shadow".
layout(location = 0) in vec3 position;

uniform mat4 MVP;

out float light_depth;

void main() {
    gl_Position = MVP * vec4(position, 1.0);
    light_depth = gl_Position.w * SHADOW_DEPTH_SCALE;
}
