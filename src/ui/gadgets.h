#pragma once
// The register of gadget numbers: every control of the main window has one
// fixed number that names it in events and in every operation on it.

#include <array>
#include <cstdint>

namespace zelluo::gadget {

// Window frame and close button, built once at start-up.
inline constexpr int32_t kFrameTop = 2;
inline constexpr int32_t kFrameRight = 3;
inline constexpr int32_t kFrameBottom = 4;
inline constexpr int32_t kFrameLeft = 5;
inline constexpr int32_t kClose = 107;

// Main page.
inline constexpr int32_t kMainPlaceholder = 100;  // where sub-pages have their back button
inline constexpr int32_t kIconPlay = 101;
inline constexpr int32_t kIconList = 102;
inline constexpr int32_t kIconOptions = 103;
inline constexpr int32_t kIconUpdate = 104;
inline constexpr int32_t kIconAbout = 105;
inline constexpr int32_t kInformation = 106;

// Navigation captions: caption n * 10 + 100 belongs to icon n + 100.
inline constexpr int32_t kCaptionPlay = 110;
inline constexpr int32_t kCaptionList = 120;
inline constexpr int32_t kCaptionOptions = 130;
inline constexpr int32_t kCaptionUpdate = 140;
inline constexpr int32_t kCaptionAbout = 150;

// Back buttons of the sub-pages.
inline constexpr int32_t kBackPlay = 200;
inline constexpr int32_t kBackList = 300;
inline constexpr int32_t kBackOptions = 400;
inline constexpr int32_t kBackUpdate = 500;
inline constexpr int32_t kBackAbout = 600;

// List page: the film details form.
inline constexpr int32_t kCover = 303;
inline constexpr int32_t kTitleHeading = 304;
inline constexpr int32_t kTitleLine = 305;
inline constexpr int32_t kActorsHeading = 306;
inline constexpr int32_t kActorsLine = 307;
inline constexpr int32_t kYearHeading = 308;
inline constexpr int32_t kYearLine = 309;
inline constexpr int32_t kRunningTimeHeading = 310;
inline constexpr int32_t kRunningTimeLine = 311;
inline constexpr int32_t kCountryHeading = 312;
inline constexpr int32_t kCountryLine = 313;
inline constexpr int32_t kPlotHeading = 314;
inline constexpr int32_t kPlotLine = 315;
// The film under the headings, the search, the buttons and the film list.
inline constexpr int32_t kTitleField = 316;
inline constexpr int32_t kActorsField = 317;
inline constexpr int32_t kYearField = 318;
inline constexpr int32_t kRunningTimeField = 319;
inline constexpr int32_t kCountryField = 320;
inline constexpr int32_t kPlotField = 321;
inline constexpr int32_t kSearchLabel = 322;
inline constexpr int32_t kSearchField = 323;
inline constexpr int32_t kNewFilm = 324;
inline constexpr int32_t kSaveFilm = 325;
inline constexpr int32_t kDeleteFilm = 326;
inline constexpr int32_t kChooseCover = 327;
inline constexpr int32_t kImportFilms = 328;
inline constexpr int32_t kExportFilms = 329;
inline constexpr int32_t kExchangeStatus = 331;  // the progress of an import
inline constexpr int32_t kFilmList = 330;

// Options page: heading, separator, then per row a label, an on and an off
// switch (row r: 402 + 3r, 403 + 3r, 404 + 3r, for r = 1 to 6: 405 to 422).
inline constexpr int32_t kOptionsHeading = 403;
inline constexpr int32_t kOptionsSeparator = 404;

// About page: five sections, each a heading, its underline and its value lines
// numbered on from the heading (the thanks have three lines: 615 to 619).
inline constexpr int32_t kAboutNameHeading = 603;
inline constexpr int32_t kAboutVersionHeading = 606;
inline constexpr int32_t kAboutSizeHeading = 609;
inline constexpr int32_t kAboutAuthorHeading = 612;
inline constexpr int32_t kAboutThanksHeading = 615;

}  // namespace zelluo::gadget

namespace zelluo {

// Menu-event numbers: tray menu entries and keyboard shortcuts.
namespace menu {
inline constexpr int32_t kQuit = 1;
inline constexpr int32_t kBackToMain = 2;
inline constexpr int32_t kShow = 80;
inline constexpr int32_t kHide = 81;
// The List page's keys.
inline constexpr int32_t kNewFilm = 10;       // Strg+N
inline constexpr int32_t kSaveFilm = 11;      // Strg+S
inline constexpr int32_t kDeleteFilm = 12;    // Entf on the list
inline constexpr int32_t kUndoDelete = 13;    // Strg+Z
inline constexpr int32_t kFindFilm = 14;      // Strg+F
inline constexpr int32_t kPreviousFilm = 15;  // Up
inline constexpr int32_t kNextFilm = 16;      // Down
inline constexpr int32_t kPageUp = 17;        // PageUp
inline constexpr int32_t kPageDown = 18;      // PageDown
inline constexpr int32_t kImportFilms = 19;   // Strg+I
inline constexpr int32_t kExportFilms = 20;   // Strg+E
}  // namespace menu

// Fonts: all "Arial"; 2 is the heading font and 3 the body font.
namespace font {
inline constexpr int32_t kHeading = 2;
inline constexpr int32_t kBody = 3;
inline constexpr int32_t kDefault = -1;  // the system's default GUI font
}  // namespace font

}  // namespace zelluo
