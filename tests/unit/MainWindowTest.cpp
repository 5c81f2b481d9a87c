// Start-up, the main window's menus and its notification-area icon, on the headless peer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "frmMain.h"
#include "frmOpt.h"
#include "Rates.h"
#include "UpdateList.h"
#include "frmUpdate.h"
#include "mdlData.h"
#include "mdlMain.h"
#include "mdlTrayIcon.h"
#include "toolkit/FormSlot.h"
#include "toolkit/headless/Headless.h"

namespace {

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        // A stored table, so that start-up asks nothing.
        mdlData::RestoreDefaults();
        ui.msgboxes.clear();
    }
    void TearDown() override { tk::DiscardAll(); }

    tk::headless::Window& peer() { return tk::headless::Platform::PeerOf(frmMain()); }
    bool IconShown() { return ui.icons.count({peer().Handle(), 1u}) != 0; }
    void Minimize() { peer().SetWindowState(tk::kStateMinimized); }
    void IconEvent(int message) {
        frmMain().Form_MouseMove(0, 0, static_cast<float>(message * peer().TwipsPerPixelX()), 0);
    }
    void SetStored(const std::string& key, const std::string& text) {
        ui.settings.values[tk::MemorySettings::Path("Pecun", "Settings", key)] = text;
    }

    tk::headless::Platform ui;
};

TEST_F(MainWindowTest, OnlyTheExactUpdateArgumentRunsTheSilentUpdate) {
    const std::pair<const char*, bool> cases[] = {
        {"/update", false}, {"/UPDATE", true}, {"/update x", true},
        {"/update ", true}, {"", true},        {" /update", true},
    };
    for (const auto& [commandLine, opensWindow] : cases) {
        ui.commandLine = commandLine;
        EXPECT_EQ(mdlMain::Main(), opensWindow) << "command line \"" << commandLine << "\"";
        EXPECT_EQ(frmMain.Loaded(), opensWindow) << "command line \"" << commandLine << "\"";
        if (opensWindow) {
            EXPECT_TRUE(peer().Visible());
        }
        EXPECT_FALSE(frmUpdate.Loaded()) << "command line \"" << commandLine << "\"";
        tk::DiscardAll();
    }
    EXPECT_TRUE(ui.msgboxes.empty());
}

TEST_F(MainWindowTest, StartupUpdateClosesTheDialogAfterSuccess) {
    SetStored("DownloadOnStartup", "True");
    ui.httpBodies[std::string(rates::kCentralBankUrl)] = "Rates of today\n";
    ASSERT_TRUE(mdlMain::Main());
    EXPECT_TRUE(mdlData::DownloadOnStartup);
    EXPECT_FALSE(frmUpdate.Loaded());
}

TEST_F(MainWindowTest, MinimizingWithTheOptionHidesBehindAnIcon) {
    mdlData::MinimizeToTray = true;
    frmMain.Show();
    Minimize();
    EXPECT_FALSE(peer().Visible());
    EXPECT_EQ(peer().WindowState(), tk::kStateMinimized);
    ASSERT_TRUE(IconShown());

    const mdlTrayIcon::TrayIconRecord& r = mdlTrayIcon::TrayIcon;
    EXPECT_EQ(r.cbSize, 488u);
    EXPECT_EQ(r.hWnd, peer().Handle());
    EXPECT_EQ(r.uID, 1u);
    EXPECT_EQ(r.uFlags, 7u);
    EXPECT_EQ(r.uCallbackMessage, 512u);
    EXPECT_EQ(r.hIcon, peer().IconHandle());
    EXPECT_STREQ(r.szTip, "Pecunor");
    EXPECT_EQ(std::string(r.szTip + 8, 120), std::string(120, ' '));
    EXPECT_EQ(r.szInfo[0], '\0');

    for (int ignored : {512, 513, 516, 518, 519}) {
        IconEvent(ignored);
        EXPECT_FALSE(peer().Visible()) << "event " << ignored;
        EXPECT_TRUE(IconShown()) << "event " << ignored;
    }
    for (int restoring : {514, 515, 517}) {
        IconEvent(restoring);
        EXPECT_TRUE(peer().Visible()) << "event " << restoring;
        EXPECT_EQ(peer().WindowState(), tk::kStateNormal) << "event " << restoring;
        EXPECT_FALSE(IconShown()) << "event " << restoring;
        Minimize();
    }
}

TEST_F(MainWindowTest, MinimizingWithoutTheOptionStaysOnTheTaskBar) {
    mdlData::MinimizeToTray = false;
    frmMain.Show();
    Minimize();
    EXPECT_TRUE(peer().Visible());
    EXPECT_TRUE(ui.icons.empty());
    mdlData::MinimizeToTray = true;  // read at the next minimise
    peer().SetWindowState(tk::kStateNormal);
    Minimize();
    EXPECT_TRUE(IconShown());
}

TEST_F(MainWindowTest, ALongTipIsCutToTheRecord) {
    mdlTrayIcon::AddTrayIcon(1, std::string(300, 'x'), 2);
    EXPECT_EQ(std::strlen(mdlTrayIcon::TrayIcon.szTip), 127u);
}

TEST_F(MainWindowTest, HelpOpensNotepadOnTheHelpFile) {
    ui.appPath = "C:\\Program Files\\Pecun Test";
    frmMain.Show();
    ui.Menu(frmMain(), FrmMain::mnuHelp);
    ASSERT_EQ(ui.shellCalls.size(), 1u);
    const tk::headless::ShellCall& call = ui.shellCalls[0];
    EXPECT_EQ(call.verb, "open");
    EXPECT_EQ(call.file, "notepad.exe");
    EXPECT_EQ(call.parameters, "C:\\Program Files\\Pecun Test\\pecun.txt");
    EXPECT_EQ(call.directory, "");
    EXPECT_EQ(call.show, tk::ShowCommand::Normal);
}

TEST_F(MainWindowTest, ExitUnloadsTheDialogsAndSavesNothingItself) {
    frmMain.Show();
    frmUpdate.Load();  // loads the options dialog hidden
    ui.settings.writes.clear();
    ui.Menu(frmMain(), FrmMain::mnuExit);
    EXPECT_FALSE(frmMain.Loaded());
    EXPECT_FALSE(frmUpdate.Loaded());
    EXPECT_FALSE(frmOpt.Loaded());
    // Only the options dialog's unload saved, once.
    EXPECT_EQ(std::count(ui.settings.writes.begin(), ui.settings.writes.end(), "CN"), 1);
}

}  // namespace
