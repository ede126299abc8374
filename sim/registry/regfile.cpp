#include "sim/registry/regfile.h"
#include "sim/utf.h"

#include <cstdio>

namespace sim::registry {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool equalsAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x = char(x - 32);
        if (y >= 'a' && y <= 'z') y = char(y - 32);
        if (x != y) return false;
    }
    return true;
}

bool startsWithAscii(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && equalsAscii(s.substr(0, prefix.size()), prefix);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The registry editor writes its files as UTF-16LE; this port keeps text in UTF-8.
std::string utf16leToUtf8(std::string_view bytes) {
    return sim::utf16leToUtf8({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

// A quoted string at the start of s, with the editor's two escapes (\\ and \"). Other
// backslashes stand for themselves. Returns false when the closing quote is missing.
bool parseQuoted(std::string_view s, size_t* used, std::string* out) {
    out->clear();
    if (s.empty() || s[0] != '"') return false;
    for (size_t i = 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
            *out += s[++i];
        } else if (c == '"') {
            *used = i + 1;
            return true;
        } else {
            *out += c;
        }
    }
    return false;
}

bool parseHexList(std::string_view s, std::vector<std::uint8_t>* out, std::string* why) {
    out->clear();
    s = trim(s);
    if (s.empty()) return true;
    size_t i = 0;
    while (true) {
        while (i < s.size() && isBlank(s[i])) ++i;
        int value = 0, digits = 0;
        while (i < s.size() && hexDigit(s[i]) >= 0 && digits < 3) value = value * 16 + hexDigit(s[i++]), ++digits;
        if (digits == 0 || digits > 2) {
            *why = "bad byte in hex list";
            return false;
        }
        out->push_back(std::uint8_t(value));
        while (i < s.size() && isBlank(s[i])) ++i;
        if (i == s.size()) return true;
        if (s[i] != ',') {
            *why = "bad byte in hex list";
            return false;
        }
        ++i;
        // A trailing comma is tolerated (the editor's line wrapping can leave one).
        size_t j = i;
        while (j < s.size() && isBlank(s[j])) ++j;
        if (j == s.size()) return true;
    }
}

bool splitKeyPath(std::string_view full, Hive* hive, std::string* path, std::string* why) {
    size_t slash = full.find('\\');
    std::string_view root = full.substr(0, slash);
    if (!parseHiveName(root, hive)) {
        *why = "unknown root key '" + std::string(root) + "'";
        return false;
    }
    path->clear();
    if (slash == std::string_view::npos) return true;
    std::string_view rest = full.substr(slash + 1);
    if (!rest.empty() && rest.back() == '\\') rest.remove_suffix(1);
    // Empty segments cannot name a key.
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find('\\', start);
        if (end == std::string_view::npos) end = rest.size();
        if (end == start) {
            *why = "empty key name in path";
            return false;
        }
        start = end + 1;
    }
    *path = std::string(rest);
    return true;
}

}  // namespace

const char* hiveName(Hive hive) {
    return hive == Hive::CurrentUser ? "HKEY_CURRENT_USER" : "HKEY_LOCAL_MACHINE";
}

bool parseHiveName(std::string_view name, Hive* hive) {
    if (equalsAscii(name, "HKEY_CURRENT_USER") || equalsAscii(name, "HKCU")) {
        *hive = Hive::CurrentUser;
        return true;
    }
    if (equalsAscii(name, "HKEY_LOCAL_MACHINE") || equalsAscii(name, "HKLM")) {
        *hive = Hive::LocalMachine;
        return true;
    }
    return false;
}

RegParse parseRegText(std::string_view input) {
    RegParse result;
    std::string decoded;
    if (input.size() >= 2 && std::uint8_t(input[0]) == 0xFF && std::uint8_t(input[1]) == 0xFE) {
        decoded = utf16leToUtf8(input.substr(2));
        input = decoded;
    } else if (input.size() >= 3 && input.substr(0, 3) == "\xEF\xBB\xBF") {
        input.remove_prefix(3);
    }

    auto fail = [&](int line, const std::string& why) {
        result.errors.push_back("line " + std::to_string(line) + ": " + why);
    };

    bool sawHeader = false;
    bool haveKey = false;   // value lines need a key that was opened, not deleted
    Hive hive = Hive::CurrentUser;
    std::string keyPath;
    size_t pos = 0;
    int lineNo = 0;
    while (pos < input.size()) {
        // One logical line: physical lines ending in a backslash continue on the next one.
        const int firstLine = lineNo + 1;
        std::string logical;
        while (pos < input.size()) {
            size_t nl = input.find('\n', pos);
            std::string_view phys = input.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
            pos = nl == std::string_view::npos ? input.size() : nl + 1;
            ++lineNo;
            if (!phys.empty() && phys.back() == '\r') phys.remove_suffix(1);
            std::string_view t = trim(phys);
            bool more = !t.empty() && t.back() == '\\' && t.front() != '[' && t.front() != ';';
            if (!logical.empty()) phys = trim(phys);   // continuation lines are indented
            if (more) {
                std::string_view body = phys;
                while (!body.empty() && isBlank(body.back())) body.remove_suffix(1);
                body.remove_suffix(1);
                logical += body;
                continue;
            }
            logical += phys;
            break;
        }

        std::string_view line = trim(logical);
        if (line.empty() || line[0] == ';') continue;
        if (!sawHeader) {
            if (line == kRegHeader || line == "REGEDIT4") {
                sawHeader = true;
                continue;
            }
            fail(firstLine, "not a registry file (expected \"" + std::string(kRegHeader) + "\")");
            return result;
        }

        if (line[0] == '[') {
            haveKey = false;
            if (line.back() != ']') {
                fail(firstLine, "key line without closing bracket");
                continue;
            }
            std::string_view inner = line.substr(1, line.size() - 2);
            bool remove = !inner.empty() && inner[0] == '-';
            if (remove) inner.remove_prefix(1);
            std::string why;
            if (!splitKeyPath(inner, &hive, &keyPath, &why)) {
                fail(firstLine, why);
                continue;
            }
            RegOp op;
            op.kind = remove ? RegOp::DeleteKey : RegOp::CreateKey;
            op.hive = hive;
            op.path = keyPath;
            op.line = firstLine;
            if (remove && keyPath.empty()) {
                fail(firstLine, "a root key cannot be deleted");
                continue;
            }
            result.ops.push_back(std::move(op));
            haveKey = !remove;
            continue;
        }

        if (line[0] != '"' && line[0] != '@') {
            fail(firstLine, "unrecognised line");
            continue;
        }
        RegOp op;
        op.hive = hive;
        op.path = keyPath;
        op.line = firstLine;
        size_t used = 1;
        if (line[0] == '"' && !parseQuoted(line, &used, &op.name)) {
            fail(firstLine, "value name without closing quotation mark");
            continue;
        }
        std::string_view rest = trim(line.substr(used));
        if (rest.empty() || rest[0] != '=') {
            fail(firstLine, "expected '=' after the value name");
            continue;
        }
        rest = trim(rest.substr(1));
        if (!haveKey) {
            fail(firstLine, "value outside a key");
            continue;
        }
        std::string why;
        if (rest == "-") {
            op.kind = RegOp::DeleteValue;
        } else if (!rest.empty() && rest[0] == '"') {
            std::string text;
            if (!parseQuoted(rest, &used, &text)) {
                fail(firstLine, "text value without closing quotation mark");
                continue;
            }
            if (!trim(rest.substr(used)).empty()) {
                fail(firstLine, "unexpected text after the value");
                continue;
            }
            op.kind = RegOp::SetValue;
            op.type = 1;   // REG_SZ
            op.data.assign(text.begin(), text.end());
            op.data.push_back(0);
        } else if (startsWithAscii(rest, "dword:")) {
            std::string_view digits = rest.substr(6);
            if (digits.empty() || digits.size() > 8) {
                fail(firstLine, "dword needs one to eight hex digits");
                continue;
            }
            std::uint32_t v = 0;
            bool ok = true;
            for (char c : digits) {
                int d = hexDigit(c);
                if (d < 0) ok = false;
                v = v * 16 + std::uint32_t(d < 0 ? 0 : d);
            }
            if (!ok) {
                fail(firstLine, "dword needs one to eight hex digits");
                continue;
            }
            op.kind = RegOp::SetValue;
            op.type = 4;   // REG_DWORD, little-endian
            op.data = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)};
        } else if (startsWithAscii(rest, "hex")) {
            std::string_view typed = rest.substr(3);
            std::uint32_t type = 3;   // REG_BINARY
            if (!typed.empty() && typed[0] == '(') {
                size_t close = typed.find(')');
                if (close == std::string_view::npos || close == 1 || close > 9) {
                    fail(firstLine, "bad hex(type)");
                    continue;
                }
                type = 0;
                bool ok = true;
                for (char c : typed.substr(1, close - 1)) {
                    int d = hexDigit(c);
                    if (d < 0) ok = false;
                    type = type * 16 + std::uint32_t(d < 0 ? 0 : d);
                }
                if (!ok) {
                    fail(firstLine, "bad hex(type)");
                    continue;
                }
                typed.remove_prefix(close + 1);
            }
            if (typed.empty() || typed[0] != ':') {
                fail(firstLine, "expected ':' after hex");
                continue;
            }
            if (!parseHexList(typed.substr(1), &op.data, &why)) {
                fail(firstLine, why);
                continue;
            }
            op.kind = RegOp::SetValue;
            op.type = type;
        } else {
            fail(firstLine, "unknown value type");
            continue;
        }
        result.ops.push_back(std::move(op));
    }
    if (!sawHeader) fail(lineNo == 0 ? 1 : lineNo, "not a registry file (expected \"" + std::string(kRegHeader) + "\")");
    return result;
}

