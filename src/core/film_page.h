#pragma once
// The List page at work: the collection behind it, the search, the film in the
// form and the question before an edit would be lost.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "collection/film.h"
#include "platform/platform.h"

namespace zelluo {

namespace collection {
class FilmStore;
}

struct Application;
struct ImportJob;

// The List page's state. The collection is opened the first time the page is
// shown, so that a start that never shows it costs nothing.
struct FilmPageState {
  FilmPageState();
  ~FilmPageState();
  FilmPageState(const FilmPageState&) = delete;
  FilmPageState& operator=(const FilmPageState&) = delete;

  bool opened = false;
  std::unique_ptr<collection::FilmStore> store;  // none when the file could not be opened
  std::string storeProblem;                      // why, in German
  std::string query;
  int64_t rowCount = 0;
  // The film as stored (id 0 for a new one) and the cover chosen for it since.
  collection::Film shown;
  std::optional<std::string> cover;
  // Rows fetched for the list: a window of the current order.
  int64_t cacheOffset = 0;
  std::vector<collection::FilmRow> cache;
  // The import under way, if any (core/film_exchange.h).
  std::unique_ptr<ImportJob> import;
};

// The list's rows, fetched from the collection as the list shows them.
ListRowSource FilmRowSource(Application& app);

// The page comes into view: the collection is opened, the list filled, the
// first film shown and the search field focused.
void EnterFilmPage(Application& app);

// The list anew after the collection changed behind the form (an import);
// with no film in the form the first one is shown.
void RefreshFilmList(Application& app);

// Before the film in the form is left (another film, a new one, another page,
// quitting): with unsaved changes asks "Änderungen speichern?"; Ja saves, Nein
// discards. False when the form must stay (it could not be saved).
bool LeaveFilm(Application& app);

// The page's gadget events and keys; false for events that are not its own.
bool HandleFilmPageGadget(Application& app, const Event& event);
bool HandleFilmPageMenu(Application& app, int32_t entry);

}  // namespace zelluo
