// Single configuration values between an analog instrument and the settings, the answer
// check of every exchange, and the limits of the switch record.
#include <cmath>
#include <string>

#include "link/instlink.h"
#include "link/linkformat.h"
#include "tools/fatal.h"
#include "tools/numeric.h"
#include "tools/operatorport.h"

namespace dtool {

namespace {

const char* const CorrectedText =
    "Parameter \"%s\" was out of permissible range and therefore it has been corrected! ";

bool IsFlagParam(const TParam& param) {
  return ParamRowOf(param).Partype == partype::Flag;
}

} // namespace

std::int32_t TInstLink::Exchange(TransRec& rec, bool show, bool tolerateUnknown,
                                 std::int32_t& status) {
  TWaitCursor wait;
  const TransRec sent = rec;
  status = an_.TransCmd(Port(), &rec);
  std::int32_t result = sendresult::Ok;
  if (status == AnStatusUnknownCommand && tolerateUnknown) {
    rec = TransRec{sent.OO, 0, 0};
    result = sendresult::Unknown;
    status = linkstatus::Ok;
  }
  if (CheckRWInst(status, rec, show, &sent, false, nullptr))
    result = sendresult::Failed;
  return result;
}

std::int32_t TInstLink::SendCmd(TransRec& rec, bool show, bool tolerateUnknown) {
  std::int32_t status = 0;
  return Exchange(rec, show, tolerateUnknown, status);
}

bool TInstLink::ExecCmd(TransRec& rec, bool show) {
  return SendCmd(rec, show, false) == sendresult::Ok;
}

std::int32_t TInstLink::TransferParam(TransRec& rec, const TParam& param, bool write) {
  sett_.GenOoCc(rec, param, write);
  const std::int32_t port = Port();
  std::int32_t status = write ? linkstatus::Ok : an_.TransCmd(port, &rec);
  bool corrected = false;
  if (status == linkstatus::Ok) {
    if (IsFlagParam(param)) {
      std::uint8_t& flag = sett_.ParamFlag(param);
      if (write)
        rec.BBAA = static_cast<std::uint16_t>(rec.BBAA | (flag != 0 ? 1 : 0));
      else
        flag = rec.AA() != 0 ? 1 : 0;
    } else {
      const TConvResult conv = sett_.ConvInst(rec, param, write);
      if (conv == TConvResult::Invalid)
        return StatusUnusable; // nothing sent, or an answer the field cannot hold
      corrected = conv == TConvResult::Limited;
    }
  }
  if (write)
    status = an_.TransCmd(port, &rec);
  if (status == linkstatus::Ok && corrected && rec.CC == anscc::Done)
    rec.CC = anscc::Corrected;
  return status;
}

std::int32_t TInstLink::WriteInstParam(TransRec& rec, const TParam& param) {
  TWaitCursor wait;
  const std::int32_t status = TransferParam(rec, param, true);
  if (status == linkstatus::Ok && rec.CC != anscc::Done) {
    // Show what the instrument holds after correcting or refusing the value.
    TransRec readBack{};
    TransferParam(readBack, param, false);
    owner_.WriteSetToField_();
  }
  return status;
}

std::int32_t TInstLink::ReadInstParam(TransRec& rec, const TParam& param) {
  TWaitCursor wait;
  return TransferParam(rec, param, false);
}

bool TInstLink::CheckRWInst(std::int32_t result, const TransRec& answer, bool show,
                            const TransRec* sent, bool write, const TParam* param) {
  std::string caption;
  if (param != nullptr)
    caption = ParamCaption(*param);
  else if (sent == nullptr)
    FatalStop("TMainForm.CheckRWInst: origdataP is not assigned! ");

  if (result != linkstatus::Ok) {
    if (show) {
      if (param != nullptr)
        ErrorBox(AnalogLinkError(result));
      else
        ErrorBox(AnalogLinkError(result) + "\r" + StatusLine(*sent, answer));
    }
    return true;
  }

  const unsigned cc = answer.CC;
  if (param != nullptr) {
    if (cc == anscc::Corrected) {
      WarningBox(LinkFormat(CorrectedText, caption.c_str()));
      return false;
    }
    if (cc == anscc::Done || cc == anscc::Accepted)
      return false;
    if (show) {
      if (write)
        ErrorBox(LinkFormat("Write error of parameter \"%s\"\rInstrument error (cc) Nr. 0x%2.2x.",
                            caption.c_str(), cc));
      else
        ErrorBox(LinkFormat("Read error of parameter \"%s\"\rInstrument error (cc) Nr. 0x%4.4x.",
                            caption.c_str(), cc));
    }
    return true;
  }

  if (cc == anscc::Done || cc == anscc::Corrected || cc == anscc::Accepted)
    return false;
  if (show) {
    if (cc == anscc::NotSuccessful)
      ErrorBox("Function was not successful!");
    else
      ErrorBox("Transmission error of a parameter between PC and Instrument: \r" +
               StatusLine(*sent, answer));
  }
  return true;
}

std::int32_t TInstLink::GetFConstDs(std::int32_t id, double& value) {
  float f = 0;
  const std::int32_t status = sw_.GetFConst(&f, id);
  if (status == 0)
    value = f;
  return status;
}

TRangeCheck TInstLink::SwitchRangeCheck(TSwitchParams& rec) {
  // The captions of the main window's labels and alarm groups, as the warnings name them.
  struct TCheck {
    double TSwitchParams::*Field;
    std::int32_t MinId, MaxId;
    const char* Label;
    const char* Group; // nullptr: the label alone
    bool Signed;       // a threshold: its magnitude is limited, its sign kept
  };
  static const TCheck checks[] = {
      {&TSwitchParams::Hose_length, swfconst::HoseMin, swfconst::HoseMax, "Std. Hose length",
       nullptr, false},
      {&TSwitchParams::Atm_Press, swfconst::AtmMin, swfconst::AtmMax, "Atm. pressure", nullptr,
       false},
      {&TSwitchParams::Gain_Sens, swfconst::GainMin, swfconst::GainMax, "Gain Sensor", nullptr,
       false},
      {&TSwitchParams::Al1Hys, swfconst::HysMin, swfconst::HysMax, "Hysteresis", "Alarm 1", false},
      {&TSwitchParams::Al2Hys, swfconst::HysMin, swfconst::HysMax, "Hysteresis", "Alarm 2", false},
      {&TSwitchParams::Al1Thre, swfconst::ThreMin, swfconst::ThreMax, "Threshold", "Alarm 1", true},
      {&TSwitchParams::Al2Thre, swfconst::ThreMin, swfconst::ThreMax, "Threshold", "Alarm 2", true},
  };
  TRangeCheck result = TRangeCheck::InRange;
  for (const TCheck& c : checks) {
    double minimum = 0, maximum = 0;
    std::int32_t status = GetFConstDs(c.MinId, minimum);
    if (status == 0)
      status = GetFConstDs(c.MaxId, maximum);
    if (status != 0) {
      // Without the library's bounds nothing more can be checked.
      ErrorBox(SwitchLinkError(status));
      return TRangeCheck::NotChecked;
    }
    double value = rec.*c.Field;
    // The library gives its bounds in single precision: a value that equals a bound there (a
    // hose length of 0.1 m against 0.1f) is within it and stays as it is.
    const float single = static_cast<float>(c.Signed ? std::fabs(value) : value);
    const bool within =
        single >= static_cast<float>(minimum) && single <= static_cast<float>(maximum);
    const bool changed = !within && (c.Signed ? LimitAbsValue(value, minimum, maximum)
                                              : LimitValue(value, minimum, maximum));
    rec.*c.Field = value;
    if (changed) {
      std::string caption = c.Label;
      if (c.Group != nullptr)
        caption += std::string(" (") + c.Group + ")";
      WarningBox(LinkFormat(CorrectedText, caption.c_str()));
      result = TRangeCheck::Corrected;
    }
  }
  return result;
}

} // namespace dtool
