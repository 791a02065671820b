// The Settings and About windows: the telephone digit count kept in setup.vrk and applied only on
// saving, the owner line from Region.vrk, the link labels, the hidden way into the Administrator
// window, and the About picture.
#include "app/about_window.h"
#include "app/jpeg_image.h"
#include "app/main_window.h"
#include "app/settings_window.h"
#include "base/date.h"
#include "base/error.h"
#include "base/text.h"
#include "support/test_support.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>

namespace zelt {
namespace {

// The main window with the three small windows these tests use, as the program creates them.
class WindowsTest : public ::testing::Test {
protected:
    testing::DataDir dir;
    testing::RecordingUi ui;
    app::FixedClock clock{*parseDate("01.06.2006")};
    app::FormModel model;
    app::MainWindow main{dir.path(), ui, clock, model};

    void SetUp() override {
        main.formCreate();
        for (const char* name : {"TForm4", "TForm5", "TForm6"}) {
            app::Control c;
            c.name = name;
            c.kind = app::ControlKind::Form;
            c.visible = false;
            model.add(std::move(c));
        }
        main.formActivate();
        ASSERT_FALSE(ui.anyError());
    }
    void put(const std::string& name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }
    // Stores `digits` in `field` of a new record of table object `n` and returns what was kept.
    std::string storePhone(int n, const char* field, const std::string& digits) {
        store::Table& t = main.table(n);
        t.open();
        t.append();
        t.setText(field, digits);
        t.post();
        return t.asText(field);
    }
    // Creates the Settings window once; later calls only show it again.
    app::SettingsWindow& openSettings() {
        if (!settings) {
            settings = std::make_unique<app::SettingsWindow>(model, main, ui);
            settings->formCreate();
        }
        model.setVisible("TForm5", true);
        return *settings;
    }
    std::unique_ptr<app::SettingsWindow> settings;
    void choose(int item) { model.fire("RadioGroup1", "Click", {std::to_string(item), "", -1}); }
    void save() { ASSERT_TRUE(model.fire("TForm5.Button1", "Click")); }
};

TEST_F(WindowsTest, SettingsWindowLayout) {
    app::SettingsWindow w(model, main, ui);
    EXPECT_EQ(model.get("TForm5").width, 243);
    EXPECT_EQ(model.get("TForm5").height, 108);
    const app::Control& group = model.get("RadioGroup1");
    EXPECT_EQ(group.parent, "TForm5");
    EXPECT_EQ(group.caption, "Номеров в телефоне");
    EXPECT_EQ(group.items, (std::vector<std::string>{"5", "6", "7"}));
    EXPECT_EQ(model.get("TForm5.Button1").caption, "Сохранить");
    EXPECT_EQ(model.get("TForm5.Button1").parent, "TForm5");
}

TEST_F(WindowsTest, FirstLineOfTheSettingsFileSelectsTheItem) {
    struct Case {
        const char* bytes;
        int item;
    };
    const Case cases[] = {{"5\r\n", 0}, {"6", 1}, {"7\r\n5\r\n", 2}, {"", -1},
                          {"8\r\n", -1}, {" 6\r\n", -1}, {"\r\n6\r\n", -1}, {"6 \r\n", -1}};
    for (const Case& c : cases) {
        app::FormModel m;
        app::Control form;
        form.name = "TForm5";
        form.kind = app::ControlKind::Form;
        m.add(form);
        put("setup.vrk", c.bytes);
        app::SettingsWindow w(m, main, ui);
        w.formCreate();
        EXPECT_EQ(m.get("RadioGroup1").itemIndex, c.item) << c.bytes;
    }
}

TEST_F(WindowsTest, MissingSettingsFileIsCreatedAndSelectsNothing) {
    EXPECT_EQ(openSettings().selectedItem(), -1);
    EXPECT_TRUE(std::filesystem::exists(dir / "setup.vrk"));
    EXPECT_EQ(testing::readFile(dir / "setup.vrk"), "");
}

TEST_F(WindowsTest, UnreadableSettingsFileIsAnError) {
    std::filesystem::create_directory(dir / "setup.vrk");
    app::SettingsWindow w(model, main, ui);
    EXPECT_THROW(w.formCreate(), EngineError);
}

TEST_F(WindowsTest, StoredCountIsNotAppliedUntilSaved) {
    put("setup.vrk", "6\r\n");
    EXPECT_EQ(openSettings().selectedItem(), 1);
    EXPECT_EQ(storePhone(1, "DTel", "1234567"), "12345");
    EXPECT_EQ(storePhone(9, "Dtm", "1234567"), "12345");
}

TEST_F(WindowsTest, SavingStoresTheChoiceClosesTheRegistersAndAppliesTheCount) {
    struct Case {
        int item;
        const char* file;
        size_t digits;
    };
    // One after the other in one run: each save replaces the count of the one before.
    for (const Case& c : {Case{2, "7\r\n", 7}, Case{0, "5\r\n", 5}, Case{1, "6\r\n", 6}}) {
        openSettings();
        choose(c.item);
        // As after choosing registers: every table the save closes is open, and one it leaves.
        for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 33, 34, 35, 36, 41}) main.table(n).open();
        save();
        EXPECT_FALSE(model.get("TForm5").visible);
        EXPECT_EQ(testing::readFile(dir / "setup.vrk"), c.file);
        for (int n = 1; n <= 16; ++n) EXPECT_FALSE(main.table(n).active()) << "Table" << n;
        for (int n = 33; n <= 36; ++n) EXPECT_FALSE(main.table(n).active()) << "Table" << n;
        EXPECT_TRUE(main.table(41).active());  // institutions are not the Settings window's business
        const std::string seven = "7654321";
        EXPECT_EQ(storePhone(1, "DTel", seven), seven.substr(0, c.digits)) << c.file;
        EXPECT_EQ(storePhone(9, "Dtm", seven), seven.substr(0, c.digits)) << c.file;
        EXPECT_EQ(storePhone(9, "Dto", seven), seven.substr(0, c.digits)) << c.file;
        EXPECT_EQ(storePhone(33, "Dt", seven), seven.substr(0, c.digits)) << c.file;
        EXPECT_FALSE(ui.anyError());
    }
}

