#include "platform/qt/QtDialogUnits.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

namespace qv::qtui {
namespace {

// In order of preference; the first the system has is used.
const char* const kJapaneseFamilies[] = {
    "IPAGothic", "IPAPGothic", "Noto Sans CJK JP", "Noto Sans JP", "VL Gothic", "TakaoGothic",
};

// a * b / c rounded to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c) {
    long long product = static_cast<long long>(a) * b;
    long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

}  // namespace

QFont DialogFont(const res::DialogTemplate& tpl) {
    QFont font;
    const QStringList installed = QFontDatabase::families();
    QStringList families;
    for (const char* family : kJapaneseFamilies) {
        if (installed.contains(QLatin1String(family))) families << QLatin1String(family);
    }
    if (!families.isEmpty()) font.setFamilies(families);
    font.setPointSize(tpl.fontSize > 0 ? tpl.fontSize : 9);
    return font;
}

BaseUnits BaseUnitsOf(const QFont& font) {
    QFontMetrics metrics(font);
    int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return BaseUnits{(width / 26 + 1) / 2, metrics.height()};
}

QRect ToPixels(const BaseUnits& units, int x, int y, int w, int h) {
    return QRect(MulDiv(x, units.cx, 4), MulDiv(y, units.cy, 8), MulDiv(w, units.cx, 4),
                 MulDiv(h, units.cy, 8));
}

}  // namespace qv::qtui
