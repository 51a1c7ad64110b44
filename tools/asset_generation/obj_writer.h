// Wavefront OBJ and MTL text for the generated models. Every object gets its own "o" line and its
// own "usemtl", so Assimp imports each one as a mesh of its own, in file order. Positions, normals
// and texture coordinates are shared between faces where their printed text is equal.
//
// Faces are written as triangles only. Assimp gives every corner of a triangle a vertex of its
// own, in face order, and the game's loader builds tangents from each run of three consecutive
// vertices; a quad would come in as four vertices for two triangles and mix the tangents of
// neighbouring faces.
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <glm/glm.hpp>

namespace quillomar::tools {

// Texture coordinates as the picture is seen: u to the right, v downwards from the top row. The
// game imports with aiProcess_FlipUVs and uploads FreeImage's bottom-up rows, so vt (u, v) samples
// the picture at u across and v down.
struct corner {
    glm::dvec3 position;
    glm::dvec3 normal;
    glm::dvec2 uv;
};

// Corners counter-clockwise seen from the side the normals point to.
using face = std::vector<corner>;

struct obj_object {
    std::string name;
    std::string material;
    std::vector<face> faces;
};

struct obj_material {
    std::string name;
    glm::dvec3 ambient{0.2};
    glm::dvec3 diffuse{0.8};
    glm::dvec3 specular{0.5};
    double shininess = 32.0;  // the MTL exponent; the game hands a quarter of it to the shader
    std::string diffuse_map;
    std::string specular_map;
    std::string normal_map;
};

inline std::string format_numbers(const char* prefix, std::initializer_list<double> values) {
    std::string line = prefix;
    char buffer[64];
    for (double v : values) {
        // "-0.000000" and "0.000000" must be one vertex, and the text should not carry a sign
        // that means nothing.
        std::snprintf(buffer, sizeof buffer, " %.6f", v);
        std::string number = buffer;
        if (number == " -0.000000") {
            number = " 0.000000";
        }
        line += number;
    }
    return line;
}

inline std::string obj_text(const std::string& comment, const std::string& mtl_file,
                            const std::vector<obj_object>& objects) {
    std::string text = "# " + comment + "\n";
    text += "mtllib " + mtl_file + "\n";
    std::map<std::string, int> v_index;
    std::map<std::string, int> vt_index;
    std::map<std::string, int> vn_index;
    auto index_of = [&text](std::map<std::string, int>& table, const std::string& line) {
        auto found = table.find(line);
        if (found != table.end()) {
            return found->second;
        }
        const int index = static_cast<int>(table.size()) + 1;
        table.emplace(line, index);
        text += line + "\n";
        return index;
    };
    for (const obj_object& object : objects) {
        text += "o " + object.name + "\n";
        std::string faces_text;
        for (const face& polygon : object.faces) {
            for (std::size_t k = 1; k + 1 < polygon.size(); ++k) {
                const face f = {polygon[0], polygon[k], polygon[k + 1]};
                std::string line = "f";
                for (const corner& c : f) {
                    const int v = index_of(
                        v_index, format_numbers("v", {c.position.x, c.position.y, c.position.z}));
                    const int vt = index_of(vt_index, format_numbers("vt", {c.uv.x, c.uv.y}));
                    const glm::dvec3 n = glm::normalize(c.normal);
                    const int vn = index_of(vn_index, format_numbers("vn", {n.x, n.y, n.z}));
                    line += " " + std::to_string(v) + "/" + std::to_string(vt) + "/" +
                            std::to_string(vn);
                }
                faces_text += line + "\n";
            }
        }
        text += "usemtl " + object.material + "\n";
        text += "s off\n";
        text += faces_text;
    }
    return text;
}

inline std::string mtl_text(const std::string& comment,
                            const std::vector<obj_material>& materials) {
    std::string text = "# " + comment + "\n";
    for (const obj_material& m : materials) {
        text += "\nnewmtl " + m.name + "\n";
        text += format_numbers("Ka", {m.ambient.r, m.ambient.g, m.ambient.b}) + "\n";
        text += format_numbers("Kd", {m.diffuse.r, m.diffuse.g, m.diffuse.b}) + "\n";
        text += format_numbers("Ks", {m.specular.r, m.specular.g, m.specular.b}) + "\n";
        text += format_numbers("Ns", {m.shininess}) + "\n";
        text += "d 1\n";
        text += "illum 2\n";
        if (!m.diffuse_map.empty()) {
            text += "map_Kd " + m.diffuse_map + "\n";
        }
        if (!m.specular_map.empty()) {
            text += "map_Ks " + m.specular_map + "\n";
        }
        if (!m.normal_map.empty()) {
            text += "map_bump " + m.normal_map + "\n";
        }
    }
    return text;
}

}  // namespace quillomar::tools
