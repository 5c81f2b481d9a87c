#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>

#include "SetupLogic.h"

namespace {

using setup::Action;
using setup::kNameSize;
using setup::kPathSize;
using setup::kTextSize;

const char* Name(Action a) {
    switch (a) {
        case Action::Install:
            return "Install";
        case Action::Uninstall:
            return "Uninstall";
        case Action::Refuse:
            return "Refuse";
    }
    return "?";
}

TEST(SetupLogicTest, LibraryFollowsBit31OfTheVersion) {
    struct Case {
        std::uint32_t version;
        const char* library;
    };
    const Case cases[] = {
        {0xC0000A04u, "setupx.dll"},                             // 98
        {0x80000000u, "setupx.dll"}, {0x0A280105u, "setupapi"},  // XP
        {0x7FFFFFFFu, "setupapi"},   {0u, "setupapi"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(setup::InstallerLibrary(c.version), c.library)
            << "version 0x" << std::hex << c.version;
    }
}

TEST(SetupLogicTest, CommandTailFollowsTheProgramNameAndItsBlanks) {
    struct Case {
        const char* line;
        const char* tail;
    };
    const Case cases[] = {
        {"setup.exe", ""},
        {"setup.exe ", ""},
        {"setup.exe UC:\\P\\setup.inf", "UC:\\P\\setup.inf"},
        {"setup.exe \t  U C:\\x.inf  ", "U C:\\x.inf  "},
        {"\"C:\\Program Files\\Pecunor\\setup.exe\" UC:\\Program Files\\Pecunor\\setup.inf",
         "UC:\\Program Files\\Pecunor\\setup.inf"},
        {"\"C:\\a b\\setup.exe\"Ux", "Ux"},
        {"\"C:\\a b\\setup.exe\"x y", "x y"},
        {"\"C:\\unterminated U", ""},
        {"", ""},
        {"  Ux", "Ux"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(setup::CommandTail(c.line), c.tail) << "command line [" << c.line << "]";
    }
}

TEST(SetupLogicTest, InfFileFromTheCommandTail) {
    struct Case {
        std::string tail;
        std::string program;
        Action action;
        std::string inf;
    };
    // Built with append: "literal" + std::string trips a false -Wrestrict in GCC 12 at -O3.
    const std::string p259 = std::string("C:\\").append(252, 'p').append(".exe");
    const std::string p259Inf = std::string("C:\\").append(252, 'p').append(".inf");
    const std::string p260 = std::string("C:\\").append(253, 'p').append(".exe");
    const std::string u259 = std::string("C:\\").append(256, 'u');
    const Case cases[] = {
        {"", "C:\\P\\setup.exe", Action::Install, "C:\\P\\setup.inf"},
        {"anything", "C:\\P\\setup.exe", Action::Install, "C:\\P\\setup.inf"},
        {"uC:\\other.inf", "C:\\P\\setup.exe", Action::Install, "C:\\P\\setup.inf"},
        {"", "C:\\P\\install.exe", Action::Install, "C:\\P\\install.inf"},
        {"", "C:\\P\\setup", Action::Install, "C:\\P\\s.inf"},
        {"", "abc", Action::Install, ".inf"},
        {"UC:\\P\\setup.inf", "C:\\P\\setup.exe", Action::Uninstall, "C:\\P\\setup.inf"},
        {"U C:\\P\\setup.inf", "C:\\P\\setup.exe", Action::Uninstall, " C:\\P\\setup.inf"},
        {"U\"C:\\a b\\x.inf\"", "C:\\P\\setup.exe", Action::Uninstall, "\"C:\\a b\\x.inf\""},
        {"U", "C:\\P\\setup.exe", Action::Uninstall, ""},
        {std::string("U").append(u259), "C:\\P\\setup.exe", Action::Uninstall, u259},
        {std::string("U").append(u259).append("x"), "C:\\P\\setup.exe", Action::Refuse, ""},
        {std::string("U").append(5000, 'x'), "C:\\P\\setup.exe", Action::Refuse, ""},
        {"", p259, Action::Install, p259Inf},
        {"", p260, Action::Refuse, ""},
    };
    for (const auto& c : cases) {
        char inf[kPathSize];
        std::memset(inf, '#', sizeof inf);
        Action a = setup::ChooseInf(c.tail, c.program, inf);
        std::string shown(c.tail, 0, 40);
        EXPECT_STREQ(Name(a), Name(c.action))
            << "tail [" << shown << "] (" << c.tail.size() << " chars), program " << c.program;
        EXPECT_EQ(std::string(inf), c.inf) << "tail [" << shown << "]";
    }
}

TEST(SetupLogicTest, ProductNameIsCutTo63Characters) {
    struct Case {
        std::string value;
        std::string name;
    };
    const Case cases[] = {
        {"Pecunor", "Pecunor"},
        {setup::kDefaultName, "a program"},
        {"", ""},
        {std::string(63, 'n'), std::string(63, 'n')},
        {std::string(64, 'n'), std::string(63, 'n')},
        {std::string(1000, 'n'), std::string(63, 'n')},
    };
    for (const auto& c : cases) {
        char name[kNameSize];
        std::memset(name, '#', sizeof name);
        setup::SetProductName(c.value, name);
        EXPECT_EQ(std::string(name), c.name) << "value of " << c.value.size() << " chars";
    }
}

TEST(SetupLogicTest, QuestionNamesTheProduct) {
    struct Case {
        Action action;
        std::string name;
        std::string question;
    };
    const Case cases[] = {
        {Action::Install, "Pecunor",
         "This program will install Pecunor. Do you want to continue ?"},
        {Action::Uninstall, "Pecunor",
         "This program will uninstall Pecunor. Do you want to continue ?"},
        // What a missing INF file, section or key leaves.
        {Action::Install, setup::kDefaultName,
         "This program will install a program. Do you want to continue ?"},
        {Action::Uninstall, std::string(63, 'n'),
         "This program will uninstall " + std::string(63, 'n') + ". Do you want to continue ?"},
        // Longer than SetProductName leaves any name, and longer than the buffer: no question.
        {Action::Install, std::string(kTextSize, 'n'), ""},
    };
    for (const auto& c : cases) {
        char text[kTextSize];
        EXPECT_EQ(setup::ComposeQuestion(c.action, c.name, text), !c.question.empty()) << c.name;
        EXPECT_EQ(std::string(text), c.question);
    }
}

TEST(SetupLogicTest, CommandLineForTheInstaller) {
    struct Case {
        Action action;
        const char* library;
        std::string shortPath;
        std::string command;
    };
    const std::string longest(kPathSize - 1, 's');
    const Case cases[] = {
        {Action::Install, "setupapi", "C:\\PKG\\SETUP.INF",
         "setupapi,InstallHinfSection DefaultInstall 132 C:\\PKG\\SETUP.INF"},
        {Action::Uninstall, "setupapi", "C:\\PROG~FBU\\Pecunor\\setup.inf",
         "setupapi,InstallHinfSection DefaultUninstall 132 C:\\PROG~FBU\\Pecunor\\setup.inf"},
        {Action::Install, "setupx.dll", "", "setupx.dll,InstallHinfSection DefaultInstall 132 "},
        {Action::Uninstall, "setupx.dll", longest,
         "setupx.dll,InstallHinfSection DefaultUninstall 132 " + longest},
        // One character more than the buffer holds: no command line at all.
        {Action::Uninstall, "setupx.dlll", longest, ""},
    };
    for (const auto& c : cases) {
        char text[kTextSize];
        EXPECT_EQ(setup::ComposeCommand(c.action, c.library, c.shortPath, text), !c.command.empty())
            << c.library << " " << c.shortPath;
        EXPECT_EQ(std::string(text), c.command);
    }
    // The longest command line fills the text buffer exactly.
    EXPECT_EQ(cases[3].command.size() + 1, kTextSize);
}

TEST(SetupLogicTest, FillFormRefusesWhatDoesNotFit) {
    char out[8];
    std::memset(out, '#', sizeof out);
    EXPECT_TRUE(setup::FillForm(out, sizeof out, "<%s>", {"abcde"}));
    EXPECT_STREQ(out, "<abcde>");
    EXPECT_FALSE(setup::FillForm(out, sizeof out, "<%s>", {"abcdef"}));
    EXPECT_STREQ(out, "") << "a refused form leaves the buffer empty";
    EXPECT_FALSE(setup::FillForm(out, sizeof out, "12345678", {}));
    EXPECT_STREQ(out, "");
    EXPECT_TRUE(setup::FillForm(out, sizeof out, "%s-%s%", {"a"}));
    EXPECT_STREQ(out, "a-%") << "missing arguments are empty, a lone % stays";
    EXPECT_FALSE(setup::FillForm(out, 0, "x", {}));
}

TEST(SetupLogicTest, ShortPathIsKeptOnlyWhenTheConversionFitted) {
    struct Case {
        unsigned long result;  // what GetShortPathNameA returned
        std::string kept;
    };
    const Case cases[] = {
        {0, ""},
        {kPathSize, ""},
        {100000, ""},
        {5, "CCCCC"},
        {kPathSize - 1, std::string(kPathSize - 1, 'C')},
    };
    for (const auto& c : cases) {
        char path[kPathSize];
        std::memset(path, 'C', sizeof path);  // no terminator: whatever the system left
        setup::AcceptShortPath(c.result, path);
        EXPECT_EQ(std::string(path), c.kept) << "result " << c.result;
    }
}

}  // namespace
