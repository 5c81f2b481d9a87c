// The decisions of setup.exe, free of any Windows header so that they run anywhere: which
// installer library, which INF file, which question and which installer command line.
// The Win32 edge (main.cpp) asks the system for the facts and hands them in here.
//
// Every text lives in a fixed, single-byte buffer with room for its terminator; nothing
// here writes past a buffer, whatever the command line or the INF file holds. A text that
// does not fit is refused (the INF path) or cut (the product name), never overrun.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

namespace setup {

inline constexpr std::size_t kPathSize = 260;  // INF path, short INF path, program path
inline constexpr std::size_t kNameSize = 64;   // product name: 63 characters at most
// Question, then the installer command line. The longest command line is the 41 fixed
// characters of the uninstall form, "setupx.dll" and a short path of 259 characters.
inline constexpr std::size_t kTextSize = 311;

inline constexpr char kCaption[] = "Setup";
inline constexpr char kStringsSection[] = "Strings";
inline constexpr char kNameKey[] = "SetupName";
inline constexpr char kDefaultName[] = "a program";
inline constexpr char kInstallQuestion[] =
    "This program will install %s. Do you want to continue ?";
inline constexpr char kUninstallQuestion[] =
    "This program will uninstall %s. Do you want to continue ?";
inline constexpr char kInstallCommand[] = "%s,InstallHinfSection DefaultInstall 132 %s";
inline constexpr char kUninstallCommand[] = "%s,InstallHinfSection DefaultUninstall 132 %s";
inline constexpr char kTooLongText[] = "The path of the INF file is too long. Nothing was started.";

inline constexpr unsigned kQuestionStyle = 36;  // Yes and No, question-mark icon
inline constexpr unsigned kTooLongStyle = 48;   // OK, warning icon
inline constexpr int kAnswerYes = 6;

enum class Action { Install, Uninstall, Refuse };

// "setupx.dll" when bit 31 of GetVersion's result is set (the Windows 95/98 family),
// otherwise "setupapi".
const char* InstallerLibrary(std::uint32_t version);

// What follows the program's own name and the blanks (spaces, tabs) after it in the full
// command line. A quoted name ends at its closing quote, an unquoted one at the first blank.
std::string_view CommandTail(std::string_view commandLine);

// Chooses the INF file from the command tail. A tail that begins with "U" uninstalls with
// the rest of it, taken exactly; anything else installs with programPath, its last four
// characters cut (all of it when shorter) and ".inf" appended. A path that does not fit
// infPath comes back as Refuse with infPath empty.
Action ChooseInf(std::string_view tail, std::string_view programPath, char (&infPath)[kPathSize]);

// The product name to show: value (what the INF holds for [Strings] SetupName, or
// kDefaultName when it holds nothing) cut to 63 characters.
void SetProductName(std::string_view value, char (&name)[kNameSize]);

// Fills out with form, each "%s" replaced by the next of args (an empty text once args
// run out); other characters are copied as they are. Returns false, with out empty, when
// the result would not fit outSize bytes with its terminator.
[[nodiscard]] bool FillForm(char* out, std::size_t outSize, std::string_view form,
                            std::initializer_list<std::string_view> args);

// The question for action (Install or Uninstall) naming the product. False, with text
// empty, when it does not fit (never for a name of kNameSize - 1 characters or fewer).
[[nodiscard]] bool ComposeQuestion(Action action, std::string_view productName,
                                   char (&text)[kTextSize]);

// The parameters of rundll32.exe for action: the library, then the short INF path. False,
// with text empty, when they do not fit (never for InstallerLibrary's names and a short path
// of kPathSize - 1 characters or fewer).
[[nodiscard]] bool ComposeCommand(Action action, std::string_view library,
                                  std::string_view shortInfPath, char (&text)[kTextSize]);

// Takes in what GetShortPathNameA returned for shortInfPath: 0 (failed) or a length that
// does not fit (the required size) leaves the buffer empty; otherwise the buffer is
// terminated at that length.
void AcceptShortPath(unsigned long result, char (&shortInfPath)[kPathSize]);

// Length of a text in a buffer of size bytes, stopping at the end of the buffer when there
// is no terminator.
std::size_t BoundedLength(const char* text, std::size_t size);

}  // namespace setup
