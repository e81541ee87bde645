#pragma once
// Dialog units: a quarter of the dialog font's average character width across, an eighth of its
// character height down.
#include <QFont>
#include <QRect>

#include "res/DialogTemplate.h"

namespace qv::qtui {

struct BaseUnits {
    int cx;  // average character width in pixels
    int cy;  // character height in pixels
};

// The dialog font of a template: its size, in a family that has the Japanese glyphs when the
// system has one (the templates' "System" names no real font here).
QFont DialogFont(const res::DialogTemplate& tpl);

// The average width as the classic dialog manager measures it: the width of the 52 Latin letters,
// halved per letter pair and rounded.
BaseUnits BaseUnitsOf(const QFont& font);

// A rectangle in dialog units, in pixels.
QRect ToPixels(const BaseUnits& units, int x, int y, int w, int h);

}  // namespace qv::qtui
