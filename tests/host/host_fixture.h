// A fresh simulated host per test, with the transcript and every event recorded.
#pragma once
#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include "arx/aced.h"
#include "arx/docman.h"
#include "sim/desk/desktop.h"
#include "sim/host/host.h"
#include "sim/host/verbs.h"
#include "sim/script/runner.h"

class HostTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim::host::reset();
        sim::Desktop::get().reset();
        sim::Desktop::get().setTranscriptSink([this](const std::string& t) { transcript += t; });
        sim::host::setEventListener([this](const std::string& n, const std::string& a) {
            events.push_back(a.empty() ? n : n + " " + a);
        });
        dir = std::filesystem::temp_directory_path() /
              ("kvhost-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        sim::host::registerHostVerbs(runner);
    }
    void TearDown() override {
        sim::host::reset();
        sim::Desktop::get().setTranscriptSink(nullptr);
        std::filesystem::remove_all(dir);
    }

    std::string path(const std::string& name) const { return (dir / name).string(); }
    // A drawing written by the simulator.
    std::string make(const std::string& name, const std::string& options = "") {
        std::string p = path(name);
        EXPECT_TRUE(runner.runLine("@make-drawing \"" + p + "\" " + options)) << transcript;
        return p;
    }
    void run(const std::string& line) { runner.runLine(line); }
    std::vector<std::string> takeEvents() {
        auto e = std::move(events);
        events.clear();
        return e;
    }
    AcApDocument* doc() const { return acDocManager->curDocument(); }
    int dbmod() const {
        resbuf rb;
        return acedGetVar("DBMOD", &rb) == RTNORM ? rb.resval.rint : -1;
    }
    static std::string readFile(const std::string& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    std::string transcript;
    std::vector<std::string> events;
    std::filesystem::path dir;
    sim::script::Runner runner;
};

using Events = std::vector<std::string>;
