// The batch runner's rules: the script list file, the generated script, the console's command
// line, the scan patterns and the texts of the drawing list.
#include <gtest/gtest.h>
#include <filesystem>
#include <fstream>
#include "batch/batchrules.h"
#include "core/text.h"
#include "sim/desk/process.h"

namespace {

TEST(BatchRules, ScriptListRoundTripsAndSkipsLinesItCannotUse) {
    const std::vector<KvScriptEntry> list{{true, "/s/a.scr"}, {false, "/s/b, with comma.scr"}};
    const std::string text = KvFormatScriptList(list);
    EXPECT_EQ(text, "1,/s/a.scr\r\n0,/s/b, with comma.scr\r\n");
    EXPECT_EQ(KvParseScriptList(text), list);
    // LF line ends, a line without a comma, a line without a path, a tick other than 0 or 1.
    EXPECT_EQ(KvParseScriptList("1,/x.scr\nno comma here\n0,\n7,/y.scr"),
              (std::vector<KvScriptEntry>{{true, "/x.scr"}, {true, "/y.scr"}}));
    EXPECT_TRUE(KvParseScriptList("").empty());
}

TEST(BatchRules, GeneratedScriptEndsEveryLineSoScriptsDoNotRunTogether) {
    EXPECT_EQ(KvConcatenateScripts({"LINE 0,0 1,1\n\nQSAVE", "ZOOM E\r\nQUIT\r\n"}),
              "LINE 0,0 1,1\r\n\r\nQSAVE\r\nZOOM E\r\nQUIT\r\n");
    EXPECT_EQ(KvConcatenateScripts({"", "QUIT"}), "QUIT\r\n");

    const auto folder = std::filesystem::temp_directory_path() / "kv_batchrules";
    std::filesystem::create_directories(folder);
    std::ofstream((folder / "one.scr").string()) << "QSAVE";
    EXPECT_EQ(KvBuildBatchScript({(folder / "one.scr").string(), (folder / "one.scr").string()}),
              "QSAVE\r\nQSAVE\r\n");
    // One unreadable script refuses the whole generated script.
    EXPECT_FALSE(KvBuildBatchScript({(folder / "one.scr").string(), (folder / "missing.scr").string()}));
    std::filesystem::remove_all(folder);
}

TEST(BatchRules, ConsoleCommandLineQuotesEveryPath) {
    EXPECT_EQ(KvConsoleCommandLine("/Program Files/Host/accoreconsole.exe", "/d/a plan.dwg", "/s/mtemp.scr"),
              "\"/Program Files/Host/accoreconsole.exe\" /i \"/d/a plan.dwg\" /s \"/s/mtemp.scr\"");
}

// What the console receives is what the C runtime makes of the line: every hostile name must come
// back as exactly the one argument it was.
TEST(BatchRules, EveryNameReachesTheConsoleAsOneArgument) {
    const std::vector<std::string> names{
        R"(/d/x.dwg" -i "b.dwg)", R"(/d/trailing\\)", R"(/d/a b\" c.dwg)", R"(/d/back\slash.dwg)",
        "/d/-i.dwg", "-s", "", R"(/d/""quoted"".dwg)", R"(/d/\\"\\\".dwg)", "/d/Ωμέγα 한글 \t tab.dwg",
        R"(C:\Program Files\x\)"};
    for (const auto& name : names) {
        const std::string line = KvConsoleCommandLine("/Program Files/Host/accoreconsole.exe", name, R"(/s/m "x.scr)");
        const auto program = sim::desk::programToken(line);
        EXPECT_EQ(program.text, "/Program Files/Host/accoreconsole.exe");
        EXPECT_EQ(sim::desk::splitArguments(std::string_view(line).substr(program.rest)),
                  (std::vector<std::string>{"/i", name, "/s", R"(/s/m "x.scr)"}))
            << line;
    }
    EXPECT_EQ(QuoteArgument(R"(a\b)"), R"("a\b")");        // backslashes before other text stay single
    EXPECT_EQ(QuoteArgument(R"(end\)"), R"("end\\")");     // before the closing quote they double
    EXPECT_EQ(QuoteArgument(R"(say "hi")"), R"("say \"hi\"")");
}

TEST(BatchRules, FileTypeTextSplitsTrimsAndDropsEmptyParts) {
    EXPECT_EQ(KvSplitFilePatterns(" *.dwg ;  *.dxf ; "), (std::vector<std::string>{"*.dwg", "*.dxf"}));
    EXPECT_EQ(KvSplitFilePatterns("*.dwg"), (std::vector<std::string>{"*.dwg"}));
    EXPECT_TRUE(KvSplitFilePatterns(" ; ;").empty());
}

TEST(BatchRules, FilePatternsMatchAsTheFileSystemDoes) {
    EXPECT_TRUE(KvMatchFilePattern("*.dwg", "Plan.DWG"));
    EXPECT_FALSE(KvMatchFilePattern("*.dwg", "plan.dxf"));
    EXPECT_FALSE(KvMatchFilePattern("*.dwg", "plan.dwg.bak"));
    EXPECT_TRUE(KvMatchFilePattern("a?c*.dwg", "abc-1.dwg"));
    EXPECT_FALSE(KvMatchFilePattern("a?c.dwg", "ac.dwg"));
    EXPECT_TRUE(KvMatchFilePattern("?lan.dwg", "Ølan.dwg"));   // one character, two bytes
    EXPECT_TRUE(KvMatchFilePattern("*", "anything"));
    EXPECT_TRUE(KvMatchFilePattern("*", "*.dwg"));   // a star in the name is no star of the pattern
    EXPECT_TRUE(KvMatchFilePattern("*a*b*", "xxaxxbxx"));
}

TEST(BatchRules, OutcomesAndTheirTexts) {
    EXPECT_EQ(KvOutcomeOfExit(0), KvRunOutcome::Success);
    EXPECT_EQ(KvOutcomeOfExit(1), KvRunOutcome::Fail);
    EXPECT_STREQ(KvRowStatusText(KvRowStatusOf(KvRunOutcome::Timeout)), "Timeout");
    EXPECT_STREQ(KvRowStatusText(KvRowStatus::IsOpen), "IsOpend");
    EXPECT_STREQ(KvRowStatusText(KvRowStatus::Waiting), "Waiting");
    EXPECT_EQ(kKvRunTimeoutMs, 1200000u);
}

TEST(BatchRules, LastWriteTextNamesMonthAndDay) {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 7;
    t.tm_hour = 12;
    t.tm_isdst = -1;
    EXPECT_EQ(KvLastWriteText(std::mktime(&t)), "2026-December-07 (Monday)");
}

}  // namespace
