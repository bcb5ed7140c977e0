// Brevane - the images of the menus and the toolbar, drawn on a 24 x 24 grid.
#include "shell/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace shell {
namespace {

constexpr int kSize = 24;

const QColor kInk(0x30, 0x30, 0x34);
const QColor kPaper(0xFA, 0xFA, 0xF6);
const QColor kFolder(0xE8, 0xB8, 0x4A);
const QColor kBlue(0x3A, 0x6E, 0xA5);
const QColor kRed(0xC0, 0x39, 0x2B);
const QColor kGreen(0x2E, 0x8B, 0x57);

void page(QPainter& p, const QRectF& r)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 5, r.top());
    path.lineTo(r.right(), r.top() + 5);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setBrush(kPaper);
    p.setPen(QPen(kInk, 1.2));
    p.drawPath(path);
    p.drawLine(QPointF(r.right() - 5, r.top()), QPointF(r.right() - 5, r.top() + 5));
    p.drawLine(QPointF(r.right() - 5, r.top() + 5), QPointF(r.right(), r.top() + 5));
}

void folder(QPainter& p)
{
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(kFolder.darker(115));
    p.drawRect(QRectF(2.5, 5.5, 8, 4));
    p.setBrush(kFolder);
    p.drawRect(QRectF(2.5, 8.5, 19, 12));
}

void arrow(QPainter& p, bool up, const QColor& colour)
{
    QPainterPath path;
    if (up) {
        path.moveTo(12, 3);
        path.lineTo(19, 11);
        path.lineTo(15, 11);
        path.lineTo(15, 17);
        path.lineTo(9, 17);
        path.lineTo(9, 11);
        path.lineTo(5, 11);
    } else {
        path.moveTo(12, 17);
        path.lineTo(19, 9);
        path.lineTo(15, 9);
        path.lineTo(15, 3);
        path.lineTo(9, 3);
        path.lineTo(9, 9);
        path.lineTo(5, 9);
    }
    path.closeSubpath();
    p.setPen(QPen(kInk, 1));
    p.setBrush(colour);
    p.drawPath(path);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kInk, 1.6));
    p.drawLine(QPointF(4, 20.5), QPointF(20, 20.5));
}

