// The selected server's tables as pages of the details pane, laid out as the plugin declared
// them: one page per table with its title, its headings and widths, its rows as the plugin left
// them; the user table first. Portable: tested natively.
#pragma once

#include <string>
#include <vector>

#include "apps/shared/server_result.h"

// Width of a column the plugin named but gave no width, and of cells written past the declared
// columns (the rules table's team scores), which get a column without a heading.
constexpr int UndeclaredColumnWidth = 60;

// The plugin declares column widths in the host's unit, the dialog unit of the list's font: a
// quarter of its average character width, as the host's dialogs are measured. So "Score" fits in
// 40 and "Diamond Sword" in 75 whatever the font. The pixels of declared units for a font whose
// average character is averageCharWidth pixels wide.
int DeclaredWidthPixels(int declared, int averageCharWidth);

struct DetailColumn {
    std::wstring heading;
    int width = UndeclaredColumnWidth;
    bool declared = true;  // false for the column of cells beyond the declared count

    bool operator==(const DetailColumn& other) const {
        return heading == other.heading && width == other.width && declared == other.declared;
    }
};

struct DetailPage {
    std::wstring tableName;
    std::wstring title;  // the table's title, or its name when it has none
    std::vector<DetailColumn> columns;
    std::vector<std::vector<std::wstring>> rows;  // a cell the plugin never set is empty text

    bool operator==(const DetailPage& other) const {
        return tableName == other.tableName && title == other.title && columns == other.columns &&
               rows == other.rows;
    }
};

// The players' page, then the rules', of those tables the plugin added.
std::vector<DetailPage> DetailPages(const ServerResult& result);
