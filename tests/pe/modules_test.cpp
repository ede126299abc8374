// The module table behind LoadLibrary and friends: resource-only modules, native libraries found
// by their Windows names, handles and reference counts.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "pe/pe_test_util.h"
#include "res/resource.h"
#include "sim/pe/modules.h"
#include "win/module.h"

namespace fs = std::filesystem;
using namespace sim::pe;

namespace {

// A folder of its own with a copy of the language pack under an upper-case name.
class PeModules : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("kv_pe_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        fs::copy_file(KV_PE_PACK, dir_ / "KORVANEKO.DLL", fs::copy_options::overwrite_existing);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    fs::path dir_;
};

}  // namespace

TEST_F(PeModules, LanguagePackLoadsAsResourceModuleWithCountedReferences) {
    HMODULE h = LoadLibrary(path("KorvaneKo.dll"));   // the file name matches case-insensitively
    ASSERT_NE(h, nullptr);
    std::string text;
    EXPECT_GT(LoadString(h, IDS_SAVE_ALL, &text), 0);
    EXPECT_EQ(text, "모두 저장");
    EXPECT_EQ(LoadString(h, IDS_SAVE_CLOSE_ALL, &text), 0);
    EXPECT_EQ(text, "");
    EXPECT_EQ(GetProcAddress(h, "kvPeNativeAnswer"), nullptr);
    std::string file;
    ASSERT_TRUE(GetModuleFileName(h, &file));
    EXPECT_EQ(file, path("KORVANEKO.DLL"));

    EXPECT_EQ(LoadLibrary(path("korvaneko.dll")), h);   // the same file gives the same module
    EXPECT_EQ(moduleRefCount(h), 2);
    EXPECT_TRUE(FreeLibrary(h));
    EXPECT_GT(LoadString(h, IDS_SAVE_ALL, &text), 0);   // still loaded once
    EXPECT_TRUE(FreeLibrary(h));
    EXPECT_FALSE(FreeLibrary(h));                        // the handle is gone for good
    EXPECT_EQ(LoadString(h, IDS_SAVE_ALL, &text), 0);
    EXPECT_FALSE(GetModuleFileName(h, &file));
    EXPECT_FALSE(FreeLibrary(reinterpret_cast<HMODULE>(std::uintptr_t(0x1234))));
    EXPECT_FALSE(FreeLibrary(nullptr));

    HMODULE again = LoadLibrary(path("KorvaneKo.dll"));
    EXPECT_NE(again, h);   // handles are not reused
    EXPECT_TRUE(FreeLibrary(again));
}

