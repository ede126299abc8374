// Drawing files: round trips in every format, foreign files, DXF, damaged and hostile input.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>
#include <random>

#include "dwgfile/testutil.h"

using namespace sim::dwg;
using namespace dwgtest;

namespace {

struct FormatCase {
    Release release;
    const char* text;
    PreviewType preview;
};
const FormatCase kFormats[] = {
    {Release::R12, "AC1009", PreviewType::Dib},   {Release::R13, "AC1012", PreviewType::Dib},
    {Release::R14, "AC1014", PreviewType::Dib},   {Release::R2000, "AC1015", PreviewType::Dib},
    {Release::R2004, "AC1018", PreviewType::Dib}, {Release::R2007, "AC1021", PreviewType::Dib},
    {Release::R2010, "AC1024", PreviewType::Dib}, {Release::R2013, "AC1027", PreviewType::Png},
    {Release::R2018, "AC1032", PreviewType::Png},
};

int brightPixels(const Image& img, int row) {
    int n = 0;
    for (int x = 0; x < img.width; ++x)
        if ((img.pixels[std::size_t(row) * std::size_t(img.width) + std::size_t(x)] & 0xFF) > 128) ++n;
    return n;
}

}  // namespace

TEST(DwgFile, RoundTripEveryFormat) {
    TempDir dir;
    const Drawing d = sampleDrawing();
    for (const auto& f : kFormats) {
        SCOPED_TRACE(f.text);
        const std::string path = dir.file(std::string("plan-") + f.text + ".dwg");
        std::string error;
        ASSERT_TRUE(writeDrawingFile(path, d, f.release, Kind::Dwg, &error)) << error;
        const auto bytes = readAll(path);
        ASSERT_GT(bytes.size(), 0x100u);
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), f.text);

        const std::uint32_t dirAddr = u32(bytes, 13);
        if (f.release == Release::R12) {
            EXPECT_EQ(dirAddr, 0u);
            EXPECT_TRUE(std::filesystem::exists(dir.file(std::string("plan-") + f.text + ".BMP")));
        } else {
            // The directory as the host's header readers expect it: sentinel, size, two entries
            // (header data, then the picture), absolute starts inside the file.
            ASSERT_LT(dirAddr + 39u, bytes.size());
            EXPECT_EQ(bytes[dirAddr], 0x1F);
            EXPECT_EQ(bytes[dirAddr + 15], 0x2B);
            EXPECT_EQ(bytes[dirAddr + 20], 2);
            EXPECT_EQ(bytes[dirAddr + 21], 1);
            EXPECT_EQ(bytes[dirAddr + 30], f.preview == PreviewType::Png ? 6 : 2);
            const std::uint32_t start = u32(bytes, dirAddr + 31), size = u32(bytes, dirAddr + 35);
            ASSERT_LE(std::uint64_t(start) + size, bytes.size());
            if (f.preview == PreviewType::Dib) {
                EXPECT_EQ(u32(bytes, start), 40u);
                EXPECT_EQ(bytes[start + 14], 8);   // 8 bits per pixel
            }
        }

        FileInfo info;
        ASSERT_TRUE(readDrawingFile(path, &info, &error)) << error;
        EXPECT_EQ(info.release, f.release);
        EXPECT_EQ(info.versionText, f.text);
        EXPECT_FALSE(info.foreign);
        EXPECT_FALSE(info.dxf);
        ASSERT_TRUE(info.drawing);
        EXPECT_TRUE(info.drawing->sameContent(d));
        EXPECT_EQ(info.drawing->fileName, path);
        EXPECT_EQ(info.preview.type, f.preview);
        EXPECT_EQ(info.preview.sidecar, f.release == Release::R12);
        auto img = decodePreview(info.preview, &error);
        ASSERT_TRUE(img) << error;
        EXPECT_EQ(img->width * 3, img->height * 4);
        EXPECT_TRUE(isSimulatorFile(path));
        EXPECT_EQ(readRelease(path), f.release);
    }
}

