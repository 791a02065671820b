#include "ui/wrapping_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>

namespace zelt::ui {

// A button whose width is not fixed grows to its caption, as any button does.
int WrappingButton::intendedWidth() const { return minimumWidth() == maximumWidth() ? maximumWidth() : -1; }

int WrappingButton::textWidth() const {
    QStyleOptionButton o;
    initStyleOption(&o);
    o.text.clear();
    const int padding = style()->sizeFromContents(QStyle::CT_PushButton, &o, QSize(0, 0), this).width();
    return intendedWidth() - padding;
}

QStringList WrappingButton::shownLines() const {
    const QFontMetrics fm = fontMetrics();
    const int room = textWidth();
    if (intendedWidth() < 0 || fm.horizontalAdvance(text()) <= room) return {text()};
    QStringList lines;
    QString line;
    for (const QString& word : text().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString longer = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (!line.isEmpty() && fm.horizontalAdvance(longer) > room) {
            lines << line;
            line = word;
        } else {
            line = longer;
        }
    }
    if (!line.isEmpty()) lines << line;
    return lines;
}

QSize WrappingButton::sizeHint() const {
    if (intendedWidth() < 0) return QPushButton::sizeHint();
    const QStringList lines = shownLines();
    const QFontMetrics fm = fontMetrics();
    int wide = 0;
    for (const QString& l : lines) wide = std::max(wide, fm.horizontalAdvance(l));
    QStyleOptionButton o;
    initStyleOption(&o);
    o.text = lines.join(QLatin1Char('\n'));
    const QSize text(wide, fm.lineSpacing() * static_cast<int>(lines.size()));
    const QSize hint = style()->sizeFromContents(QStyle::CT_PushButton, &o, text, this);
    return {std::max(hint.width(), intendedWidth()), std::max(hint.height(), QPushButton::sizeHint().height())};
}

void WrappingButton::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionButton o;
    initStyleOption(&o);
    o.text = shownLines().join(QLatin1Char('\n'));
    p.drawControl(QStyle::CE_PushButton, o);
}

}  // namespace zelt::ui
