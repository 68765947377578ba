#pragma once
// The one colour scheme of the program: white text on a dark grey that is
// also the window colour and the colour painted into the empty parts of every
// built-in picture. The stored theme name changes none of it.

#include "platform/platform.h"

namespace zelluo::assets {

inline constexpr platform::Rgb kPanelColour = platform::MakeRgb(40, 40, 40);
inline constexpr platform::Rgb kWindowColour = kPanelColour;
inline constexpr platform::Rgb kTextColour = platform::MakeRgb(255, 255, 255);
// Background of every text gadget, given after the text colour.
inline constexpr platform::Rgb kTextBackColour = kPanelColour;
// Text that warns: a film overdue.
inline constexpr platform::Rgb kWarningColour = platform::MakeRgb(255, 140, 64);

// The bars of the statistics' charts.
inline constexpr platform::Rgb kChartBarColour = platform::MakeRgb(86, 148, 214);

}  // namespace zelluo::assets
