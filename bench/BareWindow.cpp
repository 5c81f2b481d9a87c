// The least a Windows program does to show a window: registers a class, creates and shows one
// window of the given outer size, and runs its message loop until the window is closed. What
// the converter's start is measured against.
//   pecun-bench-bare.exe WIDTH HEIGHT     (pixels; a default size when not given)
#include <windows.h>

#include <cstdlib>

namespace {

constexpr wchar_t kClass[] = L"PecunBenchBare";
constexpr wchar_t kTitle[] = L"Bare window";

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The number that starts `text` and the text after it; CW_USEDEFAULT when there is none.
int ReadSize(char*& text) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || value <= 0) return CW_USEDEFAULT;
    text = end;
    return static_cast<int>(value);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    char* arguments = commandLine;
    const int width = ReadSize(arguments);
    const int height = ReadSize(arguments);

    WNDCLASSW wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClass;
    if (RegisterClassW(&wc) == 0) return 1;
    HWND window =
        CreateWindowExW(0, kClass, kTitle, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT,
                        CW_USEDEFAULT, width, height, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;
    ShowWindow(window, show);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
