#include "settings/markup.h"

#include <initializer_list>

#include "core/files.h"

namespace {

constexpr std::size_t npos = std::string::npos;

// Joins pieces with appends (which GCC 12 does not misread as overlapping copies, unlike
// "literal" + std::string temporaries).
std::string Concat(std::initializer_list<std::string_view> parts) {
    std::string out;
    for (auto p : parts) out.append(p);
    return out;
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Characters that end a token and stand as a token of their own.
bool IsSpecial(char c) {
    switch (c) {
    case '<':
    case '>':
    case '=':
    case '\\':
    case '/':
    case '?':
    case '!': return true;
    default: return false;
    }
}

}   // namespace

CMarkupSTL::CMarkupSTL() { SetDocument(); }

bool CMarkupSTL::SetDocument(std::string_view text) {
    if (text.substr(0, 5) == "<?xml") {
        doc_.assign(text);
    } else {
        doc_.assign(kDeclaration);
        doc_.append(text);
    }
    return Parse();
}

bool CMarkupSTL::LoadDocument(const std::string& path) {
    auto bytes = ReadFileBytes(path);
    if (!bytes) {
        SetDocument();
        error_ = "File could not be opened";
        return false;
    }
    std::string_view text = *bytes;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    return SetDocument(text);
}

bool CMarkupSTL::SaveDocument(const std::string& path) const { return WriteFileAtomic(path, doc_); }

bool CMarkupSTL::Fail(std::string error) {
    error_ = std::move(error);
    return false;
}

// ---- Parsing --------------------------------------------------------------------------------------

CMarkupSTL::Token CMarkupSTL::NextToken(std::size_t pos, std::size_t limit) const {
    while (pos < limit && IsSpace(doc_[pos])) ++pos;
    if (pos >= limit) return {Token::End, pos, pos, pos};
    const char c = doc_[pos];
    if (c == '"' || c == '\'') {
        const std::size_t close = doc_.find(c, pos + 1);
        if (close == npos || close >= limit) return {Token::Unterminated, pos, limit, limit};
        return {Token::Quoted, pos + 1, close, close + 1};
    }
    if (IsSpecial(c)) return {Token::Char, pos, pos + 1, pos + 1};
    std::size_t end = pos;
    while (end < limit && !IsSpace(doc_[end]) && !IsSpecial(doc_[end])) ++end;
    return {Token::Run, pos, end, end};
}

// Declarations, processing instructions, comments, CDATA sections and document types.
bool CMarkupSTL::SkipSpecialNode(std::size_t lt, std::size_t* after) {
    std::size_t end = npos, skip = 0;
    if (doc_.compare(lt, 2, "<?") == 0) {
        end = doc_.find("?>", lt + 2), skip = 2;
    } else if (doc_.compare(lt, 4, "<!--") == 0) {
        end = doc_.find("-->", lt + 4), skip = 3;
    } else if (doc_.compare(lt, 9, "<![CDATA[") == 0) {
        end = doc_.find("]]>", lt + 9), skip = 3;
    } else {
        // <!DOCTYPE ...> and the like: up to the '>' outside quotes and outside an internal subset.
        int depth = 0;
        for (std::size_t i = lt + 2; i < doc_.size(); ++i) {
            const char c = doc_[i];
            if (c == '"' || c == '\'') {
                i = doc_.find(c, i + 1);
                if (i == npos) break;
            } else if (c == '[') {
                ++depth;
            } else if (c == ']') {
                --depth;
            } else if (c == '>' && depth <= 0) {
                end = i, skip = 1;
                break;
            }
        }
    }
    if (end == npos) return Fail("Abrupt end within tag");
    *after = end + skip;
    return true;
}

int CMarkupSTL::ParseStartTag(std::size_t lt, int parent) {
    const Token name = NextToken(lt + 1, doc_.size());
    switch (name.kind) {
    case Token::Run: break;
    case Token::Quoted: Fail("Tag starts with quote"); return -1;
    case Token::Char: Fail("Invalid node"); return -1;
    default: Fail("Abrupt end within tag"); return -1;
    }
    Elem e;
    e.start = lt;
    e.parent = parent;
    std::size_t p = name.next;
    while (true) {
        const Token t = NextToken(p, doc_.size());
        if (t.kind == Token::End || t.kind == Token::Unterminated) {
            Fail("Abrupt end within tag");
            return -1;
        }
        if (t.kind == Token::Char) {
            const char c = doc_[t.start];
            if (c == '>') {
                e.tagEnd = t.next;
                break;
            }
            if (c == '/' && t.next < doc_.size() && doc_[t.next] == '>') {
                e.tagEnd = e.contentEnd = e.end = t.next + 1;
                e.empty = true;
                break;
            }
            if (c == '<') {
                Fail("End of tag not found");
                return -1;
            }
        }
        p = t.next;
    }
    elems_.push_back(e);
    return int(elems_.size() - 1);
}

bool CMarkupSTL::Parse() {
    elems_.clear();
    // About one record per 64 characters, and a few for the elements that edits add.
    elems_.reserve(doc_.size() / 64 + 8);
    Elem document;
    document.contentEnd = document.end = doc_.size();
    elems_.push_back(document);
    pos_ = {};
    saved_.clear();
    error_.clear();

    auto fail = [this] {
        elems_.resize(1);
        elems_[0].first = 0;
        return false;
    };

    // The root: the first element; what follows its end is not examined.
    std::size_t pos = 0, lt;
    while (true) {
        lt = doc_.find('<', pos);
        if (lt == npos) return Fail("Element tag not found"), fail();
        if (lt + 1 < doc_.size() && (doc_[lt + 1] == '?' || doc_[lt + 1] == '!')) {
            if (!SkipSpecialNode(lt, &pos)) return fail();
            continue;
        }
        break;
    }
    const int root = ParseStartTag(lt, 0);
    if (root < 0) return fail();
    elems_[0].first = root;

    // Open elements and the last child of each, without recursion (depth is the input's choice).
    struct Open {
        int elem, lastChild;
    };
    std::vector<Open> open;
    if (!elems_[root].empty) open.push_back({root, 0});
    pos = elems_[root].tagEnd;
    while (!open.empty()) {
        const int cur = open.back().elem;
        lt = doc_.find('<', pos);
        const std::string_view name = NameOf(cur);
        auto named = [name](const char* before, const char* after) { return Concat({before, name, after}); };
        if (lt == npos) return Fail(named("End tag of ", " element not found")), fail();
        const char next = lt + 1 < doc_.size() ? doc_[lt + 1] : '\0';
        if (next == '/') {
            const Token t = NextToken(lt + 2, doc_.size());
            if (t.kind != Token::Run) return Fail(named("Expecting end tag of element ", "")), fail();
            if (doc_.compare(t.start, t.end - t.start, name) != 0)
                return Fail(named("End tag does not correspond to ", "")), fail();
            std::size_t p = t.end;
            while (p < doc_.size() && IsSpace(doc_[p])) ++p;
            if (p >= doc_.size() || doc_[p] != '>')
                return Fail(named("End tag not completed for element ", "")), fail();
            elems_[cur].contentEnd = lt;
            elems_[cur].end = p + 1;
            open.pop_back();
            pos = p + 1;
            continue;
        }
        if (next == '?' || next == '!') {
            if (!SkipSpecialNode(lt, &pos)) return fail();
            continue;
        }
        const int child = ParseStartTag(lt, cur);
        if (child < 0) return fail();
        int& last = open.back().lastChild;
        if (last) {
            elems_[last].next = child;
            elems_[child].prev = last;
        } else {
            elems_[cur].first = child;
        }
        last = child;
        if (elems_[child].empty) {
            pos = elems_[child].end;
        } else {
            pos = elems_[child].tagEnd;
            open.push_back({child, 0});
        }
    }
    return true;
}

std::string_view CMarkupSTL::NameOf(int elem) const {
    if (elem <= 0) return {};
    const Token t = NextToken(elems_[elem].start + 1, elems_[elem].tagEnd);
    return std::string_view(doc_).substr(t.start, t.end - t.start);
}

// ---- Cursor ---------------------------------------------------------------------------------------

void CMarkupSTL::ResetPosition() { pos_ = {}; }

bool CMarkupSTL::FindElement(std::string_view name) {
    int i = pos_.main ? elems_[pos_.main].next : elems_[pos_.parent].first;
    for (; i; i = elems_[i].next) {
        if (name.empty() || NameOf(i) == name) {
            pos_.main = i;
            pos_.child = 0;
            return true;
        }
    }
    return false;
}

bool CMarkupSTL::FindChildElement(std::string_view name) {
    if (!pos_.main && !FindElement()) return false;
    int i = pos_.child ? elems_[pos_.child].next : elems_[pos_.main].first;
    for (; i; i = elems_[i].next) {
        if (name.empty() || NameOf(i) == name) {
            pos_.child = i;
            return true;
        }
    }
    return false;
}

bool CMarkupSTL::EnterElement() {
    if (!pos_.main) return false;
    pos_ = {pos_.main, pos_.child, 0};
    return true;
}

bool CMarkupSTL::LeaveElement() {
    if (!pos_.parent) return false;
    pos_ = {elems_[pos_.parent].parent, pos_.parent, pos_.main};
    return true;
}

std::string CMarkupSTL::GetTagName() const { return std::string(NameOf(pos_.main)); }
std::string CMarkupSTL::GetChildTagName() const { return std::string(NameOf(pos_.child)); }

std::pair<std::size_t, std::size_t> CMarkupSTL::GetChildSpan() const {
    if (!pos_.child) return {0, 0};
    return {elems_[pos_.child].start, elems_[pos_.child].end};
}

void CMarkupSTL::SavePosition(const std::string& name) { saved_[name] = pos_; }

bool CMarkupSTL::RestorePosition(const std::string& name) {
    auto it = saved_.find(name);
    if (it == saved_.end()) return false;
    pos_ = it->second;
    return true;
}

// ---- Reading --------------------------------------------------------------------------------------

CMarkupSTL::Attr CMarkupSTL::FindAttribute(int elem, std::string_view name) const {
    Attr attr;
    const Elem& e = elems_[elem];
    const Token tag = NextToken(e.start + 1, e.tagEnd);
    // A new attribute goes after the last well-formed one (or the tag name), so that stray tokens
    // in a hand-edited tag can never swallow it.
    attr.insertAt = tag.end;
    std::size_t p = tag.next;
    while (true) {
        const Token t = NextToken(p, e.tagEnd);
        if (t.kind != Token::Run) {
            if (t.kind == Token::End || t.kind == Token::Unterminated) break;
            if (t.kind == Token::Char && (doc_[t.start] == '>' || (doc_[t.start] == '/' && doc_[t.next] == '>'))) break;
            p = t.next;
            continue;
        }
        const Token eq = NextToken(t.next, e.tagEnd);
        if (eq.kind != Token::Char || doc_[eq.start] != '=') {
            p = t.next;
            continue;
        }
        const Token value = NextToken(eq.next, e.tagEnd);
        if (value.kind != Token::Quoted && value.kind != Token::Run) {
            p = eq.next;
            continue;
        }
        if (doc_.compare(t.start, t.end - t.start, name) == 0) {
            attr.found = true;
            attr.quoted = value.kind == Token::Quoted;
            attr.valueStart = value.start;
            attr.valueEnd = value.end;
            return attr;
        }
        attr.insertAt = value.next;
        p = value.next;
    }
    return attr;
}

std::string CMarkupSTL::GetChildAttribute(std::string_view name) const {
    if (!pos_.child) return {};
    const Attr a = FindAttribute(pos_.child, name);
    if (!a.found) return {};
    return Unescape(std::string_view(doc_).substr(a.valueStart, a.valueEnd - a.valueStart));
}

std::string CMarkupSTL::GetChildText() const {
    if (!pos_.child) return {};
    const Elem& e = elems_[pos_.child];
    if (e.empty || e.first) return {};
    const std::string_view content = std::string_view(doc_).substr(e.tagEnd, e.contentEnd - e.tagEnd);
    if (content.substr(0, 9) == "<![CDATA[") {
        const std::size_t close = content.find("]]>", 9);
        return std::string(content.substr(9, close == npos ? npos : close - 9));
    }
    return Unescape(content);
}

std::string CMarkupSTL::Escape(std::string_view text, bool attribute) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '&': out += "&amp;"; break;
        case '>': out += "&gt;"; break;
        case '\'': out += attribute ? "&apos;" : "'"; break;
        case '"': out += attribute ? "&quot;" : "\""; break;
        default: out += c;
        }
    }
    return out;
}

