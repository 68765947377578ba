// The List page's loans: the line that tells to whom the shown film is lent,
// the row that lends it (Strg+L), its return (Strg+R), the list of lent films
// (Strg+K), the list narrowed to lent and overdue films (Strg+U) and the due
// dates as a calendar file (Strg+T). With no film lent the page looks as it
// always did: the line is empty and the row exists only while lending. The
// row completes the borrower's name from the known ones and takes their
// e-mail, phone and note, and the loan's note.
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

namespace {

// The lending row's labels and fields: two lines over the loan line and the
// video line, both left of the close button.
struct RowField {
  platform::GadgetId label;
  std::string_view text;
  platform::GadgetId field;
  int32_t top;   // of the field; the label stands 4 pixels lower
  int32_t left;  // of the label, which reaches to the field
  int32_t fieldLeft;
  int32_t fieldWidth;
  platform::Rect LabelRect() const { return {left, top + 4, fieldLeft - left, 20}; }
  platform::Rect FieldRect() const { return {fieldLeft, top, fieldWidth, 24}; }
};
namespace gadget = ui::gadget;
constexpr RowField kRowFields[] = {
    {gadget::kBorrowerLabel, text::kBorrowerLabel, gadget::kBorrowerField, 58, 410, 510, 240},
    {gadget::kDueLabel, text::kDueLabel, gadget::kDueField, 58, 760, 850, 100},
    {gadget::kEmailLabel, text::kEmailLabel, gadget::kEmailField, 86, 410, 465, 140},
    {gadget::kPhoneLabel, text::kPhoneLabel, gadget::kPhoneField, 86, 615, 680, 100},
    {gadget::kBorrowerNoteLabel, text::kBorrowerNoteLabel, gadget::kBorrowerNoteField, 86, 790, 835,
     110},
    {gadget::kLoanNoteLabel, text::kLoanNoteLabel, gadget::kLoanNoteField, 86, 955, 1055, 115},
};

// Folded for comparing names as they are typed: ASCII and the umlauts
// lower case, every other byte as it is, so that the length stays.
std::string Folded(std::string_view name) {
  std::string folded(name);
  for (size_t i = 0; i < folded.size(); ++i) {
    const auto byte = static_cast<unsigned char>(folded[i]);
    if (byte >= 'A' && byte <= 'Z') folded[i] = static_cast<char>(byte + 32);
    // Ä, Ö and Ü (0xC3 0x84, 0x96, 0x9C) as ä, ö and ü.
    if (i > 0 && static_cast<unsigned char>(folded[i - 1]) == 0xC3 &&
        (byte == 0x84 || byte == 0x96 || byte == 0x9C)) {
      folded[i] = static_cast<char>(byte + 0x20);
    }
  }
  return folded;
}

}  // namespace

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
  platform_.HideGadget(ui::gadget::kVideoLine);
  for (const RowField& row : kRowFields) {
    platform_.CreateTextGadget(row.label, row.LabelRect(), row.text, platform::TextAlign::Left);
    platform_.CreateTextField(row.field, row.FieldRect(), platform::TextFieldKind::SingleLine);
    // In the form's font and colours.
    for (platform::GadgetId gadget : {row.label, row.field}) {
      platform_.SetGadgetFont(gadget, ui::font::kBody);
      platform_.SetGadgetFrontColour(gadget, assets::kTextColour);
      platform_.SetGadgetBackColour(gadget, assets::kTextBackColour);
    }
  }
  platform_.CreateButtonGadget(ui::gadget::kLendFilm, {960, 58, 100, 24}, text::kLendButton);
  platform_.CreateButtonGadget(ui::gadget::kCancelLending, {1070, 58, 100, 24},
                               text::kCancelButton);
  // The name is completed from the known borrowers as it is typed.
  borrowers_ = store_->Borrowers();
  typedBorrower_.clear();
  detailsOf_.clear();
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
  for (const RowField& row : kRowFields) {
    platform_.FreeGadget(row.label);
    platform_.FreeGadget(row.field);
  }
  platform_.FreeGadget(ui::gadget::kLendFilm);
  platform_.FreeGadget(ui::gadget::kCancelLending);
  platform_.ShowGadget(ui::gadget::kVideoLine);
  borrowers_.clear();
  ShowLoanLine();
}

void ListPageController::CompleteBorrower() {
  const std::string typed = platform_.GadgetText(ui::gadget::kBorrowerField);
  // Only a name that grew is completed: a deleted completion stays deleted.
  const bool grew = typed.size() > typedBorrower_.size();
  typedBorrower_ = typed;
  std::string name = text::Trimmed(typed);
  if (grew && !name.empty()) {
    const std::string folded = Folded(typed);
    for (const collection::Borrower& known : borrowers_) {
      if (known.name.size() > typed.size() && Folded(known.name).starts_with(folded)) {
        platform_.SetGadgetText(ui::gadget::kBorrowerField, known.name);
        platform_.SelectFieldText(ui::gadget::kBorrowerField, typed.size());
        name = known.name;
        break;
      }
    }
  }
  // A known borrower's details are shown to be kept or changed; they go
  // again when the name becomes another.
  for (const collection::Borrower& known : borrowers_) {
    if (known.name != name) continue;
    if (detailsOf_ != name) {
      platform_.SetGadgetText(ui::gadget::kEmailField, known.email);
      platform_.SetGadgetText(ui::gadget::kPhoneField, known.phone);
      platform_.SetGadgetText(ui::gadget::kBorrowerNoteField, known.note);
      detailsOf_ = name;
    }
    return;
  }
  if (!detailsOf_.empty()) {
    for (platform::GadgetId field :
         {ui::gadget::kEmailField, ui::gadget::kPhoneField, ui::gadget::kBorrowerNoteField}) {
      platform_.SetGadgetText(field, "");
    }
    detailsOf_.clear();
  }
}

void ListPageController::LendShownFilm() {
  const std::string dueText = platform_.GadgetText(ui::gadget::kDueField);
  const std::string due = IsoOfGerman(dueText);
  if (due.empty() && !text::IsBlank(dueText)) {
    ShowUserMessage(platform_, UserMessage::Error(text::FormatText(text::kBadLoanDate, dueText)));
    return;
  }
  const collection::Borrower borrower{platform_.GadgetText(ui::gadget::kBorrowerField),
                                      platform_.GadgetText(ui::gadget::kEmailField),
                                      platform_.GadgetText(ui::gadget::kPhoneField),
                                      platform_.GadgetText(ui::gadget::kBorrowerNoteField)};
  collection::ChangeResult lent =
      store_->LendFilm(shown_.id, borrower, Today(), due,
                       text::Trimmed(platform_.GadgetText(ui::gadget::kLoanNoteField)));
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
  if (event.Gadget() == ui::gadget::kBorrowerField) {
    if (event.type == platform::kGadgetTextChanged) CompleteBorrower();
    return true;
  }
  return false;
}

int64_t ListPageController::StoreImportedLoans(const std::vector<collection::Loan>& loans) {
  if (!store_ || loans.empty()) return 0;
  collection::ChangeResult stored = store_->ImportLoans(loans);
  if (!stored.Ok()) ShowUserMessage(platform_, UserMessage::Error(stored.message));
  ShowLoanLine();
  if (narrowing_ != collection::Narrowing::None) RefillList();
  return stored.Ok() ? stored.id : -1;
}

}  // namespace zelluo::core
