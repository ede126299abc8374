// CCadFile: reads just enough of a drawing file on disk, without the host, to tell its format
// generation and to take out the preview picture stored in its header. Two families: the host's
// drawings (".dwg", ".dwt", ".sv$") and FelixCAD drawings (".flx", ".elt").
//
// Every read is bounded by the file's size: a damaged or hostile file gives no preview, never a
// crash or an unbounded allocation.
#pragma once
#include <cstdint>
#include <string>
#include "gfx/bitmap.h"

class KvBoundedReader;

class CCadFile {
public:
    static constexpr int kFamilyUnknown = 0;
    static constexpr int kFamilyHost = 1;
    static constexpr int kFamilyFelix = 2;

    CCadFile() = default;
    ~CCadFile();
    CCadFile(const CCadFile&) = delete;
    CCadFile& operator=(const CCadFile&) = delete;

    void SetPath(const std::string& path) { path_ = path; }
    const std::string& Path() const { return path_; }
    // The model-space background: the preview's white and this colour trade places.
    void SetBackground(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
        bg_[0] = red, bg_[1] = green, bg_[2] = blue;
    }

    // Detects family and version and loads the preview. 1 when a bitmap was attached (or the
    // side-car picture path was taken), 0 otherwise.
    int ReadPreview();
    // Detects family and version; 1 when the extension is one of the five known ones.
    int ReadInformation();
    // Hands the bitmap over; the caller owns it. Null when there is none.
    HBITMAP DetachBitmap();

    int Family() const { return family_; }
    std::uint32_t VersionCode() const { return version_; }
    HBITMAP Bitmap() const { return bitmap_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool FromSidecar() const { return sidecar_ != 0; }
    // FelixCAD summary texts (not read; emptied by ReadInformation).
    std::string summary[5];

    // The family an extension found anywhere in the path gives (letter case ignored).
    static int FamilyOfPath(const std::string& path);
    // The version code of the host's format for a header text ("AC1015" gives 5); 0 when unknown.
    static std::uint32_t HostVersionCode(const char header[7]);
    // The version code of a FelixCAD header (its first 88 bytes); 0 when unknown.
    static std::uint32_t FelixVersionCode(const std::uint8_t header[88]);
    // The side-car picture path of an R12 drawing: the last four characters become ".BMP".
    static std::string SidecarPath(const std::string& path);

    // Loads a preview from a device-independent bitmap block (information header, colour table,
    // bits) held in memory: 1 when attached, or when the block is empty.
    int LoadImageBlock(const std::uint8_t* block, std::size_t size);

private:
    // One open of the file serves the whole read.
    void detect(KvBoundedReader& in);
    int readHostPreview(KvBoundedReader& in);
    int readFelixPreview(KvBoundedReader& in);
    int loadImageAt(KvBoundedReader& in, std::uint64_t start, std::uint64_t size);
    // 1 from the picture beside the drawing, 2 the placeholder (when asked for), 0 none.
    int loadSidecar(bool placeholder);
    void attach(HBITMAP bitmap);

    std::string path_;
    int family_ = kFamilyUnknown;
    std::uint32_t version_ = 0;
    HBITMAP bitmap_ = nullptr;
    int width_ = 0, height_ = 0;
    std::uint8_t bg_[3] = {0, 0, 0};
    int sidecar_ = 0;
};
