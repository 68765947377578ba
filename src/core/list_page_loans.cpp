// The List page's loans: the line that tells to whom the shown film is lent,
// the row that lends it (Strg+L), its return (Strg+R), the list of lent films
// (Strg+K), the list narrowed to lent and overdue films (Strg+U) and the due
// dates as a calendar file (Strg+T). With no film lent the page looks as it
// always did: the line is empty and the row exists only while lending.
#include <chrono>
#include <cstdio>

#include "assets/colours.h"
#include "collection/film_store.h"
#include "collection/icalendar.h"
#include "core/list_page_controller.h"
#include "core/user_message.h"
#include "texts/text_tools.h"
#include "texts/texts.h"
#include "ui/gadgets.h"

namespace zelluo::core {
namespace {

// How long a film is lent unless the user says otherwise.
constexpr int kLoanDays = 14;

std::string IsoDay(std::chrono::year_month_day day) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(day.year()),
                static_cast<unsigned>(day.month()), static_cast<unsigned>(day.day()));
  return text;
}

// "2026-12-03" as "03.12.2026"; other text as it is.
std::string GermanDay(const std::string& day) {
  if (day.size() != 10) return day;
  return day.substr(8, 2) + "." + day.substr(5, 2) + "." + day.substr(0, 4);
}

// "3.12.2026" or "03.12.2026" as "2026-12-03"; empty when it is no date.
std::string IsoOfGerman(std::string_view text) {
  unsigned day = 0, month = 0;
  int year = 0;
  char rest = 0;
  const std::string copy(text);
  if (std::sscanf(copy.c_str(), " %u.%u.%d %c", &day, &month, &year, &rest) != 3) return {};
  const std::chrono::year_month_day date{std::chrono::year{year}, std::chrono::month{month},
                                         std::chrono::day{day}};
  if (!date.ok() || year < 1900 || year > 9999) return {};
  return IsoDay(date);
}

}  // namespace

std::string ListPageController::Today() {
  const platform::LocalDate today = platform_.Today();
  return IsoDay({std::chrono::year{today.year},
                 std::chrono::month{static_cast<unsigned>(today.month)},
                 std::chrono::day{static_cast<unsigned>(today.day)}});
}

void ListPageController::ShowLoanLine() {
  std::optional<collection::Loan> loan;
  if (store_ && shown_.id != 0) loan = store_->OpenLoanOf(shown_.id);
  if (!loan) {
    platform_.SetGadgetText(ui::gadget::kLoanLine, "");
    return;
  }
  std::string line = text::FormatText(text::kLentLine, loan->borrower.name, GermanDay(loan->lent));
  if (!loan->due.empty()) line += text::FormatText(text::kLentLineDue, GermanDay(loan->due));
  platform_.SetGadgetFrontColour(ui::gadget::kLoanLine, loan->OverdueOn(Today())
                                                            ? assets::kWarningColour
                                                            : assets::kTextColour);
  platform_.SetGadgetBackColour(ui::gadget::kLoanLine, assets::kTextBackColour);
  platform_.SetGadgetText(ui::gadget::kLoanLine, line);
}

void ListPageController::OpenLendingRow() {
  if (!store_ || shown_.id == 0) {
    ShowUserMessage(platform_, UserMessage::Error(std::string(text::kNoFilmShown)));
    return;
  }
  if (std::optional<collection::Loan> away = store_->OpenLoanOf(shown_.id)) {
    ShowUserMessage(platform_,
                    UserMessage::Error(text::FormatText(text::kAlreadyLent, away->borrower.name)));
    return;
  }
  if (lending_) {
    platform_.FocusGadget(ui::gadget::kBorrowerField);
    return;
  }
  lending_ = true;
  platform_.SetGadgetText(ui::gadget::kLoanLine, "");
  platform_.CreateTextGadget(ui::gadget::kBorrowerLabel, {410, 62, 100, 20}, text::kBorrowerLabel,
                             platform::TextAlign::Left);
  platform_.CreateTextField(ui::gadget::kBorrowerField, {510, 58, 240, 24},
                            platform::TextFieldKind::SingleLine);
  platform_.CreateTextGadget(ui::gadget::kDueLabel, {760, 62, 90, 20}, text::kDueLabel,
                             platform::TextAlign::Left);
  platform_.CreateTextField(ui::gadget::kDueField, {850, 58, 100, 24},
                            platform::TextFieldKind::SingleLine);
  platform_.CreateButtonGadget(ui::gadget::kLendFilm, {960, 58, 100, 24}, text::kLendButton);
  platform_.CreateButtonGadget(ui::gadget::kCancelLending, {1070, 58, 100, 24},
                               text::kCancelButton);
  for (platform::GadgetId label : {ui::gadget::kBorrowerLabel, ui::gadget::kDueLabel}) {
    platform_.SetGadgetFont(label, ui::font::kBody);
    platform_.SetGadgetFrontColour(label, assets::kTextColour);
    platform_.SetGadgetBackColour(label, assets::kTextBackColour);
  }
  // The last borrower is offered; typing replaces it.
  const std::vector<std::string> names = store_->BorrowerNames();
  platform_.SetGadgetText(ui::gadget::kBorrowerField, names.empty() ? "" : names.front());
  const std::chrono::sys_days due =
      std::chrono::sys_days{std::chrono::year_month_day{
          std::chrono::year{platform_.Today().year},
          std::chrono::month{static_cast<unsigned>(platform_.Today().month)},
          std::chrono::day{static_cast<unsigned>(platform_.Today().day)}}} +
      std::chrono::days{kLoanDays};
  platform_.SetGadgetText(ui::gadget::kDueField, GermanDay(IsoDay(due)));
  platform_.FocusGadget(ui::gadget::kBorrowerField);
}

