#include "app/about_window.h"

#include "app/jpeg_image.h"
#include "base/error.h"
#include "editing/list_file.h"
#include "store/tree.h"

namespace zelt::app {

namespace {

constexpr const char* kPanel = "TForm4.Panel1";
// The picture with the three title lines beside it, above the other lines, so that the window
// keeps its 334 by 322.
constexpr const char* kTopPanel = "TForm4.Panel4";
constexpr const char* kPicturePanel = "TForm4.Panel2";
constexpr const char* kTitlePanel = "TForm4.Panel3";
constexpr int kTitleLines = 3;

struct LabelDef {
    const char* name;
    const char* caption;
    long colour;
};

// Top to bottom as the window shows them.
const LabelDef kLabels[] = {
    {"TForm4.Label1", "Банк данных", AboutWindow::kGreyColour},
    {"TForm4.Label2", "несовершеннолетних и семей", AboutWindow::kGreyColour},
    {"TForm4.Label3", "на учёте комиссии", AboutWindow::kGreyColour},
    {"TForm4.Label4", "Комиссия по делам несовершеннолетних", -1},
    {"TForm4.Label5", "и защите их прав", -1},
    {"TForm4.Label6", "Собственник программы:", -1},
    {AboutWindow::kOwnerLabel, AboutWindow::kOwnerDesignText, -1},
    {"TForm4.Label8", "Разработчик и программист", -1},
    {AboutWindow::kAdminLabel, ":  ", AboutWindow::kGreyColour},
    {"TForm4.Label9", "Группа разработки банка данных", -1},
    {AboutWindow::kMailLabel, "zelt@example.org", AboutWindow::kLinkColour},
    {AboutWindow::kSiteLabel, "Сайт с обновлениями программы", AboutWindow::kLinkColour},
    {AboutWindow::kForumLabel, "Форум с вопросами о программе", AboutWindow::kLinkColour},
};

struct LinkDef {
    const char* label;
    const char* url;
};

const LinkDef kLinks[] = {
    {AboutWindow::kMailLabel, "mailto:zelt@example.org"},
    {AboutWindow::kSiteLabel, "https://example.org/zelt/updates"},
    {AboutWindow::kForumLabel, "https://example.org/zelt/forum"},
};

}  // namespace

AboutWindow::AboutWindow(FormModel& model, UiServices& ui, const std::filesystem::path& dataDir)
    : model_(model), ui_(ui), dataDir_(dataDir) {
    Control& form = model_.get(kForm);
    form.width = 334;
    form.height = 322;
    model_.changed(form);

    model_.add(kPanel, ControlKind::Panel, kForm);  // raised bevel
    model_.add(kTopPanel, ControlKind::Panel, kPanel);
    model_.add(kPicturePanel, ControlKind::Panel, kTopPanel);
    model_.add(kTitlePanel, ControlKind::Panel, kTopPanel);

    Control& image = model_.add(kImage, ControlKind::Image, kPicturePanel);
    try {
        const RgbImage& picture = aboutPicture();
        image.width = picture.width;
        image.height = picture.height;
    } catch (const EngineError&) {
        // The window shows an empty frame rather than not open.
    }

    int line = 0;
    for (const LabelDef& d : kLabels) {
        const char* place = line++ < kTitleLines ? kTitlePanel : kPanel;
        model_.add(d.name, ControlKind::Label, place, d.caption).color = d.colour;
    }

    for (const LinkDef& l : kLinks) {
        const std::string name = l.label;
        const std::string url = l.url;
        model_.on(name, "MouseEnter", [this, name](const EventArgs&) {
            Control& c = model_.get(name);
            c.color = kHoverColour;
            model_.changed(c);
        });
        model_.on(name, "MouseLeave", [this, name](const EventArgs&) {
            Control& c = model_.get(name);
            c.color = kLinkColour;
            model_.changed(c);
        });
        model_.on(name, "Click", [this, url](const EventArgs&) { ui_.openUrl(url); });
    }

    // Not modal: the Administrator window works beside the main window.
    model_.on(kAdminLabel, "DblClick", [this](const EventArgs&) {
        model_.setVisible("TForm6", true);
        ui_.showWindow("TForm6", false);
    });
}

void AboutWindow::formCreate() {
    std::string owner;
    try {
        owner = editing::firstLine(store::resolvePath(dataDir_, kRegionFile));
    } catch (const EngineError&) {
        return;  // the design text stays
    }
    model_.setCaption(kOwnerLabel, owner);
}

std::string AboutWindow::linkOf(const std::string& label) {
    for (const LinkDef& l : kLinks)
        if (label == l.label) return l.url;
    return "";
}

}  // namespace zelt::app
