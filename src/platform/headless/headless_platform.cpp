#include "platform/headless/headless_platform.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>
#include <utility>

#include "platform/chart_layout.h"

namespace zelluo::platform {
namespace {

std::string Quote(std::string_view text) {
  std::string quoted = "\"";
  for (char c : text) {
    switch (c) {
      case '\n':
        quoted += "\\n";
        break;
      case '\r':
        quoted += "\\r";
        break;
      case '\t':
        quoted += "\\t";
        break;
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      default:
        quoted += c;
    }
  }
  return quoted + "\"";
}

std::string Describe(const Rect& r) {
  std::ostringstream out;
  out << r.x << "," << r.y << "," << r.width << "," << r.height;
  return out.str();
}

}  // namespace

HeadlessPlatform::HeadlessPlatform(std::string root) : root_(std::move(root)) {}

std::string HeadlessPlatform::Resolve(std::string_view path) const {
  // Absolute paths stay as they are: "/srv/x", and on Windows "C:\x" too.
  if (path.empty() || std::filesystem::path(path).has_root_path()) return std::string(path);
  return root_ + "/" + std::string(path);
}

std::vector<std::string> HeadlessPlatform::TraceOf(std::string_view prefix) const {
  std::vector<std::string> lines;
  for (const auto& line : trace) {
    if (line.starts_with(prefix)) lines.push_back(line);
  }
  return lines;
}

void HeadlessPlatform::Record(std::string line) { trace.push_back(std::move(line)); }

HeadlessGadget* HeadlessPlatform::Find(GadgetId gadget) { return desktop.gadgets.Find(gadget); }

void HeadlessPlatform::CreateGadget(GadgetId gadget, HeadlessGadget model) {
  if (!window.open) return;
  desktop.gadgets.Create(gadget, std::move(model));
}

Size HeadlessPlatform::PrimaryDisplaySize() {
  Record("PrimaryDisplaySize " + std::to_string(display.width) + "x" +
         std::to_string(display.height));
  return display;
}

int32_t HeadlessPlatform::VerticalDpi() { return dpi; }

bool HeadlessPlatform::OpenWindow(const WindowRequest& request) {
  Record("OpenWindow " + Quote(request.title) + " " + Describe(request.clientRect) +
         (request.minimised ? " minimised" : ""));
  window = HeadlessWindow{};
  window.open = true;
  window.request = request;
  window.rect = request.clientRect;
  window.visible = true;
  window.state =
      request.minimised ? HeadlessWindow::State::Minimised : HeadlessWindow::State::Normal;
  return true;
}

void HeadlessPlatform::SetWindowRegion(int32_t width, int32_t height, int32_t cornerWidth,
                                       int32_t cornerHeight) {
  Record("SetWindowRegion " + std::to_string(width) + "," + std::to_string(height) + "," +
         std::to_string(cornerWidth) + "," + std::to_string(cornerHeight));
  if (window.open) window.region = Size{width, height};
}

void HeadlessPlatform::ShowWindow(WindowShow how) {
  static constexpr const char* kNames[] = {"Show", "Hide", "Restore"};
  Record(std::string("ShowWindow ") + kNames[static_cast<int>(how)]);
  if (!window.open) return;
  switch (how) {
    case WindowShow::Show:
      window.visible = true;
      break;
    case WindowShow::Hide:
      window.visible = false;
      break;
    case WindowShow::Restore:
      window.visible = true;
      window.state = HeadlessWindow::State::Normal;
      break;
  }
}

std::optional<Rect> HeadlessPlatform::WindowRect() {
  if (!window.open) return std::nullopt;
  return window.rect;
}

void HeadlessPlatform::MoveResizeWindow(const Rect& rect) {
  Record("MoveResizeWindow " + Describe(rect));
  if (window.open) window.rect = rect;
}

void HeadlessPlatform::SetWindowOpacity(int32_t alpha) {
  Record("SetWindowOpacity " + std::to_string(alpha));
  if (window.open) window.opacity = alpha;
}

void HeadlessPlatform::DragWindow() { Record("DragWindow"); }

void HeadlessPlatform::DestroyWindow() {
  Record("DestroyWindow");
  if (!window.open) return;
  window.open = false;
  window.visible = false;
  desktop.gadgets.Clear();
  desktop.shortcuts.Clear();
  focus = kNoGadget;
}

bool HeadlessPlatform::LoadImage(ImageId image, const PixelImage& pixels) {
  Record("LoadImage " + std::to_string(Number(image)) + " " + std::to_string(pixels.width) + "x" +
         std::to_string(pixels.height));
  images[image] = pixels;
  return true;
}

void HeadlessPlatform::FreeAllImages() {
  Record("FreeAllImages");
  images.clear();
}

void HeadlessPlatform::CreateImageGadget(GadgetId gadget, const Rect& rect, ImageId image) {
  Record("CreateImageGadget " + std::to_string(Number(gadget)) + " " + Describe(rect) + " image " +
         std::to_string(Number(image)));
  HeadlessGadget model(ControlKind::Image);
  model.rect = rect;
  if (auto it = images.find(image); it != images.end()) {
    model.image = image;
    model.rect.width = it->second.width;
    model.rect.height = it->second.height;
  }
  CreateGadget(gadget, std::move(model));
}

void HeadlessPlatform::CreateTextGadget(GadgetId gadget, const Rect& rect, std::string_view text,
                                        TextAlign align) {
  Record("CreateTextGadget " + std::to_string(Number(gadget)) + " " + Describe(rect) + " " +
         Quote(text) + (align == TextAlign::Centre ? " centred" : ""));
  HeadlessGadget model(ControlKind::Text);
  model.rect = rect;
  model.text = std::string(text);
  model.align = align;
  CreateGadget(gadget, std::move(model));
}

void HeadlessPlatform::CreateButtonGadget(GadgetId gadget, const Rect& rect,
                                          std::string_view text) {
  Record("CreateButtonGadget " + std::to_string(Number(gadget)) + " " + Describe(rect) + " " +
         Quote(text));
  HeadlessGadget model(ControlKind::Button);
  model.rect = rect;
  model.text = std::string(text);
  CreateGadget(gadget, std::move(model));
}

void HeadlessPlatform::SetGadgetImage(GadgetId gadget, ImageId image) {
  Record("SetGadgetImage " + std::to_string(Number(gadget)) + " " + std::to_string(Number(image)));
  HeadlessGadget* model = Find(gadget);
  if (model == nullptr || model->Kind() != ControlKind::Image) return;
  if (auto it = images.find(image); it != images.end()) {
    model->image = image;
    model->rect.width = it->second.width;
    model->rect.height = it->second.height;
  } else {
    model->image = kNoImage;
  }
}

void HeadlessPlatform::SetGadgetFont(GadgetId gadget, FontId font) {
  Record("SetGadgetFont " + std::to_string(Number(gadget)) + " " + std::to_string(Number(font)));
  if (HeadlessGadget* model = Find(gadget)) model->font = font;
}

void HeadlessPlatform::SetGadgetFrontColour(GadgetId gadget, Rgb colour) {
  Record("SetGadgetFrontColour " + std::to_string(Number(gadget)) + " " + std::to_string(colour));
  if (HeadlessGadget* model = Find(gadget)) model->front = colour;
}

void HeadlessPlatform::SetGadgetBackColour(GadgetId gadget, Rgb colour) {
  Record("SetGadgetBackColour " + std::to_string(Number(gadget)) + " " + std::to_string(colour));
  if (HeadlessGadget* model = Find(gadget)) model->back = colour;
}

void HeadlessPlatform::ShowGadget(GadgetId gadget) {
  Record("ShowGadget " + std::to_string(Number(gadget)));
  if (HeadlessGadget* model = Find(gadget)) model->shown = true;
}

void HeadlessPlatform::HideGadget(GadgetId gadget) {
  Record("HideGadget " + std::to_string(Number(gadget)));
  if (HeadlessGadget* model = Find(gadget)) model->shown = false;
}

void HeadlessPlatform::FreeGadget(GadgetId gadget) {
  Record("FreeGadget " + std::to_string(Number(gadget)));
  desktop.gadgets.Erase(gadget);
}

bool HeadlessPlatform::GadgetExists(GadgetId gadget) { return Find(gadget) != nullptr; }

void HeadlessPlatform::CreateTextField(GadgetId gadget, const Rect& rect, TextFieldKind kind) {
  Record("CreateTextField " + std::to_string(Number(gadget)) + " " + Describe(rect) +
         (kind == TextFieldKind::MultiLine ? " multi-line" : ""));
  HeadlessGadget model(FieldControlKind(kind));
  model.rect = rect;
  CreateGadget(gadget, std::move(model));
}

void HeadlessPlatform::SetGadgetText(GadgetId gadget, std::string_view text) {
  Record("SetGadgetText " + std::to_string(Number(gadget)) + " " + Quote(text));
  HeadlessGadget* model = Find(gadget);
  if (model != nullptr && (IsTextField(model->Kind()) || model->Kind() == ControlKind::Text)) {
    model->text = std::string(text);
    model->selectedFrom.reset();
  }
}

void HeadlessPlatform::SelectFieldText(GadgetId gadget, size_t from) {
  Record("SelectFieldText " + std::to_string(Number(gadget)) + " " + std::to_string(from));
  HeadlessGadget* model = Find(gadget);
  if (model != nullptr && model->Kind() == ControlKind::SingleLineField) {
    model->selectedFrom = std::min(from, model->text.size());
  }
}

std::string HeadlessPlatform::GadgetText(GadgetId gadget) {
  HeadlessGadget* model = Find(gadget);
  if (model == nullptr || (!IsTextField(model->Kind()) && model->Kind() != ControlKind::Text)) {
    return {};
  }
  return model->text;
}

void HeadlessPlatform::CreateListGadget(GadgetId gadget, const Rect& rect,
                                        const std::vector<ListColumn>& columns,
                                        ListRowSource rows) {
  std::string titles;
  for (const ListColumn& column : columns) titles += " " + Quote(column.title);
  Record("CreateListGadget " + std::to_string(Number(gadget)) + " " + Describe(rect) + titles);
  HeadlessGadget model(ControlKind::List);
  model.rect = rect;
  model.columns = columns;
  model.rows = std::move(rows);
  CreateGadget(gadget, std::move(model));
}

void HeadlessPlatform::SetListRowCount(GadgetId gadget, int32_t count) {
  Record("SetListRowCount " + std::to_string(Number(gadget)) + " " + std::to_string(count));
  HeadlessGadget* model = Find(gadget);
  if (model == nullptr || model->Kind() != ControlKind::List) return;
  model->rowCount = std::max(0, count);
  model->selection = -1;
  FetchShownRows(*model);
}

void HeadlessPlatform::SetListSelection(GadgetId gadget, int32_t row) {
  Record("SetListSelection " + std::to_string(Number(gadget)) + " " + std::to_string(row));
  HeadlessGadget* model = Find(gadget);
  if (model == nullptr || model->Kind() != ControlKind::List) return;
  model->selection = row >= 0 && row < model->rowCount ? row : -1;
  FetchShownRows(*model);
}

int32_t HeadlessPlatform::ListSelection(GadgetId gadget) {
  HeadlessGadget* model = Find(gadget);
  return model != nullptr && model->Kind() == ControlKind::List ? model->selection : -1;
}

void HeadlessPlatform::FocusGadget(GadgetId gadget) {
  Record("FocusGadget " + std::to_string(Number(gadget)));
  focus = Find(gadget) != nullptr ? gadget : kNoGadget;
}

GadgetId HeadlessPlatform::FocusedGadget() { return Find(focus) != nullptr ? focus : kNoGadget; }

void HeadlessPlatform::FetchShownRows(HeadlessGadget& list) {
  list.shownRows.clear();
  if (!list.rows) return;
  const int32_t visible = std::max(1, list.rect.height / 20 - 1);
  const int32_t top = std::max(0, list.selection - visible + 1);
  for (int32_t row = top; row < std::min(list.rowCount, top + visible); ++row) {
    list.shownRows.push_back(list.rows(row));
    ++rowsFetched;
  }
}

std::optional<Rect> HeadlessPlatform::GadgetRect(GadgetId gadget) {
  if (HeadlessGadget* model = Find(gadget)) return model->rect;
  return std::nullopt;
}

void HeadlessPlatform::LoadFont(FontId font, std::string_view face, int32_t pixelHeight,
                                int32_t weight, bool underline) {
  Record("LoadFont " + std::to_string(Number(font)) + " " + Quote(face) + " " +
         std::to_string(pixelHeight) + " " + std::to_string(weight) +
         (underline ? " underline" : ""));
  fonts[font] = HeadlessFont{std::string(face), pixelHeight, weight, underline};
}

void HeadlessPlatform::FreeAllFonts() {
  Record("FreeAllFonts");
  fonts.clear();
}

Event HeadlessPlatform::WaitEvent(int32_t timeoutMs) {
  (void)timeoutMs;
  if (events.empty()) {
    if (keepWaiting && keepWaiting()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      return Event{};
    }
    if (++idleWaits_ >= idleWaitLimit) {
      // The script ran dry: ask the program to close, as a user finally would.
      timedOut = true;
      idleWaits_ = 0;
      gadgetsWhenIdle = std::map(desktop.gadgets.All());
      windowWhenIdle = window;
      return Event{EventKind::CloseRequest, 0, 0};
    }
    return Event{};
  }
  idleWaits_ = 0;
  const ScriptedEvent scripted = events.front();
  events.pop_front();
  Event event = scripted.event;
  if (scripted.mouse) mouse = *scripted.mouse;
  if (scripted.key) {
    PressKey(*scripted.key);
    event = desktop.events.Pop().value_or(Event{EventKind::Other, 0, 0});
  }
  if (scripted.videoPosition) {
    event.number = 0;
    HeadlessGadget* video = Find(scripted.event.Gadget());
    if (video != nullptr && video->Kind() == ControlKind::Video) {
      video->videoPosition = std::min(*scripted.videoPosition, videoDuration);
      if (*scripted.videoPosition >= videoDuration) {
        event = Event::OfGadget(scripted.event.Gadget(), kGadgetVideoEnded);
      }
    }
  }
  if (scripted.chartPoint) {
    event = Event{EventKind::Other, 0, 0};
    const HeadlessGadget* chart = Find(scripted.event.Gadget());
    if (chart != nullptr && chart->Kind() == ControlKind::Chart) {
      const int32_t bar = ChartBarAt(chart->chart, {chart->rect.width, chart->rect.height},
                                     ChartLineHeight(chart->chart), *scripted.chartPoint);
      if (bar >= 0) event = Event::OfGadget(scripted.event.Gadget(), kGadgetChartBar + bar);
    }
  }
  if (HeadlessGadget* model = Find(event.Gadget());
      model != nullptr && event.kind == EventKind::Gadget) {
    if (scripted.typed) {
      model->text = *scripted.typed;
      model->selectedFrom.reset();
    }
    if (event.type == kGadgetSelectionChanged) {
      model->selection = scripted.row;
      FetchShownRows(*model);
    }
  }
  Record("WaitEvent " + std::to_string(static_cast<int>(event.kind)) + " " +
         std::to_string(event.number) + " " + std::to_string(event.type));
  return event;
}

ScriptedEvent ScriptedEvent::Typed(GadgetId field, std::string text) {
  ScriptedEvent scripted(Event::OfGadget(field, kGadgetTextChanged));
  scripted.typed = std::move(text);
  return scripted;
}

ScriptedEvent ScriptedEvent::ClickedAt(GadgetId chart, Point point) {
  ScriptedEvent scripted(Event::OfGadget(chart, kGadgetClick));
  scripted.chartPoint = point;
  return scripted;
}

int32_t HeadlessPlatform::ChartLineHeight(const Chart& chart) const {
  const auto font = fonts.find(chart.font);
  return font != fonts.end() ? font->second.pixelHeight : 16;
}

// The drawing is recorded: the shape, then each bar's label and figure.
void HeadlessPlatform::CreateChartGadget(GadgetId gadget, const Rect& rect, const Chart& chart) {
  std::string line = "CreateChartGadget " + std::to_string(Number(gadget)) + " " + Describe(rect) +
                     (chart.shape == ChartShape::Rows ? " rows" : " columns");
  for (const ChartBar& bar : chart.bars) line += " " + Quote(bar.label) + "=" + bar.figure;
  Record(line);
  HeadlessGadget model(ControlKind::Chart);
  model.rect = rect;
  model.chart = chart;
  model.font = chart.font;
  model.front = chart.text;
  model.back = chart.back;
  CreateGadget(gadget, std::move(model));
}

ScriptedEvent ScriptedEvent::VideoAt(GadgetId video, double position) {
  ScriptedEvent scripted(Event{EventKind::Other, 0, 0});
  scripted.event.number = Number(video);
  scripted.videoPosition = position;
  return scripted;
}

bool HeadlessPlatform::PlayVideo(GadgetId gadget, const Rect& rect, std::string_view path,
                                 double startSeconds) {
  Record("PlayVideo " + std::to_string(Number(gadget)) + " " + Describe(rect) + " " + Quote(path) +
         " " + std::to_string(static_cast<int64_t>(startSeconds)));
  if (!videoAvailable) return false;
  HeadlessGadget model(ControlKind::Video);
  model.rect = rect;
  model.videoPath = std::string(path);
  model.videoPosition = startSeconds;
  CreateGadget(gadget, std::move(model));
  focus = gadget;
  return true;
}

void HeadlessPlatform::ControlVideo(GadgetId gadget, VideoCommand command, double seconds) {
  Record("ControlVideo " + std::to_string(Number(gadget)) +
         (command == VideoCommand::Seek ? " seek " + std::to_string(static_cast<int64_t>(seconds))
                                        : " pause"));
  HeadlessGadget* model = Find(gadget);
  if (model == nullptr || model->Kind() != ControlKind::Video) return;
  if (command == VideoCommand::TogglePause) {
    model->videoPaused = !model->videoPaused;
  } else {
    model->videoPosition = std::clamp(model->videoPosition + seconds, 0.0, videoDuration);
  }
}

VideoStatus HeadlessPlatform::VideoState(GadgetId gadget) {
  HeadlessGadget* model = Find(gadget);
  if (model == nullptr || model->Kind() != ControlKind::Video) return {};
  return {true, model->videoPosition, videoDuration, model->videoPosition >= videoDuration};
}

bool HeadlessPlatform::OpenWithDefaultProgram(std::string_view path) {
  Record("OpenWithDefaultProgram " + Quote(path));
  if (!defaultProgramAvailable) return false;
  openedWithDefaultProgram.emplace_back(path);
  return true;
}

ScriptedEvent ScriptedEvent::Selected(GadgetId list, int32_t row) {
  ScriptedEvent scripted(Event::OfGadget(list, kGadgetSelectionChanged));
  scripted.row = row;
  return scripted;
}

// The desktop core decides where the key goes; what a field, a list or a
// button then does with it is this platform's own part, as it is the
// toolkit's on the desktop: Backspace deletes a field's last character, the
// arrow, page, Home and End keys move a list's selection, Return and Space
// press a button.
void HeadlessPlatform::PressKey(KeyPress key) {
  Record("KeyPress " + std::to_string(key.keyCode) +
         (key.modifier == KeyModifier::Control ? " control" : ""));
  const KeyRoute route = desktop.ReportKey(key.keyCode, key.modifier, FocusedGadget());
  if (route.target == KeyTarget::LeaveField) focus = kNoGadget;
  if (route.target != KeyTarget::FocusedControl) return;
  HeadlessGadget* found = Find(focus);
  ZELLUO_ASSERT(found != nullptr);  // the core routes to a focused control only
  HeadlessGadget& focused = *found;
  if (IsTextField(focused.Kind())) {
    std::string& text = focused.text;
    if (key.keyCode != kKeyBackspace || text.empty()) return;
    size_t end = text.size() - 1;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    text.erase(end);
    desktop.events.Push(Event::OfGadget(focus, kGadgetTextChanged));
  } else if (focused.Kind() == ControlKind::List) {
    if (focused.rowCount <= 0) return;
    const int32_t page = std::max(1, focused.rect.height / 20 - 1);
    int32_t row = focused.selection;
    switch (key.keyCode) {
      case kKeyUp:
        row -= 1;
        break;
      case kKeyDown:
        row += 1;
        break;
      case kKeyPageUp:
        row -= page;
        break;
      case kKeyPageDown:
        row += page;
        break;
      case kKeyHome:
        row = 0;
        break;
      default:
        row = focused.rowCount - 1;
        break;  // End
    }
    focused.selection = std::clamp(row, 0, focused.rowCount - 1);
    FetchShownRows(focused);
    desktop.events.Push(Event::OfGadget(focus, kGadgetSelectionChanged));
  } else if (focused.Kind() == ControlKind::Button) {
    desktop.events.Push(Event::OfGadget(focus, kGadgetClick));
  }
}

Point HeadlessPlatform::MousePosition() { return mouse; }

void HeadlessPlatform::AddKeyShortcut(int32_t keyCode, KeyModifier modifier,
                                      ShortcutInFields inFields, int32_t menuEvent) {
  Record("AddKeyShortcut " + std::to_string(keyCode) +
         (modifier == KeyModifier::Control ? " control " : " ") + std::to_string(menuEvent));
  if (window.open) desktop.shortcuts.Add(keyCode, modifier, inFields, menuEvent);
}

std::optional<std::string> HeadlessPlatform::ChooseFile(std::string_view title,
                                                        const std::vector<FileFilter>& filters,
                                                        bool save, std::string_view suggestedName) {
  std::string patterns;
  for (const FileFilter& filter : filters) {
    for (const std::string& pattern : filter.patterns) patterns += " " + pattern;
  }
  Record("ChooseFile " + Quote(title) + (save ? " save " + Quote(suggestedName) : " open") +
         patterns);
  if (chosenFiles.empty()) return std::nullopt;
  std::optional<std::string> chosen = chosenFiles.front();
  chosenFiles.pop_front();
  return chosen;
}

std::optional<std::string> HeadlessPlatform::ChooseFolder(std::string_view title) {
  Record("ChooseFolder " + Quote(title));
  if (chosenFolders.empty()) return std::nullopt;
  std::optional<std::string> chosen = chosenFolders.front();
  chosenFolders.pop_front();
  return chosen;
}

void HeadlessPlatform::AddShortcut(int32_t keyCode, int32_t menuEvent) {
  Record("AddShortcut " + std::to_string(keyCode) + " " + std::to_string(menuEvent));
  if (window.open) desktop.shortcuts.Add(keyCode, menuEvent);
}

void HeadlessPlatform::CreatePopupMenu() {
  Record("CreatePopupMenu");
  menu.clear();
}

void HeadlessPlatform::AppendMenuEntry(int32_t entry, std::string_view text) {
  Record("AppendMenuEntry " + std::to_string(entry) + " " + Quote(text));
  menu.push_back(HeadlessMenuEntry{entry, std::string(text), true});
}

void HeadlessPlatform::AppendMenuSeparator() {
  Record("AppendMenuSeparator");
  menu.push_back(HeadlessMenuEntry{0, {}, true});
}

void HeadlessPlatform::EnableMenuEntry(int32_t entry, bool enabled) {
  Record("EnableMenuEntry " + std::to_string(entry) + (enabled ? " on" : " off"));
  for (auto& item : menu) {
    if (item.entry == entry && entry != 0) item.enabled = enabled;
  }
}

void HeadlessPlatform::ShowPopupMenu() { Record("ShowPopupMenu"); }

MessageAnswer HeadlessPlatform::ShowMessage(std::string_view title, std::string_view text,
                                            MessageButtons buttons) {
  MessageAnswer answer = MessageAnswer::Ok;
  if (buttons == MessageButtons::YesNo) {
    answer = MessageAnswer::No;
    if (!answers.empty()) {
      answer = answers.front();
      answers.pop_front();
    }
  }
  Record("ShowMessage " + Quote(title) + " " + Quote(text) +
         (buttons == MessageButtons::YesNo ? " yes-no" : " ok"));
  messages.push_back(HeadlessMessage{std::string(title), std::string(text), buttons, answer});
  return answer;
}

bool HeadlessPlatform::AddTrayIcon(ImageId image) {
  Record("AddTrayIcon " + std::to_string(Number(image)));
  if (!trayAvailable || !images.contains(image)) return false;
  trayIcon = true;
  trayImage = image;
  return true;
}

void HeadlessPlatform::SetTrayTooltip(std::string_view text) {
  Record("SetTrayTooltip " + Quote(text));
  if (trayIcon) trayTooltip = std::string(text);
}

void HeadlessPlatform::RemoveTrayIcon() {
  Record("RemoveTrayIcon");
  trayIcon = false;
}

std::optional<std::string> HeadlessPlatform::ReadFile(std::string_view path) {
  Record("ReadFile " + Quote(path));
  if (readFault) return std::nullopt;
  return SystemPart::ReadFile(path);
}

bool HeadlessPlatform::AllowWriteStep(os::WriteStep step) {
  return !writeFault || writeFault(step);
}

bool HeadlessPlatform::WriteFileAtomic(std::string_view path, std::string_view bytes) {
  const bool ok = SystemPart::WriteFileAtomic(path, bytes);
  Record("WriteFileAtomic " + Quote(path) + " " + std::to_string(bytes.size()) +
         (ok ? " ok" : " failed"));
  return ok;
}

bool HeadlessPlatform::CreateFolder(std::string_view path) {
  const bool ok = SystemPart::CreateFolder(path);
  Record("CreateFolder " + Quote(path) + (ok ? " ok" : " failed"));
  return ok;
}

std::string HeadlessPlatform::ExecutablePath() { return executablePath; }

LocalDate HeadlessPlatform::Today() { return date; }

LocalTime HeadlessPlatform::LocalTimeAt(int64_t unixSeconds) {
  using namespace std::chrono;
  const sys_seconds local{seconds(unixSeconds + int64_t{utcOffsetMinutes} * 60)};
  const auto day = floor<days>(local);
  const year_month_day civil{day};
  const hh_mm_ss time{local - day};
  return LocalTime{LocalDate{static_cast<int32_t>(static_cast<unsigned>(civil.day())),
                             static_cast<int32_t>(static_cast<unsigned>(civil.month())),
                             static_cast<int32_t>(civil.year())},
                   static_cast<int32_t>(time.hours().count()),
                   static_cast<int32_t>(time.minutes().count())};
}

void HeadlessPlatform::Pause(int32_t milliseconds) {
  Record("Pause " + std::to_string(milliseconds));
  pausedMs += milliseconds;
}

bool HeadlessPlatform::StartOwnExecutable() {
  Record("StartOwnExecutable");
  ++processesStarted;
  return true;
}

bool HeadlessPlatform::OpenAudio() {
  Record(std::string("OpenAudio") + (audioAvailable ? " ok" : " failed"));
  audioOpen = audioAvailable;
  return audioOpen;
}

bool HeadlessPlatform::LoadSound(int32_t sound, const PcmFormat& format, const uint8_t* samples,
                                 size_t byteCount) {
  (void)format;
  Record("LoadSound " + std::to_string(sound) + " " + std::to_string(byteCount));
  if (!audioOpen || samples == nullptr) return false;
  sounds[sound].assign(samples, samples + byteCount);
  return true;
}

void HeadlessPlatform::PlaySound(int32_t sound, bool loop) {
  Record("PlaySound " + std::to_string(sound) + (loop ? " loop" : ""));
  if (sounds.contains(sound)) played.push_back(sound);
}

void HeadlessPlatform::CloseAudio() {
  Record("CloseAudio");
  sounds.clear();
  audioOpen = false;
}

}  // namespace zelluo::platform
