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
  };
  return entries;
}

} // namespace dtool
