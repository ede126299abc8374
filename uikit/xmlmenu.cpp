#include "uikit/xmlmenu.h"

#include <stdexcept>
#include "arx/docman.h"
#include "core/files.h"
#include "core/text.h"

namespace {

std::string trimmed(std::string_view s) {
    constexpr std::string_view blanks = " \t\r\n\v\f";
    const size_t first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return std::string(s.substr(first, s.find_last_not_of(blanks) - first + 1));
}

}   // namespace

// ---- CXmlElement ------------------------------------------------------------------------------

CXmlElement::~CXmlElement() { DeleteChildren(); }

void CXmlElement::DeleteChildren() {
    // Detach every descendant into one flat list before destroying it, so that no destructor
    // ever recurses (a file of a million nested tags must not exhaust the stack).
    std::vector<std::unique_ptr<CXmlElement>> pending = std::move(children_);
    children_.clear();
    cursor_ = 0;
    while (!pending.empty()) {
        std::unique_ptr<CXmlElement> node = std::move(pending.back());
        pending.pop_back();
        for (auto& child : node->children_) pending.push_back(std::move(child));
        node->children_.clear();
    }
}

// ---- CXmlDocument -----------------------------------------------------------------------------

bool CXmlDocument::Load(const std::string& path) {
    try {
        const std::optional<std::string> bytes = ReadFileBytes(path);
        if (!bytes) return false;
        Parse(*bytes);
        return true;
    } catch (...) {
        return false;
    }
}

void CXmlDocument::Parse(std::string_view bytes) {
    // The text ends at the first zero byte; line breaks and tabs vanish, values included.
    bytes = bytes.substr(0, bytes.find('\0'));
    source_.clear();
    source_.reserve(bytes.size());
    for (char c : bytes)
        if (c != '\n' && c != '\r' && c != '\t') source_ += c;

    root_.DeleteChildren();
    root_.name_.clear();
    root_.attributes_.clear();
    root_.text_.clear();
    current_ = &root_;

    std::string tag, content;
    bool inTag = false;
    for (char c : source_) {
        if (c == '<') {
            tag += c;
            current_->text_ = trimmed(content);
            content.clear();
            inTag = true;
        } else if (c == '>') {
            tag += c;
            ClassifyTag(tag);
            tag.clear();
            inTag = false;
        } else if (inTag) {
            tag += c;
        } else {
            content += c;
        }
    }
}

void CXmlDocument::ClassifyTag(const std::string& tag) {
    // Declarations, comments and processing instructions are ignored; such a tag ends at the first
    // ">", so it must not hold one itself.
    if (tag.size() > 1 && (tag[1] == '!' || tag[1] == '?')) return;

    bool closing = false, empty = false;
    std::string content;
    for (size_t i = 0; i < tag.size(); ++i) {
        const char c = tag[i];
        const char prev = i > 0 ? tag[i - 1] : '\0';
        const char next = i + 1 < tag.size() ? tag[i + 1] : '\0';
        if (c == '<' || c == '>') continue;
        if (c == '/' && prev == '<') {
            closing = true;
            continue;
        }
        if (c == '/' && next == '>') {
            empty = true;
            continue;
        }
        content += c;
    }

    if (!closing) {
        const size_t blank = content.find(' ');
        std::string name = content.substr(0, blank);
        std::string attributes = blank == std::string::npos ? std::string() : trimmed(content.substr(blank + 1));
        if (root_.name_.empty()) {
            root_.name_ = std::move(name);
            root_.attributes_ = std::move(attributes);
        } else {
            auto element = std::make_unique<CXmlElement>();
            element->name_ = std::move(name);
            element->attributes_ = std::move(attributes);
            element->parent_ = current_;
            CXmlElement* raw = element.get();
            current_->children_.push_back(std::move(element));
            current_ = raw;
        }
    }
    // The closing tag's name is not compared: an unmatched one climbs one level all the same.
    if ((closing || empty) && current_->parent_) current_ = current_->parent_;
}

CXmlElement* CXmlDocument::GetFirstChild(CXmlElement& element) {
    element.cursor_ = 0;
    return GetNextChild(element);
}

CXmlElement* CXmlDocument::GetNextChild(CXmlElement& element) {
    if (element.cursor_ >= element.children_.size()) return nullptr;
    return element.children_[element.cursor_++].get();
}

std::string CXmlDocument::GetAttribute(const CXmlElement& element, std::string_view name) {
    // The attribute text is kept raw: find `name=` where it starts a word outside any quoted
    // value, so that neither a longer name ending in the same letters ("nickname=") nor a value
    // that happens to contain the text stands in for the attribute.
    const std::string& text = element.attributes_;
    if (name.empty()) return {};
    char quote = '\0';
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote) {
            if (c == quote) quote = '\0';
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
            continue;
        }
        const bool wordStart = i == 0 || text[i - 1] == ' ';
        if (!wordStart || text.compare(i, name.size(), name) != 0 || i + name.size() >= text.size() ||
            text[i + name.size()] != '=')
            continue;
        size_t start = i + name.size() + 1;
        if (start >= text.size()) return {};
        char close = text[start];
        if (close == '"' || close == '\'') {
            ++start;
        } else {
            close = ' ';   // unquoted: up to the next blank
        }
        const size_t end = text.find(close, start);
        return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    }
    return {};
}

// ---- CXmlMenu ---------------------------------------------------------------------------------

void CXmlMenu::Reset(const std::string& labelAttribute, unsigned firstId) {
    labels_.clear();
    commands_.clear();
    labelAttribute_ = labelAttribute;
    firstId_ = nextId_ = firstId;
}

bool CXmlMenu::Load(HMENU target, const std::string& path, const std::string& labelAttribute, unsigned firstId) {
    Reset(labelAttribute, firstId);
    if (!document_.Load(path)) return false;
    Build(document_.Root(), target, 1);
    return true;
}

void CXmlMenu::LoadText(HMENU target, std::string_view bytes, const std::string& labelAttribute, unsigned firstId) {
    Reset(labelAttribute, firstId);
    document_.Parse(bytes);
    Build(document_.Root(), target, 1);
}

void CXmlMenu::Build(CXmlElement& element, HMENU menu, int depth) {
    for (CXmlElement* child = document_.GetFirstChild(element); child; child = document_.GetNextChild(element)) {
        std::string label = CXmlDocument::GetAttribute(*child, labelAttribute_);
        if (label.empty()) label = child->Name();
        if (child->ChildCount() > 0) {
            if (depth >= kMaxDepth) continue;
            HMENU popup = CreatePopupMenu();
            AppendMenu(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), label);
            Build(*child, popup, depth + 1);
            continue;
        }
        if (EqualsNoCase(label, "[--]")) AppendMenu(menu, MF_SEPARATOR, 0, "");
        else AppendMenu(menu, MF_STRING, nextId_, label);
        labels_.push_back(std::move(label));
        commands_.push_back(child->Text());
        ++nextId_;
    }
}

bool CXmlMenu::Holds(unsigned id) const { return id >= firstId_ && id - firstId_ < commands_.size(); }

void CXmlMenu::Run(unsigned id) const {
    if (!Holds(id)) throw std::invalid_argument("no menu entry with id " + std::to_string(id));
    AcApDocument* doc = acDocManager->curDocument();
    if (!doc) return;
    acDocManager->sendStringToExecute(doc, commands_[id - firstId_] + "\n", false, false, true);
}
