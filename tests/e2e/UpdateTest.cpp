// The rates update of the running converter against an update server in this test program,
// on the loopback address, named by the store's "UpdateUrl".
#include <winsock2.h>
// After winsock2.h.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "LoopbackServer.h"
#include "ProductTexts.h"
#include "Scenario.h"
#include "frmOpt.h"
#include "frmUpdate.h"

namespace e2e {
namespace {

constexpr wchar_t kInternetSettings[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

using product::kFailureText;
using product::kFetchingText;
using product::kLoadText;
// Changes the dollar, adds the zloty.
constexpr char kHeader[] = "Rates of the test server";
constexpr char kList[] =
    "Rates of the test server\nUSD\t11264\tUnited States dollar\nPLN\t45000\tPolish zloty\n";

// The window text read from the window manager's copy, which needs no answer from a
// program that is busy fetching.
std::string StoredText(HWND window) {
    wchar_t text[512] = {};
    const int n = GetWindowTextW(window, text, 512);
    return Utf8(std::wstring_view(text, static_cast<std::size_t>(n > 0 ? n : 0)));
}

// Today in the user's short date form, as the converter writes it.
std::string TodayShortDate() {
    wchar_t text[80] = {};
    const int n = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, text, 80);
    return Utf8(std::wstring_view(text, static_cast<std::size_t>(n > 1 ? n - 1 : 0)));
}

bool Gone(HWND window) { return !IsWindow(window) || !IsWindowVisible(window); }

RECT WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

class UpdateTest : public PecunTest {
protected:
    // The converter's updates go to `port` on the loopback address, alone.
    void ServeFrom(unsigned short port) {
        url_ = "http://127.0.0.1:" + std::to_string(port) + "/pecunup/";
    }
    // The store a first run writes, with "UpdateUrl" naming the test's server.
    Store Base() const {
        Store store = DefaultStore();
        store["UpdateUrl"] = url_;
        return store;
    }

    using Dialogs = OptionsAndUpdate;
    std::optional<Dialogs> OpenUpdate(const MainWindow& main) {
        return OpenUpdateFromOptions(main, program->Pid());
    }
    // The converter started on the default store, its update dialog opened from Options.
    std::optional<Dialogs> OpenUpdateOnDefaults() {
        if (!SeedStore(Base())) {
            ADD_FAILURE() << "the store could not be seeded";
            return std::nullopt;
        }
        const std::optional<MainWindow> main = Open();
        return main ? OpenUpdate(*main) : std::nullopt;
    }
    // The converter started on the default store with "Update on startup", its updates going
    // to `server`.
    std::optional<MainWindow> OpenWithStartupUpdate(const LoopbackServer& server) {
        ServeFrom(server.Port());
        Store seeded = Base();
        seeded["DownloadOnStartup"] = "True";
        if (!SeedStore(seeded)) {
            ADD_FAILURE() << "the store could not be seeded";
            return std::nullopt;
        }
        return Open();
    }

    std::string url_;
};

// Under a short date form other than the prefix's own, so that the date written and read
// back is the user's.
TEST_F(UpdateTest, FromTheOptionsDialogTheListReachesTheStore) {
    RegistryOverride shortDate(L"Control Panel\\International", L"sShortDate", L"dd.MM.yyyy");
    ASSERT_TRUE(shortDate.ok());
    LoopbackServer server("200 OK", kList);
    ServeFrom(server.Port());
    ASSERT_TRUE(SeedStore(Base()));
    const std::optional<MainWindow> main = Open();
    ASSERT_TRUE(main);
    const std::optional<Dialogs> dialogs = OpenUpdate(*main);
    ASSERT_TRUE(dialogs) << "expected the update dialog from Options, Update";
    const UpdateDialog& d = dialogs->update;

    // Its look: a fixed dialog without minimise and maximise, owned (no task-bar button),
    // centred on the options dialog, client 2985 x 2025 twips.
    EXPECT_TRUE(WaitText(d.status, kLoadText)) << "status: " << Text(d.status);
    const auto style = static_cast<DWORD>(GetWindowLongW(d.form, GWL_STYLE));
    const auto exStyle = static_cast<DWORD>(GetWindowLongW(d.form, GWL_EXSTYLE));
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0u);
    EXPECT_NE(exStyle & WS_EX_DLGMODALFRAME, 0u);
    EXPECT_EQ(exStyle & WS_EX_APPWINDOW, 0u);
    EXPECT_NE(GetWindow(d.form, GW_OWNER), nullptr);
    RECT client{};
    GetClientRect(d.form, &client);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(client.right, MulDiv(2985, dpi, 1440));
    EXPECT_EQ(client.bottom, MulDiv(2025, dpi, 1440));
    const RECT mine = WindowRect(d.form), owner = WindowRect(dialogs->options);
    EXPECT_LE(std::abs((mine.left + mine.right) - (owner.left + owner.right)), 2);
    EXPECT_LE(std::abs((mine.top + mine.bottom) - (owner.top + owner.bottom)), 2);
    EXPECT_TRUE(IsDefaultButton(d.ok));
    EXPECT_FALSE(IsWindowEnabled(dialogs->options)) << "the options dialog takes input";

