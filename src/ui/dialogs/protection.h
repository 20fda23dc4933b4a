#pragma once
// The protection code of the connected instrument: the check of the remembered code, with a
// prompt for it, before an analog-family instrument is changed, and the change or removal of
// the code for both families.
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>

namespace dtool {

class TInstLink;

// What the protection code operations need of the main window.
struct TProtectionContext {
  TInstLink& Link;
  // The code the operator entered last; 0 when none is known.
  std::int32_t& ProtCode;
  // True when the configuration has been read, or is read now with the operator's consent.
  std::function<bool()> RequireReadData;
  // True when the connected instrument belongs to the current class (messages with show).
  std::function<bool(bool show)> CheckInstrument;
  // Owner of the dialogs; the dialogs are centred on it.
  QWidget* Owner = nullptr;
};

// How many wrong codes an instrument takes before it locks itself.
inline constexpr int WrongProtCodesBeforeLock = 10;

// The warning of the operations that need the code, when it is wrong.
inline constexpr const char* WrongProtCodeText =
    "The \"protection code\" you have entered is wrong. \rTherefore it is impossible to perform "
    "this operation! ";
// The warning of a code change with a wrong old code.
inline constexpr const char* InvalidOldCodeText = "You have entered an invalid \"Old code\"! ";

// The warning of an instrument that has locked itself after wrong codes.
std::string ProtLockedText();

// Presents ProtCode to an analog-family instrument. When the instrument refuses it, asks for
// the code (with prompt) or shows message (without); a code refused at the end leaves
// ProtCode 0. True when the instrument accepts the code or has none.
bool CheckProtCode(TProtectionContext& ctx, bool prompt, const std::string& message);

// Replaces the instrument's code oldCode by newCode; newCode 0 removes the protection.
// ProtCode keeps oldCode. True on success.
bool ChangeProtCode(TProtectionContext& ctx, std::int32_t oldCode, std::int32_t newCode);

} // namespace dtool
