// The shell's own pictures, drawn by code on a 16-unit grid: lines lie on
// half units, so they stay sharp at 16 pixels and at 32.

#include "shell32/IconTheme.h"

#include <QBrush>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace shell32 {

namespace {

const QColor kOutline(70, 70, 70);
const QColor kFolderFill(250, 206, 86);
const QColor kFolderLight(255, 230, 150);
const QColor kFolderLine(160, 112, 20);
const QColor kPaper(255, 255, 255);
const QColor kPaperLine(120, 120, 120);
const QColor kMetal(200, 200, 204);
const QColor kMetalDark(130, 130, 136);
const QColor kScreen(40, 90, 170);

QPen Pen(const QColor& colour, double width = 1.0)
{
    QPen pen(colour, width);
    pen.setJoinStyle(Qt::MiterJoin);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

QLinearGradient Vertical(double top, double bottom, const QColor& from, const QColor& to)
{
    QLinearGradient gradient(0, top, 0, bottom);
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    return gradient;
}

void FolderBack(QPainter& p)
{
    QPainterPath back;
    back.moveTo(1.5, 13.5);
    back.lineTo(1.5, 2.5);
    back.lineTo(6.0, 2.5);
    back.lineTo(7.5, 4.5);
    back.lineTo(14.5, 4.5);
    back.lineTo(14.5, 13.5);
    back.closeSubpath();
    p.setPen(Pen(kFolderLine));
    p.setBrush(Vertical(2, 14, kFolderLight, kFolderFill));
    p.drawPath(back);
}

void DrawFolder(QPainter& p)
{
    FolderBack(p);
    p.setPen(Pen(kFolderLight));
    p.drawLine(QPointF(2.5, 6.0), QPointF(13.5, 6.0));
    p.setPen(Pen(kFolderLine));
    p.drawLine(QPointF(1.5, 5.5), QPointF(14.5, 5.5));
}

void DrawFolderOpen(QPainter& p)
{
    FolderBack(p);
    p.setPen(Pen(kPaperLine));
    p.setBrush(kPaper);
    p.drawRect(QRectF(3.5, 3.5, 9, 6));
    QPolygonF flap;
    flap << QPointF(4.0, 7.5) << QPointF(15.5, 7.5) << QPointF(13.0, 13.5) << QPointF(1.5, 13.5);
    p.setPen(Pen(kFolderLine));
    p.setBrush(Vertical(7, 14, kFolderLight, kFolderFill));
    p.drawPolygon(flap);
}

// A page with its top-right corner folded; the area below the fold for marks.
void DrawPage(QPainter& p)
{
    QPainterPath page;
    page.moveTo(2.5, 0.5);
    page.lineTo(9.5, 0.5);
    page.lineTo(13.5, 4.5);
    page.lineTo(13.5, 15.5);
    page.lineTo(2.5, 15.5);
    page.closeSubpath();
    p.setPen(Pen(kPaperLine));
    p.setBrush(kPaper);
    p.drawPath(page);
    QPainterPath fold;
    fold.moveTo(9.5, 0.5);
    fold.lineTo(9.5, 4.5);
    fold.lineTo(13.5, 4.5);
    p.setBrush(QColor(225, 225, 225));
    p.drawPath(fold);
}

void DrawText(QPainter& p)
{
    DrawPage(p);
    p.setPen(Pen(QColor(110, 130, 170)));
    for (double y : {6.5, 8.5, 10.5, 12.5})
        p.drawLine(QPointF(4.5, y), QPointF(y == 12.5 ? 9.5 : 11.5, y));
    p.drawLine(QPointF(4.5, 4.5), QPointF(8.5, 4.5));
}

void DrawImage(QPainter& p)
{
    DrawPage(p);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(140, 200, 250));
    p.drawRect(QRectF(4, 6, 8, 7));
    p.setBrush(QColor(250, 200, 40));
    p.drawEllipse(QPointF(9.8, 8.0), 1.2, 1.2);
    QPolygonF hill;
    hill << QPointF(4, 13) << QPointF(6.5, 9) << QPointF(9, 13);
    p.setBrush(QColor(60, 150, 60));
    p.drawPolygon(hill);
    QPolygonF second;
    second << QPointF(7, 13) << QPointF(9.5, 10.5) << QPointF(12, 13);
    p.setBrush(QColor(90, 175, 80));
    p.drawPolygon(second);
    p.setPen(Pen(kPaperLine));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(3.5, 5.5, 9, 8));
}

