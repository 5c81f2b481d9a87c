// Drives the real setup.exe inside this build's Wine prefix: each test lays out a package
// folder of its own (setup.exe, setup.inf and stand-ins for the converter's files), starts
// setup.exe, reads and answers its message box, and waits with a deadline for the INF
// installer's work to show in Program Files, the Start menu and the registry.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which they need
#include <shlobj.h>
#include <tlhelp32.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr DWORD kDeadlineMs = 30000;
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pecunor";
constexpr char kStandInExe[] = "stand-in for the converter\r\n";
constexpr char kStandInHelp[] = "stand-in for the help text\r\n";
constexpr char kInstallQuestion[] = "This program will install Pecunor. Do you want to continue ?";
constexpr char kUninstallQuestion[] =
    "This program will uninstall Pecunor. Do you want to continue ?";

// A path on this machine as Wine sees it through its Z: drive.
std::string FromUnix(const char* path) {
    std::string s = std::string("Z:") + path;
    for (char& c : s) {
        if (c == '/') c = '\\';
    }
    return s;
}

std::string Folder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
    return path;
}

const std::string& InstallFolder() {
    static const std::string folder = Folder(CSIDL_PROGRAM_FILES) + "\\Pecunor";
    return folder;
}

std::string Shortcut() { return Folder(CSIDL_COMMON_PROGRAMS) + "\\Pecunor.lnk"; }

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileText(const std::string& path) {
    std::string text;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE) return text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
    CloseHandle(f);
    return text;
}

bool WriteFileText(const std::string& path, const std::string& text) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
              written == text.size();
    CloseHandle(f);
    return ok;
}

// The value of the uninstall entry, or "<missing>".
std::string UninstallValue(const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return "<missing>";
    }
    char value[1024] = {};
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    LONG rc = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS && type == REG_SZ ? std::string(value) : "<missing>";
}

bool UninstallKeyExists() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

// What of Pecunor is on the machine, one item per line, for comparing and for messages.
std::string InstalledItems() {
    std::string items;
    for (const char* file : {"pecun.exe", "pecun.txt", "setup.exe", "setup.inf"}) {
        if (Exists(InstallFolder() + "\\" + file)) items += std::string(file) + "\n";
    }
    if (Exists(Shortcut())) items += "shortcut\n";
    if (UninstallKeyExists()) items += "uninstall key\n";
    return items;
}

constexpr char kEverything[] =
    "pecun.exe\npecun.txt\nsetup.exe\nsetup.inf\nshortcut\nuninstall key\n";

bool WaitFor(const std::function<bool()>& done, DWORD ms = kDeadlineMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms) return false;
        Sleep(20);
    }
    return true;
}

bool ProcessRunning(const char* exeName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32First(snapshot, &entry); more && !found;
         more = Process32Next(snapshot, &entry)) {
        found = lstrcmpiA(entry.szExeFile, exeName) == 0;
    }
    CloseHandle(snapshot);
    return found;
}

bool InstallerRunning() { return ProcessRunning("rundll32.exe"); }

// Removes whatever an earlier, failed run left, without the INF installer.
void RemoveLeftovers() {
    for (const char* file : {"pecun.exe", "pecun.txt", "setup.exe", "setup.inf"}) {
        DeleteFileA((InstallFolder() + "\\" + file).c_str());
    }
    RemoveDirectoryA(InstallFolder().c_str());
    DeleteFileA(Shortcut().c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
}

class SetupProcess {
public:
    // Starts commandLine; its working folder is the root of drive C.
    explicit SetupProcess(const std::string& commandLine) {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        std::vector<char> line(commandLine.begin(), commandLine.end());
        line.push_back('\0');
        started_ = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, "C:\\",
                                  &si, &pi_) != 0;
    }
    ~SetupProcess() {
        if (!started_) return;
        if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 1);
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    SetupProcess(const SetupProcess&) = delete;
    SetupProcess& operator=(const SetupProcess&) = delete;

    bool started() const { return started_; }

    // The visible message box captioned "Setup" of this process, once its buttons exist.
    HWND WaitForBox(int lastButton) const {
        HWND box = nullptr;
        WaitFor([&] {
            box = FindBox();
            return box != nullptr && GetDlgItem(box, lastButton) != nullptr;
        });
        return box;
    }

    // The exit code, or STILL_ACTIVE when the process has not ended within the deadline.
    DWORD WaitForExit() const {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(pi_.hProcess, kDeadlineMs) == WAIT_OBJECT_0) {
            GetExitCodeProcess(pi_.hProcess, &code);
        }
        return code;
    }