TEST(DwgFile, DxfRoundTripKeepsThePayloadExactly) {
    TempDir dir;
    Drawing d = sampleDrawing();
    // Blanks around the chunk boundaries of the comment groups must survive.
    d.summary.comments = std::string(5000, ' ') + "x" + std::string(3000, ' ');
    const std::string path = dir.file("plan.dxf");
    std::string error;
    ASSERT_TRUE(writeDrawingFile(path, d, Release::R2013, Kind::Dxf, &error)) << error;
    FileInfo info;
    ASSERT_TRUE(readDrawingFile(path, &info, &error)) << error;
    EXPECT_TRUE(info.dxf);
    EXPECT_EQ(info.release, Release::R2013);
    ASSERT_FALSE(info.foreign);
    EXPECT_TRUE(info.drawing->sameContent(d));
    EXPECT_EQ(info.preview.type, PreviewType::Dib);
    EXPECT_EQ(readRelease(path), Release::R2013);
}

TEST(DwgFile, PreviewShowsTheLinesFittedToTheExtents) {
    Drawing d;
    d.lines = {{{-5000, 10, 0}, {5000, 10, 0}}, {{0, -20, 0}, {0, 40, 0}}};
    const Image img = renderPreview(d, 180, 135);
    // The horizontal line spans the picture up to the margin, at the height its extents put it.
    const int y = 135 / 2;   // the extents' centre row
    int best = 0;
    for (int row = y - 3; row <= y + 3; ++row) best = std::max(best, brightPixels(img, row));
    EXPECT_GE(best, 180 - 12);
    EXPECT_EQ(brightPixels(img, 1), 0);
    // The 8-bit encoding keeps black and white exact and greys close.
    auto back = decodeDib(encodeDib8(img));
    ASSERT_TRUE(back);
    ASSERT_EQ(back->pixels.size(), img.pixels.size());
    for (std::size_t i = 0; i < img.pixels.size(); ++i) {
        const std::uint32_t a = img.pixels[i], b = back->pixels[i];
        if (a == 0xFF000000u || a == 0xFFFFFFFFu) {
            ASSERT_EQ(a, b) << i;
        }
        ASSERT_NEAR(int(a & 0xFF), int(b & 0xFF), 8) << i;
    }
}

TEST(DwgFile, ForeignFileOpensWithItsVersionAndPreview) {
    TempDir dir;
    const auto png = encodePng(solid(10, 8, 0xFFC00000));
    const auto bytes = foreignDrawing("AC1027", 6, png);
    const std::string path = dir.file("survey.dwg");
    writeAll(path, bytes);

    FileInfo info;
    std::string error;
    ASSERT_TRUE(readDrawingFile(path, &info, &error)) << error;
    EXPECT_TRUE(info.foreign);
    EXPECT_FALSE(info.drawing);
    EXPECT_EQ(info.release, Release::R2013);
    ASSERT_EQ(info.preview.type, PreviewType::Png);
    auto img = decodePreview(info.preview);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->width, 10);
    EXPECT_EQ(img->pixels[0], 0xFFC00000u);

    // Never written over.
    EXPECT_FALSE(isSimulatorFile(path));
    EXPECT_FALSE(writeDrawingFile(path, sampleDrawing(), Release::R2018, Kind::Dwg, &error));
    EXPECT_NE(error.find("another program"), std::string::npos);
    EXPECT_EQ(readAll(path), bytes);
}

TEST(DwgFile, DxfThumbnailAndVersion) {
    TempDir dir;
    const auto dib = encodeDib8(solid(4, 3, 0xFFFFFFFF));
    std::string text = "999\r\nwritten elsewhere\r\n  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$ACADVER\r\n  1\r\nAC1018\r\n"
                       "  0\r\nENDSEC\r\n  0\r\nSECTION\r\n  2\r\nTHUMBNAILIMAGE\r\n 90\r\n" +
                       std::to_string(dib.size()) + "\r\n";
    static const char hex[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < dib.size(); i += 100) {
        text += "310\r\n";
        for (std::size_t k = i; k < std::min(dib.size(), i + 100); ++k) text += {hex[dib[k] >> 4], hex[dib[k] & 15]};
        text += "\r\n";
    }
    text += "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
    const std::string path = dir.file("old.dxf");
    writeAll(path, std::vector<std::uint8_t>(text.begin(), text.end()));

    FileInfo info;
    std::string error;
    ASSERT_TRUE(readDrawingFile(path, &info, &error)) << error;
    EXPECT_TRUE(info.dxf);
    EXPECT_TRUE(info.foreign);
    EXPECT_EQ(info.release, Release::R2004);
    auto img = decodePreview(info.preview);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->width, 4);
    EXPECT_EQ(img->height, 3);
    EXPECT_EQ(readRelease(path), Release::R2004);
    EXPECT_EQ(readPreview(path).data, dib);

    // Without a thumbnail section: version only.
    const std::string bare = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n0\nENDSEC\n0\nEOF\n";
    ASSERT_TRUE(readDxfBytes({reinterpret_cast<const std::uint8_t*>(bare.data()), bare.size()}, &info, &error));
    EXPECT_EQ(info.release, Release::R12);
    EXPECT_EQ(info.preview.type, PreviewType::None);
}

