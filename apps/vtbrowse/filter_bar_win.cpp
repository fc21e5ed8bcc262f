#include "apps/vtbrowse/filter_bar_win.h"

#include <algorithm>

#include "apps/vtbrowse/browser_ids.h"
#include "apps/vtbrowse/controls_win.h"
#include "apps/vtbrowse/player_filters.h"
#include "apps/vtbrowse/player_search.h"
#include "apps/vtbrowse/settings_file.h"

namespace {

constexpr const wchar_t* AnyGameType = L"Any game type";
constexpr const wchar_t* AnyMod = L"Any mod";
// The password list's items, in PasswordFilter's order.
constexpr const wchar_t* PasswordChoices[] = {L"With or without password", L"Password needed",
                                              L"No password"};

std::wstring ComboText(HWND combo, int index) {
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) return L"";
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

// The chosen item's text, or empty for the first ("any") item.
std::wstring Chosen(HWND combo) {
    const int index = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
    return index > 0 ? ComboText(combo, index) : L"";
}

}  // namespace

FilterBar::FilterBar(HWND parent, int id, std::function<void()> changed) : changed_(std::move(changed)) {
    CreatePane(parent, id);
    HWND pane = window_.get();
    const DWORD list = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
    CreateControl(pane, L"Static", L"Show:", SS_LEFT | SS_CENTERIMAGE, IDC_FILTER_SHOW_LABEL);
    CreateControl(pane, L"ComboBox", L"", list, IDC_FILTER_GAME);
    CreateControl(pane, L"ComboBox", L"", list, IDC_FILTER_MOD);
    HWND password = CreateControl(pane, L"ComboBox", L"", list, IDC_FILTER_PASSWORD);
    for (const wchar_t* choice : PasswordChoices)
        SendMessageW(password, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
    CreateControl(pane, L"Static", L"Ping under", SS_RIGHT | SS_CENTERIMAGE, IDC_FILTER_PING_LABEL);
    CreateControl(pane, L"Edit", L"", ES_NUMBER | ES_AUTOHSCROLL | WS_TABSTOP, IDC_FILTER_PING,
                  WS_EX_CLIENTEDGE);
    CreateControl(pane, L"Static", L"ms", SS_LEFT | SS_CENTERIMAGE, IDC_FILTER_PING_UNIT);
    CreateControl(pane, L"Button", L"Favourites only", BS_AUTOCHECKBOX | WS_TABSTOP, IDC_FAVOURITES_ONLY);
    SendDlgItemMessageW(pane, IDC_FILTER_PING, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"any"));
    Fill(IDC_FILTER_GAME, AnyGameType, {}, L"");
    Fill(IDC_FILTER_MOD, AnyMod, {}, L"");
}

void FilterBar::Show(const RowFilter& filter) {
    showing_ = true;
    gameType_ = filter.gameType;
    mod_ = filter.mod;
    Fill(IDC_FILTER_GAME, AnyGameType, {}, gameType_);
    Fill(IDC_FILTER_MOD, AnyMod, {}, mod_);
    SendDlgItemMessageW(window_.get(), IDC_FILTER_PASSWORD, CB_SETCURSEL,
                        static_cast<WPARAM>(filter.password), 0);
    SetDlgItemTextW(window_.get(), IDC_FILTER_PING,
                    filter.pingUnderMs > 0 ? std::to_wstring(filter.pingUnderMs).c_str() : L"");
    SetChecked(GetDlgItem(window_.get(), IDC_FAVOURITES_ONLY), filter.favouritesOnly);
    showing_ = false;
}

void FilterBar::Read(RowFilter& filter) const {
    HWND pane = window_.get();
    filter.gameType = gameType_;
    filter.mod = mod_;
    const int password = static_cast<int>(SendDlgItemMessageW(pane, IDC_FILTER_PASSWORD, CB_GETCURSEL, 0, 0));
    filter.password = static_cast<PasswordFilter>(std::clamp(password, 0, 2));
    const std::wstring ping = WindowText(GetDlgItem(pane, IDC_FILTER_PING));
    const long typed = ping.empty() || ping.size() > 6 ? 0 : std::wcstol(ping.c_str(), nullptr, 10);
    filter.pingUnderMs = PingUnderSetting.Allows(typed) ? static_cast<int>(typed) : 0;
    filter.favouritesOnly = IsChecked(GetDlgItem(pane, IDC_FAVOURITES_ONLY));
}

void FilterBar::OfferChoices(const ServerTable& rows) {
    showing_ = true;
    std::vector<std::vector<std::wstring>> seen = RuleValuesSeen(rows, {GameTypeRule, ModRule});
    Fill(IDC_FILTER_GAME, AnyGameType, std::move(seen[0]), gameType_);
    Fill(IDC_FILTER_MOD, AnyMod, std::move(seen[1]), mod_);
    showing_ = false;
}

void FilterBar::Fill(int id, const std::wstring& anyText, std::vector<std::wstring> values,
                     const std::wstring& chosen) {
    HWND combo = GetDlgItem(window_.get(), id);
    if (!chosen.empty() && std::find(values.begin(), values.end(), chosen) == values.end())
        values.push_back(chosen);
    std::vector<std::wstring> items{anyText};
    items.insert(items.end(), values.begin(), values.end());
    // Refilled after every refresh: only when the choices changed, so an open list stays put.
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    bool same = count == static_cast<int>(items.size());
    for (int index = 0; same && index < count; ++index) same = ComboText(combo, index) == items[index];
    if (!same) {
        SendMessageW(combo, CB_RESETCONTENT, 0, 0);
        for (const std::wstring& item : items)
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    const auto at = std::find(items.begin() + 1, items.end(), chosen);
    SendMessageW(combo, CB_SETCURSEL, chosen.empty() || at == items.end() ? 0 : at - items.begin(), 0);
}

void FilterBar::OnCommand(int id, int code) {
    if (showing_) return;
    const bool picked =
        code == CBN_SELCHANGE && (id == IDC_FILTER_GAME || id == IDC_FILTER_MOD || id == IDC_FILTER_PASSWORD);
    const bool typed = code == EN_CHANGE && id == IDC_FILTER_PING;
    const bool ticked = code == BN_CLICKED && id == IDC_FAVOURITES_ONLY;
    if (!picked && !typed && !ticked) return;
    if (id == IDC_FILTER_GAME) gameType_ = Chosen(GetDlgItem(window_.get(), IDC_FILTER_GAME));
    if (id == IDC_FILTER_MOD) mod_ = Chosen(GetDlgItem(window_.get(), IDC_FILTER_MOD));
    if (changed_) changed_();
}

void FilterBar::OnSize(int, int height) {
    struct Placed {
        int id;
        int width;
    };
    // The lists drop down below the row.
    const Placed row[] = {{IDC_FILTER_SHOW_LABEL, 36}, {IDC_FILTER_GAME, 130},      {IDC_FILTER_MOD, 110},
                          {IDC_FILTER_PASSWORD, 170},  {IDC_FILTER_PING_LABEL, 62}, {IDC_FILTER_PING, 48},
                          {IDC_FILTER_PING_UNIT, 18},  {IDC_FAVOURITES_ONLY, 110}};
    int x = 0;
    for (const Placed& placed : row) {
        const bool list =
            placed.id == IDC_FILTER_GAME || placed.id == IDC_FILTER_MOD || placed.id == IDC_FILTER_PASSWORD;
        MoveWindow(GetDlgItem(window_.get(), placed.id), x, 0, placed.width, list ? 200 : height, TRUE);
        x += placed.width + 4;
    }
}
