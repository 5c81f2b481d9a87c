// Help opens the help text in Notepad, also from a folder whose path has blanks.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Scenario.h"

namespace e2e {
namespace {

constexpr char kFolder[] = "C:\\Program Files\\Pecun Test";

BOOL CALLBACK CollectNotepad(HWND window, LPARAM data) {
    if (ClassName(window) == "Notepad")
        reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
    return TRUE;
}

std::vector<HWND> NotepadWindows() {
    std::vector<HWND> found;
    EnumWindows(CollectNotepad, reinterpret_cast<LPARAM>(&found));
    return found;
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

// Closes every Notepad and waits until none is left.
bool CloseNotepads() {
    for (HWND window : NotepadWindows()) PostMessageW(window, WM_CLOSE, 0, 0);
    if (WaitUntil([] { return NotepadWindows().empty(); }, 5s)) return true;
    for (HWND window : NotepadWindows()) {
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, ProcessOf(window))) {
            TerminateProcess(process, 1);
            CloseHandle(process);
        }
    }
    return WaitUntil([] { return NotepadWindows().empty(); }, 5s);
}

std::string FirstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

class HelpTest : public PecunTest {
protected:
    void TearDown() override {
        CloseNotepads();
        PecunTest::TearDown();
        for (const char* name : {"pecun.exe", "pecun.txt"}) {
            DeleteFileW(Wide(std::string(kFolder) + "\\" + name).c_str());
        }
        RemoveDirectoryW(Wide(kFolder).c_str());
    }
};

TEST_F(HelpTest, OpensTheHelpTextFromAFolderWithBlanks) {
    ASSERT_TRUE(CloseNotepads());
    const std::string exe = std::string(kFolder) + "\\pecun.exe";
    ASSERT_TRUE(CopyInto(kFolder, {PecunExe(), PecunDir() + "\\pecun.txt"}))
        << "could not copy pecun.exe and pecun.txt into " << kFolder;
    ASSERT_TRUE(SeedStore(DefaultStore()));
    const std::optional<MainWindow> window = Open("", exe);
    ASSERT_TRUE(window);

    ASSERT_TRUE(ChooseMenu(window->form, kMenuHelp)) << "the main window has no Help menu";
    HWND notepad = nullptr;
    const bool opened = WaitUntil([&] {
        for (HWND w : NotepadWindows()) {
            if (IsWindowVisible(w) && Text(w).find("pecun") != std::string::npos) notepad = w;
        }
        return notepad != nullptr;
    });
    ASSERT_TRUE(opened) << "expected a Notepad window named after pecun.txt; Notepad windows: "
                        << NotepadWindows().size()
                        << (NotepadWindows().empty()
                                ? ""
                                : ", the first titled \"" + Text(NotepadWindows()[0]) + "\"");

    // The text is loaded and neither Notepad nor the converter complains.
    HWND edit = FindWindowExW(notepad, nullptr, L"Edit", nullptr);
    ASSERT_NE(edit, nullptr);
    const std::string firstLine = FirstLine(PecunDir() + "\\pecun.txt");
    EXPECT_TRUE(WaitUntil([&] { return Text(edit).rfind(firstLine, 0) == 0; }))
        << "expected Notepad to show pecun.txt, starting \"" << firstLine << "\"; it shows \""
        << Text(edit).substr(0, 80) << "\"";
    for (DWORD pid : {ProcessOf(notepad), program->Pid()}) {
        for (HWND box : TopWindows(pid, L"#32770")) {
            EXPECT_FALSE(IsWindowVisible(box))
                << "unexpected box \"" << Text(box) << "\": " << DialogTexts(box);
        }
    }
}

}  // namespace
}  // namespace e2e
