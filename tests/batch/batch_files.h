// What the batch tests write and read on the simulated machine: drawings with given layouts,
// script and other files in the machine's drawings folder, and lines counted in the transcript.
#pragma once
#include <fstream>
#include <string>
#include <vector>
#include "sim/host/dwgfile.h"

namespace kvtest {

// Over any machine fixture (`machine`, `transcript`).
template <class Fixture>
class BatchFiles : public Fixture {
protected:
    std::string drawing(const std::string& name, std::vector<std::string> layouts = {"Model", "Sheet2"}) {
        sim::dwg::Drawing d;
        d.layouts = std::move(layouts);
        const std::string path = this->machine.drawings + name;
        std::string err;
        EXPECT_TRUE(sim::dwg::writeDrawingFile(path, d, sim::dwg::Release::R2013, sim::dwg::Kind::Dwg, &err)) << err;
        return path;
    }
    std::string file(const std::string& name, const std::string& text) {
        const std::string path = this->machine.drawings + name;
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    // A script that sets a layout the drawing may not have: where it is missing, the script stops
    // and the console waits for input nobody gives.
    std::string layoutScript() { return file("layout.scr", "-LAYOUT\nS\nSheet2\nQSAVE\nQUIT\n"); }
    int count(const std::string& text) const {
        int n = 0;
        for (size_t at = 0; (at = this->transcript.find(text, at)) != std::string::npos; at += text.size()) ++n;
        return n;
    }
};

}  // namespace kvtest