std::string CMarkupSTL::Unescape(std::string_view text) {
    static constexpr struct {
        std::string_view entity;
        char c;
    } kEntities[] = {{"&lt;", '<'}, {"&amp;", '&'}, {"&gt;", '>'}, {"&apos;", '\''}, {"&quot;", '"'}};
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            bool decoded = false;
            for (const auto& e : kEntities) {
                if (text.compare(i, e.entity.size(), e.entity) == 0) {
                    out += e.c;
                    i += e.entity.size() - 1;
                    decoded = true;
                    break;
                }
            }
            if (decoded) continue;
        }
        out += text[i];
    }
    return out;
}

// ---- Editing --------------------------------------------------------------------------------------

// Replaces [from, to) with text and moves the offsets of every element the edit does not contain.
// An element that encloses the edit keeps its start; its other offsets move when they lie at or
// after the edited range (the end of its start tag only when strictly after, so that text inserted
// right after a start tag belongs to the content). Callers fix up the element they rewrite.
void CMarkupSTL::Splice(std::size_t from, std::size_t to, std::string_view text) {
    doc_.replace(from, to - from, text);
    const std::ptrdiff_t delta = std::ptrdiff_t(text.size()) - std::ptrdiff_t(to - from);
    auto move = [delta](std::size_t& offset) { offset = std::size_t(std::ptrdiff_t(offset) + delta); };
    for (std::size_t i = 0; i < elems_.size(); ++i) {
        Elem& e = elems_[i];
        if (i != 0 && e.end <= from) continue;
        if (i != 0 && e.start >= to) {
            move(e.start), move(e.tagEnd), move(e.contentEnd), move(e.end);
            continue;
        }
        if (e.tagEnd > to) move(e.tagEnd);
        if (e.contentEnd >= to) move(e.contentEnd);
        if (e.end >= to) move(e.end);
    }
}

