#pragma once
// Import and export on the List page. An import reads the chosen file, asks
// with a preview, takes the covers over a few at a time between events (the
// window stays responsive and shows the progress) and then stores all films
// in one transaction. An export writes the whole collection at once.

#include <cstdint>
#include <string>

#include "collection/import_export.h"

namespace zelluo {

struct Application;

// The import between the answer Ja and the stored films.
struct ImportJob {
  collection::ImportPlan plan;
  size_t next = 0;  // the film whose cover comes next
  int64_t coverProblems = 0;
  std::string firstCoverProblem;
};

// Strg+I and the button "Importieren".
void StartImport(Application& app);
// Strg+E and the button "Exportieren".
void StartExport(Application& app);

bool ImportRunning(const Application& app);
// A slice of the running import's work, called by the event loop.
void StepImport(Application& app);
// Before quitting while an import runs: asks; true when the program may quit
// (the import is dropped then and nothing is stored).
bool MayQuitDuringImport(Application& app);

}  // namespace zelluo
