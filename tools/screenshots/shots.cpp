#include "screenshots/shots.h"

#include "app/application.h"
#include "ui/form_view.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QScrollArea>
#include <QTabWidget>
#include <QTextEdit>

#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace zelt::screenshots {
namespace {

// What a picture needs done before it is taken. Returns false when the window is not there.
using Setup = std::function<bool()>;

class Shooter {
public:
    Shooter(app::Application& program, ui::FormView& view) : program_(program), view_(view) {}

    void settle() {
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
    }

    // A register chosen from the "Админ" menu, as the clerk does.
    void choose(const char* item) {
        closePopups();
        if (QAction* a = view_.action(item)) a->trigger();
        settle();
    }

    // Brings a tab page, or the tab pages holding a control, to the front.
    bool showTab(const char* sheet) {
        QWidget* page = view_.widget(sheet);
        if (!page) return false;
        for (QWidget* p = page->parentWidget(); p; p = p->parentWidget())
            if (auto* tabs = qobject_cast<QTabWidget*>(p))
                for (int i = 0; i < tabs->count(); ++i)
                    if (tabs->widget(i) == page || tabs->widget(i)->isAncestorOf(page)) tabs->setCurrentIndex(i);
        settle();
        return true;
    }

    // Scrolls the card holding a control so that the control is in sight.
    QWidget* inSight(const char* control) {
        QWidget* w = view_.widget(control);
        if (!w) return nullptr;
        for (QWidget* p = w->parentWidget(); p; p = p->parentWidget())
            if (auto* area = qobject_cast<QScrollArea*>(p)) area->ensureWidgetVisible(w, 20, 20);
        settle();
        return w;
    }

    // Drops a menu of the menu bar down with one of its items highlighted.
    bool dropMenu(const char* menu, const char* item) {
        closePopups();
        QAction* bar = view_.action(menu);
        QAction* highlighted = view_.action(item);
        if (!bar || !bar->menu() || !highlighted) return false;
        QMenuBar* menuBar = view_.mainWindow()->menuBar();
        bar->menu()->popup(menuBar->mapToGlobal(menuBar->actionGeometry(bar).bottomLeft()));
        bar->menu()->setActiveAction(highlighted);
        settle();
        return true;
    }

    // Opens a control's context menu beside it, with the item named `item` highlighted (or none).
    bool contextMenu(const char* popup, const char* control, const char* item) {
        closePopups();
        QWidget* w = inSight(control);
        if (!w) return false;
        QMenu* menu = view_.buildPopup(popup, w);
        if (!menu) return false;
        popups_.emplace_back(menu);
        menu->popup(w->mapToGlobal(QPoint(w->width() / 3, std::min(w->height() / 2, 60))));
        for (QAction* a : menu->actions())
            if (item && a->data().toString() == QString::fromUtf8(item)) menu->setActiveAction(a);
        settle();
        return true;
    }

    // Shows a date and a text typed into the edit and the combo box of the group holding a
    // button, as the clerk has them before pressing it. Only the boxes show them: nothing is stored.
    bool typedBeside(const char* button, const char* date, const char* text) {
        QWidget* w = inSight(button);
        if (!w || !w->parentWidget()) return false;
        auto* edit = w->parentWidget()->findChild<QLineEdit*>();
        auto* combo = w->parentWidget()->findChild<QComboBox*>();
        if (!edit || !combo) return false;
        edit->setText(QString::fromUtf8(date));
        combo->setEditText(QString::fromUtf8(text));
        settle();
        return true;
    }

    // Drops a combo box's list down.
    bool dropList(const char* combo) {
        closePopups();
        auto* box = qobject_cast<QComboBox*>(inSight(combo));
        if (!box) return false;
        box->showPopup();
        settle();
        return true;
    }

    // Makes current the first row of a grid whose operational information box has a text.
    bool rowWithNote(const char* grid, const char* note) {
        auto* table = qobject_cast<QAbstractItemView*>(view_.widget(grid));
        auto* box = qobject_cast<QTextEdit*>(view_.widget(note));
        if (!table || !box || !table->model()) return false;
        for (int row = 0; row < std::min(table->model()->rowCount(), 60); ++row) {
            table->setCurrentIndex(table->model()->index(row, 0));
            settle();
            if (!box->toPlainText().trimmed().isEmpty()) return true;
        }
        return false;
    }

