#version 330 core
// The scene's depth at the burst's resolution: each low pixel takes the farthest depth of the
// block of full pixels it covers, so a particle behind a cube edge is hidden wherever the block
// is all cube, and one in front of the far side of the edge is never cut away.
uniform sampler2D SceneDepth;
// Full pixels per low pixel, across and up (the low target may round the frame's size up).
uniform vec2 BlockSize;
// Where the frame's viewport starts in SceneDepth.
uniform ivec2 Origin;

void main() {
    if (BlockSize == vec2(2.0)) {
        // The usual case, unrolled: a loop costs more than its four reads here.
        ivec2 corner = Origin + 2 * ivec2(gl_FragCoord.xy);
        float a = texelFetch(SceneDepth, corner, 0).r;
        float b = texelFetch(SceneDepth, corner + ivec2(1, 0), 0).r;
        float c = texelFetch(SceneDepth, corner + ivec2(0, 1), 0).r;
        float d = texelFetch(SceneDepth, corner + ivec2(1, 1), 0).r;
        gl_FragDepth = max(max(a, b), max(c, d));
        return;
    }
    ivec2 full = textureSize(SceneDepth, 0);
    ivec2 first = Origin + ivec2(floor((gl_FragCoord.xy - 0.5) * BlockSize));
    ivec2 last = min(Origin + ivec2(ceil((gl_FragCoord.xy + 0.5) * BlockSize)) - 1, full - 1);
    float farthest = 0.0;
    for (int y = first.y; y <= last.y; ++y) {
        for (int x = first.x; x <= last.x; ++x) {
            farthest = max(farthest, texelFetch(SceneDepth, ivec2(x, y), 0).r);
        }
    }
    gl_FragDepth = farthest;
}
