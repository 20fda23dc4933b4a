#include "ui/dialogs/protection.h"

#include "core/insttypes.h"
#include "link/instlink.h"
#include "link/linkformat.h"
#include "tools/operatorport.h"
#include "ui/dialogs/enterprcode.h"

namespace dtool {

std::string ProtLockedText() {
  return LinkFormat("You have entered a wrong protection code more than %d times \r\rPlease let "
                    "the instrument in operation for more than 1 hour without manipulation on "
                    "it! ",
                    WrongProtCodesBeforeLock);
}

bool CheckProtCode(TProtectionContext& ctx, bool prompt, const std::string& message) {
  int state = ctx.Link.ProtState(true, ctx.ProtCode);
  if (state == protstate::Wrong) {
    if (!prompt) {
      WarningBox(message);
    } else {
      TEnterPrCodeForm form(ctx.Owner);
      if (form.Execute(ctx.ProtCode, QStringLiteral("Enter protection code"),
                       QStringLiteral("Protection code"))) {
        state = ctx.Link.ProtState(true, ctx.ProtCode);
        if (state == protstate::Wrong)
          WarningBox(message);
        else if (state == protstate::Locked)
          WarningBox(ProtLockedText()); // the code entered was one wrong code too many
      }
    }
  } else if (state == protstate::Locked) {
    WarningBox(ProtLockedText());
  }
  if (state == protstate::Wrong)
    ctx.ProtCode = 0;
  return state == protstate::Accepted;
}

bool ChangeProtCode(TProtectionContext& ctx, std::int32_t oldCode, std::int32_t newCode) {
  ctx.ProtCode = oldCode;
  TInstLink& link = ctx.Link;
  if (IsAnalogFamily(link.Settings().InstType()))
    return CheckProtCode(ctx, false, InvalidOldCodeText) && link.WriteProtCode(true, newCode) &&
           link.SendB10C(true) && link.SendB10D(true);

  std::int32_t r = 0;
  {
    TWaitCursor wait;
    r = link.Switch().SetProtectCode(link.Port(), oldCode, newCode);
  }
  if (r <= 0)
    return true;
  if (r == swstatus::Protected)
    WarningBox(InvalidOldCodeText);
  else
    ErrorBox(SwitchLinkError(r));
  return false;
}

} // namespace dtool
