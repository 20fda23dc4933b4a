#pragma once
// A captioned group of radio buttons with one selected item, and the unit helpers over it.
#include <QButtonGroup>
#include <QGroupBox>
#include <QStringList>

#include "core/units.h"

class QGridLayout;
class QVBoxLayout;

namespace dtool {

class TRadioGroup : public QGroupBox {
  Q_OBJECT
public:
  explicit TRadioGroup(const QString& caption = {}, QWidget* parent = nullptr);

  // Lays the items out in this many columns, filled row by row (1 when not set).
  void SetColumns(int columns);
  int Columns() const { return columns_; }
  void SetItems(const QStringList& items);
  QStringList Items() const { return items_; }
  // The selected item, -1 for none.
  int ItemIndex() const;
  // Selects an item (-1 clears the selection). Like a selection by the operator, a change
  // made by program code emits Click.
  void SetItemIndex(int index);
  QString ItemText() const;

signals:
  void Click(dtool::TRadioGroup* sender);

private:
  void PlaceButtons();

  QVBoxLayout* layout_;
  QGridLayout* grid_ = nullptr; // the items' places while there is more than one column
  QButtonGroup* buttons_;
  int columns_ = 1;
  QStringList items_;
};

// Replaces the items by the texts of the units of the set, in ascending unit order.
void FillUnitRadioGroup(TRadioGroup& group, TUnitSet set);
// Selects the first item with exactly this text and returns true; else clears the selection.
bool SelectRadioItem(TRadioGroup& group, const QString& text);

} // namespace dtool
