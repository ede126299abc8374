#include <gtest/gtest.h>

#include "settings/markup.h"

namespace {
const std::string kDecl(CMarkupSTL::kDeclaration);

std::string ErrorOf(const std::string& text) {
    CMarkupSTL doc;
    EXPECT_FALSE(doc.SetDocument(text)) << text;
    return doc.GetError();
}
}  // namespace

TEST(Markup, ParseErrorsNameTheirCause) {
    EXPECT_EQ(ErrorOf(""), "Element tag not found");
    EXPECT_EQ(ErrorOf("just text"), "Element tag not found");
    EXPECT_EQ(ErrorOf("<a b=\"x"), "Abrupt end within tag");
    EXPECT_EQ(ErrorOf("<!-- open"), "Abrupt end within tag");
    EXPECT_EQ(ErrorOf("<\"a\">"), "Tag starts with quote");
    EXPECT_EQ(ErrorOf("< >"), "Invalid node");
    EXPECT_EQ(ErrorOf("<a <b>"), "End of tag not found");
    EXPECT_EQ(ErrorOf("<a><b/>"), "End tag of a element not found");
    EXPECT_EQ(ErrorOf("<a></>"), "Expecting end tag of element a");
    EXPECT_EQ(ErrorOf("<a></b>"), "End tag does not correspond to a");
    EXPECT_EQ(ErrorOf("<a></a"), "End tag not completed for element a");
    EXPECT_EQ(ErrorOf("<a><b></a></b>"), "End tag does not correspond to b");
}

TEST(Markup, ParsesWhatHandsAndOtherToolsWrite) {
    CMarkupSTL doc;
    ASSERT_TRUE(doc.SetDocument(
        "<?xml version=\"1.0\"?>\n<!DOCTYPE r [<!ENTITY x \"<y>\">]>\n<!-- c < d -->\n"
        "<r>\n <i a='1' b=\"it's\" c=bare d = \"&lt;&#60;&amp;amp;\"/>\n"
        " <i><![CDATA[<raw> &amp;]]></i>\n <?pi <x> ?>\n <i>t &gt; &quot;u&quot;<!--x--></i>\n</r>"
        "<junk after the root"));
    doc.ResetPosition();
    ASSERT_TRUE(doc.FindElement("r"));
    ASSERT_TRUE(doc.FindChildElement("i"));
    EXPECT_EQ(doc.GetChildAttribute("a"), "1");
    EXPECT_EQ(doc.GetChildAttribute("b"), "it's");
    EXPECT_EQ(doc.GetChildAttribute("c"), "bare");
    EXPECT_EQ(doc.GetChildAttribute("d"), "<&#60;&amp;");
    EXPECT_EQ(doc.GetChildAttribute("A"), "");
    ASSERT_TRUE(doc.FindChildElement("i"));
    EXPECT_EQ(doc.GetChildText(), "<raw> &amp;");
    ASSERT_TRUE(doc.FindChildElement());
    EXPECT_EQ(doc.GetChildText(), "t > \"u\"<!--x-->");
    EXPECT_FALSE(doc.FindChildElement());
    EXPECT_EQ(doc.GetChildTagName(), "i");   // unchanged after a failed find

    // Deep nesting is no threat to the stack.
    std::string deep;
    for (int i = 0; i < 200000; ++i) deep += "<d>";
    EXPECT_FALSE(doc.SetDocument(deep));
}

TEST(Markup, AddedElementsTakeLinesOfTheirOwn) {
    CMarkupSTL doc;
    EXPECT_EQ(doc.GetDocument(), kDecl);
    doc.AddElement("root");
    doc.AddChildElement("b", "2");
    doc.InsertChildElement("a");   // before b
    doc.AddChildElement("c", "x<y");   // after a
    doc.SetChildAttribute("k", "v\"'&");
    EXPECT_EQ(doc.GetDocument(), kDecl + "<root>\r\n<a/>\r\n<c k=\"v&quot;&apos;&amp;\">x&lt;y</c>\r\n<b>2</b>\r\n</root>\r\n");

    // Same-line content gets its line ends too; attributes go after the last well-formed one.
    ASSERT_TRUE(doc.SetDocument("<r><x = a= q/><y>t</y></r>"));
    doc.ResetPosition();
    ASSERT_TRUE(doc.FindChildElement("x"));
    doc.SetChildAttribute("n", "1");
    doc.SetChildAttribute("a", "2");
    EXPECT_EQ(doc.GetChildAttribute("n"), "1");
    doc.AddChildElement("z");
    EXPECT_EQ(doc.GetDocument(), kDecl + "<r><x = a= \"2\" n=\"1\"/>\r\n<z/>\r\n<y>t</y></r>");

    // The cursor still finds everything after the edits, as a fresh parse would.
    ASSERT_TRUE(doc.FindChildElement("y"));
    EXPECT_EQ(doc.GetChildText(), "t");
    EXPECT_TRUE(doc.SetChildText("u&v"));
    doc.ResetPosition();
    ASSERT_TRUE(doc.FindChildElement("z"));
    EXPECT_TRUE(doc.SetChildText("w"));
    CMarkupSTL fresh;
    ASSERT_TRUE(fresh.SetDocument(doc.GetDocument()));
    EXPECT_EQ(fresh.GetDocument(), kDecl + "<r><x = a= \"2\" n=\"1\"/>\r\n<z>w</z>\r\n<y>u&amp;v</y></r>");
}

TEST(Markup, AnEmptyTagWithAStraySlashStaysAStartTagWhenExpanded) {
    CMarkupSTL doc;
    ASSERT_TRUE(doc.SetDocument("<Korvane//>"));
    doc.ResetPosition();
    doc.FindElement();
    doc.AddChildElement("config");
    EXPECT_EQ(doc.GetDocument(), kDecl + "<Korvane/ >\r\n<config/>\r\n</Korvane>");
    CMarkupSTL again;
    ASSERT_TRUE(again.SetDocument(doc.GetDocument()));
    again.ResetPosition();
    EXPECT_TRUE(again.FindChildElement("config"));
}

TEST(Markup, TextOfAnElementWithChildrenIsLeftAlone) {
    CMarkupSTL doc;
    ASSERT_TRUE(doc.SetDocument("<r><p><q/></p></r>"));
    doc.ResetPosition();
    ASSERT_TRUE(doc.FindChildElement("p"));
    EXPECT_FALSE(doc.SetChildText("x"));
    EXPECT_EQ(doc.GetChildText(), "");
    EXPECT_TRUE(doc.EnterElement());
    EXPECT_EQ(doc.GetTagName(), "p");
    EXPECT_TRUE(doc.FindChildElement("q"));
    doc.SavePosition("q");
    EXPECT_TRUE(doc.LeaveElement());
    EXPECT_EQ(doc.GetTagName(), "r");
    EXPECT_TRUE(doc.RestorePosition("q"));
    EXPECT_EQ(doc.GetChildTagName(), "q");
}

TEST(Markup, EscapingRoundTrips) {
    const std::string text = "a&b<c>d\"e'f &amp; &#38;";
    EXPECT_EQ(CMarkupSTL::Escape(text, false), "a&amp;b&lt;c&gt;d\"e'f &amp;amp; &amp;#38;");
    EXPECT_EQ(CMarkupSTL::Unescape(CMarkupSTL::Escape(text, false)), text);
    EXPECT_EQ(CMarkupSTL::Unescape(CMarkupSTL::Escape(text, true)), text);
    EXPECT_EQ(CMarkupSTL::Unescape("&lt&;&#x3c;&amp"), "&lt&;&#x3c;&amp");
}
