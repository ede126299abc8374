// Drawing files of the simulated host: the database subset the simulator keeps, and the files
// it is kept in.
//
// A drawing file carries a real drawing-file header (the version text at offset 0, the address of
// the image directory at offset 13) and an image directory laid out as the host lays it out
// (a header-data entry and a preview: an 8-bit device-independent bitmap up to the 2010 format,
// PNG from 2013 on), so that header readers written for the host's files read ours too. R12 files
// carry no image directory; their preview is a ".BMP" file beside the drawing. After the images
// comes the simulator's own database payload (JSON), found through a trailer at the end of the
// file. A file without that payload was written by another program: it is reported as foreign,
// with its version and preview only, and the simulator never writes over it.
//
// DXF files are read for their version ($ACADVER) and stored thumbnail (THUMBNAILIMAGE); DXF
// files the simulator writes also carry the payload, in comment groups.
//
// Every read is bounded by the file's size and by fixed limits on image sizes and payload length;
// a damaged or hostile file gives an error text, never a crash or an unbounded allocation.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "arx/docman.h"

namespace sim::dwg {

// ---- Formats ------------------------------------------------------------------------------------

// Drawing-format generations, in order. The numeric value is the thumbnail library's format code
// (1 Release 10 ... 10 the 2018 format; 0 for anything else).
enum class Release : int {
    Unknown = 0, R10 = 1, R12 = 2, R13 = 3, R14 = 4, R2000 = 5, R2004 = 6, R2007 = 7, R2010 = 8,
    R2013 = 9, R2018 = 10,
};
enum class Kind { Dwg, Dxf, Template, Standard };

// "AC1009" etc.; empty for Unknown. R10 is "AC1006".
std::string_view versionText(Release release);
// Accepts the host's version texts (AC1006, AC1009/AC1010/AC1011, AC1012, AC1013/AC1014, AC1015,
// AC1018, AC1021, AC1024, AC1027, AC1032); Unknown for anything else.
Release releaseFromVersionText(std::string_view text);
int formatCode(Release release);   // 0..10

AcDb::AcDbDwgVersion dwgVersion(Release release);   // kDHL_Unknown for R10 and Unknown
Release releaseOf(AcDb::AcDbDwgVersion version);
Release releaseOf(AcApDocument::SaveFormat format);  // Unknown for kUnknown and the XML format
Kind kindOf(AcApDocument::SaveFormat format);
// The save format for a release and kind; kUnknown where the host has none (R12 dwg, R13 dwt...).
AcApDocument::SaveFormat saveFormatFor(Release release, Kind kind);

// ---- The database subset ------------------------------------------------------------------------

struct Point3 {
    double x = 0, y = 0, z = 0;
    bool operator==(const Point3&) const = default;
};
struct Line {
    Point3 start, end;
    bool operator==(const Line&) const = default;
};
struct NamedView {
    std::string name;
    bool paperSpace = false;
    bool operator==(const NamedView&) const = default;
};
struct LayerState {
    std::string name;
    int mask = 0;
    bool operator==(const LayerState&) const = default;
};
// Model-space extents; empty (min above max) for a drawing without objects.
struct Extents {
    Point3 min{1e20, 1e20, 1e20}, max{-1e20, -1e20, -1e20};
    bool empty() const { return min.x > max.x || min.y > max.y; }
    bool operator==(const Extents&) const = default;
};

// A reference to another drawing file, attached to model space.
struct Xref {
    std::string blockName, path;
    Point3 insertion;
    Point3 scale{1, 1, 1};
    double rotation = 0;   // radians
    bool operator==(const Xref&) const = default;
};
// The view of model space the drawing was left in: centre, width and height.
struct View {
    Point3 center;
    double width = 0, height = 0;
    bool operator==(const View&) const = default;
};

struct Drawing {
    std::string fileName;   // where it was read from or last written; not part of the payload
    AcApDocument::SaveFormat saveFormat = AcApDocument::kNative;
    AcDb::AcDbDwgVersion originalVersion = AcDb::kDHL_1032;
    AcDb::AcDbDwgVersion lastSavedAsVersion = AcDb::kDHL_1032;
    AcDbSummaryInfo summary;
    std::vector<std::string> layouts{"Model", "Layout1", "Layout2"};
    std::string currentLayout = "Model";
    std::vector<NamedView> views;
    std::vector<LayerState> layerStates;
    std::vector<Line> lines;
    std::vector<Xref> xrefs;
    std::optional<View> view;
    int numberOfSaves = 0;
    Extents extents;