// What replaces the "/>" of an empty-element tag to make it a start tag: ">", or " >" when a stray
// slash stands before it (a bare ">" would give "/>" again).
std::string CMarkupSTL::StartTagClose(std::size_t slash) const { return doc_[slash - 1] == '/' ? " >" : ">"; }

// <name .../> becomes <name ...>, CR LF, </name>, so that children can go between on lines of their own.
void CMarkupSTL::ExpandEmpty(int elem) {
    const std::string name(NameOf(elem));
    const std::size_t slash = elems_[elem].tagEnd - 2;
    const std::string close = StartTagClose(slash);
    const std::string replacement = Concat({close, "\r\n</", name, ">"});
    Splice(slash, slash + 2, replacement);
    Elem& e = elems_[elem];
    e.tagEnd = slash + close.size();
    e.contentEnd = e.tagEnd + 2;
    e.end = slash + replacement.size();
    e.empty = false;
}

int CMarkupSTL::LastChild(int parent) const {
    int last = 0;
    for (int i = elems_[parent].first; i; i = elems_[i].next) last = i;
    return last;
}

int CMarkupSTL::AddElem(int parent, int after, int before, std::string_view name, std::string_view text) {
    if (parent != 0 && elems_[parent].empty) ExpandEmpty(parent);
    auto lineStartBefore = [this](std::size_t p, std::size_t floor) {
        std::size_t q = p;
        while (q > floor && (doc_[q - 1] == ' ' || doc_[q - 1] == '\t')) --q;
        return (q == 0 || doc_[q - 1] == '\n') ? q : p;
    };
    std::size_t p;
    if (after) {
        p = elems_[after].end;
        if (doc_.compare(p, 2, "\r\n") == 0) {
            p += 2;
        } else if (p < doc_.size() && doc_[p] == '\n') {
            ++p;
        }
    } else if (before) {
        p = lineStartBefore(elems_[before].start, 0);
    } else if (parent == 0) {
        p = doc_.size();
    } else {
        p = lineStartBefore(elems_[parent].contentEnd, elems_[parent].tagEnd);
    }

    const std::string escaped = Escape(text, false);
    std::string elem = Concat({"<", name});
    std::size_t tagLen, contentLen = 0;
    if (text.empty()) {
        elem += "/>";
        tagLen = elem.size();
    } else {
        elem += ">";
        tagLen = elem.size();
        elem += escaped;
        contentLen = escaped.size();
        elem += Concat({"</", name, ">"});
    }
    const std::string prefix = (p > 0 && doc_[p - 1] != '\n') ? "\r\n" : "";
    Splice(p, p, Concat({prefix, elem, "\r\n"}));

    Elem e;
    e.start = p + prefix.size();
    e.tagEnd = e.start + tagLen;
    e.contentEnd = e.tagEnd + contentLen;
    e.end = e.start + elem.size();
    e.empty = text.empty();
    e.parent = parent;
    const int idx = int(elems_.size());
    if (after) {
        e.prev = after;
        e.next = elems_[after].next;
        if (e.next) elems_[e.next].prev = idx;
        elems_[after].next = idx;
    } else if (before) {
        e.next = before;
        e.prev = elems_[before].prev;
        if (e.prev) {
            elems_[e.prev].next = idx;
        } else {
            elems_[parent].first = idx;
        }
        elems_[before].prev = idx;
    } else {
        elems_[parent].first = idx;
    }
    elems_.push_back(e);
    return idx;
}

