#include "apps/vtbrowse/panes/detail_pages.h"

#include <algorithm>

namespace {

DetailPage PageOf(const ResultTable& table) {
    DetailPage page;
    page.tableName = table.name;
    page.title = table.title.empty() ? table.name : table.title;
    size_t widest = table.columns.size();
    for (const TableRow& row : table.rows) widest = std::max(widest, row.size());
    for (size_t column = 0; column < widest; ++column) {
        DetailColumn shown;
        shown.declared = column < table.columns.size();
        if (shown.declared) {
            shown.heading = table.columns[column].heading;
            shown.width = table.columns[column].width.value_or(UndeclaredColumnWidth);
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

std::vector<DetailPage> DetailPages(const ServerResult& result) {
    std::vector<DetailPage> pages;
    for (const ResultTable* table : {&result.players, &result.rules}) {
        if (table->Present()) pages.push_back(PageOf(*table));
    }
    return pages;
}

int DeclaredWidthPixels(int declared, int averageCharWidth) {
    // Rounded to the nearest pixel, as the system maps dialog units.
    return (declared * averageCharWidth + 2) / 4;
}
