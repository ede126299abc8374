#include "uikit/markup.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <tuple>

namespace kvui {

struct MarkupLayout::Piece {
    std::string text;   // empty for a picture
    HFONT font = nullptr;
    COLORREF colour = 0;
    HBITMAP bitmap = nullptr;
    bool shadow = false;
    RECT rect;
};
struct MarkupLayout::Line {
    std::string text;
    std::vector<Piece> pieces;
};

namespace {

constexpr int kShadow = 3;   // drop shadow of a picture with style s, in pixels

struct Tag {
    std::string name;   // lower case; empty for text
    bool closing = false;
    std::map<std::string, std::string> attrs;
    std::string text;   // text token
};

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string decodeEntities(std::string_view s) {
    static const std::pair<std::string_view, char> kEntities[] = {
        {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}};
    std::string out;
    for (size_t i = 0; i < s.size();) {
        bool done = false;
        if (s[i] == '&')
            for (const auto& [name, c] : kEntities)
                if (s.substr(i, name.size()) == name) {
                    out += c;
                    i += name.size();
                    done = true;
                    break;
                }
        if (!done) out += s[i++];
    }
    return out;
}

bool knownTag(const std::string& name) {
    static const char* kTags[] = {"table", "tr", "td", "font", "b", "i", "br", "bmp"};
    return std::any_of(std::begin(kTags), std::end(kTags), [&](const char* t) { return name == t; });
}

// Splits markup into elements and text; a '<' that opens no known element stays text.
std::vector<Tag> tokenize(std::string_view m) {
    std::vector<Tag> out;
    std::string text;
    auto flush = [&] {
        if (!text.empty()) out.push_back(Tag{"", false, {}, decodeEntities(text)});
        text.clear();
    };
    for (size_t i = 0; i < m.size();) {
        if (m[i] != '<') {
            text += m[i++];
            continue;
        }
        const size_t end = m.find('>', i);
        if (end == std::string_view::npos) {
            text += m.substr(i);
            break;
        }
        std::string_view body = m.substr(i + 1, end - i - 1);
        Tag tag;
        if (!body.empty() && body[0] == '/') tag.closing = true, body.remove_prefix(1);
        size_t p = 0;
        while (p < body.size() && std::isalnum(static_cast<unsigned char>(body[p]))) ++p;
        tag.name = lower(body.substr(0, p));
        if (!knownTag(tag.name)) {
            text += m[i++];
            continue;
        }
        // Attributes: name=value, name="value" or name='value'.
        while (p < body.size()) {
            while (p < body.size() && body[p] == ' ') ++p;
            const size_t nameStart = p;
            while (p < body.size() && body[p] != '=' && body[p] != ' ') ++p;
            std::string name = lower(body.substr(nameStart, p - nameStart));
            std::string value;
            if (p < body.size() && body[p] == '=') {
                ++p;
                if (p < body.size() && (body[p] == '"' || body[p] == '\'')) {
                    const char q = body[p++];
                    const size_t close = body.find(q, p);
                    value = std::string(
                        body.substr(p, close == std::string_view::npos ? std::string_view::npos : close - p));
                    p = close == std::string_view::npos ? body.size() : close + 1;
                } else {
                    const size_t valueStart = p;
                    while (p < body.size() && body[p] != ' ') ++p;
                    value = std::string(body.substr(valueStart, p - valueStart));
                }
            }
            if (!name.empty()) tag.attrs[name] = value;
        }
        flush();
        out.push_back(std::move(tag));
        i = end + 1;
    }
    flush();
    return out;
}

std::uint64_t parseNumber(const std::string& text, bool* ok) {
    std::string_view s = text;
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) s.remove_prefix(2), base = 16;
    else if (!s.empty() && s[0] == '#') s.remove_prefix(1), base = 16;
    std::uint64_t v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v, base);
    *ok = r.ec == std::errc() && r.ptr == s.data() + s.size() && !s.empty();
    return v;
}

struct Cell {
    int width = -1;   // from its width attribute
    std::string align = "left";
    std::vector<Tag> content;
};
struct Row {
    std::vector<Cell> cells;
};
struct Table {
    std::string align = "left", valign = "top";
    std::vector<Row> rows;
};

