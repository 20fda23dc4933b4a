#include "ui/controls/fields.h"

#include <QComboBox>
#include <QLocale>

#include <cmath>

#include "ui/controls/editreal.h"

namespace dtool {

QString FormatFixed(double value, int decimals) {
  QLocale locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale.toString(value, 'f', decimals);
}

void FillFilterCombo(QComboBox* combo, int largest, int smallest) {
  combo->clear();
  combo->addItem(QStringLiteral("%1 (Filter off)").arg(smallest));
  for (int v = smallest + 1; v <= largest; ++v)
    combo->addItem(QString::number(v));
}

void EditToSetting(double& field, TUnit storage, TUnit shown, TEditReal* edit) {
  const double value = ConvertUnit(storage, shown, edit->Value());
  // A huge entry in a large unit overflows on the way into the storage unit.
  if (!std::isfinite(value))
    throw EConvertError("the value cannot be stored");
  field = value;
}

void SettingToEdit(TEditReal* edit, TUnit shown, TUnit storage, double value) {
  TMuteChange mute(edit);
  edit->SetValue(ConvertUnit(shown, storage, value));
}

TMuteChange::TMuteChange(TEditReal* edit) : edit_(edit), saved_(std::move(edit->OnChange)) {
  edit_->OnChange = nullptr;
}

TMuteChange::~TMuteChange() {
  edit_->OnChange = std::move(saved_);
}

} // namespace dtool
