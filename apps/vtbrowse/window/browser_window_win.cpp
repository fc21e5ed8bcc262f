// The main window: its parts made, placed where browser_layout says, and connected to the model.
#include "apps/vtbrowse/window/browser_window_win.h"

#include "apps/vtbrowse/dialogs/join_dialog_win.h"
#include "apps/vtbrowse/resources/resource_ids.h"
#include "apps/vtbrowse/window/browser_layout.h"
#include "host/text/utf8_text.h"

namespace {

constexpr const wchar_t* MainClass = L"VtbrowseMain";
// A first start's size, and the least a saved one may be, in 96-DPI units.
constexpr SIZE FirstSize{980, 640};
constexpr SIZE LeastSaved{400, 300};

}  // namespace

BOOL BrowserWindow::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         LRESULT& result) {
    // What belongs to a part that owns no window goes to it first.
    if (routes_.Pass(message, wParam, lParam, result)) return TRUE;
    return TakeMessage(*this,
                       {{WM_CREATE, &BrowserWindow::OnCreate},
                        {WM_SIZE, &BrowserWindow::OnSize},
                        {WM_GETMINMAXINFO, &BrowserWindow::OnGetMinMaxInfo},
                        {WM_COMMAND, &BrowserWindow::OnCommand},
                        {WM_CLOSE, &BrowserWindow::OnClose}},
                       message, wParam, lParam, result) ||
           Frame::ProcessWindowMessage(window, message, wParam, lParam, result);
}

// Until its parts exist, and once they are gone, the window is only a frame.
bool BrowserWindow::PartsMade() const {
    return status_ && window_;
}

BrowserWindow::BrowserWindow(BrowserStart start)
    : start_(std::move(start)), model_(start_.settingsPath, start_.options.problems) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    mainClass_ = RegisterMapClass<BrowserWindow>(MainClass, LoadIconW(nullptr, IDI_APPLICATION));
    chartClass_ = CountChart::RegisterClass();
    accelerators_ = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    // The place is the screen's, in pixels; the size is in 96-DPI units.
    const WindowPlace& place = model_.Settings().window;
    const bool placed = place.width >= LeastSaved.cx && place.height >= LeastSaved.cy;
    CreateFrame(MainClass, L"vtbrowse - Tribes servers",
                placed ? std::optional(POINT{place.x, place.y}) : std::nullopt,
                placed ? SIZE{place.width, place.height} : FirstSize, this);
    if (!window_) return;
    windowCommands_ = std::make_unique<WindowCommands>(window_.get(), routes_, model_, start_.pluginPath);
    fetch_ = std::make_unique<MasterFetch>(model_, window_.get(), routes_);
    receipt_ = std::make_unique<HandoverReceipt>(window_.get(), routes_,
                                                 [this](const std::vector<std::string>& arguments) {
                                                     model_.TakeHandedOver(ParseBrowseOptions(arguments));
                                                 });
    ShowWindow(window_.get(), start_.show);
    UpdateWindow(window_.get());
    try {
        side_ =
            std::make_unique<PluginSide>(start_.pluginPath, start_.options.mostSessions,
                                         model_.Settings().timeoutSeconds, model_, window_.get(), routes_);
    } catch (const std::exception& error) {
        model_.Log(L"The plugin could not be loaded, so nothing can be refreshed or joined: " +
                   WideFromUtf8(error.what()));
    }
    model_.Connect(*this, side_ != nullptr);
    model_.Start(start_.options);
    // The list's first paint with its servers is the longest the window spends on one message
    // (some 25 ms under Wine): done now, so that nothing waits for it once results come in.
    UpdateWindow(window_.get());
    if (model_.Settings().mastersAtStart) model_.GetFromMasters();
}

BrowserWindow::~BrowserWindow() {
    // Nothing handed over is taken while the rest goes.
    receipt_.reset();
    side_.reset();
    fetch_.reset();
    windowCommands_.reset();
    window_.reset();
}

