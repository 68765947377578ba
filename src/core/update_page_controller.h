#pragma once
// The Update page at work: the film folders kept in the collection, the scan
// that walks them between the window's events, and the review list of its
// findings, of which only the checked rows are stored, and only on
// "Übernehmen".

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "collection/film_store.h"
#include "collection/folder_scan.h"
#include "platform/platform.h"

namespace zelluo::core {

class ListPageController;

// How long one slice of the walk may take before the window's events come.
inline constexpr std::chrono::milliseconds kScanSlice{30};

class UpdatePageController {
 public:
  UpdatePageController(platform::Platform& platform, ListPageController& listPage);

  platform::ListRowSource FolderRows();
  platform::ListRowSource FindingRows();
  // The page comes into view: the folder list read anew.
  void Enter();
  bool HandleGadget(const platform::Event& event);

  // Starts a scan of every folder; refused with a message while one runs.
  void StartScan();
  // A scan walks, or "Übernehmen" prepares the checked rows.
  bool ScanRunning() const { return scan_ != nullptr || applying_; }
  // One slice of the running scan, whose findings are shown when it is
  // done, or of the rows' preparation, after which they are stored.
  void StepScan();
  // Stops the scan or the preparation; nothing of it is stored.
  void CancelScan();
  // "Automatische Updates": a scan begins by itself once the collection is
  // open (StepAutoScan, a pass of the loop at a time); its findings wait on
  // the page like those of "Jetzt aktualisieren".
  void RequestAutoScan() { autoScanDue_ = true; }
  void StepAutoScan();
  // Asks before quitting while a scan runs; true when the program may end.
  bool MayQuit();

  const std::vector<collection::Finding>& Findings() const { return findings_; }

 private:
  void RefillFolders();
  void AddFolder();
  void RemoveFolder();
  void ShowFindings();
  void ToggleFinding();
  void ApplyFindings();
  void StepApply(std::chrono::steady_clock::time_point deadline);
  void ShowProgress(std::string_view text);

  platform::Platform& platform_;
  ListPageController& listPage_;
  std::vector<collection::FilmFolder> folders_;
  std::unique_ptr<collection::FolderScan> scan_;
  bool scanStarted_ = false;
  bool autoScanDue_ = false;
  // "Übernehmen" under way: the rows before applyAt_ are prepared.
  bool applying_ = false;
  size_t applyAt_ = 0;
  std::string posterProblem_;  // the walk begins with the loop's next pass, after a repaint
  std::vector<collection::Finding> findings_;
  // Films whose file, taken over as missing, is back in its place: their
  // mark goes with the next "Übernehmen".
  std::vector<int64_t> returned_;
};

}  // namespace zelluo::core
