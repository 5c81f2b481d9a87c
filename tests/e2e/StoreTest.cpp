// Start-up from stores that an earlier run (or a damaged one) left behind.
#include <array>
#include <string>

#include "Scenario.h"

namespace e2e {
namespace {

struct SeededStore {
    const char* name;
    Store store;
    std::array<const char*, mdlData::kSlotCount> captions;
};

Store WithSlots(Store store, std::array<const char*, mdlData::kSlotCount> slots) {
    for (std::size_t j = 0; j < slots.size(); ++j)
        store[std::string("U") + std::to_string(j)] = slots[j];
    return store;
}

const SeededStore kStores[] = {
    // Entries 1 and 2 are missing: they read as "Euro", "EUR", 1.
    {"MissingEntriesReadAsEuro",
     WithSlots({{"CN", "3"}, {"L0", "Dollar"}, {"S0", "USD"}, {"V0", " 2"}},
               {"0", "1", "2", "0", "1", "2", "0", "1"}),
     {"USD", "EUR", "EUR", "USD", "EUR", "EUR", "USD", "EUR"}},
    {"TwoLetterCodeKeepsItsBlank",
     WithSlots({{"CN", "2"},
                {"L0", "Euro"},
                {"S0", "EUR"},
                {"V0", " 1"},
                {"L1", "Test"},
                {"S1", "TC"},
                {"V1", " 3"}},
               {"1", "0", "1", "0", "1", "0", "1", "0"}),
     {"TC ", "EUR", "TC ", "EUR", "TC ", "EUR", "TC ", "EUR"}},
    // A deleted entry (empty name) still shows its stored code.
    {"DeletedEntryShowsItsCode",
     WithSlots({{"CN", "2"},
                {"L0", "Euro"},
                {"S0", "EUR"},
                {"V0", " 1"},
                {"L1", ""},
                {"S1", "OLD"},
                {"V1", " 3"}},
               {"0", "1", "0", "0", "0", "0", "0", "0"}),
     {"EUR", "OLD", "EUR", "EUR", "EUR", "EUR", "EUR", "EUR"}},
};

void PrintTo(const SeededStore& seeded, std::ostream* out) { *out << seeded.name; }

class SeededStoreTest : public PecunTest, public ::testing::WithParamInterface<SeededStore> {};

// A store with a table asks nothing, shows its slots and is left as it was.
TEST_P(SeededStoreTest, ShowsTheStoredSlots) {
    ASSERT_TRUE(SeedStore(GetParam().store));
    const std::optional<MainWindow> window = Open();
    ASSERT_TRUE(window);
    for (std::size_t i = 0; i < window->buttons.size(); ++i) {
        EXPECT_EQ(Text(window->buttons[i]), GetParam().captions[i]) << "caption of button " << i;
    }
    EXPECT_TRUE(ShowsState(*window, "0.", ""));
    EXPECT_EQ(ReadStore(), GetParam().store) << "a start with a stored table writes nothing";
}

INSTANTIATE_TEST_SUITE_P(Store, SeededStoreTest, ::testing::ValuesIn(kStores),
                         ParamName<SeededStore>);

// Entries missing from the store convert at the rate 1 of their "Euro" fallback.
using StoreConversionTest = PecunTest;

TEST_F(StoreConversionTest, MissingEntryConvertsAtOne) {
    ASSERT_TRUE(SeedStore(kStores[0].store));
    const std::optional<MainWindow> window = Open();
    ASSERT_TRUE(window);
    ASSERT_TRUE(Type(window->form, "3"));
    // Posted clicks overtake typed keys: wait for the digit first.
    ASSERT_TRUE(ShowsState(*window, "3.", ""));
    Click(window->buttons[0]);
    ASSERT_TRUE(ShowsState(*window, "3.", "USD"));
    Click(window->buttons[1]);
    EXPECT_TRUE(ShowsState(*window, "1.5", "EUR"));
}

}  // namespace
}  // namespace e2e
