#version 330 core
// Lit, textured, shadowed scene objects: the ball, cubes, items and spiders. Everything that is
// linear across a triangle is computed here, once per vertex, so the fragment stage only looks up.
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 tex_coords;
layout(location = 3) in vec3 tangent;
layout(location = 4) in vec3 bitangent;

uniform mat4 projection;
uniform mat4 view;
uniform mat4 model;
uniform mat4 shadow;         // object space -> shadow-map texture space
uniform mat4 projectedMat;   // object space -> start projector's texture space
uniform mat4 projectedMat2;  // object space -> finish projector's texture space

out vec3 world_position;
out vec3 world_normal;
out vec3 world_tangent;
out vec3 world_bitangent;
out vec2 uv;
out vec4 shadow_coord;
out vec4 projector_coord;
out vec4 projector_coord2;

void main() {
    vec4 world = model * vec4(position, 1.0);
    world_position = world.xyz;
    // The spiders are scaled unevenly, so normals need the inverse transpose.
    mat3 linear_part = mat3(model);
    world_normal = transpose(inverse(linear_part)) * normal;
    world_tangent = linear_part * tangent;
    world_bitangent = linear_part * bitangent;
    uv = tex_coords;
    shadow_coord = shadow * vec4(position, 1.0);
    projector_coord = projectedMat * vec4(position, 1.0);
    projector_coord2 = projectedMat2 * vec4(position, 1.0);
    gl_Position = projection * view * world;
}
