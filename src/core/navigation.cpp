#include "core/navigation.h"

#include "assets/sound.h"
#include "core/application.h"
#include "settings/settings_store.h"

namespace zelluo {

PageContext PagesOf(Application& app) {
  return PageContext{app.platform,
                     app.settings,
                     app.ProgramSizeKb,
                     app.Author,
                     app.listPage.RowSource(),
                     app.playPage.RowSource()};
}

void PlayClickSound(Platform& platform, const SettingsRecord& settings) {
  if (settings.Sound == 1) platform.PlaySound(kClickSound, false);
}

void ShowStartPage(Application& app) {
  const PageContext pages = PagesOf(app);
  std::optional<Page> page = PageFromId(app.settings.StartPage);
  if (!page) return;  // an unknown start page shows nothing until Backspace
  app.shownPage = page;
  switch (*page) {
    case Page::Main:
      ShowPage(pages, Page::Main);
      break;
    case Page::Options:
      FreeMainPage(app.platform);
      ShowPage(pages, Page::Options);
      // The in-memory StartPage stays as it is.
      WriteSettingsValue(app.platform, kStartPageKey, PageId(Page::Main));
      break;
    default:
      ShowPage(pages, *page);
      FreeMainPage(app.platform);
      if (*page == Page::List) app.listPage.Enter();
      if (*page == Page::Play) app.playPage.Enter();
      break;
  }
}

void OpenPage(Application& app, GadgetId icon) {
  std::optional<Page> target = PageOfIcon(icon);
  if (!target) return;
  PlayClickSound(app.platform, app.settings);
  FreeMainPage(app.platform);
  HideAllNavigationCaptions(app.platform);
  ShowPage(PagesOf(app), *target);
  app.shownPage = target;
  if (*target == Page::List) app.listPage.Enter();
  if (*target == Page::Play) app.playPage.Enter();
}

void ReturnToMainPage(Application& app, GadgetId backButton) {
  std::optional<Page> from = PageOfBackButton(backButton);
  if (!from) return;
  PlayClickSound(app.platform, app.settings);
  if (*from == Page::List && !app.listPage.LeaveFilm()) return;
  if (*from == Page::Play) app.playPage.StopFilm();
  const PageContext pages = PagesOf(app);
  HidePage(pages, *from);
  BuildMainPage(pages);
  app.shownPage = Page::Main;
}

void ReturnToMainPageFromEverywhere(Application& app) {
  for (Page page : kSubPages) {
    if (app.platform.GadgetExists(BackButtonOf(page))) ReturnToMainPage(app, BackButtonOf(page));
  }
}

}  // namespace zelluo
