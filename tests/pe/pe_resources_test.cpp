// The PE resource reader against the real plug-in module, a Korean language pack, and damaged
// copies of both.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "pe/pe_test_util.h"
#include "res/resource.h"
#include "sim/pe/pe_resources.h"

using namespace sim::pe;
using pe_test::packBytes;
using pe_test::pluginBytes;

namespace {

ResourceModule parseOrDie(std::vector<std::uint8_t> bytes) {
    auto m = ResourceModule::parse(std::move(bytes));
    EXPECT_TRUE(m.has_value());
    return m ? std::move(*m) : *ResourceModule::parse(packBytes());
}

// Every id the plug-in loads into its string table at start-up.
std::vector<std::uint32_t> startupIds() {
    std::vector<std::uint32_t> ids;
    auto range = [&](std::uint32_t a, std::uint32_t b) {
        for (std::uint32_t i = a; i <= b; ++i) ids.push_back(i);
    };
    range(32846, 32861);
    for (std::uint32_t id : {32820, 32821, 32904, 32827, 32824, 32916, 32828, 32906, 32907, 32822, 32905, 32901,
                             32873, 32870, 32882, 32871, 32872, 32823})
        ids.push_back(id);
    range(32829, 32832);
    ids.push_back(32884);
    range(32833, 32844);
    ids.push_back(32825);
    ids.push_back(32826);
    range(32862, 32865);
    ids.push_back(32845);
    range(32875, 32881);
    range(32885, 32900);
    range(32908, 32911);
    ids.push_back(32915);
    ids.push_back(32917);
    return ids;
}

std::uint32_t rd32(const std::vector<std::uint8_t>& b, std::size_t o) {
    std::uint32_t v;
    std::memcpy(&v, &b[o], 4);
    return v;
}
void wr32(std::vector<std::uint8_t>& b, std::size_t o, std::uint32_t v) { std::memcpy(&b[o], &v, 4); }

// File offset of the root resource directory of a well-formed PE32+ module.
std::size_t resourceRoot(const std::vector<std::uint8_t>& b) {
    std::size_t pe = rd32(b, 0x3C), opt = pe + 24;
    std::uint16_t sections, optSize;
    std::memcpy(&sections, &b[pe + 6], 2);
    std::memcpy(&optSize, &b[pe + 20], 2);
    std::uint32_t rva = rd32(b, opt + 112 + 16);
    for (std::size_t i = 0; i < sections; ++i) {
        std::size_t s = opt + optSize + i * 40;
        std::uint32_t va = rd32(b, s + 12), raw = rd32(b, s + 16), ptr = rd32(b, s + 20);
        if (rva >= va && rva < va + raw) return ptr + (rva - va);
    }
    ADD_FAILURE() << "no resource section";
    return 0;
}

}  // namespace

TEST(PeResources, PluginStringTableHasEveryStartupIdAndTheGivenTexts) {
    // The embedded bytes are the module the build made from korvane.rc.
    ASSERT_EQ(pluginBytes(), pe_test::readBytes(KV_PE_PLUGIN_RES));
    ResourceModule m = parseOrDie(pluginBytes());
    for (std::uint32_t id : startupIds()) {
        auto s = m.loadString(id);
        EXPECT_TRUE(s && !s->empty() && *s != "Empty") << "string " << id;
    }
    EXPECT_EQ(m.loadString(IDS_OPEN_ONLY_CURRENT), "Open Only Current Document");
    EXPECT_EQ(m.loadString(IDS_SAVE_ALL), "Save All");
    EXPECT_EQ(m.loadString(IDS_NOSAVE_CLOSE_ALL), "Don't Save and Close All");
    EXPECT_EQ(m.loadString(IDS_SETTINGS_FILE_CORRUPT), "Error, can't parse 'korvane.xml', the file may be corrupt.");
    EXPECT_EQ(m.loadString(IDS_MULTI_MONITOR), "Multi-monitor location");
    EXPECT_EQ(m.loadString(IDS_LANGPACK_NOT_FOUND), "The language DLL for the language \"%s\" could not be found.");
    EXPECT_EQ(m.loadString(IDS_WINDOW_CASCADE), "Casca&de");
    // The line break stays as backslash-n in the resource; the table loader converts it.
    EXPECT_EQ(m.loadString(IDS_ASK_CLOSE_WITHOUT_SAVE),
              "To close the drawing without saving. Do you want to continue?\\n(You can turn off in preferences dialog box)");
    EXPECT_EQ(m.loadString(32806), std::nullopt);
    EXPECT_EQ(m.loadString(1), std::nullopt);
    EXPECT_EQ(m.loadString(0x10000 + IDS_SAVE_ALL), std::nullopt);
}

