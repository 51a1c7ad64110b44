#include "render/shader_program.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/test_support.h"

namespace quillomar {
namespace {

const std::string vertex =
    "#version 330 core\nlayout(location = 0) in vec3 p;\nvoid main() { gl_Position = vec4(p, 1); "
    "}\n";
const std::string fragment = "#version 330 core\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n";
const std::string broken = "#version 330 core\nvoid main() { oops }\n";
const std::string vertex_failed = "ERROR::SHADER::VERTEX::COMPILATION_FAILED";
const std::string fragment_failed = "ERROR::SHADER::FRAGMENT::COMPILATION_FAILED";
const std::string link_failed = "ERROR::SHADER::PROGRAM::LINKING_FAILED";

class ShaderProgramTest : public test::gl_test {
protected:
    // Builds a program from the two sources (null: the file is missing); returns what it printed.
    std::string build(const std::string* vertex_source, const std::string& fragment_source) {
        const std::string vs = vertex_source == nullptr ? (dir.path() / "none.glsl").string()
                                                        : dir.write("v.glsl", *vertex_source);
        const std::string fs = dir.write("f.glsl", fragment_source);
        test::stream_capture out;
        const shader_program shader(vs.c_str(), fs.c_str());
        EXPECT_NE(shader.program, 0u);
        glGetProgramiv(shader.program, GL_LINK_STATUS, &linked);
        return out.text();
    }

    test::scratch_dir dir;
    GLint linked = -1;
};

// Each failure header stands on a line of its own, in order, followed by the driver's log.
TEST_F(ShaderProgramTest, EachFailingStagePrintsItsHeaderAndTheLinkFailureFollows) {
    const std::pair<std::pair<const std::string*, std::string>, std::vector<std::string>> cases[] =
        {
            {{&vertex, fragment}, {}},
            {{nullptr, fragment},
             {vertex_failed, link_failed}},  // a missing file is an empty source
            {{&vertex, broken}, {fragment_failed, link_failed}},
            {{&broken, fragment}, {vertex_failed, link_failed}},
            {{&broken, broken}, {vertex_failed, fragment_failed, link_failed}},
        };
    for (const auto& [sources, headers] : cases) {
        const std::string console = build(sources.first, sources.second);
        std::vector<std::string> printed;
        std::istringstream in(console);
        for (std::string line; std::getline(in, line);) {
            if (line.rfind("ERROR::", 0) == 0) {
                printed.push_back(line);
            }
        }
        EXPECT_EQ(printed, headers) << console;
        EXPECT_EQ(console.empty(), headers.empty());
        EXPECT_EQ(linked, headers.empty() ? GL_TRUE : GL_FALSE);
    }
}

// The game releases the compiler once its programs are built; one built later must still link.
TEST_F(ShaderProgramTest, ProgramsStillBuildAfterTheCompilerIsReleased) {
    glReleaseShaderCompiler();
    EXPECT_EQ(build(&vertex, fragment), "");
    EXPECT_EQ(linked, GL_TRUE);
}

TEST_F(ShaderProgramTest, DriverLogIsCutAt511Characters) {
    // Many independent errors make a log far longer than the 512-byte buffer.
    std::string source = "#version 330 core\nvoid main() {\n";
    for (int i = 0; i < 200; ++i) {
        source += "  undefined_name_" + std::to_string(i) + " = 1.0;\n";
    }
    const std::string text = build(&vertex, source + "}\n");
    // The header, then the file's path, then the log.
    const std::string path_prefix = (dir.path() / "f.glsl").string() + ": ";
    const std::size_t log_start = text.find(fragment_failed + "\n" + path_prefix) +
                                  fragment_failed.size() + 1 + path_prefix.size();
    ASSERT_EQ(text.rfind(fragment_failed + "\n" + path_prefix, 0), 0u) << text;
    // The log, then the line end that ends the message.
    EXPECT_EQ(text.find(link_failed, log_start) - log_start, 511u + 1u);
}

}  // namespace
}  // namespace quillomar