TEST_F(WindowsTest, SavingWithoutAChoiceEmptiesTheFileAndKeepsTheCount) {
    openSettings();
    choose(2);
    save();
    openSettings();
    choose(-1);
    save();
    EXPECT_EQ(testing::readFile(dir / "setup.vrk"), "");
    EXPECT_FALSE(model.get("TForm5").visible);
    EXPECT_EQ(storePhone(1, "DTel", "7654321"), "7654321");
    EXPECT_EQ(storePhone(33, "Dt", "7654321"), "7654321");
}

TEST_F(WindowsTest, SettingsFileThatCannotBeWrittenOnlyClosesTheWindow) {
    openSettings();
    choose(2);
    std::filesystem::remove(dir / "setup.vrk");
    std::filesystem::create_directory(dir / "setup.vrk");
    save();
    EXPECT_FALSE(model.get("TForm5").visible);
    EXPECT_TRUE(main.table(1).active());
    EXPECT_EQ(storePhone(1, "DTel", "7654321"), "76543");
    EXPECT_FALSE(ui.anyError());
}

TEST_F(WindowsTest, RadioGroupRefusesAnItemItDoesNotHave) {
    app::SettingsWindow& w = openSettings();
    choose(1);
    EXPECT_EQ(w.selectedItem(), 1);
    for (const char* bad : {"3", "-2", "x", "", "1x"})
        EXPECT_THROW(model.fire("RadioGroup1", "Click", {bad, "", -1}), EngineError) << bad;
    EXPECT_EQ(w.selectedItem(), 1);
}

// ---- About window ----

TEST_F(WindowsTest, OwnerLineComesFromTheRegionFile) {
    struct Case {
        const char* what;
        bool present;
        const char* bytes;
        const char* owner;
    };
    const Case cases[] = {
        {"missing", false, "", ""},
        {"empty", true, "", ""},
        {"first line", true, "\xC3\xEE\xF0\xEE\xE4 \xD1\xE5\xE2\xE5\xF0\xF1\xEA\r\n\xE2\xF2\xEE\xF0\xE0\xFF\r\n",
         "Город Северск"},
    };
    for (const Case& c : cases) {
        app::FormModel m;
        app::Control form;
        form.name = "TForm4";
        form.kind = app::ControlKind::Form;
        m.add(form);
        std::filesystem::remove(dir / "Region.vrk");
        if (c.present) put("Region.vrk", c.bytes);
        app::AboutWindow w(m, ui, dir.path());
        EXPECT_EQ(m.get(app::AboutWindow::kOwnerLabel).caption, "Заместитель председателя комиссии") << c.what;
        w.formCreate();
        EXPECT_EQ(m.get(app::AboutWindow::kOwnerLabel).caption, c.owner) << c.what;
        EXPECT_TRUE(std::filesystem::is_regular_file(dir / "Region.vrk")) << c.what;
    }
    EXPECT_EQ(testing::readFile(dir / "Region.vrk"), cases[2].bytes);  // never written
}

