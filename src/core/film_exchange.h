#pragma once
// Import and export on the List page. An import reads the chosen file (a
// large one a slice at a time between events, with the progress shown), asks
// with a preview, takes the covers over a few at a time between events (the
// window stays responsive and shows the progress) and then stores all films
// in one transaction. An export writes the whole collection at once.

#include <cstddef>

#include "collection/import_export.h"
#include "platform/platform.h"

namespace zelluo::core {

class ListPageController;

// Strg+I and the button "Importieren". The file is read readSlice bytes at a
// time: the first slice at once, the others by StepImport.
// 12345 as "12.345".
std::string WithThousandsDots(int64_t value);

void StartImport(ListPageController& listPage, platform::Platform& platform,
                 size_t readSlice = collection::kImportReadSlice);
// Strg+E and the button "Exportieren".
void StartExport(ListPageController& listPage, platform::Platform& platform);

// A slice of the running import's work, called by the event loop.
void StepImport(ListPageController& listPage, platform::Platform& platform);
// Before quitting while an import runs: asks; true when the program may quit
// (the import is dropped then and nothing is stored).
bool MayQuitDuringImport(ListPageController& listPage, platform::Platform& platform);

}  // namespace zelluo::core