// Tables, rows and cells; content outside any cell makes a table of one cell of its own.
std::vector<Table> structure(const std::vector<Tag>& tokens) {
    std::vector<Table> tables;
    bool inTable = false, inCell = false;
    auto loose = [&]() -> Cell& {
        if (!inTable) {
            if (tables.empty() || tables.back().align != "loose")
                tables.push_back(Table{"loose", "top", {Row{{Cell{}}}}});
            return tables.back().rows.back().cells.back();
        }
        Table& t = tables.back();
        if (t.rows.empty()) t.rows.push_back(Row{});
        if (t.rows.back().cells.empty()) t.rows.back().cells.push_back(Cell{});
        return t.rows.back().cells.back();
    };
    for (const Tag& tok : tokens) {
        if (tok.name == "table") {
            if (!tok.closing) {
                Table t;
                if (auto it = tok.attrs.find("align"); it != tok.attrs.end()) t.align = lower(it->second);
                if (auto it = tok.attrs.find("valign"); it != tok.attrs.end()) t.valign = lower(it->second);
                tables.push_back(std::move(t));
            }
            inTable = !tok.closing;
            inCell = false;
        } else if (tok.name == "tr" && inTable) {
            if (!tok.closing) tables.back().rows.push_back(Row{});
            inCell = false;
        } else if (tok.name == "td" && inTable) {
            if (!tok.closing) {
                Table& t = tables.back();
                if (t.rows.empty()) t.rows.push_back(Row{});
                Cell c;
                bool ok = false;
                if (auto it = tok.attrs.find("width"); it != tok.attrs.end()) {
                    const auto w = parseNumber(it->second, &ok);
                    if (ok) c.width = int(std::min<std::uint64_t>(w, 4096));
                }
                if (auto it = tok.attrs.find("align"); it != tok.attrs.end()) c.align = lower(it->second);
                t.rows.back().cells.push_back(std::move(c));
            }
            inCell = !tok.closing;
        } else if (tok.name == "tr" || tok.name == "td") {
            // outside a table: ignored
        } else {
            if (!inCell && inTable && tok.name.empty() && tok.text.find_first_not_of(" \t\r\n") == std::string::npos)
                continue;   // blanks between table elements
            loose().content.push_back(tok);
        }
    }
    return tables;
}

}   // namespace

std::string EscapeMarkup(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '&') out += "&amp;";
        else out += c;
    }
    return out;
}

MarkupLayout::~MarkupLayout() {
    for (HFONT f : fonts_) DeleteObject(f);
}