TEST_F(PeModules, WindowsNameMapsToNativeLibrary) {
    std::string windowsName = std::string(KV_PE_NATIVE_DIR) + "/PENATIVE.DLL";
    HMODULE h = LoadLibrary(windowsName);
    ASSERT_NE(h, nullptr);
    auto answer = reinterpret_cast<int (*)()>(GetProcAddress(h, "kvPeNativeAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(GetProcAddress(h, "noSuchExport"), nullptr);
    std::string file;
    ASSERT_TRUE(GetModuleFileName(h, &file));
    EXPECT_EQ(file, windowsName);
    // The library carries the Korean pack as its embedded resources.
    std::string text;
    EXPECT_GT(LoadString(h, IDS_OPEN_ONLY_CURRENT, &text), 0);
    EXPECT_EQ(text, "현재 도면만 열기");
    EXPECT_EQ(LoadLibrary(std::string(KV_PE_NATIVE_DIR) + "/PeNative.so"), h);
    EXPECT_TRUE(FreeLibrary(h));
    EXPECT_TRUE(FreeLibrary(h));
    EXPECT_EQ(GetProcAddress(h, "kvPeNativeAnswer"), nullptr);

    EXPECT_EQ(LoadLibrary(path("Missing.DLL")), nullptr);
    std::ofstream(path("Text.dll")) << "not a module";
    EXPECT_EQ(LoadLibrary(path("Text.dll")), nullptr);
    std::ofstream(path("Broken.dll")) << "MZ but nothing else";
    EXPECT_EQ(LoadLibrary(path("Broken.dll")), nullptr);
}

TEST_F(PeModules, VersionInfoOfPackFiles) {
    std::vector<BYTE> block;
    ASSERT_TRUE(GetFileVersionInfo(path("korvaneko.dll"), &block));
    VS_FIXEDFILEINFO fixed;
    ASSERT_TRUE(VerQueryValue(block, "\\", &fixed));
    EXPECT_EQ(fixed.dwFileVersionMS, (2u << 16) | 1u);
    std::vector<DWORD> translations;
    ASSERT_TRUE(VerQueryValue(block, "\\VarFileInfo\\Translation", &translations));
    ASSERT_EQ(translations.size(), 1u);
    char table[16];
    std::snprintf(table, sizeof table, "%04x%04x", translations[0] & 0xFFFF, translations[0] >> 16);
    std::string product;
    ASSERT_TRUE(VerQueryValue(block, std::string("\\StringFileInfo\\") + table + "\\ProductName", &product));
    EXPECT_EQ(product, "Korvane LanguagePack");
    EXPECT_FALSE(VerQueryValue(block, "\\StringFileInfo\\040904b0\\ProductName", &product));
    EXPECT_FALSE(VerQueryValue(std::vector<BYTE>{1, 2, 3}, "\\", &fixed));

    EXPECT_FALSE(GetFileVersionInfo(path("Missing.dll"), &block));
    EXPECT_FALSE(GetFileVersionInfo(std::string(KV_PE_NATIVE_DIR) + "/PeNative.so", &block));
}

TEST_F(PeModules, RegisteredModulesAnswerFromTheirResources) {
    // A program linking the plug-in objects hands over the embedded bytes.
    HMODULE plugin = registerModuleBytes(path("Korvane.arx"), pe_test::pluginBytes());
    ASSERT_NE(plugin, nullptr);
    std::string text;
    EXPECT_GT(LoadString(plugin, IDS_SAVE_ALL, &text), 0);
    EXPECT_EQ(text, "Save All");
    std::vector<BYTE> block;
    ASSERT_TRUE(GetFileVersionInfo(path("Korvane.arx"), &block));   // answered from memory
    std::string product;
    EXPECT_TRUE(VerQueryValue(block, "\\StringFileInfo\\040904b0\\ProductName", &product));
    EXPECT_EQ(product, "Korvane");
    EXPECT_TRUE(unregisterModule(plugin));
    EXPECT_FALSE(unregisterModule(plugin));
    EXPECT_EQ(registerModuleBytes(path("junk.dll"), {1, 2, 3}), nullptr);

    // The host opens the plug-in module itself and registers it; the resources come from dlsym.
    std::string so = std::string(KV_PE_NATIVE_DIR) + "/PeNative.so";
    void* dl = dlopen(so.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(dl, nullptr);
    HMODULE native = registerNativeModule(path("PeNative.arx"), dl);
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(moduleNativeHandle(native), dl);
    EXPECT_GT(LoadString(native, IDS_SAVE_ALL, &text), 0);
    EXPECT_EQ(text, "모두 저장");
    EXPECT_NE(GetProcAddress(native, "kvPeNativeAnswer"), nullptr);
    EXPECT_TRUE(unregisterModule(native));
    EXPECT_EQ(dlclose(dl), 0);   // still ours to close
    EXPECT_EQ(registerNativeModule("x", nullptr), nullptr);
}

TEST_F(PeModules, PluginModuleCarriesItsResources) {
    void* dl = dlopen(KV_PE_PLUGIN_MODULE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(dl, nullptr) << dlerror();
    EXPECT_EQ(embeddedResources(dl), pe_test::pluginBytes());
    HMODULE h = registerNativeModule(KV_PE_PLUGIN_MODULE, dl);
    std::string text;
    EXPECT_GT(LoadString(h, IDS_MULTI_MONITOR, &text), 0);
    EXPECT_EQ(text, "Multi-monitor location");
    EXPECT_NE(GetProcAddress(h, "kvEmbeddedResources"), nullptr);
    EXPECT_TRUE(unregisterModule(h));
    dlclose(dl);
}

TEST_F(PeModules, ConcurrentLoadsShareOneModule) {
    std::vector<std::thread> threads;
    std::vector<HMODULE> handles(8);
    for (int i = 0; i < 8; ++i)
        threads.emplace_back([&, i] { handles[i] = LoadLibrary(path(i % 2 ? "korvaneko.dll" : "KORVANEKO.DLL")); });
    for (auto& t : threads) t.join();
    for (HMODULE h : handles) EXPECT_EQ(h, handles[0]);
    EXPECT_EQ(moduleRefCount(handles[0]), 8);
    threads.clear();
    for (int i = 0; i < 8; ++i) threads.emplace_back([&, i] { EXPECT_TRUE(FreeLibrary(handles[i])); });
    for (auto& t : threads) t.join();
    EXPECT_EQ(moduleRefCount(handles[0]), 0);
}
