#include "ui/dialogs/compareform.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QTableWidget>
#include <QTextDocument>
#include <QVBoxLayout>

#include "tools/operatorport.h"
#include "ui/dialogs/filedialog.h"
#include "ui/dialogs/wizardcommon.h"
#include "ui/help/helpcontexts.h"
#include "ui/help/helpsystem.h"

namespace dtool {

namespace {

constexpr int ClientWidth = 560;
constexpr int ClientHeight = 340;

QString Summary(const TCompareTable& table) {
  if (table.Rows.isEmpty())
    return QStringLiteral("The instrument holds the edited values.");
  return QStringLiteral("%1 parameter(s) of %2 differ from the edited values.")
      .arg(table.Rows.size())
      .arg(table.Instrument);
}

const QStringList& Heads() {
  static const QStringList heads{QStringLiteral("Parameter"), QStringLiteral("Instrument"),
                                 QStringLiteral("Edited"), QStringLiteral("Unit")};
  return heads;
}

QStringList Fields(const TCompareRow& row) {
  return {row.Caption, row.Instrument, row.Edited, row.Unit};
}

} // namespace

QString CompareTableText(const TCompareTable& table) {
  QString text = QStringLiteral("Compare with instrument: ") + table.Instrument + u'\n';
  text += Heads().join(u'\t') + u'\n';
  for (const TCompareRow& row : table.Rows)
    text += Fields(row).join(u'\t') + u'\n';
  if (table.Rows.isEmpty())
    text += Summary(table) + u'\n';
  return text;
}

QString CompareTableHtml(const TCompareTable& table) {
  QString html = QStringLiteral("<h2>Compare with instrument: %1</h2><p>%2</p>")
                     .arg(table.Instrument.toHtmlEscaped(), Summary(table).toHtmlEscaped());
  if (table.Rows.isEmpty())
    return html;
  html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\"><tr>");
  for (const QString& head : Heads())
    html += QStringLiteral("<th align=\"left\">%1</th>").arg(head);
  html += QStringLiteral("</tr>");
  for (const TCompareRow& row : table.Rows) {
    html += QStringLiteral("<tr>");
    for (const QString& field : Fields(row))
      html += QStringLiteral("<td>%1</td>").arg(field.toHtmlEscaped());
    html += QStringLiteral("</tr>");
  }
  return html + QStringLiteral("</table>");
}

TCompareForm::TCompareForm(QWidget* parent, const TCompareTable& table, TMode mode)
    : TDialogBase(parent, HelpDialogFlags), table_(table) {
  setObjectName(QStringLiteral("CompareForm"));
  setWindowTitle(QStringLiteral("Compare with instrument"));
  SetHelpContext(this, helpctx::Compare);

  SummaryLb = new QLabel(Summary(table), this);
  SummaryLb->setObjectName(QStringLiteral("SummaryLb"));
  SummaryLb->setWordWrap(true);
  CompareTable = new QTableWidget(static_cast<int>(table.Rows.size()), 4, this);
  CompareTable->setObjectName(QStringLiteral("CompareTable"));
  CompareTable->setHorizontalHeaderLabels(Heads());
  CompareTable->verticalHeader()->setVisible(false);
  CompareTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
  CompareTable->setSelectionBehavior(QAbstractItemView::SelectRows);
  CompareTable->setTabKeyNavigation(false);
  for (int r = 0; r < table.Rows.size(); ++r) {
    const QStringList fields = Fields(table.Rows[r]);
    for (int c = 0; c < fields.size(); ++c) {
      auto* item = new QTableWidgetItem(fields[c]);
      if (c == 1 || c == 2)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      CompareTable->setItem(r, c, item);
    }
  }
  CompareTable->resizeColumnsToContents();
  CompareTable->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);

  PrintBtn = NewButton(this, "PrintBtn", QStringLiteral("&Print..."));
  SaveBtn = NewButton(this, "SaveBtn", QStringLiteral("&Save..."));
  WriteBtn = nullptr;
  if (mode == TMode::BeforeWrite) {
    SummaryLb->setText(SummaryLb->text() + QStringLiteral(" Write the edited values now?"));
    WriteBtn = NewButton(this, "WriteBtn", QStringLiteral("&Write"));
    connect(WriteBtn, &QPushButton::clicked, this, &QDialog::accept);
  }
  CloseBtn = NewButton(this, "CloseBtn",
                       mode == TMode::View ? QStringLiteral("Close") : QStringLiteral("Cancel"));
  // Enter closes the view; before a write it is Cancel that is the default, not Write.
  CloseBtn->setDefault(true);
  connect(PrintBtn, &QPushButton::clicked, this, &TCompareForm::PrintBtnClick);
  connect(SaveBtn, &QPushButton::clicked, this, &TCompareForm::SaveBtnClick);
  connect(CloseBtn, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(PrintBtn);
  buttons->addWidget(SaveBtn);
  buttons->addStretch();
  if (WriteBtn)
    buttons->addWidget(WriteBtn);
  buttons->addWidget(CloseBtn);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(8, 8, 8, 8);
  layout->setSpacing(6);
  layout->addWidget(SummaryLb);
  layout->addWidget(CompareTable, 1);
  layout->addLayout(buttons);
  SetDesignClientSize(this, ClientWidth, ClientHeight);
  InstallCaptionHelp(this);
}

void TCompareForm::PrintBtnClick() {
  QPrinter printer(QPrinter::HighResolution);
  printer.setDocName(QStringLiteral("Compare with instrument"));
  QPrintDialog dialog(&printer, this);
  dialog.setObjectName(QStringLiteral("PrintDialog"));
  SetHelpContext(&dialog, helpctx::Compare);
  if (dialog.exec() != QDialog::Accepted)
    return;
  QTextDocument doc;
  doc.setHtml(CompareTableHtml(table_));
  doc.print(&printer);
}

void TCompareForm::SaveBtnClick() {
  const QString start = Folder.isEmpty() || !QFileInfo(Folder).isDir() ? QDir::homePath() : Folder;
  const QString path = AskFilePath(this, {TFileAccess::Save, QStringLiteral("Save comparison"),
                                          QDir(start).filePath(QStringLiteral("comparison.txt")),
                                          QStringLiteral("Text files (*.txt);;PDF files (*.pdf)"),
                                          QStringLiteral("SaveCompareDialog"), helpctx::Compare,
                                          QStringLiteral("txt")});
  if (path.isEmpty())
    return;
  bool ok = false;
  if (path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
    // A PDF is written beside and renamed into place, as every file of the program.
    const QString temp = path + QStringLiteral(".tmp");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(temp);
    QTextDocument doc;
    doc.setHtml(CompareTableHtml(table_));
    doc.print(&printer);
    ok = QFileInfo(temp).size() > 0;
    if (ok) {
      QFile::remove(path);
      ok = QFile::rename(temp, path);
    }
    QFile::remove(temp);
  } else {
    QSaveFile file(path);
    ok = file.open(QIODevice::WriteOnly) && file.write(CompareTableText(table_).toUtf8()) >= 0 &&
         file.commit();
  }
  if (!ok) {
    ErrorBox("Unable to write file \"" + QDir::toNativeSeparators(path).toStdString() + "\"!");
    return;
  }
  Folder = QFileInfo(path).absolutePath();
}

} // namespace dtool
