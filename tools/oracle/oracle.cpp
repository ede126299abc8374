// The script interpreter shared by both desktops: parsing, the random sequences and the output
// format. Nothing here knows which desktop it talks to.
#include "oracle.h"

#include <cstdint>
#include <istream>
#include <ostream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace oracle {
namespace {

struct Named {
    const char* name;
    unsigned long value;
};
// Win32 values; only what the scripts name.
constexpr Named kStyles[] = {
    {"WS_CHILD", 0x40000000}, {"WS_VISIBLE", 0x10000000}, {"WS_CLIPSIBLINGS", 0x04000000},
    {"TCS_BOTTOM", 0x0002}, {"TCS_RIGHT", 0x0002}, {"TCS_VERTICAL", 0x0080}, {"TCS_MULTILINE", 0x0200},
    {"TCS_FIXEDWIDTH", 0x0400}, {"TCS_OWNERDRAWFIXED", 0x2000}, {"TCS_TOOLTIPS", 0x4000},
    {"TCS_FOCUSNEVER", 0x8000},
};
constexpr unsigned long kVertical = 0x0080;

std::string hex(unsigned long v) {
    std::ostringstream s;
    s << "0x" << std::hex << v;
    return s.str();
}

std::ostream& operator<<(std::ostream& o, const Rect& r) {
    return o << r.left << ' ' << r.top << ' ' << r.right << ' ' << r.bottom;
}

std::string quoted(const std::string& text) {
    std::string q = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') q += '\\';
        q += c;
    }
    return q + "\"";
}

// Splits a line into words; double quotes group words ("DejaVu Sans").
std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        if (i >= line.size() || line[i] == '#') break;
        std::string w;
        if (line[i] == '"') {
            for (++i; i < line.size() && line[i] != '"'; ++i) w += line[i];
            ++i;
        } else {
            for (; i < line.size() && line[i] != ' ' && line[i] != '\t'; ++i) w += line[i];
        }
        out.push_back(w);
    }
    return out;
}

int number(const std::string& s) {
    size_t used = 0;
    const long v = std::stol(s, &used, 0);
    if (used != s.size() || v < -1000000 || v > 1000000) throw std::invalid_argument("'" + s + "' is no number");
    return int(v);
}

class Interpreter {
public:
    Interpreter(Backend& b, std::ostream& o) : b_(b), out_(o) {}

