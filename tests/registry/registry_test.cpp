#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "sim/registry/regfile.h"
#include "sim/registry/registry.h"
#include "win/registry.h"

namespace fs = std::filesystem;
namespace reg = sim::registry;

namespace {

class Registry : public ::testing::Test {
protected:
    void SetUp() override { reg::openInMemory(); }
    void TearDown() override { reg::close(); }

    static void setText(HKEY key, const std::string& name, const std::string& text) {
        ASSERT_EQ(RegSetValueEx(key, name, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), DWORD(text.size() + 1)),
                  LONG(ERROR_SUCCESS));
    }
    static void setDword(HKEY key, const std::string& name, DWORD v) {
        ASSERT_EQ(RegSetValueEx(key, name, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4), LONG(ERROR_SUCCESS));
    }
    static std::string getText(HKEY key, const std::string& name) {
        char buf[256] = {};
        DWORD size = sizeof buf, type = 0;
        if (RegQueryValueEx(key, name, &type, reinterpret_cast<BYTE*>(buf), &size) != LONG(ERROR_SUCCESS)) return "<none>";
        return std::string(buf, size ? size - 1 : 0);
    }
};

fs::path tempRoot(const char* tag) {
    auto p = fs::temp_directory_path() / ("kvreg_" + std::string(tag) + "_" + std::to_string(getpid()));
    fs::remove_all(p);
    return p;
}

}  // namespace

TEST_F(Registry, KeysMatchWithoutCaseAndKeepTheirSpelling) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\Stavlo\\Korvane", KEY_ALL_ACCESS, &k), LONG(ERROR_SUCCESS));
    setText(k, "CurVer", "3.2");
    RegCloseKey(k);

    HKEY again = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "software\\STAVLO\\korvane\\", 0, KEY_READ, &again), LONG(ERROR_SUCCESS));
    EXPECT_EQ(getText(again, "curver"), "3.2");
    RegCloseKey(again);

    HKEY sw = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &sw), LONG(ERROR_SUCCESS));
    std::string name;
    EXPECT_EQ(RegEnumKeyEx(sw, 0, &name), LONG(ERROR_SUCCESS));
    EXPECT_EQ(name, "Stavlo");
    EXPECT_EQ(RegEnumKeyEx(sw, 1, &name), LONG(ERROR_NO_MORE_ITEMS));
    RegCloseKey(sw);

    // The hives are separate, and bad paths are refused.
    EXPECT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "SOFTWARE\\Stavlo", 0, KEY_READ, &k), LONG(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "a\\\\b", KEY_ALL_ACCESS, &k), LONG(ERROR_BAD_PATHNAME));
    EXPECT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "\\a", KEY_ALL_ACCESS, &k), LONG(ERROR_BAD_PATHNAME));
    EXPECT_EQ(k, nullptr);
}

TEST_F(Registry, TypedValuesAndBufferSizes) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "T", KEY_ALL_ACCESS, &k), LONG(ERROR_SUCCESS));
    setText(k, "Text", "h\xC3\xA9llo");   // UTF-8, six bytes and the terminator
    setDword(k, "Number", 0x0A0B0C0D);
    const BYTE bin[] = {0, 1, 0, 255};
    ASSERT_EQ(RegSetValueEx(k, "Bin", REG_BINARY, bin, 4), LONG(ERROR_SUCCESS));

    DWORD type = 0, size = 0;
    EXPECT_EQ(RegQueryValueEx(k, "TEXT", &type, nullptr, &size), LONG(ERROR_SUCCESS));
    EXPECT_EQ(type, REG_SZ);
    EXPECT_EQ(size, 7u);
    BYTE small[3];
    size = sizeof small;
    EXPECT_EQ(RegQueryValueEx(k, "Text", &type, small, &size), LONG(ERROR_MORE_DATA));
    EXPECT_EQ(size, 7u);

    BYTE buf[8] = {};
    size = sizeof buf;
    EXPECT_EQ(RegQueryValueEx(k, "Number", &type, buf, &size), LONG(ERROR_SUCCESS));
    EXPECT_EQ(type, REG_DWORD);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(buf[0], 0x0D);
    EXPECT_EQ(buf[3], 0x0A);

    size = sizeof buf;
    EXPECT_EQ(RegQueryValueEx(k, "Bin", &type, buf, &size), LONG(ERROR_SUCCESS));
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(std::memcmp(buf, bin, 4), 0);

    // Overwriting keeps the first spelling of the name; the default value has the empty name.
    setText(k, "TEXT", "x");
    setText(k, "", "default");
    std::string name;
    EXPECT_EQ(RegEnumValue(k, 0, &name, &type), LONG(ERROR_SUCCESS));
    EXPECT_EQ(name, "Text");
    EXPECT_EQ(getText(k, ""), "default");
    EXPECT_EQ(RegDeleteValue(k, "text"), LONG(ERROR_SUCCESS));
    EXPECT_EQ(RegDeleteValue(k, "text"), LONG(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(getText(k, "Text"), "<none>");
    RegCloseKey(k);
}

TEST_F(Registry, HandlesAreValidatedAndRightsEnforced) {
    HKEY k = nullptr, ro = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "A\\B", KEY_ALL_ACCESS, &k), LONG(ERROR_SUCCESS));
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "A\\B", 0, KEY_READ, &ro), LONG(ERROR_SUCCESS));
    DWORD v = 1;
    EXPECT_EQ(RegSetValueEx(ro, "x", REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), LONG(ERROR_ACCESS_DENIED));

    EXPECT_EQ(RegCloseKey(ro), LONG(ERROR_SUCCESS));
    EXPECT_EQ(RegCloseKey(ro), LONG(ERROR_INVALID_HANDLE));
    EXPECT_EQ(RegQueryValueEx(ro, "x", nullptr, nullptr, nullptr), LONG(ERROR_INVALID_HANDLE));
    HKEY bogus = reinterpret_cast<HKEY>(std::uintptr_t(0x12345));
    EXPECT_EQ(RegSetValueEx(bogus, "x", REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), LONG(ERROR_INVALID_HANDLE));

    // A key with subkeys stays; once empty it goes, and its open handle then reports that.
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "A"), LONG(ERROR_ACCESS_DENIED));
    EXPECT_EQ(RegDeleteKey(HKEY_CURRENT_USER, "a\\b"), LONG(ERROR_SUCCESS));
    EXPECT_EQ(RegSetValueEx(k, "x", REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), LONG(ERROR_KEY_DELETED));
    RegCloseKey(k);

    // Closing the hives invalidates every handle.
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "C", KEY_ALL_ACCESS, &k), LONG(ERROR_SUCCESS));
    reg::openInMemory();
    EXPECT_EQ(RegCloseKey(k), LONG(ERROR_INVALID_HANDLE));
}

