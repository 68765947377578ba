#include "core/play_page_controller.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <optional>

#include "assets/image_numbers.h"
#include "collection/cover.h"
#include "collection/film_values.h"
#include "core/list_page_controller.h"
#include "core/user_message.h"
#include "texts/texts.h"
#include "ui/film_form.h"
#include "ui/gadgets.h"

namespace zelluo::core {

using collection::PlayFilter;
using collection::PlayRow;

namespace {

// The image number of the selected film's cover on this page.
constexpr platform::ImageId kPlayCoverImage{1001};
// The player's keys: seek 10 s with Left and Right, a minute with Up and Down.
constexpr double kShortSeek = 10;
constexpr double kLongSeek = 60;

std::string HoursMinutes(double seconds) {
  const auto minutes = static_cast<int64_t>(std::max(seconds, 0.0) / 60);
  const int64_t rest = minutes % 60;
  return std::to_string(minutes / 60) + (rest < 10 ? ":0" : ":") + std::to_string(rest);
}

// Seconds since 1970 of a moment the store wrote ("2026-12-07T23:30:00Z", UTC).
std::optional<int64_t> UnixSeconds(const std::string& iso) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  char end = 0;
  if (std::sscanf(iso.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &year, &month, &day, &hour, &minute,
                  &second, &end) != 7 ||
      end != 'Z') {
    return std::nullopt;
  }
  using namespace std::chrono;
  const year_month_day date{std::chrono::year{year},
                            std::chrono::month{static_cast<unsigned>(month)},
                            std::chrono::day{static_cast<unsigned>(day)}};
  if (!date.ok() || hour > 23 || minute > 59 || second > 60) return std::nullopt;
  return (sys_days{date}.time_since_epoch() + hours{hour} + minutes{minute} + seconds{second})
      .count();
}

std::string TwoDigits(int32_t value) { return (value < 10 ? "0" : "") + std::to_string(value); }

}  // namespace

std::string LocalGermanDate(platform::Platform& platform, const std::string& iso) {
  const std::optional<int64_t> moment = UnixSeconds(iso);
  if (!moment) {
    if (iso.size() < 10) return iso;
    return iso.substr(8, 2) + "." + iso.substr(5, 2) + "." + iso.substr(0, 4);
  }
  const platform::LocalDate date = platform.LocalTimeAt(*moment).date;
  return TwoDigits(date.day) + "." + TwoDigits(date.month) + "." + std::to_string(date.year);
}

std::vector<std::string> PlayPageController::RowTexts(const PlayRow& row) {
  const std::vector<std::string> film =
      ui::FilmRowTexts(collection::FilmRow{row.id, row.title, row.year, row.runtime, {}});
  return {film[0], film[1], film[2], LocalGermanDate(platform_, row.lastSeen),
          ProgressText(row.resume, row.duration)};
}

std::string ProgressText(double resume, double duration) {
  if (resume <= 0 || duration <= 0) return {};
  return text::FormatText(text::kProgress, HoursMinutes(resume), HoursMinutes(duration));
}

PlayPageController::PlayPageController(platform::Platform& platform, ListPageController& listPage)
    : platform_(platform), listPage_(listPage), random_(std::random_device{}()) {}

platform::ListRowSource PlayPageController::RowSource() {
  return [this](int32_t row) {
    if (row < 0 || static_cast<size_t>(row) >= rows_.size()) return std::vector<std::string>(5);
    return RowTexts(rows_[static_cast<size_t>(row)]);
  };
}

const PlayRow* PlayPageController::Selected() const {
  for (const PlayRow& row : rows_) {
    if (row.id == selectedId_) return &row;
  }
  return nullptr;
}

void PlayPageController::Enter() {
  if (collection::FilmStore* store = listPage_.Collection()) store->RefreshDerivedData();
  Refill();
  platform_.FocusGadget(ui::gadget::kPlaySearchField);
}

// The list anew; the selected film stays selected where the filter keeps it,
// otherwise the first film is. A filter change only filters what the search
// read (the collection is not asked again).
void PlayPageController::Refill() {
  collection::FilmStore* store = listPage_.Collection();
  searched_ = store ? store->ListPlayable(query_, PlayFilter::All) : std::vector<PlayRow>();
  if (store && !store->ReadProblem().empty()) {
    ShowUserMessage(platform_, UserMessage::Error(store->ReadProblem()));
  }
  ApplyFilter();
}

void PlayPageController::ApplyFilter() {
  rows_.clear();
  for (const PlayRow& row : searched_) {
    if (collection::PassesFilter(row, filter_)) rows_.push_back(row);
  }
  platform_.SetListRowCount(ui::gadget::kPlayList, static_cast<int32_t>(rows_.size()));
  int32_t row = rows_.empty() ? -1 : 0;
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].id == selectedId_) row = static_cast<int32_t>(i);
  }
  Select(row);
}

