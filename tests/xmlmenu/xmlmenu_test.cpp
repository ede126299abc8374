// The menu file reader and the menu built from it, on file text in memory.
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include "uikit/xmlmenu.h"
#include "sim/desk/windows.h"

namespace {

class XmlMenuText : public ::testing::Test {
protected:
    void TearDown() override { sim::desk::resetMenus(); }
    // Loads `text` into a fresh popup and returns the popup as the desktop shows it.
    std::string build(const std::string& text) {
        HMENU popup = CreatePopupMenu();
        menu.LoadText(popup, text);
        return sim::desk::dumpMenu(popup);
    }
    CXmlMenu menu;
};

TEST_F(XmlMenuText, LeavesSeparatorsAndSubmenusTakeIdsInDocumentOrder) {
    const std::string dump = build(
        "<menu><item name=\"Save all\">_QSAVE</item><item name=\"[--]\"/>"
        "<more name=\"Views\"><item name=\"Top\">-VIEW _TOP</item>"
        "<deeper name=\"Deep\"><item name=\"One\">ONE</item></deeper><item name=\"Last\">LAST</item></more>"
        "<after name=\"After\">AFTER</after></menu>");
    EXPECT_EQ(dump,
              "Save all  [500]\n---\nViews\n  Top  [502]\n  Deep\n    One  [503]\n  Last  [504]\nAfter  [505]\n");
    // The separator keeps its slot, so every id indexes its own entry.
    EXPECT_EQ(menu.Labels(), (std::vector<std::string>{"Save all", "[--]", "Top", "One", "Last", "After"}));
    EXPECT_EQ(menu.Commands(), (std::vector<std::string>{"_QSAVE", "", "-VIEW _TOP", "ONE", "LAST", "AFTER"}));
    EXPECT_EQ(menu.NextId(), 506u);
}

TEST_F(XmlMenuText, DeclarationAndCommentsChangeNothing) {
    const std::string plain = "<menu><item name=\"A\">_LINE</item><b>B</b></menu>";
    const std::string dressed =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- the user's commands -->\n"
        "<menu><!-- first --><item name=\"A\">_LINE</item><?pi x?><b>B</b></menu>";
    const std::string expected = build(plain);
    const auto commands = menu.Commands();
    EXPECT_EQ(build(dressed), expected);
    EXPECT_EQ(menu.Commands(), commands);
}

TEST_F(XmlMenuText, LabelsAndTextsAreTakenAsWritten) {
    build("<menu>\n  <item name=\"Save &amp; close\">_QSAVE</item>\n  <plain>_ZOO\r\n\tM _E</plain>\n"
          "  <item name=\"&Open\"/>\n  <spaced name=\"x\">   _LINE   </spaced>\n</menu>");
    // Entities stay undecoded; without a name attribute the tag name labels the entry.
    EXPECT_EQ(menu.Labels(), (std::vector<std::string>{"Save &amp; close", "plain", "&Open", "x"}));
    // Line breaks and tabs vanish without leaving a blank; the text is trimmed.
    EXPECT_EQ(menu.Commands(), (std::vector<std::string>{"_QSAVE", "_ZOOM _E", "", "_LINE"}));
}

TEST_F(XmlMenuText, OnlyTheExactMarkIsASeparator) {
    EXPECT_EQ(build("<m><a name=\"[--]\"/><b name=\"[--] \"/><c name=\"[-]\"/><d name=\"[--]\">X</d></m>"),
              "---\n[--]   [501]\n[-]  [502]\n---\n");
    EXPECT_EQ(menu.Commands()[3], "X");   // a separator keeps its text in its slot
}

TEST_F(XmlMenuText, MalformedTextStillYieldsATree) {
    // Unclosed elements stay open to the end; a closing tag climbs one level whatever its name;
    // stray text and a stray ">" are ignored.
    EXPECT_EQ(build("stray > <menu><a name=\"A\">1</b><sub name=\"S\"><x>2</x>"), "A  [500]\nS\n  x  [501]\n");
    // Nothing but a root: no entries.
    EXPECT_EQ(build("<menu/>"), "");
    EXPECT_EQ(build(""), "");
    EXPECT_EQ(build("<<<>>></></>/>"), "");
}

TEST_F(XmlMenuText, Utf16FileGivesNoEntries) {
    static const char kUtf16[] = "\xFF\xFE<\0m\0>\0<\0a\0>\0x\0<\0/\0a\0>\0<\0/\0m\0>\0";
    const std::string utf16(kUtf16, sizeof kUtf16 - 1);
    EXPECT_EQ(build(utf16), "");
    EXPECT_TRUE(menu.Labels().empty());
    // Text after a zero byte is never read.
    static const char kCut[] = "<m><a>1</a>\0<b>2</b></m>";
    EXPECT_EQ(build(std::string(kCut, sizeof kCut - 1)), "a  [500]\n");
}

TEST_F(XmlMenuText, AttributeLookup) {
    CXmlDocument doc;
    doc.Parse("<r><e nickname=\"no\" cmd=\"x name=no\" name=\"yes\" empty=\"\" single='one' bare=two name2=\"z\"/></r>");
    const CXmlElement& e = *doc.Root().Child(0);
    EXPECT_EQ(CXmlDocument::GetAttribute(e, "name"), "yes");
    EXPECT_EQ(CXmlDocument::GetAttribute(e, "empty"), "");
    EXPECT_EQ(CXmlDocument::GetAttribute(e, "single"), "one");
    EXPECT_EQ(CXmlDocument::GetAttribute(e, "bare"), "two");
    EXPECT_EQ(CXmlDocument::GetAttribute(e, "Name"), "");   // letter case counts
    EXPECT_EQ(CXmlDocument::GetAttribute(e, "missing"), "");
    doc.Parse("<r><e name=\"open/></r>");
    EXPECT_EQ(CXmlDocument::GetAttribute(*doc.Root().Child(0), "name"), "open");
    doc.Parse("<r><e name=/></r>");
    EXPECT_EQ(CXmlDocument::GetAttribute(*doc.Root().Child(0), "name"), "");
}

TEST_F(XmlMenuText, ChildCursorWalksInDocumentOrder) {
    CXmlDocument doc;
    doc.Parse("<r>lead<a/>mid<b>t</b><c/>tail</r>");
    std::string names;
    for (CXmlElement* c = doc.GetFirstChild(doc.Root()); c; c = doc.GetNextChild(doc.Root())) names += c->Name();
    EXPECT_EQ(names, "abc");
    EXPECT_EQ(doc.Root().Text(), "tail");   // the last run before the closing tag
    EXPECT_EQ(doc.GetFirstChild(*doc.Root().Child(1)), nullptr);
}

TEST_F(XmlMenuText, DeepNestingIsSafeAndBounded) {
    std::string text = "<r>";
    for (int i = 0; i < 300000; ++i) text += "<s>";
    text += "<leaf>x</leaf>";
    build(text);   // neither parsing, building nor destroying may exhaust the stack
    EXPECT_TRUE(menu.Labels().empty());   // the leaf sits below the deepest submenu shown

    std::string shallow = "<r>";
    for (int i = 0; i < CXmlMenu::kMaxDepth - 1; ++i) shallow += "<s>";
    shallow += "<leaf>x</leaf>";
    build(shallow);
    EXPECT_EQ(menu.Labels(), std::vector<std::string>{"leaf"});
}

TEST_F(XmlMenuText, RunRejectsIdsOutsideTheArrays) {
    build("<m><a>1</a><b>2</b></m>");
    EXPECT_TRUE(menu.Holds(501));
    EXPECT_THROW(menu.Run(499), std::invalid_argument);
    EXPECT_THROW(menu.Run(502), std::invalid_argument);
    // Each load starts again at the first id with empty arrays.
    build("<m><only>x</only></m>");
    EXPECT_EQ(menu.Commands(), std::vector<std::string>{"x"});
    EXPECT_FALSE(menu.Holds(501));
}

TEST_F(XmlMenuText, UnreadableFileLoadsNothing) {
    HMENU popup = CreatePopupMenu();
    EXPECT_FALSE(menu.Load(popup, "/nonexistent/ctxmenu.xml"));
    EXPECT_EQ(GetMenuItemCount(popup), 0);
}

}  // namespace
