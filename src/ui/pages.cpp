#include "ui/pages.h"

#include <array>
#include <cmath>

#include "assets/colours.h"
#include "assets/image_numbers.h"
#include "texts/texts.h"
#include "ui/gadgets.h"

namespace zelluo::ui {
namespace {

struct FontEntry {
  int32_t points;
  int32_t weight;
  bool underline;
};

// Fonts 0 to 6, all "Arial".
constexpr std::string_view kFontFace = "Arial";
constexpr std::array<FontEntry, 7> kFonts = {{
    {14, 700, false},
    {14, 400, false},
    {12, 700, false},  // headings
    {12, 400, false},  // body text
    {10, 700, false},
    {10, 400, false},
    {10, 400, true},
}};

struct PageEntry {
  Page page;
  std::string_view id;
  platform::GadgetId icon;     // on the Main page; 0 for the Main page itself
  platform::GadgetId caption;  // under the icon
  std::string_view captionText;
  platform::GadgetId backButton;  // 0 for the Main page
};

// In the order in which the start page is compared and the sub-pages are built.
constexpr std::array<PageEntry, 7> kPages = {{
    {Page::Main, "Main", platform::GadgetId{}, platform::GadgetId{}, "", platform::GadgetId{}},
    {Page::Play, "Play", gadget::kIconPlay, gadget::kCaptionPlay, text::kCaptionPlay,
     gadget::kBackPlay},
    {Page::List, "List", gadget::kIconList, gadget::kCaptionList, text::kCaptionList,
     gadget::kBackList},
    {Page::Options, "Options", gadget::kIconOptions, gadget::kCaptionOptions, text::kCaptionOptions,
     gadget::kBackOptions},
    {Page::Update, "Update", gadget::kIconUpdate, gadget::kCaptionUpdate, text::kCaptionUpdate,
     gadget::kBackUpdate},
    {Page::About, "About", gadget::kIconAbout, gadget::kCaptionAbout, text::kCaptionAbout,
     gadget::kBackAbout},
    // Never a start page, and not built with the others.
    {Page::Stats, "", platform::GadgetId{}, platform::GadgetId{}, "", gadget::kBackStatistics},
}};

const PageEntry& EntryOf(Page page) { return kPages[static_cast<size_t>(page)]; }

const PageEntry* EntryWith(platform::GadgetId PageEntry::*member, platform::GadgetId value) {
  for (const PageEntry& entry : kPages) {
    if (value != platform::GadgetId{} && entry.*member == value) return &entry;
  }
  return nullptr;
}

struct HoverPair {
  platform::GadgetId gadget;
  platform::ImageId normal;
  platform::ImageId hover;
};

// Navigation icons with their pictures; the caption is Main page's table above.
constexpr std::array<HoverPair, 5> kIconHover = {{
    {gadget::kIconPlay, assets::image::kPlay, assets::image::kPlayHover},
    {gadget::kIconList, assets::image::kList, assets::image::kListHover},
    {gadget::kIconOptions, assets::image::kOptions, assets::image::kOptionsHover},
    {gadget::kIconUpdate, assets::image::kUpdate, assets::image::kUpdateHover},
    {gadget::kIconAbout, assets::image::kAbout, assets::image::kAboutHover},
}};

// Buttons that change their picture under the mouse whenever they exist.
constexpr std::array<HoverPair, 7> kButtonHover = {{
    {gadget::kClose, assets::image::kClose, assets::image::kCloseHover},
    {gadget::kBackPlay, assets::image::kBack, assets::image::kBackHover},
    {gadget::kBackList, assets::image::kBack, assets::image::kBackHover},
    {gadget::kBackOptions, assets::image::kBack, assets::image::kBackHover},
    {gadget::kBackUpdate, assets::image::kBack, assets::image::kBackHover},
    {gadget::kBackAbout, assets::image::kBack, assets::image::kBackHover},
    {gadget::kBackStatistics, assets::image::kBack, assets::image::kBackHover},
}};

constexpr OptionPair OptionRow(int32_t row, std::string_view text,
                               int32_t settings::SettingsRecord::*field) {
  return {gadget::OptionLabel(row), gadget::OptionOnSwitch(row), gadget::OptionOffSwitch(row), text,
          field};
}

constexpr std::array<OptionPair, 6> kOptionPairs = {{
    OptionRow(1, text::kOptionStartTray, &settings::SettingsRecord::StartTray),
    OptionRow(2, text::kOptionStartMinimize, &settings::SettingsRecord::StartMinimize),
    OptionRow(3, text::kOptionAutoUpdate, &settings::SettingsRecord::AutoUpdate),
    OptionRow(4, text::kOptionLog, &settings::SettingsRecord::Log),
    OptionRow(5, text::kOptionFadeout, &settings::SettingsRecord::Fadeout),
    OptionRow(6, text::kOptionSound, &settings::SettingsRecord::Sound),
}};

const platform::Rect kBackButtonRect{40, 50, 50, 50};

GadgetEntry ImageGadget(platform::GadgetId number, platform::Rect rect, platform::ImageId picture) {
  return GadgetEntry{number, GadgetType::Image, rect, picture, {}, font::kDefault};
}

GadgetEntry TextGadget(platform::GadgetId number, platform::Rect rect, std::string_view text,
                       platform::FontId font) {
  return GadgetEntry{number, GadgetType::Text, rect, platform::kNoImage, std::string(text), font};
}

std::vector<GadgetEntry> MainPage() {
  std::vector<GadgetEntry> gadgets = {
      TextGadget(gadget::kMainPlaceholder, kBackButtonRect, "", font::kDefault)};
  for (size_t i = 0; i < kIconHover.size(); ++i) {
    int32_t x = 160 + 200 * static_cast<int32_t>(i);
    gadgets.push_back(ImageGadget(kIconHover[i].gadget, {x, 400, 128, 128}, kIconHover[i].normal));
  }
  gadgets.push_back(GadgetEntry{gadget::kInformation,
                                GadgetType::Button,
                                {520, 900, 200, 20},
                                platform::kNoImage,
                                std::string(text::kInformationButton),
                                font::kDefault});
  return gadgets;
}

// The film list's columns; together with the scroll bar they fill its width.
const std::array kFilmListColumns = {
    std::pair{text::kColumnTitle, 640},
    std::pair{text::kColumnYear, 110},
    std::pair{text::kColumnRunningTime, 130},
    std::pair{text::kColumnCountry, 270},
};

// The Play page's columns, as wide together as the film list's.
const std::array kPlayListColumns = {
    std::pair{text::kColumnTitle, 560},       std::pair{text::kColumnYear, 90},
    std::pair{text::kColumnRunningTime, 110}, std::pair{text::kColumnSeen, 170},
    std::pair{text::kColumnProgress, 220},
};

// The Update page's lists.
const std::array kFolderListColumns = {std::pair{text::kColumnFolder, 880}};
const std::array kFindingListColumns = {
    std::pair{text::kColumnChecked, 40}, std::pair{text::kColumnKind, 130},
    std::pair{text::kColumnTitle, 420},  std::pair{text::kColumnYear, 70},
    std::pair{text::kColumnFile, 490},
};

GadgetEntry Field(platform::GadgetId number, platform::Rect rect,
                  GadgetType type = GadgetType::Field) {
  return GadgetEntry{number, type, rect, platform::kNoImage, {}, font::kBody};
}

GadgetEntry Button(platform::GadgetId number, platform::Rect rect, std::string_view text) {
  return GadgetEntry{number,        GadgetType::Button, rect, platform::kNoImage, std::string(text),
                     font::kDefault};
}

std::vector<GadgetEntry> ListPage() {
  const platform::FontId heading = font::kHeading;
  return {
      ImageGadget(gadget::kBackList, kBackButtonRect, assets::image::kBack),
      ImageGadget(gadget::kCover, {40, 120, 360, 450}, assets::image::kCoverPlaceholder),
      TextGadget(gadget::kTitleHeading, {410, 120, 800, 18}, text::kFilmTitle, heading),
      ImageGadget(gadget::kTitleLine, {410, 138, 800, 2}, assets::image::kLongUnderline),
      TextGadget(gadget::kActorsHeading, {410, 200, 800, 18}, text::kActors, heading),
      ImageGadget(gadget::kActorsLine, {410, 218, 800, 2}, assets::image::kLongUnderline),
      TextGadget(gadget::kYearHeading, {410, 280, 260, 18}, text::kReleaseYear, heading),
      ImageGadget(gadget::kYearLine, {410, 298, 260, 2}, assets::image::kShortUnderline),
      TextGadget(gadget::kRunningTimeHeading, {680, 280, 260, 18}, text::kRunningTime, heading),
      ImageGadget(gadget::kRunningTimeLine, {680, 298, 260, 2}, assets::image::kShortUnderline),
      TextGadget(gadget::kCountryHeading, {950, 280, 260, 18}, text::kCountryOfProduction, heading),
      ImageGadget(gadget::kCountryLine, {950, 298, 260, 2}, assets::image::kShortUnderline),
      TextGadget(gadget::kPlotHeading, {410, 360, 800, 18}, text::kPlot, heading),
      ImageGadget(gadget::kPlotLine, {410, 378, 800, 2}, assets::image::kLongUnderline),
      // The film under the headings.
      Field(gadget::kTitleField, {410, 144, 800, 26}),
      Field(gadget::kActorsField, {410, 222, 800, 54}, GadgetType::MultiLineField),
      Field(gadget::kYearField, {410, 302, 260, 26}),
      Field(gadget::kRunningTimeField, {680, 302, 260, 26}),
      Field(gadget::kCountryField, {950, 302, 260, 26}),
      Field(gadget::kPlotField, {410, 382, 800, 188}, GadgetType::MultiLineField),
      // Search, buttons and the list below the cover.
      TextGadget(gadget::kSearchLabel, {40, 596, 70, 20}, text::kSearch, font::kBody),
      Field(gadget::kSearchField, {110, 592, 300, 26}),
      Button(gadget::kNewFilm, {425, 592, 120, 26}, text::kNewFilm),
      Button(gadget::kSaveFilm, {558, 592, 120, 26}, text::kSaveFilm),
      Button(gadget::kDeleteFilm, {691, 592, 120, 26}, text::kDeleteFilm),
      Button(gadget::kChooseCover, {824, 592, 120, 26}, text::kChooseCover),
      Button(gadget::kImportFilms, {957, 592, 120, 26}, text::kImportButton),
      Button(gadget::kExportFilms, {1090, 592, 120, 26}, text::kExportButton),
      GadgetEntry{gadget::kFilmList,
                  GadgetType::List,
                  {40, 630, 1170, 320},
                  platform::kNoImage,
                  {},
                  font::kBody},
      TextGadget(gadget::kExchangeStatus, {40, 956, 1170, 20}, "", font::kBody),
      // Above the form, empty unless the film has a video file.
      TextGadget(gadget::kVideoLine, {410, 84, 760, 20}, "", font::kBody),
      // Above it, empty unless the film is lent; both end left of the close button.
      TextGadget(gadget::kLoanLine, {410, 62, 760, 20}, "", font::kBody),
  };
}

std::vector<GadgetEntry> PlayPage() {
  return {
      ImageGadget(gadget::kBackPlay, kBackButtonRect, assets::image::kBack),
      ImageGadget(gadget::kPlayCover, {40, 120, 360, 450}, assets::image::kCoverPlaceholder),
      Button(gadget::kFilterAll, {410, 120, 120, 26}, text::kFilterAll),
      Button(gadget::kFilterUnseen, {543, 120, 120, 26}, text::kFilterUnseen),
      Button(gadget::kFilterStarted, {676, 120, 120, 26}, text::kFilterStarted),
      TextGadget(gadget::kPlayTitle, {410, 180, 800, 18}, "", font::kHeading),
      TextGadget(gadget::kPlayDetails, {410, 204, 800, 20}, "", font::kBody),
      Button(gadget::kPlayFilm, {410, 544, 150, 26}, text::kPlayFilm),
      Button(gadget::kPlayFromStart, {573, 544, 150, 26}, text::kPlayFromStart),
      Button(gadget::kRandomFilm, {736, 544, 150, 26}, text::kRandomFilm),
      Button(gadget::kMarkSeen, {899, 544, 220, 26}, text::kMarkSeen),
      TextGadget(gadget::kPlaySearchLabel, {40, 596, 70, 20}, text::kSearch, font::kBody),
      Field(gadget::kPlaySearchField, {110, 592, 300, 26}),
      GadgetEntry{gadget::kPlayList,
                  GadgetType::List,
                  {40, 630, 1170, 320},
                  platform::kNoImage,
                  {},
                  font::kBody},
      TextGadget(gadget::kPlayStatus, {40, 956, 1170, 20}, "", font::kBody),
      // At the right end of the filter buttons' row.
      Button(gadget::kStatistics, {1090, 120, 120, 26}, text::kStatisticsButton),
  };
}

// Five tiles in a row, then the charts: genres and directors, countries and
// decades side by side, the growth over the whole width.
std::vector<GadgetEntry> StatisticsPage() {
  std::vector<GadgetEntry> gadgets = {
      ImageGadget(gadget::kBackStatistics, kBackButtonRect, assets::image::kBack),
      TextGadget(gadget::kStatisticsHeading, {110, 66, 600, 18}, text::kStatisticsHeading,
                 font::kHeading),
  };
  const std::string_view captions[] = {text::kTileFilms, text::kTileRunningTime, text::kTileSeen,
                                       text::kTileLent, text::kTileOverdue};
  for (int32_t tile = 0; tile < gadget::kTiles; ++tile) {
    const int32_t x = 40 + 236 * tile;
    gadgets.push_back(TextGadget(gadget::TileFigure(tile), {x, 120, 220, 24}, "", font::kLarge));
    gadgets.push_back(
        TextGadget(gadget::TileCaption(tile), {x, 146, 220, 20}, captions[tile], font::kBody));
  }
  const std::string_view headings[] = {text::kChartGenres, text::kChartDirectors,
                                       text::kChartCountries, text::kChartDecades,
                                       text::kChartGrowth};
  const platform::Rect places[] = {{40, 216, 560, 220},
                                   {650, 216, 560, 220},
                                   {40, 476, 560, 220},
                                   {650, 476, 560, 220},
                                   {40, 742, 1170, 220}};
  for (int32_t chart = 0; chart < gadget::kCharts; ++chart) {
    const platform::Rect& place = places[chart];
    gadgets.push_back(TextGadget(gadget::ChartHeading(chart),
                                 {place.x, place.y - 26, place.width, 18}, headings[chart],
                                 font::kHeading));
    gadgets.push_back(ImageGadget(gadget::ChartLine(chart), {place.x, place.y - 8, 260, 2},
                                  assets::image::kShortUnderline));
    gadgets.push_back(GadgetEntry{
        gadget::ChartOf(chart), GadgetType::Chart, place, platform::kNoImage, {}, font::kBody});
  }
  return gadgets;
}

GadgetEntry List(platform::GadgetId number, platform::Rect rect) {
  return GadgetEntry{number, GadgetType::List, rect, platform::kNoImage, {}, font::kBody};
}

std::vector<GadgetEntry> UpdatePage() {
  return {
      ImageGadget(gadget::kBackUpdate, kBackButtonRect, assets::image::kBack),
      TextGadget(gadget::kFoldersHeading, {40, 120, 900, 18}, text::kFilmFolders, font::kHeading),
      List(gadget::kFolderList, {40, 144, 900, 150}),
      Button(gadget::kAddFolder, {960, 144, 200, 26}, text::kAddFolder),
      Button(gadget::kRemoveFolder, {960, 178, 200, 26}, text::kRemoveFolder),
      Button(gadget::kScanNow, {40, 310, 200, 26}, text::kScanNow),
      Button(gadget::kCancelScan, {253, 310, 120, 26}, text::kCancelScan),
      TextGadget(gadget::kScanProgress, {390, 314, 820, 20}, "", font::kBody),
      TextGadget(gadget::kFindingsHeading, {40, 356, 1170, 18}, text::kFindings, font::kHeading),
      List(gadget::kFindingList, {40, 380, 1170, 520}),
      Button(gadget::kToggleFinding, {40, 912, 200, 26}, text::kToggleFinding),
      Button(gadget::kApplyFindings, {253, 912, 150, 26}, text::kApplyFindings),
  };
}

std::vector<GadgetEntry> OptionsPage(const settings::SettingsRecord& settings) {
  std::vector<GadgetEntry> gadgets = {
      ImageGadget(gadget::kBackOptions, kBackButtonRect, assets::image::kBack),
      TextGadget(gadget::kOptionsHeading, {40, 120, 260, 18}, text::kApplication, font::kHeading),
      ImageGadget(gadget::kOptionsSeparator, {40, 138, 260, 2}, assets::image::kShortUnderline),
  };
  int32_t y = 150;
  for (const OptionPair& row : kOptionPairs) {
    bool on = settings.*row.field == 1;
    gadgets.push_back(TextGadget(row.label, {40, y, 260, 20}, row.text, font::kBody));
    gadgets.push_back(
        ImageGadget(row.onSwitch, {300, y, 24, 24},
                    on ? assets::image::kSwitchOnGreen : assets::image::kSwitchOnGrey));
    gadgets.push_back(
        ImageGadget(row.offSwitch, {330, y, 24, 24},
                    on ? assets::image::kSwitchOffGrey : assets::image::kSwitchOffRed));
    y += 30;
  }
  return gadgets;
}

std::vector<GadgetEntry> AboutPage(const PageContext& pages) {
  std::vector<GadgetEntry> gadgets = {
      ImageGadget(gadget::kBackAbout, kBackButtonRect, assets::image::kBack)};
  struct Section {
    platform::GadgetId heading;
    std::string_view title;
    std::vector<std::string> values;
  };
  const Section sections[] = {
      {gadget::kAboutNameHeading, text::kApplication, {pages.settings.Name}},
      {gadget::kAboutVersionHeading, text::kVersion, {pages.settings.Version}},
      {gadget::kAboutSizeHeading,
       text::kSize,
       {std::to_string(pages.programSizeKb) + std::string(text::kKilobytes)}},
      {gadget::kAboutAuthorHeading, text::kProgramming, {std::string(pages.author)}},
      {gadget::kAboutThanksHeading,
       text::kThanks,
       {std::string(text::kThanks1), std::string(text::kThanks2), std::string(text::kThanks3)}},
  };
  // Five sections 80 pixels apart: heading, underline, then the value lines.
  int32_t y = 120;
  for (const Section& section : sections) {
    gadgets.push_back(
        TextGadget(section.heading, {100, y, 880, 18}, section.title, font::kHeading));
    gadgets.push_back(ImageGadget(gadget::AboutLine(section.heading, 1), {100, y + 18, 880, 2},
                                  assets::image::kShortUnderline));
    int32_t line = 2;
    for (const std::string& value : section.values) {
      gadgets.push_back(TextGadget(gadget::AboutLine(section.heading, line),
                                   {100, y + 20 * line - 20, 880, 20}, value, font::kBody));
      ++line;
    }
    y += 80;
  }
  return gadgets;
}

// Texts, fields and lists take the page's fonts and colours.
bool IsText(const GadgetEntry& entry) {
  return entry.type != GadgetType::Image && entry.type != GadgetType::Button &&
         entry.type != GadgetType::Chart;
}

template <size_t N>
std::vector<platform::ListColumn> ColumnsOf(
    const std::array<std::pair<std::string_view, int>, N>& table) {
  std::vector<platform::ListColumn> columns;
  for (const auto& [title, width] : table) {
    columns.push_back(platform::ListColumn{std::string(title), width, platform::TextAlign::Left});
  }
  return columns;
}

void CreateGadget(platform::Platform& platform, const GadgetEntry& entry,
                  const PageContext* pages = nullptr) {
  switch (entry.type) {
    case GadgetType::Field:
      platform.CreateTextField(entry.number, entry.rect, platform::TextFieldKind::SingleLine);
      break;
    case GadgetType::MultiLineField:
      platform.CreateTextField(entry.number, entry.rect, platform::TextFieldKind::MultiLine);
      break;
    case GadgetType::List: {
      if (entry.number == gadget::kPlayList) {
        platform.CreateListGadget(entry.number, entry.rect, ColumnsOf(kPlayListColumns),
                                  pages ? pages->playRows : platform::ListRowSource{});
      } else if (entry.number == gadget::kFolderList) {
        platform.CreateListGadget(entry.number, entry.rect, ColumnsOf(kFolderListColumns),
                                  pages ? pages->folderRows : platform::ListRowSource{});
      } else if (entry.number == gadget::kFindingList) {
        platform.CreateListGadget(entry.number, entry.rect, ColumnsOf(kFindingListColumns),
                                  pages ? pages->findingRows : platform::ListRowSource{});
      } else {
        platform.CreateListGadget(entry.number, entry.rect, ColumnsOf(kFilmListColumns),
                                  pages ? pages->filmRows : platform::ListRowSource{});
      }
      break;
    }
    case GadgetType::Image:
      platform.CreateImageGadget(entry.number, entry.rect, entry.image);
      break;
    case GadgetType::Text:
      platform.CreateTextGadget(entry.number, entry.rect, entry.text, platform::TextAlign::Left);
      break;
    case GadgetType::CentredText:
      platform.CreateTextGadget(entry.number, entry.rect, entry.text, platform::TextAlign::Centre);
      break;
    case GadgetType::Button:
      platform.CreateButtonGadget(entry.number, entry.rect, entry.text);
      break;
    case GadgetType::Chart:
      platform.CreateChartGadget(entry.number, entry.rect,
                                 PageChart(entry.number == gadget::ChartOf(gadget::kCharts - 1)
                                               ? platform::ChartShape::Columns
                                               : platform::ChartShape::Rows));
      break;
  }
}

void SetPageColours(platform::Platform& platform, platform::GadgetId number) {
  platform.SetGadgetFrontColour(number, assets::kTextColour);
  platform.SetGadgetBackColour(number, assets::kTextBackColour);
}

// Creates the gadgets in order, then gives the headings and then the body
// texts their fonts, then every text gadget its colours.
void CreateGadgets(platform::Platform& platform, const std::vector<GadgetEntry>& gadgets,
                   const PageContext* pages = nullptr) {
  for (const GadgetEntry& entry : gadgets) CreateGadget(platform, entry, pages);
  for (platform::FontId font : {font::kLarge, font::kHeading, font::kBody}) {
    for (const GadgetEntry& entry : gadgets) {
      if (IsText(entry) && entry.font == font) platform.SetGadgetFont(entry.number, font);
    }
  }
  for (const GadgetEntry& entry : gadgets) {
    if (IsText(entry)) SetPageColours(platform, entry.number);
  }
}

void BuildNavigationCaption(platform::Platform& platform, const PageEntry& entry) {
  int32_t x = 125 + 200 * (Number(entry.icon) - Number(gadget::kIconPlay));
  GadgetEntry caption{entry.caption,      GadgetType::CentredText,        {x, 560, 200, 20},
                      platform::kNoImage, std::string(entry.captionText), font::kHeading};
  CreateGadgets(platform, {caption});
  platform.ShowGadget(entry.caption);
  platform.HideGadget(entry.caption);
}

bool Inside(const std::optional<platform::Rect>& rect, int32_t x, int32_t y) {
  if (!rect || x == -1 || y == -1) return false;
  return rect->x <= x && x < rect->x + rect->width && rect->y <= y && y < rect->y + rect->height;
}

}  // namespace

std::string_view PageId(Page page) { return EntryOf(page).id; }

std::optional<Page> PageFromId(std::string_view id) {
  for (const PageEntry& entry : kPages) {
    if (!entry.id.empty() && entry.id == id) return entry.page;
  }
  return std::nullopt;
}

std::vector<GadgetEntry> PageGadgets(const PageContext& pages, Page page) {
  switch (page) {
    case Page::Main:
      return MainPage();
    case Page::List:
      return ListPage();
    case Page::Options:
      return OptionsPage(pages.settings);
    case Page::About:
      return AboutPage(pages);
    case Page::Play:
      return PlayPage();
    case Page::Update:
      return UpdatePage();
    case Page::Stats:
      return StatisticsPage();
  }
  return {};
}

const OptionPair* FindOptionPair(platform::GadgetId gadget) {
  for (const OptionPair& row : kOptionPairs) {
    if (row.onSwitch == gadget || row.offSwitch == gadget) return &row;
  }
  return nullptr;
}

void ShowOptionLook(platform::Platform& platform, const OptionPair& row, bool on) {
  platform.SetGadgetImage(row.onSwitch,
                          on ? assets::image::kSwitchOnGreen : assets::image::kSwitchOnGrey);
  platform.SetGadgetImage(row.offSwitch,
                          on ? assets::image::kSwitchOffGrey : assets::image::kSwitchOffRed);
}

void LoadFonts(platform::Platform& platform) {
  int32_t dpi = platform.VerticalDpi();
  for (size_t number = 0; number < kFonts.size(); ++number) {
    const FontEntry& entry = kFonts[number];
    // A character height of points x dpi / 72 pixels, rounded.
    auto height = static_cast<int32_t>(std::lround(entry.points * dpi / 72.0));
    platform.LoadFont(platform::FontId{static_cast<int32_t>(number)}, kFontFace, height,
                      entry.weight, entry.underline);
  }
}

void BuildWindowFrame(platform::Platform& platform) {
  const GadgetEntry frame[] = {
      ImageGadget(gadget::kFrameTop, {0, 0, 1280, 50}, assets::image::kFrameTop),
      ImageGadget(gadget::kFrameRight, {1240, 50, 40, 934}, assets::image::kFrameRight),
      ImageGadget(gadget::kFrameBottom, {0, 984, 1280, 40}, assets::image::kFrameBottom),
      ImageGadget(gadget::kFrameLeft, {0, 50, 40, 934}, assets::image::kFrameLeft),
  };
  for (const GadgetEntry& entry : frame) CreateGadget(platform, entry);
}

void BuildCloseButton(platform::Platform& platform) {
  CreateGadget(platform, ImageGadget(gadget::kClose, {1180, 50, 50, 50}, assets::image::kClose));
}

void BuildPage(const PageContext& pages, Page page) {
  CreateGadgets(pages.platform, PageGadgets(pages, page), &pages);
}

void ShowPage(const PageContext& pages, Page page) {
  for (const GadgetEntry& entry : PageGadgets(pages, page)) pages.platform.ShowGadget(entry.number);
}

void HidePage(const PageContext& pages, Page page) {
  for (const GadgetEntry& entry : PageGadgets(pages, page)) pages.platform.HideGadget(entry.number);
}

void BuildMainPage(const PageContext& pages) { BuildPage(pages, Page::Main); }

void FreeMainPage(platform::Platform& platform) {
  for (const GadgetEntry& entry : MainPage()) platform.FreeGadget(entry.number);
}

void HideAllNavigationCaptions(platform::Platform& platform) {
  for (const PageEntry& entry : kPages) {
    if (entry.caption != platform::GadgetId{}) platform.HideGadget(entry.caption);
  }
}

void BuildPages(const PageContext& pages) {
  for (const PageEntry& entry : kPages) {
    if (entry.caption != platform::GadgetId{}) BuildNavigationCaption(pages.platform, entry);
  }
  for (const PageEntry& entry : kPages) {
    if (entry.page == Page::Stats) continue;
    BuildPage(pages, entry.page);
    HidePage(pages, entry.page);
  }
}

void BuildStatisticsPage(const PageContext& pages) { BuildPage(pages, Page::Stats); }

void FreeStatisticsPage(platform::Platform& platform) {
  for (const GadgetEntry& entry : StatisticsPage()) platform.FreeGadget(entry.number);
}

platform::Chart PageChart(platform::ChartShape shape) {
  return platform::Chart{shape,
                         {},
                         font::kBody,
                         assets::kTextColour,
                         assets::kTextBackColour,
                         assets::kChartBarColour};
}

std::optional<Page> PageOfIcon(platform::GadgetId icon) {
  const PageEntry* entry = EntryWith(&PageEntry::icon, icon);
  if (entry == nullptr) return std::nullopt;
  return entry->page;
}

std::optional<Page> PageOfBackButton(platform::GadgetId backButton) {
  const PageEntry* entry = EntryWith(&PageEntry::backButton, backButton);
  if (entry == nullptr) return std::nullopt;
  return entry->page;
}

platform::GadgetId BackButtonOf(Page page) { return EntryOf(page).backButton; }

void UpdateHover(platform::Platform& platform, int32_t x, int32_t y) {
  bool mainPageBuilt = true;
  for (const HoverPair& icon : kIconHover)
    mainPageBuilt = mainPageBuilt && platform.GadgetExists(icon.gadget);
  if (mainPageBuilt) {
    for (const HoverPair& icon : kIconHover) {
      bool over = Inside(platform.GadgetRect(icon.gadget), x, y);
      platform::GadgetId caption = EntryWith(&PageEntry::icon, icon.gadget)->caption;
      platform.SetGadgetImage(icon.gadget, over ? icon.hover : icon.normal);
      if (over) {
        platform.ShowGadget(caption);
      } else {
        platform.HideGadget(caption);
      }
    }
  }
  for (const HoverPair& button : kButtonHover) {
    if (!platform.GadgetExists(button.gadget)) continue;
    bool over = Inside(platform.GadgetRect(button.gadget), x, y);
    platform.SetGadgetImage(button.gadget, over ? button.hover : button.normal);
  }
}

}  // namespace zelluo::ui
