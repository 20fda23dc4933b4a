#pragma once
// The operator port: everything the toolkit-free layers ask of the person at the screen.
// The user interface installs an implementation with real message boxes; tests install
// a scripted one. Until one is installed, a console port writes to the error stream.
#include <string>

namespace dtool {

enum class TCursor { Default, HourGlass };

// Result of ErrorBox with Yes and No buttons.
inline constexpr int IdOk = 1;
inline constexpr int IdYes = 6;
inline constexpr int IdNo = 7;

class IOperatorPort {
public:
  virtual ~IOperatorPort() = default;
  // Stop sign with OK; with yesNo an exclamation mark with Yes and No. Returns the button.
  virtual int ErrorBox(const std::string& text, bool yesNo) = 0;
  virtual void WarningBox(const std::string& text) = 0;
  // secondDefault asks for the second button as default; with one button it changes nothing.
  virtual void InfoBox(const std::string& text, bool secondDefault) = 0;
  // Yes and No, Yes preselected when defaultYes. True when Yes was pressed.
  virtual bool QuestionBox(const std::string& text, bool defaultYes) = 0;
  // Sets the cursor of the whole screen and returns the previous one.
  virtual TCursor SetScreenCursor(TCursor cursor) = 0;
  virtual void Beep() = 0;
};

// Installs the port (nullptr: back to the console port); returns the previous one.
IOperatorPort* SetOperatorPort(IOperatorPort* port);
IOperatorPort& OperatorPort();

int ErrorBox(const std::string& text, bool yesNo = false);
void WarningBox(const std::string& text);
void InfoBox(const std::string& text);
void InfoBox2(const std::string& text); // second button default; behaves as InfoBox
bool QuestionBox(const std::string& text, bool defaultYes = true);
TCursor SetScreenCursor(TCursor cursor);
void Beep();

// Shows the hourglass for its lifetime and puts the previous cursor back in every case.
class TWaitCursor {
public:
  TWaitCursor() : previous_(SetScreenCursor(TCursor::HourGlass)) {}
  ~TWaitCursor() { SetScreenCursor(previous_); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
  TCursor previous_;
};

} // namespace dtool
