#pragma once
// The operator port on real Qt message boxes, captioned with the application title.
#include <QString>

#include "tools/operatorport.h"

namespace dtool {

class QtOperatorPort : public IOperatorPort {
public:
  int ErrorBox(const std::string& text, bool yesNo) override;
  void WarningBox(const std::string& text) override;
  void InfoBox(const std::string& text, bool secondDefault) override;
  bool QuestionBox(const std::string& text, bool defaultYes) override;
  TCursor SetScreenCursor(TCursor cursor) override;
  void Beep() override;

private:
  TCursor cursor_ = TCursor::Default;
};

// A system text as shown on screen: "\r" becomes a line break.
QString ShownText(const std::string& text);

} // namespace dtool
