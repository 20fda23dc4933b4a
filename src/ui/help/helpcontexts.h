#pragma once
// Every help context the program uses, by window, and the registry of all of them. A window
// or a control shows the topic of its context (SetHelpContext, F1, the caption's help button);
// a control's context may also be an anchor inside its window's topic. Both help files must
// resolve every context of the registry; a test walks it.
#include <span>

namespace dtool {

namespace helpctx {

// The main window, by instrument family; the nozzle compensation topic.
inline constexpr int Transmitter = 1000;
inline constexpr int Switch = 1001;
inline constexpr int Static = 1002;
inline constexpr int Nozzle = 10000;

// "Change protection code" and its controls.
inline constexpr int ChangeCode = 3001;
inline constexpr int OldCode = 3010;
inline constexpr int NewCode = 3020;
inline constexpr int DisableCode = 3030;

} // namespace helpctx

struct THelpContextEntry {
  int Context;
  const char* What; // the window or control, for the test's messages
};

// Every context above, once.
std::span<const THelpContextEntry> HelpContextRegistry();

} // namespace dtool