void ListPageController::CloseLendingRow() {
  if (!lending_) return;
  lending_ = false;
  for (platform::GadgetId gadget :
       {ui::gadget::kBorrowerLabel, ui::gadget::kBorrowerField, ui::gadget::kDueLabel,
        ui::gadget::kDueField, ui::gadget::kLendFilm, ui::gadget::kCancelLending}) {
    platform_.FreeGadget(gadget);
  }
  ShowLoanLine();
}

void ListPageController::LendShownFilm() {
  const std::string dueText = platform_.GadgetText(ui::gadget::kDueField);
  const std::string due = IsoOfGerman(dueText);
  if (due.empty() && !text::IsBlank(dueText)) {
    ShowUserMessage(platform_, UserMessage::Error(text::FormatText(text::kBadLoanDate, dueText)));
    return;
  }
  collection::ChangeResult lent =
      store_->LendFilm(shown_.id, platform_.GadgetText(ui::gadget::kBorrowerField), Today(), due);
  if (!lent.Ok()) {
    ShowUserMessage(platform_, UserMessage::Error(lent.message));
    return;
  }
  CloseLendingRow();
  if (narrowing_ != collection::Narrowing::None) RefillList();
}

void ListPageController::ReturnShownFilm() {
  if (!store_ || shown_.id == 0) return;
  collection::ChangeResult back = store_->ReturnFilm(shown_.id, Today());
  if (!back.Ok()) {
    ShowUserMessage(platform_, UserMessage::Error(back.message));
    return;
  }
  ShowLoanLine();
  if (narrowing_ != collection::Narrowing::None) RefillList();
}

void ListPageController::FinishOpeningForLoans() {
  // The rest of the opening first, its fault told as at its end.
  if (opening_) StepOpeningUntil(std::chrono::steady_clock::time_point::max());
}

void ListPageController::ShowLentFilms() {
  if (!store_) return;
  FinishOpeningForLoans();
  const std::string today = Today();
  const std::vector<collection::Loan> loans = store_->LentFilms(today);
  if (!store_->ReadProblem().empty()) {
    ShowUserMessage(platform_, UserMessage::Error(store_->ReadProblem()));
    return;
  }
  std::string list;
  for (const collection::Loan& loan : loans) {
    std::string who = loan.borrower.name;
    if (!loan.due.empty()) who += text::FormatText(text::kLentLineDue, GermanDay(loan.due));
    list += text::FormatText(text::kLentFilmEntry, loan.title, who);
    if (loan.OverdueOn(today)) list += text::kOverdueMark;
    list += "\n";
  }
  if (list.empty()) list = text::kNoLentFilms;
  platform_.ShowMessage(text::kLentFilmsTitle, list, platform::MessageButtons::Ok);
}

void ListPageController::NarrowTo(collection::Narrowing narrowing) {
  if (!LeaveFilm()) return;
  if (store_) FinishOpeningForLoans();
  narrowing_ = narrowing;
  if (store_) store_->NarrowTo(narrowing, Today());
  platform_.SetGadgetText(ui::gadget::kExchangeStatus,
                          narrowing == collection::Narrowing::Lent      ? text::kNarrowedToLent
                          : narrowing == collection::Narrowing::Overdue ? text::kNarrowedToOverdue
                                                                        : "");
  RefillList();
  if (platform_.ListSelection(ui::gadget::kFilmList) < 0 && rowCount_ > 0) ShowRow(0);
}

void ListPageController::ExportDueDates() {
  if (!store_) return;
  std::optional<std::string> path =
      platform_.ChooseFile(text::kExportDueDatesTitle,
                           {platform::FileFilter{std::string(text::kCalendarFiles), {"*.ics"}}},
                           true, text::kDueDatesSuggestedName);
  if (!path) return;
  if (!path->ends_with(".ics")) *path += ".ics";
  FinishOpeningForLoans();
  const std::vector<collection::Loan> loans = store_->LentFilms(Today());
  if (!store_->ReadProblem().empty()) {
    ShowUserMessage(platform_, UserMessage::Error(store_->ReadProblem()));
    return;
  }
  // The moment of writing, in UTC as the format asks.
  const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
  const auto day = std::chrono::floor<std::chrono::days>(now);
  const std::chrono::year_month_day date{day};
  const std::chrono::hh_mm_ss time{now - day};
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d%02u%02uT%02d%02d%02dZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()),
                static_cast<int>(time.seconds().count()));
  if (!platform_.WriteFileAtomic(*path, collection::LoansAsICalendar(loans, stamp))) {
    ShowUserMessage(platform_,
                    UserMessage::Error(text::FormatText(text::kDueDatesNotWritten, *path)));
    return;
  }
  int64_t events = 0;
  for (const collection::Loan& loan : loans) events += loan.due.empty() ? 0 : 1;
  ShowUserMessage(platform_, UserMessage::Info(text::FormatText(text::kDueDatesExported,
                                                                std::to_string(events), *path)));
}

bool ListPageController::HandleLoanGadget(const platform::Event& event) {
  if (!lending_) return false;
  if (event.Gadget() == ui::gadget::kLendFilm) {
    if (event.type == platform::kGadgetClick) LendShownFilm();
    return true;
  }
  if (event.Gadget() == ui::gadget::kCancelLending) {
    if (event.type == platform::kGadgetClick) CloseLendingRow();
    return true;
  }
  return false;
}

void ListPageController::StoreImportedLoans(const std::vector<collection::Loan>& loans) {
  if (!store_ || loans.empty()) return;
  collection::ChangeResult stored = store_->ImportLoans(loans);
  if (!stored.Ok()) ShowUserMessage(platform_, UserMessage::Error(stored.message));
  ShowLoanLine();
}

}  // namespace zelluo::core
