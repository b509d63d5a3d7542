#include "platform/TImageList.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

// Counts the pixels of an image whose colour leans clearly to one channel.
int CountPixels(const QImage& image, bool (*test)(QColor)) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) count += test(image.pixelColor(x, y)) ? 1 : 0;
    return count;
}

bool Red(QColor c) { return c.alpha() > 200 && c.red() > 150 && c.green() < 90; }
bool Green(QColor c) { return c.alpha() > 200 && c.green() > 100 && c.red() < 90; }

}  // namespace

TEST(TImageList, ThumbsAreRedDownAndGreenUpCheckBoxesDifferByTheTick) {
    const TImageList thumbs = TImageList::Thumbs();
    const QImage down = thumbs.Pixmap(0, 1).toImage();
    const QImage up = thumbs.Pixmap(1, 1).toImage();
    EXPECT_GT(CountPixels(down, Red), 20);
    EXPECT_EQ(CountPixels(down, Green), 0);
    EXPECT_GT(CountPixels(up, Green), 20);
    EXPECT_EQ(CountPixels(up, Red), 0);
    // Only the thumb reaches the narrow end: the top of the thumbs-up, the bottom of the other.
    EXPECT_LT(CountPixels(up.copy(0, 0, 16, 5), Green), CountPixels(up.copy(0, 11, 16, 5), Green));
    EXPECT_GT(CountPixels(down.copy(0, 0, 16, 5), Red), CountPixels(down.copy(0, 11, 16, 5), Red));

    const TImageList boxes = TImageList::CheckBoxes();
    EXPECT_EQ(CountPixels(boxes.Pixmap(0, 1).toImage(), Green), 0);
    EXPECT_GT(CountPixels(boxes.Pixmap(1, 1).toImage(), Green), 5);
}

TEST(TImageList, DrawsSixteenLogicalPixelsAtFullDeviceResolution) {
    const TImageList thumbs = TImageList::Thumbs();
    QImage canvas(64, 64, QImage::Format_ARGB32_Premultiplied);
    canvas.setDevicePixelRatio(2);
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    thumbs.Draw(painter, 8, 4, 1);
    painter.end();

    // At twice the pixel ratio the image is painted again at 2x, not stretched from 16x16, and
    // covers 32x32 device pixels from (16, 8) and nothing outside.
    const QRect drawn(16, 8, 32, 32);
    QImage expected(canvas.size(), canvas.format());
    expected.fill(Qt::transparent);
    QImage highDpi = thumbs.Pixmap(1, 2).toImage().convertToFormat(canvas.format());
    highDpi.setDevicePixelRatio(1);
    QPainter(&expected).drawImage(drawn.topLeft(), highDpi);
    expected.setDevicePixelRatio(2);
    int different = 0;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) different += canvas.pixel(x, y) != expected.pixel(x, y);
    EXPECT_EQ(different, 0);

    const QImage highDpiIcon = thumbs.Icon(0).pixmap(QSize(16, 16), 2.0).toImage().convertToFormat(canvas.format());
    EXPECT_EQ(highDpiIcon, thumbs.Pixmap(0, 2).toImage().convertToFormat(canvas.format()));
}
