#include "apps/vtbrowse/detail_pages.h"

#include <algorithm>

namespace {

DetailPage PageOf(const NamedTable& named) {
    const HostTable& table = named.table;
    DetailPage page;
    page.tableName = named.name;
    page.title = table.title.empty() ? named.name : table.title;
    size_t widest = 0;
    for (const TableRow& row : table.rows) widest = std::max(widest, row.size());
    const size_t declared = static_cast<size_t>(std::max(table.columnCount, 0));
    for (size_t column = 0; column < std::max(declared, widest); ++column) {
        DetailColumn shown;
        shown.declared = column < declared;
        const int number = static_cast<int>(column);
        if (shown.declared) {
            const auto heading = table.columnNames.find(number);
            if (heading != table.columnNames.end()) shown.heading = heading->second;
            const auto width = table.columnWidths.find(number);
            if (width != table.columnWidths.end()) shown.width = width->second;
        }
        page.columns.push_back(std::move(shown));
    }
    for (const TableRow& row : table.rows) {
        std::vector<std::wstring> cells(page.columns.size());
        for (size_t column = 0; column < row.size(); ++column) {
            if (row[column]) cells[column] = *row[column];
        }
        page.rows.push_back(std::move(cells));
    }
    return page;
}

}  // namespace

std::vector<DetailPage> DetailPages(const std::vector<NamedTable>& tables) {
    std::vector<DetailPage> pages;
    for (const NamedTable& table : tables) {
        if (table.table.isUserTable) pages.push_back(PageOf(table));
    }
    for (const NamedTable& table : tables) {
        if (!table.table.isUserTable) pages.push_back(PageOf(table));
    }
    return pages;
}

int DeclaredWidthPixels(int declared, int averageCharWidth) {
    // Rounded to the nearest pixel, as the system maps dialog units.
    return (declared * averageCharWidth + 2) / 4;
}
