// CMarkupSTL: a small XML store that keeps the document as one string plus an index of its
// elements. Every edit splices text into that string, so a document written back is the text that
// was read, changed only where it was edited.
//
// The cursor has three levels: the parent element, the main (current) element and its current
// child. Finding or adding an element moves the cursor onto it. The settings file is the one user;
// the store has no lock of its own (the settings lock guards it).
#pragma once
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class CMarkupSTL {
public:
    // The line every document begins with, written so although the text is UTF-8.
    static constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\r\n";

    CMarkupSTL();   // an empty document: the declaration only

    // Replaces the whole document (the declaration is put in front when the text does not begin
    // with "<?xml") and parses it. True when a root element was parsed; otherwise GetError says
    // why, and the text is kept as given.
    bool SetDocument(std::string_view text = {});
    // Reads the file (UTF-8; a byte-order mark is dropped) and sets it as the document. False when
    // the file cannot be read or does not parse.
    bool LoadDocument(const std::string& path);
    // Writes the document to the file as one atomic replacement (see WriteFileAtomic). False when
    // the file cannot be written; the old file is then untouched.
    bool SaveDocument(const std::string& path) const;
    const std::string& GetDocument() const { return doc_; }
    const std::string& GetError() const { return error_; }

    // ---- The cursor. Names are matched whole and case-sensitively; an empty name matches any.
    void ResetPosition();
    // The next element at the main level (the first when there is no main element).
    bool FindElement(std::string_view name = {});
    // The next child of the main element; without a main element, first finds the root. The
    // cursor is unchanged when none is found.
    bool FindChildElement(std::string_view name = {});
    // The main element becomes the parent and its current child the main element.
    bool EnterElement();
    // Back up one level: the parent becomes the main element again.
    bool LeaveElement();
    std::string GetTagName() const;        // of the main element
    std::string GetChildTagName() const;   // of the current child
    // Where the current child stands in the document text: [first byte, one past the last).
    std::pair<std::size_t, std::size_t> GetChildSpan() const;

    // ---- Edits. Each new element goes on a line of its own, followed by CR LF.
    // After the main element, at its level (the root when the document has none).
    bool AddElement(std::string_view name, std::string_view text = {});
    // After the current child of the main element (last when there is no current child).
    bool AddChildElement(std::string_view name, std::string_view text = {});
    // Before the current child (first when there is none).
    bool InsertChildElement(std::string_view name, std::string_view text = {});

    std::string GetChildText() const;                             // decoded; a CDATA section as is
    std::string GetChildAttribute(std::string_view name) const;   // decoded; empty when absent
    // Replaces the attribute's value in place (keeping its quotation marks), or appends
    // ` name="value"` to the start tag.
    bool SetChildAttribute(std::string_view name, std::string_view value);
    // Replaces the child's text; does nothing (false) when the child has child elements.
    bool SetChildText(std::string_view text);

    // ---- Saved cursor positions by name.
    void SavePosition(const std::string& name);
    bool RestorePosition(const std::string& name);

    // Entity escaping: text escapes <, & and >; attribute values also ' and ". Unescape decodes
    // those five entities only; every other ampersand reads literally.
    static std::string Escape(std::string_view text, bool attribute);
    static std::string Unescape(std::string_view text);

private:
    struct Elem {
        std::size_t start = 0;                           // '<' of the start tag
        std::size_t tagEnd = 0;                          // just past the start tag's '>'
        std::size_t contentEnd = 0;                      // '<' of the end tag; == tagEnd == end for an empty element
        std::size_t end = 0;                             // just past the element
        int parent = 0, first = 0, next = 0, prev = 0;   // 0: none (record 0 is the document)
        bool empty = false;                              // written as one empty-element tag
    };
    struct Token {
        enum Kind { End, Run, Quoted, Char, Unterminated } kind = End;
        std::size_t start = 0, end = 0, next = 0;   // text [start, end); scanning resumes at next
    };
    struct Attr {
        bool found = false, quoted = false;
        std::size_t valueStart = 0, valueEnd = 0, insertAt = 0;
    };
    struct Cursor {
        int parent = 0, main = 0, child = 0;
    };

    bool Parse();
    Token NextToken(std::size_t pos, std::size_t limit) const;
    bool SkipSpecialNode(std::size_t lt, std::size_t* after);
    int ParseStartTag(std::size_t lt, int parent);
    std::string_view NameOf(int elem) const;
    Attr FindAttribute(int elem, std::string_view name) const;
    void Splice(std::size_t from, std::size_t to, std::string_view text);
    void ExpandEmpty(int elem);
    std::string StartTagClose(std::size_t slash) const;
    int AddElem(int parent, int after, int before, std::string_view name, std::string_view text);
    int LastChild(int parent) const;
    bool Fail(std::string error);

    std::string doc_;
    std::vector<Elem> elems_;
    Cursor pos_;
    std::map<std::string, Cursor> saved_;
    std::string error_;
};
