// What the session asks of the main window before it changes an instrument: the protection
// code, in the code dialog.
#include "ui/main/mainform.h"

#include "ui/dialogs/enterprcode.h"

namespace dtool {

bool TMainForm::AskProtCode(std::int32_t& code, const std::string& caption,
                            const std::string& label) {
  return dtool::AskProtCode(this, code, caption, label);
}

} // namespace dtool
