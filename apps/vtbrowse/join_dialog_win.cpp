#include "apps/vtbrowse/join_dialog_win.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "apps/vtbrowse/browser_ids.h"
#include "apps/vtbrowse/controls_win.h"
#include "apps/vtbrowse/window_object_win.h"
#include "common/contract/launch_option_ids.h"

namespace {

struct JoinState {
    const ServerRow* row;
    JoinSettings* join;
    std::map<int, std::wstring>* optionValues;
    SeatWatchAsk* watch;

    INT_PTR OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
};

// Lays controls out from the top, in dialog units: a label column and a field column.
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
    // A label and an edit on one line; hint, if any, in a line of its own below.
    HWND Field(const std::wstring& label, int id, const std::wstring& value, const std::wstring& hint,
               DWORD editStyle = 0, int width = FieldWidth) {
        Place(L"Static", label, SS_LEFT, -1, Margin, LabelWidth, 10);
        return FieldAfterLabel(id, value, hint, editStyle, width);
    }
    HWND FieldAfterLabel(int id, const std::wstring& value, const std::wstring& hint, DWORD editStyle,
                         int width) {
        HWND edit = Place(L"Edit", value, ES_AUTOHSCROLL | WS_TABSTOP | editStyle, id, FieldLeft, width, 12);
        if (!hint.empty()) SendMessageW(edit, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(hint.c_str()));
        y_ += 14;
        if (!hint.empty()) {
            Place(L"Static", hint, SS_LEFT, id + IDC_JOIN_HINT_OFFSET, FieldLeft, FieldWidth, 9);
            y_ += 11;
        }
        y_ += 3;
        return edit;
    }
    void Heading(const std::wstring& text) {
        y_ += 3;
        Place(L"Static", text, SS_LEFT, -1, Margin, Width - 2 * Margin, 10);
        y_ += 12;
    }
    int& Y() { return y_; }

    static constexpr int Width = 300;
    static constexpr int Margin = 7;
    static constexpr int LabelWidth = 78;
    static constexpr int FieldLeft = Margin + LabelWidth + 4;
    static constexpr int FieldWidth = Width - FieldLeft - Margin;

private:
    HWND dialog_;
    int y_ = 7;
};

void Browse(HWND dialog) {
    const std::optional<std::wstring> path =
        AskOpenFile(dialog, L"Programs (*.exe)\0*.exe\0All files\0*.*\0", L"The game's executable",
                    WindowText(GetDlgItem(dialog, IDC_JOIN_EXECUTABLE)));
    if (path) SetDlgItemTextW(dialog, IDC_JOIN_EXECUTABLE, path->c_str());
}

