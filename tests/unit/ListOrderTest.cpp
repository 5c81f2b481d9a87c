// Lines added to a sorted list in one pass land exactly where adding them one by one puts
// them, also in a list that a rewrite has left out of order.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/ListOrder.h"

namespace {

using tk::ListLine;

// A sorted list as the peers keep it: lines placed one by one by ListOrder.
struct OneByOne {
    tk::ListOrder order;
    std::vector<ListLine> lines;
    int selected = -1;

    void Add(const ListLine& line) {
        const auto pos = static_cast<std::ptrdiff_t>(order.Add(line.text, true));
        lines.insert(lines.begin() + pos, line);
        if (selected >= pos) ++selected;
    }
    void Rewrite(std::size_t pos, const std::string& text) {
        order.Rewrite(pos, text);
        lines[pos].text = text;
    }
};

// Short texts over a few letters of both cases, so that equal and case-equal lines abound.
std::string RandomText(std::uint32_t& seed) {
    std::string text;
    seed = seed * 1103515245u + 12345u;
    const std::uint32_t length = 1 + (seed >> 16) % 3;
    for (std::uint32_t i = 0; i < length; ++i) {
        seed = seed * 1103515245u + 12345u;
        text += "aAbBc "[(seed >> 16) % 6];
    }
    return text;
}

TEST(ListOrderTest, MergingAddsLinesWhereOneByOneWouldPutThem) {
    std::uint32_t seed = 7;
    for (int round = 0; round < 300; ++round) {
        OneByOne list;
        const int oldCount = round % 12;
        for (int i = 0; i < oldCount; ++i) list.Add({RandomText(seed), i});
        const int rewrites = round % 3;  // 0: in order; else out of order, most likely
        for (int r = 0; r < rewrites && oldCount > 0; ++r) {
            list.Rewrite(static_cast<std::size_t>(seed % oldCount), RandomText(seed));
        }
        list.selected = oldCount > 0 ? static_cast<int>(seed % oldCount) : -1;

        std::vector<ListLine> added;
        for (int j = 0; j < round % 9; ++j) added.push_back({RandomText(seed), 100 + j});

        std::vector<ListLine> merged = list.lines;
        int mergedSelection = list.selected;
        tk::MergeAdded(merged, added, mergedSelection);
        for (const ListLine& line : added) list.Add(line);

        ASSERT_EQ(merged, list.lines) << "round " << round;
        EXPECT_EQ(mergedSelection, list.selected) << "round " << round;
    }
}

}  // namespace