TEST(DwgFile, SidecarPreviewOfR12) {
    TempDir dir;
    const std::string path = dir.file("old.dwg");
    std::string error;
    ASSERT_TRUE(writeDrawingFile(path, sampleDrawing(), Release::R12, Kind::Dwg, &error)) << error;
    EXPECT_EQ(sidecarPath(path), dir.file("old.BMP"));
    const auto bmp = readAll(dir.file("old.BMP"));
    ASSERT_GT(bmp.size(), 14u + 40 + 1024);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(u32(bmp, 10), 14u + 40 + 1024);   // bits right after the colour table
    EXPECT_EQ(u32(bmp, 2), bmp.size());
    EXPECT_EQ(readPreview(path).type, PreviewType::Dib);

    // A lower-case side-car (copied from a case-blind file system) is found too; none gives none.
    std::filesystem::rename(dir.file("old.BMP"), dir.file("old.bmp"));
    EXPECT_TRUE(readPreview(path).sidecar);
    std::filesystem::remove(dir.file("old.bmp"));
    FileInfo info;
    ASSERT_TRUE(readDrawingFile(path, &info, &error));
    EXPECT_EQ(info.preview.type, PreviewType::None);
    EXPECT_FALSE(info.foreign);
}

TEST(DwgFile, WritesAreAtomicAndOnlyOverSimulatorFiles) {
    TempDir dir;
    const std::string path = dir.file("a.dwg");
    std::string error;
    Drawing d = sampleDrawing();
    ASSERT_TRUE(writeDrawingFile(path, d, Release::R2018, Kind::Dwg, &error));
    d.numberOfSaves = 13;
    ASSERT_TRUE(writeDrawingFile(path, d, Release::R2004, Kind::Dwg, &error)) << error;
    FileInfo info;
    ASSERT_TRUE(readDrawingFile(path, &info, &error));
    EXPECT_EQ(info.release, Release::R2004);
    EXPECT_EQ(info.drawing->numberOfSaves, 13);
    // Nothing but the drawing is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1);

    EXPECT_FALSE(writeDrawingFile(dir.file("missing/b.dwg"), d, Release::R2018, Kind::Dwg, &error));
    EXPECT_NE(error.find("missing/b.dwg"), std::string::npos);
    writeAll(dir.file("notes.txt"), {'h', 'i'});
    EXPECT_FALSE(writeDrawingFile(dir.file("notes.txt"), d, Release::R2018, Kind::Dwg, &error));
    EXPECT_FALSE(writeDrawingFile(dir.file("c.dwg"), d, Release::R10, Kind::Dwg, &error));
}

TEST(DwgFile, NotDrawings) {
    TempDir dir;
    FileInfo info;
    std::string error;
    EXPECT_FALSE(readDrawingFile(dir.file("none.dwg"), &info, &error));
    EXPECT_FALSE(readDrawingFile(dir.path, &info, &error));
    writeAll(dir.file("t.dwg"), {'A', 'C', '1', '0'});
    EXPECT_FALSE(readDrawingFile(dir.file("t.dwg"), &info, &error));
    EXPECT_FALSE(error.empty());
    writeAll(dir.file("u.dwg"), {'A', 'C', '9', '9', '9', '9', 0, 0});
    EXPECT_FALSE(readDrawingFile(dir.file("u.dwg"), &info, &error));
    EXPECT_EQ(readRelease(dir.file("u.dwg")), Release::Unknown);
    EXPECT_EQ(readPreview(dir.file("none.dwg")).type, PreviewType::None);
    // A pipe named like a drawing is refused, not waited on.
    ASSERT_EQ(mkfifo(dir.file("pipe.dwg").c_str(), 0600), 0);
    EXPECT_FALSE(readDrawingFile(dir.file("pipe.dwg"), &info, &error));
    EXPECT_EQ(readRelease(dir.file("pipe.dwg")), Release::Unknown);
}

