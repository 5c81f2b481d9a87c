// Linked into the suites that drive forms: whatever the peers report (a handler that threw, a
// modal dialog left open) fails the running test.
#include <gtest/gtest.h>

#include <string>

#include "toolkit/Services.h"

namespace {

class FailOnReport : public testing::Environment {
public:
    void SetUp() override {
        tk::InstallReporter([](std::string_view what) { ADD_FAILURE() << what; });
    }
    void TearDown() override { tk::InstallReporter(nullptr); }
};

const testing::Environment* const kInstalled = testing::AddGlobalTestEnvironment(new FailOnReport);

}  // namespace