namespace {

std::string quote(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

bool quotable(const std::vector<std::uint8_t>& data) {
    if (data.empty() || data.back() != 0) return false;
    for (size_t i = 0; i + 1 < data.size(); ++i) {
        std::uint8_t c = data[i];
        if (c == 0 || (c < 0x20 && c != '\t')) return false;
    }
    return true;
}

}  // namespace

std::string formatRegKey(Hive hive, std::string_view path) {
    std::string out = "[";
    out += hiveName(hive);
    if (!path.empty()) {
        out += '\\';
        out += path;
    }
    out += "]";
    out += kRegEol;
    return out;
}

std::string formatRegValue(std::string_view name, std::uint32_t type, const std::vector<std::uint8_t>& data) {
    std::string out = name.empty() ? std::string("@") : quote(name);
    out += '=';
    if (type == 1 && quotable(data)) {
        out += quote(std::string_view(reinterpret_cast<const char*>(data.data()), data.size() - 1));
    } else if (type == 4 && data.size() == 4) {
        char buf[16];
        std::uint32_t v = data[0] | (data[1] << 8) | (data[2] << 16) | (std::uint32_t(data[3]) << 24);
        std::snprintf(buf, sizeof buf, "dword:%08x", v);
        out += buf;
    } else {
        char buf[24];
        if (type == 3) {
            out += "hex:";
        } else {
            std::snprintf(buf, sizeof buf, "hex(%x):", type);
            out += buf;
        }
        // Wrapped as the registry editor does: about 80 columns, continuation lines indented.
        size_t column = out.size();
        for (size_t i = 0; i < data.size(); ++i) {
            std::snprintf(buf, sizeof buf, "%02x", data[i]);
            out += buf;
            column += 2;
            if (i + 1 < data.size()) {
                out += ',';
                ++column;
                if (column > 76) {
                    out += "\\";
                    out += kRegEol;
                    out += "  ";
                    column = 2;
                }
            }
        }
    }
    out += kRegEol;
    return out;
}

}  // namespace sim::registry