TEST_F(Registry, ExportWritesEditorTextAndImportRestoresIt) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyEx(HKEY_CURRENT_USER, "SOFTWARE\\Stavlo\\Korvane", KEY_ALL_ACCESS, &k), LONG(ERROR_SUCCESS));
    setText(k, "", "dflt");
    setText(k, "Path \"q\"", "C:\\dir\\");
    setDword(k, "Menu Y-position", 12);
    const BYTE bin[] = {0xde, 0xad};
    RegSetValueEx(k, "Blob", REG_BINARY, bin, 2);
    setText(k, "Two lines", "a\nb");
    RegCloseKey(k);

    const auto text = reg::exportReg("hkcu\\software\\stavlo");
    ASSERT_TRUE(text);
    EXPECT_EQ(*text,
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Stavlo]\r\n\r\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Stavlo\\Korvane]\r\n"
              "@=\"dflt\"\r\n"
              "\"Path \\\"q\\\"\"=\"C:\\\\dir\\\\\"\r\n"
              "\"Menu Y-position\"=dword:0000000c\r\n"
              "\"Blob\"=hex:de,ad\r\n"
              "\"Two lines\"=hex(1):61,0a,62,00\r\n\r\n");
    EXPECT_FALSE(reg::exportReg("HKCU\\Nowhere"));

    reg::openInMemory();
    auto result = reg::importReg(*text);
    EXPECT_TRUE(result.errors.empty());
    EXPECT_EQ(reg::exportReg("HKEY_CURRENT_USER\\SOFTWARE\\Stavlo"), text);
}

TEST_F(Registry, ImportReportsBadLinesAndAppliesTheRest) {
    const std::string text =
        "Windows Registry Editor Version 5.00\n"
        "\n"
        "\"orphan\"=\"no key yet\"\n"
        "[HKEY_CURRENT_USER\\K]\n"
        "\"good\"=dword:0000002a\n"
        "\"bad dword\"=dword:xyz\n"
        "\"unterminated\"=\"abc\n"
        "\"long\"=hex:01,02,\\\n"
        "  03,04\n"
        "garbage\n"
        "[HKEY_CLASSES_ROOT\\X]\n"
        "\"lost\"=\"under a bad key\"\n"
        "[HKLM\\M]\n"
        "@=\"machine\"\n";
    auto result = reg::importReg(text);
    ASSERT_EQ(result.errors.size(), 6u);
    EXPECT_EQ(result.errors[0].rfind("line 3:", 0), 0u);
    EXPECT_EQ(result.errors[3].rfind("line 10:", 0), 0u);
    EXPECT_EQ(result.errors[4].rfind("line 11:", 0), 0u);

    HKEY k = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "K", 0, KEY_READ, &k), LONG(ERROR_SUCCESS));
    DWORD v = 0, size = 4;
    EXPECT_EQ(RegQueryValueEx(k, "good", nullptr, reinterpret_cast<BYTE*>(&v), &size), LONG(ERROR_SUCCESS));
    EXPECT_EQ(v, 42u);
    BYTE bytes[8];
    size = sizeof bytes;
    EXPECT_EQ(RegQueryValueEx(k, "long", nullptr, bytes, &size), LONG(ERROR_SUCCESS));
    EXPECT_EQ(size, 4u);
    RegCloseKey(k);
    ASSERT_EQ(RegOpenKeyEx(HKEY_LOCAL_MACHINE, "m", 0, KEY_READ, &k), LONG(ERROR_SUCCESS));
    EXPECT_EQ(getText(k, ""), "machine");
    RegCloseKey(k);

    // Deleting by .reg text; text that is not a registry file changes nothing.
    result = reg::importReg("Windows Registry Editor Version 5.00\r\n[-HKEY_CURRENT_USER\\K]\r\n");
    EXPECT_TRUE(result.errors.empty());
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "K", 0, KEY_READ, &k), LONG(ERROR_FILE_NOT_FOUND));
    result = reg::importReg("[HKEY_CURRENT_USER\\Z]\n");
    EXPECT_EQ(result.errors.size(), 1u);
    EXPECT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "Z", 0, KEY_READ, &k), LONG(ERROR_FILE_NOT_FOUND));
}

