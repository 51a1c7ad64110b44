#version 330 core
// Blinn-Phong lighting from one point light with optional diffuse, specular and normal maps, a
// variance shadow look-up and the two projected start and finish images.
//
// Which maps a mesh has is not passed in: a sampler the mesh does not set keeps its last value,
// and a unit with nothing bound reads Mesa's 1 x 1 black fallback texture. A map therefore counts
// as present when its texture is larger than 1 x 1 (no model uses 1 x 1 textures), and a normal
// map must in addition decode to a unit vector pointing out of the surface, which rejects a
// diffuse or specular texture seen through a stale normal-map sampler. llvmpipe evaluates both
// sides of every branch, so the shader selects between results instead of branching.
//
// The renderer also builds it with SKIP_START_PROJECTOR, SKIP_FINISH_PROJECTOR or SKIP_SHADOW
// defined, in every combination, for objects that a projector does not reach or that lie clear of
// every caster's blurred footprint: there the look-ups would leave the albedo and the visibility
// exactly as they are.
in vec3 world_position;
in vec3 world_normal;
in vec3 world_tangent;
in vec3 world_bitangent;
in vec2 uv;
in vec4 shadow_coord;
in vec4 projector_coord;
in vec4 projector_coord2;

uniform vec3 light_pos;
uniform vec3 cam_pos;
uniform sampler2D texture_diffuse1;
uniform sampler2D texture_specular1;
uniform sampler2D texture_normal1;
uniform float specular_power;
uniform float opacity;
uniform sampler2D shadow_tex;
uniform sampler2D proj_tex;
uniform sampler2DShadow projector_depth_tex;
uniform sampler2D proj_tex2;
uniform sampler2DShadow projector_depth_tex2;

out vec4 frag_color;

const vec3 untextured_albedo = vec3(0.6);
const vec3 untextured_specular = vec3(0.3);
const float ambient = 0.3;
// Chebyshev bounds below this count as full shadow; removes the light bleeding where two casters
// overlap at different depths.
const float bleeding_cut = 0.25;
const float min_variance = 2.0e-6;

// Fraction of light reaching the fragment. The blurred map holds coverage * depth,
// coverage * depth^2 and coverage; depths are distances along the light's axis scaled as the
// caster pass scales them.
float light_visibility() {
    vec4 stats = textureProj(shadow_tex, shadow_coord);
#ifdef QUILLOMAR_NO_BORDER_CLAMP
    // WebGL has no border colour: the map's edge would repeat outward. Outside it nothing is
    // covered, as the border's zeros say on the desktop.
    vec2 on_map = shadow_coord.xy / shadow_coord.w;
    if (any(lessThan(on_map, vec2(0.0))) || any(greaterThan(on_map, vec2(1.0)))) {
        stats = vec4(0.0);
    }
#endif
    float coverage = stats.b * step(0.0, shadow_coord.w);
    float safe_coverage = max(stats.b, 1.0e-4);
    float mean = stats.r / safe_coverage;
    float variance = max(stats.g / safe_coverage - mean * mean, min_variance);
    float behind = shadow_coord.w * SHADOW_DEPTH_SCALE - mean;
    float chebyshev = variance / (variance + behind * behind);
    float lit = behind > 0.0 ? clamp((chebyshev - bleeding_cut) / (1.0 - bleeding_cut), 0.0, 1.0)
                             : 1.0;
    return mix(1.0, lit, clamp(coverage, 0.0, 1.0));
}

// The projected colour and how much of it applies: inside the projector's view, in front of it
// and not hidden from it by nearer geometry.
vec4 projected(vec4 coord, sampler2D image, sampler2DShadow depth) {
    vec3 p = coord.xyz / coord.w;
    bool inside = coord.w > 0.0 && all(greaterThanEqual(p, vec3(0.0))) &&
                  all(lessThanEqual(p, vec3(1.0)));
    float seen = texture(depth, p);
    vec3 color = texture(image, p.xy).rgb;
    return vec4(color, inside ? seen : 0.0);
}

void main() {
    bool has_diffuse = textureSize(texture_diffuse1, 0).x > 1;
    bool has_specular = textureSize(texture_specular1, 0).x > 1;
    bool has_normal_map = textureSize(texture_normal1, 0).x > 1;

    vec4 diffuse_texel = texture(texture_diffuse1, uv);
    vec3 albedo = has_diffuse ? diffuse_texel.rgb : untextured_albedo;
    float alpha = opacity * (has_diffuse ? diffuse_texel.a : 1.0);
    vec3 specular_color = has_specular ? texture(texture_specular1, uv).rgb : untextured_specular;

    vec3 n = normalize(world_normal);
    vec3 mapped = texture(texture_normal1, uv).xyz * 2.0 - 1.0;
    bool usable_map = has_normal_map && mapped.z > 0.4 && abs(dot(mapped, mapped) - 1.0) < 0.35 &&
                      dot(world_tangent, world_tangent) > 1.0e-12 &&
                      dot(world_bitangent, world_bitangent) > 1.0e-12;
    vec3 bumped = mat3(normalize(world_tangent), normalize(world_bitangent), n) * mapped;
    n = usable_map ? normalize(bumped) : n;

    // The marks are light on black: black lets the surface show through, like a decal.
#ifndef SKIP_START_PROJECTOR
    vec4 start = projected(projector_coord, proj_tex, projector_depth_tex);
    albedo = mix(albedo, start.rgb, start.a * max(start.r, max(start.g, start.b)));
#endif
#ifndef SKIP_FINISH_PROJECTOR
    vec4 finish = projected(projector_coord2, proj_tex2, projector_depth_tex2);
    albedo = mix(albedo, finish.rgb, finish.a * max(finish.r, max(finish.g, finish.b)));
#endif

    vec3 to_light = normalize(light_pos - world_position);
    vec3 to_eye = normalize(cam_pos - world_position);
    vec3 halfway = normalize(to_light + to_eye);
    float diffuse = max(dot(n, to_light), 0.0);
    // Materials without a shininess would light every fragment fully at exponent 0.
    float shininess = max(specular_power, 1.0);
    float specular = diffuse > 0.0 ? pow(max(dot(n, halfway), 0.0), shininess) : 0.0;

#ifdef SKIP_SHADOW
    float visibility = 1.0;
#else
    float visibility = light_visibility();
#endif
    vec3 color = albedo * (ambient + diffuse * visibility) +
                 specular_color * specular * visibility;
    frag_color = vec4(color, alpha);
}
