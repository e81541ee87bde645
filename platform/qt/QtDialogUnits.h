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

// The dialog font of a template, in a family that has the Japanese glyphs when the system has
// one. "System" names the original platform's system font, which is one font whatever size a
// template gives, so its templates all get the same size here.
QFont DialogFont(const res::DialogTemplate& tpl);

// The template's base units. On "System" they are that font's cell, 8 x 16 pixels at 96 dpi: the
// layout is the original's, and every text of the templates fits its control in the font above.
// Any other font is measured as the classic dialog manager measures it: the width of the 52 Latin
// letters, halved per letter pair and rounded, and the character height.
BaseUnits BaseUnitsOf(const res::DialogTemplate& tpl, const QFont& font);

// A rectangle in dialog units, in pixels.
QRect ToPixels(const BaseUnits& units, int x, int y, int w, int h);

}  // namespace qv::qtui
