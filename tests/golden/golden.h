// Golden images: compares a canvas with tests/golden/<name>.png within a small tolerance.
// On a mismatch the actual picture is written beside the golden as <name>.actual.png. With
// KV_UPDATE_GOLDEN=1 in the environment the golden is (re)written instead and the check passes.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include "sim/gfx/canvas.h"

namespace kvtest {

inline std::string goldenPath(const std::string& name) {
    return std::string(KV_TEST_SOURCE_DIR) + "/tests/golden/" + name + ".png";
}

// Passes when the sizes match and at most `allowedFraction` of the pixels differ by more than
// `tolerance` in any channel (antialiased text may move by a shade between library versions).
inline ::testing::AssertionResult matchesGolden(HDC dc, const std::string& name, int tolerance = 24,
                                                double allowedFraction = 0.003) {
    const std::string path = goldenPath(name);
    const std::string actualPath = path.substr(0, path.size() - 4) + ".actual.png";
    const char* update = std::getenv("KV_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        if (!sim::gfx::writePng(dc, path)) return ::testing::AssertionFailure() << "cannot write " << path;
        std::remove(actualPath.c_str());
        return ::testing::AssertionSuccess();
    }
    HDC golden = sim::gfx::readPng(path);
    if (!golden) {
        sim::gfx::writePng(dc, actualPath);
        return ::testing::AssertionFailure() << "no golden " << path << " (actual written to " << actualPath
                                             << "; set KV_UPDATE_GOLDEN=1 to create it)";
    }
    int gw = 0, gh = 0, aw = 0, ah = 0;
    const auto want = sim::gfx::canvasPixels(golden, &gw, &gh);
    const auto got = sim::gfx::canvasPixels(dc, &aw, &ah);
    DeleteDC(golden);
    std::size_t bad = 0;
    int worst = 0;
    if (gw == aw && gh == ah) {
        for (std::size_t i = 0; i < got.size(); ++i) {
            int diff = 0;
            for (int shift = 0; shift < 24; shift += 8)
                diff = std::max(diff, std::abs(int((got[i] >> shift) & 0xFF) - int((want[i] >> shift) & 0xFF)));
            worst = std::max(worst, diff);
            if (diff > tolerance) ++bad;
        }
        if (bad <= std::size_t(allowedFraction * double(got.size()))) {
            std::remove(actualPath.c_str());
            return ::testing::AssertionSuccess();
        }
    }
    sim::gfx::writePng(dc, actualPath);
    return ::testing::AssertionFailure() << name << ": " << aw << "x" << ah << " against " << gw << "x" << gh << ", "
                                         << bad << " pixels off (worst " << worst << "); actual written to "
                                         << actualPath;
}

}  // namespace kvtest
