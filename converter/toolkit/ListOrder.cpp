#include "ListOrder.h"

#include <algorithm>

#include "Services.h"

namespace tk {

std::size_t ListOrder::Add(std::string_view text, bool sorted) {
    std::string key = SortKey(text);
    std::size_t pos = keys_.size();
    if (sorted && inOrder_) {
        pos = static_cast<std::size_t>(std::upper_bound(keys_.begin(), keys_.end(), key) -
                                       keys_.begin());
    } else if (sorted) {
        pos = 0;
        while (pos < keys_.size() && keys_[pos] <= key) ++pos;
    }
    keys_.insert(keys_.begin() + static_cast<std::ptrdiff_t>(pos), std::move(key));
    return pos;
}

void ListOrder::Rewrite(std::size_t pos, std::string_view text) {
    if (pos >= keys_.size()) return;
    keys_[pos] = SortKey(text);
    if ((pos > 0 && keys_[pos - 1] > keys_[pos]) ||
        (pos + 1 < keys_.size() && keys_[pos] > keys_[pos + 1])) {
        inOrder_ = false;
    }
}

void ListOrder::Remove(std::size_t pos) {
    if (pos < keys_.size()) keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(pos));
}

void ListOrder::Clear() {
    keys_.clear();
    inOrder_ = true;
}

void ListOrder::Assign(const std::vector<ListLine>& lines) {
    keys_.clear();
    keys_.reserve(lines.size());
    for (const ListLine& line : lines) keys_.push_back(SortKey(line.text));
    inOrder_ = std::is_sorted(keys_.begin(), keys_.end());
}


// One by one, a line goes before the first line that sorts after it. That first line is also
// the first whose running maximum (the largest key up to it) sorts after the new line, and a
// new line never changes the running maxima of the lines after it. So the old lines act as
// their running maxima, a sorted sequence, and the new lines, stably sorted, merge into it,
// an old line first among equals.
void MergeAdded(std::vector<ListLine>& lines, std::vector<ListLine> added, int& selected) {
    if (added.empty()) return;
    std::vector<std::string> keys(lines.size()), addedKeys(added.size());
    for (std::size_t i = 0; i < lines.size(); ++i) keys[i] = SortKey(lines[i].text);
    for (std::size_t j = 0; j < added.size(); ++j) addedKeys[j] = SortKey(added[j].text);
    std::vector<std::size_t> runningMax(lines.size());  // the line holding each running maximum
    for (std::size_t i = 0; i < lines.size(); ++i) {
        runningMax[i] =
            (i > 0 && keys[i] < keys[runningMax[i - 1]]) ? runningMax[i - 1] : i;
    }
    std::vector<std::size_t> order(added.size());
    for (std::size_t j = 0; j < order.size(); ++j) order[j] = j;
    std::stable_sort(order.begin(), order.end(),
                     [&addedKeys](std::size_t x, std::size_t y) { return addedKeys[x] < addedKeys[y]; });

    std::vector<ListLine> merged;
    merged.reserve(lines.size() + added.size());
    int movedSelection = -1;
    std::size_t i = 0, j = 0;
    while (i < lines.size() || j < order.size()) {
        if (j < order.size() &&
            (i == lines.size() || addedKeys[order[j]] < keys[runningMax[i]])) {
            merged.push_back(std::move(added[order[j++]]));
        } else {
            if (static_cast<int>(i) == selected) movedSelection = static_cast<int>(merged.size());
            merged.push_back(std::move(lines[i++]));
        }
    }
    lines = std::move(merged);
    selected = movedSelection;
}

}  // namespace tk
