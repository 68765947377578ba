// Editable text fields (EDIT controls), the texts of fields and text gadgets,
// the keyboard focus, and the system's file and folder choosers.

#include "platform/win32/win32_internal.h"

#include <commdlg.h>
#include <shobjidl.h>

#include <algorithm>
#include <vector>

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"

namespace zelluo::platform {
namespace {

// LF and lone CR become CR LF, the line break of EDIT and STATIC controls;
// a single line gets spaces instead.
std::wstring ControlText(std::string_view text, bool singleLine) {
  const std::wstring wide = win32::Widen(text);
  std::wstring result;
  result.reserve(wide.size());
  for (size_t i = 0; i < wide.size(); ++i) {
    const wchar_t c = wide[i];
    if (c == L'\r' || c == L'\n') {
      if (c == L'\r' && i + 1 < wide.size() && wide[i + 1] == L'\n') ++i;
      if (singleLine) {
        result += L' ';
      } else {
        result += L"\r\n";
      }
    } else {
      result += c;
    }
  }
  return result;
}

// The program's texts break lines with LF alone.
std::string ProgramText(std::wstring text) {
  text.erase(std::remove(text.begin(), text.end(), L'\r'), text.end());
  return win32::Narrow(text);
}

}  // namespace

void Win32Platform::CreateTextField(GadgetId gadget, const Rect& rect, TextFieldKind kind) {
  if (!window_) return;
  const bool single = kind == TextFieldKind::SingleLine;
  // Without ES_AUTOHSCROLL a multi-line EDIT wraps its lines at word breaks.
  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_LEFT;
  style |= single ? ES_AUTOHSCROLL : ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
  Gadget made(FieldControlKind(kind));
  made.control = ::CreateWindowExW(
      WS_EX_CLIENTEDGE, L"EDIT", L"", style, rect.x, rect.y, rect.width, rect.height, window_,
      reinterpret_cast<HMENU>(static_cast<intptr_t>(gadget)), instance_, nullptr);
  if (made.control) {
    ::SendMessageW(made.control, WM_SETFONT,
                   reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    // The default limit of 30,000 characters would cut long notes short.
    ::SendMessageW(made.control, EM_SETLIMITTEXT, 0, 0);
  }
  PlaceGadget(gadget, made);
}

void Win32Platform::SetGadgetText(GadgetId gadget, std::string_view text) {
  Gadget* found = FindGadget(gadget);
  if (!found) return;
  const bool field =
      found->Kind() == ControlKind::SingleLineField || found->Kind() == ControlKind::MultiLineField;
  if (!field && found->Kind() != ControlKind::Text) return;
  const QuietChanges::Scope quiet(core_.quiet);
  ::SetWindowTextW(found->control,
                   ControlText(text, found->Kind() == ControlKind::SingleLineField).c_str());
}

std::string Win32Platform::GadgetText(GadgetId gadget) {
  Gadget* found = FindGadget(gadget);
  if (!found) return {};
  const bool field =
      found->Kind() == ControlKind::SingleLineField || found->Kind() == ControlKind::MultiLineField;
  if (!field && found->Kind() != ControlKind::Text) return {};
  const int length = ::GetWindowTextLengthW(found->control);
  if (length <= 0) return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(found->control, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(copied, 0)));
  return ProgramText(std::move(text));
}

void Win32Platform::SelectFieldText(GadgetId gadget, size_t from) {
  Gadget* found = FindGadget(gadget);
  if (!found || found->Kind() != ControlKind::SingleLineField) return;
  const QuietChanges::Scope quiet(core_.quiet);
  // The control counts UTF-16 units, the program UTF-8 bytes.
  const std::string text = GadgetText(gadget);
  const size_t start =
      win32::Widen(std::string_view(text).substr(0, std::min(from, text.size()))).size();
  ::SendMessageW(found->control, EM_SETSEL, static_cast<WPARAM>(start), -1);
}

// --- focus -------------------------------------------------------------------------

void Win32Platform::FocusGadget(GadgetId gadget) {
  if (!window_) return;
  if (Number(gadget) < 0) {
    ::SetFocus(window_);
    return;
  }
  if (Gadget* found = FindGadget(gadget)) ::SetFocus(found->control);
}

GadgetId Win32Platform::FocusedGadget() {
  if (!window_) return kNoGadget;
  return GadgetOfControl(::GetFocus());
}

void Win32Platform::LeaveTextField() { ::SetFocus(window_); }

// --- file chooser -------------------------------------------------------------------

std::optional<std::string> Win32Platform::ChooseFile(std::string_view title,
                                                     const std::vector<FileFilter>& filters,
                                                     bool save, std::string_view suggestedName) {
  // "Bilder\0*.jpg;*.png\0Alle Dateien\0*.*\0\0"
  std::wstring filterList;
  for (const FileFilter& filter : filters) {
    std::wstring patterns;
    for (const std::string& pattern : filter.patterns) {
      if (!patterns.empty()) patterns += L';';
      patterns += win32::Widen(pattern);
    }
    if (patterns.empty()) continue;
    filterList += win32::Widen(filter.name);
    filterList += L'\0';
    filterList += patterns;
    filterList += L'\0';
  }
  filterList += L'\0';

  // A saved file without an extension takes the first pattern's ("*.zip").
  std::wstring defaultExtension;
  if (save && !filters.empty() && !filters.front().patterns.empty()) {
    const std::string& first = filters.front().patterns.front();
    if (first.size() > 2 && first.compare(0, 2, "*.") == 0 &&
        first.find_first_of("*?;", 2) == std::string::npos) {
      defaultExtension = win32::Widen(first.substr(2));
    }
  }

  // Room for any path the dialog can return.
  std::vector<wchar_t> file(32768, L'\0');
  if (save) {
    const std::wstring suggested = win32::WindowsPath(suggestedName);
    std::copy_n(suggested.begin(), std::min(suggested.size(), file.size() - 1), file.begin());
  }
  const std::wstring caption = win32::Widen(title);

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window_ && ::IsWindowVisible(window_) ? window_ : nullptr;
  dialog.lpstrFilter = filterList.size() > 1 ? filterList.c_str() : nullptr;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = caption.empty() ? nullptr : caption.c_str();
  dialog.lpstrDefExt = defaultExtension.empty() ? nullptr : defaultExtension.c_str();
  // OFN_NOCHANGEDIR: the program's relative paths stay relative to where it started.
  dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  dialog.Flags |= save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;
  const BOOL chosen = save ? ::GetSaveFileNameW(&dialog) : ::GetOpenFileNameW(&dialog);
  if (!chosen) return std::nullopt;  // cancelled, or the dialog failed

  std::string path = win32::Narrow(std::wstring(file.data()));
  // The program's paths use '/' between folders.
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

std::optional<std::string> Win32Platform::ChooseFolder(std::string_view title) {
  IFileOpenDialog* dialog = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&dialog)))) {
    return std::nullopt;
  }
  std::optional<std::string> chosen;
  DWORD options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR);
  const std::wstring caption = win32::Widen(title);
  if (!caption.empty()) dialog->SetTitle(caption.c_str());
  HWND owner = window_ && ::IsWindowVisible(window_) ? window_ : nullptr;
  IShellItem* item = nullptr;
  if (SUCCEEDED(dialog->Show(owner)) && SUCCEEDED(dialog->GetResult(&item))) {
    PWSTR folder = nullptr;
    if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &folder))) {
      std::string path = win32::Narrow(folder);
      std::replace(path.begin(), path.end(), '\\', '/');
      chosen = std::move(path);
      ::CoTaskMemFree(folder);
    }
    item->Release();
  }
  dialog->Release();
  return chosen;
}

}  // namespace zelluo::platform
