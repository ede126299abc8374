#include "core/text.h"

namespace {

// Decodes one UTF-8 code point at `i`; an invalid byte stands for itself.
char32_t decode(std::string_view s, size_t& i) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (len <= 1 || i + size_t(len) > s.size()) {
        ++i;
        return c < 0x80 ? c : 0xDC00 + c;   // keep invalid bytes distinct and round-trippable
    }
    char32_t cp = c & (0x7F >> len);
    for (int k = 1; k < len; ++k) {
        unsigned char cc = static_cast<unsigned char>(s[i + size_t(k)]);
        if ((cc & 0xC0) != 0x80) {
            ++i;
            return 0xDC00 + c;
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    i += size_t(len);
    return cp;
}

void encode(char32_t cp, std::string& out) {
    if (cp >= 0xDC80 && cp <= 0xDCFF) {
        out += char(cp - 0xDC00);
    } else if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

char32_t fold(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;                  // Latin-1
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138) {  // Latin Extended-A
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c + 1 : c;
        return (c & 1) ? c : c + 1;
    }
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;                  // Greek
    if (c >= 0x410 && c <= 0x42F) return c + 32;                                // Cyrillic
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    if (c >= 0xFF21 && c <= 0xFF3A) return c + 32;                              // full-width Latin
    return c;
}

}  // namespace

std::string FoldCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) encode(fold(decode(text, i)), out);
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size())
        if (fold(decode(a, i)) != fold(decode(b, j))) return false;
    return i == a.size() && j == b.size();
}

bool ContainsNoCase(std::string_view haystack, std::string_view needle) {
    return FoldCase(haystack).find(FoldCase(needle)) != std::string::npos;
}