TEST_F(Registry, ImportsTheEditorsUtf16Files) {
    const std::u16string text = u"Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\\uD55C]\r\n\"\u00E9\"=\"\uD55C\uAE00\"\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) bytes += char(c & 0xFF), bytes += char(c >> 8);
    EXPECT_TRUE(reg::importReg(bytes).errors.empty());
    HKEY k = nullptr;
    ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, "\xED\x95\x9C", 0, KEY_READ, &k), LONG(ERROR_SUCCESS));
    EXPECT_EQ(getText(k, "\xC3\x89"), "\xED\x95\x9C\xEA\xB8\x80");   // value names fold too: É = é
    RegCloseKey(k);
}

TEST(RegistryFiles, HivesPersistAndTwoProcessesShareThem) {
    const fs::path root = tempRoot("persist");
    reg::close();
    // Two processes write to one root at the same time; nothing is lost.
    pid_t child = fork();
    ASSERT_GE(child, 0);
    const char* who = child == 0 ? "child" : "parent";
    ASSERT_TRUE(reg::open(root));
    for (int i = 0; i < 100; ++i) {
        HKEY k = nullptr;
        if (RegCreateKeyEx(HKEY_CURRENT_USER, std::string("Shared\\") + who, KEY_ALL_ACCESS, &k) != LONG(ERROR_SUCCESS)) {
            if (child == 0) _exit(1);
            FAIL();
        }
        DWORD v = DWORD(i);
        LONG rc = RegSetValueEx(k, "v" + std::to_string(i), REG_DWORD, reinterpret_cast<BYTE*>(&v), 4);
        RegCloseKey(k);
        if (rc != LONG(ERROR_SUCCESS)) {
            if (child == 0) _exit(2);
            FAIL() << rc;
        }
    }
    if (child == 0) {
        reg::close();
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    reg::close();

    EXPECT_TRUE(fs::exists(root / "registry" / "HKCU.sqlite"));
    EXPECT_TRUE(fs::exists(root / "registry" / "HKLM.sqlite"));
    ASSERT_TRUE(reg::open(root));
    for (const char* name : {"Shared\\child", "Shared\\parent"}) {
        HKEY k = nullptr;
        ASSERT_EQ(RegOpenKeyEx(HKEY_CURRENT_USER, name, 0, KEY_READ, &k), LONG(ERROR_SUCCESS));
        std::string value;
        int n = 0;
        while (RegEnumValue(k, DWORD(n), &value, nullptr) == LONG(ERROR_SUCCESS)) ++n;
        EXPECT_EQ(n, 100) << name;
        RegCloseKey(k);
    }
    reg::close();
    fs::remove_all(root);
}

TEST(RegistryText, FormattedValuesParseBackToTheSameBytes) {
    const std::vector<std::uint8_t> longData(100, 0xAB);
    std::string text = std::string(reg::kRegHeader) + "\r\n" + reg::formatRegKey(reg::Hive::LocalMachine, "A\\B");
    text += reg::formatRegValue("long", REG_BINARY, longData);
    text += reg::formatRegValue("odd", 11, {1, 2, 3});
    text += reg::formatRegValue("nul", REG_SZ, {'a', 0, 'b', 0});
    auto parsed = reg::parseRegText(text);
    ASSERT_TRUE(parsed.errors.empty()) << parsed.errors[0];
    ASSERT_EQ(parsed.ops.size(), 4u);
    EXPECT_EQ(parsed.ops[1].data, longData);
    EXPECT_EQ(parsed.ops[2].type, 11u);
    EXPECT_EQ(parsed.ops[3].type, REG_SZ);
    EXPECT_EQ(parsed.ops[3].data, (std::vector<std::uint8_t>{'a', 0, 'b', 0}));
}
