#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/files.h"
#include "core/paths.h"
#include "core/text.h"

namespace fs = std::filesystem;

TEST(Text, EqualsNoCaseFoldsLettersOfManyScripts) {
    EXPECT_TRUE(EqualsNoCase("Korvane.XML", "korvane.xml"));
    EXPECT_TRUE(EqualsNoCase("\xC3\x84" "rger", "\xC3\xA4" "RGER"));          // Ärger
    EXPECT_TRUE(EqualsNoCase("\xCE\xA3\xCE\xA3", "\xCF\x83\xCF\x82"));  // ΣΣ = σς
    EXPECT_TRUE(EqualsNoCase("\xD0\x81\xD0\x96", "\xD1\x91\xD0\xB6"));  // ЁЖ = ёж
    EXPECT_TRUE(EqualsNoCase("\xC5\x81\xC3\xB3" "d\xC5\xBA", "\xC5\x82\xC3\x93" "D\xC5\xB9"));   // Łódź
    EXPECT_TRUE(EqualsNoCase("\xEF\xBC\xA1", "\xEF\xBD\x81"));          // full-width A = a
    EXPECT_FALSE(EqualsNoCase("stra\xC3\x9F" "e", "STRASSE"));          // no full folding
    EXPECT_FALSE(EqualsNoCase("abc", "abcd"));
    EXPECT_FALSE(EqualsNoCase("\xC3", "\xC3\xA4"));
    EXPECT_TRUE(EqualsNoCase("a\xFF" "B", "A\xFF" "b"));                // bad bytes match themselves
    EXPECT_EQ(FoldCase("\xC3\x84-\xFF-\xED\x95\x9C"), "\xC3\xA4-\xFF-\xED\x95\x9C");
}

TEST(Paths, SplitAndJoin) {
    auto p = SplitPath("/data/Stavlo/Korvane/Korvane.banner.xml");
    EXPECT_EQ(p.folder, "/data/Stavlo/Korvane/");
    EXPECT_EQ(p.name, "Korvane.banner");
    EXPECT_EQ(p.extension, ".xml");
    p = SplitPath("plain");
    EXPECT_EQ(p.folder, "");
    EXPECT_EQ(p.name, "plain");
    EXPECT_EQ(p.extension, "");
    EXPECT_EQ(JoinPath("/a/", "b"), "/a/b");
    EXPECT_EQ(JoinPath("/a", "b"), "/a/b");
    EXPECT_EQ(JoinPath("", "b"), "b");
}

class Files : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("kvfiles_" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string folder() const { return dir_.string() + "/"; }
    fs::path dir_;
};

TEST_F(Files, FindFileNoCasePrefersTheExactName) {
    std::ofstream(dir_ / "Korvane.XML") << "1";
    EXPECT_EQ(FindFileNoCase(folder(), "korvane.xml"), folder() + "Korvane.XML");
    std::ofstream(dir_ / "korvane.xml") << "2";
    EXPECT_EQ(FindFileNoCase(folder(), "korvane.xml"), folder() + "korvane.xml");
    EXPECT_EQ(FindFileNoCase(folder(), "KORVANE.xml"), folder() + "Korvane.XML");
    EXPECT_EQ(FindFileNoCase(folder(), "none.xml"), std::nullopt);
    EXPECT_EQ(FindFileNoCase(folder() + "missing/", "a"), std::nullopt);
    EXPECT_EQ(FindFileNoCase(folder(), "../x"), std::nullopt);
}

TEST_F(Files, DrawingsBelowAFolderInAnyLetterCase) {
    fs::create_directories(dir_ / "b" / "deep");
    fs::create_directories(dir_ / "folder.dwg");   // a folder, not a drawing
    for (const char* name : {"a.dwg", "b/deep/C.DWG", "b/plan.Dwg", "b/plan.dxf", "b/.dwg", "b/dwg", "b/x.dwg.bak"})
        std::ofstream(dir_ / name) << "x";
    EXPECT_EQ(FindDrawingsBelow(folder()),
              (std::vector<std::string>{folder() + "a.dwg", folder() + "b/deep/C.DWG", folder() + "b/plan.Dwg"}));
    EXPECT_TRUE(FindDrawingsBelow(folder() + "missing/").empty());
}

TEST_F(Files, AtomicWritesReplaceWholeFilesOnly) {
    const std::string file = folder() + "Settings.xml";
    ASSERT_TRUE(WriteFileAtomic(file, "one"));
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(WriteFileAtomic(file, "two"));
    EXPECT_EQ(ReadFileBytes(file), "two");
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // A link is followed; the link stays a link.
    fs::create_symlink(file, dir_ / "link.xml");
    ASSERT_TRUE(WriteFileAtomic(folder() + "link.xml", "three"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.xml"));
    EXPECT_EQ(ReadFileBytes(file), "three");

    EXPECT_FALSE(WriteFileAtomic(folder() + "no/such/folder.xml", "x"));
    EXPECT_EQ(ReadFileBytes(folder() + "absent"), std::nullopt);
    int entries = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir_)) ++entries;
    EXPECT_EQ(entries, 2);   // no temporary files left
}