    // What the dialog shows while the converter waits for the list.
    std::atomic<bool> fetchingShown{false}, okDisabled{false};
    server.SetBeforeAnswer([&] {
        fetchingShown = WaitUntil([&] { return StoredText(d.status) == kFetchingText; }, 5s);
        okDisabled = !IsWindowEnabled(d.ok);
    });
    ASSERT_TRUE(Type(d.form, "\r"));
    const std::string success = product::SuccessText(kHeader);
    ASSERT_TRUE(WaitText(d.status, success)) << "status: " << Text(d.status);
    EXPECT_TRUE(fetchingShown) << "expected \"" << kFetchingText << "\" during the fetch";
    EXPECT_TRUE(okDisabled) << "Update was enabled during the fetch";
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].rfind("GET /pecunup/ HTTP/1.", 0), 0u) << requests[0];
    EXPECT_NE(requests[0].find("\r\nUser-Agent: Pecunor\r\n"), std::string::npos) << requests[0];
    EXPECT_FALSE(IsWindowEnabled(d.ok));
    EXPECT_TRUE(IsDefaultButton(d.close));
    const HWND list = FormControl(dialogs->options, FrmOpt::lstCur);
    EXPECT_TRUE(HasListLine(list, "Polish zloty (PLN)")) << "the new currency is not listed";

    // The update is recorded at once; the table is saved with it.
    const Store stored = ReadStore();
    const std::string today = TodayShortDate();
    ASSERT_EQ(today.size(), 10u) << "the short date form did not take: today reads " << today;
    ASSERT_TRUE(stored.count("LastUpdate"));
    EXPECT_EQ(stored.at("LastUpdate").rfind(today + " ", 0), 0u)
        << "expected today's date " << today << " and the time, got " << stored.at("LastUpdate");
    EXPECT_GT(stored.at("LastUpdate").size(), today.size() + 1) << "no time after the date";

    // Enter now closes the dialog; closing the options dialog saves the table again.
    ASSERT_TRUE(Type(d.form, "\r"));
    EXPECT_TRUE(WaitUntil([&] { return Gone(d.form); })) << "Enter did not close the dialog";
    ASSERT_TRUE(Type(dialogs->options, "\x1b"));
    EXPECT_TRUE(WaitUntil([&] { return Gone(dialogs->options); }));
    Store expected = Base();
    expected["V12"] = " 1.1264";
    expected["R12"] = "";  // a list names no source
    expected["CN"] = "22";
    expected["L21"] = "Polish zloty";
    expected["S21"] = "PLN";
    expected["V21"] = " 4.5";
    expected["LastUpdate"] = stored.at("LastUpdate");
    expected["RatesHeader"] = kHeader;
    EXPECT_TRUE(WaitUntil([&] { return ReadStore() == expected; }))
        << "the store after the update differs from the expected one";

    // The next opening names the day of the update.
    const std::optional<Dialogs> again = OpenUpdate(*main);
    ASSERT_TRUE(again);
    EXPECT_TRUE(WaitText(again->update.status, product::LoadTextAfter(today)))
        << "status: " << Text(again->update.status);
}

