// Conversions at the boundary between the program's UTF-8 texts and Qt: strings, memo line breaks
// and the 0x00BBGGRR colours of the form model.
#pragma once

#include <QColor>
#include <QString>

#include <string>

namespace zelt::ui {

inline QString toQt(const std::string& s) { return QString::fromStdString(s); }
// A menu caption shown as typed: an '&' is a letter, not the mark of an accelerator key.
inline QString menuText(const std::string& s) { return toQt(s).replace('&', "&&"); }
inline std::string fromQt(const QString& s) { return s.toStdString(); }

// Memo texts keep the CR LF line ends of the stored fields; Qt edits lines with LF.
inline QString memoToQt(const std::string& s) {
    QString q = toQt(s);
    q.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return q;
}
inline std::string memoFromQt(const QString& s) {
    QString q = s;
    q.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return fromQt(q);
}

// A colour in the notation 0x00BBGGRR: red in the low byte, blue in the third.
inline QColor fromBgr(long bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

}  // namespace zelt::ui
