#pragma once
// The fatal stop for faults of the program itself (never for bad input from outside).
#include <functional>
#include <stdexcept>
#include <string>

namespace dtool {

// Runs the hook, shows "*** PROGRAM TERMINATED *** ..." through the operator port, then
// ends the program through the terminator. Does not return.
[[noreturn]] void FatalStop(const std::string& text);

// The hook runs first (the main window stops its poll timer there). Empty: none.
void SetFatalHook(std::function<void()> hook);

// The terminator ends the program. The default asks nothing and exits at once; the user
// interface asks the application to quit first; tests install one that throws FatalError.
// Returns the previous terminator. An empty function restores the default.
std::function<void(const std::string&)> SetTerminator(std::function<void(const std::string&)> t);

// Thrown by the test terminator, carrying the fatal text (without the banner).
class FatalError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The full text of the fatal message box for a fault text.
std::string FatalMessage(const std::string& text);

} // namespace dtool