// The parts are made in the order a reader meets them, pane by pane from the top left: the order
// of the windows is the order Tab walks.
LRESULT BrowserWindow::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    HWND window = window_.get();
    commands_ = std::make_unique<CommandPane>(window, model_);
    filters_ = std::make_unique<FilterPane>(window, model_);
    quick_ = std::make_unique<QuickConnectPane>(window, model_);
    masters_ = std::make_unique<MastersPane>(window, model_);
    list_ = std::make_unique<ServerListPane>(
        window, model_,
        ServerListPane::Handlers{
            [this](ServerId id, bool wait) { AskAndJoin(window_.get(), model_, id, wait); },
            [this](ServerId id) {
                if (side_) side_->OpenPluginMenu(id);
            },
            [this](ServerId id) {
                if (side_) side_->HandBack(id);
            }});
    seats_ = std::make_unique<SeatWatchPane>(window, model_);
    handedBack_ = std::make_unique<HandedBackPane>(window, model_);
    details_ = std::make_unique<DetailPane>(window, model_);
    log_ = std::make_unique<LogPane>(window, model_);
    friends_ = std::make_unique<FriendsPane>(window, model_, start_.notified);
    status_ = std::make_unique<StatusPane>(window, model_);
    for (Pane* pane : std::initializer_list<Pane*>{
             commands_.get(), filters_.get(), quick_.get(), masters_.get(), list_.get(), seats_.get(),
             handedBack_.get(), details_.get(), log_.get(), friends_.get(), status_.get()})
        Follow(*pane);
    return 0;
}

LRESULT BrowserWindow::OnSize(UINT, WPARAM, LPARAM lParam, BOOL&) {
    if (!PartsMade()) return 0;
    const PartAreas at = LayOutParts(LOWORD(lParam), HIWORD(lParam), status_->Height(), dpi_);
    const std::pair<Pane*, PartArea> panes[] = {
        {status_.get(), at.status},   {commands_.get(), at.commands},     {quick_.get(), at.quick},
        {filters_.get(), at.filters}, {masters_.get(), at.masters},       {list_.get(), at.list},
        {seats_.get(), at.seats},     {handedBack_.get(), at.handedBack}, {details_.get(), at.details},
        {log_.get(), at.log},         {friends_.get(), at.friends}};
    for (const auto& [pane, area] : panes) pane->Place(RECT{area.left, area.top, area.right, area.bottom});
    return 0;
}

LRESULT BrowserWindow::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, BOOL&) {
    if (!PartsMade()) return 0;
    const ClientSize least = SmallestClient(status_->Height(), dpi_);
    KeepAtLeast(SIZE{least.width, least.height}, *reinterpret_cast<MINMAXINFO*>(lParam));
    return 0;
}

// The buttons' and the accelerators' commands the window's commands do not take: Enter goes to
// the pane with the keyboard, the others to the list (for the servers selected).
LRESULT BrowserWindow::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL&) {
    const bool enter = LOWORD(wParam) == IDOK;
    SendMessageW(enter ? GetParent(GetFocus()) : list_->Window(), WM_COMMAND, LOWORD(wParam), 0);
    return 0;
}

void BrowserWindow::AskJoin(ServerId server) {
    AskAndJoin(window_.get(), model_, server, false);
}

LRESULT BrowserWindow::OnClose(UINT, WPARAM, LPARAM, BOOL&) {
    receipt_->Close();
    if (const auto normal = NormalPlace())
        model_.SetWindowPlace(
            WindowPlace{normal->first.x, normal->first.y, normal->second.cx, normal->second.cy});
    ShowWindow(window_.get(), SW_HIDE);
    if (start_.quitOnClose) PostQuitMessage(0);
    return 0;
}

bool BrowserWindow::PreTranslate(MSG& message) {
    return (windowCommands_ && windowCommands_->PreTranslate(message)) || Frame::PreTranslate(message);
}
