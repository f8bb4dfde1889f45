#include <gtest/gtest.h>

#include <QPalette>
#include <set>
#include <utility>
#include <vector>

#include "res/icons.h"
#include "res/resource.h"
#include "res/toolbar.h"

namespace kalvor::res {
namespace {

QPalette ButtonPalette(QRgb text, QRgb shadow, QRgb face, QRgb highlight) {
    QPalette palette;
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::Dark, shadow);
    palette.setColor(QPalette::Button, face);
    palette.setColor(QPalette::Light, highlight);
    return palette;
}

TEST(ToolbarTest, ThreeButtonsAroundTwoSeparators) {
    const Toolbar toolbar = LoadToolbar(IDR_MAINFRAME);
    EXPECT_EQ(toolbar.imageSize, QSize(16, 15));
    EXPECT_EQ(std::vector<unsigned>(toolbar.entries.begin(), toolbar.entries.end()),
              (std::vector<unsigned>{ID_FILE_OPEN, 0, ID_COPY_TO, 0, ID_APP_ABOUT}));
}

TEST(ToolbarTest, BitmapIsA16ColourStripOfThreeImages) {
    const QImage strip = LoadToolbarBitmap(IDR_MAINFRAME, QPalette());
    EXPECT_EQ(strip.size(), QSize(48, 15));
    EXPECT_EQ(strip.format(), QImage::Format_Indexed8);
    EXPECT_EQ(strip.colorCount(), 16);
    EXPECT_TRUE(LoadToolbarBitmap(IDR_RIGHTMENU, QPalette()).isNull());
}

TEST(ToolbarTest, StandardColoursFollowThePaletteAndOthersStay) {
    // Button colours unlike any standard colour, and ones that keep the bitmap as drawn.
    const QPalette palette = ButtonPalette(0x112233, 0x445566, 0x778899, 0xAABBCC);
    const QImage standard =
        LoadToolbarBitmap(IDR_MAINFRAME, ButtonPalette(0x000000, 0x808080, 0xC0C0C0, 0xFFFFFF));
    const QImage recoloured = LoadToolbarBitmap(IDR_MAINFRAME, palette);
    const std::vector<std::pair<QRgb, QPalette::ColorRole>> replaced{
        {qRgb(0, 0, 0), QPalette::ButtonText},
        {qRgb(0x80, 0x80, 0x80), QPalette::Dark},
        {qRgb(0xC0, 0xC0, 0xC0), QPalette::Button},
        {qRgb(0xFF, 0xFF, 0xFF), QPalette::Light},
    };
    std::set<QRgb> seen;
    for (int y = 0; y < standard.height(); ++y) {
        for (int x = 0; x < standard.width(); ++x) {
            const QRgb before = standard.pixel(x, y) | 0xFF000000U;
            QRgb expected = before;
            for (const auto& [colour, role] : replaced) {
                if (before == colour) {
                    expected = palette.color(role).rgb();
                    seen.insert(colour);
                }
            }
            ASSERT_EQ(recoloured.pixel(x, y) | 0xFF000000U, expected) << x << "," << y;
        }
    }
    EXPECT_EQ(seen.size(), replaced.size()) << "every standard colour appears in the images";
    // Text drawn in the shadow's standard grey stays text, not shadow.
    const QImage chained =
        LoadToolbarBitmap(IDR_MAINFRAME, ButtonPalette(0x808080, 0x445566, 0xC0C0C0, 0xFFFFFF));
    for (int y = 0; y < standard.height(); ++y) {
        for (int x = 0; x < standard.width(); ++x) {
            if ((standard.pixel(x, y) | 0xFF000000U) == qRgb(0, 0, 0)) {
                ASSERT_EQ(chained.pixel(x, y) | 0xFF000000U, qRgb(0x80, 0x80, 0x80))
                    << x << "," << y;
            }
        }
    }
    for (const int x : {0, 16, 32}) {
        EXPECT_EQ(recoloured.pixel(x, 14), palette.color(QPalette::Button).rgb())
            << "each image has the button face as background";
    }
}

TEST(IconTest, ApplicationAndDocumentIconsHaveTheirSizes) {
    const QIcon application = LoadIcon(IDR_MAINFRAME);
    EXPECT_EQ(application.availableSizes(),
              (QList<QSize>{QSize(16, 16), QSize(32, 32), QSize(48, 48)}));
    const QIcon document = LoadIcon(IDR_DOCTYPE);
    EXPECT_EQ(document.availableSizes(), (QList<QSize>{QSize(16, 16), QSize(32, 32)}));
    for (const QSize& size : application.availableSizes()) {
        EXPECT_FALSE(application.pixmap(size).toImage().isNull()) << size.width();
    }
    EXPECT_TRUE(LoadIcon(IDR_RIGHTMENU).isNull());
}

}  // namespace
}  // namespace kalvor::res
