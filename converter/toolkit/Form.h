// Forms: a window described once as a table of controls, with its behaviour in handlers
// named control_event. The platform peer (win32/ or headless/) creates the real window
// from the table and turns what happens to it into calls of these handlers.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ListOrder.h"

namespace tk {

class Form;
class WindowPeer;

// What a control's or menu command's row runs for one of its events: the form, and the row's
// index in its group (-1 for a control alone and for a menu command). Made with Handler below.
using EventHandler = void (*)(Form& form, int index);

// Chart: a line over a time axis (ChartData below), one point of which is the cursor's; it
// takes the focus, and its keys go to the form (which previews keys to move the cursor).
enum class Kind : std::uint8_t { Label, Button, TextBox, ListBox, CheckBox, Picture, Chart };

// Control flags.
enum : std::uint32_t {
    kDefault = 1u << 0,       // button: Enter presses it
    kCancel = 1u << 1,        // button: Esc presses it
    kSorted = 1u << 2,        // list box: keeps its lines in text order
    kReadOnly = 1u << 3,      // text box: the user cannot change it
    kRightAlign = 1u << 4,    // label: text right-aligned
    kBold = 1u << 5,          // bold font
    kWindowColors = 1u << 6,  // label/picture: system window background and text colours
    kWordWrap = 1u << 7,      // label: wraps and honours CR LF
    kNoTabStop = 1u << 8,     // never takes the focus from the Tab key
    kBorderless = 1u << 9,    // picture: no border, a plain container
    kToolTip = 1u << 10,      // shows the form's ToolTipText, also as its accessible description
    // label: lies above the controls it overlaps, which never paint over it, and is shown
    // only while its caption is not empty
    kOverlay = 1u << 11,
    // In a form flagged kSizable, the control's right (bottom) edge keeps its distance from
    // the form's right (bottom) edge as the user resizes it; its left and top edges stay.
    kAnchorRight = 1u << 12,
    kAnchorBottom = 1u << 13,
};

// A rectangle in twips (1/1440 inch), relative to the parent's client area.
struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The size of the dialog font, in hundredths of a point.
inline constexpr int kDialogFontHundredthsPt = 825;

struct MenuSpec {
    const char* name;              // "mnuOptions"
    const char* caption;           // "&Options": a top-level command without sub-menu
    EventHandler click = nullptr;  // the command chosen; nullptr: nothing
};

struct ControlSpec {
    Kind kind;
    const char* name;     // the control's name without index: "cmdCur", "lblVal"
    int index = -1;       // index within an indexed group (cmdCur 0-7), -1 when alone
    const char* caption;  // design-time caption or text, UTF-8
    TwipsRect rect;
    int tabOrder;  // 0 first
    std::uint32_t flags = 0;
    int parent = -1;                 // position in the table of the container; -1: the form itself
    int maxLength = 0;               // text box: most characters the user can type; 0 = no limit
    const char* fontFace = nullptr;  // nullptr: the dialog font
    int fontHundredthsPt = 0;        // in hundredths of a point (975 = 9.75 pt); 0: the dialog's
    // What a screen reader names the control where its caption says too little ("Set the
    // base currency" for a ">"); nullptr: the caption.
    const char* accessibleName = nullptr;
    // The control's handlers; nullptr: the event does nothing.
    // a button or check box pressed; a list's line chosen; the mouse put a chart's cursor on
    // another point (ChartCursor tells which)
    EventHandler click = nullptr;
    EventHandler dblClick = nullptr;  // a list's line double-clicked
    EventHandler gotFocus = nullptr;  // the control took the focus
    // The commands of the control's context menu, shown for a right click on it, and for the
    // context-menu key and Shift+F10 while it has the focus; a command's click handler runs
    // with this row's index. Empty: no context menu.
    std::span<const MenuSpec> contextMenu = {};
};

// Whether the controls from `id` on are `count` controls named `name`, indexed 0 to count - 1
// (count 0: one control alone, index -1). Forms check their control ids against their table
// with it at compile time, so that an id and the table cannot disagree.
constexpr bool ControlsAre(std::span<const ControlSpec> table, int id, std::string_view name,
                           int count = 0) {
    const int n = count == 0 ? 1 : count;
    if (id < 0 || static_cast<std::size_t>(id + n) > table.size()) return false;
    for (int k = 0; k < n; ++k) {
        const ControlSpec& c = table[static_cast<std::size_t>(id + k)];
        if (std::string_view(c.name) != name || c.index != (count == 0 ? -1 : k)) return false;
    }
    return true;
}

// Whether menu `id` of the table is named `name`: the menu ids' compile-time check.
constexpr bool MenuIs(std::span<const MenuSpec> table, int id, std::string_view name) {
    return id >= 0 && static_cast<std::size_t>(id) < table.size() &&
           std::string_view(table[static_cast<std::size_t>(id)].name) == name;
}

// Form flags.
enum : std::uint32_t {
    kMinimizeBox = 1u << 0,    // has a minimise button (never a maximise button)
    kKeyPreview = 1u << 1,     // Form_KeyDown/Form_KeyPress see every key before the control
    kShowInTaskbar = 1u << 2,  // has a task-bar button
    kCenterOnOwner = 1u << 3,  // opens centred on the window that was active
    kDialogFrame = 1u << 4,    // fixed dialog border; otherwise fixed single
    // a sizing border and a maximise button: the user resizes it, never below the table's
    // client size; controls follow by their anchors (kAnchorRight, kAnchorBottom)
    kSizable = 1u << 5,
};

struct FormSpec {
    const char* name;
    const char* caption;
    int clientWidth;   // twips
    int clientHeight;  // twips
    std::uint32_t flags = 0;
    std::span<const ControlSpec> controls;  // a control's id is its position here
    std::span<const MenuSpec> menus = {};   // a menu's id is its position here
};

// Codes of the keys the forms and the peers handle: characters of Form_KeyPress (Backspace,
// Enter, Esc) and key codes of Form_KeyDown (the comma and period keys).
enum : std::int16_t {
    kKeyBackspace = 8,
    kKeyEnter = 13,
    kKeyEscape = 27,
    kKeyPageUp = 33,
    kKeyPageDown = 34,
    kKeyEnd = 35,
    kKeyHome = 36,
    kKeyLeft = 37,
    kKeyUp = 38,
    kKeyRight = 39,
    kKeyDown = 40,
    kKeyComma = 188,
    kKeyPeriod = 190,
};

// What a chart control draws: a line through its points, left to right, on a time axis and a
// value axis with their labels, a few points marked with their values, and a cursor on one
// point. The form writes every text; the peer only scales and draws.
struct ChartPoint {
    std::int64_t x = 0;  // a day number: the time axis is linear in it
    std::int64_t y = 0;  // the value, in the form's own unit (a count of 10^-decimals)
};
struct ChartLabel {
    std::int64_t at = 0;  // a place on its axis, in the points' x (or y) unit
    std::string text;
};
enum class ChartPlace : std::uint8_t { Above, Below, Right };
// A point drawn as a dot with its text on the given side of it.
struct ChartMark {
    std::size_t point = 0;  // an index into the points
    ChartPlace place = ChartPlace::Above;
    std::string text;
};
struct ChartData {
    std::vector<ChartPoint> points;   // x strictly ascending; empty: an empty plot
    std::int64_t yLow = 0;            // the value axis' bottom
    std::int64_t yHigh = 0;           // and top, above yLow
    std::vector<ChartLabel> yLabels;  // value ticks, each with a grid line
    std::vector<ChartLabel> xLabels;  // time ticks: a short line and the text after it
    std::vector<ChartMark> marks;
};

// Shift state of key events: 1 Shift, 2 Ctrl, 4 Alt.
enum : std::int16_t { kShiftMask = 1, kCtrlMask = 2, kAltMask = 4 };

// Window states.
enum : int { kStateNormal = 0, kStateMinimized = 1 };

// One window. Handlers run on the user-interface thread; the peer calls them and catches
// anything they throw. The handlers of the controls' and menus' events are in their rows; the
// form's own are the virtuals below. A form reaches its controls by id through the helpers.
class Form {
public:
    virtual ~Form();
    virtual const FormSpec& Layout() const = 0;

