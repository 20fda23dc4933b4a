// The checks before the session changes an instrument: which instrument is connected, whether
// its configuration was read, whether it is still the same instrument, and the switch's retry
// under its protection code.
#include "link/linkformat.h"
#include "session/session.h"
#include "tools/operatorport.h"

namespace dtool {

bool TSession::ReopenLink() {
  return link_ && link_->OpenCommunication(false, 0);
}

bool TSession::DetectInstrument() {
  if (!link_)
    return false;
  std::int32_t status = 0;
  const std::uint8_t type = link_->DetectAnyInst(status);
  if (status == linkstatus::PortNotOpen) {
    ErrorBox("As COMPORT could not be opened, the program will closed! ");
    view_.EndApplication();
    return false;
  }
  sett_->SetInstType(type);
  return true;
}

bool TSession::CheckInstrument(TShow show) {
  if (!link_)
    return false;
  // Only the type detected counts here; a detection that failed finds none.
  std::int32_t status = 0;
  const std::uint8_t type = link_->DetectAnyInst(status);
  if (type == 0) {
    if (show == TShow::Messages)
      WarningBox("No known instrument connected!");
    return false;
  }
  if (ClassOfType(type) != sett_->GetInstClass()) {
    if (show == TShow::Messages)
      WarningBox(LinkFormat("The DravonTool has been set to %s. You cannot perform this "
                            "operation to %s.",
                            sett_->InstTypeName().c_str(), InstTypeName(type).c_str()));
    return false;
  }
  if (type != sett_->InstType())
    sett_->SetInstType(type);
  return true;
}

bool TSession::RequireReadData() {
  return ReadFirst() == TOutcome::Done;
}

TOutcome TSession::ReadFirst() {
  if (sett_->ConfigRead())
    return TOutcome::Done;
  if (ErrorBox("Before you change the parameters you have to read the actual configuration of "
               "the sensor.\rWould you carry out the \"Read data\" now?",
               true) != IdYes)
    return TOutcome::Declined;
  return Read();
}

bool TSession::SwitchProtPrompt(std::int32_t& r, int& tries) {
  bool again = false;
  if (r == swstatus::Protected) {
    switch (tries) {
    case 0:
      again = true;
      break;
    case 1:
      again = view_.AskProtCode(protCode_, "Enter protection code", "Protection code");
      if (again)
        r = 0;
      break;
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

TOutcome TSession::SwitchOutcome(std::int32_t r, int tries) {
  if (LinkOk(r))
    return TOutcome::Done;
  if (r != swstatus::Protected)
    return TOutcome::Failed;
  // Still locked: the prompt was cancelled (after the second attempt's call) or the code
  // entered was wrong too.
  return tries <= 2 ? TOutcome::Declined : TOutcome::WrongCode;
}

bool TSession::CheckSerialNo(TSerialCheck mode) {
  return SerialCheck(mode) == TOutcome::Done;
}

TOutcome TSession::SerialCheck(TSerialCheck mode) {
  if (!link_)
    return TOutcome::NoLink;
  if (mode == TSerialCheck::Remember)
    return link_->ReadSerialNr(true, savedSerialNo_) ? TOutcome::Done : TOutcome::Failed;
  std::string serial;
  if (!link_->ReadSerialNr(true, serial))
    return TOutcome::Failed;
  if (serial != savedSerialNo_) {
    ErrorBox("Wrong Serial Number! ");
    return TOutcome::WrongInstrument;
  }
  return TOutcome::Done;
}

} // namespace dtool
