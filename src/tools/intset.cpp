#include "tools/intset.h"

#include <clocale>
#include <cstdio>
#include <locale>
#include <optional>

namespace dtool {
namespace {

std::optional<TFormatSettings>& Override() {
  static std::optional<TFormatSettings> fs;
  return fs;
}

TFormatSettings FromCLocale() {
  TFormatSettings fs;
  if (const std::lconv* lc = std::localeconv()) {
    if (lc->decimal_point && lc->decimal_point[0])
      fs.DecimalSeparator = lc->decimal_point[0];
    if (lc->thousands_sep && lc->thousands_sep[0] &&
        static_cast<unsigned char>(lc->thousands_sep[0]) < 0x80)
      fs.ThousandSeparator = lc->thousands_sep[0];
    else
      fs.ThousandSeparator = fs.DecimalSeparator == ',' ? '.' : ',';
  }
  fs.ListSeparator = fs.DecimalSeparator == ',' ? ';' : ',';
  return fs;
}

std::string Expand(const std::tm& t, const std::string& pattern, char sep, char patternSep) {
  std::string out;
  auto two = [&](int v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d", ((v % 100) + 100) % 100);
    out += buf;
  };
  for (size_t i = 0; i < pattern.size();) {
    auto at = [&](const char* token) {
      return pattern.compare(i, std::char_traits<char>::length(token), token) == 0;
    };
    if (at("yyyy")) {
      char buf[16];
      std::snprintf(buf, sizeof buf, "%04d", t.tm_year + 1900);
      out += buf;
      i += 4;
    } else if (at("yy")) {
      two(t.tm_year + 1900);
      i += 2;
    } else if (at("dd")) {
      two(t.tm_mday);
      i += 2;
    } else if (at("MM")) {
      two(t.tm_mon + 1);
      i += 2;
    } else if (at("HH")) {
      two(t.tm_hour);
      i += 2;
    } else if (at("mm")) {
      two(t.tm_min);
      i += 2;
    } else if (at("ss")) {
      two(t.tm_sec);
      i += 2;
    } else {
      out += pattern[i] == patternSep ? sep : pattern[i];
      ++i;
    }
  }
  return out;
}

} // namespace

const TFormatSettings& FormatSettings() {
  static thread_local TFormatSettings current;
  if (Override())
    return *Override();
  current = FromCLocale();
  return current;
}

std::string FormatDate(const std::tm& t, const TFormatSettings& fs) {
  return Expand(t, fs.ShortDateFormat, fs.DateSeparator, '.');
}

std::string FormatTime(const std::tm& t, const TFormatSettings& fs) {
  return Expand(t, fs.ShortTimeFormat, fs.TimeSeparator, ':');
}

TIntSet::TIntSet() : saved_(FormatSettings()), savedOverride_(Override().has_value()) {
  if (const char* n = std::setlocale(LC_NUMERIC, nullptr))
    savedNumeric_ = n;
  if (const char* t = std::setlocale(LC_TIME, nullptr))
    savedTime_ = t;
  std::setlocale(LC_NUMERIC, "C");
  std::setlocale(LC_TIME, "C");
  TFormatSettings fixed;
  fixed.ThousandSeparator = '\'';
  fixed.DecimalSeparator = '.';
  fixed.DateSeparator = '.';
  fixed.ShortDateFormat = "dd.MM.yy";
  fixed.TimeSeparator = ':';
  fixed.ShortTimeFormat = "HH:mm:ss";
  fixed.ListSeparator = ';';
  Override() = fixed;
}

TIntSet::~TIntSet() {
  if (savedOverride_)
    Override() = saved_;
  else
    Override().reset();
  if (!savedTime_.empty())
    std::setlocale(LC_TIME, savedTime_.c_str());
  if (!savedNumeric_.empty())
    std::setlocale(LC_NUMERIC, savedNumeric_.c_str());
}

} // namespace dtool