void DrawAudio(QPainter& p)
{
    DrawPage(p);
    p.setPen(Pen(QColor(40, 40, 40), 1.0));
    p.drawLine(QPointF(8.5, 5), QPointF(8.5, 12));
    p.drawLine(QPointF(8.5, 5.5), QPointF(11.5, 7.0));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    p.drawEllipse(QPointF(7.0, 12.2), 2.0, 1.5);
}

void DrawVideo(QPainter& p)
{
    DrawPage(p);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 70));
    p.drawRect(QRectF(4, 6, 8, 7));
    p.setBrush(Qt::white);
    for (double y : {6.5, 8.5, 10.5, 12.5}) {
        p.drawRect(QRectF(4.5, y - 0.25, 1, 0.75));
        p.drawRect(QRectF(10.5, y - 0.25, 1, 0.75));
    }
    QPolygonF play;
    play << QPointF(7, 7.5) << QPointF(9.5, 9.5) << QPointF(7, 11.5);
    p.drawPolygon(play);
}

void DrawArchive(QPainter& p)
{
    const QColor box(196, 150, 96);
    p.setPen(Pen(QColor(120, 80, 40)));
    p.setBrush(Vertical(4, 15, box.lighter(115), box));
    p.drawRect(QRectF(1.5, 5.5, 13, 9));
    p.setBrush(box.lighter(125));
    p.drawRect(QRectF(0.5, 2.5, 15, 3));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 220, 190));
    p.drawRect(QRectF(7, 3, 2, 11));
}

void DrawExecutable(QPainter& p)
{
    p.setPen(Pen(kOutline));
    p.setBrush(kPaper);
    p.drawRect(QRectF(0.5, 2.5, 15, 11));
    p.setPen(Qt::NoPen);
    p.setBrush(Vertical(3, 6, QColor(40, 80, 180), QColor(20, 50, 140)));
    p.drawRect(QRectF(1, 3, 14, 2.5));
    p.setBrush(QColor(200, 210, 230));
    p.drawRect(QRectF(2, 7, 5, 5));
    p.setPen(Pen(QColor(150, 150, 150)));
    p.drawLine(QPointF(8.5, 7.5), QPointF(13.5, 7.5));
    p.drawLine(QPointF(8.5, 9.5), QPointF(13.5, 9.5));
    p.drawLine(QPointF(8.5, 11.5), QPointF(11.5, 11.5));
}

// A flat drive box with a light at the right; the slot or mark by kind.
void DriveBox(QPainter& p, const QColor& top, const QColor& bottom)
{
    p.setPen(Pen(kOutline));
    p.setBrush(Vertical(6, 12, top, bottom));
    p.drawRoundedRect(QRectF(0.5, 6.5, 15, 6), 1, 1);
    p.setPen(Pen(bottom.darker(130)));
    p.drawLine(QPointF(1.5, 10.5), QPointF(14.5, 10.5));
}

void DrawDriveFixed(QPainter& p)
{
    DriveBox(p, QColor(235, 235, 238), kMetal);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 200, 60));
    p.drawRect(QRectF(12, 11, 2, 1));
}

void DrawDriveRemovable(QPainter& p)
{
    DriveBox(p, QColor(235, 235, 238), kMetal);
    p.setPen(Pen(QColor(30, 30, 30)));
    p.drawLine(QPointF(3, 8.5), QPointF(10, 8.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 150, 30));
    p.drawRect(QRectF(12, 11, 2, 1));
}

void DrawDriveCd(QPainter& p)
{
    QRadialGradient sheen(QPointF(8, 8), 7);
    sheen.setColorAt(0.0, QColor(245, 245, 250));
    sheen.setColorAt(0.5, QColor(200, 220, 245));
    sheen.setColorAt(0.8, QColor(235, 210, 240));
    sheen.setColorAt(1.0, QColor(190, 190, 200));
    p.setPen(Pen(kMetalDark));
    p.setBrush(sheen);
    p.drawEllipse(QPointF(8, 8), 7, 7);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 8), 2, 2);
}

void DrawDriveNetwork(QPainter& p)
{
    p.save();
    p.translate(0, -4);
    DrawDriveFixed(p);
    p.restore();
    p.setPen(Pen(QColor(40, 40, 40)));
    p.drawLine(QPointF(7.5, 9), QPointF(7.5, 13.5));
    p.drawLine(QPointF(1.5, 14.5), QPointF(14.5, 14.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 120, 200));
    p.drawRect(QRectF(6, 13, 3, 3));
}

void DrawDriveRam(QPainter& p)
{
    p.setPen(Pen(QColor(20, 90, 40)));
    p.setBrush(QColor(40, 150, 70));
    p.drawRect(QRectF(0.5, 4.5, 15, 7));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 30));
    for (double x : {1.5, 5.5, 9.5, 13.0})
        p.drawRect(QRectF(x, 5.5, x == 13.0 ? 2 : 3, 4));
    p.setBrush(QColor(220, 180, 60));
    for (double x = 1.5; x < 15; x += 2)
        p.drawRect(QRectF(x, 12, 1, 2));
}