void PlayPageController::Select(int32_t row) {
  selectedId_ = row >= 0 ? rows_[static_cast<size_t>(row)].id : 0;
  platform_.SetListSelection(ui::gadget::kPlayList, row);
  ShowSelected();
}

void PlayPageController::ShowSelected() {
  const PlayRow* film = Selected();
  platform_.SetGadgetText(ui::gadget::kPlayTitle, film ? film->title : "");
  platform_.SetGadgetText(ui::gadget::kPlayDetails, film ? film->video : "");
  // A button's text is its own: the button is made anew with the other one.
  const bool seen = film && !film->lastSeen.empty();
  if (seen != markShowsUnseen_) {
    if (std::optional<platform::Rect> rect = platform_.GadgetRect(ui::gadget::kMarkSeen)) {
      platform_.CreateButtonGadget(ui::gadget::kMarkSeen, *rect,
                                   seen ? text::kMarkUnseen : text::kMarkSeen);
      markShowsUnseen_ = seen;
    }
  }
  std::optional<platform::PixelImage> cover;
  if (film && film->cover) cover = collection::LoadCover(listPage_.CoverFolder(), *film->cover);
  if (cover && platform_.LoadImage(kPlayCoverImage, *cover)) {
    platform_.SetGadgetImage(ui::gadget::kPlayCover, kPlayCoverImage);
  } else {
    platform_.SetGadgetImage(ui::gadget::kPlayCover, assets::image::kCoverPlaceholder);
  }
  if (rows_.empty() && filter_ == PlayFilter::All && query_.empty()) {
    ShowStatus(text::kNoPlayableFilms);
  }
}

void PlayPageController::ShowStatus(std::string_view text) {
  platform_.SetGadgetText(ui::gadget::kPlayStatus, text);
}

void PlayPageController::SetFilter(PlayFilter filter) {
  filter_ = filter;
  ShowStatus("");
  ApplyFilter();
}

void PlayPageController::Play(bool fromStart) {
  const PlayRow* selected = Selected();
  if (!selected) return;
  const PlayRow film = *selected;
  // A film whose file is gone: said, and nothing else changes.
  if (platform_.FileSize(film.video) < 0) {
    ShowUserMessage(platform_,
                    UserMessage::Error(text::FormatText(text::kVideoMissing, film.video)));
    return;
  }
  ShowStatus("");
  if (platform_.CanPlayVideo()) {
    PlayInside(film, fromStart ? 0 : film.resume);
  } else {
    PlayOutside(film);
  }
}

void PlayPageController::PlayInside(const PlayRow& film, double start) {
  collection::FilmStore* store = listPage_.Collection();
  if (!store) return;
  // The film takes the content area; the back button stays above it.
  if (!platform_.PlayVideo(ui::gadget::kVideo, platform::Rect{40, 110, 1200, 864}, film.video,
                           start)) {
    PlayOutside(film);
    return;
  }
  collection::ChangeResult started = store->StartViewing(film.id);
  if (!started.Ok()) {
    platform_.FreeGadget(ui::gadget::kVideo);
    ShowUserMessage(platform_, UserMessage::Error(started.message));
    return;
  }
  viewing_ = started.id;
}

// Without a player of its own the system's plays the film: the viewing is
// logged as begun, and whether it was seen is the user's to say.
void PlayPageController::PlayOutside(const PlayRow& film) {
  if (!platform_.OpenWithDefaultProgram(film.video)) {
    ShowUserMessage(platform_, UserMessage::Error(text::FormatText(text::kCannotPlay, film.video)));
    return;
  }
  collection::FilmStore* store = listPage_.Collection();
  if (!store) return;
  collection::ChangeResult started = store->StartViewing(film.id);
  if (!started.Ok()) {
    ShowUserMessage(platform_, UserMessage::Error(started.message));
    return;
  }
  Refill();
  ShowStatus(text::FormatText(text::kPlayingOutside, film.title));
}

void PlayPageController::StopFilm() {
  if (!Playing()) return;
  const platform::VideoStatus status = platform_.VideoState(ui::gadget::kVideo);
  platform_.FreeGadget(ui::gadget::kVideo);
  const int64_t viewing = std::exchange(viewing_, 0);
  if (collection::FilmStore* store = listPage_.Collection()) {
    const double position = status.ended ? status.duration : status.position;
    collection::ChangeResult ended = store->EndViewing(viewing, position, status.duration);
    if (!ended.Ok()) ShowUserMessage(platform_, UserMessage::Error(ended.message));
  }
  Refill();
  platform_.FocusGadget(ui::gadget::kPlayList);
}

