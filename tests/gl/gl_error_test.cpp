#include <GL/glew.h>

#include <gtest/gtest.h>

#include "framework/qlmFramework.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

class GlErrorTest : public test::gl_test {};

// A pending error is printed as "GL_<name> - file:line" and drained.
TEST_F(GlErrorTest, EachPendingErrorPrintsItsLineAndIsDrained) {
    const std::pair<void (*)(), std::string> cases[] = {
        {[] {}, ""},
        {[] { glEnable(0xFFFF); }, "GL_INVALID_ENUM - game:1090\n"},
        {[] { glLineWidth(-1.0f); }, "GL_INVALID_VALUE - game:1090\n"},
        {[] { glBindVertexArray(0xBADu); }, "GL_INVALID_OPERATION - game:1090\n"},
        {[] {
             GLuint fbo = 0;
             glGenFramebuffers(1, &fbo);
             glBindFramebuffer(GL_FRAMEBUFFER, fbo);
             glClear(GL_COLOR_BUFFER_BIT);  // an incomplete framebuffer
             glBindFramebuffer(GL_FRAMEBUFFER, 0);
         },
         "GL_INVALID_FRAMEBUFFER_OPERATION - game:1090\n"},
        {[] {
             // One push beyond the debug group stack raises GL_STACK_OVERFLOW, which has no name.
             GLint depth = 0;
             glGetIntegerv(GL_MAX_DEBUG_GROUP_STACK_DEPTH, &depth);
             for (int i = 0; i < depth; ++i) {
                 glPushDebugGroup(GL_DEBUG_SOURCE_APPLICATION, 1, -1, "q");
             }
             glGetIntegerv(GL_DEBUG_GROUP_STACK_DEPTH, &depth);
             for (int i = 1; i < depth; ++i) {
                 glPopDebugGroup();
             }
         },
         "GL_UNKNOWN - game:1090\n"},
    };
    for (const auto& [provoke, printed] : cases) {
        provoke();
        test::stream_capture out;
        check_gl_error("game", 1090);
        EXPECT_EQ(out.text(), printed);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

// Drivers may keep one flag per error or only the first; whatever they keep is printed in order
// with the same place, and the macro names the calling file and line.
TEST_F(GlErrorTest, SeveralPendingErrorsAreDrainedAndTheMacroNamesItsPlace) {
    glEnable(0xFFFF);
    glLineWidth(-1.0f);
    test::stream_capture out;
    check_gl_error("orbel", 95);
    const std::string both = "GL_INVALID_ENUM - orbel:95\nGL_INVALID_VALUE - orbel:95\n";
    EXPECT_TRUE(out.text() == both || out.text() == both.substr(0, both.find('\n') + 1))
        << out.text();
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    out.clear();
    glEnable(0xFFFF);
    const unsigned line = __LINE__ + 1;
    QLM_CHECK_GL();
    EXPECT_EQ(out.text(),
              "GL_INVALID_ENUM - " + std::string(__FILE__) + ":" + std::to_string(line) + "\n");
}

}  // namespace
}  // namespace quillomar
