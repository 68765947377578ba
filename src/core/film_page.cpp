#include "core/film_page.h"

#include <algorithm>

#include "collection/cover.h"
#include "collection/film_store.h"
#include "core/application.h"
#include "core/film_exchange.h"
#include "settings/settings_record.h"
#include "texts/texts.h"
#include "ui/film_form.h"
#include "ui/gadgets.h"

namespace zelluo {
namespace {

using collection::Film;
using collection::FilmRow;
using collection::FilmStore;

// Rows fetched at a time for the list: a few screens around the one asked for.
constexpr int64_t kCachedRows = 100;

std::string CoverFolder(Application& app) {
  return app.platform.LocalPath(std::string(SettingsFolder) + "/Cover");
}

void Report(Application& app, std::string_view message) {
  app.platform.ShowMessage(text::kProgramTitle, message, MessageButtons::Ok);
}

std::optional<FilmRow> RowAt(FilmPageState& page, int64_t row) {
  if (!page.store || row < 0 || row >= page.rowCount) return std::nullopt;
  const auto cached = static_cast<int64_t>(page.cache.size());
  if (row < page.cacheOffset || row >= page.cacheOffset + cached) {
    page.cacheOffset = std::max<int64_t>(0, row - kCachedRows / 2);
    page.cache = page.store->ListFilms(page.query, page.cacheOffset, kCachedRows);
    if (row >= page.cacheOffset + static_cast<int64_t>(page.cache.size())) return std::nullopt;
  }
  return page.cache[static_cast<size_t>(row - page.cacheOffset)];
}

void ShowFilm(Application& app, const Film& film) {
  FilmPageState& page = app.filmPage;
  page.shown = film;
  page.cover = film.cover;
  ShowFilmInForm(app.platform, film);
  std::optional<PixelImage> picture;
  if (film.cover) picture = LoadCover(CoverFolder(app), *film.cover);
  ShowCover(app.platform, picture ? &*picture : nullptr);
}

// The list anew for the current search, the shown film selected where it is
// among the films found.
void RefillList(Application& app) {
  FilmPageState& page = app.filmPage;
  page.rowCount = page.store ? page.store->CountFilms(page.query) : 0;
  page.cache.clear();
  app.platform.SetListRowCount(gadget::kFilmList, static_cast<int32_t>(page.rowCount));
  std::optional<int64_t> row;
  if (page.store && page.shown.id != 0) row = page.store->PositionOf(page.query, page.shown.id);
  app.platform.SetListSelection(gadget::kFilmList, row ? static_cast<int32_t>(*row) : -1);
}

// Shows the film of a row of the list; false when it could not be read.
bool ShowRow(Application& app, int64_t row) {
  FilmPageState& page = app.filmPage;
  std::optional<FilmRow> found = RowAt(page, row);
  std::optional<Film> film = found ? page.store->LoadFilm(found->id) : std::nullopt;
  if (!film) {
    if (page.store && !page.store->ReadProblem().empty()) Report(app, page.store->ReadProblem());
    return false;
  }
  ShowFilm(app, *film);
  app.platform.SetListSelection(gadget::kFilmList, static_cast<int32_t>(row));
  return true;
}

bool HasUnsavedChanges(Application& app) {
  FilmPageState& page = app.filmPage;
  return page.opened &&
         (page.cover != page.shown.cover || FormDiffersFrom(app.platform, page.shown));
}

bool SaveForm(Application& app) {
  FilmPageState& page = app.filmPage;
  FormReading reading = ReadFilmForm(app.platform, page.shown);
  reading.film.cover = page.cover;
  if (!reading.problem.empty()) {
    Report(app, reading.problem);
    return false;
  }
  if (!page.store) {
    Report(app, page.storeProblem);
    return false;
  }
  collection::ChangeResult saved = page.store->SaveFilm(reading.film);
  if (!saved.Ok()) {
    Report(app, saved.message);
    return false;
  }
  std::optional<Film> stored = page.store->LoadFilm(saved.id);
  ShowFilm(app, stored ? *stored : reading.film);
  RefillList(app);
  return true;
}

// Moves to another row, as the user's selection or a key asked; the form keeps
// its film when its changes could not be saved.
void GoToRow(Application& app, int64_t row) {
  FilmPageState& page = app.filmPage;
  std::optional<FilmRow> target = RowAt(page, row);
  if (!target || target->id == page.shown.id) return;
  const int64_t id = target->id;
  const bool saving = HasUnsavedChanges(app);
  if (!LeaveFilm(app)) {
    RefillList(app);
    return;
  }
  // A film saved on the way may have moved the rows.
  if (saving) row = page.store->PositionOf(page.query, id).value_or(-1);
  if (!ShowRow(app, row)) RefillList(app);
}

void StepThroughList(Application& app, int64_t step) {
  const int32_t selected = app.platform.ListSelection(gadget::kFilmList);
  const int64_t last = app.filmPage.rowCount - 1;
  if (last < 0) return;
  GoToRow(app, selected < 0 ? 0 : std::clamp<int64_t>(selected + step, 0, last));
}

void StartNewFilm(Application& app) {
  if (!LeaveFilm(app)) return;
  ShowFilm(app, Film{});
  app.platform.SetListSelection(gadget::kFilmList, -1);
  app.platform.FocusGadget(gadget::kTitleField);
}

void DeleteShownFilm(Application& app) {
  FilmPageState& page = app.filmPage;
  if (!page.store || page.shown.id == 0) return;
  if (app.platform.ShowMessage(text::kProgramTitle, text::kConfirmDeleteFilm,
                               MessageButtons::YesNo) != MessageAnswer::Yes) {
    return;
  }
  const int32_t row = app.platform.ListSelection(gadget::kFilmList);
  collection::ChangeResult deleted = page.store->DeleteFilm(page.shown.id);
  if (!deleted.Ok()) {
    Report(app, deleted.message);
    return;
  }
  ShowFilm(app, Film{});
  RefillList(app);
  if (page.rowCount > 0) ShowRow(app, std::clamp<int64_t>(row, 0, page.rowCount - 1));
}

void BringBackDeletedFilm(Application& app) {
  FilmPageState& page = app.filmPage;
  if (!page.store || !LeaveFilm(app)) return;
  collection::ChangeResult restored = page.store->UndoDelete();
  if (!restored.Ok()) {
    Report(app, restored.message);
    return;
  }
  if (std::optional<Film> film = page.store->LoadFilm(restored.id)) ShowFilm(app, *film);
  RefillList(app);
}

void ChooseCover(Application& app) {
  const std::vector<FileFilter> pictures = {
      FileFilter{std::string(text::kPictures), {"*.jpg", "*.jpeg", "*.png"}}};
  std::optional<std::string> path =
      app.platform.ChooseFile(text::kChooseCoverTitle, pictures, false, "");
  if (!path) return;
  CoverResult cover = TakeOverCover(CoverFolder(app), *path);
  if (!cover.error.empty()) {
    Report(app, cover.error);
    return;
  }
  app.filmPage.cover = cover.fileName;
  std::optional<PixelImage> picture = LoadCover(CoverFolder(app), cover.fileName);
  ShowCover(app.platform, picture ? &*picture : nullptr);
}

bool PageShown(const Application& app) { return app.shownPage == Page::List; }

}  // namespace

FilmPageState::FilmPageState() = default;
FilmPageState::~FilmPageState() = default;

ListRowSource FilmRowSource(Application& app) {
  return [&app](int32_t row) {
    std::optional<FilmRow> found = RowAt(app.filmPage, row);
    return found ? FilmRowTexts(*found) : std::vector<std::string>(4);
  };
}

void EnterFilmPage(Application& app) {
  FilmPageState& page = app.filmPage;
  if (!page.opened) {
    page.opened = true;
    collection::OpenResult opened = FilmStore::Open(app.platform.LocalPath(SettingsFolder));
    page.store = std::move(opened.store);
    page.storeProblem = opened.message;
    if (!page.storeProblem.empty()) Report(app, page.storeProblem);
  } else if (page.store) {
    // Films another program wrote while the page was away are found and sorted.
    page.store->RefreshDerivedData();
  }
  std::optional<Film> again;
  if (page.store && page.shown.id != 0) again = page.store->LoadFilm(page.shown.id);
  ShowFilm(app, again ? *again : Film{});
  RefillList(app);
  if (!again && page.rowCount > 0) ShowRow(app, 0);
  app.platform.FocusGadget(gadget::kSearchField);
}

void RefreshFilmList(Application& app) {
  RefillList(app);
  if (app.filmPage.shown.id == 0 && app.filmPage.rowCount > 0) ShowRow(app, 0);
}

bool LeaveFilm(Application& app) {
  if (!HasUnsavedChanges(app)) return true;
  if (app.platform.ShowMessage(text::kProgramTitle, text::kConfirmSaveChanges,
                               MessageButtons::YesNo) == MessageAnswer::Yes) {
    return SaveForm(app);
  }
  ShowFilm(app, app.filmPage.shown);
  return true;
}

bool HandleFilmPageGadget(Application& app, const Event& event) {
  if (!PageShown(app)) return false;
  switch (event.number) {
    case gadget::kSearchField:
      if (event.type != kGadgetTextChanged) return true;
      app.filmPage.query = app.platform.GadgetText(gadget::kSearchField);
      RefillList(app);
      return true;
    case gadget::kFilmList:
      if (event.type == kGadgetSelectionChanged) {
        GoToRow(app, app.platform.ListSelection(gadget::kFilmList));
      }
      return true;
    case gadget::kNewFilm: StartNewFilm(app); return true;
    case gadget::kSaveFilm: SaveForm(app); return true;
    case gadget::kDeleteFilm: DeleteShownFilm(app); return true;
    case gadget::kImportFilms:
      if (event.type == kGadgetClick) StartImport(app);
      return true;
    case gadget::kExportFilms:
      if (event.type == kGadgetClick) StartExport(app);
      return true;
    case gadget::kCover:
    case gadget::kChooseCover:
      if (event.type == kGadgetClick) ChooseCover(app);
      return true;
    default: return event.type != kGadgetClick;  // typing in the form's fields
  }
}

bool HandleFilmPageMenu(Application& app, int32_t entry) {
  if (!PageShown(app)) return false;
  const int64_t page = 15;  // rows the list shows at once
  switch (entry) {
    case menu::kNewFilm: StartNewFilm(app); return true;
    case menu::kSaveFilm: SaveForm(app); return true;
    case menu::kDeleteFilm: DeleteShownFilm(app); return true;
    case menu::kUndoDelete: BringBackDeletedFilm(app); return true;
    case menu::kFindFilm: app.platform.FocusGadget(gadget::kSearchField); return true;
    case menu::kImportFilms: StartImport(app); return true;
    case menu::kExportFilms: StartExport(app); return true;
    case menu::kPreviousFilm: StepThroughList(app, -1); return true;
    case menu::kNextFilm: StepThroughList(app, 1); return true;
    case menu::kPageUp: StepThroughList(app, -page); return true;
    case menu::kPageDown: StepThroughList(app, page); return true;
    default: return false;
  }
}

}  // namespace zelluo
