#include "core/film_exchange.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "collection/film_store.h"
#include "collection/import_export.h"
#include "core/import_job.h"
#include "core/list_page_controller.h"
#include "core/play_page_controller.h"
#include "core/user_message.h"
#include "texts/text_tools.h"
#include "texts/texts.h"
#include "ui/gadgets.h"

namespace zelluo::core {

namespace {

// How long one slice of an import may hold the event loop.
constexpr auto kImportSlice = std::chrono::milliseconds(40);

void ShowImportStatus(platform::Platform& platform, std::string_view status) {
  platform.SetGadgetText(ui::gadget::kExchangeStatus, status);
}

using text::WithThousandsDots;

// "1 Film", "12.345 Filme".
std::string FilmCount(int64_t count) {
  return WithThousandsDots(count) + std::string(count == 1 ? text::kOneFilm : text::kFilms);
}

// "1 Ausleihe", "12 Ausleihen".
std::string LoanCount(int64_t count) {
  return WithThousandsDots(count) + std::string(count == 1 ? text::kOneLoan : text::kLoans);
}

// 7. Dezember 2026
std::string GermanDate(const platform::LocalDate& date) {
  const auto month = static_cast<size_t>(std::clamp(date.month, 1, 12) - 1);
  return std::to_string(date.day) + ". " + std::string(text::kMonths[month]) + " " +
         std::to_string(date.year);
}

std::string PreviewText(const std::string& path, const collection::ImportPlan& plan) {
  const int64_t found = static_cast<int64_t>(plan.fresh.size()) + plan.duplicates;
  std::string preview =
      text::FormatText(text::kImportPreviewFile, collection::FileNameOf(path), plan.source.format);
  preview += text::FormatText(text::kImportPreviewFound, FilmCount(found));
  preview += text::FormatText(text::kImportPreviewDuplicates, WithThousandsDots(plan.duplicates));
  if (!plan.source.unmappedFields.empty()) {
    std::string fields;
    for (const std::string& field : plan.source.unmappedFields) {
      fields += (fields.empty() ? "" : ", ") + field;
    }
    preview += text::FormatText(text::kImportPreviewUnmapped, fields);
  }
  preview += text::kImportQuestion;
  return preview;
}

// The collection is there and no import is under way; otherwise says why not.
bool ReadyForExchange(ListPageController& listPage, platform::Platform& platform) {
  std::optional<UserMessage> refusal = listPage.WhyNoExchange();
  if (refusal) ShowUserMessage(platform, *refusal);
  return !refusal;
}

// The import's films stored, after every cover was taken over.
UserMessage FinishImport(ListPageController& listPage, platform::Platform& platform) {
  std::unique_ptr<ImportJob> job = listPage.EndImport();
  std::vector<collection::Film> films = job->TakeFilms();
  ShowImportStatus(platform, "");
  collection::SyncImportedCovers(listPage.CoverFolder());
  collection::ChangeResult stored = listPage.StoreImportedFilms(films);
  if (!stored.Ok()) return UserMessage::Error(stored.message);
  listPage.StoreImportedLoans(job->TakeLoans());
  std::string message = text::FormatText(text::kImportDone, FilmCount(stored.filmsAdded));
  if (job->CoverProblems() > 0) {
    message += text::FormatText(text::kImportCoverProblems, WithThousandsDots(job->CoverProblems()),
                                job->FirstCoverProblem());
  }
  return UserMessage::Info(std::move(message));
}

// The films read from the file and compared with the collection told in a
// preview, and the import begun after Ja.
void PreviewImport(ListPageController& listPage, platform::Platform& platform,
                   collection::ImportFileReading& reading) {
  const std::string& path = reading.Path();
  if (!reading.Planned()) {
    // Refused, or no films to compare.
    collection::ImportResult source = reading.Result();
    if (!source.Ok()) {
      ShowUserMessage(platform, UserMessage::Error(source.error));
    } else {
      ShowUserMessage(platform, UserMessage::Info(text::FormatText(text::kImportNothingFound,
                                                                   collection::FileNameOf(path))));
    }
    return;
  }
  collection::ImportPlan plan = reading.TakePlan();
  if (plan.fresh.empty() && !plan.source.loans.empty()) {
    // Every film is there already: the loans alone are offered.
    if (platform.ShowMessage(
            text::kProgramTitle,
            text::FormatText(text::kImportOnlyLoans, FilmCount(plan.duplicates),
                             LoanCount(static_cast<int64_t>(plan.source.loans.size()))),
            platform::MessageButtons::YesNo) != platform::MessageAnswer::Yes) {
      return;
    }
    const int64_t added = listPage.StoreImportedLoans(plan.source.loans);
    if (added >= 0) {
      ShowUserMessage(platform,
                      UserMessage::Info(text::FormatText(text::kLoansImported, LoanCount(added))));
    }
    return;
  }
  if (plan.fresh.empty()) {
    ShowUserMessage(platform, UserMessage::Info(text::FormatText(text::kImportAllKnown,
                                                                 FilmCount(plan.duplicates))));
    return;
  }
  if (platform.ShowMessage(text::kProgramTitle, PreviewText(path, plan),
                           platform::MessageButtons::YesNo) != platform::MessageAnswer::Yes) {
    return;
  }
  listPage.BeginImport(std::make_unique<ImportJob>(std::move(plan)));
  StepImport(listPage, platform);
}

void ShowReadingStatus(platform::Platform& platform, const collection::ImportFileReading& reading) {
  ShowImportStatus(platform,
                   text::FormatText(reading.AllRead() ? text::kImportParsing : text::kImportReading,
                                    std::to_string(reading.Percent())));
}

}  // namespace

void StartImport(ListPageController& listPage, platform::Platform& platform,
                 collection::ImportSlice slice) {
  if (!ReadyForExchange(listPage, platform) || !listPage.LeaveFilm()) return;
  const std::vector<platform::FileFilter> filters = {
      {std::string(text::kImportableFiles),
       {"*.csv", "*.txt", "*.tsv", "*.gcs", "*.tc", "*.xml", "*.nfo", "*.db", "*.zip"}},
      {std::string(text::kAllFiles), {"*"}}};
  std::optional<std::string> path = platform.ChooseFile(text::kImportTitle, filters, false, "");
  if (!path) return;
  // The films found are compared with these as part of the reading.
  CollectionRead known = listPage.ReadAllFilms();
  if (known.problem) {
    ShowUserMessage(platform, *known.problem);
    return;
  }
  auto reading = std::make_unique<collection::ImportFileReading>(*path, slice);
  reading->PlanAgainst(std::move(known.films));
  reading->Step();  // a small file is read at once
  if (!reading->Finished()) {
    ShowReadingStatus(platform, *reading);
    listPage.BeginReading(std::move(reading));
    return;
  }
  PreviewImport(listPage, platform, *reading);
}

void StepImport(ListPageController& listPage, platform::Platform& platform) {
  if (collection::ImportFileReading* reading = listPage.RunningReading()) {
    reading->Step();
    if (!reading->Finished()) {
      ShowReadingStatus(platform, *reading);
      return;
    }
    ShowImportStatus(platform, "");
    PreviewImport(listPage, platform, *listPage.EndReading());
    return;
  }
  ImportJob* job = listPage.RunningImport();
  if (job == nullptr) return;
  job->TakeOverCovers(listPage.CoverFolder(), std::chrono::steady_clock::now() + kImportSlice);
  if (!job->Finished()) {
    ShowImportStatus(platform,
                     text::FormatText(text::kImportProgress, WithThousandsDots(job->FilmsDone()),
                                      WithThousandsDots(job->FilmCount())));
    return;
  }
  ShowUserMessage(platform, FinishImport(listPage, platform));
}

bool MayQuitDuringImport(ListPageController& listPage, platform::Platform& platform) {
  if (!listPage.ImportRunning()) return true;
  if (platform.ShowMessage(text::kProgramTitle, text::kImportQuitQuestion,
                           platform::MessageButtons::YesNo) != platform::MessageAnswer::Yes) {
    return false;
  }
  listPage.DropImport();  // nothing is stored
  return true;
}

void AskToCancelImport(ListPageController& listPage, platform::Platform& platform) {
  if (platform.ShowMessage(text::kProgramTitle, text::kImportCancelQuestion,
                           platform::MessageButtons::YesNo) != platform::MessageAnswer::Yes ||
      !listPage.ImportRunning()) {
    return;
  }
  listPage.DropImport();  // nothing is stored
  ShowImportStatus(platform, "");
}

void StartExport(ListPageController& listPage, platform::Platform& platform) {
  if (!ReadyForExchange(listPage, platform) || !listPage.LeaveFilm()) return;
  const std::vector<platform::FileFilter> filters = {
      {std::string(text::kCsvFiles), {"*.csv"}},
      {std::string(text::kHtmlFiles), {"*.html", "*.htm"}},
      {std::string(text::kBackupFiles), {"*.zip"}}};
  std::optional<std::string> chosen =
      platform.ChooseFile(text::kExportTitle, filters, true, text::kExportSuggestedName);
  if (!chosen) return;
  std::string path = *chosen;
  std::optional<collection::ExportFormat> format = collection::ExportFormatOf(path);
  if (!format) {
    path += ".csv";
    format = collection::ExportFormat::Csv;
  }
  CollectionRead all = listPage.ReadAllFilms();
  // A backup carries the viewing log and the loans too; a CSV file the date
  // each film was last seen, in the user's own time as the Play page shows it.
  collection::FilmStore* store = listPage.Collection();
  const std::string today = GermanDate(platform.Today());
  collection::ExportExtras extras;
  extras.date = today;
  if (!all.problem && store && *format != collection::ExportFormat::Html) {
    store->AttachViewings(all.films);
    if (store->ReadProblem().empty() && *format == collection::ExportFormat::Backup) {
      extras.loans = store->AllLoans();
    }
    if (!store->ReadProblem().empty()) all.problem = UserMessage::Error(store->ReadProblem());
  }
  if (all.problem) {
    ShowUserMessage(platform, *all.problem);
    return;
  }
  if (*format == collection::ExportFormat::Csv) {
    extras.seen.reserve(all.films.size());
    for (const collection::Film& film : all.films) {
      extras.seen.push_back(LocalGermanDate(platform, collection::LastSeen(film)));
    }
  }
  collection::ExportOutcome outcome =
      collection::ExportFilms(all.films, *format, path, listPage.CoverFolder(), extras);
  if (!outcome.error.empty()) {
    ShowUserMessage(platform, UserMessage::Error(outcome.error));
    return;
  }
  std::string message =
      text::FormatText(text::kExportDone, FilmCount(static_cast<int64_t>(all.films.size())),
                       collection::FileNameOf(path));
  if (outcome.missingCovers > 0) {
    message +=
        text::FormatText(text::kExportMissingCovers, WithThousandsDots(outcome.missingCovers));
  }
  ShowUserMessage(platform, UserMessage::Info(std::move(message)));
}

}  // namespace zelluo::core
