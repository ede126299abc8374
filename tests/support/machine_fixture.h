// A fresh simulated machine per test: a temporary root with the plug-in installed, an empty
// registry, the virtual clock at its start, and the transcript captured.
#pragma once
#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <string>
#include "sim/desk/desktop.h"
#include "sim/desk/windows.h"
#include "sim/host/dwgfile.h"
#include "sim/host/host.h"
#include "sim/machine.h"
#include "sim/registry/registry.h"

namespace kvtest {

inline std::string sourceDir() { return KV_TEST_SOURCE_DIR; }
inline std::string binaryDir() { return KV_TEST_BINARY_DIR; }

class MachineFixture : public ::testing::Test {
protected:
    void SetUp() override {
        sim::Desktop::get().reset();
        sim::desk::WindowManager::get().reset();
        sim::desk::resetMenus();
        sim::desk::setMonitorCount(1);
        sim::host::reset();
        root = sim::makeTemporaryRoot();
        sim::Desktop::get().setTranscriptSink([this](const std::string& t) { transcript += t; });
        sim::Desktop::get().setEnv("APPDATA", root + "AppData/Roaming");
        machine = sim::setupMachine(root, binaryDir() + "/module", sourceDir() + "/shipped");
    }
    void TearDown() override {
        sim::host::reset();
        sim::registry::close();
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
        sim::Desktop::get().setTranscriptSink(nullptr);
    }
    std::string dataFolder() const { return machine.appData + "Stavlo/Korvane/"; }
    // An empty drawing file under the machine's drawings folder ("sub/a.dwg" makes the folder).
    std::string drawing(const std::string& name, sim::dwg::Release release = sim::dwg::Release::R2013) {
        const std::string path = machine.drawings + name;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        sim::dwg::Drawing d;
        d.originalVersion = d.lastSavedAsVersion = sim::dwg::dwgVersion(release);
        std::string err;
        EXPECT_TRUE(sim::dwg::writeDrawingFile(path, d, release, sim::dwg::Kind::Dwg, &err)) << err;
        return path;
    }

    std::string root;
    sim::MachineLayout machine;
    std::string transcript;
};

}  // namespace kvtest
