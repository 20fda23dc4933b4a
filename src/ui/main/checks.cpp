// The checks before the tool changes an instrument: which instrument is connected, whether its
// configuration was read, its protection code, and whether it is still the same instrument.
#include "ui/main/mainform.h"

#include "link/instlink.h"
#include "link/linkformat.h"
#include "tools/operatorport.h"
#include "ui/dialogs/enterprcode.h"

namespace dtool {

TProtectionContext TMainForm::ProtectionContext() {
  return TProtectionContext{
      *link_, ProtCode, [this] { return RequireReadData(); },
      [this](bool show) { return CheckInstrument(show ? TShow::Messages : TShow::Silent); }, this};
}

bool TMainForm::CheckProtCode(const std::string& wrongCodeText) {
  if (!Ready() || !link_)
    return false;
  TProtectionContext ctx = ProtectionContext();
  return dtool::CheckProtCode(ctx, true, wrongCodeText);
}

bool TMainForm::DetectInstrument() {
  std::int32_t status = 0;
  const std::uint8_t type = link_->DetectAnyInst(status);
  if (status == linkstatus::PortNotOpen) {
    ErrorBox("As COMPORT could not be opened, the program will closed! ");
    TerminateApplication();
    return false;
  }
  sett->SetInstType(type);
  return true;
}

bool TMainForm::CheckInstrument(TShow show) {
  if (!Ready() || !link_)
    return false;
  std::int32_t status = 0;
  const std::uint8_t type = link_->DetectAnyInst(status);
  if (type == 0) {
    if (show == TShow::Messages)
      WarningBox("No known instrument connected!");
    return false;
  }
  if (ClassOfType(type) != sett->GetInstClass()) {
    if (show == TShow::Messages)
      WarningBox(LinkFormat("The DravonTool has been set to %s. You cannot perform this "
                            "operation to %s.",
                            sett->InstTypeName().c_str(), InstTypeName(type).c_str()));
    return false;
  }
  if (type != sett->InstType())
    sett->SetInstType(type);
  return true;
}

bool TMainForm::RequireReadData() {
  if (!Ready())
    return false;
  if (sett->ConfigRead())
    return true;
  if (ErrorBox("Before you change the parameters you have to read the actual configuration of "
               "the sensor.\rWould you carry out the \"Read data\" now?",
               true) != IdYes)
    return false;
  return ReadData();
}

bool TMainForm::SwitchProtPrompt(std::int32_t& r, int& tries) {
  bool again = false;
  if (r == swstatus::Protected) {
    switch (tries) {
    case 0:
      again = true;
      break;
    case 1: {
      TEnterPrCodeForm form(this);
      again = form.Execute(ProtCode, QStringLiteral("Enter protection code"),
                           QStringLiteral("Protection code"));
      if (again)
        r = 0;
      break;
    }
    case 2:
      WarningBox(WrongProtCodeText);
      break;
    default:
      break;
    }
  } else {
    again = tries == 0;
  }
  ++tries;
  return again;
}

bool TMainForm::CheckSerialNo(TSerialCheck mode) {
  if (!Ready() || !link_)
    return false;
  if (mode == TSerialCheck::Remember)
    return link_->ReadSerialNr(true, SavedSerialNo);
  std::string serial;
  const bool ok = link_->ReadSerialNr(true, serial);
  if (ok && serial != SavedSerialNo) {
    ErrorBox("Wrong Serial Number! ");
    return false;
  }
  return ok;
}

} // namespace dtool