MarkupLayout::MarkupLayout(std::string_view markup, const MarkupStyle& style) {
    std::map<std::tuple<bool, bool, std::string, int>, HFONT> fontCache;
    auto fontFor = [&](bool bold, bool italic, const std::string& face, int size) {
        const auto key = std::make_tuple(bold, italic, face, size);
        if (auto it = fontCache.find(key); it != fontCache.end()) return it->second;
        LOGFONT lf = style.font;
        if (bold) lf.lfWeight = FW_BOLD;
        if (italic) lf.lfItalic = 1;
        if (!face.empty()) lf.lfFaceName = face;
        if (size > 0) lf.lfHeight = -size;
        HFONT f = CreateFontIndirect(&lf);
        fonts_.push_back(f);
        fontCache[key] = f;
        return f;
    };

    struct CellBox {
        int width = 0, height = 0;
        std::vector<Line> lines;   // pieces relative to the cell's content origin
    };
    auto layoutCell = [&](const Cell& cell) {
        CellBox box;
        const int limit = std::max(8, (cell.width > 0 ? cell.width : style.maxWidth) - 2 * style.cellPadding);
        struct State {
            bool bold = false, italic = false;
            COLORREF colour;
            std::string face;
            int size = 0;
        };
        std::vector<State> stack{State{false, false, style.textColour, {}, 0}};
        int bold = 0, italic = 0;
        Line line;
        int x = 0, y = 0, lineHeight = 0;
        auto state = [&] { return stack.back(); };
        auto newLine = [&] {
            HFONT f = fontFor(bold > 0, italic > 0, state().face, state().size);
            // An empty line is half a line: blank lines space paragraphs without stretching the tip.
            if (lineHeight == 0) lineHeight = (KvGetTextExtent(nullptr, f, " ").cy + 1) / 2;
            for (Piece& p : line.pieces) {
                const int h = p.rect.bottom - p.rect.top;
                p.rect.top = y + lineHeight - h;   // pieces sit on the line's bottom
                p.rect.bottom = p.rect.top + h;
            }
            box.width = std::max(box.width, x);
            box.lines.push_back(std::move(line));
            line = Line{};
            y += lineHeight;
            x = 0;
            lineHeight = 0;
        };
        auto place = [&](Piece p, int w, int h) {
            p.rect = RECT{x, 0, x + w, h};
            if (!p.text.empty()) line.text += p.text;
            line.pieces.push_back(std::move(p));
            x += w;
            lineHeight = std::max(lineHeight, h);
        };
        auto addWord = [&](std::string word) {
            HFONT f = fontFor(bold > 0, italic > 0, state().face, state().size);
            const bool blank = word.find_first_not_of(' ') == std::string::npos;
            while (!word.empty()) {
                SIZE ext = KvGetTextExtent(nullptr, f, word);
                if (x + ext.cx <= limit) {
                    place(Piece{word, f, state().colour, nullptr, false, {}}, ext.cx, ext.cy);
                    return;
                }
                if (blank) {   // blanks at a wrap are dropped
                    newLine();
                    return;
                }
                if (x > 0) {
                    newLine();
                    continue;
                }
                // A word wider than the cell: cut after the last path separator that fits, else
                // after the last character that fits (whole UTF-8 characters only).
                size_t fit = 0, sep = 0;
                for (size_t i = 1; i <= word.size(); ++i) {
                    if (i < word.size() && (static_cast<unsigned char>(word[i]) & 0xC0) == 0x80) continue;
                    if (KvGetTextExtent(nullptr, f, std::string_view(word).substr(0, i)).cx > limit) break;
                    fit = i;
                    if (word[i - 1] == '/' || word[i - 1] == '\\') sep = i;
                }
                if (fit == 0) fit = std::min(word.size(), size_t(1));
                const size_t cut = sep ? sep : fit;
                const std::string head = word.substr(0, cut);
                ext = KvGetTextExtent(nullptr, f, head);
                place(Piece{head, f, state().colour, nullptr, false, {}}, ext.cx, ext.cy);
                word.erase(0, cut);
                if (!word.empty()) newLine();
            }
        };
        auto addText = [&](const std::string& text) {
            size_t i = 0;
            while (i < text.size()) {
                if (text[i] == '\n') {
                    newLine();
                    ++i;
                    continue;
                }
                if (text[i] == '\r') {
                    ++i;
                    continue;
                }
                const bool space = text[i] == ' ';
                size_t j = i;
                while (j < text.size() && text[j] != '\n' && text[j] != '\r' && (text[j] == ' ') == space) ++j;
                addWord(text.substr(i, j - i));
                i = j;
            }
        };
        for (const Tag& t : cell.content) {
            if (t.name.empty()) {
                addText(t.text);
            } else if (t.name == "br" && !t.closing) {
                newLine();
            } else if (t.name == "b") {
                bold += t.closing ? (bold > 0 ? -1 : 0) : 1;
            } else if (t.name == "i") {
                italic += t.closing ? (italic > 0 ? -1 : 0) : 1;
            } else if (t.name == "font") {
                if (t.closing) {
                    if (stack.size() > 1) stack.pop_back();
                    continue;
                }
                State s = state();
                bool ok = false;
                if (auto it = t.attrs.find("color"); it != t.attrs.end()) {
                    const auto v = parseNumber(it->second, &ok);
                    if (ok) s.colour = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
                }
                if (auto it = t.attrs.find("face"); it != t.attrs.end()) s.face = it->second;
                if (auto it = t.attrs.find("size"); it != t.attrs.end()) {
                    const auto v = parseNumber(it->second, &ok);
                    if (ok && v >= 6 && v <= 72) s.size = int(v);
                }
                stack.push_back(s);
            } else if (t.name == "bmp" && !t.closing) {
                bool ok = false;
                const auto it = t.attrs.find("handle");
                const auto value = it == t.attrs.end() ? 0 : parseNumber(it->second, &ok);
                HBITMAP bitmap = ok && value ? reinterpret_cast<HBITMAP>(std::uintptr_t(value)) : nullptr;
                BITMAP info;
                if (!bitmap || !GetObject(bitmap, &info) || info.bmWidth < 1 || info.bmHeight < 1) continue;
                const auto st = t.attrs.find("style");
                const bool shadow = st != t.attrs.end() && lower(st->second).find('s') != std::string::npos;
                const int w = info.bmWidth + (shadow ? kShadow : 0), h = info.bmHeight + (shadow ? kShadow : 0);
                if (x > 0 && x + w > limit) newLine();
                place(Piece{"", nullptr, 0, bitmap, shadow, {}}, w, h);
            }
        }
        if (!line.pieces.empty() || box.lines.empty() || x > 0) newLine();
        box.height = y;
        return box;
    };

    // Tables one below the other; in a table, columns as wide as their widest cell.
    struct PlacedTable {
        const Table* table;
        std::vector<std::vector<CellBox>> boxes;
        std::vector<int> columns;
        std::vector<int> rowHeights;
        int width = 0, height = 0;
    };
    const auto tables = structure(tokenize(markup));
    std::vector<PlacedTable> placed;
    const int pad = style.cellPadding;
    for (const Table& t : tables) {
        PlacedTable p{&t, {}, {}, {}, 0, 0};
        for (const Row& r : t.rows) {
            std::vector<CellBox> row;
            for (size_t c = 0; c < r.cells.size(); ++c) {
                row.push_back(layoutCell(r.cells[c]));
                const int w = (r.cells[c].width > 0 ? r.cells[c].width : row.back().width + 2 * pad);
                if (p.columns.size() <= c) p.columns.push_back(0);
                p.columns[c] = std::max(p.columns[c], w);
            }
            int h = 0;
            for (const CellBox& b : row) h = std::max(h, b.height + 2 * pad);
            p.rowHeights.push_back(h);
            p.height += h;
            p.boxes.push_back(std::move(row));
        }
        for (int w : p.columns) p.width += w;
        size_.cx = std::max<LONG>(size_.cx, p.width);
        placed.push_back(std::move(p));
    }
    int top = 0;
    for (PlacedTable& p : placed) {
        const std::string& align = p.table->align;
        const int left = align == "right" ? size_.cx - p.width : align == "center" ? (size_.cx - p.width) / 2 : 0;
        int rowTop = top;
        for (size_t r = 0; r < p.boxes.size(); ++r) {
            int colLeft = left;
            for (size_t c = 0; c < p.boxes[r].size(); ++c) {
                CellBox& b = p.boxes[r][c];
                const Cell& cell = p.table->rows[r].cells[c];
                const int inner = p.columns[c] - 2 * pad;
                const int spare = p.rowHeights[r] - 2 * pad - b.height;
                const int dy = p.table->valign == "bottom" ? spare : p.table->valign == "vcenter" ? spare / 2 : 0;
                for (Line& line : b.lines) {
                    int lineWidth = 0;
                    for (const Piece& piece : line.pieces) lineWidth = std::max<int>(lineWidth, piece.rect.right);
                    const int dx = cell.align == "right" ? inner - lineWidth
                        : cell.align == "center"         ? (inner - lineWidth) / 2
                                                         : 0;
                    for (Piece& piece : line.pieces) {
                        const int ox = colLeft + pad + std::max(0, dx), oy = rowTop + pad + dy;
                        piece.rect = RECT{piece.rect.left + ox, piece.rect.top + oy, piece.rect.right + ox,
                                          piece.rect.bottom + oy};
                    }
                    lines_.push_back(std::move(line));
                }
                colLeft += p.columns[c];
            }
            rowTop += p.rowHeights[r];
        }
        top += p.height;
    }
    size_.cy = top;
}

