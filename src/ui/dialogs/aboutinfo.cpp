#include "ui/dialogs/aboutinfo.h"

#include "core/insttypes.h"
#include "core/settings.h"

namespace dtool {

TAboutInfo AboutInfo(const TSettings& sett, const TIdentityTexts& shown,
                     const std::string& caption) {
  TAboutInfo info;
  info.Name = QString::fromStdString(caption);
  auto& lines = info.Lines;
  lines[aboutline::Instrument].Caption = QStringLiteral("Instrument: ");
  lines[aboutline::Serial].Caption = QStringLiteral("Serial no: ");
  lines[aboutline::Range].Caption = QStringLiteral("dP range: ");
  lines[aboutline::Output].Caption = QStringLiteral("Output: ");

  const TInstInfo& inst = sett.InstInfo;
  const int type = inst.InstType;
  const bool analog = IsAnalogFamily(type);
  // The static models have one controller.
  const int cls = sett.GetInstClass();
  lines[aboutline::FirmSens].Visible = cls != ClassStatic && cls != ClassStaticZ;
  lines[aboutline::FirmMain].Caption =
      analog ? QStringLiteral("Firmware main controller: ") : QStringLiteral("Version instr.: ");
  lines[aboutline::FirmSens].Caption =
      analog ? QStringLiteral("Firmware sensor controller: ") : QStringLiteral("Version comp.: ");

  if (type == 0 || inst.TypeWithoutInfo != 0)
    return info;
  lines[aboutline::Instrument].Value = shown.InstType;
  lines[aboutline::Serial].Value = shown.Serial;
  lines[aboutline::Range].Value = shown.Range;
  if (InstTypeProps(type).Outputs == TInstOutputs::AlarmRelays)
    lines[aboutline::Output].Value = QStringLiteral("2 Alarm relays");
  else
    lines[aboutline::Output].Value =
        inst.AnOutCurrent != 0 ? QStringLiteral("Current") : QStringLiteral("Voltage");
  const QString sensor = QString::fromLatin1(inst.SW_Sensor_uC.Get());
  if (analog) {
    lines[aboutline::FirmMain].Value =
        QStringLiteral("V") + QString::fromLatin1(inst.SW_Main_uC.Get()) +
        QString::asprintf(" (Cap. level %3.3d)", static_cast<int>(sett.Cap_level()));
    lines[aboutline::FirmSens].Value = QStringLiteral("V") + sensor;
  } else {
    lines[aboutline::FirmMain].Value =
        QString::fromLatin1(inst.SwitchMainVersion.Get()) + QStringLiteral("/") + sensor;
    lines[aboutline::FirmSens].Value = QString::asprintf("%.2u", inst.SwitchCompVersion);
  }
  return info;
}

} // namespace dtool