// A short date form with a month name: the date written under it is read back and shown.
TEST_F(UpdateTest, TheLastUpdateReadsBackUnderAFormWithMonthNames) {
    RegistryOverride shortDate(L"Control Panel\\International", L"sShortDate", L"dd-MMM-yy");
    ASSERT_TRUE(shortDate.ok());
    ServeFrom(ClosedLoopbackPort());
    Store seeded = Base();
    seeded["LastUpdate"] = "08-Dec-26 2:35:20 PM";
    ASSERT_TRUE(SeedStore(seeded));
    const std::optional<MainWindow> main = Open();
    ASSERT_TRUE(main);
    const std::optional<Dialogs> dialogs = OpenUpdate(*main);
    ASSERT_TRUE(dialogs);
    EXPECT_TRUE(WaitText(dialogs->update.status, product::LoadTextAfter("08-Dec-26")))
        << "status: " << Text(dialogs->update.status);
}

struct Failure {
    const char* name;
    bool serverUp;  // else the proxy port refuses
    const char* status;
};

void PrintTo(const Failure& c, std::ostream* out) { *out << c.name; }

class UpdateFailureTest : public UpdateTest, public ::testing::WithParamInterface<Failure> {};

TEST_P(UpdateFailureTest, ShowsTheFailureAndSavesNothing) {
    std::optional<LoopbackServer> server;
    if (GetParam().serverUp) {
        server.emplace(GetParam().status, "<html>No update list here</html>\n");
        ServeFrom(server->Port());
    } else {
        ServeFrom(ClosedLoopbackPort());
    }
    const std::optional<Dialogs> dialogs = OpenUpdateOnDefaults();
    ASSERT_TRUE(dialogs);
    const UpdateDialog& d = dialogs->update;
    Click(d.ok);
    EXPECT_TRUE(WaitText(d.status, kFailureText)) << "status: " << Text(d.status);
    EXPECT_FALSE(IsWindowEnabled(d.ok));
    EXPECT_TRUE(IsDefaultButton(d.close));
    EXPECT_EQ(ReadStore(), Base()) << "the failed update wrote to the store";
    if (server) {
        EXPECT_EQ(server->Requests().size(), 1u);
    }
    ASSERT_TRUE(Type(d.form, "\x1b"));
    EXPECT_TRUE(WaitUntil([&] { return Gone(d.form); })) << "Esc did not close the dialog";
}

INSTANTIATE_TEST_SUITE_P(Update, UpdateFailureTest,
                         ::testing::Values(Failure{"NotFound", true, "404 Not Found"},
                                           Failure{"ServerError", true, "500 Internal Error"},
                                           Failure{"Refused", false, ""}),
                         ParamName<Failure>);

// Whatever a server that accepts the connection does, the update ends in the failure text
// within a minute and writes nothing.
struct Hostile {
    const char* name;
    LoopbackServer::Behaviour (*behaviour)();
};

void PrintTo(const Hostile& c, std::ostream* out) { *out << c.name; }

class HostileServerTest : public UpdateTest, public ::testing::WithParamInterface<Hostile> {};

TEST_P(HostileServerTest, EndsInTheFailureTextAndSavesNothing) {
    LoopbackServer server(GetParam().behaviour());
    ServeFrom(server.Port());
    const std::optional<Dialogs> dialogs = OpenUpdateOnDefaults();
    ASSERT_TRUE(dialogs);
    const UpdateDialog& d = dialogs->update;
    const DWORD start = GetTickCount();
    Click(d.ok);
    EXPECT_TRUE(WaitUntil([&] { return StoredText(d.status) == kFailureText; }, 75s))
        << "status: " << StoredText(d.status);
    const DWORD took = GetTickCount() - start;
    std::printf("%s: the failure text after %lu ms\n", GetParam().name,
                static_cast<unsigned long>(took));
    EXPECT_LT(took, 60000u) << "the update ran past its time";
    EXPECT_EQ(ReadStore(), Base()) << "the failed update wrote to the store";
    ASSERT_TRUE(Type(d.form, "\x1b"));
    EXPECT_TRUE(WaitUntil([&] { return Gone(d.form); })) << "Esc did not close the dialog";
}

