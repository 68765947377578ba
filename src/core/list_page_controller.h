#pragma once
// The List page at work: the collection behind it, the rows of its film list,
// the search, the film in the form, the question before an edit would be lost,
// and the import under way. Import and export (core/film_exchange.h) work
// through its interface.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "collection/film.h"
#include "collection/film_store.h"
#include "core/film_row_window.h"
#include "core/user_message.h"
#include "platform/platform.h"

namespace zelluo::collection {
class FilmStore;
class ImportFileReading;
struct ChangeResult;
struct OpeningProgress;
}  // namespace zelluo::collection

namespace zelluo::core {

class ImportJob;

// Every film of the collection, or why it could not be read.
struct CollectionRead {
  std::vector<collection::Film> films;
  std::optional<UserMessage> problem;
};

class ListPageController {
 public:
  explicit ListPageController(platform::Platform& platform);
  ~ListPageController();
  ListPageController(const ListPageController&) = delete;
  ListPageController& operator=(const ListPageController&) = delete;

  // The list's rows, fetched from the collection as the list shows them, a
  // window of rows at a time: asking again for a row the window holds costs
  // a lookup and the row's texts, so a list may ask for every cell it draws.
  platform::ListRowSource RowSource();

  // The page comes into view: the collection is opened (the first time, so
  // that a start that never shows the page costs nothing), the list filled,
  // the film shown before or the first one shown, the search field focused.
  // The first films show before the whole file is checked; a file that must
  // be prepared first (migrated, its derived data made) shows the progress.
  void Enter();

  // A slice of the collection's opening (checks, backup, migration, derived
  // data), called by the event loop on every pass; once it is over, the list
  // is shown anew, or the fault found is told.
  void StepOpening();
  // Whether the opening's own work is under way (the loop does not wait then).
  bool PreparingCollection() const;

  // Before the film in the form is left (another film, a new one, another
  // page, quitting): with unsaved changes asks "Änderungen speichern?"; Ja
  // saves, Nein discards. False when the form must stay (it could not be saved).
  bool LeaveFilm();

  // The session ends: unsaved changes in the form are kept as a draft beside
  // the collection (form_draft.h), asking nothing. The first Enter() of a
  // later run offers them back.
  void KeepDraft(const platform::LocalTime& now);

  // Called on every pass of the event loop while the page is shown, with the
  // milliseconds the pass waited for an event in vain: about every 500 ms
  // asks whether another program (the sqlite3 shell, a second Zelluo) changed
  // the collection, and then shows the list anew, the film in the form kept
  // where it still is. Unsaved edits in the form are never replaced; the
  // question before they are lost stays theirs.
  void WatchCollection(int32_t waitedMs);

  // The page's gadget events and menu entries (keys) while it is shown; false
  // for events that are not its own.
  bool HandleGadget(const platform::Event& event);
  bool HandleMenu(int32_t entry);

  // The collection, opened now if the List page has not opened it yet (its
  // problem then shown); null when there is none.
  collection::FilmStore* Collection();
  // The user's day, as the collection writes days ("2026-12-07").
  std::string Today();

  // --- for import and export ---

  // The folder of the cover pictures.
  const std::string& CoverFolder() const { return coverFolder_; }
  // Why films cannot be imported or exported now (an import runs, the
  // collection could not be opened); none when they can.
  // Waits for the opening's checks and preparation first.
  std::optional<UserMessage> WhyNoExchange();
  // Every film in the list's order. Only when WhyNoExchange() is none.
  CollectionRead ReadAllFilms();