TEST(PeResources, PluginVersionMatchesWhatLanguagePacksCarry) {
    ResourceModule m = parseOrDie(pluginBytes());
    auto v = m.versionInfo();
    ASSERT_TRUE(v);
    ASSERT_TRUE(v->queryFixed("\\"));
    EXPECT_EQ(v->fixed->signature, 0xFEEF04BDu);
    EXPECT_EQ(v->fixed->fileVersionMS, (3u << 16) | 2u);
    EXPECT_EQ(v->fixed->fileVersionLS, 0u);
    EXPECT_EQ(v->fixed->productVersionMS, (3u << 16) | 2u);
    ASSERT_TRUE(v->queryTranslations("\\VarFileInfo\\Translation"));
    EXPECT_EQ(v->translations, (std::vector<std::uint32_t>{0x0409u | (1200u << 16)}));
    const std::string* name = v->queryString("\\StringFileInfo\\040904b0\\ProductName");
    ASSERT_TRUE(name);
    EXPECT_EQ(*name, "Korvane");
    EXPECT_TRUE(v->queryString("\\StringFileInfo\\040904B0\\productname"));   // keys ignore case
    EXPECT_FALSE(v->queryString("\\StringFileInfo\\041204b0\\ProductName"));
    EXPECT_FALSE(v->queryString("\\StringFileInfo\\040904b0\\NoSuchValue"));
    EXPECT_FALSE(v->queryTranslations("\\VarFileInfo"));
}

TEST(PeResources, KoreanPackKeepsItsTextsAndVersion) {
    ResourceModule m = parseOrDie(packBytes());
    EXPECT_EQ(m.loadString(IDS_SAVE_ALL), "모두 저장");
    EXPECT_EQ(m.loadString(IDS_OPEN_ONLY_CURRENT), "현재 도면만 열기");
    EXPECT_EQ(m.loadString(IDS_MENU_FAVORITES), "즐겨찾기 📁");   // a surrogate pair in UTF-16
    EXPECT_EQ(m.loadString(IDS_ASK_CLOSE_WITHOUT_SAVE, 0x0412),
              "저장하지 않고 도면을 닫습니다. 계속하시겠습니까?\\n(환경 설정에서 끌 수 있습니다)");
    EXPECT_EQ(m.loadString(IDS_SAVE_ALL, 0x0409), std::nullopt);   // no English block in the pack
    EXPECT_EQ(m.loadString(IDS_SAVE_CLOSE_ALL), std::nullopt);       // in a block, but not in the pack
    EXPECT_FALSE(m.find(kRtDialog, 239));

    auto v = m.versionInfo();
    ASSERT_TRUE(v && v->fixed);
    EXPECT_EQ(v->fixed->fileVersionMS, (2u << 16) | 1u);
    EXPECT_EQ(v->translations, (std::vector<std::uint32_t>{0x0412u | (1200u << 16)}));
    EXPECT_EQ(*v->queryString("\\StringFileInfo\\041204b0\\ProductName"), "Korvane LanguagePack");
    EXPECT_EQ(*v->queryString("\\StringFileInfo\\041204b0\\Comments"), "Korean 한국어");
}

