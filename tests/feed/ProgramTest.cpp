// The pecun-feed program: arguments, reading, and replacing the list file whole or not at all.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Names.h"
#include "TestFiles.h"

namespace feed {
namespace {

namespace fs = std::filesystem;
using test::ReadTestData;
using test::ReadText;
using test::TestDataPath;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

class Program : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "pecun-feed-test.XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs the program with `args` (already quoted for the shell).
    Outcome Run(const std::string& args) {
        const fs::path out = dir_ / "stdout", err = dir_ / "stderr";
        const std::string command = std::string("'") + PECUN_FEED_EXE + "' " + args + " >'" +
                                    out.string() + "' 2>'" + err.string() + "'";
        const int raw = std::system(command.c_str());
        Outcome outcome;
        outcome.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        outcome.out = ReadText(out.string());
        outcome.err = ReadText(err.string());
        fs::remove(out);
        fs::remove(err);
        return outcome;
    }

    std::string Quoted(const fs::path& p) { return "'" + p.string() + "'"; }

    std::vector<std::string> Entries() {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    void Write(const fs::path& p, const std::string& text) {
        std::ofstream(p, std::ios::binary) << text;
    }

    const std::string names_ = "--names '" + TestDataPath("names-sample.json") + "'";
    const std::string sample_ = "'" + TestDataPath("eurofxref-daily-2019-04-11.xml") + "'";
    const std::string ecb_ = "'" + TestDataPath("eurofxref-daily-2024-12-11.xml") + "'";
    const std::string tableA_ = "'" + TestDataPath("nbp-tables-a-2024-12-05-2024-12-11.xml") + "'";
    const std::string tableB_ = "'" + TestDataPath("nbp-table-b-2024-12-11.xml") + "'";
    fs::path dir_;
};

TEST_F(Program, WritesTheListFileWithTheModeOfANewFile) {
    const fs::path list = dir_ / "rates.txt";
    const Outcome run = Run("-o " + Quoted(list) + " " + names_ + " " + sample_);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(ReadText(list.string()), ReadTestData("eurofxref-daily-2019-04-11.list"));
    EXPECT_EQ(Entries(), std::vector<std::string>{"rates.txt"}) << "a temporary file was left";

    struct stat st {};
    ASSERT_EQ(::stat(list.c_str(), &st), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask) << "a served list must be readable by others";
}

TEST_F(Program, ReadsStandardInputAndWritesStandardOutput) {
    const Outcome run = Run(names_ + " < " + sample_);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, ReadTestData("eurofxref-daily-2019-04-11.list"));
}

TEST_F(Program, BadInputLeavesTheExistingListAlone) {
    const fs::path list = dir_ / "rates.txt", bad = dir_ / "bad.xml";
    Write(list, "old list\n");
    Write(bad,
          "<Cube>\n<Cube time='2024-05-17'>\n<Cube currency='USD' rate='1.1e0'/>\n"
          "</Cube>\n</Cube>\n");
    const Outcome run = Run("-o " + Quoted(list) + " " + names_ + " " + Quoted(bad));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "pecun-feed: " + bad.string() +
                           ": line 3: rate '1.1e0' of USD is not a plain decimal number such as "
                           "1.1264\n");
    EXPECT_EQ(ReadText(list.string()), "old list\n");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"bad.xml", "rates.txt"}));
}

TEST_F(Program, UnreadableInputsAreFaults) {
    const fs::path list = dir_ / "rates.txt", badNames = dir_ / "names.json";
    Write(list, "old list\n");
    Write(badNames, "{\"4217\": ");

    const Outcome missingXml =
        Run("-o " + Quoted(list) + " " + names_ + " " + Quoted(dir_ / "missing.xml"));
    EXPECT_EQ(missingXml.status, 1);
    EXPECT_NE(missingXml.err.find("missing.xml: No such file or directory"), std::string::npos)
        << missingXml.err;

    const Outcome missingNames =
        Run("-o " + Quoted(list) + " --names " + Quoted(dir_ / "none.json") + " " + sample_);
    EXPECT_EQ(missingNames.status, 1);
    EXPECT_NE(missingNames.err.find("none.json: No such file or directory"), std::string::npos)
        << missingNames.err;

    const Outcome brokenNames =
        Run("-o " + Quoted(list) + " --names " + Quoted(badNames) + " " + sample_);
    EXPECT_EQ(brokenNames.status, 1);
    EXPECT_EQ(brokenNames.err,
              "pecun-feed: " + badNames.string() + ": the names table is not valid JSON\n");

    EXPECT_EQ(ReadText(list.string()), "old list\n");
}

TEST_F(Program, MergesTheNbpTablesIntoTheList) {
    const fs::path list = dir_ / "rates.txt";
    const Outcome run = Run("-o " + Quoted(list) + " " + names_ + " --nbp-a " + tableA_ +
                            " --nbp-b " + tableB_ + " " + ecb_);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadText(list.string()), ReadTestData("nbp-merged-2024-12-11.list"));
}

// A list server keeps its last list rather than serve one without a source it was given.
TEST_F(Program, AnInputThatGivesNoRatesWritesNothing) {
    const fs::path list = dir_ / "rates.txt", bad = dir_ / "bad.xml";
    Write(list, "old list\n");
    const struct {
        std::string args;
        std::string error;
    } cases[] = {
        {"--nbp-a " + tableA_ + " --nbp-b " + Quoted(bad) + " " + ecb_,
         bad.string() + ": table B: line 2: the table is 'A', not B"},
        {"--nbp-a " + Quoted(bad) + " --nbp-b " + tableB_ + " " + ecb_,
         bad.string() + ": table A: table A 242/A/NBP/2024 of 2024-12-12 is newer than table B "
                        "050/B/NBP/2024 of 2024-12-11"},
        {"--nbp-a " + tableA_ + " --nbp-b " + tableB_ + " " + Quoted(bad),
         bad.string() + ": the document holds no day of rates (no Cube with a time)"},
        {"--nbp-a " + tableA_ + " --nbp-b " + Quoted(dir_ / "none.xml") + " " + ecb_,
         (dir_ / "none.xml").string() + ": No such file or directory"},
    };
    Write(bad,
          "<ArrayOfExchangeRatesTable>\n<ExchangeRatesTable><Table>A</Table><No>242/A/NBP/2024</No>"
          "<EffectiveDate>2024-12-12</EffectiveDate><Rates><Rate><Code>EUR</Code><Mid>4.27</Mid>"
          "</Rate></Rates></ExchangeRatesTable></ArrayOfExchangeRatesTable>");
    for (const auto& c : cases) {
        const Outcome run = Run("-o " + Quoted(list) + " " + names_ + " " + c.args);
        EXPECT_EQ(run.status, 1) << c.args;
        EXPECT_EQ(run.err, "pecun-feed: " + c.error + "\n") << c.args;
        EXPECT_EQ(ReadText(list.string()), "old list\n") << c.args;
    }
}

TEST_F(Program, UsageErrorsExitWithStatus2) {
    for (const char* args : {"-o", "--bogus", "a.xml b.xml", "--nbp-a a.xml x.xml",
                             "--nbp-b b.xml x.xml", "--nbp-a '' --nbp-b b.xml"}) {
        const Outcome run = Run(args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_NE(run.err.find("usage: pecun-feed"), std::string::npos) << args << ": " << run.err;
    }
}

}  // namespace
}  // namespace feed
