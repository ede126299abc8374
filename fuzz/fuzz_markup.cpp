// The XML store on arbitrary documents: parsing and every cursor and edit operation must be safe;
// for a document that parses, writing one item the way the settings do must read back as written,
// reparse, and leave every byte outside the item as it was.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "settings/markup.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

struct Write {
    const char* key;
    const char* type;
    const char* value;
};
constexpr Write kWrites[] = {
    {"Menu Y-position", "numeric", "500"}, {"Log path", "string", ""},
    {"Save Before script", "string", "a & <b> \"c\" 'd' ]]> &amp;"}, {"k\"'<&>", "string", "\r\n"},
    {"Item", "numeric", "-7"}, {"", "string", "x"},
};

// Returns the item's span before the edit when it existed.
bool WriteItem(CMarkupSTL& d, const Write& w, std::pair<std::size_t, std::size_t>* span, bool* textSet) {
    d.ResetPosition();
    if (!d.FindElement()) d.AddElement("Korvane");
    if (!d.FindChildElement("config")) d.AddChildElement("config");
    d.EnterElement();
    bool found = false;
    while (d.FindChildElement("Item")) {
        if (d.GetChildAttribute("name") == w.key) {
            found = true;
            break;
        }
    }
    if (found) *span = d.GetChildSpan();
    if (!found) d.AddChildElement("Item", w.value);
    d.SetChildAttribute("name", w.key);
    d.SetChildAttribute("type", w.type);
    *textSet = found ? d.SetChildText(w.value) : true;
    return found;
}

bool ReadItem(CMarkupSTL& d, const Write& w, std::string* type, std::string* text) {
    d.ResetPosition();
    if (!d.FindElement() || !d.FindChildElement("config")) return false;
    d.EnterElement();
    while (d.FindChildElement("Item")) {
        if (d.GetChildAttribute("name") == w.key) {
            *type = d.GetChildAttribute("type");
            *text = d.GetChildText();
            return true;
        }
    }
    return false;
}

// Cursor and edit operations in an order the input chooses.
void Wander(CMarkupSTL& d, std::string_view script) {
    for (char c : script.substr(0, 64)) {
        switch (static_cast<unsigned char>(c) % 12) {
        case 0: d.ResetPosition(); break;
        case 1: d.FindElement(); break;
        case 2: d.FindChildElement(); break;
        case 3: d.EnterElement(); break;
        case 4: d.LeaveElement(); break;
        case 5: d.AddElement("e", "t<"); break;
        case 6: d.AddChildElement("c"); break;
        case 7: d.InsertChildElement("i", "&"); break;
        case 8: d.SetChildAttribute("a", "'\""); break;
        case 9: d.SetChildText("x>y"); break;
        case 10: (void)d.GetChildText(), (void)d.GetChildAttribute("a"); break;
        case 11: d.SavePosition("p"), d.RestorePosition("p"); break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const Write& w = kWrites[data[0] % (sizeof kWrites / sizeof kWrites[0])];
    const bool wander = data[1] & 1;
    const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);

    CMarkupSTL doc;
    if (!doc.SetDocument(text)) {
        if (wander) Wander(doc, text);
        return 0;
    }
    if (wander) {
        Wander(doc, text);
        CMarkupSTL again;
        Check(again.SetDocument(doc.GetDocument()));
        return 0;
    }

    const std::string before = doc.GetDocument();
    std::pair<std::size_t, std::size_t> span{0, 0};
    bool textSet = true;
    const bool found = WriteItem(doc, w, &span, &textSet);
    const std::string& after = doc.GetDocument();

    CMarkupSTL reread;
    Check(reread.SetDocument(after));
    std::string type, value;
    Check(ReadItem(reread, w, &type, &value));
    Check(type == w.type);
    if (textSet) Check(value == w.value);

    if (found) {
        // Only the item's own bytes changed.
        const std::size_t tail = before.size() - span.second;
        Check(after.compare(0, span.first, before, 0, span.first) == 0);
        Check(after.size() >= tail && after.compare(after.size() - tail, tail, before, span.second, tail) == 0);
    }
    return 0;
}