private:
    struct BoxSearch {
        DWORD pid;
        HWND found;
    };

    static BOOL CALLBACK MatchBox(HWND w, LPARAM p) {
        auto* s = reinterpret_cast<BoxSearch*>(p);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        char caption[64] = {};
        char cls[64] = {};
        GetWindowTextA(w, caption, sizeof caption);
        GetClassNameA(w, cls, sizeof cls);
        if (pid == s->pid && IsWindowVisible(w) && lstrcmpA(caption, "Setup") == 0 &&
            lstrcmpA(cls, "#32770") == 0) {
            s->found = w;
            return FALSE;
        }
        return TRUE;
    }

    HWND FindBox() const {
        BoxSearch search{pi_.dwProcessId, nullptr};
        EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    PROCESS_INFORMATION pi_{};
    bool started_ = false;
};

BOOL CALLBACK TakeStaticText(HWND w, LPARAM p) {
    char cls[32] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") != 0) return TRUE;
    char buffer[1024] = {};
    SendMessageA(w, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    if (buffer[0] == '\0') return TRUE;
    *reinterpret_cast<std::string*>(p) = buffer;
    return FALSE;
}

// The message box's text: that of its static control with a text (the icon has none).
std::string BoxText(HWND box) {
    std::string text;
    EnumChildWindows(box, TakeStaticText, reinterpret_cast<LPARAM>(&text));
    return text;
}

void Press(HWND box, int button) { PostMessageA(GetDlgItem(box, button), BM_CLICK, 0, 0); }

class SetupEndToEndTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WaitFor([] { return !InstallerRunning(); }))
            << "expected no INF installer running before the test, one still runs";
        RemoveLeftovers();
        ASSERT_EQ(InstalledItems(), "") << "expected a machine without Pecunor";
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        // A folder name with a blank: the installer is only reached through the short path.
        CreateDirectoryA("C:\\Pecunor tests", nullptr);
        package_ = std::string("C:\\Pecunor tests\\") + info->name();
        CreateDirectoryA(package_.c_str(), nullptr);
        for (const char* file :
             {"setup.exe", "setup.inf", "install.exe", "install.inf", "pecun.exe", "pecun.txt"}) {
            DeleteFileA((package_ + "\\" + file).c_str());
        }
    }

    void TearDown() override {
        WaitFor([] { return !InstallerRunning(); });
        RemoveLeftovers();
    }

    // The package a user is handed, with stand-ins for the converter's files.
    void LayOutPackage() {
        ASSERT_TRUE(CopyFileA(FromUnix(PECUN_SETUP_EXE_UNIX_PATH).c_str(),
                              (package_ + "\\setup.exe").c_str(), FALSE))
            << "expected to copy " << PECUN_SETUP_EXE_UNIX_PATH;
        ASSERT_TRUE(CopyFileA(FromUnix(PECUN_SETUP_INF_UNIX_PATH).c_str(),
                              (package_ + "\\setup.inf").c_str(), FALSE))
            << "expected to copy " << PECUN_SETUP_INF_UNIX_PATH;
        ASSERT_TRUE(WriteFileText(package_ + "\\pecun.exe", kStandInExe));
        ASSERT_TRUE(WriteFileText(package_ + "\\pecun.txt", kStandInHelp));
    }

    std::string PackageSetup() const { return "\"" + package_ + "\\setup.exe\""; }

    // Runs commandLine, checks the question and answers it with button; then waits for
    // setup.exe to end with 0 and, after a Yes, for the installer to finish.
    void RunAndAnswer(const std::string& commandLine, const std::string& question, int button) {
        SetupProcess setup(commandLine);
        ASSERT_TRUE(setup.started()) << "expected to start " << commandLine;
        HWND box = setup.WaitForBox(IDNO);
        ASSERT_NE(box, nullptr) << "expected a message box captioned Setup from " << commandLine;
        EXPECT_EQ(BoxText(box), question);
        Press(box, button);
        EXPECT_EQ(setup.WaitForExit(), 0u) << "expected setup.exe to end at once with 0";
        if (button == IDNO) {
            EXPECT_FALSE(InstallerRunning()) << "expected nothing started after No";
        }
    }

    void Install() {
        RunAndAnswer(PackageSetup(), kInstallQuestion, IDYES);
        EXPECT_TRUE(WaitFor([] { return InstalledItems() == kEverything && !InstallerRunning(); }))
            << "expected after installing:\n"
            << kEverything << "came:\n"
            << InstalledItems();
    }

    void Uninstall() {
        std::string command = UninstallValue("UninstallString");
        ASSERT_NE(command, "<missing>") << "expected an uninstall command";
        RunAndAnswer(command, kUninstallQuestion, IDYES);
        EXPECT_TRUE(WaitFor([] { return InstalledItems().empty() && !InstallerRunning(); }))
            << "expected nothing left after uninstalling, came:\n"
            << InstalledItems();
    }

    std::string package_;
};

