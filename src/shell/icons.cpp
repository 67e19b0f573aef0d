#include "shell/icons.h"

#include <QPainter>
#include <QPainterPath>

#include "shell/command_ids.h"

namespace krn::shell {
namespace {

constexpr QSize kToolbarSize(16, 15);
constexpr QSize kTreeSize(16, 16);

const QColor kOutline(40, 40, 40);
const QColor kSteel(150, 156, 164);
const QColor kSteelLight(196, 200, 206);
const QColor kSteelDark(96, 102, 110);

QPixmap Canvas(QSize size, const QColor& background) {
  QPixmap pm(size);
  pm.fill(background);
  return pm;
}

// Upload and Download: a module below, an arrow above it.
void DrawModuleChip(QPainter& p) {
  p.setPen(kOutline);
  p.setBrush(kSteel);
  p.drawRect(2, 9, 11, 5);
  p.setPen(QColor(60, 200, 60));
  p.drawPoint(4, 11);
  p.setPen(QColor(230, 170, 0));
  p.drawPoint(6, 11);
  p.setPen(kSteelDark);
  p.drawLine(9, 11, 11, 11);
}

void DrawVerticalArrow(QPainter& p, bool up, const QColor& color) {
  QPainterPath arrow;
  if (up) {
    arrow.moveTo(7.5, 0);
    arrow.lineTo(13, 5.5);
    arrow.lineTo(10, 5.5);
    arrow.lineTo(10, 8);
    arrow.lineTo(5, 8);
    arrow.lineTo(5, 5.5);
    arrow.lineTo(2, 5.5);
  } else {
    arrow.moveTo(5, 0);
    arrow.lineTo(10, 0);
    arrow.lineTo(10, 3);
    arrow.lineTo(13, 3);
    arrow.lineTo(7.5, 8.5);
    arrow.lineTo(2, 3);
    arrow.lineTo(5, 3);
  }
  arrow.closeSubpath();
  p.setPen(QPen(color.darker(160), 1));
  p.setBrush(color);
  p.drawPath(arrow);
}

QPixmap UploadPixmap() {
  QPixmap pm = Canvas(kToolbarSize, Qt::transparent);
  QPainter p(&pm);
  DrawModuleChip(p);
  p.setRenderHint(QPainter::Antialiasing);
  DrawVerticalArrow(p, true, QColor(40, 120, 220));
  return pm;
}

QPixmap DownloadPixmap() {
  QPixmap pm = Canvas(kToolbarSize, Qt::transparent);
  QPainter p(&pm);
  DrawModuleChip(p);
  p.setRenderHint(QPainter::Antialiasing);
  DrawVerticalArrow(p, false, QColor(230, 110, 20));
  return pm;
}

// Start Auto Configuration: a magnifier over a card file, reading what the
// module heard.
QPixmap AutoConfigPixmap() {
  QPixmap pm = Canvas(kToolbarSize, Qt::transparent);
  QPainter p(&pm);
  p.setPen(kOutline);
  p.setBrush(kSteelLight);
  p.drawRect(0, 8, 10, 6);
  p.setPen(kSteelDark);
  for (int x = 2; x < 10; x += 2) p.drawLine(x, 9, x, 13);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(20, 60, 140), 2));
  p.setBrush(QColor(200, 230, 255, 200));
  p.drawEllipse(QRectF(6, 1, 7, 7));
  p.setPen(QPen(QColor(90, 60, 30), 2.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(6.5, 8), QPointF(3.5, 11));
  return pm;
}

QPixmap AboutPixmap() {
  QPixmap pm = Canvas(kToolbarSize, Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(20, 70, 160), 1));
  p.setBrush(QColor(50, 110, 210));
  p.drawEllipse(QRectF(0.5, 0.5, 14, 14));
  QPainterPath q;
  q.moveTo(5, 5.5);
  q.cubicTo(5, 2.5, 10.5, 2.5, 10.5, 5.2);
  q.cubicTo(10.5, 7, 7.75, 7, 7.75, 9);
  p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap));
  p.setBrush(Qt::NoBrush);
  p.drawPath(q);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(QRectF(6.75, 10.5, 2, 2));
  return pm;
}

QPixmap SavePixmap() {
  QPixmap pm = Canvas(kToolbarSize, Qt::transparent);
  QPainter p(&pm);
  p.setPen(kOutline);
  p.setBrush(QColor(40, 70, 150));
  p.drawRect(1, 0, 13, 14);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawRect(4, 1, 7, 5);
  p.setBrush(QColor(120, 140, 190));
  p.drawRect(4, 9, 7, 5);
  p.setBrush(QColor(40, 70, 150));
  p.drawRect(8, 10, 2, 3);
  return pm;
}

QPixmap ModulePixmap() {
  QPixmap pm = Canvas(kTreeSize, Qt::white);
  QPainter p(&pm);
  p.setPen(kOutline);
  p.setBrush(kSteel);
  p.drawRect(4, 0, 8, 15);
  p.setBrush(kSteelDark);
  p.drawRect(4, 0, 8, 3);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(40, 200, 40));
  p.drawRect(6, 5, 2, 2);
  p.setBrush(QColor(240, 180, 0));
  p.drawRect(9, 5, 2, 2);
  p.setBrush(kSteelLight);
  p.drawRect(6, 9, 5, 4);
  return pm;
}