    virtual void Form_Load() {}
    virtual void Form_Unload() {}
    virtual void Form_Resize() {}
    virtual void Form_KeyDown(std::int16_t /*keyCode*/, std::int16_t /*shift*/) {}
    // May set keyAscii to 0 to swallow the character.
    virtual void Form_KeyPress(std::int16_t& /*keyAscii*/) {}
    // x and y in twips of the client area; the peer sends what the window received.
    virtual void Form_MouseMove(std::int16_t /*button*/, std::int16_t /*shift*/, float /*x*/,
                                float /*y*/) {}
    // The tip of a control flagged kToolTip, lines ended by CR LF; empty: none. The peer asks
    // each time it shows the tip or a screen reader asks for the description, so it must not
    // change anything.
    virtual std::string ToolTipText(int /*control*/) { return {}; }

    // Set by the slot that loads the form; valid from Form_Load until the unload.
    WindowPeer& Peer() const { return *peer_; }
    bool HasPeer() const { return peer_ != nullptr; }
    void AttachPeer(std::unique_ptr<WindowPeer> peer);

    // Control helpers (id = position in Layout().controls).
    std::string Text(int id) const;
    void SetText(int id, std::string_view text);
    const std::string& Tag(int id) const;
    void SetTag(int id, std::string text);

private:
    std::unique_ptr<WindowPeer> peer_;
    std::vector<std::string> tags_;
};

namespace detail {

template <typename Member>
struct MemberHandler;

template <typename F>
struct MemberHandler<void (F::*)()> {
    template <void (F::*M)()>
    static void Call(Form& form, int /*index*/) {
        (static_cast<F&>(form).*M)();
    }
};

template <typename F, typename Index>
struct MemberHandler<void (F::*)(Index)> {
    template <void (F::*M)(Index)>
    static void Call(Form& form, int index) {
        (static_cast<F&>(form).*M)(static_cast<Index>(index));
    }
};

}  // namespace detail

// The row's handler that calls `M`, a handler of the form's class: with the row's index when
// it takes one (cmdSet_Click(index) of the group cmdSet), else with nothing (cmdOK_Click()).
// Only for the rows of that class's own table.
template <auto M>
inline constexpr EventHandler Handler = &detail::MemberHandler<decltype(M)>::template Call<M>;

// What the peers call for an event of control `id`: its row's handler of that event
// (&ControlSpec::click, ::dblClick or ::gotFocus) with the row's index; nothing when the id
// is outside the table or the row has no such handler.
void RunControlHandler(Form& form, int id, EventHandler ControlSpec::*event);
// The same for menu command `menu`.
void RunMenuHandler(Form& form, int menu);
// The same for command `item` of control `id`'s context menu, with the control's index.
void RunContextMenuHandler(Form& form, int id, int item);

// What a form needs of its window and controls. Positions in list boxes are 0-based;
// -1 means "none" wherever a position is returned.
class WindowPeer {
public:
    virtual ~WindowPeer() = default;
    // Destroys the window and its controls now; the object itself may live on a little
    // (see FormSlot.h) and then answers every call harmlessly.
    virtual void Destroy() = 0;

