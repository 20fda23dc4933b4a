#pragma once
// TCompareForm: "Compare with instrument", the table of the parameters whose value in the
// connected instrument differs from the edited one, with print and save. Before Write data it
// also asks whether to send the edited values.
#include <QList>
#include <QString>

#include "ui/dialogs/dialogbase.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace dtool {

// One differing parameter, as the operator reads it.
struct TCompareRow {
  QString Caption;
  QString Instrument; // the instrument's value, in the operator's unit
  QString Edited;     // the edited value, in the same unit
  QString Unit;       // empty for values without a unit
};

struct TCompareTable {
  QString Instrument; // type and serial number of the instrument read
  QList<TCompareRow> Rows;
};

// The table as text: a title line, the column heads and a line per row, fields separated by
// tabs; for a file.
QString CompareTableText(const TCompareTable& table);
// The table as a rich-text page, for printing and PDF.
QString CompareTableHtml(const TCompareTable& table);

class TCompareForm : public TDialogBase {
  Q_OBJECT
public:
  enum class TMode { View, BeforeWrite };
  // View: Print..., Save... and Close. BeforeWrite: Print..., Save..., Write and Cancel; the
  // dialog is accepted only by Write.
  TCompareForm(QWidget* parent, const TCompareTable& table, TMode mode);

  void PrintBtnClick();
  void SaveBtnClick();

  QLabel* SummaryLb;
  QTableWidget* CompareTable;
  QPushButton* PrintBtn;
  QPushButton* SaveBtn;
  QPushButton* WriteBtn; // null in View
  QPushButton* CloseBtn; // "Close" in View, "Cancel" in BeforeWrite

  // The folder the save dialog starts in; the folder of the file saved afterwards.
  QString Folder;

private:
  TCompareTable table_;
};

} // namespace dtool
