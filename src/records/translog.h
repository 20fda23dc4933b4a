#pragma once
// The transfer log: an INI file describing the instrument and its configuration as last
// read or written, for other programs to pick up.
#include <ctime>
#include <string>

#include "core/records.h"

namespace dtool {

class TSettings;

// What the log records besides the settings object: the preferred units and the identity
// as the main window shows it.
struct TLogSource {
  const TPreferences& Prefs;
  const TSettings& Settings;
  std::string InstTypeText; // InstTypeEd
  std::string SerialText;   // SerialEd
  std::string RangeText;    // RangeEd
};

// Writes the log at path with the transfer ID and time (local time). The file is replaced
// as a whole: afterwards it holds the complete new log, or, when writing failed, nothing.
// Returns false on any error.
bool WriteLogFile(const std::string& path, const std::string& transferId, const std::tm& time,
                  const TLogSource& source);

// The log's text, as WriteLogFile writes it: the configuration file of the current instrument
// (configfile.h). For the switch, [Instrument_Settings] holds the switch record.
std::string LogFileText(const std::string& transferId, const std::tm& time,
                        const TLogSource& source);

} // namespace dtool
