// The live reading of the connected instrument in the identity panel, and the zero
// calibration command.
#include "ui/main/mainform.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "link/instlink.h"
#include "link/linkformat.h"
#include "tools/fatal.h"
#include "tools/operatorport.h"

namespace dtool {

namespace {

// Unit kinds of a reading.
constexpr std::uint8_t PressureKind = unit::Pa;
constexpr std::uint8_t VelocityKind = unit::m_s;

// A trial value as the switch library takes it: single precision, a value beyond it (one the
// range check could not limit) at the largest the library can be given.
float ToLinkFloat(double v) {
  if (std::isnan(v))
    return 0.0f;
  return static_cast<float>(std::clamp(v, double(-FLT_MAX), double(FLT_MAX)));
}

} // namespace

void TMainForm::RestartCheckInstTim() {
  if (CheckInstTim->isActive())
    CheckInstTim->start();
}

void TMainForm::RegisterTrialWizard(QWidget* wizard, std::function<void()> refreshEdit) {
  if (!wizard)
    return;
  for (TTrialWizard& known : trialWizards_)
    if (known.wizard == wizard) {
      known.refreshEdit = std::move(refreshEdit);
      return;
    }
  trialWizards_.append({QPointer<QWidget>(wizard), std::move(refreshEdit)});
}

void TMainForm::ShowLiveReading() {
  if (!Ready() || !Link() || zeroCalWaiting_)
    return;
  RestartCheckInstTim();
  if (IsAnalogFamily(sett->InstType()))
    ShowLiveAn();
  else
    ShowLiveSwitch();
}

void TMainForm::ShowLiveAn() {
  const TAnalogLinkApi& an = Link()->Analog();
  const std::int32_t port = Link()->Port();
  const std::int32_t kind = an.GetRecEventKind(port);
  if (kind != reckind::None)
    RecKind = kind;
  float value = 0;
  std::int32_t code = 0;
  std::uint8_t unitKind = PressureKind;
  if (RecKind == reckind::Velocity) {
    code = an.GetVelocityInst(port, &value);
    unitKind = VelocityKind;
    PressEdLb->setText(QStringLiteral("Velocity: "));
  } else {
    code = an.GetPressInst(port, &value);
    PressEdLb->setText(QStringLiteral("Pressure: "));
  }
  switch (code) {
  case anreading::Valid:
    PressEd->setText(sett->ConfigRead() ? GenPressStr(unitKind, value)
                                        : QStringLiteral("No Config"));
    break;
  case anreading::NoSignal:
  case anreading::NoData:
    PressEd->setText(QStringLiteral("No Signal"));
    sett->SetConfigRead(false);
    break;
  case anreading::Overflow:
    PressEd->setText(QStringLiteral("Overflow"));
    break;
  case anreading::Underflow:
    PressEd->setText(QStringLiteral("Underflow"));
    break;
  default:
    PressEd->clear();
    break;
  }
  RestartCheckInstTim();
  RefreshButtons();
}

void TMainForm::ShowLiveSwitch() {
  const TSwitchLinkApi& sw = Link()->Switch();
  const std::int32_t port = Link()->Port();
  RecKind = reckind::Pressure;
  bool trial = false;
  for (const TTrialWizard& t : trialWizards_)
    trial = trial || (t.wizard && t.wizard->isVisible());
  const TSwitchParams& t = trialSwitchRec_;
  float value = 0;
  const std::int32_t code =
      trial ? sw.GetPressPar(port, &value, ToLinkFloat(t.Hose_length), ToLinkFloat(t.Atm_Press),
                             ToLinkFloat(t.Humidity), ToLinkFloat(t.Gain_Sens))
            : sw.GetPressInst(port, &value);
  PressEdLb->setText(QStringLiteral("Pressure: "));
  if (code == swreading::Valid) {
    PressEd->setText(GenPressStr(PressureKind, value));
  } else {
    if (code != swreading::NoData && code != swreading::Overflow)
      sett->SetConfigRead(false);
    if (code == swreading::Overflow) {
      PressEd->setText(QStringLiteral("Overflow"));
    } else if (code == swreading::NoConfig) {
      PressEd->setText(QStringLiteral("No Config"));
    } else if (code == swreading::NoData && TimReadNoDataSuppr->isActive()) {
      PressEd->clear();
    } else {
      PressEd->setText(QStringLiteral("No Signal"));
      sett->SetConfigRead(false);
    }
  }
  RestartCheckInstTim();
  RefreshButtons();
}

QString TMainForm::GenPressStr(std::uint8_t unitKind, double value) const {
  TUnit shown = 0;
  if (unitKind == PressureKind)
    shown = session_->Prefs().PressUnit;
  else if (unitKind == VelocityKind)
    shown = session_->Prefs().VelocityUnit;
  else
    FatalStop("TMainForm.GenPressStr: Forbidden einheit!");
  const int type = sett->InstType();
  const int decimals = UnitDecimals(shown, type >= 1 && type <= 8 ? 3 : 1);
  return FormatFixed(ConvertUnit(shown, unitKind, value), decimals) + QLatin1Char(' ') +
         QString::fromStdString(UnitText(shown));
}

void TMainForm::ActZeroCalibrationExecute() {
  if (Ready())
    session_->CalibrateZero();
}

void TMainForm::ZeroCalWaiting(int elapsedMs, int limitMs) {
  zeroCalWaiting_ = true;
  ZeroCalBar->setRange(0, std::max(limitMs, 1));
  ZeroCalBar->setValue(std::clamp(elapsedMs, 0, std::max(limitMs, 1)));
  ZeroCalBar->setFormat(QStringLiteral("Zero calibration... %1 s").arg(elapsedMs / 1000));
  ZeroCalBar->show();
}

void TMainForm::ZeroCalWaitEnded() {
  zeroCalWaiting_ = false;
  ZeroCalBar->hide();
}

} // namespace dtool
