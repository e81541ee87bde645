#include "platform/qt/QtDialogUnits.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <cmath>

namespace qv::qtui {
namespace {

// In order of preference; the first the system has is used.
const char* const kJapaneseFamilies[] = {
    "IPAGothic", "IPAPGothic", "Noto Sans CJK JP", "Noto Sans JP", "VL Gothic", "TakaoGothic",
};

constexpr std::string_view kSystemFont = "System";
constexpr int kSystemPoints = 10;
// The system font's cell in pixels at the reference resolution.
constexpr double kSystemCellWidth = 8;
constexpr double kSystemCellHeight = 16;
constexpr double kReferenceDpi = 96;

bool IsSystemFont(const res::DialogTemplate& tpl) {
    return tpl.fontName == kSystemFont;
}

// a * b / c rounded to the nearest integer, halves away from zero.
int MulDiv(int a, int b, int c) {
    long long product = static_cast<long long>(a) * b;
    long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

}  // namespace

QFont DialogFont(const res::DialogTemplate& tpl) {
    QFont font;
    // The font matcher takes the first of these the system has, and the default when it has none;
    // asking for the installed families instead would list every font before the first frame.
    QStringList families;
    for (const char* family : kJapaneseFamilies) families << QLatin1String(family);
    font.setFamilies(families);
    int points = tpl.fontSize > 0 ? tpl.fontSize : 9;
    font.setPointSize(IsSystemFont(tpl) ? kSystemPoints : points);
    return font;
}

BaseUnits BaseUnitsOf(const res::DialogTemplate& tpl, const QFont& font) {
    if (IsSystemFont(tpl)) {
        QScreen* screen = QGuiApplication::primaryScreen();
        double dpiX = screen ? screen->logicalDotsPerInchX() : kReferenceDpi;
        double dpiY = screen ? screen->logicalDotsPerInchY() : kReferenceDpi;
        return BaseUnits{static_cast<int>(std::lround(kSystemCellWidth * dpiX / kReferenceDpi)),
                         static_cast<int>(std::lround(kSystemCellHeight * dpiY / kReferenceDpi))};
    }
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
