#include "cli/cliport.h"

#include <iostream>

namespace dtool::cli {

std::string MessageLines(const std::string& text) {
  std::string out;
  std::string line;
  auto flush = [&](bool last) {
    const std::size_t end = line.find_last_not_of(' ');
    line.erase(end == std::string::npos ? 0 : end + 1);
    out += line;
    if (!last)
      out += '\n';
    line.clear();
  };
  for (char c : text) {
    if (c == '\r' || c == '\n')
      flush(false);
    else
      line += c;
  }
  flush(true);
  // Empty lines at the end say nothing.
  while (!out.empty() && out.back() == '\n')
    out.pop_back();
  return out;
}

void TCliPort::Tell(const std::string& kind, const std::string& text, const std::string& suffix) {
  const std::string lines = MessageLines(text) + suffix;
  messages_.push_back({kind, lines});
  std::cerr << lines << '\n' << std::flush;
}

int TCliPort::ErrorBox(const std::string& text, bool yesNo) {
  if (!yesNo) {
    Tell("error", text);
    return IdOk;
  }
  Tell("question", text, answer_ ? " -> Yes" : " -> No");
  declined_ += answer_ ? 0 : 1;
  return answer_ ? IdYes : IdNo;
}

void TCliPort::WarningBox(const std::string& text) {
  Tell("warning", text);
}

void TCliPort::InfoBox(const std::string& text, bool /*secondDefault*/) {
  if (quietInfo_)
    messages_.push_back({"info", MessageLines(text)});
  else
    Tell("info", text);
}

bool TCliPort::QuestionBox(const std::string& text, bool /*defaultYes*/) {
  Tell("question", text, answer_ ? " -> Yes" : " -> No");
  declined_ += answer_ ? 0 : 1;
  return answer_;
}

TCursor TCliPort::SetScreenCursor(TCursor cursor) {
  const TCursor previous = cursor_;
  cursor_ = cursor;
  return previous;
}

} // namespace dtool::cli
