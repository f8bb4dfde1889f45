#include "res/dialog_units.h"

#include <QFontMetrics>

namespace kalvor::res {

namespace {

// The platform's scaling of a non-negative number, rounded to the nearest pixel.
int MulDiv(int value, int numerator, int denominator) {
    return (value * numerator + denominator / 2) / denominator;
}

}  // namespace

QFont DialogFont(const DialogTemplate& dialog) {
    QFont font(QString::fromUtf16(dialog.fontFace));
    font.setPointSize(dialog.fontPointSize);
    return font;
}

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabet = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    averageWidth_ = (alphabet / 26 + 1) / 2;
    height_ = metrics.height();
}

QSize DialogUnits::ToPixels(const QSize& size) const {
    return {X(size.width()), Y(size.height())};
}

QRect DialogUnits::ToPixels(const QRect& rect) const {
    return {X(rect.x()), Y(rect.y()), X(rect.width()), Y(rect.height())};
}

int DialogUnits::X(int units) const {
    return MulDiv(units, averageWidth_, 4);
}

int DialogUnits::Y(int units) const {
    return MulDiv(units, height_, 8);
}

}  // namespace kalvor::res
