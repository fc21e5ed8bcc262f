// A tally by kind as the outcome lines write it: "2 wrong key, 1 cut short", the kinds that
// happened in the order given, nothing for a tally of none. The kinds' names are ASCII: the same
// text in UTF-8 (Char char) or in a window's UTF-16 (wchar_t).
#pragma once

#include <string>
#include <vector>

struct KindCount {
    int count;
    const char* what;
};

template <class Char = char>
std::basic_string<Char> KindCountsText(const std::vector<KindCount>& kinds) {
    std::string text;
    for (const KindCount& kind : kinds) {
        if (kind.count == 0) continue;
        if (!text.empty()) text += ", ";
        text += std::to_string(kind.count) + " " + kind.what;
    }
    return std::basic_string<Char>(text.begin(), text.end());
}
