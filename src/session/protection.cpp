// The protection code: the check of the remembered code before an analog-family instrument is
// changed, the question whether an instrument has a code, and the change or removal of the
// code for both families.
#include "link/linkformat.h"
#include "session/session.h"
#include "tools/operatorport.h"

namespace dtool {

std::string ProtLockedText() {
  return LinkFormat("You have entered a wrong protection code more than %d times \r\rPlease let "
                    "the instrument in operation for more than 1 hour without manipulation on "
                    "it! ",
                    WrongProtCodesBeforeLock);
}

TOutcome TSession::CheckProtCode(TPrompt prompt, const std::string& wrongCodeText) {
  if (!link_)
    return TOutcome::NoLink;
  bool declined = false;
  int state = link_->ProtState(true, protCode_);
  if (state == protstate::Wrong) {
    if (prompt == TPrompt::Never) {
      WarningBox(wrongCodeText);
    } else if (view_.AskProtCode(protCode_, "Enter protection code", "Protection code")) {
      state = link_->ProtState(true, protCode_);
      if (state == protstate::Wrong)
        WarningBox(wrongCodeText);
      else if (state == protstate::Locked)
        WarningBox(ProtLockedText()); // the code entered was one wrong code too many
    } else {
      declined = true;
    }
  } else if (state == protstate::Locked) {
    WarningBox(ProtLockedText());
  }
  switch (state) {
  case protstate::Accepted:
    return TOutcome::Done;
  case protstate::Wrong:
    protCode_ = 0;
    return declined ? TOutcome::Declined : TOutcome::WrongCode;
  case protstate::Locked:
    return TOutcome::Locked;
  default:
    return TOutcome::Failed;
  }
}

TOutcome TSession::ProtectionState(bool& isProtected) {
  if (!link_)
    return TOutcome::NoLink;
  if (IsAnalogFamily(sett_->InstType())) {
    if (!link_->InstrumentReady())
      return TOutcome::Failed;
    // Code 0 is never valid: the answer tells whether a code is set.
    const int state = link_->ProtState(true, 0);
    if (state == protstate::Failure)
      return TOutcome::Failed;
    isProtected = state != protstate::Accepted;
    return TOutcome::Done;
  }
  std::int32_t flag = 0;
  std::int32_t r = 0;
  {
    TWaitCursor wait;
    r = link_->Switch().IsProtected(link_->Port(), &flag);
  }
  if (r > 0) {
    ErrorBox(SwitchLinkError(r));
    return TOutcome::Failed;
  }
  isProtected = flag != 0;
  return TOutcome::Done;
}

TOutcome TSession::ChangeProtCode(std::int32_t oldCode, std::int32_t newCode) {
  if (!link_)
    return TOutcome::NoLink;
  protCode_ = oldCode;
  if (IsAnalogFamily(sett_->InstType())) {
    const TOutcome check = CheckProtCode(TPrompt::Never, InvalidOldCodeText);
    if (check != TOutcome::Done)
      return check;
    const bool ok =
        link_->WriteProtCode(true, newCode) && link_->SendB10C(true) && link_->SendB10D(true);
    return ok ? TOutcome::Done : TOutcome::Failed;
  }
  std::int32_t r = 0;
  {
    TWaitCursor wait;
    r = link_->Switch().SetProtectCode(link_->Port(), oldCode, newCode);
  }
  if (r <= 0)
    return TOutcome::Done;
  if (r == swstatus::Protected) {
    WarningBox(InvalidOldCodeText);
    return TOutcome::WrongCode;
  }
  ErrorBox(SwitchLinkError(r));
  return TOutcome::Failed;
}

} // namespace dtool
