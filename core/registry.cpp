#include "core/registry.h"

#include <vector>

bool CRegistry::Open(const std::string& subKey) {
    Close();
    return RegOpenKeyEx(root_, subKey, 0, KEY_READ, &key_) == ERROR_SUCCESS;
}

bool CRegistry::Create(const std::string& subKey) {
    Close();
    return RegCreateKeyEx(root_, subKey, KEY_ALL_ACCESS, &key_) == ERROR_SUCCESS;
}

void CRegistry::Close() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
}

bool CRegistry::Read(const std::string& name, Value* value) const {
    if (!key_) return false;
    DWORD type = REG_NONE, size = 0;
    if (RegQueryValueEx(key_, name, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    std::vector<BYTE> data(size + 1, 0);
    if (RegQueryValueEx(key_, name, &type, data.data(), &size) != ERROR_SUCCESS) return false;
    value->type = type;
    if (type == REG_DWORD && size == 4) {
        value->number = DWORD(data[0]) | DWORD(data[1]) << 8 | DWORD(data[2]) << 16 | DWORD(data[3]) << 24;
        value->text.clear();
    } else {
        value->text.assign(reinterpret_cast<const char*>(data.data()), size);
        while (!value->text.empty() && value->text.back() == '\0') value->text.pop_back();
    }
    return true;
}

bool CRegistry::Read(const std::string& name, std::string* text) const {
    Value v;
    if (!Read(name, &v)) return false;
    *text = v.str();
    return true;
}

bool CRegistry::Write(const std::string& name, const std::string& text) {
    if (!key_) return false;
    return RegSetValueEx(key_, name, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), DWORD(text.size() + 1)) ==
        ERROR_SUCCESS;
}

bool CRegistry::WriteNumber(const std::string& name, DWORD number) {
    if (!key_) return false;
    BYTE data[4] = {BYTE(number), BYTE(number >> 8), BYTE(number >> 16), BYTE(number >> 24)};
    return RegSetValueEx(key_, name, REG_DWORD, data, 4) == ERROR_SUCCESS;
}