void PlayPageController::HandlePlayerKey(int32_t keyCode) {
  switch (keyCode) {
    case platform::kKeySpace:
      platform_.ControlVideo(ui::gadget::kVideo, platform::VideoCommand::TogglePause, 0);
      break;
    case platform::kKeyLeft:
      platform_.ControlVideo(ui::gadget::kVideo, platform::VideoCommand::Seek, -kShortSeek);
      break;
    case platform::kKeyRight:
      platform_.ControlVideo(ui::gadget::kVideo, platform::VideoCommand::Seek, kShortSeek);
      break;
    case platform::kKeyUp:
      platform_.ControlVideo(ui::gadget::kVideo, platform::VideoCommand::Seek, kLongSeek);
      break;
    case platform::kKeyDown:
      platform_.ControlVideo(ui::gadget::kVideo, platform::VideoCommand::Seek, -kLongSeek);
      break;
    case platform::kKeyEscape:
    case platform::kKeyBackspace:
      StopFilm();
      break;
    default:
      break;
  }
}

// A random film of the list that has not been seen.
void PlayPageController::PickRandomFilm() {
  std::vector<int32_t> unseen;
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].lastSeen.empty()) unseen.push_back(static_cast<int32_t>(i));
  }
  if (unseen.empty()) {
    ShowStatus(text::kNoUnseenFilm);
    return;
  }
  std::uniform_int_distribution<size_t> pick(0, unseen.size() - 1);
  ShowStatus("");
  Select(unseen[pick(random_)]);
}

void PlayPageController::ToggleSeen() {
  const PlayRow* film = Selected();
  collection::FilmStore* store = listPage_.Collection();
  if (!film || !store) return;
  collection::ChangeResult marked = store->MarkSeen(film->id, film->lastSeen.empty());
  if (!marked.Ok()) ShowUserMessage(platform_, UserMessage::Error(marked.message));
  ShowStatus("");
  Refill();
}

bool PlayPageController::HandleGadget(const platform::Event& event) {
  const platform::GadgetId gadget = event.Gadget();
  if (gadget == ui::gadget::kVideo) {
    if (event.type == platform::kGadgetVideoEnded) StopFilm();
    if (event.type > platform::kGadgetPlayerKey)
      HandlePlayerKey(event.type - platform::kGadgetPlayerKey);
    return true;
  }
  // While a film plays only the back button and the player are there.
  if (Playing() && gadget != ui::gadget::kBackPlay) return true;
  const bool click = event.type == platform::kGadgetClick;
  switch (platform::Number(gadget)) {
    case Number(ui::gadget::kPlaySearchField):
      if (event.type == platform::kGadgetTextChanged) {
        query_ = platform_.GadgetText(ui::gadget::kPlaySearchField);
        Refill();
      }
      return true;
    case Number(ui::gadget::kPlayList):
      if (event.type == platform::kGadgetSelectionChanged) {
        Select(platform_.ListSelection(ui::gadget::kPlayList));
      }
      return true;
    case Number(ui::gadget::kFilterAll):
      if (click) SetFilter(PlayFilter::All);
      return true;
    case Number(ui::gadget::kFilterUnseen):
      if (click) SetFilter(PlayFilter::Unseen);
      return true;
    case Number(ui::gadget::kFilterStarted):
      if (click) SetFilter(PlayFilter::Started);
      return true;
    case Number(ui::gadget::kPlayFilm):
    case Number(ui::gadget::kPlayFromStart):
      if (click) Play(gadget == ui::gadget::kPlayFromStart);
      return true;
    case Number(ui::gadget::kRandomFilm):
      if (click) PickRandomFilm();
      return true;
    case Number(ui::gadget::kMarkSeen):
      if (click) ToggleSeen();
      return true;
    case Number(ui::gadget::kPlayCover):
      if (click) Play(false);
      return true;
    default:
      return false;
  }
}

bool PlayPageController::HandleMenu(int32_t entry) {
  if (Playing()) return entry != ui::menu::kQuit;  // the tray's Beenden still quits
  if (entry != ui::menu::kPreviousFilm && entry != ui::menu::kNextFilm) return false;
  if (rows_.empty()) return true;
  const int32_t selected = platform_.ListSelection(ui::gadget::kPlayList);
  const int32_t step = entry == ui::menu::kNextFilm ? 1 : -1;
  Select(std::clamp(selected < 0 ? 0 : selected + step, 0, static_cast<int32_t>(rows_.size()) - 1));
  return true;
}

}  // namespace zelluo::core
