// The ways a session ends the host from the tab bar and the system menu: korvane-host must end
// with status 0, having saved or discarded the drawings as the user chose.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include "sim/host/drawing_store.h"
#include "sim/machine.h"

namespace fs = std::filesystem;

namespace {

struct HostRun {
    int status = -1;   // the exit status; -1 when the program did not exit normally
    std::string transcript;
};

class HostSession : public ::testing::Test {
protected:
    void SetUp() override { root = sim::makeTemporaryRoot(); }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    // Runs korvane-host on the script's lines under this test's root.
    HostRun host(const std::string& script) {
        const std::string scriptPath = root + "session.kvs", out = root + "transcript.txt";
        std::ofstream(scriptPath) << script;
        const std::string command = "timeout 120 '" + std::string(KV_HOST_PROGRAM) + "' --root '" + root +
                                    "' --script '" + scriptPath + "' >'" + out + "' 2>&1";
        HostRun r;
        const int raw = std::system(command.c_str());
        if (raw != -1 && WIFEXITED(raw)) r.status = WEXITSTATUS(raw);
        std::ifstream in(out);
        std::stringstream text;
        text << in.rdbuf();
        r.transcript = text.str();
        return r;
    }

    // Model-space lines stored in a drawing file under the root.
    size_t linesIn(const std::string& name) {
        sim::host::DrawingContent content;
        bool foreign = false;
        std::string error;
        EXPECT_TRUE(sim::host::drawingFiles().read(root + name, &content, &foreign, &error)) << name << ": " << error;
        return content.lines.size();
    }

    std::string root;
};

// Two drawings, each with a line drawn and not saved.
const char* const kTwoChangedDrawings =
    "@make-drawing Drawings/a.dwg\n"
    "@make-drawing Drawings/b.dwg\n"
    "@open Drawings/a.dwg\n"
    "LINE 0,0 10,10 \n"
    "@open Drawings/b.dwg\n"
    "LINE 0,0 5,5 \n";

TEST_F(HostSession, ExitFromTheTabMenuSavesOrDiscardsAndEndsTheHost) {
    {
        const HostRun r = host(std::string(kTwoChangedDrawings) + "@menu \"Save and Close All - Exit\"\n@rclick 0\n"
                                                              "@print still running\n");
        EXPECT_EQ(r.status, 0) << r.transcript;
        EXPECT_EQ(linesIn("Drawings/a.dwg"), 1u);
        EXPECT_EQ(linesIn("Drawings/b.dwg"), 1u);
        // The host ended with QUIT: the lines after it have no host to run in.
        EXPECT_EQ(r.transcript.find("still running"), std::string::npos) << r.transcript;
    }
    TearDown();
    SetUp();
    {
        const HostRun r = host(std::string(kTwoChangedDrawings) + "@menu \"Don't Save and Close All - Exit\"\n@rclick 1\n");
        EXPECT_EQ(r.status, 0) << r.transcript;
        EXPECT_EQ(linesIn("Drawings/a.dwg"), 0u);
        EXPECT_EQ(linesIn("Drawings/b.dwg"), 0u);
        EXPECT_EQ(r.transcript.find("_QSAVE"), std::string::npos) << r.transcript;
    }
}

// In single-document mode with the plug-in's own single-document handling on, the system menu's
// close-all entries end the host as well.
TEST_F(HostSession, SystemMenuCloseAllInSingleDocumentModeEndsTheHost) {
    const std::string sdi =
        "@make-drawing Drawings/a.dwg\n"
        "@setting \"Enable SDIMode\" 1\n"
        "@unload\n"
        "@load\n"
        "@set SDI 1\n"
        "@open Drawings/a.dwg\n"
        "LINE 0,0 10,10 \n";
    {
        const HostRun r = host(sdi + "@syscommand 10003\n");   // Save and Close All
        EXPECT_EQ(r.status, 0) << r.transcript;
        EXPECT_EQ(linesIn("Drawings/a.dwg"), 1u);
    }
    TearDown();
    SetUp();
    {
        const HostRun r = host(sdi + "@syscommand 10025\n");   // Don't Save and Close All
        EXPECT_EQ(r.status, 0) << r.transcript;
        EXPECT_EQ(linesIn("Drawings/a.dwg"), 0u);
    }
}

}  // namespace
