#include <gtest/gtest.h>

#include <string>

#include "render/shader_program.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

const char* const valid_vertex = R"(#version 330 core
layout(location = 0) in vec3 position;
void main() { gl_Position = vec4(position, 1.0); }
)";

const char* const valid_fragment = R"(#version 330 core
out vec4 color;
void main() { color = vec4(1.0); }
)";

class ShaderProgramTest : public test::gl_test {
protected:
    test::scratch_dir dir;
};

TEST_F(ShaderProgramTest, TwoValidFilesPrintNothingAndLink) {
    const std::string vs = dir.write("v.glsl", valid_vertex);
    const std::string fs = dir.write("f.glsl", valid_fragment);
    test::stream_capture out;
    const shader_program shader(vs.c_str(), fs.c_str());
    EXPECT_EQ(out.text(), "");
    ASSERT_NE(shader.program, 0u);
    GLint linked = 0;
    glGetProgramiv(shader.program, GL_LINK_STATUS, &linked);
    EXPECT_EQ(linked, GL_TRUE);
}

TEST_F(ShaderProgramTest, MissingVertexFileFailsAtCompileOrLinkButKeepsAProgram) {
    const std::string fs = dir.write("f.glsl", valid_fragment);
    test::stream_capture out;
    const shader_program shader((dir.path() / "missing.glsl").c_str(), fs.c_str());
    const std::string text = out.text();
    EXPECT_EQ(text.find("ERROR::SHADER::FILE_NOT_SUCCESFULLY_READ"), std::string::npos);
    EXPECT_EQ(text.find("ERROR::SHADER::FRAGMENT::COMPILATION_FAILED"), std::string::npos);
    EXPECT_NE(text.find("ERROR::SHADER::PROGRAM::LINKING_FAILED\n"), std::string::npos);
    EXPECT_NE(shader.program, 0u);
}

TEST_F(ShaderProgramTest, FragmentSyntaxErrorGivesOnlyFragmentAndLinkMessages) {
    const std::string vs = dir.write("v.glsl", valid_vertex);
    const std::string fs = dir.write("f.glsl", "#version 330 core\nvoid main() { oops }\n");
    test::stream_capture out;
    const shader_program shader(vs.c_str(), fs.c_str());
    const std::string text = out.text();
    EXPECT_EQ(text.find("ERROR::SHADER::VERTEX::COMPILATION_FAILED"), std::string::npos);
    const std::size_t fragment = text.find("ERROR::SHADER::FRAGMENT::COMPILATION_FAILED\n");
    const std::size_t link = text.find("ERROR::SHADER::PROGRAM::LINKING_FAILED\n");
    ASSERT_NE(fragment, std::string::npos);
    ASSERT_NE(link, std::string::npos);
    EXPECT_LT(fragment, link);
}

TEST_F(ShaderProgramTest, DriverLogIsCutAt511Characters) {
    // Many independent errors make a log far longer than the 512-byte buffer.
    std::string source = "#version 330 core\nout vec4 color;\nvoid main() {\n";
    for (int i = 0; i < 200; ++i) {
        source += "  undefined_name_" + std::to_string(i) + " = 1.0;\n";
    }
    source += "  color = vec4(1.0);\n}\n";
    const std::string vs = dir.write("v.glsl", valid_vertex);
    const std::string fs = dir.write("f.glsl", source);
    test::stream_capture out;
    const shader_program shader(vs.c_str(), fs.c_str());
    const std::string text = out.text();
    const std::string header = "ERROR::SHADER::FRAGMENT::COMPILATION_FAILED\n";
    const std::size_t start = text.find(header);
    ASSERT_NE(start, std::string::npos);
    const std::size_t log_start = start + header.size();
    const std::size_t log_end = text.find("ERROR::SHADER::PROGRAM::LINKING_FAILED", log_start);
    ASSERT_NE(log_end, std::string::npos);
    // The log, then the line end that ends the message.
    EXPECT_EQ(log_end - log_start, 511u + 1u);
}

}  // namespace
}  // namespace quillomar
