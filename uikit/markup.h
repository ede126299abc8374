// The rich tooltip's markup: a small HTML-like language, laid out and painted on a canvas.
//
//   <table align=left|center|right valign=top|vcenter|bottom> <tr> <td width=N align=...> ...
//   <font color=0xRRGGBB face=NAME size=N> ... </font>   <b> </b>  <i> </i>  <br>
//   <bmp handle=0xHANDLE style=s>   a picture by its bitmap handle (style s: with a drop shadow;
//                                   handle 0 or an unknown handle: nothing)
//
// Colours are written as in HTML, red first. Line feeds in text start new lines, blanks are kept
// as they stand, and text wraps at blanks (or, in a word wider than its cell, after a path
// separator or at any character) to its cell's width. "&lt;", "&gt;", "&amp;" and "&quot;" stand
// for their characters; a '<' that opens no known element is text.
#pragma once
#include <memory>
#include <string>
#include <string_view>
#include <vector>
#include "gfx/canvas.h"

namespace kvui {

struct MarkupStyle {
    LOGFONT font;   // the base font
    COLORREF textColour = RGB(0, 0, 0);
    int maxWidth = 300;    // wrapping width of cells without their own width
    int cellPadding = 2;   // around every cell's content
};

// Text as markup that shows it letter for letter: '<', '>' and '&' become their entities.
std::string EscapeMarkup(std::string_view text);

// A laid-out piece of markup; Paint draws it with its top-left corner at (x, y).
class MarkupLayout {
public:
    MarkupLayout(std::string_view markup, const MarkupStyle& style);
    ~MarkupLayout();
    MarkupLayout(const MarkupLayout&) = delete;
    MarkupLayout& operator=(const MarkupLayout&) = delete;

    SIZE Size() const { return size_; }
    void Paint(HDC dc, int x, int y) const;
    // The text of the laid-out lines, one per line, as they will be painted (tests, transcripts).
    std::vector<std::string> Lines() const;
    // Where a picture element was placed (its handle in the markup), relative to the top-left.
    std::vector<std::pair<HBITMAP, RECT>> Pictures() const;

    struct Piece;
    struct Line;

private:
    SIZE size_{0, 0};
    std::vector<Line> lines_;
    std::vector<HFONT> fonts_;
};

}   // namespace kvui
