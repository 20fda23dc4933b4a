#pragma once
// The settings report: a one-page record of an instrument's identity and configuration for the
// job file. A report is chosen by name among the layouts compiled into the program, filled with
// named texts (the main window collects them from its controls) and printed, previewed or
// written as a PDF through Qt's print support.
#include <QHash>
#include <QPageSize>
#include <QString>
#include <QStringList>

#include <vector>

#include "records/report/reportlayout.h"

class QPagedPaintDevice;
class QPrinter;

namespace dtool {

// One named text of a report.
struct TReportParam {
  QString Name;
  QString Text;
  bool operator==(const TReportParam&) const = default;
};
using TReportParams = std::vector<TReportParam>;

// The report of an instrument type, 1 to 11; empty for every other type.
QString ReportNameFor(int instType);

// The program's own layouts: "<report name>.html" for each report, and the parts they share
// as "parts/<part>.html".
inline constexpr const char* ReportLayoutFolder = ":/reports";

// Paper of the operator's locale: Letter where it measures in US customary units, else A4.
QPageSize::PageSizeId LocalePaper();

class TSettingsReport {
public:
  explicit TSettingsReport(QString folder = QString::fromLatin1(ReportLayoutFolder));

  // Selects the report of a name. False when the folder holds no layout of that name, or one
  // that cannot be read as a layout; no report is selected then.
  bool SelectReport(const QString& name);
  QString ReportName() const { return name_; }

  void ClearParams() { params_.clear(); }
  // Sets a named text; setting a name again replaces its text.
  void SetParam(const QString& name, const QString& text) { params_.insert(name, text); }
  void SetParams(const TReportParams& params);

  // The title of the output: the name of the print job, the title of the PDF.
  void SetTitle(const QString& title) { title_ = title; }
  QString Title() const { return title_; }

  // The selected report with its texts, as HTML; empty when no report is selected.
  QString Html() const;
  // The names that the selected report uses and that no text was set for.
  QStringList Unfilled() const;

  // The scale at which the report fills one page of the device: 1 when it fits as laid out,
  // below 1 when it has to shrink to fit.
  double FitScale(const QPagedPaintDevice& device) const;
  // Paints the report on the device, one page for each copy. False when no report is selected
  // or the device cannot be painted on.
  bool Paint(QPagedPaintDevice& device, int copies = 1) const;
  // Prints on a printer with the copies it asks for, made here when it does not make them.
  bool Print(QPrinter& printer) const;
  // Writes the report as a PDF file on the paper given. The file is replaced only by a whole
  // new one. False, with error filled, when it could not be written.
  bool WritePdf(const QString& path, QPageSize::PageSizeId paper, QString* error = nullptr) const;

private:
  QString folder_;
  QString name_;
  TReportLayout layout_;
  QHash<QString, QString> params_;
  QString title_;
};

} // namespace dtool