TEST_F(WindowsTest, UnreadableRegionFileKeepsTheDesignText) {
    std::filesystem::create_directory(dir / "Region.vrk");
    app::AboutWindow w(model, ui, dir.path());
    w.formCreate();
    EXPECT_EQ(model.get(app::AboutWindow::kOwnerLabel).caption, "Заместитель председателя комиссии");
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(WindowsTest, AboutWindowLayout) {
    app::AboutWindow w(model, ui, dir.path());
    EXPECT_EQ(model.get("TForm4").width, 334);
    EXPECT_EQ(model.get("TForm4").height, 322);
    std::vector<std::string> captions;
    for (const auto& c : model.controls())
        if (c->kind == app::ControlKind::Label) captions.push_back(c->caption);
    for (const char* expected : {"Комиссия по делам несовершеннолетних", "и защите их прав", "Собственник программы:",
                                 "Разработчик и программист", ":  ", "Сайт с обновлениями программы",
                                 "Форум с вопросами о программе"})
        EXPECT_NE(std::find(captions.begin(), captions.end(), expected), captions.end()) << expected;
    // Every caption can be shown in the Windows Cyrillic code page.
    for (const std::string& c : captions) EXPECT_EQ(utf8FromCp1251(cp1251FromUtf8(c)), c);
    const app::Control& admin = model.get("Label14");
    EXPECT_EQ(admin.caption, ":  ");
    EXPECT_EQ(admin.color, app::AboutWindow::kGreyColour);
    const app::Control& image = model.get("Image1");
    EXPECT_EQ(image.kind, app::ControlKind::Image);
    EXPECT_EQ(image.width, app::aboutPicture().width);
}

TEST_F(WindowsTest, LinkLabelsTurnRedUnderThePointerAndOpenTheirAddress) {
    app::AboutWindow w(model, ui, dir.path());
    struct Case {
        const char* label;
        const char* scheme;
    };
    for (const Case& c : {Case{app::AboutWindow::kMailLabel, "mailto:"}, Case{app::AboutWindow::kSiteLabel, "https://"},
                          Case{app::AboutWindow::kForumLabel, "https://"}}) {
        EXPECT_EQ(model.get(c.label).color, 0xFF0000) << c.label;
        model.fire(c.label, "MouseEnter");
        EXPECT_EQ(model.get(c.label).color, 0x0000FF) << c.label;
        model.fire(c.label, "MouseLeave");
        EXPECT_EQ(model.get(c.label).color, 0xFF0000) << c.label;
        ui.shown.clear();
        ASSERT_TRUE(model.fire(c.label, "Click")) << c.label;
        ASSERT_EQ(ui.shown.size(), 1u) << c.label;
        EXPECT_EQ(ui.shown[0], "open: " + app::AboutWindow::linkOf(c.label));
        EXPECT_EQ(ui.shown[0].rfind(std::string("open: ") + c.scheme, 0), 0u) << ui.shown[0];
    }
    // The e-mail label shows the address the mail program receives.
    EXPECT_EQ(app::AboutWindow::linkOf(app::AboutWindow::kMailLabel),
              "mailto:" + model.get(app::AboutWindow::kMailLabel).caption);
    EXPECT_NE(app::AboutWindow::linkOf(app::AboutWindow::kSiteLabel),
              app::AboutWindow::linkOf(app::AboutWindow::kForumLabel));
    EXPECT_FALSE(model.hasHandler("Label14", "Click"));
}

TEST_F(WindowsTest, DoubleClickOnTheSmallLabelShowsTheAdministratorWindowWithoutBlocking) {
    app::AboutWindow w(model, ui, dir.path());
    model.setVisible("TForm4", true);
    ASSERT_TRUE(model.fire("Label14", "DblClick"));
    EXPECT_EQ(ui.shown, (std::vector<std::string>{"window: TForm6"}));
    EXPECT_TRUE(model.get("TForm6").visible);
    EXPECT_TRUE(model.get("TForm4").visible);
}

// ---- About picture ----

TEST(AboutPicture, EmbeddedPictureDecodes) {
    const app::RgbImage& p = app::aboutPicture();
    EXPECT_EQ(p.width, 120);
    EXPECT_EQ(p.height, 120);
    ASSERT_EQ(p.rgb.size(), static_cast<size_t>(p.width) * p.height * 3);
    const auto at = [&](int x, int y) { return &p.rgb[(static_cast<size_t>(y) * p.width + x) * 3]; };
    // A light ground in the corner, a white star in the middle, a blue shield below it.
    for (int i = 0; i < 3; ++i) EXPECT_GT(at(2, 2)[i], 220) << i;
    for (int i = 0; i < 3; ++i) EXPECT_GT(at(60, 50)[i], 220) << i;
    const unsigned char* shield = at(60, 90);
    EXPECT_GT(shield[2], shield[0] + 60);
    EXPECT_EQ(&app::aboutPicture(), &p);  // decoded once
}

TEST(AboutPicture, DamagedBytesAreAnError) {
    const std::vector<unsigned char> good(app::aboutPictureData(), app::aboutPictureData() + app::aboutPictureSize());
    ASSERT_EQ(app::decodeJpeg(good.data(), good.size()).width, 120);
    const auto cut = [&](size_t n) { return std::vector<unsigned char>(good.begin(), good.begin() + n); };
    std::vector<unsigned char> noStart = good;
    noStart[1] = 0x00;  // start-of-image marker gone
    std::vector<unsigned char> garbage(400);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<unsigned char>(i * 37 + 11);
    struct Case {
        const char* what;
        std::vector<unsigned char> bytes;
    };
    const Case cases[] = {
        {"half the file", cut(good.size() / 2)},
        {"all but the end marker and a little", cut(good.size() - 40)},
        {"header only", cut(20)},
        {"no start marker", noStart},
        {"not a picture", garbage},
        {"empty", {}},
    };
    for (const Case& c : cases)
        EXPECT_THROW(app::decodeJpeg(c.bytes.data(), c.bytes.size()), EngineError) << c.what;
    EXPECT_THROW(app::decodeJpeg(nullptr, 0), EngineError);
}

}  // namespace
}  // namespace zelt
