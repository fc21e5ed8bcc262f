#include "apps/vtbrowse/dialogs/join_dialog_win.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "apps/vtbrowse/framework/controls_win.h"
#include "apps/vtbrowse/framework/message_map_win.h"
#include "apps/vtbrowse/resources/resource_ids.h"
#include "common/contract/launch_option_ids.h"

namespace {

// The dialog's object: the server, and the choice it shows and takes.
class JoinDialog final : public MessageMap {
public:
    JoinDialog(const ServerRow& row, JoinChoice& choice, bool watch)
        : row(row), choice(choice), watch(watch) {}
    BOOL ProcessWindowMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

    const ServerRow& row;
    JoinChoice& choice;
    const bool watch;

private:
    LRESULT OnInitDialog(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);

    HWND dialog_ = nullptr;
};

// Lays controls out from the top, in dialog units: a label column and a field column. A text
// stands as high as its lines need in the dialog's font at its width (the plugin's names and
// descriptions are as long as it makes them).
class Stacker {
public:
    explicit Stacker(HWND dialog) : dialog_(dialog) {}

    HWND Place(const wchar_t* className, const std::wstring& text, DWORD style, int id, int x, int width,
               int height) {
        RECT box{x, y_, x + width, y_ + height};
        MapDialogRect(dialog_, &box);
        HWND control = CreateControl(dialog_, className, text.c_str(), style, id,
                                     std::wstring(className) == L"Edit" ? WS_EX_CLIENTEDGE : 0);
        MoveWindow(control, box.left, box.top, box.right - box.left, box.bottom - box.top, FALSE);
        return control;
    }
    // A text of its lines' height, at least height; the height it took.
    int Text(const std::wstring& text, DWORD style, int id, int x, int width, int height = 10) {
        const int taken = std::max(height, LinesHeight(text, style, width));
        Place(L"Static", text, SS_LEFT | style, id, x, width, taken);
        return taken;
    }
    // A label and an edit on one line; hint, if any, below the edit. Labels and hints of the
    // plugin's take their text as it stands (noPrefix).
    HWND Field(const std::wstring& label, int id, const std::wstring& value, const std::wstring& hint,
               DWORD editStyle = 0, int width = FieldWidth, DWORD noPrefix = 0) {
        const int top = y_;
        const int labelHeight = Text(label, noPrefix, -1, Margin, LabelWidth);
        HWND edit = Place(L"Edit", value, ES_AUTOHSCROLL | WS_TABSTOP | editStyle, id, FieldLeft, width, 12);
        if (!hint.empty()) SendMessageW(edit, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(hint.c_str()));
        y_ += 14;
        if (!hint.empty())
            y_ += Text(hint, noPrefix, id + IDC_JOIN_HINT_OFFSET, FieldLeft, FieldWidth, 9) + 2;
        y_ = std::max(y_, top + labelHeight) + 3;
        return edit;
    }
    void Heading(const std::wstring& text) {
        y_ += 3;
        y_ += Text(text, 0, -1, Margin, Width - 2 * Margin) + 2;
    }
    int& Y() { return y_; }

    static constexpr int Width = 300;
    static constexpr int Margin = 7;
    static constexpr int LabelWidth = 78;
    static constexpr int FieldLeft = Margin + LabelWidth + 4;
    static constexpr int FieldWidth = Width - FieldLeft - Margin;

private:
    // The height in dialog units that text needs in width units, its words wrapped.
    int LinesHeight(const std::wstring& text, DWORD style, int width) const {
        RECT unit{0, 0, width, 8};
        MapDialogRect(dialog_, &unit);
        RECT need{0, 0, unit.right, 0};
        HDC dc = GetDC(dialog_);
        if (!dc) return 0;
        HGDIOBJ before = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(dialog_, WM_GETFONT, 0, 0)));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need,
                  DT_CALCRECT | DT_WORDBREAK | ((style & SS_NOPREFIX) ? DT_NOPREFIX : 0));
        SelectObject(dc, before);
        ReleaseDC(dialog_, dc);
        return unit.bottom > 0 ? (need.bottom * 8 + unit.bottom - 1) / unit.bottom : 0;
    }

    HWND dialog_;
    int y_ = 7;
};