void Monitor(QPainter& p, const QColor& screenTop, const QColor& screenBottom)
{
    p.setPen(Pen(kOutline));
    p.setBrush(kMetal);
    p.drawRect(QRectF(0.5, 0.5, 15, 11));
    p.setPen(Pen(kMetalDark));
    p.setBrush(Vertical(2, 10, screenTop, screenBottom));
    p.drawRect(QRectF(2.5, 2.5, 11, 7));
    p.setPen(Pen(kOutline));
    p.setBrush(kMetal);
    p.drawRect(QRectF(6.5, 11.5, 3, 2));
    p.drawRect(QRectF(3.5, 13.5, 9, 2));
}

void DrawComputer(QPainter& p)
{
    Monitor(p, QColor(90, 150, 230), kScreen);
}

void DrawNetwork(QPainter& p)
{
    p.setPen(Pen(QColor(20, 70, 140)));
    QRadialGradient sea(QPointF(6, 5), 9);
    sea.setColorAt(0, QColor(150, 200, 255));
    sea.setColorAt(1, QColor(40, 100, 200));
    p.setBrush(sea);
    p.drawEllipse(QPointF(8, 8), 7, 7);
    p.setPen(Pen(QColor(230, 240, 255), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(8, 8), 3, 7);
    p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
    p.drawLine(QPointF(2.5, 4.5), QPointF(13.5, 4.5));
    p.drawLine(QPointF(2.5, 11.5), QPointF(13.5, 11.5));
}

void DrawTrash(QPainter& p, bool full)
{
    if (full) {
        p.setPen(Pen(kPaperLine));
        p.setBrush(kPaper);
        QPolygonF paper;
        paper << QPointF(4, 4) << QPointF(6.5, 0.5) << QPointF(9, 2.5) << QPointF(12, 1) << QPointF(12.5, 4);
        p.drawPolygon(paper);
        p.setBrush(QColor(255, 250, 200));
        p.drawEllipse(QPointF(6, 3), 2, 1.5);
    }
    QPolygonF body;
    body << QPointF(3.5, 4.5) << QPointF(12.5, 4.5) << QPointF(11.5, 15.5) << QPointF(4.5, 15.5);
    p.setPen(Pen(kOutline));
    p.setBrush(Vertical(4, 16, QColor(225, 228, 232), QColor(165, 170, 178)));
    p.drawPolygon(body);
    p.setPen(Pen(kMetalDark));
    for (double x : {6.5, 8.0, 9.5})
        p.drawLine(QPointF(x, 6.5), QPointF(x, 13.5));
    p.setPen(Pen(kOutline));
    p.setBrush(kMetal);
    p.drawRect(QRectF(2.5, 3.5, 11, 1.5));
}

void DrawControlPanel(QPainter& p)
{
    p.setPen(Pen(kOutline));
    p.setBrush(Vertical(1, 15, QColor(240, 240, 240), QColor(200, 200, 205)));
    p.drawRect(QRectF(0.5, 1.5, 15, 13));
    p.setPen(Pen(kMetalDark));
    for (double y : {4.5, 8.5, 12.5})
        p.drawLine(QPointF(2.5, y), QPointF(13.5, y));
    p.setPen(Pen(QColor(30, 60, 140)));
    p.setBrush(QColor(70, 120, 220));
    p.drawRect(QRectF(9.5, 3.5, 2, 2));
    p.drawRect(QRectF(4.5, 7.5, 2, 2));
    p.drawRect(QRectF(7.5, 11.5, 2, 2));
}

void DrawPrinter(QPainter& p)
{
    p.setPen(Pen(kPaperLine));
    p.setBrush(kPaper);
    p.drawRect(QRectF(3.5, 0.5, 9, 6));
    p.setPen(Pen(kOutline));
    p.setBrush(Vertical(6, 13, QColor(225, 225, 228), kMetalDark));
    p.drawRoundedRect(QRectF(0.5, 5.5, 15, 7), 1, 1);
    p.setPen(Pen(kPaperLine));
    p.setBrush(kPaper);
    p.drawRect(QRectF(3.5, 10.5, 9, 5));
    p.setPen(Pen(QColor(110, 130, 170)));
    p.drawLine(QPointF(5, 12.5), QPointF(11, 12.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 200, 60));
    p.drawRect(QRectF(12.5, 7, 1.5, 1));
}

void DrawDesktop(QPainter& p)
{
    Monitor(p, QColor(60, 160, 160), QColor(20, 110, 120));
    p.setPen(Qt::NoPen);
    p.setBrush(kFolderFill);
    p.drawRect(QRectF(3.5, 3.5, 2.5, 2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 6.5, 2.5, 2));
}

void DrawHome(QPainter& p)
{
    QPolygonF roof;
    roof << QPointF(8, 0.5) << QPointF(15.5, 7.5) << QPointF(0.5, 7.5);
    p.setPen(Pen(QColor(120, 30, 20)));
    p.setBrush(QColor(200, 60, 40));
    p.drawPolygon(roof);
    p.setPen(Pen(kOutline));
    p.setBrush(QColor(245, 230, 200));
    p.drawRect(QRectF(2.5, 7.5, 11, 8));
    p.setBrush(QColor(140, 90, 50));
    p.drawRect(QRectF(6.5, 10.5, 3, 5));
    p.setBrush(QColor(160, 210, 250));
    p.drawRect(QRectF(10.5, 9.5, 2, 2));
}

} // namespace

