// Velocity mode, the unit the instrument's display shows, the switch's alarm delays and the
// humidity bands.
#include "ui/main/mainform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLocale>

#include <cmath>
#include <iterator>

#include "link/instlink.h"
#include "tools/fatal.h"
#include "tools/numeric.h"
#include "ui/controls/radiogroup.h"

namespace dtool {
namespace {

// One sampling interval of the switch is 0.15 s times its interval setting.
constexpr double IntervalStep = 0.15;
// The standard alarm delays, in sampling intervals.
constexpr int StandardDelays[] = {0, 2, 4, 8, 12, 16, 20, 40, 60, 80, 120, 160, 200, 240};
constexpr double DelayTolerance = 0.001;

// The number a delay item shows: the delay rounded to the one decimal the item is written with.
double ShownDelay(double seconds) {
  return std::round(seconds * 10) / 10;
}

} // namespace

void TMainForm::SetVmode(bool on) {
  if (!Ready())
    return;
  // A change of the box runs its click handler first.
  VelocityChB->setChecked(on);
  for (QWidget* w :
       {static_cast<QWidget*>(VelocityCEdLb), static_cast<QWidget*>(dLbVelocityCEPstat),
        static_cast<QWidget*>(VelocityNEdLb), static_cast<QWidget*>(LbVelocityNEPstat),
        static_cast<QWidget*>(DisplVelocityUnitGr)})
    w->setEnabled(on);
  for (TEditReal* ed : {VelocityCEd, EdrVelocityCPstat, VelocityNEd, EdrVelocityNPstat})
    ed->SetEnabled(on);
  DisplPressUnitGr->setEnabled(!on);
  switch (sett->GetInstClass()) {
  case ClassTransmitter:
    sett->Class1.Disp_unit = GetDispUnit(sett->GetVelocityMode());
    break;
  case ClassStatic:
  case ClassStaticZ:
    sett->Class23.Disp_unit = GetDispUnit(sett->GetVelocityMode());
    break;
  case ClassSwitch:
  case ClassNone:
    break;
  default:
    FatalStop("TMainForm.SetVmode(): Unknown instrument - class!");
  }
  sett->SetVelocityMode(on);
  WriteSetToField_(false);
}

TUnit TMainForm::GetDispUnit(bool velocity) const {
  switch (sett->GetInstClass()) {
  case ClassTransmitter:
    return velocity ? sett->Class1.DispVelocityUnit : sett->Class1.DispPressUnit;
  case ClassStatic:
  case ClassStaticZ:
    return velocity ? sett->Class23.DispVelocityUnit : sett->Class23.DispPressUnit;
  default:
    return velocity ? unit::m_s : unit::Pa;
  }
}

void TMainForm::SetDispUnit(TUnit u) {
  auto file = [u](auto& rec, const char* fault) {
    if (InUnitSet(u, VelocityUnitSet))
      rec.DispVelocityUnit = u;
    else if (InUnitSet(u, PressUnitSet))
      rec.DispPressUnit = u;
    else
      FatalStop(fault);
  };
  switch (sett->GetInstClass()) {
  case ClassTransmitter:
    file(sett->Class1, "TMainForm.SetDispUnit: Unit unknown! #1");
    break;
  case ClassStatic:
  case ClassStaticZ:
    file(sett->Class23, "TMainForm.SetDispUnit: Unit unknown! #2");
    break;
  default:
    FatalStop("TMainForm.SetDispUnit: instClass unknown!");
  }
}

void TMainForm::FillDelayCombo(QComboBox* combo) {
  const int s = sett->Switch.AlInt;
  if (delayItems_.isEmpty() || delayItemsInterval_ != s || delayItemsLocale_ != QLocale()) {
    delayItems_.clear();
    for (int k : StandardDelays)
      delayItems_.append(FormatFixed(k * IntervalStep * s, 1));
    delayItemsInterval_ = s;
    delayItemsLocale_ = QLocale();
  }
  bool same = combo->count() == delayItems_.size();
  for (int i = 0; same && i < combo->count(); ++i)
    same = combo->itemText(i) == delayItems_[i];
  if (same) {
    // The list holds the standard items already; it is left as a new fill leaves it.
    combo->setCurrentIndex(0);
    return;
  }
  combo->clear();
  combo->addItems(delayItems_);
}

void TMainForm::SetDelayField(QComboBox* combo, int count) {
  FillDelayCombo(combo);
  std::int32_t maxDly = 0;
  if (!Link() || Link()->Switch().GetIConst(&maxDly, swiconst::maxDly) != 0)
    FatalStop("TMainForm.SetDelayField(): maxDly!");
  const int s = sett->Switch.AlInt;
  const double t = count * IntervalStep * s;
  combo->setCurrentIndex(-1);
  // The items are the standard delays FillDelayCombo wrote.
  constexpr int items = static_cast<int>(std::size(StandardDelays));
  for (int p = 0; p < items; ++p) {
    const double c = ShownDelay(StandardDelays[p] * IntervalStep * s);
    const double n = p + 1 < items ? ShownDelay(StandardDelays[p + 1] * IntervalStep * s)
                                   : (maxDly + 1) * IntervalStep * s;
    if (c + DelayTolerance < t && t < n - DelayTolerance) {
      // A delay between two standard ones gets an item of its own.
      combo->insertItem(p + 1, FormatFixed(t, 1));
      combo->setCurrentIndex(p + 1);
      break;
    }
    if (std::fabs(t - c) < DelayTolerance)
      combo->setCurrentIndex(p);
  }
}

double TMainForm::GetDelayField(QComboBox* combo) {
  QLocale locale;
  locale.setNumberOptions(QLocale::RejectGroupSeparator);
  bool ok = false;
  const double x = locale.toDouble(combo->currentText(), &ok);
  if (!ok)
    FatalStop("TMainForm.GetDelayField()!");
  return RoundHalfEven(x / IntervalStep / sett->Switch.AlInt);
}

int TMainForm::HumidityBand(double humidity) {
  int band = 0;
  double distance = std::fabs(humidity - 10.0);
  for (int i = 1; i < 9; ++i) {
    const double d = std::fabs(humidity - (i + 1) * 10.0);
    if (d > distance)
      break;
    band = i;
    distance = d;
  }
  return band;
}

} // namespace dtool
