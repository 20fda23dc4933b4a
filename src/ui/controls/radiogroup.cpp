#include "ui/controls/radiogroup.h"

#include <QGridLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace dtool {

TRadioGroup::TRadioGroup(const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent), layout_(new QVBoxLayout(this)), buttons_(new QButtonGroup(this)) {
  buttons_->setExclusive(true);
  layout_->setContentsMargins(8, 4, 8, 4);
  layout_->setSpacing(2);
  connect(buttons_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
    if (checked)
      emit Click(this);
  });
}

void TRadioGroup::SetColumns(int columns) {
  columns_ = columns < 1 ? 1 : columns;
  PlaceButtons();
}

void TRadioGroup::SetItems(const QStringList& items) {
  for (QAbstractButton* b : buttons_->buttons()) {
    buttons_->removeButton(b);
    delete b;
  }
  items_ = items;
  for (int i = 0; i < items.size(); ++i) {
    auto* button = new QRadioButton(items[i], this);
    button->setObjectName(QStringLiteral("%1_%2").arg(objectName()).arg(i));
    buttons_->addButton(button, i);
  }
  PlaceButtons();
}

void TRadioGroup::PlaceButtons() {
  const QList<QAbstractButton*> buttons = buttons_->buttons();
  for (QAbstractButton* b : buttons) {
    layout_->removeWidget(b);
    if (grid_)
      grid_->removeWidget(b);
  }
  if (columns_ > 1 && !grid_) {
    grid_ = new QGridLayout;
    grid_->setContentsMargins(0, 0, 0, 0);
    grid_->setHorizontalSpacing(16);
    grid_->setVerticalSpacing(2);
    layout_->addLayout(grid_);
  }
  for (int i = 0; i < buttons.size(); ++i) {
    QAbstractButton* b = buttons_->button(i);
    if (columns_ > 1)
      grid_->addWidget(b, i / columns_, i % columns_);
    else
      layout_->addWidget(b);
  }
  if (grid_)
    for (int c = 0; c < columns_; ++c)
      grid_->setColumnStretch(c, 1);
}

int TRadioGroup::ItemIndex() const {
  return buttons_->checkedId();
}

void TRadioGroup::SetItemIndex(int index) {
  if (index < 0 || index >= items_.size()) {
    // An exclusive group keeps one button checked; lift that for the moment of clearing.
    if (QAbstractButton* checked = buttons_->checkedButton()) {
      buttons_->setExclusive(false);
      checked->setChecked(false);
      buttons_->setExclusive(true);
    }
    return;
  }
  buttons_->button(index)->setChecked(true);
}

QString TRadioGroup::ItemText() const {
  const int i = ItemIndex();
  return i >= 0 ? items_[i] : QString();
}

void FillUnitRadioGroup(TRadioGroup& group, TUnitSet set) {
  QStringList items;
  for (const std::string& text : UnitSetTexts(set))
    items << QString::fromStdString(text);
  group.SetItems(items);
}

bool SelectRadioItem(TRadioGroup& group, const QString& text) {
  const int index = group.Items().indexOf(text);
  group.SetItemIndex(index);
  return index >= 0;
}

} // namespace dtool
