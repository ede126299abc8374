// Fonts and text over Pango. One private font map and context serve every canvas, with fixed
// rendering options (greyscale antialiasing, no hinting, unhinted metrics), so that the same text
// measures and renders the same way every time and golden images stay stable.
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <list>
#include <numbers>
#include <memory>
#include <mutex>
#include <set>
#include <unordered_map>
#include "sim/gfx/canvas.h"
#include "sim/gfx/canvas_impl.h"

namespace sim::gfx {
namespace {

struct Font {
    LOGFONT record;
    PangoFontDescription* desc = nullptr;
    double xScale = 1.0;   // lfWidth against the face's natural average width
    int ascent = 0, descent = 0, aveWidth = 0;
    int ellipsisWidth = -1;
};

struct Text {
    std::mutex mutex;
    PangoFontMap* map = nullptr;
    PangoContext* context = nullptr;
    cairo_font_options_t* options = nullptr;
    std::set<std::string> families;   // lower-case
    std::unordered_map<std::uintptr_t, std::unique_ptr<Font>> fonts;
    std::uintptr_t next = 0xF0010;
};

std::string lower(std::string s) {
    for (char& ch : s) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    return s;
}

Text& text() {
    static Text* t = [] {
        auto* t = new Text;   // never destroyed: fonts may be released during exit
        t->map = pango_cairo_font_map_new();
        t->context = pango_font_map_create_context(t->map);
        t->options = cairo_font_options_create();
        cairo_font_options_set_antialias(t->options, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_style(t->options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(t->options, CAIRO_HINT_METRICS_OFF);
        pango_cairo_context_set_font_options(t->context, t->options);
        pango_cairo_context_set_resolution(t->context, 96);
        PangoFontFamily** list = nullptr;
        int n = 0;
        pango_font_map_list_families(t->map, &list, &n);
        for (int i = 0; i < n; ++i) t->families.insert(lower(pango_font_family_get_name(list[i])));
        g_free(list);
        return t;
    }();
    return *t;
}

// Caller holds the text mutex.
std::string resolveLocked(Text& t, const std::string& face) {
    if (!face.empty() && t.families.count(lower(face))) return face;
    return kStandardFace;
}

// Faces that draw what the chosen face lacks (Hangul, Han, kana), in the order they are tried.
// Named, rather than left to the system's own fallback, so that every machine with the project's
// fonts draws such text alike; a face that is not installed is left out.
constexpr const char* kFallbackFaces[] = {"WenQuanYi Micro Hei"};

// The family list of a font: the face, then the fallback faces.
std::string familyListLocked(Text& t, const std::string& face) {
    std::string list = resolveLocked(t, face);
    for (const char* fallback : kFallbackFaces)
        if (t.families.count(lower(fallback)) && lower(fallback) != lower(list)) list += std::string(",") + fallback;
    return list;
}

Font* findLocked(Text& t, HFONT font) {
    auto it = t.fonts.find(reinterpret_cast<std::uintptr_t>(font));
    return it == t.fonts.end() ? nullptr : it->second.get();
}

void metricsOf(Text& t, const PangoFontDescription* desc, int* ascent, int* descent, int* ave) {
    PangoFontMetrics* m = pango_context_get_metrics(t.context, desc, nullptr);
    *ascent = pango_font_metrics_get_ascent(m);
    *descent = pango_font_metrics_get_descent(m);
    *ave = pango_font_metrics_get_approximate_char_width(m);
    pango_font_metrics_unref(m);
}

PangoLayout* layoutFor(Text& t, const Font& f, std::string_view s) {
    PangoLayout* layout = pango_layout_new(t.context);
    pango_layout_set_font_description(layout, f.desc);
    pango_layout_set_text(layout, s.data(), int(s.size()));
    if (f.record.lfUnderline || f.record.lfStrikeOut) {
        PangoAttrList* attrs = pango_attr_list_new();
        if (f.record.lfUnderline) pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        if (f.record.lfStrikeOut) pango_attr_list_insert(attrs, pango_attr_strikethrough_new(TRUE));
        pango_layout_set_attributes(layout, attrs);
        pango_attr_list_unref(attrs);
    }
    return layout;
}

// Logical width and height in whole pixels (width after the lfWidth stretch).
SIZE extentOf(PangoLayout* layout, const Font& f) {
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    return SIZE{LONG(std::ceil(logical.width * f.xScale / PANGO_SCALE)),
                LONG(std::ceil(double(logical.height) / PANGO_SCALE))};
}

LONG measureLocked(Text& t, const Font& f, std::string_view s) {
    PangoLayout* layout = layoutFor(t, f, s);
    LONG w = extentOf(layout, f).cx;
    g_object_unref(layout);
    return w;
}

constexpr std::string_view kEllipsis = "...";

// The longest cut of a single line that fits `avail` pixels with "..." appended. Cuts are
// taken at word breaks first when `words`, else (or when no word fits) between clusters.
std::string ellipsize(Text& t, Font& f, const std::string& s, int avail, bool words) {
    if (f.ellipsisWidth < 0) f.ellipsisWidth = measureLocked(t, f, kEllipsis);
    PangoLayout* layout = layoutFor(t, f, s);
    // Byte offsets where a cluster starts, with the width of the text before it.
    std::vector<std::pair<int, double>> cuts;
    PangoLayoutIter* it = pango_layout_get_iter(layout);
    do {
        const int index = pango_layout_iter_get_index(it);
        if (index <= 0 || index >= int(s.size())) continue;
        PangoRectangle logical;
        pango_layout_iter_get_cluster_extents(it, nullptr, &logical);
        cuts.emplace_back(index, logical.x * f.xScale / PANGO_SCALE);
    } while (pango_layout_iter_next_cluster(it));
    pango_layout_iter_free(it);
    g_object_unref(layout);
    std::sort(cuts.begin(), cuts.end());
    auto isWordCut = [&](int i) { return s[i] == ' ' || s[i - 1] == '-' || s[i - 1] == '_' || s[i - 1] == '.'; };
    auto trimmed = [&](int i) {
        std::string head = s.substr(0, std::size_t(i));
        while (!head.empty() && head.back() == ' ') head.pop_back();
        return head;
    };
    // Try the candidates from the longest down; the estimate (prefix width plus the width of the
    // ellipsis) is confirmed by measuring the joined text, since kerning may differ slightly.
    for (int pass = words ? 0 : 1; pass < 2; ++pass) {
        for (auto c = cuts.rbegin(); c != cuts.rend(); ++c) {
            if (pass == 0 && !isWordCut(c->first)) continue;
            if (c->second + f.ellipsisWidth > avail + 1) continue;
            std::string head = trimmed(c->first);
            if (head.empty()) continue;
            std::string joined = head + std::string(kEllipsis);
            if (measureLocked(t, f, joined) <= avail) return joined;
        }
    }
    // Not even one character fits with the ellipsis: as many dots as fit.
    for (std::size_t n = kEllipsis.size(); n > 0; --n) {
        std::string dots(n, '.');
        if (measureLocked(t, f, dots) <= avail) return dots;
    }
    return {};
}

// Drops characters at the end of the folder part so that its last component stays whole.
std::string pathEllipsize(Text& t, Font& f, const std::string& s, int avail) {
    const std::size_t slash = s.find_last_of("/\\");
    const std::string tail = slash == std::string::npos ? std::string() : s.substr(slash);
    const std::string head = slash == std::string::npos ? s : s.substr(0, slash);
    // Character boundaries of the head; the longest cut that fits is found by halving, since a
    // longer head is never narrower.
    std::vector<std::size_t> cuts;
    for (std::size_t i = 0; i < head.size(); ++i)
        if ((static_cast<unsigned char>(head[i]) & 0xC0) != 0x80) cuts.push_back(i);
    auto joined = [&](std::size_t n) { return head.substr(0, n) + std::string(kEllipsis) + tail; };
    if (tail.empty() || measureLocked(t, f, joined(0)) > avail) return ellipsize(t, f, joined(0), avail, false);
    std::size_t lo = 0, hi = cuts.size();   // cuts[lo - 1] fits (or nothing of the head); cuts[hi] does not
    while (lo + 1 < hi) {
        const std::size_t mid = (lo + hi) / 2;
        if (measureLocked(t, f, joined(cuts[mid])) <= avail) lo = mid;
        else hi = mid;
    }
    return joined(lo == 0 ? 0 : cuts[lo]);
}

struct Request {
    std::string text;
    int width = 0, height = 0;   // the rectangle
    UINT format = 0;
    COLORREF colour = 0;
    bool halo = false;
    COLORREF haloColour = 0;
    int haloWidth = 0;
};

// Draws a request with the rectangle's top left at the current user origin; returns the text
// height.
int render(Text& t, Font& f, const Request& q, cairo_t* cr) {
    const UINT format = q.format;
    const bool single = format & DT_SINGLELINE;
    const int esc = ((f.record.lfEscapement % 3600) + 3600) % 3600;
    const bool turned = esc % 1800 == 900;
    const int bw = turned ? q.height : q.width, bh = turned ? q.width : q.height;   // box along the text

    std::string s = q.text;
    if (single && (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS)) && measureLocked(t, f, s) > bw)
        s = format & DT_PATH_ELLIPSIS ? pathEllipsize(t, f, s, std::max(0, bw))
                                      : ellipsize(t, f, s, std::max(0, bw), format & DT_WORD_ELLIPSIS);
    PangoLayout* layout = layoutFor(t, f, s);
    if (!single && (format & DT_WORDBREAK) && bw > 0) {
        pango_layout_set_width(layout, int(bw / f.xScale * PANGO_SCALE));
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
        pango_layout_set_alignment(layout, (format & DT_CENTER)  ? PANGO_ALIGN_CENTER
                                           : (format & DT_RIGHT) ? PANGO_ALIGN_RIGHT
                                                                 : PANGO_ALIGN_LEFT);
    }
    const SIZE ext = extentOf(layout, f);
    int x = 0, y = 0;
    const bool wrapped = pango_layout_get_width(layout) > 0;
    if (!wrapped && (format & DT_CENTER)) x = (bw - ext.cx) / 2;
    else if (!wrapped && (format & DT_RIGHT)) x = bw - ext.cx;
    if (single && (format & DT_VCENTER)) y = (bh - ext.cy) / 2;
    else if (single && (format & DT_BOTTOM)) y = bh - ext.cy;

    cairo_save(cr);
    if (!(format & DT_NOCLIP)) {
        cairo_rectangle(cr, 0, 0, std::max(0, q.width), std::max(0, q.height));
        cairo_clip(cr);
    }
    cairo_set_font_options(cr, t.options);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_GRAY);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_translate(cr, q.width / 2.0, q.height / 2.0);
    cairo_rotate(cr, -esc * std::numbers::pi / 1800.0);
    cairo_translate(cr, -bw / 2.0 + x, -bh / 2.0 + y);
    cairo_scale(cr, f.xScale, 1.0);
    if (q.halo && q.haloWidth >= 1) {
        cairo_new_path(cr);
        pango_cairo_layout_path(cr, layout);
        cairo_set_line_width(cr, q.haloWidth / f.xScale);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        setColour(cr, q.haloColour);
        cairo_stroke(cr);
    }
    cairo_move_to(cr, 0, 0);
    setColour(cr, q.colour);
    pango_cairo_show_layout(cr, layout);
    cairo_restore(cr);
    g_object_unref(layout);
    return ext.cy;
}

// Rendered captions, kept so that repainting the same text in the same box is a copy: the tab
// strip repaints the same captions over and over. Keyed by everything that changes the pixels;
// fonts drop their entries when deleted.
struct Rendered {
    cairo_surface_t* image = nullptr;   // ARGB32, the rectangle's size
    int height = 0;
    std::list<std::string>::iterator age;
};

std::string cacheKey(HFONT font, const Request& q) {
    std::string key(reinterpret_cast<const char*>(&font), sizeof font);
    const std::int64_t fields[] = {q.width, q.height, q.format, q.colour, q.halo, q.haloColour, q.haloWidth};
    key.append(reinterpret_cast<const char*>(fields), sizeof fields);
    return key + q.text;
}

struct RenderCache {
    static constexpr std::size_t kMaxBytes = std::size_t(16) << 20;
    std::unordered_map<std::string, Rendered> entries;
    std::list<std::string> ages;   // most recent first
    std::size_t bytes = 0;

