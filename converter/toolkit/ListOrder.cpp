#include "ListOrder.h"

#include <algorithm>

namespace tk {
namespace {

std::string SortKey(std::string_view text) {
    std::string key(text);
    for (char& c : key) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return key;
}

}  // namespace

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

}  // namespace tk
