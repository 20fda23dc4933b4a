// The settings and the controls of the pages: filling the combos, showing every setting in its
// control in the operator's units, and storing what the operator changes.
#include "ui/main/mainform.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QToolButton>

#include <cfloat>
#include <climits>
#include <cmath>
#include <stdexcept>

#include "tools/fatal.h"
#include "tools/numeric.h"
#include "tools/operatorport.h"
#include "ui/controls/radiogroup.h"

namespace dtool {
namespace {

// A control holds nothing that can be stored.
class EInvalidInput : public std::runtime_error {
public:
  EInvalidInput() : std::runtime_error("invalid input") {}
};

bool IsStaticType(int type) {
  return type >= 1 && type <= 8;
}

QString UnitCaption(TUnit u) {
  return QString::fromStdString(UnitText(u));
}

// The selected item of a list; none selected, or one beyond count, is no value.
int SelectedIndex(const QComboBox* combo, int count) {
  const int i = combo->currentIndex();
  if (i < 0 || i >= count)
    throw EInvalidInput();
  return i;
}

// Alarm direction lists: item 0 "<", item 1 ">".
int Direction(const QComboBox* combo) {
  return SelectedIndex(combo, 2);
}

double SignedByDirection(double magnitude, const QComboBox* combo) {
  return Direction(combo) == 1 ? std::fabs(magnitude) : -std::fabs(magnitude);
}

// The unit of the selected item of a unit radio group.
TUnit SelectedUnit(const TRadioGroup* group) {
  if (group->ItemIndex() < 0)
    throw EInvalidInput();
  return GetUnit(group->ItemText().toStdString());
}

// C of the velocity calculation is kept in single precision.
float ToSingle(double v) {
  if (!(std::fabs(v) <= FLT_MAX))
    throw EInvalidInput();
  return static_cast<float>(v);
}

std::int32_t ToContrast(double v) {
  const double r = RoundHalfEven(v);
  if (!(r >= INT32_MIN && r <= INT32_MAX))
    throw EInvalidInput();
  return static_cast<std::int32_t>(r);
}

} // namespace

// ---- Combos ----

void TMainForm::FillCombos() {
  for (QComboBox* combo : {IntCb, AlIntCb}) {
    combo->clear();
    for (int i = 1; i <= 9; ++i)
      combo->addItem(FormatFixed(i * 0.15, 3));
  }
  HumCB->clear();
  for (int h = 10; h <= 90; h += 10)
    HumCB->addItem(FormatFixed(h - 10, 0) + QStringLiteral("..") + FormatFixed(h + 10, 0));
  FillFilterCombo(MovAverCb, 20, 1);
  FillFilterCombo(CbFiltLevPstat, 20, 0);
  for (QComboBox* combo : {A1GrKlCb, A2GrKlCb, CbA1GrKlStatic, CbA2GrKlStatic}) {
    combo->clear();
    combo->addItems({QStringLiteral("<"), QStringLiteral(">")});
  }
}

// ---- Wiring: what the operator does reaches the handlers; what the program sets does not,
// except for the radio groups, the check boxes and the contrast edit. ----

void TMainForm::WireBinding() {
  const auto edits = {
      VelocityCEd,     VelocityNEd,      EdrGainSensStatic, EdrVelocityCPstat, EdrVelocityNPstat,
      AnFromEd,        AnToEd,           AnOffsetEd,        AnGainEd,          Al1ThreEdr,
      Al1HysEdr,       Al2ThreEdr,       Al2HysEdr,         EdrAl1ThreStatic,  EdrAl1HysStatic,
      EdrAl1DlyStatic, EdrAl2ThreStatic, EdrAl2HysStatic,   EdrAl2DlyStatic,   HoseLenEd,
      AtmPressEd,      GainSensEd,       ContrastEd};
  for (TEditReal* ed : edits) {
    ed->OnChange = [this](TEditReal* s) { AktSettChange(s); };
    ed->OnExit = [this](TEditReal* s) { AktSettExit(s); };
    ed->OnDataInput = [this](TEditReal* s) { xxEdDataInput(s); };
  }
  for (TEditReal* ed : {EdrAl1DlyStatic, EdrAl2DlyStatic})
    ed->OnButtonClick = [this](TEditReal* s) { xxEdRangeLimit(s); };
  for (QComboBox* combo : {IntCb, MovAverCb, CbFiltLevPstat, A1GrKlCb, Al1DlyCb, A2GrKlCb, Al2DlyCb,
                           CbA1GrKlStatic, CbA2GrKlStatic, HumCB})
    connect(combo, &QComboBox::activated, this, [this, combo] { AktSettChange(combo); });
  connect(AlIntCb, &QComboBox::activated, this, [this] { AlIntCbChange(); });
  for (TRadioGroup* group : {AnSigRg, DisplPressUnitGr, DisplVelocityUnitGr})
    connect(group, &TRadioGroup::Click, this, [this](TRadioGroup* s) { AktSettChange(s); });
  for (QCheckBox* box : {VelocityChB, ChBVelocity})
    connect(box, &QCheckBox::toggled, this, [this, box] { VelocityChBClick(box); });
  connect(AnOffsetEdUnitLb, &QToolButton::clicked, this, [this] { AnOffsetEdUnitLbClick(); });
}

// ---- Conversions ----

TUnit TMainForm::AnalogOutUnit() const {
  return sett->GetVelocityMode() ? session_->Prefs().VelocityUnit : session_->Prefs().PressUnit;
}

void TMainForm::RefreshUnitLabels() {
  auto show = [](TEditReal* ed, QLabel* label, TUnit u, int infoKind) {
    label->setText(UnitCaption(u));
    ed->SetNachkomma(UnitDecimals(u, infoKind));
  };
  const TUnit analog = AnalogOutUnit();
  show(AnFromEd, AnFromEdUnitLb, analog, 1);
  show(AnToEd, AnToEdUnitLb, analog, 1);
  show(HoseLenEd, HoseLenEdUnitLb, session_->Prefs().HoseUnit, 1);
  show(AtmPressEd, AtmPressEdUnitLb, session_->Prefs().AtmUnit, 2);
  AnOffsetEdUnitLb->setText(UnitCaption(sett->AnOffsetUnit()));
  AnOffsetEd->SetNachkomma(UnitDecimals(sett->AnOffsetUnit(), 1));
  show(Al1ThreEdr, Al1ThreEdrUnitLb, session_->Prefs().PressUnit, 1);
  show(Al2ThreEdr, Al2ThreEdrUnitLb, session_->Prefs().PressUnit, 1);
  show(Al1HysEdr, Al1HysEdrUnitLb, session_->Prefs().PressUnit, 1);
  show(Al2HysEdr, Al2HysEdrUnitLb, session_->Prefs().PressUnit, 1);
  const TUnit alarm =
      sett->GetVelocityMode() ? session_->Prefs().VelocityUnit : session_->Prefs().PressUnit;
  show(EdrAl1ThreStatic, LbAl1ThreEdrUnitStatic, alarm, 1);
  show(EdrAl2ThreStatic, LbAl2ThreEdrUnitStatic, alarm, 1);
  show(EdrAl1HysStatic, LbAl1HysEdrUnit, alarm, 1);
  show(EdrAl2HysStatic, LbAl2HysEdrUnit, alarm, 1);
}

// ---- Settings into the controls ----

template <typename R> void TMainForm::WriteAnalogAndDisplay(const R& rec, bool vmode) {
  const TUnit analog = AnalogOutUnit();
  const TUnit stored = vmode ? unit::m_s : unit::Pa;
  SettingToEdit(AnFromEd, analog, stored, vmode ? rec.An_velocity_from : rec.An_from);
  SettingToEdit(AnToEd, analog, stored, vmode ? rec.An_velocity_to : rec.An_to);
  AnSigRg->SetItemIndex(rec.An_4_20 != 0 ? 1 : 0);
  SettingToEdit(AnOffsetEd, sett->AnOffsetUnit(), unit::AnalogOffset, rec.An_offset);
  SettingToEdit(AnGainEd, unit::None, unit::None, rec.An_gain);
  auto unitName = [](TUnit u) { return u <= unit::Last ? UnitCaption(u) : QString(); };
  SelectRadioItem(*DisplPressUnitGr, unitName(rec.DispPressUnit));
  SelectRadioItem(*DisplVelocityUnitGr, unitName(rec.DispVelocityUnit));
  ContrastEd->SetValue(rec.Disp_contr);
}

void TMainForm::WriteStaticAlarms(bool vmode) {
  struct TAlarmControls {
    QComboBox* dir;
    TEditReal *thre, *hys, *dly;
    const TAlarmGroup& group;
  };
  const TUnit shown = vmode ? session_->Prefs().VelocityUnit : session_->Prefs().PressUnit;
  const TUnit stored = vmode ? unit::m_s : unit::Pa;
  for (const TAlarmControls& a : {TAlarmControls{CbA1GrKlStatic, EdrAl1ThreStatic, EdrAl1HysStatic,
                                                 EdrAl1DlyStatic, sett->Class23.AL1},
                                  TAlarmControls{CbA2GrKlStatic, EdrAl2ThreStatic, EdrAl2HysStatic,
                                                 EdrAl2DlyStatic, sett->Class23.AL2}}) {
    const TAlarmGroup& g = a.group;
    a.dir->setCurrentIndex((vmode ? g.VelocityOver : g.PressOver) != 0 ? 1 : 0);
    SettingToEdit(a.thre, shown, stored, vmode ? g.ThresVelocity : g.ThresPress);
    SettingToEdit(a.hys, shown, stored, vmode ? g.HysVelocity : g.HysPress);
    SettingToEdit(a.dly, unit::None, unit::None, vmode ? g.DelayVelocity : g.DelayPress);
  }
}

void TMainForm::WriteSwitchAlarms() {
  const TSwitchParams& s = sett->Switch;
  struct TAlarmControls {
    QComboBox* dir;
    TEditReal *thre, *hys;
    QComboBox* dly;
    double threshold, hysteresis;
    int delay;
  };
  for (const TAlarmControls& a :
       {TAlarmControls{A1GrKlCb, Al1ThreEdr, Al1HysEdr, Al1DlyCb, s.Al1Thre, s.Al1Hys, s.Al1Dly},
        TAlarmControls{A2GrKlCb, Al2ThreEdr, Al2HysEdr, Al2DlyCb, s.Al2Thre, s.Al2Hys, s.Al2Dly}}) {
    a.dir->setCurrentIndex(a.threshold > 0 ? 1 : 0);
    SettingToEdit(a.thre, session_->Prefs().PressUnit, unit::Pa, std::fabs(a.threshold));
    SettingToEdit(a.hys, session_->Prefs().PressUnit, unit::Pa, a.hysteresis);
    SetDelayField(a.dly, a.delay); // fills the list first
  }
  AlIntCb->setCurrentIndex(s.AlInt - 1);
}

void TMainForm::WriteSetToField_(bool refreshVmode) {
  if (!Ready())
    return;
  const int type = sett->InstType();
  if (IsStaticType(type))
    SetDispUnit(sett->Class23.Disp_unit);
  else if (type == 10 || type == 11)
    SetDispUnit(sett->Class1.Disp_unit);
  if (refreshVmode)
    SetVmode(sett->GetVelocityMode());
  RefreshUnitLabels();
  try {
    const bool vmode = sett->GetVelocityMode();
    const TClass1Params& c1 = sett->Class1;
    const TClass23Params& c23 = sett->Class23;
    const TSwitchParams& sw = sett->Switch;
    // Environment and gain.
    const bool analog = IsAnalogFamily(type);
    SettingToEdit(HoseLenEd, session_->Prefs().HoseUnit, unit::m,
                  analog ? c1.Hose_length : sw.Hose_length);
    SettingToEdit(AtmPressEd, session_->Prefs().AtmUnit, unit::hPa,
                  analog ? c1.Atm_Press : sw.Atm_Press);
    HumCB->setCurrentIndex(HumidityBand(analog ? c1.Humidity : sw.Humidity));
    SettingToEdit(GainSensEd, unit::None, unit::None, analog ? c1.Gain_Sens : sw.Gain_Sens);
    if (analog)
      SettingToEdit(EdrGainSensStatic, unit::None, unit::None, c23.Gain_Sens);
    // The trial wizards' edits, from the wizards' own values: the hose length wizard's, then
    // the gain wizard's.
    for (const TTrialWizard& t : trialWizards_)
      if (t.wizard && t.refreshEdit)
        t.refreshEdit();
    // Static alarms, analog output and display.
    WriteStaticAlarms(vmode);
    if (IsStaticType(type))
      WriteAnalogAndDisplay(c23, vmode);
    else
      WriteAnalogAndDisplay(c1, vmode);
    // Filters, velocity constants, interval.
    MovAverCb->setCurrentIndex(c1.Moving_Average - 1);
    CbFiltLevPstat->setCurrentIndex(c23.Filter_level);
    SettingToEdit(VelocityCEd, unit::None, unit::None, c1.Velocity_C);
    SettingToEdit(VelocityNEd, unit::None, unit::None, c1.Velocity_n);
    SettingToEdit(EdrVelocityCPstat, unit::None, unit::None, c23.Velocity_C);
    SettingToEdit(EdrVelocityNPstat, unit::None, unit::None, c23.Velocity_n);
    IntCb->setCurrentIndex(c1.Speed - 1);
    WriteSwitchAlarms();
  } catch (const FatalError&) {
    throw;
  } catch (const std::exception& e) {
    FatalStop(std::string("WriteSetToField_(): Exception (") + e.what() + ")!");
  }
}

// ---- One control into the settings ----

template <typename R> bool TMainForm::ReadRecordControl(QObject* c, R& rec) {
  const bool vmode = sett->GetVelocityMode();
  const TUnit analog = AnalogOutUnit();
  const TUnit stored = vmode ? unit::m_s : unit::Pa;
  if (c == DisplPressUnitGr)
    rec.DispPressUnit = SelectedUnit(DisplPressUnitGr);
  else if (c == DisplVelocityUnitGr)
    rec.DispVelocityUnit = SelectedUnit(DisplVelocityUnitGr);
  else if (c == ContrastEd)
    rec.Disp_contr = ToContrast(ContrastEd->Value());
  else if (c == AnFromEd)
    EditToSetting(vmode ? rec.An_velocity_from : rec.An_from, stored, analog, AnFromEd);
  else if (c == AnToEd)
    EditToSetting(vmode ? rec.An_velocity_to : rec.An_to, stored, analog, AnToEd);
  else if (c == AnSigRg)
    rec.An_4_20 = AnSigRg->ItemIndex() > 0 ? 1 : 0;
  else if (c == AnOffsetEd)
    EditToSetting(rec.An_offset, unit::AnalogOffset, sett->AnOffsetUnit(), AnOffsetEd);
  else if (c == AnGainEd)
    EditToSetting(rec.An_gain, unit::None, unit::None, AnGainEd);
  else
    return false;
  return true;
}

bool TMainForm::ReadAnalogControl(QObject* c) {
  TClass1Params& c1 = sett->Class1;
  TClass23Params& c23 = sett->Class23;
  const bool vmode = sett->GetVelocityMode();
  double value = 0;
  if (c == HoseLenEd) {
    EditToSetting(c1.Hose_length, unit::m, session_->Prefs().HoseUnit, HoseLenEd);
  } else if (c == AtmPressEd) {
    EditToSetting(c1.Atm_Press, unit::hPa, session_->Prefs().AtmUnit, AtmPressEd);
  } else if (c == HumCB) {
    c1.Humidity = (SelectedIndex(HumCB, 9) + 1) * 10.0;
  } else if (c == GainSensEd) {
    EditToSetting(c1.Gain_Sens, unit::None, unit::None, GainSensEd);
  } else if (c == EdrGainSensStatic) {
    EditToSetting(c23.Gain_Sens, unit::None, unit::None, EdrGainSensStatic);
  } else if (c == IntCb) {
    c1.Speed = SelectedIndex(IntCb, 9) + 1;
  } else if (c == MovAverCb) {
    c1.Moving_Average = SelectedIndex(MovAverCb, 20) + 1;
  } else if (c == VelocityChB || c == ChBVelocity) {
    sett->SetVelocityMode(static_cast<QCheckBox*>(c)->isChecked());
  } else if (c == VelocityCEd || c == EdrVelocityCPstat) {
    EditToSetting(value, unit::None, unit::None, static_cast<TEditReal*>(c));
    (c == VelocityCEd ? c1.Velocity_C : c23.Velocity_C) = ToSingle(value);
  } else if (c == VelocityNEd) {
    EditToSetting(c1.Velocity_n, unit::None, unit::None, VelocityNEd);
  } else if (c == EdrVelocityNPstat) {
    EditToSetting(c23.Velocity_n, unit::None, unit::None, EdrVelocityNPstat);
  } else if (c == CbFiltLevPstat) {
    c23.Filter_level = SelectedIndex(CbFiltLevPstat, 21);
  } else {
    // The static alarms: velocity or pressure fields by the mode.
    const TUnit shown = vmode ? session_->Prefs().VelocityUnit : session_->Prefs().PressUnit;
    const TUnit stored = vmode ? unit::m_s : unit::Pa;
    struct TAlarmControls {
      QComboBox* dir;
      TEditReal *thre, *hys, *dly;
      TAlarmGroup& group;
    };
    for (const TAlarmControls& a : {TAlarmControls{CbA1GrKlStatic, EdrAl1ThreStatic,
                                                   EdrAl1HysStatic, EdrAl1DlyStatic, c23.AL1},
                                    TAlarmControls{CbA2GrKlStatic, EdrAl2ThreStatic,
                                                   EdrAl2HysStatic, EdrAl2DlyStatic, c23.AL2}}) {
      TAlarmGroup& g = a.group;
      if (c == a.dir) {
        (vmode ? g.VelocityOver : g.PressOver) = static_cast<std::uint8_t>(Direction(a.dir));
        return true;
      }
      if (c == a.thre) {
        EditToSetting(vmode ? g.ThresVelocity : g.ThresPress, stored, shown, a.thre);
        return true;
      }
      if (c == a.hys) {
        EditToSetting(vmode ? g.HysVelocity : g.HysPress, stored, shown, a.hys);
        return true;
      }
      if (c == a.dly) {
        EditToSetting(vmode ? g.DelayVelocity : g.DelayPress, unit::None, unit::None, a.dly);
        return true;
      }
    }
    return IsStaticType(sett->InstType()) ? ReadRecordControl(c, c23) : ReadRecordControl(c, c1);
  }
  return true;
}

bool TMainForm::ReadSwitchControl(QObject* c) {
  TSwitchParams& s = sett->Switch;
  double value = 0;
  auto delayCount = [this](QComboBox* combo) {
    const double count = GetDelayField(combo);
    if (!(count >= 0 && count <= 255))
      throw EInvalidInput();
    return static_cast<std::uint8_t>(count);
  };
  if (c == HoseLenEd)
    EditToSetting(s.Hose_length, unit::m, session_->Prefs().HoseUnit, HoseLenEd);
  else if (c == AtmPressEd)
    EditToSetting(s.Atm_Press, unit::hPa, session_->Prefs().AtmUnit, AtmPressEd);
  else if (c == HumCB)
    s.Humidity = (SelectedIndex(HumCB, 9) + 1) * 10.0;
  else if (c == GainSensEd)
    EditToSetting(s.Gain_Sens, unit::None, unit::None, GainSensEd);
  else if (c == A1GrKlCb)
    s.Al1Thre = SignedByDirection(s.Al1Thre, A1GrKlCb);
  else if (c == A2GrKlCb)
    s.Al2Thre = SignedByDirection(s.Al2Thre, A2GrKlCb);
  else if (c == Al1ThreEdr || c == Al2ThreEdr) {
    const bool one = c == Al1ThreEdr;
    EditToSetting(value, unit::Pa, session_->Prefs().PressUnit, one ? Al1ThreEdr : Al2ThreEdr);
    (one ? s.Al1Thre : s.Al2Thre) = SignedByDirection(value, one ? A1GrKlCb : A2GrKlCb);
  } else if (c == Al1HysEdr)
    EditToSetting(s.Al1Hys, unit::Pa, session_->Prefs().PressUnit, Al1HysEdr);
  else if (c == Al2HysEdr)
    EditToSetting(s.Al2Hys, unit::Pa, session_->Prefs().PressUnit, Al2HysEdr);
  else if (c == Al1DlyCb)
    s.Al1Dly = delayCount(Al1DlyCb);
  else if (c == Al2DlyCb)
    s.Al2Dly = delayCount(Al2DlyCb);
  else if (c == AlIntCb)
    s.AlInt = static_cast<std::uint8_t>(SelectedIndex(AlIntCb, 9) + 1);
  else
    return false;
  return true;
}

bool TMainForm::ReadSet(QObject* control) {
  if (!Ready())
    return false;
  bool stored = true;
  try {
    if (IsAnalogFamily(sett->InstType()))
      ReadAnalogControl(control);
    else
      ReadSwitchControl(control);
  } catch (const FatalError&) {
    throw;
  } catch (const std::exception&) {
    ErrorBox(InvalidValueText);
    stored = false;
    storeRefused_ = true;
  }
  // The unit the instrument shows follows the mode. The switch and "no instrument" have no
  // display: the transmitter record keeps its own.
  const TUnit dispUnit = GetDispUnit(sett->GetVelocityMode());
  const int cls = sett->GetInstClass();
  if (cls == ClassTransmitter)
    sett->Class1.Disp_unit = dispUnit;
  else if (cls == ClassStatic || cls == ClassStaticZ)
    sett->Class23.Disp_unit = dispUnit;
  return stored;
}

// ---- Handlers ----

bool TMainForm::AktSettChange(QObject* sender) {
  if (!Ready())
    return false;
  session_->ConfigurationEdited();
  if (sender == VelocityCEd || sender == EdrVelocityCPstat) {
    auto* ed = static_cast<TEditReal*>(sender);
    try {
      if (ed->Value() < 0)
        ed->SetValue(0);
    } catch (const EConvertError&) {
      // ReadSet reports the text.
    }
  }
  return ReadSet(sender);
}

bool TMainForm::AktSettExit(TEditReal* sender) {
  if (!Ready())
    return false;
  if (sender->CheckInput(true)) {
    // Showing the value in the edit's format stores it, when that changes the text.
    storeRefused_ = false;
    sender->SetValue(sender->Value());
    return !storeRefused_;
  }
  ErrorBox(InvalidValueText);
  sender->InputEdit()->setFocus(Qt::OtherFocusReason);
  sender->InputEdit()->selectAll();
  return false;
}

void TMainForm::xxEdDataInput(TEditReal* sender) {
  if (!Ready())
    return;
  sender->CheckInput(true);
}

void TMainForm::xxEdRangeLimit(TEditReal* sender) {
  if (!Ready())
    return;
  const bool limit = sender->RangeLimit;
  sender->RangeLimit = true;
  try {
    sender->SetValue(sender->Value());
  } catch (const EConvertError&) {
    // The spin buttons leave a number in the edit; nothing to clamp otherwise.
  }
  sender->RangeLimit = limit;
}

void TMainForm::AlIntCbChange() {
  if (!Ready())
    return;
  AktSettChange(AlIntCb);
  FillDelayCombo(Al1DlyCb);
  FillDelayCombo(Al2DlyCb);
  WriteSetToField_(true);
}

void TMainForm::VelocityChBClick(QCheckBox* sender) {
  if (!Ready())
    return;
  session_->ConfigurationEdited();
  const bool on = sender->isChecked();
  SetVmode(on);
  VelocityChB->setChecked(on);
  ChBVelocity->setChecked(on);
  ReadSet(VelocityChB);
}

void TMainForm::AnOffsetEdUnitLbClick() {
  if (!Ready())
    return;
  session_->ConfigurationEdited();
  sett->SetAnOffsetUnit(sett->AnOffsetUnit() == unit::mA ? unit::V : unit::mA);
}

// ---- The edits the wizards start from and hand their results to ----

TMainForm::TFieldControls TMainForm::FieldControls(THostField field) const {
  switch (field) {
  case THostField::HoseLength:
    return {HoseLenEdLb, HoseLenEd, HoseLenEdUnitLb};
  case THostField::VelocityC:
    return {VelocityCEdLb, VelocityCEd, nullptr};
  case THostField::VelocityCStatic:
    return {dLbVelocityCEPstat, EdrVelocityCPstat, nullptr};
  case THostField::GainSens:
    return {LblGain, GainSensEd, nullptr};
  case THostField::GainSensStatic:
    return {nullptr, EdrGainSensStatic, nullptr};
  case THostField::AtmPress:
    return {LblAtmPress, AtmPressEd, AtmPressEdUnitLb};
  case THostField::Contrast:
    return {nullptr, ContrastEd, nullptr};
  case THostField::AnFrom:
    return {nullptr, AnFromEd, AnFromEdUnitLb};
  case THostField::AnTo:
    return {nullptr, AnToEd, AnToEdUnitLb};
  case THostField::AnOffset:
    return {nullptr, AnOffsetEd, AnOffsetEdUnitLb};
  case THostField::AnGain:
    return {nullptr, AnGainEd, nullptr};
  }
  FatalStop("TMainForm.FieldControls: Unknown field! ");
}

namespace {

// The text of a label or of a button used as one.
QString CaptionOf(const QWidget* w) {
  if (const auto* label = qobject_cast<const QLabel*>(w))
    return label->text();
  if (const auto* button = qobject_cast<const QAbstractButton*>(w))
    return button->text();
  return QString();
}

} // namespace

TShownField TMainForm::ShownField(THostField field) {
  const TFieldControls c = FieldControls(field);
  TShownField shown;
  shown.Label = CaptionOf(c.label);
  shown.Unit = CaptionOf(c.unit);
  shown.Decimals = c.edit->Nachkomma();
  if (c.edit->CheckInput(false)) {
    try {
      shown.Value = c.edit->Value();
      shown.Valid = true;
    } catch (const EConvertError&) {
      shown.Valid = false;
    }
  }
  return shown;
}

bool TMainForm::TakeWizardValue(THostField field, double value) {
  if (!Ready())
    return false;
  storeRefused_ = false;
  FieldControls(field).edit->SetValue(value);
  return !storeRefused_;
}

TIdentityTexts TMainForm::IdentityTexts() const {
  return {InstTypeEd->text(), SerialEd->text(), RangeEd->text()};
}

} // namespace dtool