bool CMarkupSTL::AddElement(std::string_view name, std::string_view text) {
    const int after = pos_.main ? pos_.main : LastChild(pos_.parent);
    pos_.main = AddElem(pos_.parent, after, 0, name, text);
    pos_.child = 0;
    return true;
}

bool CMarkupSTL::AddChildElement(std::string_view name, std::string_view text) {
    if (!pos_.main) return false;
    const int after = pos_.child ? pos_.child : LastChild(pos_.main);
    pos_.child = AddElem(pos_.main, after, 0, name, text);
    return true;
}

bool CMarkupSTL::InsertChildElement(std::string_view name, std::string_view text) {
    if (!pos_.main) return false;
    const int before = pos_.child ? pos_.child : elems_[pos_.main].first;
    pos_.child = AddElem(pos_.main, 0, before, name, text);
    return true;
}

bool CMarkupSTL::SetChildAttribute(std::string_view name, std::string_view value) {
    if (!pos_.child) return false;
    const Attr a = FindAttribute(pos_.child, name);
    const std::string escaped = Escape(value, true);
    if (!a.found) {
        Splice(a.insertAt, a.insertAt, Concat({" ", name, "=\"", escaped, "\""}));
    } else if (!a.quoted) {
        Splice(a.valueStart, a.valueEnd, Concat({"\"", escaped, "\""}));
    } else if (doc_.compare(a.valueStart, a.valueEnd - a.valueStart, escaped) != 0) {
        Splice(a.valueStart, a.valueEnd, escaped);
    }
    return true;
}

bool CMarkupSTL::SetChildText(std::string_view text) {
    if (!pos_.child) return false;
    const int child = pos_.child;
    if (elems_[child].first) return false;
    const std::string escaped = Escape(text, false);
    if (elems_[child].empty) {
        if (text.empty()) return true;
        const std::size_t slash = elems_[child].tagEnd - 2;
        const std::string close = StartTagClose(slash);
        const std::string replacement = Concat({close, escaped, "</", NameOf(child), ">"});
        Splice(slash, slash + 2, replacement);
        Elem& e = elems_[child];
        e.tagEnd = slash + close.size();
        e.contentEnd = e.tagEnd + escaped.size();
        e.end = slash + replacement.size();
        e.empty = false;
        return true;
    }
    const Elem& e = elems_[child];
    if (doc_.compare(e.tagEnd, e.contentEnd - e.tagEnd, escaped) != 0) Splice(e.tagEnd, e.contentEnd, escaped);
    return true;
}