void Browse(HWND dialog) {
    const std::optional<std::wstring> path =
        AskOpenFile(dialog, L"Programs (*.exe)\0*.exe\0All files\0*.*\0", L"The game's executable",
                    WindowText(GetDlgItem(dialog, IDC_JOIN_EXECUTABLE)));
    if (path) SetDlgItemTextW(dialog, IDC_JOIN_EXECUTABLE, path->c_str());
}

void Build(HWND dialog, const JoinDialog& state) {
    const ServerRow& row = state.row;
    Stacker stack(dialog);
    const std::wstring name = row.last.status.serverName;
    stack.Place(L"Static", L"Server", SS_LEFT, -1, Stacker::Margin, Stacker::LabelWidth, 10);
    stack.Y() += stack.Text((name.empty() ? L"" : name + L"  ") + CellText(row, RowColumn::Address),
                            SS_NOPREFIX, IDC_JOIN_SERVER, Stacker::FieldLeft, Stacker::FieldWidth) +
                 5;
    stack.Field(L"&Game executable", IDC_JOIN_EXECUTABLE, state.choice.join.executable, L"", 0,
                Stacker::FieldWidth - 46);
    stack.Y() -= 17;
    stack.Place(L"Button", L"&Browse...", BS_PUSHBUTTON | WS_TABSTOP, IDC_JOIN_BROWSE,
                Stacker::Width - Stacker::Margin - 42, 42, 13);
    stack.Y() += 17;

    stack.Heading(L"What this server asks for");
    if (row.offeredOptions.empty()) {
        stack.Place(L"Static", L"Nothing more than the game.", SS_LEFT, -1, Stacker::FieldLeft,
                    Stacker::FieldWidth, 10);
        stack.Y() += 14;
    }
    int next = IDC_JOIN_OPTION;
    for (const OfferedLaunchOption& option : row.offeredOptions) {
        const auto value = state.choice.optionValues.find(option.id);
        stack.Field(option.name, next++, value == state.choice.optionValues.end() ? L"" : value->second,
                    option.description, option.id == Password ? ES_PASSWORD : 0, Stacker::FieldWidth,
                    SS_NOPREFIX);
    }

    stack.Heading(L"For every server");
    stack.Field(L"Player &name", IDC_JOIN_PLAYER_NAME, state.choice.join.playerName, L"");
    stack.Field(L"&Config file", IDC_JOIN_CONFIG_FILE, state.choice.join.configFile, L"");
    stack.Field(L"E&xtra parameters", IDC_JOIN_PARAMETERS, state.choice.join.parameters,
                L"<address> becomes the server's address:port; without it +connect is added");

    if (state.watch) {
        SetWindowTextW(dialog, L"Join when a seat frees");
        stack.Heading(L"Waiting for a seat: the game starts the moment one is free");
        stack.Field(L"&Look every", IDC_JOIN_WATCH_EVERY, std::to_wstring(state.choice.watchEverySeconds),
                    L"seconds (" + SeatWatchEverySetting.Range() + L"): only this server is asked", ES_NUMBER,
                    40);
        stack.Field(L"Give &up after", IDC_JOIN_WATCH_GIVE_UP,
                    std::to_wstring(state.choice.watchGiveUpMinutes),
                    L"minutes (" + SeatWatchGiveUpSetting.Range() + L")", ES_NUMBER, 40);
    }
    stack.Y() += 4;
    stack.Place(L"Button", state.watch ? L"Wait" : L"Join", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK,
                Stacker::Width - 2 * 54, 50, 14);
    stack.Place(L"Button", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, Stacker::Width - 54, 47, 14);
    stack.Y() += 14 + Stacker::Margin;

    // The frame grows to what was stacked, around it as the system draws it at the dialog's scale
    // (on a display of another scale than the system's, not the system's frame).
    RECT client{0, 0, Stacker::Width, stack.Y()}, outer{}, inner{};
    MapDialogRect(dialog, &client);
    GetWindowRect(dialog, &outer);
    GetClientRect(dialog, &inner);
    SetWindowPos(dialog, nullptr, 0, 0, client.right + (outer.right - outer.left) - inner.right,
                 client.bottom + (outer.bottom - outer.top) - inner.bottom, SWP_NOMOVE | SWP_NOZORDER);
    SendMessageW(dialog, DM_SETDEFID, IDOK, 0);
}

