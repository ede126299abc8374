// Short lists that several host processes keep and store in one place (favourites, templates, the
// batch script list): each host changes its copy, and a save must keep what another host stored
// meanwhile.
#pragma once
#include <algorithm>
#include <vector>
#include "core/text.h"

// The list to store when this host changed `mine` from `base` (the list as it last read or wrote
// it) while another host may have stored `theirs` in between: this host's list, less the entries
// the other host removed and this one kept unchanged, plus the entries the other host added, at
// the end. Entries are known by key(entry), letter case aside; for an entry both lists have, this
// host's wins.
template <class T, class KeyOf>
std::vector<T> KvMergeLists(const std::vector<T>& base, const std::vector<T>& mine, const std::vector<T>& theirs,
                            KeyOf keyOf) {
    auto has = [&](const std::vector<T>& list, const auto& key) {
        return std::any_of(list.begin(), list.end(), [&](const T& e) { return EqualsNoCase(keyOf(e), key); });
    };
    std::vector<T> out;
    for (const T& entry : mine) {
        const auto key = keyOf(entry);
        const bool removedThere = has(base, key) && !has(theirs, key);
        const bool unchangedHere = std::find(base.begin(), base.end(), entry) != base.end();
        if (!(removedThere && unchangedHere)) out.push_back(entry);
    }
    for (const T& entry : theirs) {
        const auto key = keyOf(entry);
        if (!has(base, key) && !has(out, key)) out.push_back(entry);
    }
    return out;
}
