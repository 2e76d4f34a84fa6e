#include "framework/ListView.h"

#include "framework/Win32.h"
#include <commctrl.h>

#include "framework/Exceptions.h"
#include "framework/Text.h"

namespace framework {

TListView::TListView(TComponent* owner) : TWinControl(owner) {
    SetTabStop(true);
}

void TListView::SetColumns(std::span<const TListColumn> columns) {
    m_columns.clear();
    for (const TListColumn& column : columns) {
        m_columns.push_back({LoadText(static_cast<unsigned>(column.caption.id)), column.width});
    }
}

void TListView::SetItems(std::span<const TListItem> items) {
    m_items.clear();
    for (const TListItem& item : items) {
        m_items.push_back({LoadText(static_cast<unsigned>(item.caption.id)), item.imageIndex});
    }
}

void TListView::CreateWnd(HWND parent, const RECT& rect) {
    static constexpr DWORD kViewStyles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
    DWORD style = kViewStyles[static_cast<int>(m_viewStyle)] | LVS_SINGLESEL;
    if (!m_readOnly) {
        style |= LVS_EDITLABELS;
    }
    CreateControlWindow(WC_LISTVIEWW, style, WS_EX_CLIENTEDGE, parent, rect);
}

void TListView::InitializeWnd() {
    const HWND list = Handle();
    // Filled without laying itself out and scrolling after each row, which is most of what
    // filling costs; it is drawn once, whole, when first shown.
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    if (m_rowSelect) {
        ListView_SetExtendedListViewStyleEx(list, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
    }
    for (int index = 0; index < static_cast<int>(m_columns.size()); ++index) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = m_columns[index].caption.data();
        column.cx = Scale(m_columns[index].width);
        column.iSubItem = index;
        ListView_InsertColumn(list, index, &column);
    }
    for (int row = 0; row < static_cast<int>(m_items.size()); ++row) {
        Item& item = m_items[row];
        LVITEMW entry{};
        entry.mask = LVIF_TEXT | LVIF_IMAGE;
        entry.iItem = row;
        entry.pszText = item.caption.data();
        entry.iImage = item.imageIndex;
        ListView_InsertItem(list, &entry);
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

int TListView::ColumnCount() const {
    const HWND header = ListView_GetHeader(Handle());
    return header != nullptr ? Header_GetItemCount(header) : 0;
}

int TListView::ItemCount() const {
    return ListView_GetItemCount(Handle());
}

std::wstring TListView::ItemText(int item, int subItem) const {
    wchar_t text[512] = {};
    ListView_GetItemText(Handle(), item, subItem, text, static_cast<int>(std::size(text)));
    return text;
}

void TListView::SetItemText(int item, int subItem, std::wstring_view text) {
    if (item < 0 || item >= ItemCount() || subItem < 0 || subItem >= ColumnCount()) {
        throw EListError(L"List index out of bounds (" + DecimalText(item) + L")");
    }
    std::wstring copy(text);
    ListView_SetItemText(Handle(), item, subItem, copy.data());
}

}  // namespace framework