LoopbackServer::Behaviour SlowTrickle() { return hostile::Trickle(3000); }
LoopbackServer::Behaviour SlowHeaders() { return hostile::TrickleHeaders(1000); }
LoopbackServer::Behaviour SlowRedirects() { return hostile::RedirectChain(9000); }

INSTANTIATE_TEST_SUITE_P(
    Update, HostileServerTest,
    ::testing::Values(Hostile{"EndlessChunkedBody", hostile::EndlessChunkedBody},
                      Hostile{"HugeContentLength", hostile::HugeContentLength},
                      Hostile{"Trickle", SlowTrickle},
                      Hostile{"StallAfterHeaders", hostile::StallAfterHeaders},
                      Hostile{"StallBeforeHeaders", hostile::StallBeforeHeaders},
                      Hostile{"HeadersAByteASecond", SlowHeaders},
                      Hostile{"RedirectsEveryNineSeconds", SlowRedirects},
                      Hostile{"RedirectLoop", hostile::RedirectLoop}),
    ParamName<Hostile>);

TEST_F(UpdateTest, AListWithAMalformedLastRecordChangesNothingEvenAfterOptionsCloses) {
    LoopbackServer server("200 OK", std::string(kList) + "XAU\t123456\n");
    ServeFrom(server.Port());
    const std::optional<Dialogs> dialogs = OpenUpdateOnDefaults();
    ASSERT_TRUE(dialogs);
    const UpdateDialog& d = dialogs->update;
    Click(d.ok);
    ASSERT_TRUE(WaitText(d.status, kFailureText)) << "status: " << Text(d.status);
    const HWND list = FormControl(dialogs->options, FrmOpt::lstCur);
    EXPECT_FALSE(HasListLine(list, "Polish zloty (PLN)"))
        << "a record of the failed list is listed";
    ASSERT_TRUE(Type(d.form, "\x1b"));
    ASSERT_TRUE(WaitUntil([&] { return Gone(d.form); }));
    ASSERT_TRUE(Type(dialogs->options, "\x1b"));
    ASSERT_TRUE(WaitUntil([&] { return Gone(dialogs->options); }));
    // Closing the options dialog saves the table: it must be the one from before the update.
    EXPECT_TRUE(WaitUntil([&] { return ReadStore() == Base(); }))
        << "the store differs from the one before the failed update";
}

TEST_F(UpdateTest, OptionsUpdateWhileTheStartupDialogIsOpenWorksAndCloses) {
    LoopbackServer server("404 Not Found", "no list");
    const std::optional<MainWindow> main = OpenWithStartupUpdate(server);
    ASSERT_TRUE(main);
    const std::vector<HWND> startup = TopWindows(program->Pid(), kFormClass, kUpdateTitle);
    ASSERT_EQ(startup.size(), 1u) << "expected the failed start-up update on screen";
    const std::optional<Dialogs> dialogs = OpenUpdate(*main);
    ASSERT_TRUE(dialogs);
    const UpdateDialog& d = dialogs->update;
    EXPECT_FALSE(IsWindow(startup.front())) << "the start-up dialog is still there";
    EXPECT_TRUE(WaitText(d.status, kLoadText)) << "status: " << Text(d.status);
    EXPECT_TRUE(IsWindowEnabled(d.form)) << "the update dialog takes no input";
    Click(d.ok);
    EXPECT_TRUE(WaitText(d.status, kFailureText)) << "status: " << Text(d.status);
    ASSERT_TRUE(Type(d.form, "\x1b"));
    ASSERT_TRUE(WaitUntil([&] { return Gone(d.form); })) << "Esc did not close the dialog";
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(dialogs->options); }));
    ASSERT_TRUE(Type(dialogs->options, "\x1b"));
    ASSERT_TRUE(WaitUntil([&] { return Gone(dialogs->options); }));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main->form); }))
        << "the main window was left disabled";
}

// "/update" updates the store and ends, showing nothing; with DownloadOnStartup set the
// start-up update runs first.
struct Silent {
    const char* name;
    bool downloadOnStartup;
};

void PrintTo(const Silent& c, std::ostream* out) { *out << c.name; }

class SilentUpdateTest : public UpdateTest, public ::testing::WithParamInterface<Silent> {};