void Collect(HWND dialog, const JoinDialog& state) {
    state.choice.join.executable = WindowText(GetDlgItem(dialog, IDC_JOIN_EXECUTABLE));
    state.choice.join.playerName = WindowText(GetDlgItem(dialog, IDC_JOIN_PLAYER_NAME));
    state.choice.join.configFile = WindowText(GetDlgItem(dialog, IDC_JOIN_CONFIG_FILE));
    state.choice.join.parameters = WindowText(GetDlgItem(dialog, IDC_JOIN_PARAMETERS));
    int next = IDC_JOIN_OPTION;
    for (const OfferedLaunchOption& option : state.row.offeredOptions)
        state.choice.optionValues[option.id] = WindowText(GetDlgItem(dialog, next++));
    if (state.watch) {
        // A number out of range is taken as the nearest the range allows.
        const auto number = [&](int id, const NumberSetting& setting) {
            const std::wstring typed = WindowText(GetDlgItem(dialog, id));
            const long value =
                typed.empty() || typed.size() > 6 ? setting.lowest : std::wcstol(typed.c_str(), nullptr, 10);
            return static_cast<int>(std::clamp<long>(value, setting.lowest, setting.highest));
        };
        state.choice.watchEverySeconds = number(IDC_JOIN_WATCH_EVERY, SeatWatchEverySetting);
        state.choice.watchGiveUpMinutes = number(IDC_JOIN_WATCH_GIVE_UP, SeatWatchGiveUpSetting);
    }
}

BOOL JoinDialog::ProcessWindowMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result) {
    dialog_ = dialog;
    return TakeMessage(*this,
                       {{WM_INITDIALOG, &JoinDialog::OnInitDialog}, {WM_COMMAND, &JoinDialog::OnCommand}},
                       message, wParam, lParam, result);
}

LRESULT JoinDialog::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    Build(dialog_, *this);
    SetFocus(GetDlgItem(dialog_, IDC_JOIN_EXECUTABLE));
    return FALSE;  // the focus is set
}

LRESULT JoinDialog::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    switch (LOWORD(wParam)) {
        case IDC_JOIN_BROWSE:
            Browse(dialog_);
            break;
        case IDOK:
            Collect(dialog_, *this);
            EndDialog(dialog_, IDOK);
            break;
        case IDCANCEL:
            EndDialog(dialog_, IDCANCEL);
            break;
        default:
            handled = FALSE;
    }
    return 0;
}

}  // namespace

bool AskJoin(HWND owner, const ServerRow& row, JoinChoice& choice, bool waitForSeat) {
    JoinChoice taken = choice;
    JoinDialog dialog(row, taken, waitForSeat);
    if (DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_JOIN), owner,
                        MapDialogProc<JoinDialog>, reinterpret_cast<LPARAM>(&dialog)) != IDOK)
        return false;
    choice = std::move(taken);
    return true;
}

void AskAndJoin(HWND owner, BrowserModel& model, ServerId id, bool waitForSeat) {
    if (!model.ReadyToJoin(id, waitForSeat)) return;
    JoinChoice choice = model.JoinChoiceFor(id);
    // The row is copied: the model changes while the dialog is open.
    const ServerRow row = *model.Find(id);
    if (AskJoin(owner, row, choice, waitForSeat)) model.Join(id, choice, waitForSeat);
}
