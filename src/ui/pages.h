#pragma once
// The page model: fonts, the window frame, the six pages with their gadget
// sets, the start page and the transitions between pages.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "settings/settings_record.h"

namespace zelluo::ui {

// What the pages are built from: the platform they are shown on and the values
// they show.
struct PageContext {
  platform::Platform& platform;
  const settings::SettingsRecord& settings;
  int32_t programSizeKb = 0;
  std::string_view author;
  platform::ListRowSource filmRows;     // the rows of the List page's film list
  platform::ListRowSource playRows;     // the rows of the Play page's film list
  platform::ListRowSource folderRows;   // the Update page's film folders
  platform::ListRowSource findingRows;  // the Update page's findings
};

// Stats, the statistics, is opened from the Play page and built only while shown.
enum class Page { Main, Play, List, Options, Update, About, Stats };

// The page identifiers, compared exactly with the stored start page.
std::string_view PageId(Page page);
std::optional<Page> PageFromId(std::string_view id);

enum class GadgetType { Image, Text, CentredText, Button, Field, MultiLineField, List, Chart };

// One gadget as a page builder creates it.
struct GadgetEntry {
  platform::GadgetId number{0};
  GadgetType type = GadgetType::Image;
  platform::Rect rect;
  platform::ImageId image = platform::kNoImage;
  std::string text;
  platform::FontId font{-1};  // font::kDefault, the system's default GUI font
};

// The gadgets of a page in the order its builder creates them (ascending).
std::vector<GadgetEntry> PageGadgets(const PageContext& pages, Page page);

// One option row of the Options page and the settings key it changes.
struct OptionPair {
  platform::GadgetId label;
  platform::GadgetId onSwitch;
  platform::GadgetId offSwitch;
  std::string_view text;
  int32_t settings::SettingsRecord::*field;  // its key in the settings file follows from it
};
// The row whose on or off switch is gadget; none for other gadgets.
const OptionPair* FindOptionPair(platform::GadgetId gadget);
// Gives the row's switches the on look (green tick, grey cross) or the off
// look (grey tick, red cross).
void ShowOptionLook(platform::Platform& platform, const OptionPair& row, bool on);

// Loads fonts 0 to 6.
void LoadFonts(platform::Platform& platform);
// Gadgets 2 to 5 and the close button 107; built once the window is open.
void BuildWindowFrame(platform::Platform& platform);
void BuildCloseButton(platform::Platform& platform);

// Builds every caption and page, all hidden.
void BuildPages(const PageContext& pages);
void BuildPage(const PageContext& pages, Page page);
void ShowPage(const PageContext& pages, Page page);
void HidePage(const PageContext& pages, Page page);
void BuildMainPage(const PageContext& pages);
void FreeMainPage(platform::Platform& platform);
void HideAllNavigationCaptions(platform::Platform& platform);

// The page that an icon of the Main page (101 to 105) opens, and the page
// that a back button (200 ... 600) leaves.
std::optional<Page> PageOfIcon(platform::GadgetId icon);
std::optional<Page> PageOfBackButton(platform::GadgetId backButton);
// The back button of a sub-page; 0 for the Main page.
platform::GadgetId BackButtonOf(Page page);
inline constexpr Page kSubPages[] = {Page::Play,   Page::List,  Page::Options,
                                     Page::Update, Page::About, Page::Stats};

// The statistics page: built anew each time it opens, freed when it closes.
void BuildStatisticsPage(const PageContext& pages);
void FreeStatisticsPage(platform::Platform& platform);
// A chart of the statistics page in the page's font and colours, without bars.
platform::Chart PageChart(platform::ChartShape shape);

// The hover pictures and captions for the mouse at (x, y).
void UpdateHover(platform::Platform& platform, int32_t x, int32_t y);

}  // namespace zelluo::ui
