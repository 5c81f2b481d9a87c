// The order of list-box lines, the same on every peer. Lines compare by their text with
// ASCII letters taken without case and every other byte by value. A sorted list puts an
// added line after the leading lines that do not sort after it (so after its equals); a
// rewritten line keeps its place, even when that leaves the list out of order.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tk {

class ListOrder {
public:
    // Records a new line and returns its position: by its text in a sorted list, else last.
    std::size_t Add(std::string_view text, bool sorted);
    // The line at `pos` now reads `text`; it keeps its position.
    void Rewrite(std::size_t pos, std::string_view text);
    void Remove(std::size_t pos);
    void Clear();
    std::size_t size() const { return keys_.size(); }

private:
    std::vector<std::string> keys_;
    bool inOrder_ = true;  // whether keys_ is still sorted, so that a binary search serves
};

}  // namespace tk
