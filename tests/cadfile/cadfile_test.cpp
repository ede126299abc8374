// The drawing-file header reader on files the simulated host writes and on damaged ones.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "cadfile/cadfile.h"
#include "core/app_state.h"
#include "dwgfile/testutil.h"
#include "res/resource.h"
#include "sim/host/dwgfile.h"
#include "support/plugin_fixture.h"

namespace {

using dwgtest::put32;
using sim::dwg::Release;

// An 8-bit DIB of w by h pixels: colour 0 is `first`, colour 1 white, colour 2 `other`; the
// pixels run 0, 1, 2, 0, 1, 2, ... row by row (bottom row first).
std::vector<std::uint8_t> dib8(int w, int h, std::array<std::uint8_t, 3> first, std::array<std::uint8_t, 3> other,
                               std::uint32_t colorsUsed = 0) {
    std::vector<std::uint8_t> b;
    put32(b, 40), put32(b, std::uint32_t(w)), put32(b, std::uint32_t(h));
    b.push_back(1), b.push_back(0), b.push_back(8), b.push_back(0);
    put32(b, 0), put32(b, 0), put32(b, 0), put32(b, 0), put32(b, colorsUsed), put32(b, 0);
    const std::uint32_t entries = colorsUsed ? colorsUsed : 256;
    for (std::uint32_t i = 0; i < entries; ++i) {
        std::array<std::uint8_t, 3> rgb{std::uint8_t(i), std::uint8_t(i / 2), 7};
        if (i == 0) rgb = first;
        if (i == 1) rgb = {255, 255, 255};
        if (i == 2) rgb = other;
        b.push_back(rgb[2]), b.push_back(rgb[1]), b.push_back(rgb[0]), b.push_back(0);
    }
    const int stride = (w + 3) & ~3;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < stride; ++x) b.push_back(std::uint8_t((y * w + x) % 3));
    return b;
}

// A host-format file: version text, directory address at 13, a directory with the given entries.
struct Entry {
    std::uint8_t code;
    std::vector<std::uint8_t> data;
};
std::vector<std::uint8_t> hostFile(const char* version, const std::vector<Entry>& entries) {
    std::vector<std::uint8_t> b(0x80, 0);
    std::memcpy(b.data(), version, 6);
    const std::uint32_t dir = std::uint32_t(b.size());
    b[13] = std::uint8_t(dir);
    b.resize(b.size() + 16, 0x1F);
    put32(b, 0);
    b.push_back(std::uint8_t(entries.size()));
    std::uint32_t at = dir + 16 + 4 + 1 + 9 * std::uint32_t(entries.size());
    for (const auto& e : entries) {
        b.push_back(e.code), put32(b, at), put32(b, std::uint32_t(e.data.size()));
        at += std::uint32_t(e.data.size());
    }
    for (const auto& e : entries) b.insert(b.end(), e.data.begin(), e.data.end());
    return b;
}

std::vector<std::uint32_t> pixelsOf(HBITMAP bitmap, int* w = nullptr, int* h = nullptr) {
    int width = 0, height = 0;
    std::vector<std::uint32_t> px;
    KvGetBitmapPixels(bitmap, &width, &height, &px);
    if (w) *w = width;
    if (h) *h = height;
    return px;
}

class CadFileTest : public kvtest::PluginFixture {
protected:
    void SetUp() override {
        PluginFixture::SetUp();
        App().ownModule = module;   // the placeholder picture comes from the plug-in's resources
    }
    std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const std::string path = dir.file(name);
        dwgtest::writeAll(path, bytes);
        return path;
    }
    dwgtest::TempDir dir;
};

