// Draws every picture of the program on one sheet, at the sizes the program uses, so that
// they can be looked at together: toolbar pictures at 16, 24 and 32 px (and 16 px enlarged
// four times, to judge the pixels), the toolbar as the main window shows it, the glyphs,
// the application icon and the product pictures.
#include <QApplication>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <QSvgRenderer>

#include <cstdio>

#include "pictures.h"

namespace {

struct TIconRow {
  QString name;
  QIcon icon;
};

void DrawIcon(QPainter& p, const QIcon& icon, int x, int y, int size,
              QIcon::Mode mode = QIcon::Normal) {
  p.drawPixmap(x, y, icon.pixmap(QSize(size, size), 1.0, mode));
}

} // namespace

// Renders one drawing enlarged: <sheet> <out.png> <svg file or resource path> <scale>.
int Enlarge(const QString& out, const QString& svg, double scale) {
  dtool::InitPictures();
  QSvgRenderer renderer(svg);
  if (!renderer.isValid())
    return 1;
  QImage image((QSizeF(renderer.defaultSize()) * scale).toSize(),
               QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  renderer.render(&p);
  p.end();
  return image.save(out) ? 0 : 1;
}

int main(int argc, char* argv[]) {
  // A QApplication, so that disabled pictures get the style's grey as in the program.
  QApplication app(argc, argv);
  const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("pictures.png");
  if (argc > 3)
    return Enlarge(out, QString::fromLocal8Bit(argv[2]),
                   QString::fromLocal8Bit(argv[3]).toDouble());

  const QStringList actionNames = {"0 Read data",
                                   "1 Preferences...",
                                   "2 Change protection code...",
                                   "3 Test analog output...",
                                   "4 SetFilter...",
                                   "5 Type of instrument...",
                                   "6 Zero calibration...",
                                   "7 Write data",
                                   "8 Print..."};
  QList<TIconRow> rows;
  for (int i = 0; i < dtool::ActionPictureCount; ++i)
    rows.append({actionNames[i], dtool::ActionPicture(i)});
  rows.append({"Maker's logo (About)", dtool::MakerLogo()});
  rows.append({"Nozzle compensation info", dtool::NozzleGlyph()});
  rows.append({"Help: back", dtool::HelpGlyph(dtool::THelpGlyph::Back)});
  rows.append({"Help: forward", dtool::HelpGlyph(dtool::THelpGlyph::Forward)});
  rows.append({"Help: start page", dtool::HelpGlyph(dtool::THelpGlyph::Home)});
  rows.append({"Application icon", dtool::AppIcon()});

  const int rowH = 70, top = 60, nameW = 210;
  const int productTop = top + 40 + rows.size() * rowH + 20;
  QImage sheet(1000, productTop + 2 * 200 + 20, QImage::Format_ARGB32_Premultiplied);
  sheet.fill(Qt::white);
  QPainter p(&sheet);
  p.setRenderHint(QPainter::Antialiasing);
  QFont font = p.font();
  font.setPixelSize(13);
  p.setFont(font);
  QFont bold = font;
  bold.setBold(true);

  p.setFont(bold);
  p.drawText(20, 30, "DToolPc pictures");
  const int cols[] = {nameW, nameW + 50, nameW + 100, nameW + 160, nameW + 230, nameW + 330};
  const char* heads[] = {"16", "24", "32", "disabled", "16 px x4", "toolbar, 16 and 24 px"};
  for (int c = 0; c < 6; ++c)
    p.drawText(cols[c], top, heads[c]);
  p.setFont(font);

  for (int r = 0; r < rows.size(); ++r) {
    const int y = top + 20 + r * rowH;
    if (r % 2 == 1)
      p.fillRect(0, y - 6, nameW + 320, rowH, QColor("#f5f7f9"));
    p.setPen(Qt::black);
    p.drawText(20, y + 24, rows[r].name);
    DrawIcon(p, rows[r].icon, cols[0], y + 8, 16);
    DrawIcon(p, rows[r].icon, cols[1], y + 4, 24);
    DrawIcon(p, rows[r].icon, cols[2], y, 32);
    DrawIcon(p, rows[r].icon, cols[3] + 10, y + 4, 24, QIcon::Disabled);
    const QImage small = rows[r].icon.pixmap(QSize(16, 16), 1.0).toImage();
    p.drawImage(QRect(cols[4], y - 4, 64, 64), small);
  }

  // The toolbar as the main window lays it out: Print | Preferences, Type, SetFilter |
  // Change protection code, Zero calibration, Test analog output.
  const int bx = cols[5], by = top + 20;
  const int order[] = {8, -1, 1, 5, 4, -1, 2, 6, 3};
  for (int size : {16, 24}) {
    const int y = by + (size == 16 ? 0 : 50);
    const int h = size + 12;
    p.fillRect(bx, y, 300, h, QColor("#eceff2"));
    p.setPen(QColor("#c9d0d7"));
    p.drawLine(bx, y + h, bx + 300, y + h);
    int x = bx + 6;
    for (int index : order) {
      if (index < 0) {
        p.drawLine(x + 3, y + 4, x + 3, y + h - 4);
        x += 8;
        continue;
      }
      DrawIcon(p, dtool::ActionPicture(index), x + 4, y + 6, size);
      x += size + 10;
    }
  }
  p.setPen(Qt::black);
  // Application icon at larger sizes.
  DrawIcon(p, dtool::AppIcon(), bx, by + 110, 48);
  DrawIcon(p, dtool::AppIcon(), bx + 60, by + 110, 128);

  p.setFont(bold);
  p.drawText(20, productTop, "Product pictures, 180 x 150 (picture panel)");
  p.setFont(font);
  const int types[] = {0, 1, 2, 9, 10, 11};
  const char* names[] = {"0 no instrument",
                         "1, 3, 5, 7 Dravon-STD/-STS",
                         "2, 4, 6, 8 Dravon-STV/-STVS",
                         "9 DravonSwitch",
                         "10 DravonDat",
                         "11 DravonVision"};
  for (int i = 0; i < 6; ++i) {
    const int x = 20 + (i % 3) * 320;
    const int y = productTop + 15 + (i / 3) * 200;
    p.fillRect(x, y, 200, 170, QColor("#f0f0f0"));
    p.setPen(QColor("#a0a0a0"));
    p.drawRect(x, y, 200, 170);
    p.drawPixmap(x + 10, y + 10, dtool::ProductPicture(types[i]));
    p.setPen(Qt::black);
    p.drawText(x, y + 188, names[i]);
  }
  p.end();
  if (!sheet.save(out)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
    return 1;
  }
  return 0;
}
