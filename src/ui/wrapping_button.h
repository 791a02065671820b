// A push button of a fixed width whose caption breaks into lines between words when one line
// does not fit, as a narrow column of long captions needs; text() stays the caption itself.
#pragma once

#include <QPushButton>
#include <QStringList>

namespace zelt::ui {

class WrappingButton : public QPushButton {
public:
    using QPushButton::QPushButton;

    // The lines the button shows at its fixed width: the caption whole when it fits (or the width
    // is not fixed), else broken at spaces (a single word wider than the button stays one line).
    QStringList shownLines() const;
    // The width the caption's lines may take: the button's width less the style's padding.
    int textWidth() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    // The fixed width the button will have, as soon as it is set and before any layout; -1 when
    // its width is not fixed.
    int intendedWidth() const;
};

}  // namespace zelt::ui
