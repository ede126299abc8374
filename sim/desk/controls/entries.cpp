// The entries a list box or a combo box holds, and the list box messages that work on them.
#include <algorithm>
#include "sim/desk/controls/control.h"

namespace sim::desk {

// Messages shared by list boxes and combo boxes, given as list box messages.
LRESULT entriesMessage(Entries& c, UINT msg, WPARAM wp, LPARAM lp, bool sorted, bool multi) {
    auto& e = c.entries;
    const int n = int(e.size());
    const auto text = [&]() { return std::string(lp ? reinterpret_cast<const char*>(lp) : ""); };
    const auto find = [&](bool exact) -> LRESULT {
        const std::string t = text();
        const int start = int(WPARAM(wp)) >= -1 && int(wp) < n ? int(wp) : -1;
        for (int k = 1; k <= n; ++k) {
            const int i = (start + k) % n;
            if (exact ? equalsNoCase(e[size_t(i)].text, t) : startsWithNoCase(e[size_t(i)].text, t)) return i;
        }
        return LB_ERR;
    };
    switch (msg) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING: {
        int at = n;
        if (msg == LB_ADDSTRING && sorted) {
            const std::string t = text();
            at = int(std::upper_bound(e.begin(), e.end(), t, [](const std::string& a, const Entry& b) {
                         return std::lexicographical_compare(a.begin(), a.end(), b.text.begin(), b.text.end(), [](char x, char y) {
                             return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
                         });
                     }) - e.begin());
        } else if (msg == LB_INSERTSTRING && int(wp) >= 0) {
            if (int(wp) > n) return LB_ERR;
            at = int(wp);
        }
        e.insert(e.begin() + at, Entry{text(), 0, false});
        if (c.cur >= at) ++c.cur;
        return at;
    }
    case LB_DELETESTRING:
        if (int(wp) < 0 || int(wp) >= n) return LB_ERR;
        e.erase(e.begin() + long(wp));
        if (c.cur == int(wp)) c.cur = -1;
        else if (c.cur > int(wp)) --c.cur;
        return n - 1;
    case LB_RESETCONTENT:
        e.clear();
        c.cur = -1;
        c.top = 0;
        return 0;
    case LB_GETCOUNT: return n;
    case LB_GETCURSEL: return c.cur;
    case LB_SETCURSEL:
        if (multi) return LB_ERR;
        c.cur = int(wp) >= 0 && int(wp) < n ? int(wp) : -1;
        for (int i = 0; i < n; ++i) e[size_t(i)].selected = i == c.cur;
        return int(wp) >= 0 && int(wp) < n ? c.cur : LB_ERR;
    case LB_GETTEXT:
        if (int(wp) < 0 || int(wp) >= n) return LB_ERR;
        if (auto* out = reinterpret_cast<std::string*>(lp)) *out = e[wp].text;
        return LRESULT(e[wp].text.size());
    case LB_GETTEXTLEN: return int(wp) >= 0 && int(wp) < n ? LRESULT(e[wp].text.size()) : LB_ERR;
    case LB_GETITEMDATA: return int(wp) >= 0 && int(wp) < n ? e[wp].data : LB_ERR;
    case LB_SETITEMDATA:
        if (int(wp) < 0 || int(wp) >= n) return LB_ERR;
        e[wp].data = lp;
        return TRUE;
    case LB_FINDSTRING: return n ? find(false) : LB_ERR;
    case LB_FINDSTRINGEXACT: return n ? find(true) : LB_ERR;
    case LB_SELECTSTRING: {
        if (!n) return LB_ERR;
        LRESULT i = find(false);
        if (i != LB_ERR) entriesMessage(c, LB_SETCURSEL, WPARAM(i), 0, sorted, false);
        return i;
    }
    case LB_GETSEL: return int(wp) >= 0 && int(wp) < n ? (multi ? e[wp].selected : int(wp) == c.cur) : LB_ERR;
    case LB_SETSEL:   // wParam select, lParam index (-1: every item)
        if (!multi) return LB_ERR;
        if (int(lp) == -1) {
            for (auto& it : e) it.selected = wp != 0;
        } else if (int(lp) >= 0 && int(lp) < n) {
            e[size_t(lp)].selected = wp != 0;
            if (wp) c.cur = int(lp);
        } else {
            return LB_ERR;
        }
        return 0;
    case LB_GETSELCOUNT:
        if (!multi) return LB_ERR;
        return std::count_if(e.begin(), e.end(), [](const Entry& x) { return x.selected; });
    case LB_GETSELITEMS: {
        if (!multi) return LB_ERR;
        auto* out = reinterpret_cast<int*>(lp);
        int k = 0;
        for (int i = 0; i < n && k < int(wp); ++i)
            if (e[size_t(i)].selected) {
                if (out) out[k] = i;
                ++k;
            }
        return k;
    }
    case LB_GETTOPINDEX: return c.top;
    case LB_SETTOPINDEX:
        if (int(wp) < 0 || int(wp) >= std::max(n, 1)) return LB_ERR;
        c.top = int(wp);
        return 0;
    default: return 0;
    }
}

bool listMulti(HWND h) { return win(h) && (win(h)->style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)); }

int entryIndex(HWND h, const Entries& c, const std::string& arg) {
    int index = -1;
    if (!parseIndex(arg, &index)) {
        for (size_t i = 0; i < c.entries.size(); ++i)
            if (c.entries[i].text == arg) {
                index = int(i);
                break;
            }
        if (index < 0)
            for (size_t i = 0; i < c.entries.size(); ++i)
                if (equalsNoCase(c.entries[i].text, arg)) {
                    index = int(i);
                    break;
                }
    }
    if (index < 0 || size_t(index) >= c.entries.size())
        throw ActionError("no entry '" + arg + "' in control " + std::to_string(win(h)->id));
    return index;
}

std::string describeEntries(HWND h, const Entries& c) {
    std::string out;
    out += " items=" + std::to_string(c.entries.size());
    if (listMulti(h)) {
        std::string sel;
        for (size_t i = 0; i < c.entries.size(); ++i)
            if (c.entries[i].selected) sel += (sel.empty() ? "" : ",") + std::to_string(i);
        out += " sel=" + (sel.empty() ? std::string("none") : sel);
    } else {
        out += " sel=" + (c.cur < 0 ? std::string("none") : std::to_string(c.cur));
    }
    return out;
}

}  // namespace sim::desk
