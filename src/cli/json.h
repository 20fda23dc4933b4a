#pragma once
// A small writer of JSON text for the machine-readable output: objects and arrays built in
// order, strings escaped, numbers in the shortest form that reads back the same.
#include <string>
#include <string_view>

namespace dtool::cli {

std::string JsonString(std::string_view text);
// A finite number; null for one that is not.
std::string JsonNumber(double value);

// Members or elements appended one by one; Text() closes the brackets.
class TJsonObject {
public:
  TJsonObject& Raw(std::string_view key, std::string_view json);
  TJsonObject& Str(std::string_view key, std::string_view text) {
    return Raw(key, JsonString(text));
  }
  TJsonObject& Num(std::string_view key, double value) { return Raw(key, JsonNumber(value)); }
  TJsonObject& Bool(std::string_view key, bool value) { return Raw(key, value ? "true" : "false"); }
  std::string Text() const { return "{" + body_ + "}"; }

private:
  std::string body_;
};

class TJsonArray {
public:
  TJsonArray& Raw(std::string_view json);
  std::string Text() const { return "[" + body_ + "]"; }

private:
  std::string body_;
};

} // namespace dtool::cli
