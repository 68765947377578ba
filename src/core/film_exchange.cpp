#include "core/film_exchange.h"

#include <algorithm>
#include <chrono>

#include "collection/film_store.h"
#include "collection/import_export.h"
#include "core/application.h"
#include "core/film_page.h"
#include "settings/settings_record.h"
#include "texts/texts.h"
#include "ui/gadgets.h"

namespace zelluo {

namespace {

// How long one slice of an import may hold the event loop.
constexpr auto kSlice = std::chrono::milliseconds(40);

std::string CoverFolder(Application& app) {
  return app.platform.LocalPath(std::string(SettingsFolder) + "/Cover");
}

void Report(Application& app, std::string_view message) {
  app.platform.ShowMessage(text::kProgramTitle, message, MessageButtons::Ok);
}

void ShowStatus(Application& app, std::string_view status) {
  app.platform.SetGadgetText(gadget::kExchangeStatus, status);
}

// 12345 as "12.345".
std::string Number(int64_t value) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  for (auto at = static_cast<int64_t>(digits.size()) - 3; at > 0; at -= 3) {
    digits.insert(static_cast<size_t>(at), ".");
  }
  return value < 0 ? "-" + digits : digits;
}

std::string Films(int64_t count) {
  return Number(count) + std::string(count == 1 ? text::kOneFilm : text::kFilms);
}

// 7. Dezember 2026
std::string GermanDate(const LocalDate& date) {
  const auto month = static_cast<size_t>(std::clamp(date.month, 1, 12) - 1);
  return std::to_string(date.day) + ". " + std::string(text::kMonths[month]) + " " +
         std::to_string(date.year);
}

std::string PreviewText(const std::string& path, const collection::ImportPlan& plan) {
  const int64_t found = static_cast<int64_t>(plan.fresh.size()) + plan.duplicates;
  std::string preview = FormatText(text::kImportPreviewFile, collection::FileNameOf(path),
                                   plan.source.format);
  preview += FormatText(text::kImportPreviewFound, Films(found));
  preview += FormatText(text::kImportPreviewDuplicates, Number(plan.duplicates));
  if (!plan.source.unmappedFields.empty()) {
    std::string fields;
    for (const std::string& field : plan.source.unmappedFields) {
      fields += (fields.empty() ? "" : ", ") + field;
    }
    preview += FormatText(text::kImportPreviewUnmapped, fields);
  }
  preview += text::kImportQuestion;
  return preview;
}

// The collection is there and no import is under way; otherwise says why not.
bool ReadyForExchange(Application& app) {
  if (app.filmPage.import) {
    Report(app, text::kImportStillRunning);
    return false;
  }
  if (app.filmPage.store) return true;
  Report(app, app.filmPage.storeProblem);
  return false;
}

void FinishImport(Application& app) {
  std::unique_ptr<ImportJob> job = std::move(app.filmPage.import);
  std::vector<collection::Film> films;
  films.reserve(job->plan.fresh.size());
  for (collection::ImportedFilm& film : job->plan.fresh) films.push_back(std::move(film.film));
  ShowStatus(app, "");
  collection::SyncImportedCovers(CoverFolder(app));
  collection::ChangeResult stored = app.filmPage.store->ImportFilms(films);
  RefreshFilmList(app);
  if (!stored.Ok()) {
    Report(app, stored.message);
    return;
  }
  std::string message = FormatText(text::kImportDone, Films(stored.filmsAdded));
  if (job->coverProblems > 0) {
    message += FormatText(text::kImportCoverProblems, Number(job->coverProblems),
                          job->firstCoverProblem);
  }
  Report(app, message);
}

}  // namespace

