// setup.exe: asks one question and, on Yes, hands the INF file to the system's INF
// installer through rundll32.exe. The decisions live in SetupLogic; this unit only asks
// Windows for the facts and carries out the result. The exit code is always 0.
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include "SetupLogic.h"

using namespace setup;

// The message boxes' styles and answer that SetupLogic names are the system's.
static_assert(kQuestionStyle == static_cast<unsigned>(MB_YESNO | MB_ICONQUESTION));
static_assert(kTooLongStyle == static_cast<unsigned>(MB_OK | MB_ICONEXCLAMATION));
static_assert(kAnswerYes == IDYES);

namespace {

// The program's own full path. One that fills the buffer has been cut by the system (and
// may lack its terminator): it comes back as long as the buffer, which ChooseInf refuses.
std::string_view ProgramPath(char (&buffer)[kPathSize]) {
    DWORD length = GetModuleFileNameA(nullptr, buffer, kPathSize);
    return std::string_view(buffer, length < kPathSize ? length : kPathSize);
}

void ReadProductName(const char* infPath, char (&name)[kNameSize]) {
    // Room to spare: the cut to 63 characters is SetProductName's.
    char value[4 * kNameSize];
    GetPrivateProfileStringA(kStringsSection, kNameKey, kDefaultName, value, sizeof value, infPath);
    SetProductName(std::string_view(value, BoundedLength(value, sizeof value)), name);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    const char* library = InstallerLibrary(GetVersion());

    char program[kPathSize] = {};
    char infPath[kPathSize] = {};
    Action action = ChooseInf(CommandTail(GetCommandLineA()), ProgramPath(program), infPath);
    if (action == Action::Refuse) {
        MessageBoxA(nullptr, kTooLongText, kCaption, kTooLongStyle);
        return 0;
    }

    char productName[kNameSize] = {};
    ReadProductName(infPath, productName);
    char text[kTextSize] = {};
    // Nothing starts without the user's Yes to the question itself.
    if (!ComposeQuestion(action, productName, text)) return 0;
    if (MessageBoxA(nullptr, text, kCaption, kQuestionStyle) != kAnswerYes) return 0;

    char shortInfPath[kPathSize] = {};
    AcceptShortPath(GetShortPathNameA(infPath, shortInfPath, kPathSize), shortInfPath);
    if (!ComposeCommand(action, library, shortInfPath, text)) {
        MessageBoxA(nullptr, kTooLongText, kCaption, kTooLongStyle);
        return 0;
    }
    ShellExecuteA(nullptr, "open", "rundll32.exe", text, "", SW_SHOW);
    return 0;
}
