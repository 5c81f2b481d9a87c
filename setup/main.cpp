// setup.exe: asks one question and, on Yes, hands the INF file to the system's INF
// installer through rundll32.exe. The decisions live in SetupLogic; this unit only asks
// Windows for the facts and carries out the result. The exit code is always 0.
#include <shellapi.h>
#include <windows.h>

#include "SetupLogic.h"

using namespace setup;

namespace {

// The program's own full path; a path that filled the buffer (cut by the system) comes
// back as long as the buffer, which ChooseInf refuses.
std::string_view ProgramPath(char (&buffer)[kPathSize + 1]) {
    DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    return std::string_view(buffer, length < sizeof buffer ? length : kPathSize);
}

void ReadProductName(const char* infPath, char (&name)[kNameSize]) {
    char value[4 * kNameSize];
    GetPrivateProfileStringA(kStringsSection, kNameKey, kDefaultName, value, sizeof value, infPath);
    SetProductName(std::string_view(value, BoundedLength(value, sizeof value)), name);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const char* library = InstallerLibrary(GetVersion());

    char program[kPathSize + 1] = {};
    char infPath[kPathSize] = {};
    Action action = ChooseInf(CommandTail(GetCommandLineA()), ProgramPath(program), infPath);
    if (action == Action::Refuse) {
        MessageBoxA(nullptr, kTooLongText, kCaption, kTooLongStyle);
        return 0;
    }

    char productName[kNameSize] = {};
    ReadProductName(infPath, productName);
    char text[kTextSize] = {};
    ComposeQuestion(action, productName, text);
    if (MessageBoxA(nullptr, text, kCaption, kQuestionStyle) != kAnswerYes) return 0;

    char shortInfPath[kPathSize] = {};
    AcceptShortPath(GetShortPathNameA(infPath, shortInfPath, kPathSize), shortInfPath);
    ComposeCommand(action, library, shortInfPath, text);
    ShellExecuteA(nullptr, "open", "rundll32.exe", text, "", SW_SHOW);
    return 0;
}
