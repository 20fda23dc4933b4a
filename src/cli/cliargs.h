#pragma once
// The command line of dtool: the command, its argument and the options, checked before
// anything talks to an instrument.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dtool::cli {

// Exit status of dtool.
namespace exitcode {
inline constexpr int Ok = 0;
inline constexpr int Usage = 1;        // bad command line
inline constexpr int NoInstrument = 2; // no instrument, or the communication failed
inline constexpr int Refused = 3;      // a value refused, or the instrument differs from the file
inline constexpr int ProtCode = 4;     // protection code missing or wrong
inline constexpr int BadFile = 5;      // the configuration file is invalid
} // namespace exitcode

enum class TCommand { Info, Read, Write, Diff, Zero, Live, Report };
// The command's name on the command line and in the machine-readable output.
const char* CommandName(TCommand command);

// The environment variable that may hold the protection code.
inline constexpr const char* CodeVariable = "DTOOL_CODE";
// Default of --wait, seconds.
inline constexpr double DefaultWaitSeconds = 5;
// Longest --wait and largest --count taken.
inline constexpr double MaxWaitSeconds = 3600;
inline constexpr std::int64_t MaxCount = 1000000;

struct TCliArgs {
  bool Help = false;
  bool Version = false;
  TCommand Command = TCommand::Info;
  std::string File;                 // write, diff: the configuration file
  std::string Output;               // read -o, report --pdf
  std::optional<std::int32_t> Port; // --port; else the settings file's
  double WaitSeconds = DefaultWaitSeconds;
  bool Json = false;
  std::optional<std::int32_t> Code; // --code, else the environment variable
  std::int64_t Count = 5;           // live --count
};

// Either the arguments or the one line that says what is wrong with them.
struct TParsedArgs {
  std::optional<TCliArgs> Args;
  std::string Error;
};

// args: the arguments after the program name; codeVariable: the environment variable's value,
// if set.
TParsedArgs ParseCliArgs(const std::vector<std::string>& args,
                         const std::optional<std::string>& codeVariable);

// The text of --help.
std::string UsageText();

} // namespace dtool::cli
