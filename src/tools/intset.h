#pragma once
// Process-wide number and date conventions, and the fixed ones the transfer log needs.
#include <ctime>
#include <string>

namespace dtool {

struct TFormatSettings {
  char ThousandSeparator = ',';
  char DecimalSeparator = '.';
  char DateSeparator = '/';
  std::string ShortDateFormat = "dd/MM/yyyy";
  char TimeSeparator = ':';
  std::string ShortTimeFormat = "HH:mm:ss";
  char ListSeparator = ',';
};

// The conventions in force; taken from the C library's locale until overridden.
const TFormatSettings& FormatSettings();

// Formats a date or time with a pattern of dd, MM, yy, yyyy, HH, mm, ss; the separators
// in the pattern stand for the convention's separators ("." date, ":" time).
std::string FormatDate(const std::tm& t, const TFormatSettings& fs = FormatSettings());
std::string FormatTime(const std::tm& t, const TFormatSettings& fs = FormatSettings());

// While it exists, number formatting and parsing of the whole process (C library and
// C++ global locale) use a decimal point, and the date and time conventions are the fixed
// "dd.MM.yy" and "HH:mm:ss". Destroying it puts the replaced conventions back.
class TIntSet {
public:
  TIntSet();
  ~TIntSet();
  TIntSet(const TIntSet&) = delete;
  TIntSet& operator=(const TIntSet&) = delete;

private:
  TFormatSettings saved_;
  std::string savedNumeric_;
  std::string savedTime_;
  bool savedOverride_;
};

} // namespace dtool
