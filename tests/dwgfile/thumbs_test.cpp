// The thumbnail library, loaded as the plug-in loads it and called through its exported names.
#include <dlfcn.h>
#include <gtest/gtest.h>


#include "dwgfile/testutil.h"
#include "gfx/bitmap.h"
#include "sim/gfx/bitmaps.h"

using namespace sim::dwg;
using namespace dwgtest;

namespace {

using GetThumbFn = HBITMAP (*)(const char*, unsigned int, int&);
using GetVersionFn = int (*)(const char*);

class DwgThumbs : public ::testing::Test {
protected:
    void SetUp() override {
        lib = dlopen(KV_THUMBS_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_TRUE(lib) << dlerror();
        thumb = reinterpret_cast<GetThumbFn>(dlsym(lib, "_Z19GetTumbnailFromFilePKcjRi"));
        version = reinterpret_cast<GetVersionFn>(dlsym(lib, "_Z17GetDrawingVersionPKc"));
        ASSERT_TRUE(thumb && version);
    }
    void TearDown() override {
        if (lib) dlclose(lib);
    }
    // The bitmap's pixels; the bitmap is deleted.
    Image take(HBITMAP b) {
        Image img;
        EXPECT_TRUE(KvGetBitmapPixels(b, &img.width, &img.height, &img.pixels));
        EXPECT_TRUE(DeleteObject(b));
        return img;
    }
    void* lib = nullptr;
    GetThumbFn thumb = nullptr;
    GetVersionFn version = nullptr;
    TempDir dir;
};

}  // namespace

TEST_F(DwgThumbs, FormatCodesOfEveryRelease) {
    const Drawing d = sampleDrawing();
    int expected = 2;
    for (Release r : {Release::R12, Release::R13, Release::R14, Release::R2000, Release::R2004, Release::R2007,
                      Release::R2010, Release::R2013, Release::R2018}) {
        const std::string path = dir.file("d" + std::to_string(expected) + ".dwg");
        ASSERT_TRUE(writeDrawingFile(path, d, r, Kind::Dwg, nullptr));
        EXPECT_EQ(version(path.c_str()), expected++);
    }
    writeAll(dir.file("r10.dwg"), {'A', 'C', '1', '0', '0', '6', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(version(dir.file("r10.dwg").c_str()), 1);
    writeAll(dir.file("text.dwg"), {'h', 'e', 'l', 'l', 'o', '\n'});
    EXPECT_EQ(version(dir.file("text.dwg").c_str()), 0);
    EXPECT_EQ(version(dir.file("missing.dwg").c_str()), 0);
    EXPECT_EQ(version(dir.path.c_str()), 0);
    EXPECT_EQ(version(""), 0);
    ASSERT_TRUE(writeDrawingFile(dir.file("x.dxf"), d, Release::R2007, Kind::Dxf, nullptr));
    EXPECT_EQ(version(dir.file("x.dxf").c_str()), 7);
}

TEST_F(DwgThumbs, PicturesFromDirectorySidecarAndDxf) {
    Drawing d;
    d.lines = {{{0, 0, 0}, {10, 10, 0}}};
    const std::size_t live = sim::gfx::liveBitmapCount();
    struct Case {
        std::string name;
        Release release;
        Kind kind;
        int code, width;
    } cases[] = {{"a.dwg", Release::R2000, Kind::Dwg, 5, 180}, {"b.dwg", Release::R2018, Kind::Dwg, 10, 256},
                 {"c.dwg", Release::R12, Kind::Dwg, 2, 180},   {"d.dxf", Release::R2010, Kind::Dxf, 8, 180}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(c.name);
        ASSERT_TRUE(writeDrawingFile(path, d, c.release, c.kind, nullptr));
        int code = -1;
        HBITMAP b = thumb(path.c_str(), RGB(255, 255, 255), code);
        EXPECT_EQ(code, c.code);
        ASSERT_TRUE(b);
        Image img = take(b);
        EXPECT_EQ(img.width, c.width);
        // Drawn on the caller's (white) background, with the strokes kept visible.
        EXPECT_EQ(img.pixels.front(), 0xFFFFFFFFu);
        EXPECT_GT(std::count_if(img.pixels.begin(), img.pixels.end(), [](std::uint32_t p) { return (p & 0xFF) < 100; }), 10);
    }
    // A dark background stays dark; the light strokes stay light.
    int code = 0;
    Image img = take(thumb(dir.file("a.dwg").c_str(), RGB(33, 40, 48), code));
    EXPECT_EQ(img.pixels.front(), 0xFF212830u);
    EXPECT_GT(std::count_if(img.pixels.begin(), img.pixels.end(), [](std::uint32_t p) { return (p & 0xFF) > 150; }), 10);

    // A foreign drawing's PNG.
    writeAll(dir.file("f.dwg"), foreignDrawing("AC1032", 6, encodePng(solid(30, 20, 0xFF0000FF))));
    img = take(thumb(dir.file("f.dwg").c_str(), 0, code));
    EXPECT_EQ(code, 10);
    EXPECT_EQ(img.width, 30);
    EXPECT_EQ(sim::gfx::liveBitmapCount(), live);
}

TEST_F(DwgThumbs, NoPictureGivesNullAndStillTheFormatCode) {
    Drawing d;
    ASSERT_TRUE(writeDrawingFile(dir.file("old.dwg"), d, Release::R12, Kind::Dwg, nullptr));
    std::filesystem::remove(dir.file("old.BMP"));
    int code = -1;
    EXPECT_EQ(thumb(dir.file("old.dwg").c_str(), 0, code), nullptr);
    EXPECT_EQ(code, 2);
    EXPECT_EQ(thumb(dir.file("missing.dwg").c_str(), 0, code), nullptr);
    EXPECT_EQ(code, 0);
    // A damaged picture in an otherwise readable file.
    auto bytes = foreignDrawing("AC1018", 2, std::vector<std::uint8_t>(64, 0x55));
    writeAll(dir.file("bad.dwg"), bytes);
    EXPECT_EQ(thumb(dir.file("bad.dwg").c_str(), 0, code), nullptr);
    EXPECT_EQ(code, 6);
}
