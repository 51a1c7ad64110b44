// The float maths the simulation calls are musl's, compiled into this executable, for our own code
// and for the shared Bullet library alike. Each input below is one where the C library's own
// function answers differently (glibc 2.36 gives the last bit otherwise), so the expected bits
// prove whose function ran.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <math.h>

#include <btBulletDynamicsCommon.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "common/float_maths.h"
#include "common/random_stream.h"

namespace quillomar {
namespace {

std::uint32_t bits(float f) {
    std::uint32_t u = 0;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

struct known_value {
    const char* name;
    float result;
    float expected;  // musl's answer
};

TEST(FloatMaths, OurCallsGetMuslsBits) {
    const known_value cases[] = {
        {"sin", fmath::sin(-0x1.2d278p-4f), -0x1.2ce20ep-4f},
        {"cos", fmath::cos(-0x1.07b188p+0f), 0x1.07906cp-1f},
        {"tan", fmath::tan(0x1.800b38p+0f), 0x1.c457c6p+3f},
        {"acos", fmath::acos(0x1.96ca54p-1f), 0x1.4e209p-1f},
        {"asin", fmath::asin(-0x1.ca2e14p-1f), -0x1.1bb0eep+0f},
        {"atan2", fmath::atan2(0x1.274e8p-2f, 0x1.85d01cp-1f), 0x1.72c538p-2f},
    };
    for (const known_value& c : cases) {
        EXPECT_EQ(bits(c.result), bits(c.expected)) << c.name;
    }
}

// The shared Bullet calls atan2f from getHingeAngle; the frame below makes that call
// atan2f(y, x) exactly.
TEST(FloatMaths, TheSharedBulletGetsMuslsBitsToo) {
    btRigidBody body(btRigidBody::btRigidBodyConstructionInfo(0.0f, nullptr, nullptr));
    btHingeConstraint hinge(body, btTransform::getIdentity());
    const float y = 0x1.274e8p-2f;
    const float x = 0x1.85d01cp-1f;
    const btTransform turned(btMatrix3x3(1.0f, y, 0.0f, 0.0f, x, 0.0f, 0.0f, 0.0f, 1.0f));
    EXPECT_EQ(bits(hinge.getHingeAngle(btTransform::getIdentity(), turned)), bits(0x1.72c538p-2f));
}

// Every name the shared Bullet asks the dynamic linker for is found in this executable first.
TEST(FloatMaths, EveryNameResolvesToThisExecutable) {
    Dl_info own{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&bits), &own), 0);
    for (const char* name :
         {"sinf", "cosf", "sincosf", "tanf", "asinf", "acosf", "atanf", "atan2f", "powf"}) {
        void* found = dlsym(RTLD_DEFAULT, name);
        Dl_info where{};
        ASSERT_NE(found, nullptr) << name;
        ASSERT_NE(dladdr(found, &where), 0) << name;
        EXPECT_EQ(std::string(where.dli_fname), own.dli_fname) << name;
    }
}

// Compilers turn a sinf and a cosf of one angle into one sincosf, some builds and not others: the
// two must agree to the bit.
TEST(FloatMaths, SincosfAgreesWithSinfAndCosf) {
    // Called through pointers, so that the compiler cannot merge or fold the calls here.
    float (*volatile sin_of)(float) = &::sinf;
    float (*volatile cos_of)(float) = &::cosf;
    void (*volatile sincos_of)(float, float*, float*) = &::sincosf;
    random_stream random;
    for (int i = 0; i < 200000; ++i) {
        const std::uint32_t pattern = random.next();
        float x = 0.0f;
        std::memcpy(&x, &pattern, sizeof x);
        float s = 0.0f;
        float c = 0.0f;
        sincos_of(x, &s, &c);
        ASSERT_EQ(bits(s), bits(sin_of(x))) << x;
        ASSERT_EQ(bits(c), bits(cos_of(x))) << x;
    }
}

}  // namespace
}  // namespace quillomar