    void line(const std::vector<std::string>& w) {
        const std::string& v = w[0];
        auto need = [&](size_t n, const char* usage) {
            if (w.size() != n + 1) throw std::invalid_argument(std::string("usage: ") + usage);
        };
        auto arg = [&](size_t i) { return number(w[i]); };
        if (v == "case") {
            std::string name;
            for (size_t i = 1; i < w.size(); ++i) name += (i > 1 ? " " : "") + w[i];
            out_ << "case " << name << '\n';
        } else if (v == "tab") {
            need(3, "tab STYLE WIDTH HEIGHT");
            style_ = styleArg(w[1]);
            out_ << "tab " << hex(style_) << ' ' << arg(2) << ' ' << arg(3) << '\n';
            width_ = arg(2);
            height_ = arg(3);
            if (!b_.createTab(style_, arg(2), arg(3))) throw std::runtime_error("no tab control");
            model_ = 0;
        } else if (v == "style") {
            need(1, "style STYLE");
            style_ = styleArg(w[1]);
            out_ << "style " << hex(style_) << '\n';
            b_.setStyle(style_);
        } else if (v == "font") {
            need(2, "font FACE PIXELS");
            b_.setFont(w[1], arg(2));
        } else if (v == "insert") {
            need(2, "insert AT TEXT");
            out_ << "insert " << arg(1) << " = " << b_.insert(arg(1), w[2]) << '\n';
            ++model_;
        } else if (v == "add") {
            if (w.size() < 2 || w.size() > 3) throw std::invalid_argument("usage: add N [PREFIX]");
            const std::string prefix = w.size() == 3 ? w[2] : "Tab";
            for (int i = 0, n = arg(1); i < n; ++i, ++model_) b_.insert(model_, prefix + std::to_string(model_));
        } else if (v == "delete") {
            need(1, "delete INDEX");
            out_ << "delete " << arg(1) << " = " << (b_.remove(arg(1)) ? "yes" : "no") << '\n';
            if (model_ > 0) --model_;
        } else if (v == "clear") {
            b_.removeAll();
            model_ = 0;
        } else if (v == "select") {
            need(1, "select INDEX");
            out_ << "select " << arg(1) << " = " << b_.select(arg(1)) << '\n';
        } else if (v == "itemsize") {
            need(2, "itemsize CX CY");
            b_.itemSize(arg(1), arg(2));
        } else if (v == "padding") {
            need(2, "padding X Y");
            b_.padding(arg(1), arg(2));
        } else if (v == "minwidth") {
            need(1, "minwidth WIDTH");
            out_ << "minwidth " << arg(1) << '\n';
            b_.minWidth(arg(1));
        } else if (v == "size") {
            need(2, "size WIDTH HEIGHT");
            width_ = arg(1);
            height_ = arg(2);
            b_.resize(arg(1), arg(2));
        } else if (v == "scroll") {
            need(1, "scroll POSITION");
            b_.scrollTo(arg(1));
        } else if (v == "click") {
            need(2, "click X Y");
            b_.click(arg(1), arg(2));
        } else if (v == "clicktab") {
            // A click on the centre of a tab, wherever each desktop puts it, when a user could
            // click there: inside the control and not on its arrows.
            need(1, "clicktab INDEX");
            Rect r;
            if (b_.itemRect(arg(1), &r)) {
                const long x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
                const Arrows a = b_.arrows();
                const bool onArrows = a.visible && x >= a.rect.left && x < a.rect.right && y >= a.rect.top && y < a.rect.bottom;
                if (x >= 0 && y >= 0 && x < width_ && y < height_ && !onArrows) b_.click(int(x), int(y));
            }
        } else if (v == "hit") {
            need(2, "hit X Y");
            out_ << "hit " << arg(1) << ' ' << arg(2) << " = " << b_.hitTest(arg(1), arg(2)) << '\n';
        } else if (v == "show") {
            show();
        } else if (v == "random") {
            need(2, "random SEED STEPS");
            random(std::uint32_t(arg(1)), arg(2));
        } else if (v == "dialogs") {
            for (int id : b_.dialogIds()) dialog(id);
        } else if (v == "dialog") {
            need(1, "dialog ID");
            dialog(arg(1));
        } else if (v == "picture") {
            need(2, "picture DIALOG-ID FILE");
            if (!b_.dialogPicture(arg(1), w[2])) throw std::runtime_error("no picture of dialog " + w[1]);
        } else if (v == "menus") {
            for (int id : b_.menuIds()) menu(id);
        } else {
            throw std::invalid_argument("unknown command '" + v + "'");
        }
    }

private:
    static unsigned long styleArg(const std::string& s) {
        unsigned long style = 0;
        if (!parseStyle(s, &style)) throw std::invalid_argument("'" + s + "' is no style");
        return style;
    }

    // Count, selection, rows, the arrows, every tab's rectangle and what a click on its centre hits.
    void show() {
        const int n = b_.count();
        out_ << "count " << n << " sel " << b_.selection() << " rows " << b_.rowCount();
        std::vector<Rect> rects(size_t(n > 0 ? n : 0));
        for (int i = 0; i < n; ++i) b_.itemRect(i, &rects[size_t(i)]);
        if (!(style_ & kVertical)) {
            // The scroll position: the first tab shown (tabs scrolled off report an empty or a
            // negative rectangle).
            int first = 0;
            for (int i = 0; i < n; ++i)
                if (rects[size_t(i)].right > 0 && rects[size_t(i)].right > rects[size_t(i)].left) {
                    first = i;
                    break;
                }
            out_ << " first " << first;
        }
        out_ << '\n';
        const Arrows a = b_.arrows();
        out_ << "arrows " << (!a.present ? "none" : a.visible ? "visible" : "hidden");
        if (a.present && a.visible) out_ << ' ' << a.rect;
        out_ << '\n';
        for (int i = 0; i < n; ++i) {
            const Rect& r = rects[size_t(i)];
            out_ << "item " << i << ' ' << r << " hit " << b_.hitTest(int((r.left + r.right) / 2), int((r.top + r.bottom) / 2))
                 << '\n';
        }
    }

