#include "apps/vtbrowse/panes/filter_pane_win.h"

#include <algorithm>

#include "apps/vtbrowse/framework/controls_win.h"
#include "apps/vtbrowse/panes/pane_rows.h"
#include "apps/vtbrowse/resources/resource_ids.h"

BOOL FilterPane::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result) {
    return TakeMessage(*this, {{WM_COMMAND, &FilterPane::OnCommand}, {WM_SIZE, &FilterPane::OnSize}}, message,
                       wParam, lParam, result) ||
           Pane::ProcessWindowMessage(window, message, wParam, lParam, result);
}

namespace {

// The lists' first items (their labels say what they choose), and the password list's items, in
// PasswordFilter's order.
constexpr const wchar_t* Any = L"Any";
constexpr const wchar_t* PasswordChoices[] = {Any, L"Needed", L"Not needed"};

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

FilterPane::FilterPane(HWND parent, BrowserModel& model) : model_(model) {
    CreatePane(parent, IDC_FILTER_BAR);
    HWND pane = window_.get();
    // In reading order, each box and list right after its label: a screen reader names it so.
    const DWORD check = BS_AUTOCHECKBOX | WS_TABSTOP;
    const DWORD label = SS_LEFT | SS_CENTERIMAGE;
    CreateControl(pane, L"Static", L"&Name or map:", label, IDC_FILTER_LABEL);
    CreateControl(pane, L"Edit", L"", ES_AUTOHSCROLL | WS_TABSTOP, IDC_FILTER_TEXT, WS_EX_CLIENTEDGE);
    CreateControl(pane, L"Button", L"Hide empty", check, IDC_HIDE_EMPTY);
    CreateControl(pane, L"Button", L"Hide full", check, IDC_HIDE_FULL);
    CreateControl(pane, L"Button", L"Hide no answer", check, IDC_HIDE_SILENT);
    CreateControl(pane, L"Button", L"Favourites on&ly", check, IDC_FAVOURITES_ONLY);
    const DWORD list = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
    CreateControl(pane, L"Static", L"&Game:", label, IDC_FILTER_GAME_LABEL);
    CreateControl(pane, L"ComboBox", L"", list, IDC_FILTER_GAME);
    CreateControl(pane, L"Static", L"Mo&d:", label, IDC_FILTER_MOD_LABEL);
    CreateControl(pane, L"ComboBox", L"", list, IDC_FILTER_MOD);
    CreateControl(pane, L"Static", L"&Password:", label, IDC_FILTER_PASSWORD_LABEL);
    HWND password = CreateControl(pane, L"ComboBox", L"", list, IDC_FILTER_PASSWORD);
    for (const wchar_t* choice : PasswordChoices)
        SendMessageW(password, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
    CreateControl(pane, L"Static", L"Ping &below", SS_RIGHT | SS_CENTERIMAGE, IDC_FILTER_PING_LABEL);
    CreateControl(pane, L"Edit", L"", ES_NUMBER | ES_AUTOHSCROLL | WS_TABSTOP, IDC_FILTER_PING,
                  WS_EX_CLIENTEDGE);
    CreateControl(pane, L"Static", L"ms", label, IDC_FILTER_PING_UNIT);
    SendDlgItemMessageW(pane, IDC_FILTER_PING, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"any"));
    Show();
    model_.Subscribe(*this);
}

FilterPane::~FilterPane() {
    model_.Unsubscribe(*this);
}

void FilterPane::Changed(const ModelChange& change) {
    if (change.choices) ShowChoices();
}

void FilterPane::Show() {
    HWND pane = window_.get();
    const RowFilter& filter = model_.Settings().filter;
    showing_ = true;
    ShowText(GetDlgItem(pane, IDC_FILTER_TEXT), filter.text);
    SetChecked(GetDlgItem(pane, IDC_HIDE_EMPTY), filter.hideEmpty);
    SetChecked(GetDlgItem(pane, IDC_HIDE_FULL), filter.hideFull);
    SetChecked(GetDlgItem(pane, IDC_HIDE_SILENT), filter.hideSilent);
    ShowChoices();
    showing_ = true;
    SendDlgItemMessageW(pane, IDC_FILTER_PASSWORD, CB_SETCURSEL, static_cast<WPARAM>(filter.password), 0);
    ShowText(GetDlgItem(pane, IDC_FILTER_PING),
             filter.pingUnderMs > 0 ? std::to_wstring(filter.pingUnderMs) : L"");
    SetChecked(GetDlgItem(pane, IDC_FAVOURITES_ONLY), filter.favouritesOnly);
    showing_ = false;
}

void FilterPane::ShowChoices() {
    const RowFilter& filter = model_.Settings().filter;
    const std::vector<std::vector<std::wstring>>& choices = model_.FilterChoices();
    showing_ = true;
    Fill(IDC_FILTER_GAME, choices.empty() ? std::vector<std::wstring>{} : choices[0], filter.gameType);
    Fill(IDC_FILTER_MOD, choices.size() < 2 ? std::vector<std::wstring>{} : choices[1], filter.mod);
    showing_ = false;
}

void FilterPane::Fill(int id, std::vector<std::wstring> values, const std::wstring& chosen) {
    HWND combo = GetDlgItem(window_.get(), id);
    if (!chosen.empty() && std::find(values.begin(), values.end(), chosen) == values.end())
        values.push_back(chosen);
    std::vector<std::wstring> items{Any};
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

// A change of the user's: the filter as the controls say it goes to the model.
LRESULT FilterPane::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    const int id = LOWORD(wParam), code = HIWORD(wParam);
    const bool picked =
        code == CBN_SELCHANGE && (id == IDC_FILTER_GAME || id == IDC_FILTER_MOD || id == IDC_FILTER_PASSWORD);
    const bool typed = code == EN_CHANGE && (id == IDC_FILTER_PING || id == IDC_FILTER_TEXT);
    const bool ticked = code == BN_CLICKED && (id == IDC_FAVOURITES_ONLY || id == IDC_HIDE_EMPTY ||
                                               id == IDC_HIDE_FULL || id == IDC_HIDE_SILENT);
    if (showing_ || !(picked || typed || ticked)) return 0;
    HWND pane = window_.get();
    RowFilter filter = model_.Settings().filter;
    filter.text = WindowText(GetDlgItem(pane, IDC_FILTER_TEXT));
    filter.hideEmpty = IsChecked(GetDlgItem(pane, IDC_HIDE_EMPTY));
    filter.hideFull = IsChecked(GetDlgItem(pane, IDC_HIDE_FULL));
    filter.hideSilent = IsChecked(GetDlgItem(pane, IDC_HIDE_SILENT));
    if (id == IDC_FILTER_GAME) filter.gameType = Chosen(GetDlgItem(pane, IDC_FILTER_GAME));
    if (id == IDC_FILTER_MOD) filter.mod = Chosen(GetDlgItem(pane, IDC_FILTER_MOD));
    const int password = static_cast<int>(SendDlgItemMessageW(pane, IDC_FILTER_PASSWORD, CB_GETCURSEL, 0, 0));
    filter.password = static_cast<PasswordFilter>(std::clamp(password, 0, 2));
    const std::wstring ping = WindowText(GetDlgItem(pane, IDC_FILTER_PING));
    const long typedMs = ping.empty() || ping.size() > 6 ? 0 : std::wcstol(ping.c_str(), nullptr, 10);
    filter.pingUnderMs = PingUnderSetting.Allows(typedMs) ? static_cast<int>(typedMs) : 0;
    filter.favouritesOnly = IsChecked(GetDlgItem(pane, IDC_FAVOURITES_ONLY));
    handled = TRUE;
    model_.SetFilter(filter);
    return 0;
}

LRESULT FilterPane::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
    for (int row = 0; row < 2; ++row)
        PlaceRow(FilterRows[row], Scaled(row * RowStep), LOWORD(lParam), Scaled(ControlHeight));
    return 0;
}
