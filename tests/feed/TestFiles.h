// Reading the sample files of feed/testdata in the tests.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

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

}  // namespace feed::test
