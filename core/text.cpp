#include "core/text.h"

namespace {

// Simple case folding (one code point to one code point) of the scripts names are written in.
char32_t FoldCodePoint(char32_t c) {
    if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 32 : c;
    if (c == 0xB5) return 0x3BC;
    if (c >= 0xC0 && c <= 0xDE) return c == 0xD7 ? c : c + 32;
    if (c >= 0x100 && c <= 0x17F) {
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149) return c;
        if (c == 0x178) return 0xFF;
        if (c == 0x17F) return 's';
        const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        return (c % 2 == (oddUpper ? 1u : 0u)) ? c + 1 : c;
    }
    if (c >= 0x370 && c <= 0x3FF) {
        if (c == 0x386) return 0x3AC;
        if (c >= 0x388 && c <= 0x38A) return c + 37;
        if (c == 0x38C) return 0x3CC;
        if (c == 0x38E || c == 0x38F) return c + 63;
        if ((c >= 0x391 && c <= 0x3A1) || (c >= 0x3A3 && c <= 0x3AB)) return c + 32;
        switch (c) {
        case 0x3C2: return 0x3C3;
        case 0x3D0: return 0x3B2;
        case 0x3D1: return 0x3B8;
        case 0x3D5: return 0x3C6;
        case 0x3D6: return 0x3C0;
        case 0x3F0: return 0x3BA;
        case 0x3F1: return 0x3C1;
        case 0x3F5: return 0x3B5;
        default: break;
        }
        if (c >= 0x3D8 && c <= 0x3EF && c % 2 == 0) return c + 1;
        return c;
    }
    if (c >= 0x400 && c <= 0x52F) {
        if (c <= 0x40F) return c + 80;
        if (c <= 0x42F) return c + 32;
        if (c == 0x4C0) return 0x4CF;
        if (c >= 0x4C1 && c <= 0x4CE) return c % 2 ? c + 1 : c;
        if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || c >= 0x4D0) return c % 2 ? c : c + 1;
        return c;
    }
    if (c >= 0x531 && c <= 0x556) return c + 48;
    if (c >= 0x1E00 && c <= 0x1EFF) {
        if (c == 0x1E9E) return 0xDF;
        if (c <= 0x1E95 || c >= 0x1EA0) return c % 2 ? c : c + 1;
        return c;
    }
    switch (c) {
    case 0x2126: return 0x3C9;
    case 0x212A: return 'k';
    case 0x212B: return 0xE5;
    default: break;
    }
    if (c >= 0x2160 && c <= 0x216F) return c + 16;
    if (c >= 0x24B6 && c <= 0x24CF) return c + 26;
    if (c >= 0xFF21 && c <= 0xFF3A) return c + 32;
    return c;
}

// Decodes one code point at s[i]; an invalid byte comes back as 0x110000 + byte, which no code
// point equals, so it only matches the same byte.
char32_t Next(std::string_view s, size_t& i) {
    const auto b = static_cast<unsigned char>(s[i]);
    auto cont = [&](size_t k) { return i + k < s.size() && (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80; };
    auto bits = [&](size_t k) { return char32_t(static_cast<unsigned char>(s[i + k]) & 0x3F); };
    char32_t c;
    size_t n;
    if (b < 0x80) {
        c = b, n = 1;
    } else if (b >= 0xC2 && b < 0xE0 && cont(1)) {
        c = (char32_t(b & 0x1F) << 6) | bits(1), n = 2;
    } else if (b >= 0xE0 && b < 0xF0 && cont(1) && cont(2)) {
        c = (char32_t(b & 0x0F) << 12) | (bits(1) << 6) | bits(2), n = 3;
        if (c < 0x800) c = 0x110000 + b, n = 1;
    } else if (b >= 0xF0 && b < 0xF5 && cont(1) && cont(2) && cont(3)) {
        c = (char32_t(b & 0x07) << 18) | (bits(1) << 12) | (bits(2) << 6) | bits(3), n = 4;
        if (c < 0x10000 || c > 0x10FFFF) c = 0x110000 + b, n = 1;
    } else {
        c = 0x110000 + b, n = 1;
    }
    i += n;
    return c;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

}   // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (FoldCodePoint(Next(a, i)) != FoldCodePoint(Next(b, j))) return false;
    }
    return i == a.size() && j == b.size();
}

std::string FoldCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const size_t start = i;
        const char32_t c = Next(text, i);
        if (c >= 0x110000) {
            out += text[start];
        } else {
            AppendUtf8(out, FoldCodePoint(c));
        }
    }
    return out;
}

namespace {
// Byte offset of the character `index` (the end when the text is shorter).
size_t charOffset(std::string_view text, size_t index) {
    size_t at = 0;
    for (size_t n = 0; n < index && at < text.size(); ++n) {
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
    }
    return at;
}
}   // namespace

size_t CharCount(std::string_view text) {
    size_t n = 0;
    for (char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

std::string_view CharSubstr(std::string_view text, size_t first, size_t count) {
    const size_t begin = charOffset(text, first);
    const std::string_view rest = text.substr(begin);
    return rest.substr(0, charOffset(rest, count));
}

std::string QuoteArgument(std::string_view argument) {
    std::string out = "\"";
    size_t backslashes = 0;   // a run of backslashes waits to see what follows it
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, '\\');
    return out + '"';
}
