// TListView: a report-style list with columns, rows and per-row sub-items.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "framework/Properties.h"
#include "framework/WinControl.h"

namespace framework {

enum class TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

class TListView : public TWinControl {
public:
    explicit TListView(TComponent* owner);

    int ColumnCount() const;
    int ItemCount() const;
    std::wstring ItemText(int item, int subItem) const;
    // Sets the text of an existing cell; subItem 0 is the row's caption.
    void SetItemText(int item, int subItem, std::wstring_view text);

    // The design, read when the window is created.
    void SetViewStyle(TViewStyle viewStyle) noexcept { m_viewStyle = viewStyle; }
    void SetReadOnly(bool readOnly) noexcept { m_readOnly = readOnly; }
    void SetRowSelect(bool rowSelect) noexcept { m_rowSelect = rowSelect; }
    void SetColumns(std::span<const TListColumn> columns);
    void SetItems(std::span<const TListItem> items);

protected:
    void CreateWnd(HWND parent, const RECT& rect) override;
    void InitializeWnd() override;

private:
    struct Column {
        std::wstring caption;
        int width = 50;
    };
    struct Item {
        std::wstring caption;
        int imageIndex = -1;
    };

    TViewStyle m_viewStyle = TViewStyle::vsIcon;
    bool m_readOnly = false;
    bool m_rowSelect = false;
    std::vector<Column> m_columns;
    std::vector<Item> m_items;
};

}  // namespace framework
