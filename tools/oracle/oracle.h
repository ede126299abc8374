// The window-operations script that runs unchanged against a real Win32 desktop (cross-compiled,
// under Wine) and against the simulated one, printing the same plain text, so the two outputs can
// be compared line by line. The interpreter is plain C++; each desktop supplies a Backend.
#pragma once
#include <iosfwd>
#include <string>
#include <vector>

namespace oracle {

struct Rect {
    long left = 0, top = 0, right = 0, bottom = 0;
};

struct Arrows {
    bool present = false, visible = false;
    Rect rect;   // in the tab control's client coordinates
};

struct Control {
    int id = 0;
    std::string className, text;
    unsigned long style = 0, exStyle = 0;
    Rect rect;   // in the dialog's client coordinates
};

struct DialogInfo {
    Rect client;
    int baseX = 0, baseY = 0;   // MapDialogRect of a 4 x 8 unit rectangle
    std::vector<Control> controls;
};

struct MenuLine {
    int depth = 0;
    unsigned state = 0;   // MF_ flags of GetMenuState, without the item count of a popup
    unsigned id = 0;
    std::string text;
};

// One desktop. Indexes, points and rectangles are in the tab control's client coordinates.
class Backend {
public:
    virtual ~Backend() = default;
    // A new tab control (the previous one destroyed) of the given client size, child of a plain
    // top-level window large enough to hold it.
    virtual bool createTab(unsigned long style, int width, int height) = 0;
    virtual void setStyle(unsigned long style) = 0;
    virtual void setFont(const std::string& face, int pixelHeight) = 0;
    virtual int insert(int at, const std::string& text) = 0;
    virtual bool remove(int index) = 0;
    virtual void removeAll() = 0;
    virtual int select(int index) = 0;   // the previous selection
    virtual void itemSize(int cx, int cy) = 0;
    virtual void padding(int x, int y) = 0;
    virtual void minWidth(int width) = 0;
    virtual void resize(int width, int height) = 0;
    virtual void scrollTo(int position) = 0;    // WM_HSCROLL SB_THUMBPOSITION
    virtual void click(int x, int y) = 0;       // left button down and up
    virtual int count() = 0;
    virtual int selection() = 0;
    virtual int rowCount() = 0;
    virtual bool itemRect(int index, Rect* r) = 0;
    virtual int hitTest(int x, int y) = 0;
    virtual Arrows arrows() = 0;

    // Dialog templates of the resource module: their ids, and one created from its template.
    virtual std::vector<int> dialogIds() = 0;
    virtual bool dialog(int id, DialogInfo* out) = 0;
    // Screenshot of the dialog as the screen shows it (a BMP or PNG file, the backend's choice).
    virtual bool dialogPicture(int id, const std::string& path) = 0;
    virtual std::vector<int> menuIds() = 0;
    virtual bool menu(int id, std::vector<MenuLine>* out) = 0;
};

// Runs a script read from `in`, writing results to `out`; errors in the script are reported as
// "error LINE: ..." lines and the run goes on. Returns the number of errors.
int run(Backend& backend, std::istream& in, std::ostream& out);

// A style given as a number (decimal or 0x hex) or as names joined by '|' (TCS_BOTTOM|WS_VISIBLE).
bool parseStyle(const std::string& text, unsigned long* style);

}  // namespace oracle
