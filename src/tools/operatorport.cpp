#include "tools/operatorport.h"

#include "tools/progtools.h"

#include <iostream>

namespace dtool {
namespace {

// Writes every message to the error stream and answers questions with their default.
class ConsolePort final : public IOperatorPort {
public:
  int ErrorBox(const std::string& text, bool yesNo) override {
    Show("Error", text);
    return yesNo ? IdNo : IdOk;
  }
  void WarningBox(const std::string& text) override { Show("Warning", text); }
  void InfoBox(const std::string& text, bool) override { Show("Information", text); }
  bool QuestionBox(const std::string& text, bool defaultYes) override {
    Show("Question", text);
    return defaultYes;
  }
  TCursor SetScreenCursor(TCursor cursor) override {
    TCursor previous = cursor_;
    cursor_ = cursor;
    return previous;
  }
  void Beep() override {}

private:
  static void Show(const char* kind, const std::string& text) {
    std::string shown = text;
    for (char& c : shown)
      if (c == '\r')
        c = '\n';
    std::cerr << GetAppTitle() << " [" << kind << "] " << shown << std::endl;
  }
  TCursor cursor_ = TCursor::Default;
};

ConsolePort& Console() {
  static ConsolePort port;
  return port;
}

IOperatorPort*& Current() {
  static IOperatorPort* port = nullptr;
  return port;
}

} // namespace

IOperatorPort* SetOperatorPort(IOperatorPort* port) {
  IOperatorPort* previous = Current();
  Current() = port;
  return previous;
}

IOperatorPort& OperatorPort() {
  return Current() ? *Current() : Console();
}

int ErrorBox(const std::string& text, bool yesNo) {
  return OperatorPort().ErrorBox(text, yesNo);
}
void WarningBox(const std::string& text) {
  OperatorPort().WarningBox(text);
}
void InfoBox(const std::string& text) {
  OperatorPort().InfoBox(text, false);
}
void InfoBox2(const std::string& text) {
  OperatorPort().InfoBox(text, true);
}
bool QuestionBox(const std::string& text, bool defaultYes) {
  return OperatorPort().QuestionBox(text, defaultYes);
}
TCursor SetScreenCursor(TCursor cursor) {
  return OperatorPort().SetScreenCursor(cursor);
}
void Beep() {
  OperatorPort().Beep();
}

} // namespace dtool
