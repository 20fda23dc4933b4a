// dtool: the command line of DToolPc, for production lines and service shops.
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <io.h>
#define DTOOL_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define DTOOL_ISATTY(fd) isatty(fd)
#endif

#include "cli/cliargs.h"
#include "cli/commands.h"
#include "cli/setfileprefs.h"
#include "core/settings.h"
#include "tools/progtools.h"
#ifdef DTOOL_CLI_REPORT
#include "cli/report/clireport.h"
#endif

int main(int argc, char* argv[]) {
  dtool::cli::TCliEnvironment env;
  for (int i = 1; i < argc; ++i)
    env.Args.emplace_back(argv[i]);
  if (const char* code = std::getenv(dtool::cli::CodeVariable))
    env.CodeValue = code;
  env.Interactive = DTOOL_ISATTY(0) != 0;
  // DToolPc's settings file, in the folder where DToolPc keeps it.
  env.SetFile =
      (std::filesystem::path(dtool::SettingsFileName()).parent_path() / dtool::cli::SetFileBaseName)
          .string();
#ifdef DTOOL_CLI_REPORT
  env.MakeReport = dtool::cli::MakeSettingsReport;
#endif
  return dtool::cli::RunCli(env, std::cout);
}
