#include "FrameIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

// Theme names in order of preference (freedesktop names first).
QStringList ThemeNames(FrameIcon icon)
{
    switch (icon) {
    case FrameIcon::NewLogin:
        return {QStringLiteral("network-server"), QStringLiteral("network-workgroup")};
    case FrameIcon::Open:
        return {QStringLiteral("document-open"), QStringLiteral("folder-open")};
    case FrameIcon::Cut:
        return {QStringLiteral("edit-cut")};
    case FrameIcon::Copy:
        return {QStringLiteral("edit-copy")};
    case FrameIcon::Paste:
        return {QStringLiteral("edit-paste")};
    case FrameIcon::Delete:
        return {QStringLiteral("edit-delete")};
    case FrameIcon::LargeIcons:
        return {QStringLiteral("view-list-icons"), QStringLiteral("view-grid")};
    case FrameIcon::SmallIcons:
        return {QStringLiteral("view-list-compact"), QStringLiteral("view-app-grid")};
    case FrameIcon::List:
        return {QStringLiteral("view-list-text"), QStringLiteral("view-list")};
    case FrameIcon::Details:
        return {QStringLiteral("view-list-details"), QStringLiteral("view-list-tree")};
    case FrameIcon::About:
        return {QStringLiteral("help-about")};
    case FrameIcon::ContextHelp:
        return {QStringLiteral("help-contextual"), QStringLiteral("help-whatsthis")};
    case FrameIcon::Refresh:
        return {QStringLiteral("view-refresh")};
    case FrameIcon::Application:
        return {};
    }
    return {};
}

const QColor kInk(0x3a, 0x3f, 0x47);
const QColor kPaper(0xfa, 0xfa, 0xfa);
const QColor kBlue(0x35, 0x84, 0xe4);
const QColor kFolder(0xe5, 0xa5, 0x0a);
const QColor kFolderLight(0xf8, 0xe4, 0x5c);
const QColor kRed(0xe0, 0x1b, 0x24);
const QColor kGreen(0x2e, 0xc2, 0x7e);

void Page(QPainter& p, QRectF r)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(r);
}

