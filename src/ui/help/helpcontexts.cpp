#include "ui/help/helpcontexts.h"

#include <array>

namespace dtool {

std::span<const THelpContextEntry> HelpContextRegistry() {
  static constexpr std::array entries{
      THelpContextEntry{helpctx::Transmitter, "main window, transmitters"},
      THelpContextEntry{helpctx::Switch, "main window, switch and no instrument"},
      THelpContextEntry{helpctx::Static, "main window, static models"},
      THelpContextEntry{helpctx::Nozzle, "nozzle compensation"},
      THelpContextEntry{helpctx::ChangeCode, "Change protection code"},
      THelpContextEntry{helpctx::OldCode, "Change protection code: old code"},
      THelpContextEntry{helpctx::NewCode, "Change protection code: new code"},
      THelpContextEntry{helpctx::DisableCode, "Change protection code: disable code"},
      THelpContextEntry{helpctx::HoseWizard, "Hose length wizard"},
      THelpContextEntry{helpctx::VelocityCWizard, "Velocity C wizard"},
      THelpContextEntry{helpctx::HoseLengthEdit, "Hose length wizard: hose length"},
      THelpContextEntry{helpctx::VelocityCEdit, "Velocity C wizard: constant C"},
      THelpContextEntry{helpctx::GainWizard, "Gain wizard, transmitters and switch"},
      THelpContextEntry{helpctx::GainWizardStatic, "Gain wizard, static models"},
      THelpContextEntry{helpctx::GainEdit, "Gain wizard: gain sensor"},
      THelpContextEntry{helpctx::FactoryGain, "Gain wizard: factory gain"},
      THelpContextEntry{helpctx::ContrastWizard, "Display contrast wizard"},
  };
  return entries;
}

} // namespace dtool
