#pragma once
// Test doubles for the operator port and the fatal stop.
#include <deque>
#include <string>
#include <vector>

#include "tools/fatal.h"
#include "tools/operatorport.h"

namespace dtool::test {

// Records every message and answers questions from a script (default: the box's default).
class ScriptedPort : public IOperatorPort {
public:
  struct Message {
    std::string kind; // "Error", "ErrorYesNo", "Warning", "Info", "Question"
    std::string text;
    bool operator==(const Message&) const = default;
  };

  ScriptedPort() : previous_(SetOperatorPort(this)) {}
  ~ScriptedPort() override { SetOperatorPort(previous_); }

  // Answers for the next questions (QuestionBox and ErrorBox with Yes/No), in order.
  void Answer(std::initializer_list<bool> answers) { answers_.insert(answers_.end(), answers); }

  int ErrorBox(const std::string& text, bool yesNo) override {
    messages.push_back({yesNo ? "ErrorYesNo" : "Error", text});
    if (!yesNo)
      return IdOk;
    return Next(false) ? IdYes : IdNo;
  }
  void WarningBox(const std::string& text) override { messages.push_back({"Warning", text}); }
  void InfoBox(const std::string& text, bool) override { messages.push_back({"Info", text}); }
  bool QuestionBox(const std::string& text, bool defaultYes) override {
    messages.push_back({"Question", text});
    return Next(defaultYes);
  }
  TCursor SetScreenCursor(TCursor cursor) override {
    TCursor previous = cursor_;
    cursor_ = cursor;
    if (cursor == TCursor::HourGlass)
      ++hourglassCount;
    return previous;
  }
  void Beep() override { ++beeps; }

  TCursor Cursor() const { return cursor_; }
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const auto& m : messages)
      t.push_back(m.text);
    return t;
  }
  void Clear() { messages.clear(); }

  std::vector<Message> messages;
  int hourglassCount = 0;
  int beeps = 0;

private:
  bool Next(bool fallback) {
    if (answers_.empty())
      return fallback;
    bool a = answers_.front();
    answers_.pop_front();
    return a;
  }
  IOperatorPort* previous_;
  std::deque<bool> answers_;
  TCursor cursor_ = TCursor::Default;
};

// While it exists, FatalStop throws FatalError(text) instead of ending the program.
class ThrowingTerminator {
public:
  ThrowingTerminator()
      : previous_(SetTerminator([](const std::string& text) { throw FatalError(text); })) {}
  ~ThrowingTerminator() { SetTerminator(previous_); }

private:
  std::function<void(const std::string&)> previous_;
};

} // namespace dtool::test
