// The view tests' scaffolding: a small demo data directory, the application started on it with a
// fixed date and recorded dialogs, controls added to its model, and the events they fire.
#pragma once

#include "app/application.h"
#include "app/main_window.h"
#include "base/date.h"
#include "demo/demo_data.h"
#include "init/demo_writer.h"
#include "support/test_support.h"
#include "ui/form_view.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace zelt::testing {

inline const char* const kToday = "01.06.2006";

// The first two live minors are born so that one is 18 (6575 days) and one 17 (6573 days) today.
inline const char* const kAdultBirth = "31.05.1988";
inline const char* const kMinorBirth = "02.06.1988";

inline void setField(demo::Record& r, const std::string& field, const std::string& value) {
    for (auto& [name, v] : r.fields)
        if (name == field) {
            v = value;
            return;
        }
    r.fields.emplace_back(field, value);
}

inline void writeSmallDemo(const std::filesystem::path& dir) {
    demo::Sizes sizes;
    sizes.minors = 120;
    sizes.families = 40;
    sizes.others = 20;
    sizes.institutions = 6;
    demo::DemoData data = demo::generateDemo(sizes, 5, *parseDate(kToday));
    int live = 0;
    for (demo::Master& m : data.minors) {
        if (m.archived) continue;
        setField(m.record, "DR", live == 0 ? kAdultBirth : kMinorBirth);
        if (++live == 2) break;
    }
    init::writeDemo(dir, app::kTablePassword, data);
}

class UiTest : public ::testing::Test {
public:  // the case tables reach the fixture from lambdas
    DataDir dir;
    RecordingUi dialogs;
    app::FixedClock clock{*parseDate(kToday)};
    app::Application app{dir.path(), dialogs, clock};
    std::unique_ptr<ui::FormView> view;
    std::vector<std::string> events;

    void SetUp() override {
        writeSmallDemo(dir.path());
        app.start();
        ASSERT_TRUE(app.running());
    }
    void TearDown() override {
        view.reset();
        if (app.running()) app.stop();
    }

    app::FormModel& model() { return app.model(); }

    app::Control& add(const std::string& name, app::ControlKind kind, const std::string& parent,
                       const std::string& caption = "") {
        app::Control c;
        c.name = name;
        c.kind = kind;
        c.parent = parent;
        c.caption = caption;
        return model().add(std::move(c));
    }

    // Every event of `control` named in `names` is written to `events` as
    // "Control Event[ text=..][ field=..][ row=..]".
    void record(const std::string& control, std::initializer_list<const char*> names) {
        for (const char* e : names) {
            const std::string event = e;
            model().on(control, event, [this, control, event](const app::EventArgs& a) {
                std::string s = control + " " + event;
                if (!a.text.empty()) s += " text=" + a.text;
                if (!a.field.empty()) s += " field=" + a.field;
                if (a.row >= 0) s += " row=" + std::to_string(a.row);
                events.push_back(s);
            });
        }
    }

    void build() { view = std::make_unique<ui::FormView>(app); }

    template <class W>
    W* widget(const std::string& control) {
        W* w = qobject_cast<W*>(view->widget(control));
        EXPECT_NE(w, nullptr) << control;
        return w;
    }

    // Types text as keystrokes, one character after another (any alphabet).
    static void type(QWidget* w, const QString& text) {
        for (const QChar ch : text) QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }

    // Shows a window and waits until it can take the keyboard.
    static void showActive(QWidget* w) {
        w->show();
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
        QApplication::processEvents();
    }
};

}  // namespace zelt::testing
