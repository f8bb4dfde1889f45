#include "res/toolbar.h"

#include <array>

#include "res/embedded_files.h"
#include "res/resource.h"

namespace kalvor::res {

namespace {

constexpr std::array<unsigned, 5> kMainFrameButtons{ID_FILE_OPEN, 0, ID_COPY_TO, 0, ID_APP_ABOUT};

struct StandardColour {
    QRgb colour;
    QPalette::ColorRole role;
};

constexpr std::array<StandardColour, 4> kStandardColours{{
    {qRgb(0x00, 0x00, 0x00), QPalette::ButtonText},
    {qRgb(0x80, 0x80, 0x80), QPalette::Dark},
    {qRgb(0xC0, 0xC0, 0xC0), QPalette::Button},
    {qRgb(0xFF, 0xFF, 0xFF), QPalette::Light},
}};

}  // namespace

Toolbar LoadToolbar(unsigned id) {
    if (id == IDR_MAINFRAME) {
        return {QSize(16, 15), kMainFrameButtons};
    }
    return {};
}

QImage LoadToolbarBitmap(unsigned id, const QPalette& palette) {
    if (id != IDR_MAINFRAME) {
        return {};
    }
    QImage strip(EmbeddedImage(QStringLiteral("toolbar.xpm")));
    if (strip.format() != QImage::Format_Indexed8) {
        strip = strip.convertToFormat(QImage::Format_Indexed8);
    }
    for (int index = 0; index < strip.colorCount(); ++index) {
        for (const StandardColour& standard : kStandardColours) {
            if (qRgb(qRed(strip.color(index)), qGreen(strip.color(index)),
                     qBlue(strip.color(index))) == standard.colour) {
                strip.setColor(index, palette.color(standard.role).rgb());
                break;
            }
        }
    }
    return strip;
}

}  // namespace kalvor::res