TEST(DwgFile, FormatTablesAgree) {
    for (int f : {1, 4, 5, 8, 9, 12, 13, 14, 15, 24, 25, 26, 27, 36, 37, 38, 39, 48, 49, 50, 51, 60, 61, 62, 63, 64, 65, 66, 67}) {
        const auto fmt = AcApDocument::SaveFormat(f);
        EXPECT_EQ(saveFormatFor(releaseOf(fmt), kindOf(fmt)), fmt) << f;
        EXPECT_EQ(releaseOf(dwgVersion(releaseOf(fmt))), releaseOf(fmt)) << f;
    }
    for (const auto& f : kFormats) EXPECT_EQ(releaseFromVersionText(versionText(f.release)), f.release);
    EXPECT_EQ(formatCode(releaseFromVersionText("AC1006")), 1);
    EXPECT_EQ(formatCode(releaseFromVersionText("AC1032")), 10);
    EXPECT_EQ(saveFormatFor(Release::R12, Kind::Dwg), AcApDocument::kUnknown);
}

// ---- Damaged and hostile files ------------------------------------------------------------

TEST(DwgFileDamage, EveryTruncationIsReadSafely) {
    Drawing small;
    small.lines = {{{0, 0, 0}, {1, 1, 0}}};
    for (Release r : {Release::R2000, Release::R2018}) {
        const auto full = drawingBytes(small, r);
        for (std::size_t n = 0; n < full.size(); ++n) {
            FileInfo info;
            std::string error;
            const bool ok = readDrawingBytes({full.data(), n}, &info, &error);
            EXPECT_TRUE(ok || !error.empty());
            EXPECT_TRUE(info.foreign) << n;   // the trailer is gone: never a half model
            if (ok && (n % 61 == 0 || r == Release::R2018)) (void)decodePreview(info.preview);
        }
    }
    // DXF: every length through the payload groups at the end, sampled before them.
    const std::string dxf = dxfText(sampleDrawing(), Release::R2010);
    const std::size_t payloadAt = dxf.find("KVSIMDB ");
    for (std::size_t n = 0; n < dxf.size(); n += n + 1000 < payloadAt ? 97 : 1) {
        FileInfo info;
        std::string error;
        const bool ok = readDxfBytes({reinterpret_cast<const std::uint8_t*>(dxf.data()), n}, &info, &error);
        if (ok && !info.foreign) {
            EXPECT_TRUE(info.drawing->sameContent(sampleDrawing())) << n;
        }
    }
}

TEST(DwgFileDamage, RandomCorruptionNeverGivesAWrongModel) {
    const Drawing d = sampleDrawing();
    std::mt19937 rng(20240613);
    for (Release r : {Release::R2004, Release::R2013}) {
        const auto full = drawingBytes(d, r);
        for (int round = 0; round < 400; ++round) {
            auto bytes = full;
            const int flips = 1 + int(rng() % 8);
            for (int i = 0; i < flips; ++i) bytes[rng() % bytes.size()] = std::uint8_t(rng());
            FileInfo info;
            std::string error;
            if (readDrawingBytes(bytes, &info, &error)) {
                if (!info.foreign) {
                    EXPECT_TRUE(info.drawing->sameContent(d));
                }
                (void)decodePreview(info.preview);
            }
        }
    }
}

