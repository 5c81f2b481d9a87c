// The Win32 peer of the toolkit: real windows for the forms and the system's services.
//
// What programs driving the converter from outside can rely on:
// - every form is a top-level window of class "<prefix>Form" (the prefix is the program's,
//   ProgramIdentity::classPrefix) whose window text is the form's caption; its menu bar
//   holds the form's menu commands, in table order;
// - every control is a real child window whose window text is its caption or content:
//   labels are STATIC, buttons and check boxes BUTTON, text boxes EDIT, list boxes LISTBOX,
//   picture boxes "<prefix>Box" (the controls placed in a picture box are its children) and
//   charts "<prefix>Chart";
// - a control's id (GetDlgCtrlID) is 100 + its position in the form's control table, and a
//   menu command's id is 1000 + its position in the form's menu table.
//
// How messages become form events: BN_CLICKED of a button or check box and LBN_SELCHANGE of
// a list box run the row's click handler, LBN_DBLCLK its dblClick, the focus notifications
// its gotFocus, a menu command its row's click; WM_SIZE is Form_Resize, WM_MOUSEMOVE is
// Form_MouseMove (x and y in twips: pixels times TwipsPerPixelX), and the close box asks
// WindowManager::onClose.
// A key-preview form sees every key as Form_KeyDown and every character as Form_KeyPress
// before anything else happens to it. Then Enter presses the focused push button, else the
// default button; Esc presses the cancel button; Tab and the arrow keys move the focus (but
// for a chart, which keeps them). The context-menu key and Shift+F10 on a control with a
// context menu show it, as does WM_CONTEXTMENU (a right click) of such a control; the command
// chosen runs its row's click with the control's index.
// A chart's WM_MOUSEMOVE and WM_LBUTTONDOWN put its cursor on the point nearest the mouse
// along the time axis and, when it moved, run the row's click.
// A sizable form keeps its window no smaller than its table's client area; on WM_SIZE its
// anchored controls follow (in pixels), then Form_Resize runs.
// Controls are created, and so take the focus, in the tab order of the table.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "../Form.h"
#include "../Program.h"
#include "../Services.h"
#include "../Xml.h"

namespace tk::win32 {

inline constexpr int kControlIdBase = 100;
inline constexpr int kMenuIdBase = 1000;
inline constexpr int kIconResource = 1;  // the program icon in the resources

class FormWindow;

// Creates the form windows and runs their events. One per process.
class WindowManager : public WindowSystem {
public:
    // Registers the window classes "<classPrefix>Form", "<classPrefix>Box",
    // "<classPrefix>Chart" and "<classPrefix>Hidden" of `instance`.
    WindowManager(HINSTANCE instance, std::wstring_view classPrefix);
    ~WindowManager() override;
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;

    std::unique_ptr<WindowPeer> CreatePeer(Form& form) override;
    // Disables the program's other forms, then handles messages until done() holds,
    // checking it again after every message.
    void RunModal(Form& form, const std::function<bool()>& done) override;

    // Handles messages while running() holds; false when WM_QUIT ended the loop.
    bool MessageLoop(const std::function<bool()>& running);
    // Handles one message: key preview, Enter and Esc, dialog keys, then the window.
    void Dispatch(MSG& msg);

    // Runs a handler: counts it as running and reports (tk::Report) whatever it throws.
    void Call(const std::function<void()>& handler);

    // The close box of a form asks for its unload through this (set by the program).
    std::function<void(Form&)> onClose;
    // A log-off or shutdown ends the program through this, once (set by the program).
    std::function<void()> onEndSession;

    // Used by the form windows.
    HINSTANCE Instance() const { return instance_; }
    const wchar_t* FormClass() const { return formClass_.c_str(); }
    const wchar_t* BoxClass() const { return boxClass_.c_str(); }
    const wchar_t* ChartClass() const { return chartClass_.c_str(); }
    int Dpi() const { return dpi_; }
    int Px(int twips) const { return MulDiv(twips, dpi_, 1440); }
    HFONT Font(const char* face, int hundredthsPt, bool bold);
    HICON BigIcon() const { return bigIcon_; }
    HICON SmallIcon() const { return smallIcon_; }
    HWND HiddenOwner() const { return hidden_; }
    // The form window of `hwnd` or of the top-level window it lies in; nullptr if none.
    FormWindow* FormOf(HWND hwnd) const;
    // Gives input back to the windows a modal show of `form` disabled (once).
    void ReleaseModal(HWND form);
    void EndSession();

private:
    struct ModalFrame {
        HWND form;
        HWND previous;
        ATOM formAtom;  // the class of the windows to disable
        std::vector<HWND> disabled;
        bool released;
    };
    void RetireIfIdle();
    void RegisterChartClass(WNDCLASSEXW wc);
    static BOOL CALLBACK DisableForm(HWND hwnd, LPARAM frame);

