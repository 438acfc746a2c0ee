#include "SecurityEmblem.h"

#include "SecurityChoices.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QTreeWidgetItem>

#include <algorithm>

namespace security_emblem {

namespace {

constexpr int kStateRole = Qt::UserRole + 71;
constexpr int kNoState = -2;  // stored on an item that never had one

// The icon sizes a tree may ask for; an icon with sizes of its own (a
// style's pixmaps) keeps them as well.
QList<QSize> SizesOf(const QIcon& base)
{
    QList<QSize> sizes = base.availableSizes(QIcon::Normal);
    for (int side : {16, 20, 22, 24, 32, 48, 64}) {
        if (!sizes.contains(QSize(side, side)))
            sizes.append(QSize(side, side));
    }
    return sizes;
}

// A padlock in the square `box`, drawn from a rounded body and an arc for
// the shackle, so that it looks the same on every desktop whatever its
// icon theme and fonts. An open lock lifts its shackle out of the body.
void PaintLock(QPainter& painter, const QRectF& box, bool closed)
{
    const qreal s = box.width();
    const qreal x = box.left();
    const qreal y = box.top();
    const qreal line = std::max<qreal>(1.0, s * 0.14);
    const QColor outline(0x40, 0x30, 0x00);
    const QColor shackle(0x38, 0x38, 0x38);
    const QColor body = closed ? QColor(0xf0, 0xc0, 0x20) : QColor(0xf8, 0xdc, 0x80);

    // The shackle: left leg, arc over the top, right leg. The open one sits
    // higher and its right leg stops short of the body.
    const qreal lift = closed ? 0.0 : s * 0.14;
    const qreal left = x + s * 0.28;
    const qreal right = x + s * 0.72;
    const qreal arcTop = y + s * 0.08 - lift + line / 2;
    const qreal arcMid = arcTop + (right - left) / 2;
    const qreal bodyTop = y + s * 0.46;
    QPainterPath path;
    path.moveTo(left, bodyTop);
    path.lineTo(left, arcMid);
    path.arcTo(QRectF(left, arcTop, right - left, right - left), 180, -180);
    path.lineTo(right, closed ? bodyTop : arcMid + s * 0.06);
    // A light rim first, so that the lock stands out on a dark icon too.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255, 200), line + 1.5, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    painter.drawPath(path);
    painter.setPen(QPen(shackle, line, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
    painter.drawPath(path);

    const QRectF bodyRect(x + s * 0.1, bodyTop, s * 0.8, s * 0.52);
    const qreal radius = s * 0.08;
    painter.setPen(QPen(QColor(255, 255, 255, 200), 2.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(bodyRect, radius, radius);
    painter.setPen(QPen(outline, 1.0));
    painter.setBrush(body);
    painter.drawRoundedRect(bodyRect.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
    if (s >= 12) {
        // The keyhole only where there are pixels enough for it.
        const qreal hole = s * 0.07;
        painter.setPen(Qt::NoPen);
        painter.setBrush(outline);
        painter.drawEllipse(bodyRect.center(), hole, hole);
    }
}

QPixmap WithLock(QPixmap pixmap, bool closed)
{
    if (pixmap.isNull())
        return pixmap;
    const QSizeF size = pixmap.deviceIndependentSize();
    const qreal side = std::max<qreal>(8.0, std::min(size.width(), size.height()) * 0.62);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintLock(painter, QRectF(size.width() - side, size.height() - side, side, side), closed);
    return pixmap;
}

}  // namespace

QIcon Decorate(const QIcon& base, int state)
{
    if (state < 1 || base.isNull())
        return base;
    const bool closed = state >= 2;
    QIcon icon;
    // Both modes from the base, each with its own lock: a selected pixmap
    // derived later from the decorated normal one would tint the lock too.
    QList<QSize> done;
    for (const QSize& size : SizesOf(base)) {
        const QPixmap normal = base.pixmap(size, QIcon::Normal);
        // An icon without that size answers with a smaller one it has.
        if (normal.isNull() || done.contains(normal.size()))
            continue;
        done.append(normal.size());
        icon.addPixmap(WithLock(normal, closed), QIcon::Normal);
        icon.addPixmap(WithLock(base.pixmap(size, QIcon::Selected), closed), QIcon::Selected);
    }
    return icon;
}

int ShownState(const QTreeWidgetItem* item)
{
    const QVariant stored = item ? item->data(0, kStateRole) : QVariant();
    return stored.isValid() ? stored.toInt() : kNoState;
}

bool ApplyState(QTreeWidgetItem* item, const QIcon& base, int state)
{
    if (!item)
        return false;
    state = std::max(-1, std::min(state, 2));
    if (ShownState(item) == state)
        return false;
    item->setData(0, kStateRole, state);
    item->setIcon(0, Decorate(base, state));
    item->setToolTip(0, SecurityStateText(state));
    return true;
}

}  // namespace security_emblem