    // Compares the stored content (everything but fileName).
    bool sameContent(const Drawing& other) const;
};

Extents extentsOf(const std::vector<Line>& lines);

// ---- Pictures -----------------------------------------------------------------------------------

enum class PreviewType { None, Dib, Png };
// A preview as stored: a device-independent bitmap without file header (information header,
// colour table, bits) or a PNG stream.
struct Preview {
    PreviewType type = PreviewType::None;
    std::vector<std::uint8_t> data;
    bool sidecar = false;   // came from the ".BMP" file beside an R12 drawing
};

// Pixels 0xAARRGGBB, rows top-down.
struct Image {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
};

constexpr int kMaxImageSide = 4096;   // larger stored pictures are refused

// Renders a drawing's lines, fitted to their extents, light on the dark model-space background.
Image renderPreview(const Drawing& drawing, int width, int height);
// 8-bit device-independent bitmap (no file header), colours quantized to a fixed 256-entry palette.
std::vector<std::uint8_t> encodeDib8(const Image& image);
std::vector<std::uint8_t> encodePng(const Image& image);
// Decoding refuses anything malformed or larger than kMaxImageSide on a side. For a DIB,
// bitsOffset (from a BMP file header) locates the pixel bits relative to the DIB's start; without
// it the bits follow the colour table.
std::optional<Image> decodeDib(std::span<const std::uint8_t> dib, std::string* error = nullptr,
                               std::optional<std::size_t> bitsOffset = std::nullopt);
std::optional<Image> decodePng(std::span<const std::uint8_t> png, std::string* error = nullptr);
std::optional<Image> decodePreview(const Preview& preview, std::string* error = nullptr);
// A ".BMP" file's bytes (file header + DIB) as a preview; nullopt when they are not one.
std::optional<Preview> previewFromBmpFile(std::span<const std::uint8_t> bytes);
// Scales to fit within size by size pixels keeping the aspect ratio (size > 0).
Image scaleToFit(const Image& image, int size);

// ---- Files --------------------------------------------------------------------------------------

struct FileInfo {
    Release release = Release::Unknown;
    std::string versionText;   // as found in the file
    bool dxf = false;
    bool foreign = true;       // not written by the simulator: open read-only, never overwrite
    Preview preview;
    std::optional<Drawing> drawing;   // set exactly when !foreign
};

// Reads a drawing (.dwg/.dwt/.dws/.sv$ or any name: the content decides) or a DXF file. False
// with an error text for files that cannot be read or are not drawings. For R12 drawings the
// preview comes from the side-car ".BMP" file (path minus its last four characters plus ".BMP").
bool readDrawingFile(const std::string& path, FileInfo* info, std::string* error);
// The same on bytes in memory (no side-car lookup).
bool readDrawingBytes(std::span<const std::uint8_t> bytes, FileInfo* info, std::string* error);
bool readDxfBytes(std::span<const std::uint8_t> bytes, FileInfo* info, std::string* error);

// Only the version, from the file's first bytes (or a DXF's $ACADVER); Unknown when unreadable.
Release readRelease(const std::string& path);
// Only the preview (image directory, side-car ".BMP", or DXF thumbnail); type None when none.
Preview readPreview(const std::string& path);
// True when the file exists and carries the simulator's payload.
bool isSimulatorFile(const std::string& path);

// The side-car picture path of an R12 drawing.
std::string sidecarPath(const std::string& drawingPath);

// Writes the drawing in the given release and kind, atomically (temporary file in the same folder,
// then rename), with a preview rendered from its lines; R12 drawings get the side-car ".BMP"
// instead of an image directory. The model is written as given: the caller updates save counters
// and versions. Refuses to replace an existing file the simulator did not write.
bool writeDrawingFile(const std::string& path, const Drawing& drawing, Release release, Kind kind,
                      std::string* error);
// The bytes writeDrawingFile would write for a DWG-family file (tests, fuzz seeds).
std::vector<std::uint8_t> drawingBytes(const Drawing& drawing, Release release);
std::string dxfText(const Drawing& drawing, Release release);

}  // namespace sim::dwg
