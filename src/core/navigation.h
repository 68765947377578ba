#pragma once
// The click handlers that move between pages, with the click sound, and the
// start page shown when the loop begins.

#include <cstdint>

#include "ui/pages.h"

namespace zelluo::core {

struct Application;

// What the pages are built from, for this run.
ui::PageContext PagesOf(Application& app);

// Plays the click from its start, cutting off one still sounding, when Sound is 1.
void PlayClickSound(platform::Platform& platform, const settings::SettingsRecord& settings);

// Shows the page named by StartPage; "Options" is a start page for one start,
// so the file's StartPage is set back to "Main" then.
void ShowStartPage(Application& app);
// From the Main page to the page of a clicked icon (101 to 105).
void OpenPage(Application& app, platform::GadgetId icon);
// From the page of a back button (200 ... 600) to a freshly built Main page.
void ReturnToMainPage(Application& app, platform::GadgetId backButton);
// From the Play page to the statistics, built and counted anew.
void OpenStatistics(Application& app);
// The statistics page's gadget events while it is shown: its back button
// returns to the Play page, a bar of a chart opens the List page narrowed
// to the films behind it. False for events that are not its own.
bool HandleStatisticsGadget(Application& app, const platform::Event& event);
// The Backspace key: every sub-page hidden, the Main page built anew.
void ReturnToMainPageFromEverywhere(Application& app);

}  // namespace zelluo::core
