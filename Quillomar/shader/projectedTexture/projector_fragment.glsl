#version 330 core
// What the projector casts at this pixel: the image texel under it.
in vec3 clip_xyw;

uniform sampler2D tex;

out vec4 color;

void main() {
    vec2 image_coord = clip_xyw.xy / clip_xyw.z * 0.5 + 0.5;
    color = vec4(texture(tex, image_coord).rgb, 1.0);
}