void MarkupLayout::Paint(HDC dc, int x, int y) const {
    for (const Line& line : lines_) {
        for (const Piece& p : line.pieces) {
            RECT r{p.rect.left + x, p.rect.top + y, p.rect.right + x, p.rect.bottom + y};
            if (p.bitmap) {
                if (p.shadow) {
                    // A soft edge below and to the right of the picture.
                    const RECT pic{r.left, r.top, r.right - kShadow, r.bottom - kShadow};
                    FillSolidRect(dc, RECT{pic.left + 3, pic.top + 3, pic.right + 3, pic.bottom + 3},
                                  RGB(214, 216, 222));
                    FillSolidRect(dc, RECT{pic.left + 2, pic.top + 2, pic.right + 2, pic.bottom + 2},
                                  RGB(180, 183, 190));
                    FillSolidRect(dc, RECT{pic.left + 1, pic.top + 1, pic.right + 1, pic.bottom + 1},
                                  RGB(140, 144, 152));
                    KvDrawBitmap(dc, pic.left, pic.top, p.bitmap, KVBMP_NORMAL);
                } else {
                    KvDrawBitmap(dc, r.left, r.top, p.bitmap, KVBMP_NORMAL);
                }
            } else {
                DrawText(dc, p.text, &r, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP, p.font, p.colour);
            }
        }
    }
}

std::vector<std::string> MarkupLayout::Lines() const {
    std::vector<std::string> out;
    for (const Line& l : lines_) out.push_back(l.text);
    return out;
}

std::vector<std::pair<HBITMAP, RECT>> MarkupLayout::Pictures() const {
    std::vector<std::pair<HBITMAP, RECT>> out;
    for (const Line& l : lines_)
        for (const Piece& p : l.pieces)
            if (p.bitmap) out.emplace_back(p.bitmap, p.rect);
    return out;
}

}   // namespace kvui
