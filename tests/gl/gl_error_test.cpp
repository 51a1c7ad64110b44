#include <GL/glew.h>

#include <gtest/gtest.h>

#include "framework/qlmFramework.h"
#include "tests/support/test_support.h"

namespace quillomar {
namespace {

class GlErrorTest : public test::gl_test {};

TEST_F(GlErrorTest, NothingPendingPrintsNothing) {
    test::stream_capture out;
    check_gl_error("game", 7);
    EXPECT_EQ(out.text(), "");
}

TEST_F(GlErrorTest, EachNamedErrorPrintsItsLine) {
    struct provoked {
        void (*provoke)();
        const char* line;
    };
    const provoked cases[] = {
        {[] { glEnable(0xFFFF); }, "GL_INVALID_ENUM - game:1090"},
        {[] { glLineWidth(-1.0f); }, "GL_INVALID_VALUE - game:1090"},
        {[] { glBindVertexArray(0xBADu); }, "GL_INVALID_OPERATION - game:1090"},
        {[] {
             GLuint fbo = 0;
             glGenFramebuffers(1, &fbo);
             glBindFramebuffer(GL_FRAMEBUFFER, fbo);
             glClear(GL_COLOR_BUFFER_BIT);  // an incomplete framebuffer
             glBindFramebuffer(GL_FRAMEBUFFER, 0);
             glDeleteFramebuffers(1, &fbo);
         },
         "GL_INVALID_FRAMEBUFFER_OPERATION - game:1090"},
    };
    for (const provoked& c : cases) {
        c.provoke();
        test::stream_capture out;
        check_gl_error("game", 1090);
        EXPECT_EQ(out.lines(), std::vector<std::string>{c.line});
    }
}

TEST_F(GlErrorTest, SeveralPendingErrorsAreDrainedInOrderWithTheSamePlace) {
    glEnable(0xFFFF);
    glLineWidth(-1.0f);
    test::stream_capture out;
    check_gl_error("orbel", 95);
    const std::vector<std::string> lines = out.lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "GL_INVALID_ENUM - orbel:95");
    // Drivers may keep one flag per error; whatever they queue is printed and drained.
    test::stream_capture again;
    check_gl_error("orbel", 95);
    EXPECT_EQ(again.text(), "");
}

TEST_F(GlErrorTest, CodesWithoutANamePrintUnknown) {
    if (glPushDebugGroup == nullptr || glPopDebugGroup == nullptr) {
        GTEST_SKIP() << "debug groups are needed to raise GL_STACK_OVERFLOW";
    }
    GLint depth = 0;
    glGetIntegerv(GL_MAX_DEBUG_GROUP_STACK_DEPTH, &depth);
    int pushed = 0;
    for (; pushed < depth + 1; ++pushed) {
        glPushDebugGroup(GL_DEBUG_SOURCE_APPLICATION, 1, -1, "q");
    }
    test::stream_capture out;
    check_gl_error("text", 153);
    for (int i = 0; i < pushed; ++i) {
        glPopDebugGroup();
    }
    while (glGetError() != GL_NO_ERROR) {
    }
    EXPECT_EQ(out.lines(), std::vector<std::string>{"GL_UNKNOWN - text:153"});
}

TEST_F(GlErrorTest, MacroPassesTheCallingFileAndLine) {
    glEnable(0xFFFF);
    test::stream_capture out;
    const unsigned line = __LINE__ + 1;
    QLM_CHECK_GL();
    EXPECT_EQ(out.text(),
              "GL_INVALID_ENUM - " + std::string(__FILE__) + ":" + std::to_string(line) + "\n");
}

}  // namespace
}  // namespace quillomar