    void drop(std::unordered_map<std::string, Rendered>::iterator it) {
        bytes -= std::size_t(cairo_image_surface_get_stride(it->second.image)) *
                 cairo_image_surface_get_height(it->second.image);
        cairo_surface_destroy(it->second.image);
        ages.erase(it->second.age);
        entries.erase(it);
    }
    void dropFont(HFONT font) {
        const std::string prefix(reinterpret_cast<const char*>(&font), sizeof font);
        for (auto it = entries.begin(); it != entries.end();) {
            auto next = std::next(it);
            if (it->first.compare(0, prefix.size(), prefix) == 0) drop(it);
            it = next;
        }
    }
};

RenderCache& cache() {
    static RenderCache* c = new RenderCache;   // guarded by the text mutex
    return *c;
}

int drawText(HDC dc, std::string_view input, RECT* rect, UINT format, HFONT font, COLORREF colour,
             const COLORREF* halo, int haloWidth) {
    if (!rect) return 0;
    Text& t = text();
    std::lock_guard lock(t.mutex);
    Font* f = findLocked(t, font);
    if (!f) return 0;

    Request q;
    q.text.assign(input);
    if (format & DT_SINGLELINE)
        for (char& ch : q.text)
            if (ch == '\r' || ch == '\n') ch = ' ';
    // Boxes beyond any surface are cut to a size that still positions text within reach.
    constexpr long long kMaxBox = 1 << 22;
    q.width = int(std::clamp<long long>(0LL + rect->right - rect->left, -kMaxBox, kMaxBox));
    q.height = int(std::clamp<long long>(0LL + rect->bottom - rect->top, -kMaxBox, kMaxBox));
    q.format = format & ~UINT(DT_NOPREFIX);
    q.colour = colour & 0xFFFFFF;
    q.halo = halo && haloWidth >= 1;
    q.haloColour = q.halo ? (*halo & 0xFFFFFF) : 0;
    q.haloWidth = q.halo ? haloWidth : 0;

    if (format & DT_CALCRECT) {
        PangoLayout* layout = layoutFor(t, *f, q.text);
        const SIZE ext = extentOf(layout, *f);
        g_object_unref(layout);
        const bool turned = ((f->record.lfEscapement % 3600) + 3600) % 1800 == 900;
        rect->right = rect->left + (turned ? ext.cy : ext.cx);
        rect->bottom = rect->top + (turned ? ext.cx : ext.cy);
        return ext.cy;
    }
    Canvas* c = lookup(dc);
    if (!c) return 0;
    RECT shown;
    if (!(format & DT_NOCLIP) && !partOnSurface(*c, *rect, &shown)) {
        PangoLayout* layout = layoutFor(t, *f, q.text);   // nothing shows; only the height counts
        const int h = extentOf(layout, *f).cy;
        g_object_unref(layout);
        return h;
    }

    const bool cacheable = !(format & DT_NOCLIP) && q.width > 0 && q.height > 0 &&
                           std::int64_t(q.width) * q.height <= (1 << 20);
    if (!cacheable) {
        cairo_save(c->cr);
        cairo_translate(c->cr, rect->left, rect->top);
        const int h = render(t, *f, q, c->cr);
        cairo_restore(c->cr);
        return h;
    }
    RenderCache& rc = cache();
    const std::string key = cacheKey(font, q);
    auto it = rc.entries.find(key);
    if (it == rc.entries.end()) {
        Rendered r;
        r.image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, q.width, q.height);
        cairo_t* cr = cairo_create(r.image);
        r.height = render(t, *f, q, cr);
        cairo_destroy(cr);
        cairo_surface_flush(r.image);
        rc.bytes += std::size_t(cairo_image_surface_get_stride(r.image)) * q.height;
        rc.ages.push_front(key);
        r.age = rc.ages.begin();
        it = rc.entries.emplace(key, r).first;
        while (rc.bytes > RenderCache::kMaxBytes && rc.ages.size() > 1) rc.drop(rc.entries.find(rc.ages.back()));
    } else {
        rc.ages.splice(rc.ages.begin(), rc.ages, it->second.age);
    }
    cairo_t* cr = c->cr;
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_set_source_surface(cr, it->second.image, rect->left, rect->top);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cr, rect->left, rect->top, q.width, q.height);
    cairo_fill(cr);
    cairo_restore(cr);
    return it->second.height;
}

}  // namespace