TEST_F(CadFileTest, ReadsEveryGenerationTheHostWrites) {
    struct Case { Release release; std::uint32_t code; int preview; };
    const Case cases[] = {
        {Release::R13, 3, 1},   {Release::R14, 4, 1},   {Release::R2000, 5, 1}, {Release::R2004, 6, 1},
        {Release::R2007, 7, 1}, {Release::R2010, 8, 1}, {Release::R2013, 9, 0}, {Release::R2018, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.release));
        const std::string path = dir.file("plan" + std::to_string(int(c.release)) + ".dwg");
        std::string error;
        ASSERT_TRUE(sim::dwg::writeDrawingFile(path, dwgtest::sampleDrawing(), c.release, sim::dwg::Kind::Dwg, &error)) << error;
        CCadFile f;
        f.SetPath(path);
        EXPECT_EQ(f.ReadPreview(), c.preview);
        EXPECT_EQ(f.ReadInformation(), 1);
        EXPECT_EQ(f.Family(), CCadFile::kFamilyHost);
        EXPECT_EQ(f.VersionCode(), c.code);
        EXPECT_EQ(f.Bitmap() != nullptr, c.preview == 1);
        if (c.preview) {
            EXPECT_EQ(f.Width(), 180);
            EXPECT_EQ(f.Height(), 135);
            HBITMAP b = f.DetachBitmap();
            EXPECT_EQ(f.Bitmap(), nullptr);
            int w = 0, h = 0;
            pixelsOf(b, &w, &h);
            EXPECT_EQ(w, 180);
            EXPECT_EQ(h, 135);
            DeleteObject(b);
        }
    }
}

TEST_F(CadFileTest, ReleaseTwelveTakesTheSidecarPictureElseThePlaceholder) {
    const std::string path = dir.file("old.dwg");
    std::string error;
    ASSERT_TRUE(sim::dwg::writeDrawingFile(path, dwgtest::sampleDrawing(), Release::R12, sim::dwg::Kind::Dwg, &error));
    CCadFile f;
    f.SetPath(path);
    EXPECT_EQ(f.ReadPreview(), 1);
    EXPECT_EQ(f.VersionCode(), 2u);
    EXPECT_TRUE(f.FromSidecar());
    EXPECT_EQ(f.Width(), 180);

    // The side-car's name matches without regard to letter case.
    std::filesystem::rename(dir.file("old.BMP"), dir.file("old.bmp"));
    CCadFile lower;
    lower.SetPath(path);
    EXPECT_EQ(lower.ReadPreview(), 1);
    EXPECT_TRUE(lower.FromSidecar());

    std::filesystem::remove(dir.file("old.bmp"));
    CCadFile none;
    none.SetPath(path);
    EXPECT_EQ(none.ReadPreview(), 1);
    EXPECT_FALSE(none.FromSidecar());
    EXPECT_EQ(none.Width(), 161);   // the placeholder
    EXPECT_EQ(none.Height(), 115);
}

TEST_F(CadFileTest, ExtensionDecidesTheFamilyAnywhereInThePath) {
    EXPECT_EQ(CCadFile::FamilyOfPath("/a/B.DWG"), CCadFile::kFamilyHost);
    EXPECT_EQ(CCadFile::FamilyOfPath("/a/b.Dwt"), CCadFile::kFamilyHost);
    EXPECT_EQ(CCadFile::FamilyOfPath("/a/b.sv$"), CCadFile::kFamilyHost);
    EXPECT_EQ(CCadFile::FamilyOfPath("/a/b.flx"), CCadFile::kFamilyFelix);
    EXPECT_EQ(CCadFile::FamilyOfPath("/a/b.ELT"), CCadFile::kFamilyFelix);
    EXPECT_EQ(CCadFile::FamilyOfPath("/a/b.dxf"), CCadFile::kFamilyUnknown);
    EXPECT_EQ(CCadFile::FamilyOfPath("/x.dwg/readme.flx"), CCadFile::kFamilyHost);   // first hit decides

    // A text file inside a folder named like a drawing counts as the host's family, version 0.
    std::filesystem::create_directory(dir.file("jobs.dwg"));
    const std::string text = dir.file("jobs.dwg/notes.txt");
    std::ofstream(text) << "AC1015 is not in a text file";
    CCadFile f;
    f.SetPath(text);
    EXPECT_EQ(f.ReadInformation(), 1);
    EXPECT_EQ(f.VersionCode(), 0u);
    EXPECT_EQ(f.ReadPreview(), 0);

    // DXF files and missing files.
    CCadFile dxf;
    dxf.SetPath(write("a.dxf", {'0', '\n'}));
    EXPECT_EQ(dxf.ReadPreview(), 0);
    EXPECT_EQ(dxf.ReadInformation(), 0);
    CCadFile missing;
    missing.SetPath(dir.file("gone.dwg"));
    EXPECT_EQ(missing.ReadPreview(), 0);
    EXPECT_EQ(missing.ReadInformation(), 1);
    EXPECT_EQ(missing.VersionCode(), 0u);
}