    virtual void SetCaption(std::string_view text) = 0;  // the window's title
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual int WindowState() const = 0;  // kStateNormal or kStateMinimized
    virtual void SetWindowState(int state) = 0;
    virtual std::uint32_t Handle() const = 0;      // the window's handle as a 32-bit value
    virtual std::uint32_t IconHandle() const = 0;  // the handle of the window's icon
    virtual int TwipsPerPixelX() const = 0;        // the screen's, 15 at 96 dots per inch

    virtual std::string Text(int id) const = 0;  // caption or content, UTF-8
    virtual void SetText(int id, std::string_view text) = 0;
    virtual bool Enabled(int id) const = 0;
    virtual void SetEnabled(int id, bool enabled) = 0;
    virtual void SetDefaultButton(int id) = 0;
    virtual void SetFocus(int id) = 0;
    // Paints what has changed in the window and its controls now, without waiting for the
    // event loop: a handler calls it before work that blocks. A hidden window paints nothing.
    virtual void Refresh() {}
    // The control's accessible name from now on, in place of the table's; when it differs
    // from the one before, the peer announces it (the system's name-change and live-region
    // events), so that a screen reader reads it without moving the focus.
    virtual void SetAccessibleName(int id, std::string_view name) = 0;
    // The answers of the form's ToolTipText have changed: a tip on screen shows the new text.
    virtual void ToolTipsChanged() = 0;

    // Text boxes. Positions count characters.
    virtual void SetSelection(int id, int start, int length) = 0;
    virtual int SelStart(int id) const = 0;
    virtual int SelLength(int id) const = 0;

    // Check boxes: 0 cleared, 1 ticked.
    virtual int Value(int id) const = 0;
    virtual void SetValue(int id, int value) = 0;

    // List boxes. A sorted list places an added line by its text and reports its position.
    virtual int ListAdd(int id, std::string_view text) = 0;
    virtual int ListCount(int id) const = 0;
    virtual std::string ListText(int id, int pos) const = 0;  // empty if pos is outside
    virtual void ListSetText(int id, int pos, std::string_view text) = 0;  // keeps item data
    virtual std::int32_t ItemData(int id, int pos) const = 0;              // 0 if pos is outside
    virtual void SetItemData(int id, int pos, std::int32_t data) = 0;
    virtual int ListIndex(int id) const = 0;  // the selected position, -1 for none
    virtual void SetListIndex(int id, int pos) = 0;
    virtual void ListRemove(int id, int pos) = 0;
    // Every line with its item data, in list order.
    virtual std::vector<ListLine> ListLines(int id) const = 0;
    // Replaces every line at once, in the order given (a sorted list takes it as it is), and
    // selects line `selected` (-1: none). One pass, without redrawing line by line; the line
    // that was at the top of the view stays there when it is among the new ones.
    virtual void ListSetLines(int id, std::vector<ListLine> lines, int selected) = 0;

    // Chart controls. SetChart replaces what it draws and puts the cursor on the last point
    // (-1 without points); a point outside the data sets no cursor (-1).
    virtual void SetChart(int id, ChartData data) = 0;
    virtual int ChartCursor(int id) const = 0;  // -1: none
    virtual void SetChartCursor(int id, int point) = 0;
};

// Creates windows for forms; one per process, installed with the other services.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // A hidden window with every control of the form's table.
    virtual std::unique_ptr<WindowPeer> CreatePeer(Form& form) = 0;
    // Shows the form and handles events until done() is true; meanwhile the program's
    // other windows take no input.
    virtual void RunModal(Form& form, const std::function<bool()>& done) = 0;
};

}  // namespace tk
