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

namespace zelluo {

struct Application;

enum class Page { Main, Play, List, Options, Update, About };

// The page identifiers, compared exactly with the stored start page.
std::string_view PageId(Page page);
std::optional<Page> PageFromId(std::string_view id);

enum class GadgetType { Image, Text, CentredText, Button };

// One gadget as a page builder creates it.
struct GadgetSpec {
  int32_t number = 0;
  GadgetType type = GadgetType::Image;
  Rect rect;
  int32_t image = 0;
  std::string text;
  int32_t font = -1;  // -1: the system's default GUI font
};

// The gadgets of a page in the order its builder creates them (ascending).
std::vector<GadgetSpec> PageGadgets(const Application& app, Page page);

// One option row of the Options page and the settings key it changes.
struct OptionPair {
  int32_t label;
  int32_t onSwitch;
  int32_t offSwitch;
  std::string_view text;
  int32_t keyPosition;  // in the options group of the settings file
  int32_t SettingsRecord::*field;
};
std::span<const OptionPair> OptionPairs();
// The row whose on or off switch is gadget; none for other gadgets.
const OptionPair* FindOptionPair(int32_t gadget);
// Gives the row's switches the on look (green tick, grey cross) or the off
// look (grey tick, red cross).
void ShowOptionLook(Application& app, const OptionPair& row, bool on);

// Loads fonts 0 to 6.
void LoadFonts(Application& app);
// Gadgets 2 to 5 and the close button 107; built once the window is open.
void BuildWindowFrame(Application& app);
void BuildCloseButton(Application& app);

// Builds every caption and page, all hidden.
void BuildPages(Application& app);
// Shows the page named by StartPage; "Options" is a start page for one start.
void ShowStartPage(Application& app);

void BuildPage(Application& app, Page page);
void ShowPage(Application& app, Page page);
void HidePage(Application& app, Page page);
void BuildMainPage(Application& app);
void FreeMainPage(Application& app);
void HideAllNavigationCaptions(Application& app);

// From the Main page to the page of a clicked icon (101 to 105).
void OpenPage(Application& app, int32_t icon);
// From the page of a back button (200 ... 600) to a freshly built Main page.
void ReturnToMainPage(Application& app, int32_t backButton);
// The Backspace key: every sub-page hidden, the Main page built anew.
void ReturnToMainPageFromEverywhere(Application& app);

// The hover pictures and captions for the mouse at (x, y).
void UpdateHover(Application& app, int32_t x, int32_t y);

}  // namespace zelluo
