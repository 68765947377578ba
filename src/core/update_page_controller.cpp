#include "core/update_page_controller.h"

#include <algorithm>
#include <utility>

#include "collection/cover.h"
#include "collection/film_fields.h"
#include "core/film_exchange.h"
#include "core/list_page_controller.h"
#include "core/user_message.h"
#include "texts/text_tools.h"
#include "texts/texts.h"
#include "ui/gadgets.h"

namespace zelluo::core {

using collection::Finding;
using collection::FindingKind;

namespace {

std::string_view KindText(FindingKind kind) {
  switch (kind) {
    case FindingKind::New:
      return text::kFindingNew;
    case FindingKind::Matched:
      return text::kFindingMatched;
    case FindingKind::Moved:
      return text::kFindingMoved;
    case FindingKind::Changed:
      return text::kFindingChanged;
    case FindingKind::Missing:
      return text::kFindingMissing;
    case FindingKind::Unreachable:
      return text::kFindingUnreachable;
  }
  return {};
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file of a finding: a moved one shows where it was too, after where it
// is now, a changed one
// the file beside it that changed and the fields it would change
// ("Das Floss.nfo: Titel, Handlung").
std::string FileText(const Finding& finding) {
  if (finding.kind == FindingKind::Changed) {
    std::string fields;
    for (const collection::FilmField& field : collection::kFilmFields) {
      if (std::find(finding.changes.begin(), finding.changes.end(), field.column) ==
          finding.changes.end()) {
        continue;
      }
      if (!fields.empty()) fields += ", ";
      fields += field.csvHeading;
    }
    const bool fromNfo = std::any_of(finding.changes.begin(), finding.changes.end(),
                                     [](const std::string& column) { return column != "cover"; });
    return collection::ShownName(NameOf(fromNfo ? finding.nfo.path : finding.poster.path)) + ": " +
           fields;
  }
  std::string file = collection::ShownName(finding.path);
  // Where it is now first, so that a long path cut short still shows it.
  if (finding.kind == FindingKind::Moved) file += " ← " + collection::ShownName(finding.oldPath);
  return file;
}

}  // namespace

UpdatePageController::UpdatePageController(platform::Platform& platform,
                                           ListPageController& listPage)
    : platform_(platform), listPage_(listPage) {}

platform::ListRowSource UpdatePageController::FolderRows() {
  return [this](int32_t row) {
    if (row < 0 || static_cast<size_t>(row) >= folders_.size()) return std::vector<std::string>(1);
    return std::vector<std::string>{collection::ShownName(folders_[static_cast<size_t>(row)].path)};
  };
}

platform::ListRowSource UpdatePageController::FindingRows() {
  return [this](int32_t row) {
    if (row < 0 || static_cast<size_t>(row) >= findings_.size()) return std::vector<std::string>(5);
    const Finding& finding = findings_[static_cast<size_t>(row)];
    // Of a film in a folder that cannot be reached nothing can be taken over.
    const bool checkable = finding.kind != FindingKind::Unreachable;
    return std::vector<std::string>{
        checkable ? std::string(finding.checked ? text::kChecked : text::kUnchecked) : "",
        std::string(KindText(finding.kind)), finding.title,
        finding.year ? std::to_string(*finding.year) : "", FileText(finding)};
  };
}

void UpdatePageController::Enter() {
  RefillFolders();
  if (!ScanRunning() && findings_.empty() && folders_.empty()) ShowProgress(text::kNoFilmFolders);
}

void UpdatePageController::RefillFolders() {
  collection::FilmStore* store = listPage_.Collection();
  folders_ = store ? store->ListFilmFolders() : std::vector<collection::FilmFolder>();
  if (store && !store->ReadProblem().empty()) {
    ShowUserMessage(platform_, UserMessage::Error(store->ReadProblem()));
  }
  platform_.SetListRowCount(ui::gadget::kFolderList, static_cast<int32_t>(folders_.size()));
  platform_.SetListSelection(ui::gadget::kFolderList, folders_.empty() ? -1 : 0);
}

void UpdatePageController::ShowProgress(std::string_view text) {
  platform_.SetGadgetText(ui::gadget::kScanProgress, text);
}

void UpdatePageController::AddFolder() {
  collection::FilmStore* store = listPage_.Collection();
  if (!store) {
    if (std::optional<UserMessage> refusal = listPage_.WhyNoExchange()) {
      ShowUserMessage(platform_, *refusal);
    }
    return;
  }
  std::optional<std::string> folder = platform_.ChooseFolder(text::kChooseFolderTitle);
  if (!folder || folder->empty()) return;
  std::string path = *folder;
  while (path.size() > 1 && path.ends_with('/')) path.pop_back();
  collection::ChangeResult added = store->AddFilmFolder(path);
  if (!added.Ok()) {
    ShowUserMessage(platform_, UserMessage::Error(added.message));
    return;
  }
  RefillFolders();
  for (size_t i = 0; i < folders_.size(); ++i) {
    if (folders_[i].id == added.id) {
      platform_.SetListSelection(ui::gadget::kFolderList, static_cast<int32_t>(i));
    }
  }
  ShowProgress("");
}

void UpdatePageController::RemoveFolder() {
  const int32_t row = platform_.ListSelection(ui::gadget::kFolderList);
  collection::FilmStore* store = listPage_.Collection();
  if (!store || row < 0 || static_cast<size_t>(row) >= folders_.size()) return;
  if (ScanRunning()) {
    ShowUserMessage(platform_, UserMessage::Info(std::string(text::kScanRunning)));
    return;
  }
  collection::ChangeResult removed = store->RemoveFilmFolder(folders_[static_cast<size_t>(row)].id);
  if (!removed.Ok()) ShowUserMessage(platform_, UserMessage::Error(removed.message));
  RefillFolders();
}

void UpdatePageController::StartScan() {
  if (ScanRunning()) {
    ShowUserMessage(platform_, UserMessage::Info(std::string(text::kScanRunning)));
    return;
  }
  RefillFolders();
  if (folders_.empty()) {
    ShowProgress(text::kNoFilmFolders);
    return;
  }
  std::vector<std::string> roots;
  for (const collection::FilmFolder& folder : folders_) roots.push_back(folder.path);
  findings_.clear();
  platform_.SetListRowCount(ui::gadget::kFindingList, 0);
  scan_ = std::make_unique<collection::FolderScan>(platform_, std::move(roots));
  scanStarted_ = true;
  ShowProgress(text::FormatText(text::kScanProgress, "0", "0"));
}

void UpdatePageController::StepAutoScan() {
  if (!autoScanDue_) return;
  collection::FilmStore* store = listPage_.Collection();
  if (store && store->Opening()) return;  // the scan waits for the opening's end
  autoScanDue_ = false;
  if (!store || !store->OpeningProblem().empty() || ScanRunning()) return;
  // Without film folders there is nothing to do, and nothing to tell.
  if (store->ListFilmFolders().empty()) return;
  StartScan();
}

void UpdatePageController::StepScan() {
  if (applying_) {
    StepApply(std::chrono::steady_clock::now() + kScanSlice);
    return;
  }
  if (!scan_ || std::exchange(scanStarted_, false)) return;
  if (!scan_->Step(std::chrono::steady_clock::now() + kScanSlice)) {
    ShowProgress(text::FormatText(text::kScanProgress, text::WithThousandsDots(scan_->FilesSeen()),
                                  text::WithThousandsDots(scan_->FoldersSeen())));
    return;
  }
  std::unique_ptr<collection::FolderScan> scan = std::move(scan_);
  collection::FilmStore* store = listPage_.Collection();
  std::vector<collection::KnownFilm> known;
  if (store) {
    known = store->KnownFilms();
    if (!store->ReadProblem().empty()) {
      // Without the collection's films every file would look new.
      ShowUserMessage(platform_, UserMessage::Error(store->ReadProblem()));
      ShowProgress("");
      return;
    }
  }
  returned_.clear();
  findings_ = collection::ReviewScan(
      platform_, *scan, known,
      [store](int64_t id) { return store ? store->LoadFilm(id) : std::nullopt; }, &returned_);
  std::string line = text::FormatText(text::kScanRead, text::WithThousandsDots(scan->FilesSeen()),
                                      text::WithThousandsDots(scan->FoldersSeen()));
  line += findings_.empty()
              ? std::string(text::kScanNothingFound)
              : text::FormatText(text::kScanDone,
                                 text::WithThousandsDots(static_cast<int64_t>(findings_.size())));
  ShowProgress(line);
  ShowFindings();
}

void UpdatePageController::CancelScan() {
  if (!ScanRunning()) return;
  scan_.reset();
  applying_ = false;
  ShowProgress(text::kScanCancelled);
}

bool UpdatePageController::MayQuit() {
  if (!ScanRunning()) return true;
  if (platform_.ShowMessage(text::kProgramTitle, text::kScanQuitQuestion,
                            platform::MessageButtons::YesNo) != platform::MessageAnswer::Yes) {
    return false;
  }
  scan_.reset();
  applying_ = false;
  return true;
}

void UpdatePageController::ShowFindings() {
  const int32_t selected = platform_.ListSelection(ui::gadget::kFindingList);
  platform_.SetListRowCount(ui::gadget::kFindingList, static_cast<int32_t>(findings_.size()));
  if (!findings_.empty()) {
    platform_.SetListSelection(ui::gadget::kFindingList,
                               std::clamp(selected, 0, static_cast<int32_t>(findings_.size()) - 1));
  }
}

void UpdatePageController::ToggleFinding() {
  if (applying_) return;  // the rows are being taken over as they are checked
  const int32_t row = platform_.ListSelection(ui::gadget::kFindingList);
  if (row < 0 || static_cast<size_t>(row) >= findings_.size()) return;
  Finding& finding = findings_[static_cast<size_t>(row)];
  if (finding.kind == FindingKind::Unreachable) return;
  finding.checked = !finding.checked;
  ShowFindings();
}

void UpdatePageController::ApplyFindings() {
  if (ScanRunning() || findings_.empty()) return;
  if (!listPage_.Collection()) {
    if (std::optional<UserMessage> refusal = listPage_.WhyNoExchange()) {
      ShowUserMessage(platform_, *refusal);
    }
    return;
  }
  applying_ = true;
  applyAt_ = 0;
  posterProblem_.clear();
  // A few rows are ready within the click; many take slices of their own.
  StepApply(std::chrono::steady_clock::now() + kScanSlice);
}

void UpdatePageController::StepApply(std::chrono::steady_clock::time_point deadline) {
  // What the checked rows need before they are stored, a row at a time: the
  // poster made a cover (a file of its own beside the collection; one that
  // cannot be read leaves its film without) and the fingerprint of the file,
  // by which it is found again when it moves.
  for (; applyAt_ < findings_.size(); ++applyAt_) {
    if (std::chrono::steady_clock::now() >= deadline) {
      ShowProgress(text::FormatText(
          text::kApplyProgress, text::WithThousandsDots(static_cast<int64_t>(applyAt_)),
          text::WithThousandsDots(static_cast<int64_t>(findings_.size()))));
      return;
    }
    Finding& finding = findings_[applyAt_];
    if (!finding.checked) continue;
    const bool cover = !finding.poster.path.empty() &&
                       (finding.kind == FindingKind::New ||
                        (finding.kind == FindingKind::Changed &&
                         std::find(finding.changes.begin(), finding.changes.end(), "cover") !=
                             finding.changes.end()));
    if (cover) {
      collection::CoverResult made =
          collection::TakeOverCover(listPage_.CoverFolder(), finding.poster.path);
      if (made.error.empty()) {
        finding.values.cover = made.fileName;
      } else {
        finding.values.cover.reset();
        if (posterProblem_.empty()) {
          posterProblem_ = text::FormatText(text::kPosterNotTaken,
                                            collection::ShownName(finding.poster.path), made.error);
        }
      }
    }
    const bool file = finding.kind == FindingKind::New || finding.kind == FindingKind::Matched ||
                      finding.kind == FindingKind::Moved;
    if (file && finding.fingerprint.empty() && finding.size > 0) {
      finding.fingerprint = collection::FingerprintOf(platform_, finding.path, finding.size);
    }
  }
  applying_ = false;
  collection::FilmStore* store = listPage_.Collection();
  if (!store) return;
  collection::ChangeResult applied = store->ApplyFindings(findings_, returned_);
  if (!applied.Ok()) {
    ShowProgress("");
    ShowUserMessage(platform_, UserMessage::Error(applied.message));
    return;
  }
  returned_.clear();
  if (!posterProblem_.empty()) ShowUserMessage(platform_, UserMessage::Error(posterProblem_));
  // The rows left are those not taken over.
  const auto taken =
      std::erase_if(findings_, [](const Finding& finding) { return finding.checked; });
  ShowFindings();
  ShowProgress(text::FormatText(text::kFindingsApplied,
                                text::WithThousandsDots(static_cast<int64_t>(taken)),
                                text::WithThousandsDots(applied.filmsAdded)));
}

bool UpdatePageController::HandleGadget(const platform::Event& event) {
  const bool click = event.type == platform::kGadgetClick;
  switch (platform::Number(event.Gadget())) {
    case Number(ui::gadget::kAddFolder):
      if (click) AddFolder();
      return true;
    case Number(ui::gadget::kRemoveFolder):
      if (click) RemoveFolder();
      return true;
    case Number(ui::gadget::kScanNow):
      if (click) StartScan();
      return true;
    case Number(ui::gadget::kCancelScan):
      if (click) CancelScan();
      return true;
    case Number(ui::gadget::kToggleFinding):
      if (click) ToggleFinding();
      return true;
    case Number(ui::gadget::kApplyFindings):
      if (click) ApplyFindings();
      return true;
    case Number(ui::gadget::kFolderList):
    case Number(ui::gadget::kFindingList):
      return true;
    default:
      return false;
  }
}

}  // namespace zelluo::core
