// The headless peer: every control as plain state, every service as a scriptable fake, and
// a scripted user who types and clicks. Constructing a Platform installs it (and a fresh
// in-memory settings store); destroying it puts the previous services back.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "../Form.h"
#include "../ListOrder.h"
#include "../MemorySettings.h"
#include "../Services.h"
#ifdef PECUN_HAVE_EXPAT
#include "../expat/ExpatXml.h"
#endif

namespace tk::headless {

struct ControlState {
    std::string text;
    bool enabled = true;
    int selStart = 0;
    int selLength = 0;
    int value = 0;
    std::vector<ListLine> lines;
    ListOrder order;
    int listIndex = -1;
    std::string accessibleName;  // the table's, then what SetAccessibleName gave
    int nameChanges = 0;         // announcements of a changed accessible name
    TwipsRect rect;              // the table's, moved by the anchors when the form is resized
    ChartData chart;             // a chart's content
    int chartCursor = -1;
};

class Window : public WindowPeer {
public:
    Window(Form& form, std::uint32_t handle);

    void Destroy() override { destroyed = true; }
    void SetCaption(std::string_view text) override { caption = text; }
    bool Visible() const override { return visible; }
    void SetVisible(bool v) override;
    int WindowState() const override { return state; }
    void SetWindowState(int s) override;
    std::uint32_t Handle() const override { return handle; }
    std::uint32_t IconHandle() const override { return 0x1C0; }
    int TwipsPerPixelX() const override { return 15; }

    std::string Text(int id) const override;
    void SetText(int id, std::string_view text) override;
    bool Enabled(int id) const override;
    void SetEnabled(int id, bool enabled) override;
    void SetDefaultButton(int id) override { defaultButton = id; }
    void SetFocus(int id) override;
    void Refresh() override { ++refreshes; }
    void SetAccessibleName(int id, std::string_view name) override;
    void ToolTipsChanged() override { ++tipChanges; }
    // What a screen reader gets: the accessible name (else the caption), and the description
    // of a control flagged kToolTip, which is also its tip: the form's ToolTipText.
    std::string AccessibleName(int id) const;
    std::string ToolTip(int id) const;

    void SetSelection(int id, int start, int length) override;
    int SelStart(int id) const override;
    int SelLength(int id) const override;
    int Value(int id) const override;
    void SetValue(int id, int value) override;

    int ListAdd(int id, std::string_view text) override;
    int ListCount(int id) const override;
    std::string ListText(int id, int pos) const override;
    void ListSetText(int id, int pos, std::string_view text) override;
    std::int32_t ItemData(int id, int pos) const override;
    void SetItemData(int id, int pos, std::int32_t data) override;
    int ListIndex(int id) const override;
    void SetListIndex(int id, int pos) override;
    void ListRemove(int id, int pos) override;
    std::vector<ListLine> ListLines(int id) const override;
    void ListSetLines(int id, std::vector<ListLine> lines, int selected) override;

    void SetChart(int id, ChartData data) override;
    int ChartCursor(int id) const override;
    void SetChartCursor(int id, int point) override;

    // The user resizes a kSizable form to a client area of width x height twips (no less than
    // the table's): the controls follow their anchors, then Form_Resize runs.
    void Resize(int width, int height);
    int clientWidth = 0;
    int clientHeight = 0;

