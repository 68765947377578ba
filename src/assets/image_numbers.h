#pragma once
// The numbers of the built-in pictures. Button pictures come in pairs: 10·k
// normal and 10·k + 1 under the mouse.

#include <cstdint>

namespace zelluo::image {

inline constexpr int32_t kProgramIcon = 5;
inline constexpr int32_t kSwitchOnGrey = 6;    // on switch of an option that is off
inline constexpr int32_t kSwitchOnGreen = 7;   // on switch of an option that is on
inline constexpr int32_t kSwitchOffGrey = 8;   // off switch of an option that is on
inline constexpr int32_t kSwitchOffRed = 9;    // off switch of an option that is off
inline constexpr int32_t kPlay = 10;
inline constexpr int32_t kPlayHover = 11;
inline constexpr int32_t kList = 20;
inline constexpr int32_t kListHover = 21;
inline constexpr int32_t kCoverPlaceholder = 22;
inline constexpr int32_t kShortUnderline = 23;  // 260 x 2
inline constexpr int32_t kLongUnderline = 24;   // 800 x 2
inline constexpr int32_t kOptions = 30;
inline constexpr int32_t kOptionsHover = 31;
inline constexpr int32_t kUpdate = 40;
inline constexpr int32_t kUpdateHover = 41;
inline constexpr int32_t kAbout = 50;
inline constexpr int32_t kAboutHover = 51;
inline constexpr int32_t kBack = 60;
inline constexpr int32_t kBackHover = 61;
inline constexpr int32_t kClose = 70;
inline constexpr int32_t kCloseHover = 71;
inline constexpr int32_t kFrameTop = 12101;
inline constexpr int32_t kFrameRight = 12102;
inline constexpr int32_t kFrameBottom = 12103;
inline constexpr int32_t kFrameLeft = 12104;

}  // namespace zelluo::image