TEST(PeResources, Utf16ConversionHandlesSurrogates) {
    auto conv = [](std::vector<std::uint16_t> units, bool oddByte = false) {
        std::vector<std::uint8_t> b;
        for (auto u : units) {
            b.push_back(std::uint8_t(u));
            b.push_back(std::uint8_t(u >> 8));
        }
        if (oddByte) b.push_back(0x41);
        return utf16leToUtf8(b);
    };
    EXPECT_EQ(conv({'A', 0xD55C, 0xAE00}), "A한글");
    EXPECT_EQ(conv({0xD83D, 0xDCC1}), "📁");
    EXPECT_EQ(conv({0xD83D, 'x'}), "\xEF\xBF\xBDx");          // high surrogate without its low half
    EXPECT_EQ(conv({0xDCC1, 0xD83D}), "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(conv({'a', 0xD83D}), "a\xEF\xBF\xBD");           // cut off after the high half
    EXPECT_EQ(conv({'a'}, true), "a");
}

TEST(PeResources, NotPeFilesAreRefused) {
    EXPECT_FALSE(ResourceModule::parse({}));
    EXPECT_FALSE(ResourceModule::parse({'M', 'Z'}));
    std::vector<std::uint8_t> b = packBytes();
    b[rd32(b, 0x3C)] = 'X';   // "PE\0\0" signature
    EXPECT_FALSE(ResourceModule::parse(b));
    EXPECT_FALSE(parseVersionInfo({}));
    std::vector<std::uint8_t> noKeyEnd = {12, 0, 0, 0, 0, 0, 'V', 0, 'S', 0, '_', 0};
    EXPECT_FALSE(parseVersionInfo(noKeyEnd));
}

// A truncated module may lose resources but must never show a text or version other than the
// complete module's.
TEST(PeResources, EveryTruncationIsSafe) {
    for (auto full : {packBytes(), pluginBytes()}) {
        ResourceModule whole = parseOrDie(full);
        auto wholeVersion = whole.versionInfo();
        // Every cut through the headers and the resource directory, then one every 61 bytes
        // through the resource data (each string block, template and bitmap is still cut many
        // times); the fuzz harness tries the lengths in between.
        for (std::size_t len = 0; len < full.size(); len += len < 8192 ? 1 : 61) {
            auto m = ResourceModule::parse(std::vector<std::uint8_t>(full.begin(), full.begin() + len));
            if (!m) continue;
            for (std::uint32_t id : {IDS_SAVE_ALL, IDS_OPEN_ONLY_CURRENT, IDS_MENU_FAVORITES, IDS_MULTI_MONITOR}) {
                if (auto s = m->loadString(id)) {
                    EXPECT_EQ(s, whole.loadString(id)) << "length " << len;
                }
            }
            if (auto v = m->versionInfo(); v && v->fixed) {
                EXPECT_EQ(v->fixed->fileVersionMS, wholeVersion->fixed->fileVersionMS);
            }
            // The version block itself, cut short.
            if (auto block = whole.versionBlock(); block && len < block->size()) parseVersionInfo(block->first(len));
        }
    }
}

TEST(PeResources, RandomByteFlipsAreSafe) {
    std::mt19937 rng(20240611);
    for (auto full : {packBytes(), pluginBytes()}) {
        for (int round = 0; round < 1500; ++round) {
            std::vector<std::uint8_t> b = full;
            int flips = 1 + int(rng() % 8);
            for (int i = 0; i < flips; ++i) b[rng() % b.size()] ^= std::uint8_t(1u << (rng() % 8));
            auto m = ResourceModule::parse(std::move(b));
            if (!m) continue;
            for (std::uint32_t id : {std::uint32_t(IDS_SAVE_ALL), std::uint32_t(IDS_MULTI_MONITOR), 0u, 0xFFFFu}) (void)m->loadString(id);
            if (auto v = m->versionInfo()) (void)v->queryString("\\StringFileInfo\\040904b0\\ProductName");
            for (const ResourceEntry& e : m->entries()) ASSERT_LE(e.offset + e.size, m->bytes().size());
        }
    }
}

TEST(PeResources, DirectoryCyclesEnd) {
    std::vector<std::uint8_t> b = packBytes();
    std::size_t root = resourceRoot(b);
    // Every type entry points back at the root directory, and so does every name entry below.
    std::uint32_t types = std::uint32_t(b[root + 12] | b[root + 13] << 8) + std::uint32_t(b[root + 14] | b[root + 15] << 8);
    ASSERT_GT(types, 0u);
    std::uint32_t firstNameDir = rd32(b, root + 16 + 4) & 0x7FFFFFFFu;
    for (std::uint32_t i = 0; i < types; ++i) wr32(b, root + 16 + i * 8 + 4, 0x80000000u);
    auto m = ResourceModule::parse(b);
    ASSERT_TRUE(m);
    EXPECT_TRUE(m->entries().empty());

    b = packBytes();
    wr32(b, root + firstNameDir + 16 + 4, 0x80000000u | firstNameDir);   // name directory points at itself
    m = ResourceModule::parse(b);
    ASSERT_TRUE(m);
    EXPECT_LT(m->entries().size(), 16u);
}