TEST_P(SilentUpdateTest, UpdatesTheStoreWithNoWindow) {
    LoopbackServer server("200 OK", kList);
    ServeFrom(server.Port());
    Store seeded = Base();
    if (GetParam().downloadOnStartup) seeded["DownloadOnStartup"] = "True";
    ASSERT_TRUE(SeedStore(seeded));
    // Whether the update dialog was on screen at each request (the converter waits then).
    std::mutex mutex;
    std::vector<bool> dialogShown;
    server.SetBeforeAnswer([&] {
        // Only one converter runs at a time on the desktop.
        bool visible = false;
        for (HWND w = FindWindowExW(nullptr, nullptr, kFormClass, kUpdateTitle); w != nullptr;
             w = FindWindowExW(nullptr, w, kFormClass, kUpdateTitle)) {
            visible = visible || IsWindowVisible(w);
        }
        std::lock_guard<std::mutex> lock(mutex);
        dialogShown.push_back(visible);
    });
    ASSERT_TRUE(Start("/update"));
    std::string shown;
    const bool ended = WaitUntil(
        [&] {
            for (HWND window : TopWindows(program->Pid())) {
                if (IsWindowVisible(window) && StoredText(window) != "Update")
                    shown = ClassName(window) + " \"" + StoredText(window) + "\"";
            }
            return !program->Running();
        },
        60s);
    ASSERT_TRUE(ended) << "expected the silent update to end the program";
    EXPECT_EQ(program->ExitCode(), 0u);
    EXPECT_EQ(shown, "") << "expected no window but the start-up update's dialog";
    std::lock_guard<std::mutex> lock(mutex);
    const std::vector<bool> expectedShown =
        GetParam().downloadOnStartup ? std::vector<bool>{true, false} : std::vector<bool>{false};
    EXPECT_EQ(dialogShown, expectedShown)
        << "the update dialog on screen at each request: the start-up update's only";
    Store expected = seeded;
    expected["V12"] = " 1.1264";
    expected["R12"] = "";  // a list names no source
    expected["CN"] = "22";
    expected["L21"] = "Polish zloty";
    expected["S21"] = "PLN";
    expected["V21"] = " 4.5";
    expected["RatesHeader"] = kHeader;
    Store stored = ReadStore();
    ASSERT_TRUE(stored.count("LastUpdate")) << "LastUpdate was not written";
    EXPECT_EQ(stored.at("LastUpdate").rfind(TodayShortDate() + " ", 0), 0u);
    stored.erase("LastUpdate");
    EXPECT_EQ(stored, expected);
}

INSTANTIATE_TEST_SUITE_P(Update, SilentUpdateTest,
                         ::testing::Values(Silent{"Alone", false},
                                           Silent{"AfterStartupUpdate", true}),
                         ParamName<Silent>);

// With DownloadOnStartup a failed update stays on screen beside the main window; a
// successful one is gone before the main window opens.
struct Startup {
    const char* name;
    const char* status;
    bool stays;
};

void PrintTo(const Startup& c, std::ostream* out) { *out << c.name; }

class StartupUpdateTest : public UpdateTest, public ::testing::WithParamInterface<Startup> {};

TEST_P(StartupUpdateTest, DialogStaysOnlyAfterAFailure) {
    LoopbackServer server(GetParam().status, kList);
    const std::optional<MainWindow> main = OpenWithStartupUpdate(server);
    ASSERT_TRUE(main);
    EXPECT_EQ(server.Requests().size(), 1u) << "the update ran before the main window";
    const std::vector<HWND> updates = TopWindows(program->Pid(), kFormClass, kUpdateTitle);
    const bool visible = !updates.empty() && IsWindowVisible(updates.front());
    EXPECT_EQ(visible, GetParam().stays);
    if (visible) {
        EXPECT_EQ(Text(FormControl(updates.front(), FrmUpdate::lblStatus)), kFailureText);
    }
}

INSTANTIATE_TEST_SUITE_P(Update, StartupUpdateTest,
                         ::testing::Values(Startup{"Success", "200 OK", false},
                                           Startup{"Failure", "404 Not Found", true}),
                         ParamName<Startup>);

}  // namespace
}  // namespace e2e
