#pragma once
// The register of gadget numbers: every control of the main window has one
// fixed number that names it in events and in every operation on it.

#include <array>
#include <cstdint>

#include "platform/platform_types.h"

namespace zelluo::ui::gadget {

// Window frame and close button, built once at start-up.
inline constexpr platform::GadgetId kFrameTop{2};
inline constexpr platform::GadgetId kFrameRight{3};
inline constexpr platform::GadgetId kFrameBottom{4};
inline constexpr platform::GadgetId kFrameLeft{5};
inline constexpr platform::GadgetId kClose{107};

// Main page.
inline constexpr platform::GadgetId kMainPlaceholder{
    100};  // where sub-pages have their back button
inline constexpr platform::GadgetId kIconPlay{101};
inline constexpr platform::GadgetId kIconList{102};
inline constexpr platform::GadgetId kIconOptions{103};
inline constexpr platform::GadgetId kIconUpdate{104};
inline constexpr platform::GadgetId kIconAbout{105};
inline constexpr platform::GadgetId kInformation{106};

// Navigation captions: caption n * 10 + 100 belongs to icon n + 100.
inline constexpr platform::GadgetId kCaptionPlay{110};
inline constexpr platform::GadgetId kCaptionList{120};
inline constexpr platform::GadgetId kCaptionOptions{130};
inline constexpr platform::GadgetId kCaptionUpdate{140};
inline constexpr platform::GadgetId kCaptionAbout{150};

// Back buttons of the sub-pages.
inline constexpr platform::GadgetId kBackPlay{200};
inline constexpr platform::GadgetId kBackList{300};
inline constexpr platform::GadgetId kBackOptions{400};
inline constexpr platform::GadgetId kBackUpdate{500};
inline constexpr platform::GadgetId kBackAbout{600};
inline constexpr platform::GadgetId kBackStatistics{700};

// List page: the film details form.
inline constexpr platform::GadgetId kCover{303};
inline constexpr platform::GadgetId kTitleHeading{304};
inline constexpr platform::GadgetId kTitleLine{305};
inline constexpr platform::GadgetId kActorsHeading{306};
inline constexpr platform::GadgetId kActorsLine{307};
inline constexpr platform::GadgetId kYearHeading{308};
inline constexpr platform::GadgetId kYearLine{309};
inline constexpr platform::GadgetId kRunningTimeHeading{310};
inline constexpr platform::GadgetId kRunningTimeLine{311};
inline constexpr platform::GadgetId kCountryHeading{312};
inline constexpr platform::GadgetId kCountryLine{313};
inline constexpr platform::GadgetId kPlotHeading{314};
inline constexpr platform::GadgetId kPlotLine{315};
// The film under the headings, the search, the buttons and the film list.
inline constexpr platform::GadgetId kTitleField{316};
inline constexpr platform::GadgetId kActorsField{317};
inline constexpr platform::GadgetId kYearField{318};
inline constexpr platform::GadgetId kRunningTimeField{319};
inline constexpr platform::GadgetId kCountryField{320};
inline constexpr platform::GadgetId kPlotField{321};
inline constexpr platform::GadgetId kSearchLabel{322};
inline constexpr platform::GadgetId kSearchField{323};
inline constexpr platform::GadgetId kNewFilm{324};
inline constexpr platform::GadgetId kSaveFilm{325};
inline constexpr platform::GadgetId kDeleteFilm{326};
inline constexpr platform::GadgetId kChooseCover{327};
inline constexpr platform::GadgetId kImportFilms{328};
inline constexpr platform::GadgetId kExportFilms{329};
inline constexpr platform::GadgetId kExchangeStatus{331};  // the progress of an import
inline constexpr platform::GadgetId kFilmList{330};
inline constexpr platform::GadgetId kVideoLine{332};  // the film's video file (Strg+O chooses it)
// Above the video line: to whom the film is lent, empty unless it is away.
inline constexpr platform::GadgetId kLoanLine{333};
// The lending row, made over the loan line by Strg+L and freed when done.
inline constexpr platform::GadgetId kBorrowerLabel{334};
inline constexpr platform::GadgetId kBorrowerField{335};
inline constexpr platform::GadgetId kDueLabel{336};
inline constexpr platform::GadgetId kDueField{337};
inline constexpr platform::GadgetId kLendFilm{338};
inline constexpr platform::GadgetId kCancelLending{339};
// Its second line, over the video line: the borrower's e-mail, phone and note,
// and the loan's note.
inline constexpr platform::GadgetId kEmailLabel{350};
inline constexpr platform::GadgetId kEmailField{351};
inline constexpr platform::GadgetId kPhoneLabel{352};
inline constexpr platform::GadgetId kPhoneField{353};
inline constexpr platform::GadgetId kBorrowerNoteLabel{354};
inline constexpr platform::GadgetId kBorrowerNoteField{355};
inline constexpr platform::GadgetId kLoanNoteLabel{356};
inline constexpr platform::GadgetId kLoanNoteField{357};

// Play page (back button 200).
inline constexpr platform::GadgetId kPlayCover{201};
inline constexpr platform::GadgetId kFilterAll{202};
inline constexpr platform::GadgetId kFilterUnseen{203};
inline constexpr platform::GadgetId kFilterStarted{204};
inline constexpr platform::GadgetId kPlayTitle{205};
inline constexpr platform::GadgetId kPlayDetails{206};
inline constexpr platform::GadgetId kPlayFilm{207};
inline constexpr platform::GadgetId kPlayFromStart{208};
inline constexpr platform::GadgetId kRandomFilm{209};
inline constexpr platform::GadgetId kMarkSeen{210};
inline constexpr platform::GadgetId kPlaySearchLabel{211};
inline constexpr platform::GadgetId kPlaySearchField{212};
inline constexpr platform::GadgetId kPlayList{213};
inline constexpr platform::GadgetId kPlayStatus{214};
inline constexpr platform::GadgetId kStatistics{215};  // opens the statistics page
inline constexpr platform::GadgetId kVideo{220};       // the film playing, over the page

// Update page (back button 500): the film folders, the scan and its findings.
inline constexpr platform::GadgetId kFoldersHeading{501};
inline constexpr platform::GadgetId kFolderList{502};
inline constexpr platform::GadgetId kAddFolder{503};
inline constexpr platform::GadgetId kRemoveFolder{504};
inline constexpr platform::GadgetId kScanNow{505};
inline constexpr platform::GadgetId kCancelScan{506};
inline constexpr platform::GadgetId kScanProgress{507};
inline constexpr platform::GadgetId kFindingsHeading{508};
inline constexpr platform::GadgetId kFindingList{509};
inline constexpr platform::GadgetId kToggleFinding{510};
inline constexpr platform::GadgetId kApplyFindings{511};

// Statistics page (back button 700, to the Play page): a heading, five tiles
// of a figure and its caption (figure 702 + 2t, caption 703 + 2t, for t = 0
// to 4), and five charts of a heading, its underline and the chart (721 +
// 10c, 722 + 10c, 723 + 10c, for c = 0 to 4: genres, directors, countries,
// decades, growth).
inline constexpr platform::GadgetId kStatisticsHeading{701};
constexpr platform::GadgetId TileFigure(int32_t tile) { return platform::GadgetId{702 + 2 * tile}; }
constexpr platform::GadgetId TileCaption(int32_t tile) {
  return platform::GadgetId{703 + 2 * tile};
}
constexpr platform::GadgetId ChartHeading(int32_t chart) {
  return platform::GadgetId{721 + 10 * chart};
}
constexpr platform::GadgetId ChartLine(int32_t chart) {
  return platform::GadgetId{722 + 10 * chart};
}
constexpr platform::GadgetId ChartOf(int32_t chart) { return platform::GadgetId{723 + 10 * chart}; }
inline constexpr int32_t kTiles = 5;
inline constexpr int32_t kCharts = 5;

// Options page: heading, separator, then per row a label, an on and an off
// switch (row r: 402 + 3r, 403 + 3r, 404 + 3r, for r = 1 to 6: 405 to 422).
inline constexpr platform::GadgetId kOptionsHeading{403};
inline constexpr platform::GadgetId kOptionsSeparator{404};
constexpr platform::GadgetId OptionLabel(int32_t row) { return platform::GadgetId{402 + 3 * row}; }
constexpr platform::GadgetId OptionOnSwitch(int32_t row) {
  return platform::GadgetId{403 + 3 * row};
}
constexpr platform::GadgetId OptionOffSwitch(int32_t row) {
  return platform::GadgetId{404 + 3 * row};
}

// About page: five sections, each a heading, its underline and its value lines
// numbered on from the heading (the thanks have three lines: 615 to 619).
inline constexpr platform::GadgetId kAboutNameHeading{603};
inline constexpr platform::GadgetId kAboutVersionHeading{606};
inline constexpr platform::GadgetId kAboutSizeHeading{609};
inline constexpr platform::GadgetId kAboutAuthorHeading{612};
inline constexpr platform::GadgetId kAboutThanksHeading{615};
// The gadget line places after a section's heading: 1 is its underline, 2 and
// on its value lines.
constexpr platform::GadgetId AboutLine(platform::GadgetId heading, int32_t line) {
  return platform::GadgetId{Number(heading) + line};
}

}  // namespace zelluo::ui::gadget

