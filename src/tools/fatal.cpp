#include "tools/fatal.h"

#include "tools/operatorport.h"

#include <cstdlib>

namespace dtool {
namespace {

std::function<void()>& Hook() {
  static std::function<void()> hook;
  return hook;
}

std::function<void(const std::string&)>& Terminator() {
  static std::function<void(const std::string&)> terminator;
  return terminator;
}

} // namespace

std::string FatalMessage(const std::string& text) {
  return "*** PROGRAM TERMINATED *** \r\rFatal Error:\r" + text;
}

void FatalStop(const std::string& text) {
  if (Hook())
    Hook()();
  ErrorBox(FatalMessage(text));
  if (Terminator())
    Terminator()(text);
  std::_Exit(EXIT_FAILURE);
}

void SetFatalHook(std::function<void()> hook) {
  Hook() = std::move(hook);
}

std::function<void(const std::string&)> SetTerminator(std::function<void(const std::string&)> t) {
  auto previous = std::move(Terminator());
  Terminator() = std::move(t);
  return previous;
}

} // namespace dtool