void draw(QPainter& p, IconKey key)
{
    switch (key) {
    case IconKey::New:
        page(p, QRectF(5.5, 2.5, 13, 19));
        break;
    case IconKey::Open:
        folder(p);
        break;
    case IconKey::Save:
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(3.5, 3.5, 17, 17), 1.5, 1.5);
        p.setBrush(kPaper);
        p.drawRect(QRectF(7.5, 3.5, 9, 6));
        p.setBrush(kBlue.lighter(160));
        p.drawRect(QRectF(7, 13.5, 10, 7));
        break;
    case IconKey::Print:
        page(p, QRectF(7.5, 2.5, 9, 8));
        p.setBrush(QColor(0x9A, 0x9A, 0xA0));
        p.drawRoundedRect(QRectF(2.5, 9.5, 19, 8), 1.5, 1.5);
        p.setBrush(kPaper);
        p.drawRect(QRectF(6.5, 14.5, 11, 7));
        p.setBrush(kGreen);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(18.5, 12), 1, 1);
        break;
    case IconKey::Cut:
        p.setPen(QPen(kInk, 1.6));
        p.drawLine(QPointF(8, 3), QPointF(15.5, 15));
        p.drawLine(QPointF(16, 3), QPointF(8.5, 15));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kRed, 2));
        p.drawEllipse(QPointF(7, 18), 3.2, 3.2);
        p.drawEllipse(QPointF(17, 18), 3.2, 3.2);
        break;
    case IconKey::Copy:
        page(p, QRectF(3.5, 2.5, 11, 14));
        page(p, QRectF(9.5, 7.5, 11, 14));
        break;
    case IconKey::Delete:
        p.setPen(QPen(kRed, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(6, 6), QPointF(18, 18));
        p.drawLine(QPointF(18, 6), QPointF(6, 18));
        break;
    case IconKey::Paste:
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(QColor(0xA8, 0x7B, 0x4F));
        p.drawRoundedRect(QRectF(3.5, 4.5, 14, 17), 1.5, 1.5);
        p.setBrush(QColor(0xC8, 0xC8, 0xC8));
        p.drawRect(QRectF(7.5, 2.5, 6, 4));
        page(p, QRectF(10.5, 9.5, 10, 12));
        break;
    case IconKey::MidiDevices:
        p.setPen(QPen(kInk, 1.4));
        p.setBrush(QColor(0x55, 0x55, 0x5A));
        p.drawEllipse(QPointF(12, 12), 9, 9);
        p.setPen(Qt::NoPen);
        p.setBrush(kPaper);
        for (const QPointF& pin : {QPointF(6.5, 12), QPointF(8.2, 8), QPointF(12, 6.5), QPointF(15.8, 8),
                                   QPointF(17.5, 12)})
            p.drawEllipse(pin, 1.3, 1.3);
        p.drawRect(QRectF(10.5, 17, 3, 2.5));
        break;
    case IconKey::MidiGet:
        arrow(p, false, kGreen);
        break;
    case IconKey::MidiSend:
        arrow(p, true, kBlue);
        break;
    case IconKey::OpenMidFile:
        folder(p);
        p.setPen(QPen(kInk, 1.4));
        p.drawLine(QPointF(14.5, 11), QPointF(14.5, 17));
        p.setBrush(kInk);
        p.drawEllipse(QPointF(12.8, 17), 2, 1.5);
        break;
    case IconKey::Play: {
        QPainterPath path;
        path.moveTo(7, 4);
        path.lineTo(19, 12);
        path.lineTo(7, 20);
        path.closeSubpath();
        p.setPen(QPen(kInk, 1));
        p.setBrush(kGreen);
        p.drawPath(path);
        break;
    }
    case IconKey::Pause:
        p.setPen(QPen(kInk, 1));
        p.setBrush(kBlue);
        p.drawRect(QRectF(6.5, 5.5, 4, 13));
        p.drawRect(QRectF(13.5, 5.5, 4, 13));
        break;
    case IconKey::Stop:
        p.setPen(QPen(kInk, 1));
        p.setBrush(kRed);
        p.drawRect(QRectF(6.5, 6.5, 11, 11));
        break;
    case IconKey::CloseMidFile:
        folder(p);
        p.setPen(QPen(kRed, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(9, 11), QPointF(15, 17));
        p.drawLine(QPointF(15, 11), QPointF(9, 17));
        break;
    case IconKey::None:
        break;
    }
}

const char* themeName(IconKey key)
{
    switch (key) {
    case IconKey::New: return "document-new";
    case IconKey::Open: return "document-open";
    case IconKey::Save: return "document-save";
    case IconKey::Print: return "document-print";
    case IconKey::Cut: return "edit-cut";
    case IconKey::Copy: return "edit-copy";
    case IconKey::Delete: return "edit-delete";
    case IconKey::Paste: return "edit-paste";
    case IconKey::MidiDevices: return "audio-card";
    case IconKey::MidiGet: return "go-down";
    case IconKey::MidiSend: return "go-up";
    case IconKey::OpenMidFile: return "document-open";
    case IconKey::Play: return "media-playback-start";
    case IconKey::Pause: return "media-playback-pause";
    case IconKey::Stop: return "media-playback-stop";
    case IconKey::CloseMidFile: return "document-close";
    case IconKey::None: break;
    }
    return nullptr;
}

}  // namespace

QIcon drawnIcon(IconKey key)
{
    if (key == IconKey::None)
        return {};
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pixmap(kSize * scale, kSize * scale);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        draw(p, key);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QIcon toolbarIcon(IconKey key)
{
    const char* name = themeName(key);
    if (name && QIcon::hasThemeIcon(QString::fromLatin1(name)))
        return QIcon::fromTheme(QString::fromLatin1(name));
    return drawnIcon(key);
}

}  // namespace shell