    // The main window with whatever menus and lists are dropped down over it.
    QImage mainPicture() {
        QMainWindow* main = view_.mainWindow();
        QImage picture = main->grab().toImage();
        QPainter painter(&picture);
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w != main && w->isVisible() && (w->windowType() == Qt::Popup))
                painter.drawPixmap(w->geometry().topLeft() - main->geometry().topLeft(), w->grab());
        return picture;
    }

    // One of the program's small windows, shown on its own; null when it has no controls yet.
    QImage formPicture(const char* form) {
        closePopups();
        bool built = false;
        for (const auto& c : program_.model().controls())
            if (c->parent == form) built = true;
        if (!built) return {};
        program_.model().setVisible(form, true);
        view_.showForm(form, false);
        settle();
        QWidget* w = view_.window(form);
        QImage picture = w ? w->grab().toImage() : QImage();
        program_.model().setVisible(form, false);
        settle();
        return picture;
    }

    void closePopups() {
        while (QWidget* p = QApplication::activePopupWidget()) {
            p->close();
            settle();
        }
        popups_.clear();
    }

private:
    app::Application& program_;
    ui::FormView& view_;
    std::vector<std::unique_ptr<QMenu>> popups_;
};

struct Shot {
    const char* file;
    const char* form;  // a small window taken alone, or null for the main window
    Setup setup;
};

}  // namespace

int takeAll(app::Application& program, ui::FormView& view, const QString& outDir) {
    Shooter s(program, view);
    s.settle();
    // In the order of the guide; each setup starts from where the previous one left the program.
    const std::vector<Shot> shots = {
        {"register", nullptr, [&] { return s.dropMenu("N1", "N49"); }},
        {"minor-card", nullptr, [&] { s.choose("N49"); return s.showTab("TabSheet2"); }},
        {"family-card", nullptr, [&] { s.choose("N50"); return s.showTab("TabSheet4"); }},
        {"pick-list", nullptr, [&] { s.choose("N49"); return s.showTab("TabSheet2") && s.dropList("DBComboBox2"); }},
        {"phrase-list", nullptr,
         [&] { s.closePopups(); return s.showTab("TabSheet2") && s.contextMenu("PopupMenu21", "DBMemo32", nullptr); }},
        {"operational-info", nullptr,
         [&] { s.closePopups(); return s.showTab("TabSheet1") && s.rowWithNote("DBGrid1", "RichEdit2") && s.showTab("RichEdit2"); }},
        {"filter", nullptr, [&] { return s.showTab("TabSheet1") && s.contextMenu("PopupMenu1", "DBGrid1", nullptr); }},
        {"deregister", nullptr,
         [&] { s.closePopups(); return s.showTab("TabSheet2") && s.typedBeside("BitBtn1", kToday, "Достижение 18 лет"); }},
        {"archive", nullptr, [&] { return s.showTab("TabSheet5") && s.contextMenu("PopupMenu2", "DBGrid5", "N118"); }},
        {"reports", nullptr, [&] { s.closePopups(); return s.showTab("TabSheet1") && s.dropMenu("N2", "N130"); }},
        {"settings", "TForm5", [&] { s.closePopups(); return true; }},
        {"transfer", nullptr, [&] { return s.dropMenu("N1", "N124"); }},
        {"check", nullptr, [&] { return s.dropMenu("N1", "N153"); }},
        {"about", "TForm4", [&] { s.closePopups(); return true; }},
        {"admin", "TForm6", [&] { s.closePopups(); return true; }},
    };
    int failures = 0;
    for (const Shot& shot : shots) {
        const QString file = outDir + "/" + shot.file + ".png";
        if (!shot.setup()) {
            std::cout << "failed:  " << shot.file << " (a control was not found)\n";
            ++failures;
            continue;
        }
        const QImage picture = shot.form ? s.formPicture(shot.form) : s.mainPicture();
        if (picture.isNull() && shot.form) {
            std::cout << "skipped: " << shot.file << " (the window " << shot.form << " has no controls yet)\n";
            continue;
        }
        // A palette of 256 colours keeps a window picture sharp at a fraction of the file size.
        if (picture.isNull() || !picture.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither).save(file)) {
            std::cout << "failed:  " << shot.file << "\n";
            ++failures;
            continue;
        }
        std::cout << "written: " << file.toStdString() << "\n";
    }
    s.closePopups();
    return failures;
}

}  // namespace zelt::screenshots