TEST_F(CadFileTest, VersionTextsAreComparedAsText) {
    auto code = [](const char* seven) {
        char h[7];
        std::memcpy(h, seven, 7);
        return CCadFile::HostVersionCode(h);
    };
    EXPECT_EQ(code("AC1009\0"), 2u);
    EXPECT_EQ(code("AC1012\0"), 3u);
    EXPECT_EQ(code("AC1013\0"), 4u);
    EXPECT_EQ(code("AC1014\0"), 4u);
    EXPECT_EQ(code("AC1027\0"), 9u);
    EXPECT_EQ(code("AC1032\0"), 0u);
    EXPECT_EQ(code("AC1006\0"), 0u);
    EXPECT_EQ(code("AC1015X"), 0u);   // seven letters are not "AC1015"
}

TEST_F(CadFileTest, ImageDirectoryMustHoldHeaderThenBitmap) {
    const auto picture = dib8(4, 3, {0, 0, 0}, {9, 9, 9});
    const std::vector<std::uint8_t> headerData(80, 0);
    struct Case { std::vector<Entry> entries; int result; bool bitmap; bool sidecar; };
    const Case cases[] = {
        {{{1, headerData}, {2, picture}}, 1, true, false},
        {{{1, headerData}, {2, picture}, {3, picture}}, 0, false, false},   // a metafile entry too
        {{{1, headerData}}, 1, false, true},                               // header only
        {{{2, picture}, {1, headerData}}, 1, false, true},                 // wrong order
        {{{1, headerData}, {6, picture}}, 1, false, true},                 // PNG code
        {{{1, headerData}, {2, {}}}, 1, false, false},                     // an empty picture
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(n);
        CCadFile f;
        f.SetPath(write("d" + std::to_string(n++) + ".dwg", hostFile("AC1015", c.entries)));
        EXPECT_EQ(f.ReadPreview(), c.result);
        EXPECT_EQ(f.Bitmap() != nullptr, c.bitmap);
        EXPECT_EQ(f.FromSidecar(), c.sidecar);
    }
}