    HINSTANCE instance_;
    std::wstring formClass_, boxClass_, chartClass_, hiddenClass_;
    int dpi_ = 96;
    ATOM formAtom_ = 0;
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    HWND hidden_ = nullptr;
    int running_ = 0;  // handlers under way
    bool ended_ = false;
    std::vector<ModalFrame> modal_;
    std::map<std::string, HFONT> fonts_;
};

// HKEY_CURRENT_USER\Software\<app>\<section>, one REG_SZ value a key. Every text
// round-trips exactly (blanks, CR and LF, empty texts).
class RegistrySettings : public SettingsStore {
public:
    std::string ReadSetting(std::string_view app, std::string_view section, std::string_view key,
                            std::string_view fallback) override;
    bool WriteSetting(std::string_view app, std::string_view section, std::string_view key,
                      std::string_view text) override;
    // The section's key stays open from the outermost BeginBatch to its EndBatch: once for
    // reading when something is read, once for writing when something is written.
    void BeginBatch(std::string_view app, std::string_view section) override;
    void EndBatch() override;
    // Removes HKEY_CURRENT_USER\Software\<app> with everything under it (for tests).
    static bool DeleteApp(std::string_view app);

    RegistrySettings() = default;
    RegistrySettings(const RegistrySettings&) = delete;
    RegistrySettings& operator=(const RegistrySettings&) = delete;
    ~RegistrySettings() override;

private:
    // The open key of `path`, creating the key when `create`; nullptr if it cannot be had.
    // `owned` tells whether the caller must close it.
    HKEY Open(const std::wstring& path, bool create, bool& owned);
    void CloseBatch();

    int batchDepth_ = 0;
    std::wstring batchPath_;
    HKEY batchKeys_[2] = {nullptr, nullptr};  // the batch's keys for reading and for writing
};

class Clipboard : public ClipboardService {
public:
    // `owner` owns what the program puts on the clipboard.
    explicit Clipboard(HWND owner) : owner_(owner) {}
    bool HasText() override;
    std::string GetText() override;
    void Clear() override;
    void SetText(std::string_view text) override;

private:
    bool Open();
    HWND owner_;
};

class SystemServices : public MessageBoxService,
                       public SoundService,
                       public RegionalService,
                       public ShellService,
                       public AppService,
                       public ClockService {
public:
    MsgBoxResult MsgBox(std::string_view prompt, MsgBoxFlags flags,
                        std::string_view title) override;
    void Beep() override;
    std::string DecimalSeparator() override;
    std::string ThousandsSeparator() override;
    std::string ShortDate(int year, int month, int day) override;
    std::string LongTime(int hour, int minute, int second) override;
    // VarDateFromStr with the user's locale, in the calendar ShortDate writes.
    std::optional<LocalTime> ReadDateTime(std::string_view text) override;
    // LCMapString with the user's locale: its upper case, and its sort key ignoring case.
    std::string UpperCase(std::string_view text) override;
    std::string SortKey(std::string_view text) override;
    LocalTime Now() override;
    LocalTime UtcNow() override;
    std::uint64_t Ticks() override;
    void ShellExecute(std::string_view verb, std::string_view file, std::string_view parameters,
                      std::string_view directory, ShowCommand show) override;
    bool NotifyIcon(NotifyIconMessage message, const NotifyIconData& icon) override;
    std::string Path() override;
    std::string CommandLine() override;

private:
    DWORD lastTick_ = 0;
    std::uint64_t tickWraps_ = 0;
};

// The proxy that the user's Internet settings name (as WinINet reads them); an empty server
// for none.
struct ProxySetting {
    std::wstring server;
    std::wstring bypass;
};
ProxySetting UserProxy();
// `relative` (a redirect's Location) taken relative to the absolute address `base`; empty
// when the two make no address.
std::wstring CombineUrl(const std::wstring& base, const std::wstring& relative);

// One HTTP GET through WinHTTP, by the proxy of the user's Internet settings, on a worker
// thread that the caller waits for. Whatever the server does (at resolving, connecting, in
// the headers, the redirects or the body), the call returns by its time limit: the worker's
// handles are closed then and the caller goes on. Redirects are followed by hand, each
// against the same limit. Reading stops as soon as the answer passes maxBody, without
// draining the rest.
class HttpFetch : public HttpService {
public:
    explicit HttpFetch(std::wstring userAgent) : userAgent_(std::move(userAgent)) {}
    bool Fetch(std::string_view url, int timeLimitMs, std::string& body) override;
    std::size_t maxBody = 16u * 1024u * 1024u;  // a longer answer is a failure

private:
    std::wstring userAgent_;
};

// The system's XmlLite (xmllite.dll), loaded at the first reading: where it is missing the
// program still starts, and every reading fails.
class XmlLiteReader : public XmlReader {
public:
    XmlResult Read(std::string_view document, XmlHandler& handler) override;
};

// What follows the program's name and the blanks after it in a command line.
std::wstring ArgumentText(std::wstring_view commandLine);

// Every service of the process, installed while this lives.
class Platform {
public:
    Platform(HINSTANCE instance, const ProgramIdentity& identity);
    ~Platform();
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    WindowManager windows;
    RegistrySettings settings;
    Clipboard clipboard;
    SystemServices system;
    HttpFetch http;
    XmlLiteReader xml;

private:
    ServiceSet previous_;
};

}  // namespace tk::win32
