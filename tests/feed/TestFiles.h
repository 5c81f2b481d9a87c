// Reading the sample files of feed/testdata in the tests.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Names.h"

namespace feed::test {

inline std::string TestDataPath(const std::string& name) {
    return std::string(PECUN_FEED_TESTDATA) + "/" + name;
}

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << "cannot open " << path;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::string ReadTestData(const std::string& name) { return ReadText(TestDataPath(name)); }

// The names of testdata/names-sample.json: a few codes, DEM under another name, ZAR empty.
inline CurrencyNames SampleNames() {
    NamesResult loaded = LoadCurrencyNames(ReadTestData("names-sample.json"));
    EXPECT_TRUE(loaded.ok) << loaded.error;
    return loaded.names;
}

// The lines of an update list, each without its LF; a list must end with one.
inline std::vector<std::string> Lines(const std::string& list) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = list.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(list.substr(start, end - start));
    }
    EXPECT_EQ(start, list.size()) << "the list does not end with LF";
    return lines;
}

// The record line of `code`, or "" when the list has none.
inline std::string RecordOf(const std::string& list, const std::string& code) {
    for (const std::string& line : Lines(list)) {
        if (line.starts_with(code + "\t")) return line;
    }
    return "";
}

}  // namespace feed::test