void Build(HWND dialog, const JoinState& state) {
    const ServerRow& row = *state.row;
    Stacker stack(dialog);
    const std::wstring name = row.last.status.serverName;
    stack.Place(L"Static", L"Server", SS_LEFT, -1, Stacker::Margin, Stacker::LabelWidth, 10);
    stack.Place(L"Static", (name.empty() ? L"" : name + L"  ") + CellText(row, RowColumn::Address), SS_LEFT,
                IDC_JOIN_SERVER, Stacker::FieldLeft, Stacker::FieldWidth, 10);
    stack.Y() += 15;
    stack.Field(L"Game executable", IDC_JOIN_EXECUTABLE, state.join->executable, L"", 0,
                Stacker::FieldWidth - 46);
    stack.Y() -= 17;
    stack.Place(L"Button", L"Browse...", BS_PUSHBUTTON | WS_TABSTOP, IDC_JOIN_BROWSE,
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
        const auto value = state.optionValues->find(option.id);
        stack.Field(option.name, next++, value == state.optionValues->end() ? L"" : value->second,
                    option.description, option.id == Password ? ES_PASSWORD : 0);
    }

    stack.Heading(L"For every server");
    stack.Field(L"Player name", IDC_JOIN_PLAYER_NAME, state.join->playerName, L"");
    stack.Field(L"Config file", IDC_JOIN_CONFIG_FILE, state.join->configFile, L"");
    stack.Field(L"Extra parameters", IDC_JOIN_PARAMETERS, state.join->parameters,
                L"<address> becomes the server's address:port; without it +connect is added");

    if (state.watch) {
        SetWindowTextW(dialog, L"Join when a seat frees");
        stack.Heading(L"Waiting for a seat: the game starts the moment one is free");
        stack.Field(L"Look every", IDC_JOIN_WATCH_EVERY, std::to_wstring(state.watch->everySeconds),
                    L"seconds (" + SeatWatchEverySetting.Range() + L"): only this server is asked", ES_NUMBER,
                    40);
        stack.Field(L"Give up after", IDC_JOIN_WATCH_GIVE_UP, std::to_wstring(state.watch->giveUpMinutes),
                    L"minutes (" + SeatWatchGiveUpSetting.Range() + L")", ES_NUMBER, 40);
    }
    stack.Y() += 4;
    stack.Place(L"Button", state.watch ? L"Wait" : L"Join", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK,
                Stacker::Width - 2 * 54, 50, 14);
    stack.Place(L"Button", L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, Stacker::Width - 54, 47, 14);
    stack.Y() += 14 + Stacker::Margin;

    // The frame grows to what was stacked.
    RECT client{0, 0, Stacker::Width, stack.Y()};
    MapDialogRect(dialog, &client);
    AdjustWindowRectEx(&client, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
    SetWindowPos(dialog, nullptr, 0, 0, client.right - client.left, client.bottom - client.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    SendMessageW(dialog, DM_SETDEFID, IDOK, 0);
}

void Collect(HWND dialog, const JoinState& state) {
    state.join->executable = WindowText(GetDlgItem(dialog, IDC_JOIN_EXECUTABLE));
    state.join->playerName = WindowText(GetDlgItem(dialog, IDC_JOIN_PLAYER_NAME));
    state.join->configFile = WindowText(GetDlgItem(dialog, IDC_JOIN_CONFIG_FILE));
    state.join->parameters = WindowText(GetDlgItem(dialog, IDC_JOIN_PARAMETERS));
    int next = IDC_JOIN_OPTION;
    for (const OfferedLaunchOption& option : state.row->offeredOptions) {
        (*state.optionValues)[option.id] = WindowText(GetDlgItem(dialog, next++));
    }
    if (state.watch) {
        // A number out of range is taken as the nearest the range allows.
        const auto number = [&](int id, const NumberSetting& setting) {
            const std::wstring typed = WindowText(GetDlgItem(dialog, id));
            const long value =
                typed.empty() || typed.size() > 6 ? setting.lowest : std::wcstol(typed.c_str(), nullptr, 10);
            return static_cast<int>(std::clamp<long>(value, setting.lowest, setting.highest));
        };
        state.watch->everySeconds = number(IDC_JOIN_WATCH_EVERY, SeatWatchEverySetting);
        state.watch->giveUpMinutes = number(IDC_JOIN_WATCH_GIVE_UP, SeatWatchGiveUpSetting);
    }
}

INT_PTR JoinState::OnMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        Build(dialog, *this);
        SetFocus(GetDlgItem(dialog, IDC_JOIN_EXECUTABLE));
        return FALSE;  // the focus is set
    }
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
        case IDC_JOIN_BROWSE:
            Browse(dialog);
            return TRUE;
        case IDOK:
            Collect(dialog, *this);
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

bool AskJoin(HWND owner, const ServerRow& row, JoinSettings& join, std::map<int, std::wstring>& optionValues,
             SeatWatchAsk* watch) {
    JoinState state{&row, &join, &optionValues, watch};
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_JOIN), owner,
                           ObjectDialogProc<JoinState>, reinterpret_cast<LPARAM>(&state)) == IDOK;
}

bool AskJoinKept(HWND owner, const ServerRow& row, BrowserSettings& settings, bool waitForSeat) {
    const std::string address = row.address.Text();
    JoinSettings join = settings.join;
    std::map<int, std::wstring> values = settings.optionValues[address];
    SeatWatchAsk ask{settings.seatWatchSeconds, settings.seatWatchGiveUpMinutes};
    if (!AskJoin(owner, row, join, values, waitForSeat ? &ask : nullptr)) return false;
    settings.join = join;
    settings.optionValues[address] = values;
    settings.seatWatchSeconds = ask.everySeconds;
    settings.seatWatchGiveUpMinutes = ask.giveUpMinutes;
    return true;
}