    // Operations drawn from a seeded generator (clicks go to a tab's centre, so that they pick the same
    // tab on desktops that place tabs differently); the generator's raw output only, so both desktops
    // (and every standard library) draw the same sequence.
    void random(std::uint32_t seed, int steps) {
        std::mt19937 gen(seed);
        auto pick = [&](int n) { return n <= 0 ? 0 : int(gen() % std::uint32_t(n)); };
        int width = 400, height = 200;
        for (int s = 0; s < steps; ++s) {
            std::ostringstream op;
            const int kind = pick(100);
            if (kind < 35 || model_ == 0) {
                op << "insert " << pick(model_ + 1) << " R" << s;
            } else if (kind < 50) {
                op << "delete " << pick(model_);
            } else if (kind < 75) {
                op << "select " << pick(model_);
            } else if (kind < 85) {
                width = 60 + pick(600);
                height = 40 + pick(400);
                op << "size " << width << ' ' << height;
            } else {
                op << "clicktab " << pick(model_);
            }
            out_ << "step " << s << ": " << op.str() << '\n';
            line(words(op.str()));
            show();
        }
    }

    void dialog(int id) {
        DialogInfo d;
        if (!b_.dialog(id, &d)) {
            out_ << "dialog " << id << " none\n";
            return;
        }
        out_ << "dialog " << id << " client " << d.client << " base " << d.baseX << ' ' << d.baseY << '\n';
        for (const Control& c : d.controls)
            out_ << "control " << c.id << ' ' << c.className << ' ' << hex(c.style) << ' ' << hex(c.exStyle) << ' '
                 << c.rect << ' ' << quoted(c.text) << '\n';
    }

    void menu(int id) {
        std::vector<MenuLine> lines;
        if (!b_.menu(id, &lines)) {
            out_ << "menu " << id << " none\n";
            return;
        }
        out_ << "menu " << id << '\n';
        for (const MenuLine& m : lines)
            out_ << "entry " << std::string(size_t(m.depth) * 2, ' ') << hex(m.state) << ' ' << m.id << ' ' << quoted(m.text)
                 << '\n';
    }

    Backend& b_;
    std::ostream& out_;
    unsigned long style_ = 0;
    int model_ = 0;   // the number of tabs the script believes there are (random sequences)
    int width_ = 0, height_ = 0;   // the control's size
};

}  // namespace

bool parseStyle(const std::string& text, unsigned long* style) {
    unsigned long v = 0;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t bar = text.find('|', start);
        const std::string part = text.substr(start, bar == std::string::npos ? std::string::npos : bar - start);
        bool found = false;
        for (const Named& n : kStyles)
            if (part == n.name) {
                v |= n.value;
                found = true;
            }
        if (!found) {
            try {
                size_t used = 0;
                const unsigned long x = std::stoul(part, &used, 0);
                if (used != part.size()) return false;
                v |= x;
            } catch (const std::exception&) {
                return false;
            }
        }
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    *style = v;
    return true;
}

int run(Backend& backend, std::istream& in, std::ostream& out) {
    Interpreter interp(backend, out);
    std::string text;
    int lineNo = 0, errors = 0;
    while (std::getline(in, text)) {
        ++lineNo;
        if (!text.empty() && text.back() == '\r') text.pop_back();
        const auto w = words(text);
        if (w.empty()) continue;
        try {
            interp.line(w);
        } catch (const std::exception& e) {
            out << "error " << lineNo << ": " << e.what() << '\n';
            ++errors;
        }
    }
    out.flush();
    return errors;
}

}  // namespace oracle
