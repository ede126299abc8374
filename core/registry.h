// CRegistry: the plug-in's registry access for its product key and the host's profile.
#pragma once
#include <string>
#include "win/registry.h"

class CRegistry {
public:
    // A typed value that converts to a string (numbers as decimal text).
    struct Value {
        DWORD type = REG_NONE;
        std::string text;
        DWORD number = 0;
        std::string str() const { return type == REG_DWORD ? std::to_string(number) : text; }
    };

    explicit CRegistry(HKEY root) : root_(root) {}
    ~CRegistry() { Close(); }
    CRegistry(const CRegistry&) = delete;
    CRegistry& operator=(const CRegistry&) = delete;

    bool Open(const std::string& subKey);     // read access; false when the key is missing
    bool Create(const std::string& subKey);   // read and write, created when needed
    void Close();
    bool Read(const std::string& name, Value* value) const;
    bool Read(const std::string& name, std::string* text) const;
    bool Write(const std::string& name, const std::string& text);
    bool WriteNumber(const std::string& name, DWORD number);

private:
    HKEY root_;
    HKEY key_ = nullptr;
};
