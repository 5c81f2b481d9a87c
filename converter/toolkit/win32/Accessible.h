// What a screen reader gets of a control beyond the system's standard object: the name and
// the description that the control's form window gives (FormWindow::AccessibleText), and
// the role of a control the system does not know (FormWindow::AccessibleRole). A control
// answers WM_GETOBJECT with a small proxy over the standard object that replaces those;
// oleacc.dll is loaded at the first request, and where it is missing the controls answer as
// they always do.
#pragma once

#include <windows.h>

namespace tk::win32 {

class WindowManager;

// Makes `control` answer WM_GETOBJECT through the proxy while it has a text to give; the
// proxy finds the control's form window through `manager`, which outlives the control.
void AnswerAccessibility(HWND control, const WindowManager& manager);

// Tells screen readers that the name of `control` has changed: the system's name-change
// event and, where the system has it, the live-region event.
void AnnounceNameChange(HWND control);

}  // namespace tk::win32
