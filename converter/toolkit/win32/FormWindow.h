// The real window of one form: a top-level window of the manager's form class with a child
// window for every control of the form's table. The window's instance data points here and
// is cleared when the window goes (WM_NCDESTROY), so that no message ever reaches a
// destroyed peer; after Destroy every operation answers harmlessly.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "../ListOrder.h"
#include "Win32.h"

namespace tk::win32 {

class FormWindow final : public WindowPeer {
public:
    FormWindow(WindowManager& manager, Form& form);
    ~FormWindow() override;
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    void Destroy() override;
    void SetCaption(std::string_view text) override;
    bool Visible() const override;
    void SetVisible(bool visible) override;
    int WindowState() const override;
    // Minimises or restores; a hidden window is shown in its new state.
    void SetWindowState(int state) override;
    std::uint32_t Handle() const override;
    std::uint32_t IconHandle() const override;
    int TwipsPerPixelX() const override;

    std::string Text(int id) const override;
    void SetText(int id, std::string_view text) override;
    bool Enabled(int id) const override;
    void SetEnabled(int id, bool enabled) override;
    void SetDefaultButton(int id) override;
    void SetFocus(int id) override;
    void Refresh() override;
    void SetAccessibleName(int id, std::string_view name) override;
    // A tip on screen asks the form again.
    void ToolTipsChanged() override;

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

    HWND Hwnd() const { return hwnd_; }
    Form& GetForm() const { return form_; }
    bool KeyPreview() const { return (form_.Layout().flags & kKeyPreview) != 0; }
    // Enter: the focused push button, else the default button. Esc: the cancel button.
    void PressEnter();
    void PressCancel();
    // The tips: one window for the mouse over every control flagged kToolTip, and one that
    // follows the focus when it comes from the keyboard (Tab or an arrow key). Created at the
    // first mouse move over the form or the first focus tip, not with the form: the start
    // does not wait for them. Later calls do nothing.
    void CreateToolTips();

    // What a screen reader gets of the control `control` beyond the standard object: its
    // name (SetAccessibleName's, else the table's) and its description (the tip of a control
    // flagged kToolTip). nullopt where the standard object's answer stands, also once the
    // form window is gone.
    // HasAccessibleText: whether the proxy answers for the control at all (a chart always,
    // for its role).
    enum class Field { Name, Description };
    static std::optional<std::wstring> AccessibleText(const WindowManager& manager, HWND control,
                                                      Field field);
    static bool HasAccessibleText(const WindowManager& manager, HWND control);

    static LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK BoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ChartProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // The role a screen reader gets for `control` in place of the standard object's; 0 for
    // the standard object's.
    static long AccessibleRole(const WindowManager& manager, HWND control);
    // Shows the context menu of the control `focus` when it has one, as the context-menu key
    // or Shift+F10 asks; whether it had one.
    bool ContextMenuKey(HWND focus);

private:
    LRESULT Proc(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnColor(UINT msg, HDC dc, HWND control);
    LRESULT OnNotify(NMHDR* header);
    void OnActivate(bool active);
    void CreateControls();
    void CreateControl(int id, std::size_t depth);
    void FitClientArea();
    // Sizable forms: the anchored controls follow the client area's size (in pixels).
    void FollowAnchors(int width, int height);
    // The menu of control `control` when it has one, at `at` (screen pixels; both -1: from
    // the keyboard, at the control); whether it had one.
    bool ShowContextMenu(HWND control, LPARAM at);
    HFONT FontOf(const ControlSpec& c);
    // Charts (Chart.cpp).
    struct ChartState {
        ChartData data;
        int cursor = -1;
        // Where the last mouse move over the chart was, in screen pixels; none before the
        // first. A move to the same place (the system repeats one after other input, and a
        // window that opens under the pointer gets one) leaves the cursor where the keys put it.
        std::optional<POINT> lastMouse;
    };
    HWND ChartControl(int id) const;
    LRESULT ChartMessage(int id, HWND chart, UINT msg, WPARAM wParam, LPARAM lParam);
    void PaintChart(int id, HWND chart);
    // The mouse at x (pixels of the chart's client area): the cursor goes to the nearest point.
    void PointChart(int id, HWND chart, int x);
    void CenterOnActive();
    void PressButton(int id);
    HWND Control(int id) const;
    HWND ListControl(int id) const;
    bool ValidLine(int id, int pos) const;
    int ControlIdOf(HWND control) const;
    std::optional<std::wstring> NameOf(int id) const;
    bool HasTip(int id) const;
    std::wstring TipOf(int id);
    HWND CreateTipWindow();
    void ShowFocusTip(int id);
    void UpdateFocusTip();
    void HideFocusTip();

    WindowManager& manager_;
    Form& form_;
    HWND hwnd_ = nullptr;
    std::vector<HWND> controls_;
    // The sort keys of each list box's lines, in line order.
    std::vector<ListOrder> listOrder_;
    std::vector<ChartState> charts_;  // by control id; used by the charts only
    SIZE minSize_{};                  // a sizable form's outer size at its table's client size
    int defaultId_ = -1;
    int cancelId_ = -1;
    HWND lastFocus_ = nullptr;
    std::vector<std::optional<std::wstring>> accessibleNames_;  // by SetAccessibleName
    HWND mouseTips_ = nullptr;
    HWND focusTip_ = nullptr;
    bool tipsCreated_ = false;
    int focusTipId_ = -1;   // the control the focus tip shows for, -1: none shown
    std::wstring tipText_;  // the text the mouse's tip is showing
    bool ready_ = false;
    bool shownOnce_ = false;
};

}  // namespace tk::win32
