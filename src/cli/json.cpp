#include "cli/json.h"

#include <charconv>
#include <cmath>

namespace dtool::cli {

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
    case '"':
      out += "\\\"";
      break;
    case '\\':
      out += "\\\\";
      break;
    case '\n':
      out += "\\n";
      break;
    case '\r':
      out += "\\r";
      break;
    case '\t':
      out += "\\t";
      break;
    default:
      if (c < 0x20) {
        static const char hex[] = "0123456789abcdef";
        out += "\\u00";
        out += hex[c >> 4];
        out += hex[c & 15];
      } else {
        out += static_cast<char>(c);
      }
    }
  }
  return out + "\"";
}

std::string JsonNumber(double value) {
  if (!std::isfinite(value))
    return "null";
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  return ec == std::errc() ? std::string(buf, end) : "null";
}

TJsonObject& TJsonObject::Raw(std::string_view key, std::string_view json) {
  if (!body_.empty())
    body_ += ",";
  body_ += JsonString(key);
  body_ += ":";
  body_ += json;
  return *this;
}

TJsonArray& TJsonArray::Raw(std::string_view json) {
  if (!body_.empty())
    body_ += ",";
  body_ += json;
  return *this;
}

} // namespace dtool::cli
