// List gadgets: a virtual ListView (LVS_OWNERDATA) that asks for the text of
// a cell when it draws it. The texts come from the program's row source, so
// a list of tens of thousands of rows costs what its visible rows cost.

#include "platform/win32/win32_internal.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/list_rows.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"

namespace zelluo::platform {

struct Win32ListRows : ListRows {
  std::wstring Cell(int32_t row, int32_t column) const {
    return ListRows::Cell(row, column, [](const std::string& text) {
      std::wstring cell = win32::Widen(text);
      // One line per cell.
      std::replace_if(
          cell.begin(), cell.end(),
          [](wchar_t c) { return c == L'\r' || c == L'\n' || c == L'\t'; }, L' ');
      return cell;
    });
  }
};

namespace {

int32_t SelectedRow(HWND list) {
  return static_cast<int32_t>(
      ::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void SetRowState(HWND list, int32_t row, UINT state, UINT mask) {
  LVITEMW item{};
  item.stateMask = mask;
  item.state = state;
  ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

void Win32Platform::CreateListGadget(GadgetId gadget, const Rect& rect,
                                     const std::vector<ListColumn>& columns, ListRowSource rows) {
  if (!window_) return;
  Gadget made(ControlKind::List);
  made.rows = std::make_shared<Win32ListRows>();
  made.rows->source = std::move(rows);
  made.rows->columnCount = static_cast<int32_t>(columns.size());
  const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA |
                      LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER;
  made.control = ::CreateWindowExW(
      WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", style, rect.x, rect.y, rect.width, rect.height, window_,
      reinterpret_cast<HMENU>(static_cast<intptr_t>(gadget)), instance_, nullptr);
  if (made.control) {
    const LPARAM extended = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
    ::SendMessageW(made.control, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    ::SendMessageW(made.control, WM_SETFONT,
                   reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    for (size_t index = 0; index < columns.size(); ++index) {
      std::wstring title = win32::Widen(columns[index].title);
      LVCOLUMNW column{};
      column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
      column.fmt = columns[index].align == TextAlign::Centre ? LVCFMT_CENTER : LVCFMT_LEFT;
      column.cx = std::max(1, columns[index].width);
      column.pszText = title.data();
      column.iSubItem = static_cast<int>(index);
      ::SendMessageW(made.control, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
    }
  }
  PlaceGadget(gadget, made);
}

void Win32Platform::SetListRowCount(GadgetId gadget, int32_t count) {
  Gadget* found = FindGadget(gadget);
  if (!found || !found->rows) return;
  Win32ListRows& rows = *found->rows;
  const QuietChanges::Scope quiet(core_.quiet);
  SetRowState(found->control, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  rows.count = std::max(0, count);
  rows.knownSelection = -1;
  // Flags 0: every row is drawn again, from the row source.
  ::SendMessageW(found->control, LVM_SETITEMCOUNT, static_cast<WPARAM>(rows.count), 0);
  if (rows.count > 0) ::SendMessageW(found->control, LVM_ENSUREVISIBLE, 0, FALSE);
  ::InvalidateRect(found->control, nullptr, TRUE);
}

void Win32Platform::SetListSelection(GadgetId gadget, int32_t row) {
  Gadget* found = FindGadget(gadget);
  if (!found || !found->rows) return;
  Win32ListRows& rows = *found->rows;
  const QuietChanges::Scope quiet(core_.quiet);
  SetRowState(found->control, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  if (row >= 0 && row < rows.count) {
    // The focus mark moves along, so that the arrow keys go on from this row.
    SetRowState(found->control, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    ::SendMessageW(found->control, LVM_SETSELECTIONMARK, 0, row);
    ::SendMessageW(found->control, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
  }
  rows.knownSelection = SelectedRow(found->control);
}

int32_t Win32Platform::ListSelection(GadgetId gadget) {
  Gadget* found = FindGadget(gadget);
  if (!found || !found->rows) return -1;
  return SelectedRow(found->control);
}

bool Win32Platform::HandleListNotify(GadgetId gadget, const void* header, intptr_t* result) {
  Gadget* found = FindGadget(gadget);
  if (!found || !found->rows) return false;
  Win32ListRows& rows = *found->rows;
  const auto* notify = static_cast<const NMHDR*>(header);
  switch (notify->code) {
    case LVN_GETDISPINFOW: {
      const auto* info = reinterpret_cast<const NMLVDISPINFOW*>(header);
      const LVITEMW& item = info->item;
      if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        item.pszText[0] = L'\0';
        if (item.iItem >= 0 && item.iItem < rows.count && item.iSubItem >= 0 &&
            item.iSubItem < rows.columnCount) {
          const std::wstring text = rows.Cell(item.iItem, item.iSubItem);
          const size_t length = std::min(text.size(), static_cast<size_t>(item.cchTextMax) - 1);
          std::copy_n(text.begin(), length, item.pszText);
          item.pszText[length] = L'\0';
        }
      }
      *result = 0;
      return true;
    }
    case NM_CUSTOMDRAW: {
      // The selected row in white on blue, focused or not: the control's own
      // unfocused highlight is a light grey that the white text vanishes on.
      auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(notify));
      *result = CDRF_DODEFAULT;
      if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
        *result = CDRF_NOTIFYITEMDRAW;
      } else if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT &&
                 (::SendMessageW(found->control, LVM_GETITEMSTATE, draw->nmcd.dwItemSpec,
                                 LVIS_SELECTED) &
                  LVIS_SELECTED) != 0) {
        draw->nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
        draw->clrText = RGB(255, 255, 255);
        draw->clrTextBk = RGB(30, 90, 160);
        *result = CDRF_NEWFONT;
      }
      return true;
    }
    case LVN_ITEMCHANGED: {
      const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
      const bool selection = (change->uChanged & LVIF_STATE) &&
                             ((change->uOldState ^ change->uNewState) & LVIS_SELECTED);
      // One click deselects the old row and selects the new one: look at the
      // outcome once both have happened.
      if (selection && !core_.quiet.Active()) {
        ::PostMessageW(window_, win32::kListSelectionMessage, static_cast<WPARAM>(gadget), 0);
      }
      *result = 0;
      return true;
    }
    default:
      return false;
  }
}

void Win32Platform::CheckListSelection(GadgetId gadget) {
  Gadget* found = FindGadget(gadget);
  if (!found || !found->rows) return;
  const int32_t row = SelectedRow(found->control);
  if (row == found->rows->knownSelection) return;
  found->rows->knownSelection = row;
  core_.events.Push(Event::OfGadget(gadget, kGadgetSelectionChanged));
}

}  // namespace zelluo::platform
