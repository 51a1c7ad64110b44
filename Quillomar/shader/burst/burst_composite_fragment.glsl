#version 330 core
// The low-resolution burst over the frame: its colour holds what the particles add, already
// weighted by their transparency, and its alpha what they leave of the scene behind them.
uniform sampler2D Burst;
// The frame's viewport: x, y, width, height in window pixels.
uniform vec4 Frame;

out vec4 color;

void main() {
    vec4 burst = texture(Burst, (gl_FragCoord.xy - Frame.xy) / Frame.zw);
    if (burst.a >= 1.0) {
        discard;  // no particle here: the frame stays as it is
    }
    color = burst;
}
