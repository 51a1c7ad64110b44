// The float maths of the simulation. Every executable carries musl's float functions
// (common/float_maths/, linked whole), so sinf, cosf, powf and the rest give the same bits on
// every compiler, C library and processor, for our code and for Bullet's alike: a recording replays
// to the same tick on every build. The core calls them by these names, which take floats only: a
// double argument would reach the C library's own double functions, which differ between builds,
// and does not compile. glm's float functions reach the same sinf, cosf and acosf.
#pragma once

#include <math.h>

namespace quillomar::fmath {

inline float sin(float x) {
    return ::sinf(x);
}
inline float cos(float x) {
    return ::cosf(x);
}
inline float tan(float x) {
    return ::tanf(x);
}
inline float asin(float x) {
    return ::asinf(x);
}
inline float acos(float x) {
    return ::acosf(x);
}
inline float atan2(float y, float x) {
    return ::atan2f(y, x);
}
inline float pow(float x, float y) {
    return ::powf(x, y);
}

float sin(double) = delete;
float cos(double) = delete;
float tan(double) = delete;
float asin(double) = delete;
float acos(double) = delete;
float atan2(double, double) = delete;
float pow(double, double) = delete;

}  // namespace quillomar::fmath
