// The order of list-box lines, the same on every peer: lines compare by the sort keys of
// their texts (tk::SortKey: the user's locale, without regard to case). A sorted list puts an
// added line after the leading lines that do not sort after it (so after its equals); a
// rewritten line keeps its place, even when that leaves the list out of order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tk {

// One line of a list box and the number it carries (its item data).
struct ListLine {
    std::string text;
    std::int32_t data = 0;
    friend bool operator==(const ListLine&, const ListLine&) = default;
};

class ListOrder {
public:
    // Records a new line and returns its position: by its text in a sorted list, else last.
    std::size_t Add(std::string_view text, bool sorted);
    // The line at `pos` now reads `text`; it keeps its position.
    void Rewrite(std::size_t pos, std::string_view text);
    void Remove(std::size_t pos);
    void Clear();
    // Records the lines of a list that was replaced whole, in list order.
    void Assign(const std::vector<ListLine>& lines);
    std::size_t size() const { return keys_.size(); }

private:
    std::vector<std::string> keys_;
    bool inOrder_ = true;  // whether keys_ is still sorted, so that a binary search serves
};

// Adds `added`, in their order, to the sorted list `lines`, placing every line exactly where
// adding them one by one would (also when a rewrite has left `lines` out of order), in
// n + m log m steps. `selected`, a position in `lines` or -1, follows its line.
void MergeAdded(std::vector<ListLine>& lines, std::vector<ListLine> added, int& selected);

}  // namespace tk