namespace zelluo::ui {

// Menu-event numbers: tray menu entries and keyboard shortcuts.
namespace menu {
inline constexpr int32_t kQuit = 1;
inline constexpr int32_t kBackToMain = 2;
inline constexpr int32_t kShow = 80;
inline constexpr int32_t kHide = 81;
// The List page's keys.
inline constexpr int32_t kNewFilm = 10;         // Strg+N
inline constexpr int32_t kSaveFilm = 11;        // Strg+S
inline constexpr int32_t kDeleteFilm = 12;      // Entf on the list
inline constexpr int32_t kUndoDelete = 13;      // Strg+Z
inline constexpr int32_t kFindFilm = 14;        // Strg+F
inline constexpr int32_t kPreviousFilm = 15;    // Up
inline constexpr int32_t kNextFilm = 16;        // Down
inline constexpr int32_t kPageUp = 17;          // PageUp
inline constexpr int32_t kPageDown = 18;        // PageDown
inline constexpr int32_t kImportFilms = 19;     // Strg+I
inline constexpr int32_t kExportFilms = 20;     // Strg+E
inline constexpr int32_t kChooseVideo = 21;     // Strg+O
inline constexpr int32_t kLendFilm = 22;        // Strg+L
inline constexpr int32_t kReturnFilm = 23;      // Strg+R
inline constexpr int32_t kShowLentFilms = 24;   // Strg+K
inline constexpr int32_t kNarrowToLent = 25;    // Strg+U: all, lent, overdue films
inline constexpr int32_t kExportDueDates = 26;  // Strg+T
}  // namespace menu

// Fonts: all "Arial"; 2 is the heading font and 3 the body font.
namespace font {
inline constexpr platform::FontId kLarge{0};  // the figures of the statistics' tiles
inline constexpr platform::FontId kHeading{2};
inline constexpr platform::FontId kBody{3};
inline constexpr platform::FontId kDefault{-1};  // the system's default GUI font
}  // namespace font

}  // namespace zelluo::ui
