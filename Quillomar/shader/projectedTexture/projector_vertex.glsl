#version 330 core
// The scene from a projector. The clip position goes to the fragment stage, which turns it into
// the image coordinate of the pixel: the image is spread over the projector's whole view.
layout(location = 0) in vec3 position;

uniform mat4 mvp;

out vec3 clip_xyw;

void main() {
    gl_Position = mvp * vec4(position, 1.0);
    clip_xyw = gl_Position.xyw;
}
