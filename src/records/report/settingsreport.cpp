#include "records/report/settingsreport.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QLocale>
#include <QMarginsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <QTextDocument>

#include <algorithm>
#include <memory>
#include <optional>

// Registers the compiled layouts. Outside any namespace, as the resource compiler declares its
// function in the global one.
static void InitReportLayouts() {
  Q_INIT_RESOURCE(reports);
}

namespace dtool {

namespace {

// The report is laid out as a screen of 96 dots per inch would show it, whatever the screen,
// and scaled to the resolution of the device it is painted on.
constexpr int LayoutDpi = 96;
constexpr double DotsPerMetreAtLayoutDpi = LayoutDpi / 0.0254;

// Margins of a PDF page, in millimetres.
constexpr double PdfMarginMm = 15;

std::optional<QString> ReadText(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return std::nullopt;
  return QString::fromUtf8(file.readAll());
}

// A report laid out for the width of a page, at the layout resolution.
class TLaidOut {
public:
  explicit TLaidOut(const QString& html) : reference_(1, 1, QImage::Format_RGB32) {
    reference_.setDotsPerMeterX(qRound(DotsPerMetreAtLayoutDpi));
    reference_.setDotsPerMeterY(qRound(DotsPerMetreAtLayoutDpi));
    doc_.documentLayout()->setPaintDevice(&reference_);
    doc_.setDocumentMargin(0);
    doc_.setHtml(html);
  }

  // Lays the report out for the device's page and returns the scale at which it fits.
  double Fit(const QPagedPaintDevice& device) {
    const QRectF area = device.pageLayout().paintRect(QPageLayout::Inch);
    const double width = area.width() * LayoutDpi;
    const double height = area.height() * LayoutDpi;
    doc_.setTextWidth(width);
    const double natural = doc_.size().height();
    if (natural <= height || natural <= 0)
      return 1.0;
    // Laid out wider by the same factor, the report is no taller than before: it fits.
    const double scale = height / natural;
    doc_.setTextWidth(width / scale);
    return scale;
  }

  void Draw(QPainter& painter) { doc_.drawContents(&painter); }

private:
  QImage reference_; // the paint device the layout measures fonts on
  QTextDocument doc_;
};

} // namespace

QString ReportNameFor(int instType) {
  switch (instType) {
  case 1:
  case 5:
    return QStringLiteral("Dravon_STD");
  case 2:
  case 6:
    return QStringLiteral("Dravon_STV");
  case 3:
  case 7:
    return QStringLiteral("Dravon_STS");
  case 4:
  case 8:
    return QStringLiteral("Dravon_STVS");
  case 9:
    return QStringLiteral("Dravonswitch");
  case 10:
    return QStringLiteral("DravonDat");
  case 11:
    return QStringLiteral("DravonVision");
  default:
    return {};
  }
}

QPageSize::PageSizeId LocalePaper() {
  return QLocale().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                    : QPageSize::A4;
}

TSettingsReport::TSettingsReport(QString folder) : folder_(std::move(folder)) {
  static const bool registered = (InitReportLayouts(), true);
  (void)registered;
}

bool TSettingsReport::SelectReport(const QString& name) {
  name_.clear();
  layout_ = TReportLayout();
  if (name.isEmpty() || name.contains(u'/'))
    return false;
  const std::optional<QString> text = ReadText(folder_ + u'/' + name + QStringLiteral(".html"));
  if (!text)
    return false;
  const QString partsFolder = folder_ + QStringLiteral("/parts/");
  const TPartSource parts = [&partsFolder](const QString& part) -> std::optional<QString> {
    if (part.contains(u'/'))
      return std::nullopt;
    return ReadText(partsFolder + part + QStringLiteral(".html"));
  };
  TReportLayout layout;
  if (!layout.Parse(*text, parts))
    return false;
  layout_ = std::move(layout);
  name_ = name;
  return true;
}

void TSettingsReport::SetParams(const TReportParams& params) {
  for (const TReportParam& p : params)
    SetParam(p.Name, p.Text);
}

QString TSettingsReport::Html() const {
  return name_.isEmpty() ? QString() : layout_.Fill(params_);
}

QStringList TSettingsReport::Unfilled() const {
  QStringList unfilled;
  if (!name_.isEmpty())
    layout_.Fill(params_, &unfilled);
  return unfilled;
}

double TSettingsReport::FitScale(const QPagedPaintDevice& device) const {
  TLaidOut laidOut(Html());
  return laidOut.Fit(device);
}

bool TSettingsReport::Paint(QPagedPaintDevice& device, int copies) const {
  if (name_.isEmpty())
    return false;
  TLaidOut laidOut(Html());
  const double fit = laidOut.Fit(device);
  QPainter painter;
  if (!painter.begin(&device))
    return false;
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const double sx = fit * device.logicalDpiX() / LayoutDpi;
  const double sy = fit * device.logicalDpiY() / LayoutDpi;
  for (int copy = 0; copy < std::max(1, copies); ++copy) {
    if (copy > 0 && !device.newPage())
      break;
    painter.save();
    painter.scale(sx, sy);
    laidOut.Draw(painter);
    painter.restore();
  }
  return painter.end();
}

bool TSettingsReport::Print(QPrinter& printer) const {
  printer.setDocName(title_);
  printer.setCreator(QCoreApplication::applicationName());
  return Paint(printer, printer.supportsMultipleCopies() ? 1 : printer.copyCount());
}

bool TSettingsReport::WritePdf(const QString& path, QPageSize::PageSizeId paper,
                               QString* error) const {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) {
    if (error)
      *error = file.errorString();
    return false;
  }
  bool painted = false;
  {
    QPdfWriter writer(&file);
    writer.setTitle(title_);
    writer.setCreator(QCoreApplication::applicationName());
    writer.setPageLayout(QPageLayout(QPageSize(paper), QPageLayout::Portrait,
                                     QMarginsF(PdfMarginMm, PdfMarginMm, PdfMarginMm, PdfMarginMm),
                                     QPageLayout::Millimeter));
    painted = Paint(writer);
  }
  if (!painted) {
    file.cancelWriting();
    if (error)
      *error = QStringLiteral("the report could not be painted");
    return false;
  }
  if (!file.commit()) {
    if (error)
      *error = file.errorString();
    return false;
  }
  return true;
}

} // namespace dtool
