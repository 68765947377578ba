#include "core/event_loop.h"

#include <string>

#include "core/application.h"
#include "core/film_exchange.h"
#include "core/main_window.h"
#include "core/navigation.h"
#include "core/option_change.h"
#include "core/tray.h"
#include "settings/settings_store.h"
#include "texts/texts.h"
#include "ui/gadgets.h"
#include "ui/pages.h"

namespace zelluo::core {
namespace {

constexpr int32_t kEnable = 0;
constexpr int32_t kDisable = 1;
constexpr int32_t kRightPressOnTray = 1;

// The window's start state and the matching tray entries. Without a tray icon
// a window hidden to the tray could never come back: it starts minimised then.
void ApplyStartState(Application& app) {
  if (app.settings.StartTray == 1 && app.trayIconInstalled) {
    EnableTrayEntry(app.platform, ui::menu::kHide, kDisable);
    HideMainWindow(app.platform);
    return;
  }
  EnableTrayEntry(app.platform, ui::menu::kShow, kDisable);
  if (app.settings.StartTray == 1) return;  // no tray: stays minimised
  if (app.settings.StartMinimize == 0) RestoreMainWindow(app.platform);
}

// Quitting leaves the film in the List page's form first.
void Quit(Application& app, LoopState& loop) {
  app.playPage.StopFilm();
  if (MayQuitDuringImport(app.listPage, app.platform) && app.updatePage.MayQuit() &&
      app.listPage.LeaveFilm()) {
    loop.Quit = 1;
  }
}

// A logout or shutdown: nobody is there to answer a question. Edits in the
// form are kept as a draft, an import under way is dropped (nothing of it is
// stored), and the loop ends without the fade-out.
void EndSession(Application& app, LoopState& loop) {
  if (loop.SessionEnded) return;
  loop.SessionEnded = true;
  loop.Quit = 1;
  app.playPage.StopFilm();
  app.listPage.DropImport();
  app.updatePage.CancelScan();
  if (app.shownPage == ui::Page::List) app.listPage.KeepDraft(app.platform.Now());
}

void DispatchMenu(Application& app, LoopState& loop, const platform::Event& event) {
  const int32_t entry = event.number;
  if (app.shownPage == ui::Page::List && app.listPage.HandleMenu(entry)) return;
  if (app.shownPage == ui::Page::Play && app.playPage.HandleMenu(entry)) return;
  switch (entry) {
    case ui::menu::kQuit:
      // Escape on the List page while an import runs cancels the import,
      // and the program runs on; the tray's "Beenden" still quits.
      if (event.type == platform::kMenuByKey && app.shownPage == ui::Page::List &&
          app.listPage.ImportRunning()) {
        AskToCancelImport(app.listPage, app.platform);
        break;
      }
      Quit(app, loop);
      break;
    case ui::menu::kBackToMain:
      ReturnToMainPageFromEverywhere(app);
      break;
    case ui::menu::kShow:
      ShowMainWindow(app.platform);
      RestoreMainWindow(app.platform);
      EnableTrayEntry(app.platform, ui::menu::kShow, kDisable);
      EnableTrayEntry(app.platform, ui::menu::kHide, kEnable);
      break;
    case ui::menu::kHide:
      HideMainWindow(app.platform);
      EnableTrayEntry(app.platform, ui::menu::kShow, kEnable);
      EnableTrayEntry(app.platform, ui::menu::kHide, kDisable);
      break;
    default:
      break;
  }
}

void DispatchGadget(Application& app, LoopState& loop, const platform::Event& event) {
  if (app.shownPage == ui::Page::List && app.listPage.HandleGadget(event)) return;
  if (app.shownPage == ui::Page::Play && event.Gadget() == ui::gadget::kStatistics &&
      !app.playPage.Playing()) {
    if (event.type == platform::kGadgetClick) OpenStatistics(app);
    return;
  }
  if (app.shownPage == ui::Page::Play && app.playPage.HandleGadget(event)) return;
  if (app.shownPage == ui::Page::Stats && HandleStatisticsGadget(app, event)) return;
  if (app.shownPage == ui::Page::Update && app.updatePage.HandleGadget(event)) return;
  if (event.type != platform::kGadgetClick) return;
  const platform::GadgetId gadget = event.Gadget();
  if (gadget >= ui::gadget::kIconPlay && gadget <= ui::gadget::kIconAbout) {
    OpenPage(app, gadget);
  } else if (gadget == ui::gadget::kInformation) {
    PlayClickSound(app.platform, app.settings);
    ShowInformation(app);
  } else if (gadget == ui::gadget::kClose) {
    Quit(app, loop);
  } else if (ui::PageOfBackButton(gadget)) {
    ReturnToMainPage(app, gadget);
  } else if (ui::FindOptionPair(gadget) != nullptr) {
    ApplyOptionChange(app, gadget, loop.Quit);
  }
}

}  // namespace

void ShowInformation(Application& app) {
  std::string message(text::kInformationHead);
  message += app.settings.Name;
  message += text::kInformationVersion;
  message += app.settings.Version;
  message += text::kInformationSize;
  message += std::to_string(app.ProgramSizeKb);
  message += text::kKilobytes;
  app.platform.ShowMessage(app.settings.Name, message, platform::MessageButtons::Ok);
}

void RunEventLoop(Application& app) {
  platform::Platform& platform = app.platform;
  settings::ReadAllSettings(platform, app.settings);
  BuildPages(PagesOf(app));
  ShowStartPage(app);
  ApplyStartState(app);
  if (app.settings.AutoUpdate == 1) app.updatePage.RequestAutoScan();

  LoopState loop;
  platform.SetSessionEndHandler([&app, &loop] { EndSession(app, loop); });
  while (loop.Quit == 0) {
    // While an import runs, a scan walks the folders, or the collection is
    // prepared, the work takes the place of the wait.
    const bool working = app.listPage.ImportRunning() || app.updatePage.ScanRunning() ||
                         app.listPage.PreparingCollection();
    const int32_t waitMs = working ? 0 : kEventWaitMs;
    platform::Event event = platform.WaitEvent(waitMs);
    if (event.kind == platform::EventKind::Tray && event.number == kRightPressOnTray)
      ShowTrayMenu(platform);
    if (event.kind == platform::EventKind::CloseRequest) Quit(app, loop);
    if (event.kind == platform::EventKind::SessionEnd) EndSession(app, loop);
    switch (event.kind) {
      case platform::EventKind::LeftButtonPressed:
        DragMainWindow(platform);
        break;
      case platform::EventKind::Menu:
        DispatchMenu(app, loop, event);
        break;
      case platform::EventKind::Gadget:
        DispatchGadget(app, loop, event);
        break;
      default:
        break;
    }
    if (event.kind != platform::EventKind::None) {
      // Hover pictures follow the mouse only after an event that moved it.
      platform::Point mouse = platform.MousePosition();
      if (mouse.x != loop.LastMouseX || mouse.y != loop.LastMouseY) {
        loop.LastMouseX = mouse.x;
        loop.LastMouseY = mouse.y;
        ui::UpdateHover(platform, mouse.x, mouse.y);
      }
    }
    StepImport(app.listPage, platform);
    app.listPage.StepOpening();
    app.updatePage.StepAutoScan();
    app.updatePage.StepScan();
    if (app.shownPage == ui::Page::List) {
      app.listPage.WatchCollection(event.kind == platform::EventKind::None ? waitMs : 0);
    }
  }
  platform.SetSessionEndHandler({});
  if (app.settings.Fadeout == 1 && !loop.SessionEnded) FadeOutAndClose(platform);
}

}  // namespace zelluo::core