void StartImport(Application& app) {
  if (!ReadyForExchange(app) || !LeaveFilm(app)) return;
  const std::vector<FileFilter> filters = {
      {std::string(text::kImportableFiles),
       {"*.csv", "*.txt", "*.tsv", "*.gcs", "*.tc", "*.xml", "*.nfo", "*.db", "*.zip"}},
      {std::string(text::kAllFiles), {"*"}}};
  std::optional<std::string> path =
      app.platform.ChooseFile(text::kImportTitle, filters, false, "");
  if (!path) return;
  collection::ImportResult source = collection::ReadImportFile(*path);
  if (!source.Ok()) {
    Report(app, source.error);
    return;
  }
  if (source.films.empty()) {
    Report(app, FormatText(text::kImportNothingFound, collection::FileNameOf(*path)));
    return;
  }
  std::vector<collection::Film> collection = app.filmPage.store->AllFilms();
  if (!app.filmPage.store->ReadProblem().empty()) {
    Report(app, app.filmPage.store->ReadProblem());
    return;
  }
  auto job = std::make_unique<ImportJob>();
  job->plan = collection::PlanImport(std::move(source), collection);
  if (job->plan.fresh.empty()) {
    Report(app, FormatText(text::kImportAllKnown, Films(job->plan.duplicates)));
    return;
  }
  if (app.platform.ShowMessage(text::kProgramTitle, PreviewText(*path, job->plan),
                               MessageButtons::YesNo) != MessageAnswer::Yes) {
    return;
  }
  app.filmPage.import = std::move(job);
  StepImport(app);
}

bool ImportRunning(const Application& app) { return app.filmPage.import != nullptr; }

void StepImport(Application& app) {
  ImportJob* job = app.filmPage.import.get();
  if (job == nullptr) return;
  const std::string folder = CoverFolder(app);
  const auto end = std::chrono::steady_clock::now() + kSlice;
  std::vector<collection::ImportedFilm>& films = job->plan.fresh;
  while (job->next < films.size() && std::chrono::steady_clock::now() < end) {
    collection::ImportedFilm& film = films[job->next++];
    std::string problem = collection::TakeOverImportedCover(film, folder);
    film.cover = {};  // the picture's bytes are no longer needed
    if (!problem.empty() && job->coverProblems++ == 0) {
      job->firstCoverProblem = film.film.title + ": " + problem;
    }
  }
  if (job->next < films.size()) {
    ShowStatus(app, FormatText(text::kImportProgress, Number(static_cast<int64_t>(job->next)),
                               Number(static_cast<int64_t>(films.size()))));
    return;
  }
  FinishImport(app);
}

bool MayQuitDuringImport(Application& app) {
  if (!ImportRunning(app)) return true;
  if (app.platform.ShowMessage(text::kProgramTitle, text::kImportQuitQuestion,
                               MessageButtons::YesNo) != MessageAnswer::Yes) {
    return false;
  }
  app.filmPage.import.reset();
  return true;
}

void StartExport(Application& app) {
  if (!ReadyForExchange(app) || !LeaveFilm(app)) return;
  const std::vector<FileFilter> filters = {
      {std::string(text::kCsvFiles), {"*.csv"}},
      {std::string(text::kHtmlFiles), {"*.html", "*.htm"}},
      {std::string(text::kBackupFiles), {"*.zip"}}};
  std::optional<std::string> chosen =
      app.platform.ChooseFile(text::kExportTitle, filters, true, text::kExportSuggestedName);
  if (!chosen) return;
  std::string path = *chosen;
  std::optional<collection::ExportFormat> format = collection::ExportFormatOf(path);
  if (!format) {
    path += ".csv";
    format = collection::ExportFormat::Csv;
  }
  std::vector<collection::Film> films = app.filmPage.store->AllFilms();
  if (!app.filmPage.store->ReadProblem().empty()) {
    Report(app, app.filmPage.store->ReadProblem());
    return;
  }
  collection::ExportOutcome outcome =
      collection::ExportFilms(films, *format, path, CoverFolder(app),
                              GermanDate(app.platform.Today()));
  if (!outcome.error.empty()) {
    Report(app, outcome.error);
    return;
  }
  std::string message = FormatText(text::kExportDone, Films(static_cast<int64_t>(films.size())),
                                   collection::FileNameOf(path));
  if (outcome.missingCovers > 0) {
    message += FormatText(text::kExportMissingCovers, Number(outcome.missingCovers));
  }
  Report(app, message);
}

}  // namespace zelluo
