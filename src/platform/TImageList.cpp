#include "TImageList.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>

namespace {

void PaintCheckBox(QPainter& painter, bool ticked) {
    painter.setPen(QPen(QColor(0x55, 0x5F, 0x6B), 1));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(QRectF(2.5, 2.5, 11, 11), 1.5, 1.5);
    if (!ticked) return;
    QPen tick(QColor(0x1B, 0x7A, 0x2E), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(tick);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolyline(QPolygonF({QPointF(5, 8.2), QPointF(7.2, 10.6), QPointF(11.2, 5.2)}));
}

// A hand with the thumb raised; the thumbs-down is the same hand turned upside down.
void PaintThumb(QPainter& painter, bool up, const QColor& colour) {
    if (!up) {
        painter.translate(0, TImageList::Size);
        painter.scale(1, -1);
    }
    painter.setPen(QPen(colour.darker(160), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(colour.darker(130));
    painter.drawRect(QRectF(1.5, 7.5, 3, 7));   // cuff

    QPainterPath hand;
    hand.moveTo(5.5, 8);
    hand.lineTo(7.5, 5);
    hand.quadTo(8.2, 3.5, 8.2, 1.8);
    hand.quadTo(10.6, 1.6, 10.2, 4.6);
    hand.lineTo(9.6, 6.5);
    hand.lineTo(13.2, 6.5);
    hand.quadTo(15, 6.8, 14.4, 8.6);
    hand.lineTo(13.4, 13.6);
    hand.quadTo(13, 14.5, 12, 14.5);
    hand.lineTo(5.5, 14.5);
    hand.closeSubpath();
    painter.setBrush(colour);
    painter.drawPath(hand);

    painter.setPen(QPen(colour.darker(160), 0.8));
    for (const qreal y : {8.8, 10.8, 12.7}) painter.drawLine(QPointF(10.4, y), QPointF(14, y));
}

}  // namespace

TImageList::TImageList(std::vector<Painter> images) : images_(std::move(images)) {}

TImageList TImageList::CheckBoxes() {
    return TImageList({[](QPainter& p) { PaintCheckBox(p, false); }, [](QPainter& p) { PaintCheckBox(p, true); }});
}

TImageList TImageList::Thumbs() {
    return TImageList({[](QPainter& p) { PaintThumb(p, false, QColor(0xD3, 0x2F, 0x2F)); },
                       [](QPainter& p) { PaintThumb(p, true, QColor(0x2E, 0x9E, 0x3C)); }});
}

QPixmap TImageList::Pixmap(int index, qreal devicePixelRatio) const {
    const auto key = std::make_pair(index, devicePixelRatio);
    if (const auto found = cache_.find(key); found != cache_.end()) return found->second;

    const int side = qRound(Size * devicePixelRatio);
    QPixmap pixmap(side, side);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    images_.at(index)(painter);
    painter.end();
    return cache_.emplace(key, pixmap).first->second;
}

void TImageList::Draw(QPainter& painter, int x, int y, int index) const {
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    painter.drawPixmap(x, y, Pixmap(index, ratio));
}

QIcon TImageList::Icon(int index) const {
    QIcon icon;
    for (const qreal ratio : {1.0, 2.0}) icon.addPixmap(Pixmap(index, ratio));
    return icon;
}