  // An import's file is being read, or its covers taken over.
  bool ImportRunning() const { return reading_ != nullptr || import_ != nullptr; }
  // The file of an import read from now on, a slice at a time; no import may
  // be running.
  void BeginReading(std::unique_ptr<collection::ImportFileReading> reading);
  // The file being read, or null.
  collection::ImportFileReading* RunningReading() { return reading_.get(); }
  // The file read, no longer running (to be previewed).
  std::unique_ptr<collection::ImportFileReading> EndReading();
  // The import under way dropped, whether its file is still being read or
  // its covers are taken over: nothing is stored.
  void DropImport();
  // The import that runs from now on; none may be running.
  void BeginImport(std::unique_ptr<ImportJob> job);
  // The running import, or null.
  ImportJob* RunningImport() { return import_.get(); }
  // The running import, no longer running (to be stored or dropped).
  std::unique_ptr<ImportJob> EndImport();
  // Stores the imported films in one transaction and shows the list anew
  // (with no film in the form, the first one).
  collection::ChangeResult StoreImportedFilms(const std::vector<collection::Film>& films);
  // Stores the loans a backup carried, after its films: the number added, or
  // -1 when they could not be stored (told to the user).
  int64_t StoreImportedLoans(const std::vector<collection::Loan>& loans);

  // The list keeps only the films lent (or overdue today), besides the search.
  void NarrowTo(collection::Narrowing narrowing);
  // The list keeps only the films behind a bar of the statistics (field and
  // key as in collection::StatBar); status says so under the list.
  void NarrowToBar(collection::StatField field, std::string key, std::string_view status);

 private:
  // One step of the collection's opening, until deadline; its end shown.
  void StepOpeningUntil(std::chrono::steady_clock::time_point deadline);
  std::optional<collection::FilmRow> RowAt(int64_t row);
  void ShowFilm(const collection::Film& film);
  void RefillList();
  bool ShowRow(int64_t row);
  bool HasUnsavedChanges();
  bool SaveForm();
  void GoToRow(int64_t row);
  void StepThroughList(int64_t step);
  void StartNewFilm();
  void DeleteShownFilm();
  void BringBackDeletedFilm();
  void ChooseCover();
  void ChooseVideo();
  void ShowVideoLine();
  void OpenCollection();
  void TakeOverOthersChanges();
  void OfferDraftBack();
  void ShowOpeningProgress(const collection::OpeningProgress& progress);
  // Loans (list_page_loans.cpp).
  void ShowLoanLine();
  void OpenLendingRow();
  void CloseLendingRow();
  // The borrower's name completed from the known ones as it is typed, and
  // the details of a known borrower shown.
  void CompleteBorrower();
  void LendShownFilm();
  void ReturnShownFilm();
  void ShowLentFilms();
  void ExportDueDates();
  bool HandleLoanGadget(const platform::Event& event);
  // The rest of the collection's opening, before the loans are read as a whole.
  void FinishOpeningForLoans();

  platform::Platform& platform_;
  const std::string coverFolder_;
  bool opened_ = false;
  bool firstEntered_ = false;   // the List page was shown before
  bool opening_ = false;        // the end of the collection's opening not yet taken over
  bool draftPending_ = false;   // the draft of an earlier run waits for a readable collection
  bool progressShown_ = false;  // the line of the opening's progress is shown
  std::unique_ptr<collection::FilmStore> store_;  // none when the file could not be opened
  UserMessage storeProblem_;                      // an error when there is no store
  std::string query_;
  int64_t rowCount_ = 0;
  FilmRowWindow rows_;
  // The film as stored (id 0 for a new one) and the cover chosen for it since.
  collection::Film shown_;
  std::optional<std::string> cover_;
  std::optional<std::string> video_;
  std::unique_ptr<collection::ImportFileReading> reading_;
  std::unique_ptr<ImportJob> import_;
  bool lending_ = false;                         // the lending row is shown
  std::vector<collection::Borrower> borrowers_;  // known when the row was opened
  std::string typedBorrower_;                    // the name as last typed, without completion
  std::string detailsOf_;                        // the known borrower whose details the row shows
  collection::Narrowing narrowing_ = collection::Narrowing::None;
  // Since the collection was last asked for others' changes.
  int32_t waitedMs_ = 0;
  std::chrono::steady_clock::time_point lastWatch_;
};

}  // namespace zelluo::core
