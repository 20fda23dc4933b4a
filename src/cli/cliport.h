#pragma once
// The operator port of the command line: every message goes to the error stream as one or
// more lines, and a yes/no question gets the answer the running command chose beforehand
// (No unless the command says otherwise), shown with the question. Nothing ever waits for
// the keyboard. The messages are also kept for the machine-readable output.
#include <string>
#include <vector>

#include "tools/operatorport.h"

namespace dtool::cli {

class TCliPort : public IOperatorPort {
public:
  int ErrorBox(const std::string& text, bool yesNo) override;
  void WarningBox(const std::string& text) override;
  void InfoBox(const std::string& text, bool secondDefault) override;
  bool QuestionBox(const std::string& text, bool defaultYes) override;
  TCursor SetScreenCursor(TCursor cursor) override;
  void Beep() override {}

  // The answer every later yes/no question gets.
  void SetAnswer(bool yes) { answer_ = yes; }
  // Silences the success messages ("Transfer was successful!"): the command prints its own.
  void SetQuietInfo(bool quiet) { quietInfo_ = quiet; }

  struct TMessage {
    std::string Kind; // "error", "warning", "info", "question"
    std::string Text; // "\r" made line breaks, trailing blanks removed
  };
  const std::vector<TMessage>& Messages() const { return messages_; }
  // How many questions were answered No.
  int Declined() const { return declined_; }

private:
  void Tell(const std::string& kind, const std::string& text, const std::string& suffix = {});

  bool answer_ = false;
  bool quietInfo_ = false;
  int declined_ = 0;
  TCursor cursor_ = TCursor::Default;
  std::vector<TMessage> messages_;
};

// A message as lines: "\r" becomes a line break, blanks at the ends of lines go.
std::string MessageLines(const std::string& text);

} // namespace dtool::cli