QPixmap RackPixmap() {
  QPixmap pm = Canvas(kTreeSize, Qt::white);
  QPainter p(&pm);
  p.setPen(kOutline);
  p.setBrush(kSteelLight);
  p.drawRect(0, 2, 15, 12);
  p.setPen(kSteelDark);
  for (int x = 2; x < 15; x += 2) p.drawLine(x, 6, x, 12);
  const QColor leds[] = {QColor(220, 30, 30), QColor(40, 190, 40), QColor(240, 190, 0)};
  for (int i = 0; i < 3; ++i) {
    p.setPen(leds[i]);
    p.drawLine(2 + 4 * i, 4, 3 + 4 * i, 4);
  }
  return pm;
}

// Input and output slots: a horizontal arrow on a coloured square.
QPixmap SlotArrowPixmap(const QColor& square, const QColor& arrowColor) {
  QPixmap pm = Canvas(kTreeSize, Qt::white);
  QPainter p(&pm);
  p.setPen(square.darker(150));
  p.setBrush(square);
  p.drawRect(0, 0, 15, 15);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath arrow;
  arrow.moveTo(3, 6);
  arrow.lineTo(8, 6);
  arrow.lineTo(8, 3);
  arrow.lineTo(13, 8);
  arrow.lineTo(8, 13);
  arrow.lineTo(8, 10);
  arrow.lineTo(3, 10);
  arrow.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(arrowColor);
  p.drawPath(arrow);
  return pm;
}

QPixmap UndefinedPixmap() {
  QPixmap pm = Canvas(kTreeSize, Qt::white);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QPainterPath q;
  q.moveTo(4, 5);
  q.cubicTo(4, 0.5, 12, 0.5, 12, 4.8);
  q.cubicTo(12, 7.5, 8, 7.5, 8, 10.5);
  p.setPen(QPen(QColor(210, 20, 20), 2.6, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(q);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(210, 20, 20));
  p.drawEllipse(QRectF(6.5, 12.2, 3, 3));
  return pm;
}

QPixmap EmptyPixmap() {
  QPixmap pm = Canvas(kTreeSize, Qt::white);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(210, 20, 20), 2.6, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
  p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
  return pm;
}

}  // namespace

QIcon ToolbarIcon(int command) {
  switch (command) {
    case kCmdStartAutoConfig: return QIcon(AutoConfigPixmap());
    case kCmdUploadConfig: return QIcon(UploadPixmap());
    case kCmdDownloadConfig: return QIcon(DownloadPixmap());
    case kCmdAppAbout: return QIcon(AboutPixmap());
    case kCmdFileSave: return QIcon(SavePixmap());
    default: return {};
  }
}

QPixmap TreePixmap(int image) {
  switch (image) {
    case 0: return ModulePixmap();
    case 1: return RackPixmap();
    case 2: return SlotArrowPixmap(QColor(30, 80, 200), Qt::white);
    case 3: return SlotArrowPixmap(QColor(60, 190, 70), Qt::black);
    case 4: return UndefinedPixmap();
    case 5: return EmptyPixmap();
    default: return {};
  }
}

QImage ProgramIconImage(const ModuleVariant& variant, int size) {
  QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);
  const QColor accent = variant.IsMonitor() ? QColor(30, 100, 210) : QColor(225, 110, 20);

  // The module's front: a grey body with a coloured header.
  p.setPen(QPen(QColor(50, 54, 60), 2));
  p.setBrush(QColor(170, 176, 184));
  p.drawRoundedRect(QRectF(12, 3, 40, 58), 5, 5);
  p.setPen(Qt::NoPen);
  p.setBrush(accent);
  p.drawRoundedRect(QRectF(14, 5, 36, 10), 3, 3);

  // Status lights and the serial port.
  p.setBrush(QColor(40, 200, 60));
  p.drawEllipse(QRectF(18, 19, 6, 6));
  p.setBrush(QColor(245, 190, 0));
  p.drawEllipse(QRectF(29, 19, 6, 6));
  p.setBrush(QColor(60, 64, 70));
  p.drawRoundedRect(QRectF(19, 47, 26, 9), 2, 2);
  p.setBrush(QColor(220, 220, 220));
  for (int i = 0; i < 5; ++i) p.drawEllipse(QRectF(21.5 + 4.5 * i, 50, 3, 3));

  // The badge: an eye for the monitor that listens, a forward chevron for
  // the scanner that drives.
  p.setPen(QPen(Qt::white, 2.5));
  p.setBrush(accent);
  p.drawEllipse(QRectF(30, 26, 30, 30));
  p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  if (variant.IsMonitor()) {
    QPainterPath eye;
    eye.moveTo(36, 41);
    eye.quadTo(45, 31, 54, 41);
    eye.quadTo(45, 51, 36, 41);
    p.drawPath(eye);
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(42.5, 38.5, 5, 5));
  } else {
    p.drawPolyline(QPolygonF({QPointF(38, 33), QPointF(45, 41), QPointF(38, 49)}));
    p.drawPolyline(QPolygonF({QPointF(46, 33), QPointF(53, 41), QPointF(46, 49)}));
  }
  return img;
}

QIcon ProgramIcon(const ModuleVariant& variant) {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128})
    icon.addPixmap(QPixmap::fromImage(ProgramIconImage(variant, size)));
  return icon;
}

}  // namespace krn::shell
