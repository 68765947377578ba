#pragma once
// The register of gadget numbers: every control of the main window has one
// fixed number that names it in events and in every operation on it.

#include <array>
#include <cstdint>

#include "platform/platform_types.h"

namespace zelluo::gadget {

// Window frame and close button, built once at start-up.
inline constexpr GadgetId kFrameTop{2};
inline constexpr GadgetId kFrameRight{3};
inline constexpr GadgetId kFrameBottom{4};
inline constexpr GadgetId kFrameLeft{5};
inline constexpr GadgetId kClose{107};

// Main page.
inline constexpr GadgetId kMainPlaceholder{100};  // where sub-pages have their back button
inline constexpr GadgetId kIconPlay{101};
inline constexpr GadgetId kIconList{102};
inline constexpr GadgetId kIconOptions{103};
inline constexpr GadgetId kIconUpdate{104};
inline constexpr GadgetId kIconAbout{105};
inline constexpr GadgetId kInformation{106};

// Navigation captions: caption n * 10 + 100 belongs to icon n + 100.
inline constexpr GadgetId kCaptionPlay{110};
inline constexpr GadgetId kCaptionList{120};
inline constexpr GadgetId kCaptionOptions{130};
inline constexpr GadgetId kCaptionUpdate{140};
inline constexpr GadgetId kCaptionAbout{150};

// Back buttons of the sub-pages.
inline constexpr GadgetId kBackPlay{200};
inline constexpr GadgetId kBackList{300};
inline constexpr GadgetId kBackOptions{400};
inline constexpr GadgetId kBackUpdate{500};
inline constexpr GadgetId kBackAbout{600};

// List page: the film details form.
inline constexpr GadgetId kCover{303};
inline constexpr GadgetId kTitleHeading{304};
inline constexpr GadgetId kTitleLine{305};
inline constexpr GadgetId kActorsHeading{306};
inline constexpr GadgetId kActorsLine{307};
inline constexpr GadgetId kYearHeading{308};
inline constexpr GadgetId kYearLine{309};
inline constexpr GadgetId kRunningTimeHeading{310};
inline constexpr GadgetId kRunningTimeLine{311};
inline constexpr GadgetId kCountryHeading{312};
inline constexpr GadgetId kCountryLine{313};
inline constexpr GadgetId kPlotHeading{314};
inline constexpr GadgetId kPlotLine{315};
// The film under the headings, the search, the buttons and the film list.
inline constexpr GadgetId kTitleField{316};
inline constexpr GadgetId kActorsField{317};
inline constexpr GadgetId kYearField{318};
inline constexpr GadgetId kRunningTimeField{319};
inline constexpr GadgetId kCountryField{320};
inline constexpr GadgetId kPlotField{321};
inline constexpr GadgetId kSearchLabel{322};
inline constexpr GadgetId kSearchField{323};
inline constexpr GadgetId kNewFilm{324};
inline constexpr GadgetId kSaveFilm{325};
inline constexpr GadgetId kDeleteFilm{326};
inline constexpr GadgetId kChooseCover{327};
inline constexpr GadgetId kImportFilms{328};
inline constexpr GadgetId kExportFilms{329};
inline constexpr GadgetId kExchangeStatus{331};  // the progress of an import
inline constexpr GadgetId kFilmList{330};
inline constexpr GadgetId kVideoLine{332};  // the film's video file (Strg+O chooses it)

// Play page (back button 200).
inline constexpr GadgetId kPlayCover{201};
inline constexpr GadgetId kFilterAll{202};
inline constexpr GadgetId kFilterUnseen{203};
inline constexpr GadgetId kFilterStarted{204};
inline constexpr GadgetId kPlayTitle{205};
inline constexpr GadgetId kPlayDetails{206};
inline constexpr GadgetId kPlayFilm{207};
inline constexpr GadgetId kPlayFromStart{208};
inline constexpr GadgetId kRandomFilm{209};
inline constexpr GadgetId kMarkSeen{210};
inline constexpr GadgetId kPlaySearchLabel{211};
inline constexpr GadgetId kPlaySearchField{212};
inline constexpr GadgetId kPlayList{213};
inline constexpr GadgetId kPlayStatus{214};
inline constexpr GadgetId kVideo{220};  // the film playing, over the page

// Options page: heading, separator, then per row a label, an on and an off
// switch (row r: 402 + 3r, 403 + 3r, 404 + 3r, for r = 1 to 6: 405 to 422).
inline constexpr GadgetId kOptionsHeading{403};
inline constexpr GadgetId kOptionsSeparator{404};
constexpr GadgetId OptionLabel(int32_t row) { return GadgetId{402 + 3 * row}; }
constexpr GadgetId OptionOnSwitch(int32_t row) { return GadgetId{403 + 3 * row}; }
constexpr GadgetId OptionOffSwitch(int32_t row) { return GadgetId{404 + 3 * row}; }

// About page: five sections, each a heading, its underline and its value lines
// numbered on from the heading (the thanks have three lines: 615 to 619).
inline constexpr GadgetId kAboutNameHeading{603};
inline constexpr GadgetId kAboutVersionHeading{606};
inline constexpr GadgetId kAboutSizeHeading{609};
inline constexpr GadgetId kAboutAuthorHeading{612};
inline constexpr GadgetId kAboutThanksHeading{615};
// The gadget line places after a section's heading: 1 is its underline, 2 and
// on its value lines.
constexpr GadgetId AboutLine(GadgetId heading, int32_t line) {
  return GadgetId{Number(heading) + line};
}

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
inline constexpr int32_t kChooseVideo = 21;   // Strg+O
}  // namespace menu

// Fonts: all "Arial"; 2 is the heading font and 3 the body font.
namespace font {
inline constexpr FontId kHeading{2};
inline constexpr FontId kBody{3};
inline constexpr FontId kDefault{-1};  // the system's default GUI font
}  // namespace font

}  // namespace zelluo