TEST_F(SetupEndToEndTest, YesInstallsAndTheUninstallEntryRemovesItAll) {
    LayOutPackage();
    Install();
    EXPECT_EQ(ReadFileText(InstallFolder() + "\\pecun.txt"), kStandInHelp);
    EXPECT_EQ(ReadFileText(InstallFolder() + "\\setup.inf"),
              ReadFileText(package_ + "\\setup.inf"));
    EXPECT_EQ(UninstallValue("DisplayName"), "Pecunor");
    EXPECT_EQ(UninstallValue("UninstallString"),
              "\"" + InstallFolder() + "\\setup.exe\" U" + InstallFolder() + "\\setup.inf");

    Uninstall();
    // The INF installer may leave the install folder itself, but nothing in it.
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((InstallFolder() + "\\*").c_str(), &found);
    std::string inside;
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (lstrcmpA(found.cFileName, ".") != 0 && lstrcmpA(found.cFileName, "..") != 0) {
                inside += std::string(found.cFileName) + " ";
            }
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    EXPECT_EQ(inside, "") << "expected an empty or no install folder";
}

TEST_F(SetupEndToEndTest, NoChangesNothing) {
    LayOutPackage();
    RunAndAnswer(PackageSetup(), kInstallQuestion, IDNO);
    EXPECT_EQ(InstalledItems(), "") << "expected nothing installed after No";

    Install();
    RunAndAnswer(UninstallValue("UninstallString"), kUninstallQuestion, IDNO);
    EXPECT_EQ(InstalledItems(), kEverything) << "expected everything kept after No";
    Uninstall();
}

TEST_F(SetupEndToEndTest, QuestionNamesWhatTheInfHolds) {
    struct Case {
        const char* program;  // copy of setup.exe in the package folder
        const char* arguments;
        const char* infName;  // written to the package folder unless empty
        std::string inf;
        std::string question;
    };
    const std::string longName(100, 'n');
    const Case cases[] = {
        {"setup.exe", "", "", "", "This program will install a program. Do you want to continue ?"},
        {"setup.exe", " u", "setup.inf", "[Strings]\r\nSetupName = \"Other\"\r\n",
         "This program will install Other. Do you want to continue ?"},
        {"install.exe", "", "install.inf", "[Strings]\r\nSetupName = \"Installed\"\r\n",
         "This program will install Installed. Do you want to continue ?"},
        {"setup.exe", "", "setup.inf", "[Strings]\r\nOther = \"x\"\r\n",
         "This program will install a program. Do you want to continue ?"},
        {"setup.exe", "", "setup.inf", "[Strings]\r\nSetupName = " + longName + "\r\n",
         "This program will install " + longName.substr(0, 63) + ". Do you want to continue ?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.program) + c.arguments + " with [" + c.inf + "]");
        for (const char* file : {"setup.exe", "setup.inf", "install.exe", "install.inf"}) {
            DeleteFileA((package_ + "\\" + file).c_str());
        }
        std::string program = package_ + "\\" + c.program;
        ASSERT_TRUE(CopyFileA(FromUnix(PECUN_SETUP_EXE_UNIX_PATH).c_str(), program.c_str(), FALSE));
        if (*c.infName != '\0') {
            ASSERT_TRUE(WriteFileText(package_ + "\\" + c.infName, c.inf));
        }
        RunAndAnswer("\"" + program + "\"" + c.arguments, c.question, IDNO);
    }
    // Uninstalling names the product of the INF given after the "U".
    RunAndAnswer(
        PackageSetup() + " U" + package_ + "\\setup.inf",
        "This program will uninstall " + longName.substr(0, 63) + ". Do you want to continue ?",
        IDNO);
}

TEST_F(SetupEndToEndTest, TooLongUninstallPathIsRefused) {
    LayOutPackage();
    SetupProcess setup(PackageSetup() + " UC:\\" + std::string(300, 'x') + ".inf");
    ASSERT_TRUE(setup.started());
    HWND box = setup.WaitForBox(IDOK);
    ASSERT_NE(box, nullptr) << "expected a message box captioned Setup";
    EXPECT_EQ(BoxText(box), "The path of the INF file is too long. Nothing was started.");
    EXPECT_EQ(GetDlgItem(box, IDYES), nullptr) << "expected no question, only a notice";
    Press(box, IDOK);
    EXPECT_EQ(setup.WaitForExit(), 0u);
    EXPECT_FALSE(InstallerRunning()) << "expected nothing started";
}

}  // namespace
