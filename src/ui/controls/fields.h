#pragma once
// What every window needs to show settings in its controls and take them back: numbers in the
// operator's locale, the filter lists, and the move of a value between a settings field in its
// storage unit and a real-number edit in the unit shown.
#include <QString>

#include <functional>

#include "core/units.h"

class QComboBox;

namespace dtool {

class TEditReal;

// A number with a fixed count of decimals in the operator's locale, without group separators.
QString FormatFixed(double value, int decimals);

// Fills a filter list: first "<smallest> (Filter off)", then every length up to largest.
// Item i stands for the length smallest + i.
void FillFilterCombo(QComboBox* combo, int largest, int smallest);

// The edit's value, converted from the unit shown into the storage unit, into field. Throws
// EConvertError, and leaves field as it was, when the text is no number or the converted
// value is not finite (a number the settings cannot hold).
void EditToSetting(double& field, TUnit storage, TUnit shown, TEditReal* edit);

// Shows a stored value in the edit, converted from the storage unit into the unit shown,
// without firing the edit's change notification.
void SettingToEdit(TEditReal* edit, TUnit shown, TUnit storage, double value);

// The edit's change notification is off for the lifetime of this object.
class TMuteChange {
public:
  explicit TMuteChange(TEditReal* edit);
  ~TMuteChange();
  TMuteChange(const TMuteChange&) = delete;
  TMuteChange& operator=(const TMuteChange&) = delete;

private:
  TEditReal* edit_;
  std::function<void(TEditReal*)> saved_;
};

} // namespace dtool
