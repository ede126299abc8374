// A small tolerant XML reader that turns a menu file into a tree, and a
// menu that fills a popup menu from that tree and remembers, per command id, each entry's label
// and the text it sends to the current drawing's command line.
#pragma once
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "win/menu.h"

// One element of the tree; owns its children.
class CXmlElement {
public:
    CXmlElement() = default;
    ~CXmlElement();
    CXmlElement(const CXmlElement&) = delete;
    CXmlElement& operator=(const CXmlElement&) = delete;

    const std::string& Name() const { return name_; }
    // Everything in the opening tag after the name, trimmed and unsplit.
    const std::string& AttributeText() const { return attributes_; }
    // The last run of character data directly inside the element, trimmed.
    const std::string& Text() const { return text_; }
    CXmlElement* Parent() const { return parent_; }
    std::size_t ChildCount() const { return children_.size(); }
    CXmlElement* Child(std::size_t i) const { return children_[i].get(); }

private:
    friend class CXmlDocument;
    // Deletes the whole subtree without recursion, so that any depth of nesting is safe.
    void DeleteChildren();

    std::string name_;
    std::string attributes_;
    std::string text_;
    std::vector<std::unique_ptr<CXmlElement>> children_;
    CXmlElement* parent_ = nullptr;
    std::size_t cursor_ = 0;   // GetFirstChild / GetNextChild
};

class CXmlDocument {
public:
    // Reads and parses the file; false only when it cannot be opened or read.
    bool Load(const std::string& path);
    // Parses file bytes: they end at the first zero byte, and line feeds, carriage returns and
    // tabs are dropped wherever they stand. Malformed text is never rejected: the tree is
    // whatever the scan yields.
    void Parse(std::string_view bytes);

    CXmlElement& Root() { return root_; }
    const CXmlElement& Root() const { return root_; }
    // The text after clean-up, as it was scanned.
    const std::string& Source() const { return source_; }

    // Iterate an element's children in document order (the element keeps the cursor).
    CXmlElement* GetFirstChild(CXmlElement& element);
    CXmlElement* GetNextChild(CXmlElement& element);
    // The value of one attribute, empty when absent. The name matches with its letter case, as a
    // whole word outside quoted values; the value is taken as written (entities stay undecoded).
    static std::string GetAttribute(const CXmlElement& element, std::string_view name);

private:
    void ClassifyTag(const std::string& tag);

    std::string source_;
    CXmlElement root_;
    CXmlElement* current_ = &root_;
};

// A menu filled from the file. Every leaf takes one command id, starting at the first id, and
// one slot in the label and command arrays; a separator ("[--]" as label, any letter case) takes
// its id and slot too, so ids never shift. An element with children becomes a submenu and takes
// no id.
class CXmlMenu {
public:
    static constexpr unsigned kFirstId = 500;
    static constexpr const char* kLabelAttribute = "name";
    // Submenus nest at most this deep; elements below it are left out (they take no id).
    static constexpr int kMaxDepth = 32;

    // Empties the arrays, then loads the file and appends the root's children to `target` (owned by
    // the caller; not emptied here). False when the file could not be read; the arrays are then
    // empty and nothing is appended. The arrays stay valid until the next load.
    bool Load(HMENU target, const std::string& path, const std::string& labelAttribute = kLabelAttribute,
              unsigned firstId = kFirstId);
    // As Load, from file bytes already in memory.
    void LoadText(HMENU target, std::string_view bytes, const std::string& labelAttribute = kLabelAttribute,
                  unsigned firstId = kFirstId);

    // Empties the arrays (the next id restarts at the first id).
    void Clear() { Reset(labelAttribute_, firstId_); }
    // True when `id` has an entry from the last load.
    bool Holds(unsigned id) const;
    // Sends the entry's text and a newline to the current drawing's command line (echoed, the
    // drawing not activated). Throws std::invalid_argument for an id outside the arrays.
    void Run(unsigned id) const;

    unsigned FirstId() const { return firstId_; }
    unsigned NextId() const { return nextId_; }
    const std::vector<std::string>& Labels() const { return labels_; }
    const std::vector<std::string>& Commands() const { return commands_; }
    CXmlDocument& Document() { return document_; }

private:
    void Reset(const std::string& labelAttribute, unsigned firstId);
    void Build(CXmlElement& element, HMENU menu, int depth);

    CXmlDocument document_;
    std::vector<std::string> labels_;
    std::vector<std::string> commands_;
    std::string labelAttribute_ = kLabelAttribute;
    unsigned firstId_ = kFirstId;
    unsigned nextId_ = kFirstId;
};
