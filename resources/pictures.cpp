#include "pictures.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmapCache>
#include <QString>
#include <QSvgRenderer>

// Registers the compiled resource file. Outside any namespace, as the resource compiler
// declares its function in the global one.
static void InitDtoolResource() {
  Q_INIT_RESOURCE(dtool);
}

namespace dtool {

namespace {

// Resource paths of the toolbar pictures by index.
constexpr const char* ActionFiles[ActionPictureCount] = {
    ":/icons/read.svg",       ":/icons/preferences.svg", ":/icons/protection-code.svg",
    ":/icons/analog-out.svg", ":/icons/filter.svg",      ":/icons/instrument-type.svg",
    ":/icons/zero.svg",       ":/icons/write.svg",       ":/icons/print.svg"};

// Product picture file for an instrument type.
const char* ProductFile(int instType) {
  switch (instType) {
  case 1: // Dravon-STD
  case 3: // Dravon-STS
  case 5: // Dravon-STD Z
  case 7: // Dravon-STS Z
    return ":/products/static.svg";
  case 2: // Dravon-STV
  case 4: // Dravon-STVS
  case 6: // Dravon-STV Z
  case 8: // Dravon-STVS Z
    return ":/products/static-display.svg";
  case 9: // DravonSwitch
    return ":/products/switch.svg";
  case 10: // DravonDat
    return ":/products/transmitter.svg";
  case 11: // DravonVision
    return ":/products/transmitter-display.svg";
  default:
    return ":/products/none.svg";
  }
}

QIcon IconFromResource(const char* path) {
  InitPictures();
  return QIcon(QString::fromLatin1(path));
}

} // namespace

void InitPictures() {
  static const bool done = [] {
    InitDtoolResource();
    return true;
  }();
  (void)done;
}

QIcon ActionPicture(int index) {
  if (index < 0 || index >= ActionPictureCount)
    return QIcon();
  return IconFromResource(ActionFiles[index]);
}

QPixmap ProductPicture(int instType, QSize size) {
  InitPictures();
  if (size.isEmpty())
    size = ProductPictureSize;
  const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
  // The drawings are compiled in: one rendering per drawing, size and pixel ratio serves every
  // later call (the main window shows the picture anew at every identity read).
  const QString file = QString::fromLatin1(ProductFile(instType));
  const QString key = QStringLiteral("dtool-product:%1:%2x%3@%4")
                          .arg(file)
                          .arg(size.width())
                          .arg(size.height())
                          .arg(ratio);
  QPixmap pixmap;
  if (QPixmapCache::find(key, &pixmap))
    return pixmap;
  pixmap = QPixmap(size * ratio);
  pixmap.setDevicePixelRatio(ratio);
  pixmap.fill(Qt::transparent);

  QSvgRenderer renderer(file);
  // Keep the drawing's proportions and centre it in the requested size.
  QSizeF drawn = renderer.defaultSize();
  if (drawn.isEmpty())
    drawn = ProductPictureSize;
  drawn.scale(size, Qt::KeepAspectRatio);
  const QRectF target(
      QPointF((size.width() - drawn.width()) / 2.0, (size.height() - drawn.height()) / 2.0), drawn);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  renderer.render(&painter, target);
  painter.end();
  QPixmapCache::insert(key, pixmap);
  return pixmap;
}

QIcon AppIcon() {
  return IconFromResource(":/icons/app.svg");
}

QIcon MakerLogo() {
  return IconFromResource(":/icons/maker-logo.svg");
}

QIcon NozzleGlyph() {
  return IconFromResource(":/icons/nozzle-info.svg");
}

QIcon HelpGlyph(THelpGlyph glyph) {
  switch (glyph) {
  case THelpGlyph::Back:
    return IconFromResource(":/icons/help-back.svg");
  case THelpGlyph::Forward:
    return IconFromResource(":/icons/help-forward.svg");
  case THelpGlyph::Home:
    return IconFromResource(":/icons/help-home.svg");
  }
  return QIcon();
}

} // namespace dtool