// Draws the icon on a 16 x 16 grid; the painter is scaled to the size.
void Draw(QPainter& p, FrameIcon icon)
{
    p.setRenderHint(QPainter::Antialiasing);
    switch (icon) {
    case FrameIcon::NewLogin:
    case FrameIcon::Application: {
        // A server tower with a plus sign (a globe for the program).
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(0xde, 0xdd, 0xda));
        p.drawRoundedRect(QRectF(2.5, 1.5, 8, 13), 1, 1);
        p.setPen(QPen(kInk, 1));
        p.drawLine(QPointF(4, 4.5), QPointF(9, 4.5));
        p.drawLine(QPointF(4, 6.5), QPointF(9, 6.5));
        p.setBrush(kGreen);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(5, 12), 1, 1);
        if (icon == FrameIcon::Application) {
            p.setPen(QPen(kBlue.darker(120), 1));
            p.setBrush(kBlue);
            p.drawEllipse(QRectF(8.5, 7.5, 7, 7));
            p.setPen(QPen(Qt::white, 0.8));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QRectF(10.5, 7.5, 3, 7));
            p.drawLine(QPointF(8.5, 11), QPointF(15.5, 11));
        } else {
            p.setPen(QPen(kGreen.darker(130), 2.2, Qt::SolidLine, Qt::FlatCap));
            p.drawLine(QPointF(12.5, 8), QPointF(12.5, 15));
            p.drawLine(QPointF(9, 11.5), QPointF(16, 11.5));
        }
        break;
    }
    case FrameIcon::Open: {
        p.setPen(QPen(kFolder.darker(140), 1));
        p.setBrush(kFolder);
        p.drawRect(QRectF(1.5, 3.5, 11, 10));
        QPainterPath front;
        front.moveTo(3.5, 6.5);
        front.lineTo(15.5, 6.5);
        front.lineTo(12.5, 13.5);
        front.lineTo(1.5, 13.5);
        front.closeSubpath();
        p.setBrush(kFolderLight);
        p.drawPath(front);
        break;
    }
    case FrameIcon::Cut: {
        p.setPen(QPen(kInk, 1.3));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(4, 1.5), QPointF(10.5, 10.5));
        p.drawLine(QPointF(12, 1.5), QPointF(5.5, 10.5));
        p.setPen(QPen(kRed, 1.4));
        p.drawEllipse(QPointF(4.5, 12.5), 2.3, 2.3);
        p.drawEllipse(QPointF(11.5, 12.5), 2.3, 2.3);
        break;
    }
    case FrameIcon::Copy:
        Page(p, QRectF(1.5, 1.5, 8, 10));
        Page(p, QRectF(6.5, 4.5, 8, 10));
        p.setPen(QPen(kInk.lighter(160), 1));
        for (int y = 7; y <= 12; y += 2)
            p.drawLine(QPointF(8.5, y + 0.5), QPointF(12.5, y + 0.5));
        break;
    case FrameIcon::Paste:
        p.setPen(QPen(kFolder.darker(160), 1));
        p.setBrush(QColor(0xc0, 0x8a, 0x4a));
        p.drawRoundedRect(QRectF(1.5, 2.5, 10, 12), 1, 1);
        p.setBrush(QColor(0x9a, 0x99, 0x96));
        p.drawRect(QRectF(4.5, 1.5, 4, 2));
        Page(p, QRectF(6.5, 6.5, 8, 9));
        break;
    case FrameIcon::Delete:
        p.setPen(QPen(kRed, 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
        break;
    case FrameIcon::LargeIcons:
        p.setPen(QPen(kBlue.darker(130), 1));
        p.setBrush(kBlue.lighter(130));
        p.drawRect(QRectF(1.5, 1.5, 5, 5));
        p.drawRect(QRectF(9.5, 1.5, 5, 5));
        p.drawRect(QRectF(1.5, 9.5, 5, 5));
        p.drawRect(QRectF(9.5, 9.5, 5, 5));
        break;
    case FrameIcon::SmallIcons:
        p.setPen(Qt::NoPen);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 2; ++x) {
                p.setBrush(kBlue);
                p.drawRect(QRectF(1 + x * 8, 2 + y * 5, 3, 3));
                p.setBrush(kInk);
                p.drawRect(QRectF(5 + x * 8, 3 + y * 5, 3, 1));
            }
        }
        break;
    case FrameIcon::List:
        p.setPen(Qt::NoPen);
        for (int y = 0; y < 4; ++y) {
            for (int x = 0; x < 2; ++x) {
                p.setBrush(kBlue);
                p.drawRect(QRectF(1 + x * 8, 1.5 + y * 3.6, 2, 2));
                p.setBrush(kInk);
                p.drawRect(QRectF(4 + x * 8, 2 + y * 3.6, 3, 1));
            }
        }
        break;
    case FrameIcon::Details:
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawRect(QRectF(1, 1.5, 14, 1.5));
        for (int y = 0; y < 4; ++y) {
            p.setBrush(kBlue);
            p.drawRect(QRectF(1, 5 + y * 3, 2, 2));
            p.setBrush(kInk.lighter(140));
            p.drawRect(QRectF(4, 5.5 + y * 3, 6, 1));
            p.drawRect(QRectF(11.5, 5.5 + y * 3, 3.5, 1));
        }
        break;
    case FrameIcon::About:
    case FrameIcon::ContextHelp: {
        p.setPen(QPen(kBlue.darker(130), 1));
        p.setBrush(kBlue);
        const QRectF circle = icon == FrameIcon::About ? QRectF(1.5, 1.5, 13, 13) : QRectF(5.5, 3.5, 10, 10);
        p.drawEllipse(circle);
        QFont font;
        font.setBold(true);
        font.setPixelSize(icon == FrameIcon::About ? 10 : 8);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(circle, Qt::AlignCenter, icon == FrameIcon::About ? QStringLiteral("i") : QStringLiteral("?"));
        if (icon == FrameIcon::ContextHelp) {
            QPainterPath arrow;
            arrow.moveTo(0.5, 0.5);
            arrow.lineTo(0.5, 9);
            arrow.lineTo(2.6, 7);
            arrow.lineTo(4.2, 10.5);
            arrow.lineTo(5.6, 9.8);
            arrow.lineTo(4.1, 6.5);
            arrow.lineTo(6.8, 6.5);
            arrow.closeSubpath();
            p.setPen(QPen(kInk, 0.8));
            p.setBrush(Qt::white);
            p.drawPath(arrow);
        }
        break;
    }
    case FrameIcon::Refresh: {
        p.setPen(QPen(kGreen.darker(130), 2, Qt::SolidLine, Qt::FlatCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(2.5, 2.5, 11, 11), 60 * 16, 280 * 16);
        QPainterPath head;
        head.moveTo(9, 0.5);
        head.lineTo(14, 3.5);
        head.lineTo(9, 6.5);
        head.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(kGreen.darker(130));
        p.drawPath(head);
        break;
    }
    }
}

}  // namespace

QIcon BuiltInFrameIcon(FrameIcon icon)
{
    QIcon result;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.scale(size / 16.0, size / 16.0);
        Draw(painter, icon);
        painter.end();
        result.addPixmap(pixmap);
    }
    return result;
}

QIcon GetFrameIcon(FrameIcon icon)
{
    for (const QString& name : ThemeNames(icon)) {
        if (QIcon::hasThemeIcon(name))
            return QIcon::fromTheme(name);
    }
    return BuiltInFrameIcon(icon);
}
