#include "ui/widgets.h"

#include <algorithm>

#include <QApplication>

#include <QCloseEvent>
#include <QLineEdit>
#include <QMouseEvent>

namespace zelt::ui {

void EventLabel::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) pressed_ = true;
    QLabel::mousePressEvent(e);
}

void EventLabel::mouseReleaseEvent(QMouseEvent* e) {
    const bool click = pressed_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    const bool second = secondClick_;
    pressed_ = false;
    secondClick_ = false;
    QLabel::mouseReleaseEvent(e);
    // The release that ends a double click is not another click.
    if (click && !second && onClick) onClick();
}

void EventLabel::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton) return QLabel::mouseDoubleClickEvent(e);
    pressed_ = false;
    secondClick_ = true;
    if (onDoubleClick) onDoubleClick();
}

void EventLabel::enterEvent(QEnterEvent* e) {
    QLabel::enterEvent(e);
    if (onEnter) onEnter();
}

void EventLabel::leaveEvent(QEvent* e) {
    QLabel::leaveEvent(e);
    if (onLeave) onLeave();
}

FormComboBox::FormComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setMaxVisibleItems(20);
    // Completion would type into the field on the user's behalf.
    setCompleter(nullptr);
}

void FormComboBox::setReadOnly(bool on) {
    readOnly_ = on;
    if (lineEdit()) lineEdit()->setReadOnly(on);
}

void FormComboBox::showPopup() {
    if (!readOnly_) QComboBox::showPopup();
}

WaitCursor::WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
WaitCursor::~WaitCursor() { QApplication::restoreOverrideCursor(); }

NormalCursor::NormalCursor() {
    if (!QApplication::overrideCursor()) return;
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    pushed_ = true;
}
NormalCursor::~NormalCursor() {
    if (pushed_) QApplication::restoreOverrideCursor();
}

StatusStrip::StatusStrip(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

QLabel* StatusStrip::addPanel() {
    auto* label = new QLabel(this);
    label->setTextFormat(Qt::PlainText);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setContentsMargins(2, 0, 2, 0);
    label->setFixedWidth(0);
    panels_.push_back(label);
    layOut();
    return label;
}

void StatusStrip::setPanelWidth(QLabel* panel, int width) {
    width = std::max(0, width);
    if (panel->width() == width && panel->minimumWidth() == width) return;
    panel->setFixedWidth(width);
    layOut();
}

QSize StatusStrip::sizeHint() const {
    int height = fontMetrics().height() + 6;
    for (const QLabel* p : panels_) height = std::max(height, p->sizeHint().height());
    return {0, height};
}

void StatusStrip::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    layOut();
}

void StatusStrip::layOut() {
    // Fixed places instead of a layout: a layout squeezes panels that do not fit over each other.
    int x = 0;
    for (QLabel* p : panels_) {
        p->setGeometry(x, 0, p->minimumWidth(), height());
        x += p->minimumWidth();
    }
}

void MainFrame::closeEvent(QCloseEvent* e) {
    QMainWindow::closeEvent(e);
    if (e->isAccepted() && onClose) onClose();
}

void FormDialog::closeFromModel() {
    if (!isVisible()) return;
    closingFromModel_ = true;
    done(QDialog::Accepted);
    closingFromModel_ = false;
}

void FormDialog::done(int r) {
    const bool byUser = !closingFromModel_;
    QDialog::done(r);
    if (byUser && onUserClose) onUserClose();
}

}  // namespace zelt::ui
