// The float maths of the simulation. Every executable carries musl's float functions
// (common/float_maths/, linked whole), so sinf, cosf, powf and the rest give the same bits on
// every compiler, C library and processor, for our code and for Bullet's alike: a recording replays
// to the same tick on every build. The core calls them by these names, which take floats only: a
// double argument would reach the C library's own double functions, which differ between builds,
// and does not compile. glm's float functions reach the same sinf, cosf and acosf.
#pragma once

namespace quillomar::fmath {

// Declared under names of our own bound to the C symbols, so that no compiler evaluates them
// itself: gcc folds a call on a constant correctly rounded, clang through the host's library, and
// either may merge a sin and a cos into one sincos; musl's answer can differ in the last bit.
extern "C" float quillomar_sinf(float) __asm__("sinf");
extern "C" float quillomar_cosf(float) __asm__("cosf");
extern "C" float quillomar_tanf(float) __asm__("tanf");
extern "C" float quillomar_asinf(float) __asm__("asinf");
extern "C" float quillomar_acosf(float) __asm__("acosf");
extern "C" float quillomar_atan2f(float, float) __asm__("atan2f");
extern "C" float quillomar_powf(float, float) __asm__("powf");

inline float sin(float x) {
    return quillomar_sinf(x);
}
inline float cos(float x) {
    return quillomar_cosf(x);
}
inline float tan(float x) {
    return quillomar_tanf(x);
}
inline float asin(float x) {
    return quillomar_asinf(x);
}
inline float acos(float x) {
    return quillomar_acosf(x);
}
inline float atan2(float y, float x) {
    return quillomar_atan2f(y, x);
}
inline float pow(float x, float y) {
    return quillomar_powf(x, y);
}

float sin(double) = delete;
float cos(double) = delete;
float tan(double) = delete;
float asin(double) = delete;
float acos(double) = delete;
float atan2(double, double) = delete;
float pow(double, double) = delete;

}  // namespace quillomar::fmath