    Form& form;
    std::string caption;
    bool visible = false;
    int state = kStateNormal;
    std::uint32_t handle;
    bool destroyed = false;
    int defaultButton = -1;
    int focus = -1;
    int refreshes = 0;
    int tipChanges = 0;
    std::vector<ControlState> controls;

private:
    ControlState* At(int id);
    const ControlState* At(int id) const;
    bool ValidLine(int id, int pos) const;
};

struct MsgBoxCall {
    std::string prompt;
    MsgBoxFlags flags;
    std::string title;
};

struct FetchCall {
    std::string url;
    int timeLimitMs;
};

struct ShellCall {
    std::string verb, file, parameters, directory;
    ShowCommand show;
};

class Platform : public WindowSystem,
                 public MessageBoxService,
                 public ClipboardService,
                 public SoundService,
                 public RegionalService,
                 public ShellService,
                 public AppService,
                 public HttpService,
                 public ClockService {
public:
    Platform();
    ~Platform() override;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    // WindowSystem
    std::unique_ptr<WindowPeer> CreatePeer(Form& form) override;
    void RunModal(Form& form, const std::function<bool()>& done) override;
    // MessageBoxService: answers from `answers`, then `defaultAnswer`.
    MsgBoxResult MsgBox(std::string_view prompt, MsgBoxFlags flags,
                        std::string_view title) override;
    // ClipboardService
    bool HasText() override { return clipboardHasText; }
    std::string GetText() override { return clipboardHasText ? clipboard : std::string(); }
    void Clear() override;
    void SetText(std::string_view text) override;
    // SoundService
    void Beep() override { ++beeps; }
    // RegionalService
    std::string DecimalSeparator() override { return separators.first; }
    std::string ThousandsSeparator() override { return separators.second; }
    std::string ShortDate(int year, int month, int day) override;     // by shortDatePattern
    std::string LongTime(int hour, int minute, int second) override;  // "2:05:09 PM"
    // Reads the date by shortDatePattern, then the time LongTime writes if one follows.
    std::optional<LocalTime> ReadDateTime(std::string_view text) override;
    // The headless locale: ASCII letters change case, and sort without it; every other byte
    // sorts by its value.
    std::string UpperCase(std::string_view text) override { return AsciiUpperCase(text); }
    std::string SortKey(std::string_view text) override { return AsciiLowerCase(text); }
    // ClockService
    LocalTime Now() override { return now; }
    LocalTime UtcNow() override { return utcNow; }
    std::uint64_t Ticks() override { return ticks; }
    // ShellService: icons present are kept by (window, uID).
    void ShellExecute(std::string_view verb, std::string_view file, std::string_view parameters,
                      std::string_view directory, ShowCommand show) override;
    bool NotifyIcon(NotifyIconMessage message, const NotifyIconData& icon) override;
    // AppService
    std::string Path() override { return appPath; }
    std::string CommandLine() override { return commandLine; }
    // HttpService: bodies by address; an address missing here cannot be fetched. A fetch of
    // an address in httpCostMs takes that long off `ticks` (no more than its limit; at the
    // limit it fails). Every fetch is noted in `fetches`.
    bool Fetch(std::string_view url, int timeLimitMs, std::string& body) override;

    // The scripted user. Each action goes to the form as the real peer sends it: a key is
    // Form_KeyDown with its key code, then Form_KeyPress with its character.
    // "\x1b" Esc, "\b" Backspace, "\r" Enter (as Enter below).
    void Type(Form& form, std::string_view keys);
    void Ctrl(Form& form, char letter);      // Ctrl with a letter key: 'C', 'V', 'X'
    void Click(Form& form, int control);     // a click on an enabled control
    void DblClick(Form& form, int control);  // a double click on an enabled control
    // Enter goes to a form that previews keys, then, unless swallowed, presses the focused
    // button, else the default button. Esc presses the cancel button.
    void Enter(Form& form);
    void Escape(Form& form);
    void Menu(Form& form, int menu);
    // A key with no character (an arrow, Home, Page Up...), as Form_KeyDown of a form that
    // previews keys receives it.
    void Key(Form& form, std::int16_t keyCode, std::int16_t shift = 0);
    // Command `item` of the context menu of an enabled control, as the user chooses it.
    void ContextMenu(Form& form, int control, int item);
    // The mouse over point `point` of a chart: the cursor goes there and, when it moved, the
    // chart's click handler runs.
    void PointChart(Form& form, int control, int point);

    static Window& PeerOf(const Form& form);
    // Whether another form is shown modally, so that `form` takes no input.
    bool Blocked(const Form& form) const;

    MemorySettings settings;
    std::deque<MsgBoxResult> answers;
    MsgBoxResult defaultAnswer = MsgBoxResult::No;
    std::vector<MsgBoxCall> msgboxes;
    std::string clipboard;
    bool clipboardHasText = false;
    int beeps = 0;
    std::pair<std::string, std::string> separators{".", ","};
    std::vector<ShellCall> shellCalls;
    std::vector<NotifyIconMessage> notifyMessages;
    std::set<std::pair<std::uint32_t, std::uint32_t>> icons;
    std::string appPath = "C:\\App";
    std::string commandLine;
    std::map<std::string, std::string> httpBodies;
    std::map<std::string, int> httpCostMs;
    std::vector<FetchCall> fetches;
    std::uint64_t ticks = 1000000;
    std::string shortDatePattern = "M/d/yyyy";
    LocalTime now{2026, 12, 8, 14, 5, 9};
    LocalTime utcNow{2026, 12, 8, 13, 5, 9};
    // Runs while a form is shown modally, as the user; the form must be unloaded or hidden by
    // then, else the modal show reports it (see tk::Report).
    std::function<void(Form&)> onModal;
    std::vector<std::string> modalForms;

private:
    // The key's two events; returns the character as the handlers left it, 0 when
    // swallowed or when the form takes no input.
    std::int16_t Deliver(Form& form, std::int16_t keyCode, std::int16_t shift, std::int16_t ch);
    // Runs an event's handler; as on the Win32 peer, unloaded forms are freed only once no
    // handler runs.
    void RunEvent(std::string_view what, const std::function<void()>& handler);
    int running_ = 0;
    ServiceSet previous_;
#ifdef PECUN_HAVE_EXPAT
    ExpatXmlReader xmlReader_;
#endif
    std::uint32_t nextHandle_ = 0x10010;
    std::vector<const Form*> modalStack_;  // the forms shown modally, innermost last
};

}  // namespace tk::headless
