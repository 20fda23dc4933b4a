// The identity of the connected instrument, its readiness, its control registers, the
// protection code and the small commands sent by name.
#include <cmath>
#include <string>

#include "link/instlink.h"
#include "link/linkformat.h"
#include "tools/numeric.h"
#include "tools/operatorport.h"
#include "tools/progtools.h"

namespace dtool {

namespace {

const char* const WrongCodeText = "The \"protection code\" you have entered is wrong. \rTherefore "
                                  "it is impossible to perform this operation! ";
// Shown when an operation is asked for a value no command can carry.
const char* const NotSuccessfulText = "Function was not successful!";

bool IsStaticType(int type) {
  return type >= 1 && type <= 8;
}

} // namespace

bool TInstLink::ReadInstInfo(bool show, bool strict) {
  const std::uint8_t type = sett_.InstType();
  sett_.ResetInstInfo();
  sett_.InstInfo.InstType = type;
  if (type == 9)
    return ReadSwitchInfo();
  if (!IsAnalogFamily(type))
    return false;
  return ReadAnalogInfo(show, strict);
}

bool TInstLink::ReadAnalogInfo(bool show, bool strict) {
  TInstInfo& info = sett_.InstInfo;
  std::string text;
  bool ok = ReadSerialNr(show, text);
  if (ok)
    info.SerialNr.Set(text);
  const TParam rangeRows[] = {TParam::Working(TParamId::RangeMax),
                              TParam::Working(TParamId::RangeMin)};
  const std::uint16_t rangeCmds[] = {0xA101, 0xA102};
  for (int i = 0; i < 2 && ok; ++i) {
    TransRec rec = MakeTransRec(rangeCmds[i]);
    ok = ExecCmd(rec, show);
    sett_.ConvInst(rec, rangeRows[i], false);
  }
  if (ok) {
    ok = ReadFirmware(show, true, text);
    if (ok)
      info.SW_Main_uC.Set(text);
  }
  if (ok && (info.InstType == 10 || info.InstType == 11)) {
    ok = ReadFirmware(show, false, text);
    if (ok)
      info.SW_Sensor_uC.Set(text);
  }
  if (ok) {
    TransRec rec = MakeTransRec(0xA303);
    ok = ExecCmd(rec, show);
    if (ok)
      info.AnOutCurrent = rec.BBAA & 1;
  }
  if (ok) {
    // Older instruments know no capability level: the answer is then 0.
    TransRec rec = MakeTransRec(0xA115);
    ok = SendCmd(rec, show, true) >= 0;
    if (ok)
      sett_.Class1.Cap_level = rec.BBAA;
  }
  if (ok) {
    info.RequiredHostLevel = 0;
    if (sett_.Cap_level() >= 1) {
      TransRec rec = MakeTransRec(0xA114);
      ok = ExecCmd(rec, show);
      if (ok)
        info.RequiredHostLevel = rec.BBAA;
    }
  }
  if (ok)
    owner_.Prefs().LastInstType = info.InstType;
  else
    sett_.ResetInstInfo();
  if (info.RequiredHostLevel > HostCapLevel) {
    owner_.ReportNewerInstrument();
    if (strict)
      ok = false;
  }
  return ok;
}

bool TInstLink::ReadSwitchInfo() {
  TSwitchInfos infos{};
  std::int32_t status = 0;
  {
    TWaitCursor wait;
    status = sw_.GetInfos(Port(), &infos);
  }
  if (status == 0) {
    TInstInfo& info = sett_.InstInfo;
    info.SerialNr.Set(LinkFormat("%7.7d", static_cast<int>(infos.SerialNr)));
    info.RangeMax = infos.Range;
    info.RangeMin = 0;
    info.SW_Sensor_uC.Set(LinkFormat("%0.1f", infos.SecondVersion / 10.0));
    info.SwitchCompVersion = static_cast<std::uint32_t>(infos.CompVersion);
    info.SwitchMainVersion.Set(LinkFormat("%0.1f", infos.MainVersion / 10.0));
  }
  return LinkOk(status);
}

bool TInstLink::ReadSerialNr(bool show, std::string& text) {
  text.clear();
  TransRec low = MakeTransRec(0xA107);
  if (!ExecCmd(low, show))
    return false;
  TransRec high = MakeTransRec(0xA108);
  if (!ExecCmd(high, show))
    return false;
  const std::uint32_t value = (std::uint32_t{high.BBAA} << 16) | low.BBAA;
  if (value != NoSerialNr)
    text = LinkFormat("%7.7u", static_cast<unsigned>(value));
  return true;
}

bool TInstLink::ReadFirmware(bool show, bool mainController, std::string& text) {
  TransRec rec = MakeTransRec(mainController ? 0xA103 : 0xA104);
  if (!ExecCmd(rec, show))
    return false;
  text = FormatVersion(rec, mainController);
  return true;
}

int TInstLink::GetInstState() {
  TransRec rec = MakeTransRec(0xA100);
  std::int32_t status = 0;
  const std::int32_t result = Exchange(rec, false, false, status);
  if (result == sendresult::Ok && rec.CC == anscc::Done)
    return inststate::Operational;
  if (status != linkstatus::Ok)
    return inststate::NoCommunication;
  switch (rec.CC) {
  case anscc::Corrected:
  case anscc::Operational26:
  case anscc::Operational27:
    return inststate::Operational;
  case anscc::NotOperational:
    return inststate::NotOperational;
  default:
    return inststate::NoCommunication;
  }
}

bool TInstLink::InstrumentReady() {
  switch (GetInstState()) {
  case inststate::NoCommunication:
    ErrorBox("Communication with instrument not possible!");
    return false;
  case inststate::NotOperational:
    ErrorBox("Instrument is not operational yet. \rPlease wait until the [Run/Error] LED stops "
             "with orange flashing! ");
    return false;
  default:
    break;
  }
  if (IsStaticType(sett_.InstType()))
    return true;
  std::string text;
  if (!ReadFirmware(true, true, text))
    return false;
  if (text.compare(MinFirmware) < 0) {
    ErrorBox(LinkFormat("The instrument firmware is too old to %s.\rPlease update the "
                        "instrument firmware or use an older version of %s.\r\rCurrent "
                        "firmware: V%s, required firmware V%s",
                        owner_.BuildCaption().c_str(), GetAppTitle().c_str(), text.c_str(),
                        MinFirmware));
    return false;
  }
  return true;
}

bool TInstLink::CorrectRegister(const std::string& question, TransRec write) {
  if (!QuestionBox(question, true))
    return false;
  bool ok = owner_.CheckProtCode(WrongCodeText);
  if (ok)
    ok = ExecCmd(write, true);
  if (ok)
    SendB10C(true);
  return ok;
}

bool TInstLink::CheckA109() {
  TransRec rec = MakeTransRec(0xA109);
  if (!ExecCmd(rec, true))
    return false;
  if ((rec.BBAA & 0x0003) == 0)
    return true;
  return CorrectRegister(
      LinkFormat("The control flags (OOCC) A109 are set wrongly for %s! \r\rWould you override "
                 "the flags with the correct string (automatic pressure or velocity indication "
                 "via RS232 as complex protocol string)?",
                 GetAppTitle().c_str()),
      MakeTransRec(0xB109, static_cast<std::uint16_t>(rec.BBAA & ~0x0003u)));
}

bool TInstLink::CheckA116() {
  TransRec rec = MakeTransRec(0xA116);
  if (!ExecCmd(rec, true))
    return false;
  if (rec.BBAA == A116Value)
    return true;
  return CorrectRegister(
      LinkFormat("The value of (OOCC) A116 are set wrongly for %s! \r\rWould you override the "
                 "register with the correct value (%0.1f RS-232 data-outputs per second)?",
                 GetAppTitle().c_str(), A116BaseRate / (A116Value + 1)),
      MakeTransRec(0xB116, A116Value));
}

bool TInstLink::CheckOoCc() {
  if (!CheckA109())
    return false;
  const int cls = sett_.GetInstClass();
  if (cls == ClassStatic || cls == ClassStaticZ)
    return CheckA116();
  return true;
}

int TInstLink::ProtState(bool show, std::int32_t code) {
  // No instrument takes a code beyond 16 bits: it cannot be the right one.
  if (code < 0 || code > 0xFFFF)
    return protstate::Wrong;
  TransRec rec = MakeTransRec(0xB10B, static_cast<std::uint16_t>(code));
  const TransRec sent = rec;
  std::int32_t status = 0;
  {
    TWaitCursor wait;
    status = an_.TransCmd(Port(), &rec);
  }
  int state = protstate::Failure;
  if (status == linkstatus::Ok) {
    switch (rec.CC) {
    case anscc::Done:
      state = protstate::Accepted;
      break;
    case anscc::WrongCode:
      state = protstate::Wrong;
      break;
    case anscc::CodeLocked:
      state = protstate::Locked;
      break;
    default:
      break;
    }
  }
  if (show && state == protstate::Failure)
    ErrorBox(AnalogLinkError(status) + "\r" + StatusLine(sent, rec));
  return state;
}

bool TInstLink::SendPlain(std::uint16_t oocc, std::uint16_t bbaa, bool show) {
  TransRec rec = MakeTransRec(oocc, bbaa);
  return ExecCmd(rec, show);
}

bool TInstLink::WriteProtCode(bool show, std::int32_t code) {
  if (code < 0 || code > 0xFFFF) {
    if (show)
      ErrorBox(NotSuccessfulText);
    return false;
  }
  return SendPlain(0xB10A, static_cast<std::uint16_t>(code), show);
}

bool TInstLink::SendB10C(bool show) {
  return SendPlain(0xB10C, 0, show);
}

bool TInstLink::SendB10D(bool show) {
  return SendPlain(0xB10D, 0, show);
}

bool TInstLink::EndOutput(bool show) {
  return SendPlain(0xB306, 0, show);
}

bool TInstLink::CalOutput(bool show, bool test, double percent) {
  const double setPoint = RoundHalfEven(percent * 100.0);
  if (!(setPoint >= 0 && setPoint <= 65535)) {
    if (show)
      ErrorBox(NotSuccessfulText);
    return false;
  }
  return SendPlain(test ? 0xB308 : 0xB307, static_cast<std::uint16_t>(setPoint), show);
}

} // namespace dtool
