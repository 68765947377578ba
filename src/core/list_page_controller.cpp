#include "core/list_page_controller.h"

#include <algorithm>

#include "collection/cover.h"
#include "collection/film_store.h"
#include "collection/import_export.h"
#include "core/film_exchange.h"
#include "core/form_draft.h"
#include "core/import_job.h"
#include "platform/invariant.h"
#include "settings/settings_record.h"
#include "texts/text_tools.h"
#include "texts/texts.h"
#include "ui/film_form.h"
#include "ui/gadgets.h"

namespace zelluo::core {

using collection::Film;
using collection::FilmRow;
using collection::FilmStore;

namespace {

// Rows the list shows at once: how far the Page Up and Page Down keys move.
constexpr int64_t kRowsOnScreen = 15;

// How often the collection is asked for others' changes: the question is
// cheap, and a change shows within a second.
constexpr int32_t kWatchMs = 500;

// How long one slice of the collection's preparation may hold the event loop.
constexpr auto kOpeningSlice = std::chrono::milliseconds(20);

}  // namespace

ListPageController::ListPageController(platform::Platform& platform)
    : platform_(platform),
      coverFolder_(platform.LocalPath(std::string(settings::SettingsFolder) + "/Cover")) {}

ListPageController::~ListPageController() = default;

std::optional<FilmRow> ListPageController::RowAt(int64_t row) {
  if (!store_ || row < 0 || row >= rowCount_) return std::nullopt;
  return rows_.RowAt(*store_, query_, row);
}

void ListPageController::ShowFilm(const Film& film) {
  shown_ = film;
  cover_ = film.cover;
  video_ = film.video;
  ui::ShowFilmInForm(platform_, film);
  ShowVideoLine();
  ShowLoanLine();
  std::optional<platform::PixelImage> picture;
  if (film.cover) picture = collection::LoadCover(coverFolder_, *film.cover);
  ui::ShowCover(platform_, picture ? &*picture : nullptr);
}

// The list anew for the current search, the shown film selected where it is
// among the films found.
void ListPageController::RefillList() {
  rowCount_ = store_ ? store_->CountFilms(query_) : 0;
  rows_.Forget();
  platform_.SetListRowCount(ui::gadget::kFilmList, static_cast<int32_t>(rowCount_));
  std::optional<int64_t> row;
  if (store_ && shown_.id != 0) row = store_->PositionOf(query_, shown_.id);
  platform_.SetListSelection(ui::gadget::kFilmList, row ? static_cast<int32_t>(*row) : -1);
}

// Shows the film of a row of the list; false when it could not be read.
bool ListPageController::ShowRow(int64_t row) {
  std::optional<FilmRow> found = RowAt(row);
  std::optional<Film> film = found ? store_->LoadFilm(found->id) : std::nullopt;
  if (!film) {
    if (store_ && !store_->ReadProblem().empty()) {
      ShowUserMessage(platform_, UserMessage::Error(store_->ReadProblem()));
    }
    return false;
  }
  ShowFilm(*film);
  platform_.SetListSelection(ui::gadget::kFilmList, static_cast<int32_t>(row));
  return true;
}

bool ListPageController::HasUnsavedChanges() {
  return opened_ && (cover_ != shown_.cover || video_ != shown_.video ||
                     ui::FormDiffersFrom(platform_, shown_));
}

bool ListPageController::SaveForm() {
  ui::FormReading reading = ui::ReadFilmForm(platform_, shown_);
  reading.film.cover = cover_;
  reading.film.video = video_;
  if (!reading.problem.empty()) {
    ShowUserMessage(platform_, UserMessage::Error(std::string(reading.problem)));
    return false;
  }
  if (!store_) {
    ShowUserMessage(platform_, storeProblem_);
    return false;
  }
  collection::ChangeResult saved = store_->SaveFilm(reading.film);
  if (!saved.Ok()) {
    ShowUserMessage(platform_, UserMessage::Error(saved.message));
    return false;
  }
  std::optional<Film> stored = store_->LoadFilm(saved.id);
  ShowFilm(stored ? *stored : reading.film);
  RefillList();
  return true;
}

// Moves to another row, as the user's selection or a key asked; the form keeps
// its film when its changes could not be saved.
void ListPageController::GoToRow(int64_t row) {
  std::optional<FilmRow> target = RowAt(row);
  if (!target || target->id == shown_.id) return;
  const int64_t id = target->id;
  const bool saving = HasUnsavedChanges();
  if (!LeaveFilm()) {
    RefillList();
    return;
  }
  // A film saved on the way may have moved the rows.
  if (saving) row = store_->PositionOf(query_, id).value_or(-1);
  if (!ShowRow(row)) RefillList();
}

void ListPageController::StepThroughList(int64_t step) {
  const int32_t selected = platform_.ListSelection(ui::gadget::kFilmList);
  const int64_t last = rowCount_ - 1;
  if (last < 0) return;
  GoToRow(selected < 0 ? 0 : std::clamp<int64_t>(selected + step, 0, last));
}

void ListPageController::StartNewFilm() {
  if (!LeaveFilm()) return;
  ShowFilm(Film{});
  platform_.SetListSelection(ui::gadget::kFilmList, -1);
  platform_.FocusGadget(ui::gadget::kTitleField);
}

void ListPageController::DeleteShownFilm() {
  if (!store_ || shown_.id == 0) return;
  if (platform_.ShowMessage(text::kProgramTitle, text::kConfirmDeleteFilm,
                            platform::MessageButtons::YesNo) != platform::MessageAnswer::Yes) {
    return;
  }
  const int32_t row = platform_.ListSelection(ui::gadget::kFilmList);
  collection::ChangeResult deleted = store_->DeleteFilm(shown_.id);
  if (!deleted.Ok()) {
    ShowUserMessage(platform_, UserMessage::Error(deleted.message));
    return;
  }
  ShowFilm(Film{});
  RefillList();
  if (rowCount_ > 0) ShowRow(std::clamp<int64_t>(row, 0, rowCount_ - 1));
}

void ListPageController::BringBackDeletedFilm() {
  if (!store_ || !LeaveFilm()) return;
  collection::ChangeResult restored = store_->UndoDelete();
  if (!restored.Ok()) {
    ShowUserMessage(platform_, UserMessage::Error(restored.message));
    return;
  }
  if (std::optional<Film> film = store_->LoadFilm(restored.id)) ShowFilm(*film);
  RefillList();
}

void ListPageController::ChooseCover() {
  const std::vector<platform::FileFilter> pictures = {
      platform::FileFilter{std::string(text::kPictures), {"*.jpg", "*.jpeg", "*.png"}}};
  std::optional<std::string> path =
      platform_.ChooseFile(text::kChooseCoverTitle, pictures, false, "");
  if (!path) return;
  collection::CoverResult cover = collection::TakeOverCover(coverFolder_, *path);
  if (!cover.error.empty()) {
    ShowUserMessage(platform_, UserMessage::Error(cover.error));
    return;
  }
  cover_ = cover.fileName;
  std::optional<platform::PixelImage> picture = collection::LoadCover(coverFolder_, cover.fileName);
  ui::ShowCover(platform_, picture ? &*picture : nullptr);
}

// The video file is chosen like the cover: the choice is an unsaved edit of
// the form until the film is saved.
void ListPageController::ChooseVideo() {
  const std::vector<platform::FileFilter> videos = {
      platform::FileFilter{std::string(text::kVideoFiles),
                           {"*.mkv", "*.mp4", "*.m4v", "*.avi", "*.mov", "*.webm", "*.mpg",
                            "*.mpeg", "*.ts", "*.wmv", "*.ogv", "*.flv", "*.vob", "*.iso"}}};
  std::optional<std::string> path =
      platform_.ChooseFile(text::kChooseVideoTitle, videos, false, "");
  if (!path || path->empty()) return;
  video_ = *path;
  ShowVideoLine();
}

void ListPageController::ShowVideoLine() {
  platform_.SetGadgetText(ui::gadget::kVideoLine, video_ && !video_->empty()
                                                      ? text::FormatText(text::kVideoLine, *video_)
                                                      : "");
}

platform::ListRowSource ListPageController::RowSource() {
  return [this](int32_t row) {
    std::optional<FilmRow> found = RowAt(row);
    return found ? ui::FilmRowTexts(*found) : std::vector<std::string>(4);
  };
}

void ListPageController::OpenCollection() {
  opened_ = true;
  collection::OpenResult opened =
      FilmStore::BeginOpen(platform_.LocalPath(settings::SettingsFolder));
  // A store, or none and the reason.
  storeProblem_ = opened.store ? UserMessage{} : UserMessage::Error(opened.message);
  store_ = std::move(opened.store);
  ZELLUO_ASSERT((store_ == nullptr) == storeProblem_.isError);
  if (storeProblem_.isError) ShowUserMessage(platform_, storeProblem_);
  opening_ = store_ && store_->Opening();
  draftPending_ = true;
}

collection::FilmStore* ListPageController::Collection() {
  if (!opened_) OpenCollection();
  return store_.get();
}

void ListPageController::Enter() {
  const bool first = !firstEntered_;
  firstEntered_ = true;
  if (!opened_) {
    OpenCollection();
  } else if (store_ && !opening_) {
    // Films another program wrote while the page was away are found and sorted.
    store_->RefreshDerivedData();
  }
  std::optional<collection::Film> again;
  if (store_ && shown_.id != 0) again = store_->LoadFilm(shown_.id);
  ShowFilm(again ? *again : collection::Film{});
  RefillList();
  if (!again && rowCount_ > 0) ShowRow(0);
  if (first && opening_) {
    // What is left of the opening begins now; a file to prepare tells so at once.
    // A check that fails at once is told here like one that fails later.
    StepOpeningUntil(std::chrono::steady_clock::now());
  }
  if (draftPending_ && store_ && store_->Readable()) OfferDraftBack();
  platform_.FocusGadget(ui::gadget::kSearchField);
  // What the page shows now is what later changes are told against.
  if (store_) store_->ChangedByOthers();
}

bool ListPageController::PreparingCollection() const { return opening_ && store_->Preparing(); }

void ListPageController::ShowOpeningProgress(const collection::OpeningProgress& progress) {
  const bool shown = !progress.finished && progress.filmsToPrepare > 0;
  if (shown) {
    platform_.SetGadgetText(ui::gadget::kExchangeStatus,
                            text::FormatText(text::kCollectionPreparing,
                                             text::WithThousandsDots(progress.filmsPrepared),
                                             text::WithThousandsDots(progress.filmsToPrepare)));
  } else if (progressShown_) {
    platform_.SetGadgetText(ui::gadget::kExchangeStatus, "");
  }
  progressShown_ = shown;
}

void ListPageController::StepOpening() {
  StepOpeningUntil(std::chrono::steady_clock::now() + kOpeningSlice);
}

void ListPageController::StepOpeningUntil(std::chrono::steady_clock::time_point deadline) {
  if (!opening_) return;
  // A change may have waited for the opening to end; it told any fault itself.
  const bool running = store_->Opening();
  collection::OpeningProgress progress;
  if (running) progress = store_->StepOpening(deadline);
  ShowOpeningProgress(progress);
  if (!progress.finished) return;
  opening_ = false;
  if (!store_->OpeningProblem().empty()) {
    // The films stay readable as far as they can be read; changes are refused.
    if (running) ShowUserMessage(platform_, UserMessage::Error(store_->OpeningProblem()));
    return;
  }
  // Prepared films show only now, and made-again derived data may move rows.
  if (!HasUnsavedChanges()) {
    std::optional<collection::Film> again;
    if (shown_.id != 0) again = store_->LoadFilm(shown_.id);
    if (again) {
      if (*again != shown_) ShowFilm(*again);
    } else if (shown_.id != 0) {
      ShowFilm(collection::Film{});
    }
  }
  RefillList();
  if (shown_.id == 0 && !HasUnsavedChanges() && rowCount_ > 0) ShowRow(0);
  if (draftPending_) OfferDraftBack();
  store_->ChangedByOthers();
}

void ListPageController::KeepDraft(const platform::LocalTime& now) {
  if (!HasUnsavedChanges()) return;
  const FormDraft draft{shown_.id, now, ui::ReadFormTexts(platform_)};
  platform_.WriteFileAtomic(kDraftFile, FormatFormDraft(draft));
}

// Asked once the page shows the collection. Without a collection the draft
// waits for a run that can open it.
void ListPageController::OfferDraftBack() {
  if (!store_ || !store_->OpeningProblem().empty()) return;
  draftPending_ = false;
  const std::optional<std::string> bytes = platform_.ReadFile(kDraftFile);
  if (!bytes) return;
  // A damaged or foreign file is passed over, and removed like any other.
  if (const std::optional<FormDraft> draft = ParseFormDraft(*bytes)) {
    if (platform_.ShowMessage(text::kProgramTitle, RestoreDraftQuestion(draft->written),
                              platform::MessageButtons::YesNo) == platform::MessageAnswer::Yes) {
      // The texts go into the form as the user's unsaved edits: of the film,
      // or of a new one when the film is gone since.
      std::optional<collection::Film> film;
      if (draft->filmId != 0) film = store_->LoadFilm(draft->filmId);
      ShowFilm(film ? *film : collection::Film{});
      RefillList();
      ui::PutFormTexts(platform_, draft->texts);
    }
  }
  platform_.RemoveFile(kDraftFile);
}

void ListPageController::WatchCollection(int32_t waitedMs) {
  // The end of the opening shows the collection anew anyway.
  if (!store_ || opening_) return;
  waitedMs_ += waitedMs;
  const auto now = std::chrono::steady_clock::now();
  // Passes that waited in vain add up to the time gone by, also where the
  // clock would not tell (a test's platform that never waits).
  if (waitedMs_ < kWatchMs && now - lastWatch_ < std::chrono::milliseconds(kWatchMs)) return;
  waitedMs_ = 0;
  lastWatch_ = now;
  if (store_->ChangedByOthers()) TakeOverOthersChanges();
}

void ListPageController::TakeOverOthersChanges() {
  // Films another program wrote are found and sorted.
  store_->RefreshDerivedData();
  if (!HasUnsavedChanges() && shown_.id != 0) {
    std::optional<collection::Film> again = store_->LoadFilm(shown_.id);
    if (!again && store_->ReadProblem().empty()) {
      ShowFilm(collection::Film{});  // deleted by the other program
    } else if (again && *again != shown_) {
      ShowFilm(*again);
    }
  }
  RefillList();
}

bool ListPageController::LeaveFilm() {
  CloseLendingRow();
  if (!HasUnsavedChanges()) return true;
  if (platform_.ShowMessage(text::kProgramTitle, text::kConfirmSaveChanges,
                            platform::MessageButtons::YesNo) == platform::MessageAnswer::Yes) {
    return SaveForm();
  }
  ShowFilm(shown_);
  return true;
}

bool ListPageController::HandleGadget(const platform::Event& event) {
  if (HandleLoanGadget(event)) return true;
  switch (event.Gadget()) {
    case ui::gadget::kSearchField:
      if (event.type != platform::kGadgetTextChanged) return true;
      query_ = platform_.GadgetText(ui::gadget::kSearchField);
      RefillList();
      return true;
    case ui::gadget::kFilmList:
      if (event.type == platform::kGadgetSelectionChanged) {
        GoToRow(platform_.ListSelection(ui::gadget::kFilmList));
      }
      return true;
    case ui::gadget::kNewFilm:
      StartNewFilm();
      return true;
    case ui::gadget::kSaveFilm:
      SaveForm();
      return true;
    case ui::gadget::kDeleteFilm:
      DeleteShownFilm();
      return true;
    case ui::gadget::kImportFilms:
      if (event.type == platform::kGadgetClick) StartImport(*this, platform_);
      return true;
    case ui::gadget::kExportFilms:
      if (event.type == platform::kGadgetClick) StartExport(*this, platform_);
      return true;
    case ui::gadget::kCover:
    case ui::gadget::kChooseCover:
      if (event.type == platform::kGadgetClick) ChooseCover();
      return true;
    default:
      return event.type != platform::kGadgetClick;  // typing in the form's fields
  }
}

bool ListPageController::HandleMenu(int32_t entry) {
  switch (entry) {
    case ui::menu::kNewFilm:
      StartNewFilm();
      return true;
    case ui::menu::kSaveFilm:
      SaveForm();
      return true;
    case ui::menu::kDeleteFilm:
      DeleteShownFilm();
      return true;
    case ui::menu::kUndoDelete:
      BringBackDeletedFilm();
      return true;
    case ui::menu::kFindFilm:
      platform_.FocusGadget(ui::gadget::kSearchField);
      return true;
    case ui::menu::kImportFilms:
      StartImport(*this, platform_);
      return true;
    case ui::menu::kExportFilms:
      StartExport(*this, platform_);
      return true;
    case ui::menu::kChooseVideo:
      ChooseVideo();
      return true;
    case ui::menu::kLendFilm:
      OpenLendingRow();
      return true;
    case ui::menu::kReturnFilm:
      ReturnShownFilm();
      return true;
    case ui::menu::kShowLentFilms:
      ShowLentFilms();
      return true;
    case ui::menu::kNarrowToLent:
      NarrowTo(narrowing_ == collection::Narrowing::None   ? collection::Narrowing::Lent
               : narrowing_ == collection::Narrowing::Lent ? collection::Narrowing::Overdue
                                                           : collection::Narrowing::None);
      return true;
    case ui::menu::kExportDueDates:
      ExportDueDates();
      return true;
    case ui::menu::kPreviousFilm:
      StepThroughList(-1);
      return true;
    case ui::menu::kNextFilm:
      StepThroughList(1);
      return true;
    case ui::menu::kPageUp:
      StepThroughList(-kRowsOnScreen);
      return true;
    case ui::menu::kPageDown:
      StepThroughList(kRowsOnScreen);
      return true;
    default:
      return false;
  }
}

std::optional<UserMessage> ListPageController::WhyNoExchange() {
  if (ImportRunning()) return UserMessage::Error(std::string(text::kImportStillRunning));
  if (!store_) return storeProblem_;
  if (opening_) {
    // Waits for the rest of the opening, and takes its end over before the
    // import's progress takes the line.
    store_->FinishOpening();
    StepOpening();
  }
  if (!store_->OpeningProblem().empty()) return UserMessage::Error(store_->OpeningProblem());
  return std::nullopt;
}

CollectionRead ListPageController::ReadAllFilms() {
  ZELLUO_ASSERT(store_ != nullptr);
  CollectionRead read;
  read.films = store_->AllFilms();
  if (!store_->ReadProblem().empty()) read.problem = UserMessage::Error(store_->ReadProblem());
  return read;
}

void ListPageController::BeginReading(std::unique_ptr<collection::ImportFileReading> reading) {
  // One import at a time: WhyNoExchange refuses a second one.
  ZELLUO_ASSERT(!ImportRunning() && reading != nullptr && store_ != nullptr);
  reading_ = std::move(reading);
}

std::unique_ptr<collection::ImportFileReading> ListPageController::EndReading() {
  ZELLUO_ASSERT(reading_ != nullptr);
  return std::move(reading_);
}

void ListPageController::DropImport() {
  reading_.reset();
  import_.reset();
}

void ListPageController::BeginImport(std::unique_ptr<ImportJob> job) {
  // One import at a time: WhyNoExchange refuses a second one.
  ZELLUO_ASSERT(!ImportRunning() && job != nullptr && store_ != nullptr);
  import_ = std::move(job);
}

std::unique_ptr<ImportJob> ListPageController::EndImport() {
  ZELLUO_ASSERT(import_ != nullptr);
  return std::move(import_);
}

collection::ChangeResult ListPageController::StoreImportedFilms(const std::vector<Film>& films) {
  ZELLUO_ASSERT(store_ != nullptr);
  collection::ChangeResult stored = store_->ImportFilms(films);
  RefillList();
  if (shown_.id == 0 && rowCount_ > 0) ShowRow(0);
  return stored;
}

void ListPageController::NarrowToBar(collection::StatField field, std::string key,
                                     std::string_view status) {
  if (!LeaveFilm()) return;
  narrowing_ = collection::Narrowing::Bar;
  if (store_) store_->NarrowToBar(field, std::move(key));
  platform_.SetGadgetText(ui::gadget::kExchangeStatus, status);
  RefillList();
  if (platform_.ListSelection(ui::gadget::kFilmList) < 0 && rowCount_ > 0) ShowRow(0);
}

}  // namespace zelluo::core
