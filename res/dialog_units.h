#pragma once

#include <QFont>
#include <QRect>

#include "res/dialogs.h"

namespace kalvor::res {

// The font a dialog template asks for.
QFont DialogFont(const DialogTemplate& dialog);

// Dialog units to pixels for a font: a horizontal unit is a quarter of the font's average
// character width, a vertical unit an eighth of its height, as the platform lays dialogs out.
class DialogUnits {
  public:
    explicit DialogUnits(const QFont& font);

    QSize ToPixels(const QSize& size) const;
    QRect ToPixels(const QRect& rect) const;

  private:
    int X(int units) const;
    int Y(int units) const;

    int averageWidth_;
    int height_;
};

}  // namespace kalvor::res
