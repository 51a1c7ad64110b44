#version 330 core
// Separable 9-tap Gaussian (sigma 2 texels), vertical half, drawn into a band texture whose row
// 0 is map row band_origin. Every tap sits on a texel centre of the map and is read with
// texelFetch: no filtering work. Taps beyond the map read as empty, as the border colour does for
// the object shader.
uniform sampler2D textureMap;
uniform int band_origin;

out vec4 blurred;

const float weights[SHADOW_BLUR_RADIUS + 1] = float[](0.20417, 0.18017, 0.12383, 0.06629, 0.02763);

vec3 tap(ivec2 texel, ivec2 size) {
    bool inside = texel.y >= 0 && texel.y < size.y;
    return inside ? texelFetch(textureMap, clamp(texel, ivec2(0), size - 1), 0).rgb : vec3(0.0);
}

void main() {
    ivec2 size = textureSize(textureMap, 0);
    ivec2 texel = ivec2(gl_FragCoord.xy) + ivec2(0, band_origin);
    vec3 sum = weights[0] * texelFetch(textureMap, texel, 0).rgb;
    for (int i = 1; i <= SHADOW_BLUR_RADIUS; ++i) {
        sum += weights[i] * (tap(texel + ivec2(0, i), size) + tap(texel - ivec2(0, i), size));
    }
    blurred = vec4(sum, 1.0);
}
