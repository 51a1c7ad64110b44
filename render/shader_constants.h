// Numbers that the C++ side and the shaders must agree on, each defined once here. Every shader
// is compiled with the shared ones as #define lines after its #version line (shader_prelude), so
// a shader names them and never repeats the number.
#pragma once

#include <string>

namespace quillomar {

// Taps on either side of the centre in each direction of the shadow map's blur
// (SHADOW_BLUR_RADIUS in the shaders).
inline constexpr int shadow_blur_radius = 4;
// The shadow map stores the distance along the light's view axis in hundreds of units, so the
// scene's depths stay well inside a float's precision when squared (SHADOW_DEPTH_SCALE).
inline constexpr float shadow_depth_scale = 0.01f;

// Texture units, fixed for the whole frame so that no pass unbinds another's map.
namespace texture_unit {
inline constexpr int shadow_map = 5;
inline constexpr int start_projector_image = 10;
inline constexpr int start_projector_depth = 11;
inline constexpr int finish_projector_image = 12;
inline constexpr int finish_projector_depth = 13;
// A unit no program samples during the main pass: the text atlas and uploads use it.
inline constexpr int scratch = 15;
// The shadow blur's two halves: the vertical half reads the map, the horizontal half a band.
inline constexpr int blur_map = 20;
inline constexpr int blur_band = 21;
}  // namespace texture_unit

// The #define lines of the shared constants, each ended by a line end.
std::string shader_prelude();

}  // namespace quillomar
