// Shortening a failing list by delta debugging: chunks of it are left out while what is left
// still fails, with the chunks halved whenever none can go.
#pragma once
#include <algorithm>
#include <cstddef>
#include <optional>
#include <vector>

namespace sessfuzz {

// `fails(candidate)` replays a candidate and, when it still fails the same way, returns what it
// actually ran (it may have stopped early), else nothing. Returns the shortest list found.
template <class T, class Fails>
std::vector<T> deltaDebug(std::vector<T> items, Fails&& fails) {
    size_t chunks = 2;
    while (items.size() >= 2) {
        const size_t size = (items.size() + chunks - 1) / chunks;
        bool reduced = false;
        for (size_t start = 0; start < items.size(); start += size) {
            std::vector<T> without(items.begin(), items.begin() + long(start));
            without.insert(without.end(), items.begin() + long(std::min(items.size(), start + size)), items.end());
            if (without.empty()) continue;
            if (std::optional<std::vector<T>> ran = fails(without)) {
                items = std::move(*ran);
                chunks = std::max<size_t>(chunks - 1, 2);
                reduced = true;
                break;
            }
        }
        if (!reduced) {
            if (chunks >= items.size()) break;
            chunks = std::min(items.size(), chunks * 2);
        }
    }
    return items;
}

}  // namespace sessfuzz