std::string resolvedFamily(const std::string& face) {
    Text& t = text();
    std::lock_guard lock(t.mutex);
    return resolveLocked(t, face);
}

std::size_t liveFontCount() {
    Text& t = text();
    std::lock_guard lock(t.mutex);
    return t.fonts.size();
}

}  // namespace sim::gfx

using sim::gfx::Font;

HFONT CreateFontIndirect(const LOGFONT* record) {
    if (!record) return nullptr;
    auto& t = sim::gfx::text();
    std::lock_guard lock(t.mutex);
    auto f = std::make_unique<Font>();
    f->record = *record;
    f->desc = pango_font_description_new();
    pango_font_description_set_family(f->desc, sim::gfx::familyListLocked(t, record->lfFaceName).c_str());
    const LONG weight = record->lfWeight <= 0 ? FW_NORMAL : std::clamp<LONG>(record->lfWeight, 100, 1000);
    pango_font_description_set_weight(f->desc, PangoWeight(weight));
    pango_font_description_set_style(f->desc, record->lfItalic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    // Character height in pixels; a positive height is a cell height, converted through the
    // face's ascent plus descent.
    double em = 12;
    if (record->lfHeight < 0) em = -double(record->lfHeight);
    if (record->lfHeight > 0) {
        pango_font_description_set_absolute_size(f->desc, 100.0 * PANGO_SCALE);
        int a, d, w;
        sim::gfx::metricsOf(t, f->desc, &a, &d, &w);
        em = a + d > 0 ? record->lfHeight * 100.0 * PANGO_SCALE / (a + d) : record->lfHeight;
    }
    em = std::clamp(em, 1.0, 2000.0);
    pango_font_description_set_absolute_size(f->desc, em * PANGO_SCALE);
    int a, d, w;
    sim::gfx::metricsOf(t, f->desc, &a, &d, &w);
    if (record->lfWidth > 0 && w > 0) f->xScale = std::clamp(record->lfWidth * double(PANGO_SCALE) / w, 0.05, 20.0);
    f->ascent = int(std::lround(double(a) / PANGO_SCALE));
    f->descent = int(std::lround(double(d) / PANGO_SCALE));
    f->aveWidth = int(std::lround(w * f->xScale / PANGO_SCALE));
    std::uintptr_t id = t.next;
    do {
        id += 4;
        if (id > 0xFFFFFFF0u) id = 0xF0014;
    } while (t.fonts.count(id));
    t.next = id;
    t.fonts.emplace(id, std::move(f));
    return reinterpret_cast<HFONT>(id);
}

BOOL DeleteObject(HFONT font) {
    auto& t = sim::gfx::text();
    std::lock_guard lock(t.mutex);
    auto it = t.fonts.find(reinterpret_cast<std::uintptr_t>(font));
    if (it == t.fonts.end()) return FALSE;
    sim::gfx::cache().dropFont(font);
    pango_font_description_free(it->second->desc);
    t.fonts.erase(it);
    return TRUE;
}

int GetObject(HFONT font, LOGFONT* record) {
    auto& t = sim::gfx::text();
    std::lock_guard lock(t.mutex);
    Font* f = sim::gfx::findLocked(t, font);
    if (!f) return 0;
    if (record) *record = f->record;
    return int(sizeof(LOGFONT));
}

BOOL KvGetMessageFont(LOGFONT* record) {
    if (!record) return FALSE;
    *record = LOGFONT{};
    record->lfHeight = -12;
    record->lfWeight = FW_NORMAL;
    record->lfFaceName = "Segoe UI";
    return TRUE;
}

SIZE KvGetTextExtent(HDC, HFONT font, std::string_view s) {
    auto& t = sim::gfx::text();
    std::lock_guard lock(t.mutex);
    Font* f = sim::gfx::findLocked(t, font);
    if (!f) return {};
    PangoLayout* layout = sim::gfx::layoutFor(t, *f, s);
    SIZE size = sim::gfx::extentOf(layout, *f);
    g_object_unref(layout);
    return size;
}

BOOL GetTextMetrics(HDC, HFONT font, TEXTMETRIC* metrics) {
    auto& t = sim::gfx::text();
    std::lock_guard lock(t.mutex);
    Font* f = sim::gfx::findLocked(t, font);
    if (!f || !metrics) return FALSE;
    metrics->tmAscent = f->ascent;
    metrics->tmDescent = f->descent;
    metrics->tmHeight = f->ascent + f->descent;
    metrics->tmAveCharWidth = f->aveWidth;
    return TRUE;
}

int DrawText(HDC dc, std::string_view text, RECT* rect, UINT format, HFONT font, COLORREF colour) {
    return sim::gfx::drawText(dc, text, rect, format, font, colour, nullptr, 0);
}

int KvDrawTextHalo(HDC dc, std::string_view text, RECT* rect, UINT format, HFONT font, COLORREF colour,
                   COLORREF haloColour, int haloWidth) {
    return sim::gfx::drawText(dc, text, rect, format, font, colour, &haloColour, haloWidth);
}
