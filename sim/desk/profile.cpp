// Initialization files as the Win32 private profile functions keep them: the file is read whole at
// every call and written whole (through a temporary file and a rename, so that a reader never sees
// half a file); lines the functions do not touch stay byte for byte.
#include <cctype>
#include <optional>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>
#include "sim/desk/profile_text.h"
#include "win/profile.h"

namespace sim::desk {

namespace {

std::string trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return s.substr(b, e - b);
}

bool sameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

// "[name]" gives name; anything else is not a section line.
bool sectionOf(const std::string& line, std::string* name) {
    const std::string t = trim(line);
    if (t.size() < 2 || t.front() != '[') return false;
    const size_t close = t.find(']');
    if (close == std::string::npos) return false;
    *name = trim(t.substr(1, close - 1));
    return true;
}

// "key=value" gives both (trimmed); comment lines (';') and lines without '=' are not entries.
bool entryOf(const std::string& line, std::string* key, std::string* value) {
    const std::string t = trim(line);
    if (t.empty() || t[0] == ';') return false;
    const size_t eq = t.find('=');
    if (eq == std::string::npos) return false;
    *key = trim(t.substr(0, eq));
    *value = trim(t.substr(eq + 1));
    return true;
}

}  // namespace

std::optional<std::string> profileValue(const std::string& text, const std::string& section, const std::string& key) {
    std::string current, k, v;
    bool inSection = false;
    for (const std::string& line : splitLines(text)) {
        if (sectionOf(line, &current)) {
            inSection = sameName(current, section);
            continue;
        }
        if (inSection && entryOf(line, &k, &v) && sameName(k, key)) {
            // A value in double quotes has them taken off, as Windows does.
            if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
            return v;
        }
    }
    return std::nullopt;
}

std::string withProfileValue(const std::string& text, const std::string& section, const std::string& key,
                             const std::string& value) {
    std::vector<std::string> lines = splitLines(text);
    const std::string eol = text.find("\r\n") != std::string::npos ? "\r" : "";
    std::string current, k, v;
    bool inSection = false;
    long insertAt = -1;   // after the section's last entry, when the key is not there
    bool replaced = false;
    for (size_t i = 0; i < lines.size() && !replaced; ++i) {
        if (sectionOf(lines[i], &current)) {
            if (inSection) break;   // the section ended without the key
            inSection = sameName(current, section);
            if (inSection) insertAt = long(i) + 1;
            continue;
        }
        if (!inSection) continue;
        if (entryOf(lines[i], &k, &v) && sameName(k, key)) {
            lines[i] = k + "=" + value + eol;
            replaced = true;
        } else if (!trim(lines[i]).empty()) {
            insertAt = long(i) + 1;
        }
    }
    if (!replaced && insertAt >= 0) {
        lines.insert(lines.begin() + insertAt, key + "=" + value + eol);
    } else if (!replaced) {
        lines.push_back("[" + section + "]" + eol);
        lines.push_back(key + "=" + value + eol);
    }
    std::string out;
    for (const std::string& line : lines) out += line + "\n";
    return out;
}

}  // namespace sim::desk

namespace {

bool readWhole(const std::string& path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    *text = s.str();
    return true;
}

}  // namespace

DWORD GetPrivateProfileString(const std::string& section, const std::string& key, const std::string& fallback,
                              std::string* out, DWORD size, const std::string& file) {
    if (!out) return 0;
    std::string text;
    std::optional<std::string> value;
    if (readWhole(file, &text)) value = sim::desk::profileValue(text, section, key);
    *out = value ? *value : fallback;
    if (size == 0) out->clear();
    else if (out->size() > size - 1) out->resize(size - 1);
    return DWORD(out->size());
}

UINT GetPrivateProfileInt(const std::string& section, const std::string& key, int fallback, const std::string& file) {
    std::string value;
    GetPrivateProfileString(section, key, "", &value, 256, file);
    if (value.empty()) return UINT(fallback);
    size_t i = 0;
    bool negative = false;
    if (value[i] == '-' || value[i] == '+') negative = value[i++] == '-';
    long long n = 0;
    bool digits = false;
    for (; i < value.size() && std::isdigit(static_cast<unsigned char>(value[i])); ++i) {
        digits = true;
        n = n * 10 + (value[i] - '0');
        if (n > 0xFFFFFFFFll) n = 0xFFFFFFFFll;
    }
    if (!digits) return 0;
    return UINT(negative ? -n : n);
}

BOOL WritePrivateProfileString(const std::string& section, const std::string& key, const std::string& value,
                               const std::string& file) {
    if (section.empty() || key.empty()) return FALSE;
    std::string text;
    readWhole(file, &text);
    const std::string out = sim::desk::withProfileValue(text, section, key, value);
    const std::string temp = file + ".tmp~";
    {
        std::ofstream f(temp, std::ios::binary | std::ios::trunc);
        if (!f || !(f << out) || !f.flush()) {
            std::remove(temp.c_str());
            return FALSE;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, file, ec);
    if (ec) std::remove(temp.c_str());
    return ec ? FALSE : TRUE;
}
