#include "core/navigation.h"

#include "assets/sound.h"
#include "core/application.h"
#include "settings/settings_store.h"
#include "ui/gadgets.h"

namespace zelluo::core {

ui::PageContext PagesOf(Application& app) {
  return ui::PageContext{app.platform,
                         app.settings,
                         app.ProgramSizeKb,
                         app.Author,
                         app.listPage.RowSource(),
                         app.playPage.RowSource(),
                         app.updatePage.FolderRows(),
                         app.updatePage.FindingRows()};
}

void PlayClickSound(platform::Platform& platform, const settings::SettingsRecord& settings) {
  if (settings.Sound == 1) platform.PlaySound(assets::kClickSound, false);
}

void ShowStartPage(Application& app) {
  const ui::PageContext pages = PagesOf(app);
  std::optional<ui::Page> page = ui::PageFromId(app.settings.StartPage);
  if (!page) return;  // an unknown start page shows nothing until Backspace
  app.shownPage = page;
  switch (*page) {
    case ui::Page::Main:
      ui::ShowPage(pages, ui::Page::Main);
      break;
    case ui::Page::Options:
      ui::FreeMainPage(app.platform);
      ShowPage(pages, ui::Page::Options);
      // The in-memory StartPage stays as it is.
      settings::WriteSettingsValue(app.platform, settings::kStartPageKey,
                                   ui::PageId(ui::Page::Main));
      break;
    default:
      ShowPage(pages, *page);
      ui::FreeMainPage(app.platform);
      if (*page == ui::Page::List) app.listPage.Enter();
      if (*page == ui::Page::Play) app.playPage.Enter();
      if (*page == ui::Page::Update) app.updatePage.Enter();
      break;
  }
}

void OpenPage(Application& app, platform::GadgetId icon) {
  std::optional<ui::Page> target = ui::PageOfIcon(icon);
  if (!target) return;
  PlayClickSound(app.platform, app.settings);
  ui::FreeMainPage(app.platform);
  ui::HideAllNavigationCaptions(app.platform);
  ShowPage(PagesOf(app), *target);
  app.shownPage = target;
  if (*target == ui::Page::List) app.listPage.Enter();
  if (*target == ui::Page::Play) app.playPage.Enter();
  if (*target == ui::Page::Update) app.updatePage.Enter();
}

void ReturnToMainPage(Application& app, platform::GadgetId backButton) {
  std::optional<ui::Page> from = ui::PageOfBackButton(backButton);
  if (!from) return;
  PlayClickSound(app.platform, app.settings);
  if (*from == ui::Page::List && !app.listPage.LeaveFilm()) return;
  if (*from == ui::Page::Play) app.playPage.StopFilm();
  const ui::PageContext pages = PagesOf(app);
  if (*from == ui::Page::Stats) {
    ui::FreeStatisticsPage(app.platform);
  } else {
    ui::HidePage(pages, *from);
  }
  ui::BuildMainPage(pages);
  app.shownPage = ui::Page::Main;
}

void OpenStatistics(Application& app) {
  PlayClickSound(app.platform, app.settings);
  app.playPage.StopFilm();
  const ui::PageContext pages = PagesOf(app);
  ui::HidePage(pages, ui::Page::Play);
  ui::BuildStatisticsPage(pages);
  app.shownPage = ui::Page::Stats;
  app.statisticsPage.Fill();
}

bool HandleStatisticsGadget(Application& app, const platform::Event& event) {
  const platform::GadgetId gadget = event.Gadget();
  if (gadget == ui::gadget::kBackStatistics) {
    if (event.type != platform::kGadgetClick) return true;
    PlayClickSound(app.platform, app.settings);
    ui::FreeStatisticsPage(app.platform);
    ShowPage(PagesOf(app), ui::Page::Play);
    app.shownPage = ui::Page::Play;
    app.playPage.Enter();
    return true;
  }
  std::optional<BarChoice> bar = app.statisticsPage.BarOf(event);
  if (!bar) return false;
  PlayClickSound(app.platform, app.settings);
  ui::FreeStatisticsPage(app.platform);
  ShowPage(PagesOf(app), ui::Page::List);
  app.shownPage = ui::Page::List;
  app.listPage.Enter();
  app.listPage.NarrowToBar(bar->field, std::move(bar->key), bar->status);
  return true;
}

void ReturnToMainPageFromEverywhere(Application& app) {
  for (ui::Page page : ui::kSubPages) {
    if (app.platform.GadgetExists(BackButtonOf(page))) ReturnToMainPage(app, BackButtonOf(page));
  }
}

}  // namespace zelluo::core
