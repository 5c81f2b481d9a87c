// The whole path of real rates. The CTest fixture feed_server (feed-server.sh) serves, with
// nginx on the loopback address, the list pecun-feed made of the central bank's sample file,
// the bank's files themselves (daily, 90-day, full history) and the second bank's two tables;
// the converter reaches them through "UpdateUrl", or through "FallbackUrl" and "NbpUrl" when
// the list's own server cannot be had.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <list>
#include <set>
#include <string>

#include "FeedServer.h"
#include "ProductTexts.h"
#include "Scenario.h"
// Needs the types of windows.h, which Scenario.h brings.
#include <commctrl.h>
#include <wincrypt.h>

#include "UpdateList.h"
#include "frmOpt.h"
#include "frmUpdate.h"
#include "mdlData.h"

namespace e2e {
namespace {

constexpr wchar_t kInternetSettings[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
using product::kFailureText;
constexpr char kSampleHeader[] = "ECB euro reference rates of 2019-04-11";
// Nobody listens on port 1 of the loopback address: a connection there is refused at once.
constexpr char kClosedHostPort[] = "127.0.0.1:1";
// The ECB's file of the day whose tables the second bank's samples are, and the list
// pecun-feed makes of the three (feed/testdata).
constexpr char kBothBanksEcbFile[] = "eurofxref-daily-2024-12-11.xml";
constexpr char kMergedList[] = "nbp-merged-2024-12-11.list";
// A currency only the second bank's weekly table gives, as the merge gives it.
constexpr char kNbpCode[] = "NGN";
constexpr char kNbpOrigin[] = "NBP 050/B/NBP/2024 2024-12-11";

// A file the fixture wrote into its state folder, byte for byte.
std::string StateBytes(const std::string& name) {
    std::ifstream file("Z:" PECUN_FEED_STATE_UNIX_PATH "/" + name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// A one-line text file of the fixture, without its line end.
std::string StateFile(const std::string& name) {
    std::string text = StateBytes(name);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

// The fixture's CA trusted by this prefix's user for the object's life (the user's Root store
// of this prefix alone, committed so that the converter's process sees it).
class TrustedRoot {
public:
    explicit TrustedRoot(const std::string& der) {
        store_ =
            CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
        ok_ = store_ != nullptr &&
              CertAddEncodedCertificateToStore(
                  store_, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                  static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, &cert_) &&
              CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr);
        if (!ok_) error_ = GetLastError();
    }
    ~TrustedRoot() {
        if (cert_ != nullptr) CertDeleteCertificateFromStore(cert_);
        if (store_ != nullptr) {
            CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr);
            CertCloseStore(store_, 0);
        }
    }
    TrustedRoot(const TrustedRoot&) = delete;
    TrustedRoot& operator=(const TrustedRoot&) = delete;
    bool ok() const { return ok_; }
    DWORD error() const { return error_; }

private:
    HCERTSTORE store_ = nullptr;
    PCCERT_CONTEXT cert_ = nullptr;
    bool ok_ = false;
    DWORD error_ = 0;
};

// An address where nothing answers, for a bank that must not be reached (nor the real one).
std::string ClosedUrl() { return std::string("http://") + kClosedHostPort + "/pecunup/"; }

// A sample file of feed/testdata, byte for byte.
std::string TestData(const std::string& name) {
    std::ifstream file("Z:" PECUN_TESTDATA_UNIX_PATH "/" + name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// Whether `key` is the code of a table entry: "S" and its index.
bool IsCodeKey(const std::string& key) {
    return key.size() > 1 && key[0] == 'S' &&
           key.find_first_not_of("0123456789", 1) == std::string::npos;
}

// The index of the store's entry with code `code`, as its key suffix; empty when none has it.
std::string EntryOf(const Store& store, const std::string& code) {
    for (const auto& [key, value] : store) {
        if (IsCodeKey(key) && value == code) return key.substr(1);
    }
    return {};
}

// The store holds every record of the merged list, code and rate (the default table's other
// entries beside them), the list's header, and the second bank's table as the source of a
// currency only it gives.
void ExpectMergedTable(const Store& stored) {
    const std::string text = TestData(kMergedList);
    const std::optional<UpdateList> list = ReadUpdateList(text);
    ASSERT_TRUE(list) << kMergedList << " does not read as a list";
    EXPECT_EQ(stored.count("RatesHeader") ? stored.at("RatesHeader") : "(none)", list->header);
    std::set<std::string> codes;
    for (const auto& [key, value] : DefaultStore()) {
        if (IsCodeKey(key)) codes.insert(value);
    }
    for (const UpdateRecord& record : list->records) {
        const std::string code(record.code);
        codes.insert(code);
        const std::string n = EntryOf(stored, code);
        if (n.empty()) {
            ADD_FAILURE() << code << " is not in the store";
            continue;
        }
        EXPECT_EQ(stored.at("V" + n), mdlData::MoneyStoreText(record.rate)) << code;
    }
    EXPECT_EQ(stored.count("CN") ? stored.at("CN") : "(none)", std::to_string(codes.size()));
    const std::string ngn = EntryOf(stored, kNbpCode);
    ASSERT_FALSE(ngn.empty());
    EXPECT_EQ(stored.at("V" + ngn), " 1635.6049");
    EXPECT_EQ(stored.count("R" + ngn) ? stored.at("R" + ngn) : "(none)", kNbpOrigin);
    EXPECT_TRUE(stored.count("LastUpdate")) << "LastUpdate was not written";
}

// The text of a tip of `pid` on screen that starts with `start`; otherwise the texts of the
// tips on screen at the deadline.
std::string WaitTipStarting(DWORD pid, const std::string& start) {
    std::string seen;
    WaitUntil([&] {
        seen.clear();
        for (HWND tip : TopWindows(pid, TOOLTIPS_CLASSW)) {
            if (!IsWindowVisible(tip)) continue;
            const std::string text = Text(tip);
            if (text.rfind(start, 0) == 0) {
                seen = text;
                return true;
            }
            seen += (seen.empty() ? "" : " | ") + text;
        }
        return false;
    });
    return seen.empty() ? "(no tip on screen)" : seen;
}

class FeedTest : public PecunTest {
protected:
    void SetUp() override {
        PecunTest::SetUp();
        ASSERT_EQ(FeedUrl().rfind("http://127.0.0.1:", 0), 0u)
            << "no served list: \"" << FeedUrl() << "\"";
    }
    void TearDown() override {
        PecunTest::TearDown();
        proxy_.clear();
    }
    // The list's own server refuses: every request but those for the loopback address goes
    // to a port nobody listens on.
    void RefuseTheListsServer() {
        proxy_.emplace_back(kInternetSettings, L"ProxyEnable", static_cast<DWORD>(1));
        proxy_.emplace_back(kInternetSettings, L"ProxyServer", Wide(kClosedHostPort));
        proxy_.emplace_back(kInternetSettings, L"ProxyOverride", L"127.0.0.1");
        for (const RegistryOverride& o : proxy_) ASSERT_TRUE(o.ok());
    }
    // Options, Update, the button, and the status text once it is final.
    std::string UpdateFromOptions(const MainWindow& main) {
        const std::optional<OptionsAndUpdate> dialogs = OpenUpdateFromOptions(main, program->Pid());
        if (!dialogs) return "(no update dialog)";
        options_ = dialogs->options;
        Click(dialogs->update.ok);
        WaitUntil(
            [&] {
                const std::string t = Text(dialogs->update.status);
                return t.rfind(product::kSuccessText, 0) == 0 || t == kFailureText;
            },
            75s);
        return Text(dialogs->update.status);
    }
    // pecun.exe /update, to its end.
    ::testing::AssertionResult UpdateSilently() {
        if (!Start("/update")) return ::testing::AssertionFailure() << "/update did not start";
        if (!program->WaitExit(60s)) return ::testing::AssertionFailure() << "/update did not end";
        return ::testing::AssertionSuccess();
    }

    std::list<RegistryOverride> proxy_;
    HWND options_ = nullptr;
};

TEST_F(FeedTest, TheCentralBankRatesArriveThroughTheServedList) {
    const std::string url = FeedUrl();
    Store seeded = DefaultStore();
    seeded["UpdateUrl"] = url;
    ASSERT_TRUE(SeedStore(seeded));
    const std::optional<MainWindow> main = Open();
    ASSERT_TRUE(main);
    EXPECT_EQ(UpdateFromOptions(*main), product::SuccessText(kSampleHeader));
    const HWND list = FormControl(options_, FrmOpt::lstCur);
    EXPECT_TRUE(HasListLine(list, "Zloty (PLN)")) << "the zloty is not listed at once";

    const Store stored = ReadStore();
    EXPECT_EQ(stored.count("V12") ? stored.at("V12") : "(none)", " 1.1264") << "the dollar";
    EXPECT_TRUE(stored.count("LastUpdate")) << "LastUpdate was not written";
    EXPECT_EQ(stored.count("RatesHeader") ? stored.at("RatesHeader") : "(none)", kSampleHeader);
    EXPECT_EQ(stored.count("UpdateUrl") ? stored.at("UpdateUrl") : "(none)", url);
}

// The bank's own files, read by the converter: from "FallbackUrl" when the list's server does
// not resolve (this machine resolves no outside name) or refuses, or named by "UpdateUrl".
struct BankCase {
    const char* name;
    const char* file;
    bool asUpdateUrl;  // else as FallbackUrl
    bool refused;      // the list's server refuses, else it does not resolve
    const char* header;
    const char* usd;    // the dollar's stored rate afterwards
    const char* zloty;  // the zloty's list line
};

void PrintTo(const BankCase& c, std::ostream* out) { *out << c.name; }

class BankFileTest : public FeedTest, public ::testing::WithParamInterface<BankCase> {};

TEST_P(BankFileTest, RatesAndNamesArriveFromTheBanksFile) {
    const BankCase& c = GetParam();
    if (c.refused) RefuseTheListsServer();
    Store seeded = DefaultStore();
    seeded[c.asUpdateUrl ? "UpdateUrl" : "FallbackUrl"] = BankFileUrl(c.file);
    seeded["NbpUrl"] = ClosedUrl();
    ASSERT_TRUE(SeedStore(seeded));
    const std::optional<MainWindow> main = Open();
    ASSERT_TRUE(main);
    EXPECT_EQ(UpdateFromOptions(*main), product::SuccessText(c.header));
    EXPECT_TRUE(HasListLine(FormControl(options_, FrmOpt::lstCur), c.zloty))
        << "expected the line " << c.zloty;
    const Store stored = ReadStore();
    EXPECT_EQ(stored.count("V12") ? stored.at("V12") : "(none)", c.usd) << "the dollar";
    EXPECT_EQ(stored.count("L0") ? stored.at("L0") : "(none)", "European Union euro");
    EXPECT_EQ(stored.count("RatesHeader") ? stored.at("RatesHeader") : "(none)", c.header);
    EXPECT_TRUE(stored.count("LastUpdate")) << "LastUpdate was not written";
}

INSTANTIATE_TEST_SUITE_P(
    Feed, BankFileTest,
    ::testing::Values(BankCase{"DailyAsFallbackUnresolved", "eurofxref-daily-2019-04-11.xml", false,
                               false, kSampleHeader, " 1.1264", "Zloty (PLN)"},
                      BankCase{"NinetyDaysAsFallbackRefused", "eurofxref-hist-90d-2019-04-11.xml",
                               false, true, kSampleHeader, " 1.1264", "Zloty (PLN)"},
                      BankCase{"HistoryAsUpdateUrl", "eurofxref-hist-shuffled.xml", true, false,
                               "ECB euro reference rates of 2023-01-03", " 1.0545", "Zloty (PLN)"}),
    ParamName<BankCase>);

// When no source gives a list, the failure text, and the store stays as it was; an
// administrator's "UpdateUrl" is never bypassed for the fallback.
TEST_F(FeedTest, NoSourceUpMeansTheFailureTextAndNothingChanged) {
    const struct {
        const char* name;
        const char* updateUrlFile;  // nullptr: no UpdateUrl
        const char* fallbackFile;   // nullptr: a closed port
    } cases[] = {
        {"both down", nullptr, nullptr},
        {"UpdateUrl down, FallbackUrl up", nullptr, "eurofxref-daily-2019-04-11.xml"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string closed = ClosedUrl();
        Store seeded = DefaultStore();
        seeded["FallbackUrl"] = c.fallbackFile ? BankFileUrl(c.fallbackFile) : closed;
        seeded["NbpUrl"] = closed;
        if (c.fallbackFile) seeded["UpdateUrl"] = closed;
        ASSERT_TRUE(SeedStore(seeded));
        const std::optional<MainWindow> main = Open();
        ASSERT_TRUE(main);
        EXPECT_EQ(UpdateFromOptions(*main), kFailureText);
        EXPECT_EQ(ReadStore(), seeded) << "the failed update wrote to the store";
        program->Kill();
        program.reset();
    }
}

// https against nginx on the loopback address: a server whose certificate this prefix does not
// trust gives no list; once its CA is trusted the list arrives; a redirect from https to
// plain http is refused.
TEST_F(FeedTest, HttpsIsCheckedAndNeverRedirectedToHttp) {
    const std::string https = StateFile("https-url");
    ASSERT_EQ(https.rfind("https://localhost:", 0), 0u) << "no https server: \"" << https << "\"";
    std::optional<TrustedRoot> trusted;
    const struct {
        const char* name;
        bool trust;
        const char* path;
        bool succeeds;
    } cases[] = {
        {"untrusted certificate", false, "pecunup/", false},
        {"trusted certificate", true, "pecunup/", true},
        {"redirect to http", true, "to-http", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.trust && !trusted) {
            const std::string der = StateBytes("tls/ca.der");
            trusted.emplace(der);
            ASSERT_TRUE(trusted->ok())
                << "the test CA (" << der.size() << " bytes) could not be trusted: error "
                << trusted->error();
        }
        Store seeded = DefaultStore();
        seeded["UpdateUrl"] = https + c.path;
        ASSERT_TRUE(SeedStore(seeded));
        const std::optional<MainWindow> main = Open();
        ASSERT_TRUE(main);
        EXPECT_EQ(UpdateFromOptions(*main),
                  c.succeeds ? product::SuccessText(kSampleHeader) : kFailureText);
        program->Kill();
        program.reset();
    }
}

// A new user's first start, no list server of ours: Yes brings the bank's rates.
TEST_F(FeedTest, AFirstRunUpdatesFromTheFallback) {
    ASSERT_TRUE(SeedStore(
        {{"FallbackUrl", BankFileUrl("eurofxref-daily-2019-04-11.xml")}, {"NbpUrl", ClosedUrl()}}));
    ASSERT_TRUE(Start());
    const HWND question = WaitWindow(program->Pid(), L"#32770", kTitle);
    ASSERT_NE(question, nullptr) << "expected the download question";
    const DWORD start = GetTickCount();
    Click(Control(question, IDYES));
    const std::optional<UpdateDialog> d = WaitUpdateDialog(program->Pid());
    ASSERT_TRUE(d);
    EXPECT_TRUE(WaitText(d->status, product::SuccessText(kSampleHeader), 60s))
        << "status: " << Text(d->status);
    std::printf("first-run update from the fallback: %lu ms from Yes to the success text\n",
                static_cast<unsigned long>(GetTickCount() - start));
    const Store stored = ReadStore();
    EXPECT_EQ(stored.count("V12") ? stored.at("V12") : "(none)", " 1.1264") << "the dollar";
}

// The store of a first run whose update goes to both banks served here: the ECB's daily file as
// "FallbackUrl", the second bank's tables under "NbpUrl".
Store BothBanksStore() {
    Store store = DefaultStore();
    store["FallbackUrl"] = BankFileUrl(kBothBanksEcbFile);
    store["NbpUrl"] = NbpFeedUrl();
    return store;
}

// The two banks' merged table reaches the store through the update dialog and through
// "/update" alike.
struct BothBanksCase {
    const char* name;
    bool silent;  // pecun.exe /update, else Options, Update
};

void PrintTo(const BothBanksCase& c, std::ostream* out) { *out << c.name; }

class BothBanksTest : public FeedTest, public ::testing::WithParamInterface<BothBanksCase> {};

TEST_P(BothBanksTest, TheirMergedTableReachesTheStore) {
    ASSERT_TRUE(SeedStore(BothBanksStore()));
    if (GetParam().silent) {
        ASSERT_TRUE(UpdateSilently());
        EXPECT_EQ(program->ExitCode(), 0u);
    } else {
        const std::optional<MainWindow> main = Open();
        ASSERT_TRUE(main);
        const std::string list = TestData(kMergedList);
        const std::string header = list.substr(0, list.find('\n'));
        EXPECT_EQ(UpdateFromOptions(*main), product::SuccessText(header));
        EXPECT_TRUE(HasListLine(FormControl(options_, FrmOpt::lstCur), "Naira (NGN)"))
            << "the second bank's currency is not listed at once";
    }
    ExpectMergedTable(ReadStore());
}

INSTANTIATE_TEST_SUITE_P(Feed, BothBanksTest,
                         ::testing::Values(BothBanksCase{"UpdateDialog", false},
                                           BothBanksCase{"SilentUpdate", true}),
                         ParamName<BothBanksCase>);

// After 100 EUR, the tip of the button holding a currency of the second bank's weekly table
// names that table and its date; the age after them counts the bank's weeks since, by the
// clock.
TEST_F(FeedTest, TheTipOfASecondBankCurrencyNamesItsTable) {
    ASSERT_TRUE(SeedStore(BothBanksStore()));
    ASSERT_TRUE(UpdateSilently());
    const std::string ngn = EntryOf(ReadStore(), kNbpCode);
    ASSERT_FALSE(ngn.empty()) << "the update brought no " << kNbpCode;
    const int lastButton = FrmMain::kCurrencyButtons - 1;
    std::string slot = "U";
    slot += std::to_string(lastButton);  // GCC 12 misreads "U" + std::to_string(...)
    ASSERT_TRUE(SeedStore({{slot, ngn}}));
    const std::optional<MainWindow> main = Open();
    ASSERT_TRUE(main);
    const HWND button = main->buttons[lastButton];
    ASSERT_TRUE(WaitText(button, kNbpCode));
    ASSERT_TRUE(Type(main->form, "100"));
    ASSERT_TRUE(ShowsState(*main, "100.", ""));
    Click(main->buttons[0]);
    ASSERT_TRUE(ShowsState(*main, "100.", "EUR"));

    ASSERT_TRUE(MoveMouseOver(button));
    const std::string start =
        "100 EUR = 163,560.49 NGN\r\n1 EUR = 1,635.6049 NGN\r\n"
        "Source: NBP table 050/B/NBP/2024 of 2024-12-11: ";
    const std::string tip = WaitTipStarting(program->Pid(), start);
    EXPECT_EQ(tip.rfind(start, 0), 0u) << "the tip: " << tip;
    EXPECT_TRUE(tip.ends_with(" weeks behind")) << "the tip: " << tip;
    std::printf("the tip of %s: %s\n", kNbpCode, tip.c_str());
}

}  // namespace
}  // namespace e2e