TEST_F(CadFileTest, WhiteAndBackgroundTradePlaces) {
    const std::array<std::uint8_t, 3> bg{33, 40, 48};
    auto colours = [&](std::array<std::uint8_t, 3> first, std::array<std::uint8_t, 3> background) {
        CCadFile f;
        f.SetBackground(background[0], background[1], background[2]);
        f.SetPath(write("swap.dwg", hostFile("AC1018", {{1, std::vector<std::uint8_t>(80)}, {2, dib8(3, 1, first, bg)}})));
        EXPECT_EQ(f.ReadPreview(), 1);
        return pixelsOf(f.Bitmap());   // pixels 0, 1, 2: colours 0, 1 (white), 2 (the background)
    };
    auto px = colours({0, 0, 0}, bg);
    ASSERT_EQ(px.size(), 3u);
    EXPECT_EQ(px[0] & 0xFFFFFF, 0x000000u);
    EXPECT_EQ(px[1] & 0xFFFFFF, 0x212830u);   // white became the background
    EXPECT_EQ(px[2] & 0xFFFFFF, 0xFFFFFFu);   // the background became white
    // One component of the first colour equals the background's: nothing changes.
    px = colours({0, 40, 0}, bg);
    EXPECT_EQ(px[1] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(px[2] & 0xFFFFFF, 0x212830u);
    // A white background with a first colour that has a 255 component: no swap either.
    px = colours({255, 0, 0}, {255, 255, 255});
    EXPECT_EQ(px[1] & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(CadFileTest, ShortColourTablesAreWalkedOnlyAsFarAsTheyGo) {
    CCadFile f;
    f.SetBackground(1, 2, 3);
    // Three colours in the table: the swap stays inside it and the bits follow it.
    ASSERT_EQ(f.LoadImageBlock(dib8(3, 1, {0, 0, 0}, {1, 2, 3}, 3).data(), 40 + 12 + 4), 1);
    const auto px = pixelsOf(f.Bitmap());
    ASSERT_EQ(px.size(), 3u);
    EXPECT_EQ(px[1] & 0xFFFFFF, 0x010203u);
    EXPECT_EQ(px[2] & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(CadFileTest, DamagedFilesGiveNoPreview) {
    const auto good = hostFile("AC1015", {{1, std::vector<std::uint8_t>(80)}, {2, dib8(16, 16, {0, 0, 0}, {5, 5, 5})}});
    // Every cut short of the picture's end fails; the cut file is never read past its end.
    for (std::size_t cut = 0; cut < good.size(); cut += 5) {
        CCadFile f;
        f.SetPath(write("cut.dwg", std::vector<std::uint8_t>(good.begin(), good.begin() + std::ptrdiff_t(cut))));
        EXPECT_EQ(f.ReadPreview(), 0) << cut;
        EXPECT_EQ(f.Bitmap(), nullptr);
    }
    auto patched = [&](std::size_t at, std::uint32_t value) {
        auto b = good;
        for (int i = 0; i < 4; ++i) b[at + std::size_t(i)] = std::uint8_t(value >> (8 * i));
        CCadFile f;
        f.SetPath(write("bad.dwg", b));
        return f.ReadPreview();
    };
    const std::size_t dir = 0x80, second = dir + 16 + 4 + 1 + 9;
    EXPECT_EQ(patched(13, 0xFFFFFFF0u), 0);            // directory past the end
    EXPECT_EQ(patched(second + 1, 0xFFFFFFFFu), 0);    // picture starts past the end
    EXPECT_EQ(patched(second + 5, 0xFFFFFFFFu), 0);    // picture larger than the file
    const std::size_t picture = dir + 16 + 4 + 1 + 18 + 80;
    EXPECT_EQ(patched(picture, 0xFFFFFFFFu), 0);       // information header size
    EXPECT_EQ(patched(picture + 4, 100000), 0);        // width
    EXPECT_EQ(patched(picture + 32, 0x40000000u), 0);  // colours used
    EXPECT_EQ(patched(picture + 16, 1), 0);            // compressed
}

TEST_F(CadFileTest, FelixFilesByVersionByteAndSignature) {
    auto felix = [](std::uint8_t version, const std::string& signature, const std::vector<std::uint8_t>& picture) {
        std::vector<std::uint8_t> b(88, 0);
        b[1] = version;
        std::memcpy(b.data() + 2, signature.data(), std::min<std::size_t>(signature.size(), 86));
        put32(b, 88 + 248), put32(b, std::uint32_t(picture.size()));
        b.resize(88 + 248, 0);
        b.insert(b.end(), picture.begin(), picture.end());
        return b;
    };
    const auto picture = dib8(5, 4, {0, 0, 0}, {3, 3, 3});
    struct Case { std::uint8_t version; std::string signature; std::uint32_t code; };
    const Case cases[] = {
        {2, "FCAD 24.05.95", 2}, {3, "FCAD 97", 3}, {4, "FCAD 97", 4}, {6, "FCAD 99", 6}, {8, "FCAD 2000", 8},
        {5, "FCAD 97", 0}, {2, "FCAD 2000", 0}, {3, "FCAD 97 beta", 0}, {8, std::string(90, 'F'), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.signature + " " + std::to_string(c.version));
        CCadFile f;
        f.SetPath(write("part.flx", felix(c.version, c.signature, picture)));
        EXPECT_EQ(f.ReadPreview(), c.code ? 1 : 0);
        EXPECT_EQ(f.VersionCode(), c.code);
        EXPECT_EQ(f.Family(), CCadFile::kFamilyFelix);
        if (c.code) {
            EXPECT_EQ(f.Width(), 5);
        }
    }
}

}  // namespace
