#include "ui/widgets.h"

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
