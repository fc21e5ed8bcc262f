// A friend as the user writes them, a name or with "*" for any run of characters, letter case
// aside. (Their appearances, told once a stay, are the model's tests'.)
#include "apps/vtbrowse/model/friends.h"

#include <gtest/gtest.h>

namespace {

TEST(Friends, PatternsMatchWholeNamesWithStarsLetterCaseAside) {
    const struct {
        const wchar_t* pattern;
        const wchar_t* name;
        bool matches;
    } cases[] = {
        {L"Cobra", L"cOBRA", true}, {L"Cobra", L"Cobra2", false}, {L"Jet", L"Jet ", false},
        {L"cob*", L"Cobra", true},  {L"*RA", L"Cobra", true},     {L"*ob*", L"Cobra", true},
        {L"*", L"", true},          {L"c*b*a", L"Cabra", true},   {L"c*z*a", L"Cobra", false},
        {L"a*a", L"a", false},      {L"a**a", L"aa", true},       {L"[TW]*", L"[tw]Jet", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MatchesFriend(c.pattern, c.name), c.matches)
            << testing::PrintToString(std::wstring(c.pattern)) << " "
            << testing::PrintToString(std::wstring(c.name));
    }
}

}  // namespace