TEST(DwgFileDamage, HostileSizesAreRefusedWithoutAllocating) {
    // Directory entry claiming a 4 GB picture.
    auto bytes = foreignDrawing("AC1015", 2, std::vector<std::uint8_t>(100, 0));
    const std::uint32_t dir = u32(bytes, 13);
    for (int i = 0; i < 4; ++i) bytes[dir + 35 + i] = 0xFF;
    FileInfo info;
    std::string error;
    ASSERT_TRUE(readDrawingBytes(bytes, &info, &error));
    EXPECT_EQ(info.preview.type, PreviewType::None);

    // Directory address beyond the end, and a count of 255 entries.
    bytes[13] = bytes[14] = bytes[15] = bytes[16] = 0xFF;
    EXPECT_TRUE(readDrawingBytes(bytes, &info, &error));
    bytes = foreignDrawing("AC1015", 2, std::vector<std::uint8_t>(100, 0));
    bytes[dir + 20] = 255;
    EXPECT_TRUE(readDrawingBytes(bytes, &info, &error));

    // A bitmap header claiming 100000 by 100000 pixels, a PNG claiming the same.
    auto dib = encodeDib8(solid(2, 2, 0xFF000000));
    dib[4] = 0xA0, dib[5] = 0x86, dib[6] = 0x01;
    EXPECT_FALSE(decodeDib(dib, &error));
    dib = encodeDib8(solid(2, 2, 0xFF000000));
    dib[8] = 0, dib[9] = 0, dib[10] = 0, dib[11] = 0x80;   // INT_MIN rows
    EXPECT_FALSE(decodeDib(dib, &error));
    auto png = encodePng(solid(2, 2, 0xFF000000));
    png[16] = 0, png[17] = 1, png[18] = 0x86, png[19] = 0xA0;
    EXPECT_FALSE(decodePng(png, &error));
    png = encodePng(solid(2, 2, 0xFF000000));
    png.resize(png.size() - 20);
    EXPECT_FALSE(decodePng(png, &error));
}

TEST(DwgFileDamage, PayloadWithValidChecksumButHostileContent) {
    auto withPayload = [](const std::string& text) {
        std::vector<std::uint8_t> b(drawingBytes(Drawing{}, Release::R12));
        b.resize(0x100);
        const std::uint64_t at = b.size();
        b.insert(b.end(), {'K', 'V', 'S', 'I', 'M', 'D', 'B', 0});
        put32(b, 1);
        put32(b, std::uint32_t(text.size()));
        std::uint32_t h = 2166136261u;
        for (unsigned char c : text) h = (h ^ c) * 16777619u;
        put32(b, h);
        b.insert(b.end(), text.begin(), text.end());
        put32(b, std::uint32_t(at));
        put32(b, 0);
        b.insert(b.end(), {'K', 'V', 'S', 'I', 'M', 'E', 'N', 'D'});
        return b;
    };
    FileInfo info;
    std::string error;
    EXPECT_FALSE(readDrawingBytes(withPayload(std::string(200000, '[') + std::string(200000, ']')), &info, &error));
    EXPECT_FALSE(readDrawingBytes(withPayload("{\"format\":1,\"saveFormat\":1e300}"), &info, &error));
    EXPECT_FALSE(readDrawingBytes(withPayload("{\"format\":1,\"saveFormat\":99999999999999999999}"), &info, &error));
    EXPECT_FALSE(readDrawingBytes(withPayload("not json"), &info, &error));
    EXPECT_NE(error.find("damaged"), std::string::npos);

    // The payload the writer makes, with one enum out of range.
    std::string good = "{\"format\":1,\"saveFormat\":64,\"originalVersion\":33,\"lastSavedAsVersion\":33,"
                       "\"summary\":{\"title\":\"\",\"subject\":\"\",\"author\":\"\",\"keywords\":\"\",\"comments\":\"\","
                       "\"lastSavedBy\":\"\",\"revisionNumber\":\"\",\"hyperlinkBase\":\"\",\"custom\":[]},"
                       "\"layouts\":[\"Model\"],\"currentLayout\":\"Model\",\"views\":[],\"layerStates\":[],"
                       "\"lines\":[],\"numberOfSaves\":0,\"extents\":null}";
    ASSERT_TRUE(readDrawingBytes(withPayload(good), &info, &error)) << error;
    EXPECT_FALSE(info.foreign);
    good.replace(good.find("\"originalVersion\":33"), 20, "\"originalVersion\":77");
    EXPECT_FALSE(readDrawingBytes(withPayload(good), &info, &error));
}
