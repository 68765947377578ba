#pragma once
// The one colour scheme of the program: white text on a dark grey that is
// also the window colour and the colour painted into the empty parts of every
// built-in picture. The stored theme name changes none of it.

#include "platform/platform.h"

namespace zelluo {

inline constexpr Rgb kPanelColour = MakeRgb(40, 40, 40);
inline constexpr Rgb kWindowColour = kPanelColour;
inline constexpr Rgb kTextColour = MakeRgb(255, 255, 255);
// Background of every text gadget, given after the text colour.
inline constexpr Rgb kTextBackColour = kPanelColour;

}  // namespace zelluo
