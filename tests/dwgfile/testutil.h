// Shared helpers of the drawing-file tests.
#pragma once
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sim/host/dwgfile.h"

namespace dwgtest {

struct TempDir {
    std::string path;
    TempDir() {
        std::string t = (std::filesystem::temp_directory_path() / "kvdwg-XXXXXX").string();
        path = mkdtemp(t.data());
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string file(const std::string& name) const { return path + "/" + name; }
};

inline std::vector<std::uint8_t> readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}
inline void writeAll(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}
inline std::uint32_t u32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 | std::uint32_t(b[at + 3]) << 24;
}
inline void put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
}

// A drawing with something in every part of the model.
inline sim::dwg::Drawing sampleDrawing() {
    sim::dwg::Drawing d;
    d.saveFormat = AcApDocument::k2010_dwg;
    d.originalVersion = AcDb::kDHL_1015;
    d.lastSavedAsVersion = AcDb::kDHL_1024;
    d.summary.title = "Ground floor";
    d.summary.author = "Ana Lindqvist";
    d.summary.comments = "line one\nline two, \"quoted\" and 한국어";
    d.summary.custom = {{"Client", "Harbour Works"}, {"Sheet", ""}};
    d.layouts = {"Model", "A1 plan", "Details"};
    d.currentLayout = "A1 plan";
    d.views = {{"Entrance", false}, {"Title block", true}};
    d.layerStates = {{"Print", 0x7F}, {"Survey", 3}};
    d.lines = {{{0, 0, 0}, {100, 0, 0}}, {{100, 0, 0}, {100, 50, 0}}, {{0.1, 0.2, 0.3}, {-1e-9, 1e9, 7}}};
    d.numberOfSaves = 12;
    d.extents = sim::dwg::extentsOf(d.lines);
    return d;
}

// A foreign drawing: a header and an image directory holding header data and the given
// picture under the given code, as another program writes them; no payload.
inline std::vector<std::uint8_t> foreignDrawing(const char* version, std::uint8_t code, const std::vector<std::uint8_t>& picture) {
    static const std::uint8_t sentinel[16] = {0x1F, 0x25, 0x6D, 0x07, 0xD4, 0x36, 0x28, 0x28,
                                              0x9D, 0x57, 0xCA, 0x3F, 0x9D, 0x44, 0x10, 0x2B};
    std::vector<std::uint8_t> b(version, version + 6);
    b.resize(0x180, 0x11);   // stand-in for the header and sections of a real file
    b[13] = b[14] = b[15] = b[16] = 0;
    const std::uint32_t dir = std::uint32_t(b.size());
    b[13] = std::uint8_t(dir), b[14] = std::uint8_t(dir >> 8);
    b.insert(b.end(), sentinel, sentinel + 16);
    put32(b, 1 + 18 + 80 + std::uint32_t(picture.size()));
    b.push_back(2);
    const std::uint32_t data = dir + 16 + 4 + 1 + 18;
    b.push_back(1), put32(b, data), put32(b, 80);
    b.push_back(code), put32(b, data + 80), put32(b, std::uint32_t(picture.size()));
    b.resize(b.size() + 80, 0);
    b.insert(b.end(), picture.begin(), picture.end());
    b.resize(b.size() + 4000, 0x22);   // objects of the real file
    return b;
}

inline sim::dwg::Image solid(int w, int h, std::uint32_t argb) {
    sim::dwg::Image img;
    img.width = w, img.height = h;
    img.pixels.assign(std::size_t(w) * std::size_t(h), argb);
    return img;
}

}  // namespace dwgtest