const char* BuiltInIconName(BuiltInIcon icon)
{
    switch (icon) {
    case BuiltInIcon::Blank:
        return "blank";
    case BuiltInIcon::Folder:
        return "folder";
    case BuiltInIcon::FolderOpen:
        return "folder-open";
    case BuiltInIcon::Document:
        return "document";
    case BuiltInIcon::Text:
        return "text";
    case BuiltInIcon::Image:
        return "image";
    case BuiltInIcon::Audio:
        return "audio";
    case BuiltInIcon::Video:
        return "video";
    case BuiltInIcon::Archive:
        return "archive";
    case BuiltInIcon::Executable:
        return "executable";
    case BuiltInIcon::DriveFixed:
        return "drive-fixed";
    case BuiltInIcon::DriveRemovable:
        return "drive-removable";
    case BuiltInIcon::DriveCd:
        return "drive-cd";
    case BuiltInIcon::DriveNetwork:
        return "drive-network";
    case BuiltInIcon::DriveRam:
        return "drive-ram";
    case BuiltInIcon::Computer:
        return "computer";
    case BuiltInIcon::Network:
        return "network";
    case BuiltInIcon::TrashEmpty:
        return "trash-empty";
    case BuiltInIcon::TrashFull:
        return "trash-full";
    case BuiltInIcon::ControlPanel:
        return "control-panel";
    case BuiltInIcon::Printers:
        return "printers";
    case BuiltInIcon::Desktop:
        return "desktop";
    case BuiltInIcon::Home:
        return "home";
    }
    return "unknown";
}

QImage DrawBuiltInIcon(BuiltInIcon icon, int size)
{
    if (size <= 0)
        return {};
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (icon == BuiltInIcon::Blank)
        return image;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    switch (icon) {
    case BuiltInIcon::Blank:
        break;
    case BuiltInIcon::Folder:
        DrawFolder(p);
        break;
    case BuiltInIcon::FolderOpen:
        DrawFolderOpen(p);
        break;
    case BuiltInIcon::Document:
        DrawPage(p);
        break;
    case BuiltInIcon::Text:
        DrawText(p);
        break;
    case BuiltInIcon::Image:
        DrawImage(p);
        break;
    case BuiltInIcon::Audio:
        DrawAudio(p);
        break;
    case BuiltInIcon::Video:
        DrawVideo(p);
        break;
    case BuiltInIcon::Archive:
        DrawArchive(p);
        break;
    case BuiltInIcon::Executable:
        DrawExecutable(p);
        break;
    case BuiltInIcon::DriveFixed:
        DrawDriveFixed(p);
        break;
    case BuiltInIcon::DriveRemovable:
        DrawDriveRemovable(p);
        break;
    case BuiltInIcon::DriveCd:
        DrawDriveCd(p);
        break;
    case BuiltInIcon::DriveNetwork:
        DrawDriveNetwork(p);
        break;
    case BuiltInIcon::DriveRam:
        DrawDriveRam(p);
        break;
    case BuiltInIcon::Computer:
        DrawComputer(p);
        break;
    case BuiltInIcon::Network:
        DrawNetwork(p);
        break;
    case BuiltInIcon::TrashEmpty:
        DrawTrash(p, false);
        break;
    case BuiltInIcon::TrashFull:
        DrawTrash(p, true);
        break;
    case BuiltInIcon::ControlPanel:
        DrawControlPanel(p);
        break;
    case BuiltInIcon::Printers:
        DrawPrinter(p);
        break;
    case BuiltInIcon::Desktop:
        DrawDesktop(p);
        break;
    case BuiltInIcon::Home:
        DrawHome(p);
        break;
    }
    return image;
}

} // namespace shell32
