// The few widgets that need more than a stock Qt widget gives: a label that reports clicks and
// the mouse passing over it, a combo box that can be read-only, the status bar's panels, and the
// two kinds of window.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMainWindow>

#include <functional>
#include <vector>

namespace zelt::ui {

// While a command runs, the mouse shows the wait cursor; a dialog the command opens shows the
// ordinary one again (scoped: the cursor before it comes back at the end of the scope).
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};
class NormalCursor {
public:
    NormalCursor();
    ~NormalCursor();
    NormalCursor(const NormalCursor&) = delete;
    NormalCursor& operator=(const NormalCursor&) = delete;

private:
    bool pushed_ = false;
};

// Lets a function watch another object's events; returning true swallows the event.
class EventTap : public QObject {
public:
    using Filter = std::function<bool(QEvent*)>;
    EventTap(QObject* watched, Filter f) : QObject(watched), filter_(std::move(f)) { watched->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* e) override { return filter_(e); }

private:
    Filter filter_;
};

// A label reporting a click, a double click (a click first, as the desktop does) and the mouse
// entering and leaving it.
class EventLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> onClick, onDoubleClick, onEnter, onLeave;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    bool pressed_ = false;
    bool secondClick_ = false;
};

// An editable combo box; read-only it neither takes typing nor opens its list.
class FormComboBox : public QComboBox {
public:
    explicit FormComboBox(QWidget* parent = nullptr);
    void setReadOnly(bool on);
    bool isReadOnly() const { return readOnly_; }
    void showPopup() override;

private:
    bool readOnly_ = false;
};

// The panels of a status bar, left to right at the widths they are given and never over each
// other; what does not fit is cut at the strip's right edge.
class StatusStrip : public QWidget {
public:
    explicit StatusStrip(QWidget* parent = nullptr);
    // A new sunken panel at the right end.
    QLabel* addPanel();
    // Gives a panel its width and lays the panels out again.
    void setPanelWidth(QLabel* panel, int width);
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void layOut();
    std::vector<QLabel*> panels_;
};

// The main window. `onClose` runs when the window closes, whoever closed it.
class MainFrame : public QMainWindow {
    Q_OBJECT
public:
    using QMainWindow::QMainWindow;
    std::function<void()> onClose;

protected:
    void closeEvent(QCloseEvent* e) override;
};

// Any other window of the program. `onUserClose` runs when the user (not the model) closes it.
class FormDialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;
    std::function<void()> onUserClose;
    // Closes the window because the model hid it; a modal run returns.
    void closeFromModel();
    void done(int r) override;

private:
    bool closingFromModel_ = false;
};

}  // namespace zelt::ui
