// Names in Korean, Greek and with accents, as the bar, a tab's tooltip and the switcher draw them:
// no character may come out as a box. Golden pictures tests/golden/scripts_*.png
// (KV_UPDATE_GOLDEN=1 renews them).
#include "gfx/font.h"
#include "golden/golden.h"
#include "hosting/switcher.h"
#include "res/resource.h"
#include "sim/desk/windows.h"
#include "sim/host/dwgfile.h"
#include "support/plugin_fixture.h"
#include "tabstrip/fileinfo.h"
#include "hosting/features.h"
#include "uikit/markup.h"
#include "win/dialog.h"
#include "win/system.h"

namespace {

class EveryScript : public kvtest::PluginFixture {
protected:
    std::string summarised(const std::string& name, const AcDbSummaryInfo& summary) {
        sim::dwg::Drawing d;
        d.summary = summary;
        d.lines = {{{0, 0, 0}, {40, 20, 0}}, {{0, 20, 0}, {40, 0, 0}}};
        d.extents = sim::dwg::extentsOf(d.lines);
        std::string err;
        EXPECT_TRUE(sim::dwg::writeDrawingFile(machine.drawings + name, d, sim::dwg::Release::R2013,
                                               sim::dwg::Kind::Dwg, &err))
            << err;
        return machine.drawings + name;
    }
};

TEST_F(EveryScript, KoreanGreekAndAccentedNamesOnTheBarInTheTooltipAndInTheSwitcher) {
    AcDbSummaryInfo summary;
    summary.title = "설계도 1층 평면";
    summary.author = "Σοφία Παπαδοπούλου";
    summary.comments = "Façade révisée, Übersicht";
    summary.custom = {{"검토자", "Ελένη"}};
    ASSERT_TRUE(sim::host::openDrawing(summarised("설계도 1층.dwg", summary)));
    ASSERT_TRUE(sim::host::openDrawing(drawing("Σχέδιο ορόφου.dwg")));
    ASSERT_TRUE(sim::host::openDrawing(drawing("Café Müller façade.dwg")));
    start();
    // A link tab: its path is the same on every machine, and long enough to be shortened.
    KvTabPanel().InsertLinkDrawing("/Projekte/Überbauung Nord/Ebene 2/Sektor Ost/평면도 지하 2층.dwg");
    sim::desk::WindowManager::get().pump();

    HDC bar = sim::desk::renderWindow(KvTabPanel().TabCtrl().GetSafeHwnd());
    EXPECT_TRUE(kvtest::matchesGolden(bar, "scripts_bar"));
    DeleteDC(bar);

    // The Korean drawing's tooltip, shown under a path that does not depend on the machine.
    const CItemData* korean = KvTabPanel().GetItem(0);
    ASSERT_NE(korean, nullptr);
    ASSERT_EQ(korean->displayName, "설계도 1층.dwg");
    CItemData shown;
    shown.SetPathName("/Projekte/설계도 1층.dwg");
    shown.description = korean->description;
    shown.thumbnail = korean->thumbnail;
    kvui::MarkupStyle style;
    KvGetMessageFont(&style.font);
    kvui::MarkupLayout layout(KvTooltipMarkup(shown, 0, 4, true, true), style);
    shown.thumbnail = nullptr;   // the tab's own
    const SIZE size = kvui::CKvTooltip::Measure(layout);
    HDC tip = KvCreateBufferDC(nullptr, size.cx, size.cy);
    kvui::CKvTooltip::PaintTip(tip, layout, size);
    EXPECT_TRUE(kvtest::matchesGolden(tip, "scripts_tooltip"));
    DeleteDC(tip);

    // The switcher, moved on to the link tab: its path keeps the file name.
    AcKvUiTabCtrlDialog& switcher = *KvSwitcher();
    switcher.Open(false);
    ASSERT_EQ(switcher.HighlightedIndex(), 3);
    HWND dialog = switcher.GetSafeHwnd();
    SetDlgItemText(dialog, IDC_SWITCHER_STATUS, "4 Item(s)");   // the machine's memory varies
    HDC shot = sim::desk::renderWindow(dialog);
    EXPECT_TRUE(kvtest::matchesGolden(shot, "scripts_switcher"));
    DeleteDC(shot);
    shot = sim::desk::renderWindow(GetDlgItem(dialog, IDC_SWITCHER_PATH));   // the path alone, closer
    EXPECT_TRUE(kvtest::matchesGolden(shot, "scripts_switcher_path"));
    DeleteDC(shot);
    ShowWindow(dialog, SW_HIDE);
}

}  // namespace
