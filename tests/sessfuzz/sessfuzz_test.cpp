// The fuzzer's own machinery: shortening a failing list and the script form of a session.
#include <gtest/gtest.h>
#include <filesystem>
#include <set>
#include "sessfuzz/session.h"
#include "sessfuzz/shorten.h"
#include "sessfuzz/writes.h"

namespace {

using sessfuzz::Step;

// A failure that needs all of `needed` (in any order) and replays as given.
auto needs(std::set<int> needed, int* replays) {
    return [needed, replays](const std::vector<int>& candidate) -> std::optional<std::vector<int>> {
        ++*replays;
        std::set<int> have(candidate.begin(), candidate.end());
        for (int n : needed)
            if (!have.count(n)) return std::nullopt;
        return candidate;
    };
}

std::vector<int> upTo(int n) {
    std::vector<int> v;
    for (int i = 0; i < n; ++i) v.push_back(i);
    return v;
}

TEST(SessFuzzShorten, KeepsExactlyWhatTheFailureNeeds) {
    int replays = 0;
    EXPECT_EQ(sessfuzz::deltaDebug(upTo(60), needs({7}, &replays)), std::vector<int>{7});
    EXPECT_LT(replays, 40);
    EXPECT_EQ(sessfuzz::deltaDebug(upTo(60), needs({3, 41, 59}, &replays)), (std::vector<int>{3, 41, 59}));
    EXPECT_EQ(sessfuzz::deltaDebug(upTo(1), needs({0}, &replays)), std::vector<int>{0});
    // Nothing can go when every item is needed; the order stays.
    EXPECT_EQ(sessfuzz::deltaDebug(upTo(5), needs({0, 1, 2, 3, 4}, &replays)), upTo(5));
}

TEST(SessFuzzShorten, TakesWhatTheReplayRanInsteadOfTheCandidate) {
    // A replay that stops at the failing item (here: 9) hands back the list up to it.
    auto stopsAtNine = [](const std::vector<int>& c) -> std::optional<std::vector<int>> {
        auto at = std::find(c.begin(), c.end(), 9);
        if (at == c.end()) return std::nullopt;
        return std::vector<int>(c.begin(), at + 1);
    };
    EXPECT_EQ(sessfuzz::deltaDebug(upTo(30), stopsAtNine), std::vector<int>{9});
}

TEST(SessFuzzScript, StepsSurviveTheirScriptForm) {
    const std::vector<Step> steps = {{{"@make-drawing \"Drawings/평면도 1.dwg\" format=2004", "@open Drawings/a.dwg"}},
                                     {{"LINE 0,0 5,5 "}},   // the final blank ends the command
                                     {{"@menu \"Save All\"", "@rclick 0", "@dialog press 7"}}};
    const std::string script = sessfuzz::scriptOfSteps(steps, "# header\n");
    EXPECT_EQ(script.rfind("# header\n# step 1\n", 0), 0u);
    const auto back = sessfuzz::stepsOfScript(script);
    ASSERT_EQ(back.size(), steps.size());
    for (size_t i = 0; i < steps.size(); ++i) EXPECT_EQ(back[i].lines, steps[i].lines) << i;

    // A script written by hand, without step marks: one step per line; comments and blanks go.
    const auto plain = sessfuzz::stepsOfScript("# a comment\n@new\n\nLINE 0,0 1,1 \r\n@tabs\n");
    ASSERT_EQ(plain.size(), 3u);
    EXPECT_EQ(plain[1].lines, std::vector<std::string>{"LINE 0,0 1,1 "});
}

std::string abs(const std::string& p) { return std::filesystem::absolute(p).lexically_normal().string(); }

TEST(SessFuzzWrites, AStepMayWriteWhatItNames) {
    const auto p = sessfuzz::WritePolicy::of(
        {"@make-drawing \"Drawings/평면도 1.dwg\" format=2004", "@folder Drawings/out", "@files Drawings/new"}, "");
    EXPECT_FALSE(p.saves);
    EXPECT_TRUE(p.allows(abs("Drawings/평면도 1.dwg")));
    EXPECT_TRUE(p.allows(abs("Drawings/out/a.dwg")));          // inside a folder it named
    EXPECT_TRUE(p.allows(abs("Drawings/new.dwg")));            // the save dialog's default extension
    EXPECT_TRUE(p.allows(abs("Drawings/.평면도 1.dwg.kvtmp-Ab12Cd")));   // written through a temporary file
    EXPECT_FALSE(p.allows(abs("Drawings/outside.dwg")));
    EXPECT_FALSE(p.allows(abs("Drawings/out.dwg")));
}

TEST(SessFuzzWrites, OnlyASavingStepMayWriteTheOpenDrawings) {
    auto with = [](sessfuzz::WritePolicy p) {
        p.saveable = {abs("Drawings/a.dwg"), "Drawing1.dwg"};
        return p;
    };
    const std::string a = abs("Drawings/a.dwg");
    EXPECT_FALSE(with(sessfuzz::WritePolicy::of({"LINE 0,0 5,5 ", "@click 0 ctrl"}, "")).allows(a));
    EXPECT_FALSE(with(sessfuzz::WritePolicy::of({"@menu \"Don't Save and Close All\"", "@rclick 0"}, "")).allows(a));
    for (const char* line : {"_QSAVE", ".save", "CLOSEALL", "@menu \"Save All\""}) {
        const auto p = with(sessfuzz::WritePolicy::of({line}, ""));
        EXPECT_TRUE(p.allows(a)) << line;
        EXPECT_TRUE(p.allows(abs("Drawings/a.bak"))) << line;
        EXPECT_TRUE(p.allows(abs("Drawing1.dwg"))) << line;   // an untitled drawing, by its bare name
        EXPECT_FALSE(p.allows(abs("Drawings/b.dwg"))) << line;
    }
    // What the transcript shows counts too: a Yes to the question, a pick queued by an earlier step.
    EXPECT_TRUE(with(sessfuzz::WritePolicy::of({"@close 1"}, "[MessageBox] SimHost: Save changes? -> Yes\n")).allows(a));
    EXPECT_TRUE(with(sessfuzz::WritePolicy::of({"@rclick 0"}, "[menu] Save All (10019)\n")).allows(a));
}

TEST(SessFuzzWrites, DecliningIsANoOrADontSaveOperation) {
    EXPECT_TRUE(sessfuzz::userDeclinedSaving("[MessageBox] SimHost: Save changes to a.dwg? -> No\n"));
    EXPECT_TRUE(sessfuzz::userDeclinedSaving("[dialog] Korvane -> No\n"));
    EXPECT_TRUE(sessfuzz::userDeclinedSaving("[menu] Don't Save and Close All - Exit (10028)\n"));
    EXPECT_FALSE(sessfuzz::userDeclinedSaving("[MessageBox] SimHost: Save changes to No.dwg? -> Yes\n"));
    EXPECT_FALSE(sessfuzz::userDeclinedSaving("[menu] Save and Close All (10003)\n"));
}

}  // namespace
