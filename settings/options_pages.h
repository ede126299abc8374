// The pages of the options dialog: child dialogs that show part of the dialog's copy of the
// settings and store it back when the dialog is confirmed.
#pragma once
#include <memory>
#include <string>
#include <vector>
#include "settings/options.h"
#include "win/controls.h"
#include "win/tabctrl.h"

// What every page shares with the frame while the dialog is open.
struct OptionsPageContext {
    COptionsValues* values = nullptr;
    // Working copies of the favourites and templates lists; stored only on OK, when edited.
    std::vector<std::string>* favourites = nullptr;
    std::vector<std::string>* templates = nullptr;
    bool* listsEdited = nullptr;
    // The language chosen on the Language page, and the languages it offers.
    std::string* language = nullptr;
    std::vector<std::string> languages;
    HWND frame = nullptr;
    KvSettingsApplied* strip = nullptr;
    KvCustomColours* customColours = nullptr;
};

// AcUiPrefsSubDlg: one page. Controls bound to settings are filled when the page is made and read
// back by Store; a page adds its own behaviour in the virtual hooks.
class AcUiPrefsSubDlg {
public:
    explicit AcUiPrefsSubDlg(int templateId) : template_(templateId) {}
    virtual ~AcUiPrefsSubDlg() = default;
    AcUiPrefsSubDlg(const AcUiPrefsSubDlg&) = delete;
    AcUiPrefsSubDlg& operator=(const AcUiPrefsSubDlg&) = delete;

    // Makes the page (hidden) inside the frame.
    bool Create(HWND frame, OptionsPageContext& context);
    HWND GetSafeHwnd() const { return hwnd_; }
    // Controls into the copy; false when the page refuses its input (it has told the user why).
    bool Store();
    void Cancel() { OnCancelPage(); }

protected:
    virtual void OnInit() {}
    virtual bool OnStore() { return true; }
    virtual void OnCancelPage() {}
    virtual bool OnCommand(int /*id*/, int /*code*/) { return false; }
    virtual void OnNotify(const NMHDR& /*hdr*/, LPARAM /*lp*/) {}
    virtual bool OnDrawItem(const DRAWITEMSTRUCT& /*dis*/) { return false; }

    // A check box holding a flag, an edit box holding a number as decimal text or a text.
    void BindCheck(int control, SettingId id) { bindings_.push_back({Kind::Check, control, id}); }
    void BindNumber(int control, SettingId id) { bindings_.push_back({Kind::Number, control, id}); }
    void BindText(int control, SettingId id) { bindings_.push_back({Kind::Text, control, id}); }
    // A drop-down list whose selected index is the number.
    void BindIndex(int control, SettingId id) { bindings_.push_back({Kind::Index, control, id}); }

    bool Checked(int control) const;
    void Check(int control, bool on);
    void Enable(int control, bool on);
    std::string Text(int control) const;
    void SetText(int control, const std::string& text);
    HWND Item(int control) const { return GetDlgItem(hwnd_, control); }
    COptionsValues& V() { return *context_->values; }
    OptionsPageContext& Context() { return *context_; }

    HWND hwnd_ = nullptr;

private:
    enum class Kind { Check, Number, Text, Index };
    struct Binding {
        Kind kind;
        int control;
        SettingId id;
    };
    INT_PTR proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp);

    int template_;
    OptionsPageContext* context_ = nullptr;
    std::vector<Binding> bindings_;
};

// The 18 pages in tree order.
std::vector<std::unique_ptr<AcUiPrefsSubDlg>> KvMakeOptionsPages();
