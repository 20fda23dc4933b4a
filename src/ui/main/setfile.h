#pragma once
// The settings file beside the program: the operator's preferences, the parameter records and
// the instrument identity of the last run, as one 568-byte image. The main window reads it at
// start and writes it at close.
#include <string>

#include "core/settings.h"

namespace dtool {

class ISettingsOwner;

inline constexpr const char* SetFileReadError = "The configuration data could not be read! ";
inline constexpr const char* SetFileWriteError = "The configuration data could not be written! ";

// The owner's preferences at their defaults, then the velocity mode off and the help context
// of the current instrument type.
void SetDefaultPrefs(ISettingsOwner& owner);

// Reads the file into the owner's preferences and the records of sett. A missing, short or
// unreadable file, one that is not a regular file, or one holding a value the program cannot
// show or use (a number that is not finite among them), gives the read error message once and
// all defaults; sett is not touched by such a file. A file that is there but cannot be used is
// renamed to fileName + ".bad" (".bad2", ... when taken) and the message names it. Either way
// the help context follows the instrument type. True when the file was taken.
bool LoadSetFile(ISettingsOwner& owner, TSettings& sett,
                 const std::string& fileName = SettingsFileName());

// Whether a parameter record holds only values the windows can show and this file can keep:
// units of their kinds, list selections within their lists, finite numbers.
bool Class1ParamsUsable(const TClass1Params& rec);
bool Class23ParamsUsable(const TClass23Params& rec);
bool SwitchParamsUsable(const TSwitchParams& rec);

// Writes the owner's preferences and the records of sett. The image goes to fileName + ".tmp"
// first and is renamed into place, so the file is either the previous one or the new one; a
// temporary file left by an interrupted run is removed first. An unusable file still in place
// is set aside as by LoadSetFile, or, when that fails, not replaced. A failure gives the write
// error message once and keeps the previous file. True when written.
bool SaveSetFile(ISettingsOwner& owner, const TSettings& sett,
                 const std::string& fileName = SettingsFileName());

} // namespace dtool
