#include "cli/cliargs.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace dtool::cli {

namespace {

std::optional<std::int64_t> WholeNumber(const std::string& text) {
  std::int64_t v = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, v);
  if (text.empty() || ec != std::errc() || ptr != end)
    return std::nullopt;
  return v;
}

std::optional<double> Seconds(const std::string& text) {
  double v = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, v);
  if (text.empty() || ec != std::errc() || ptr != end || !std::isfinite(v))
    return std::nullopt;
  return v;
}

struct TCommandName {
  const char* Name;
  TCommand Command;
};
constexpr TCommandName Commands[] = {
    {"info", TCommand::Info},     {"read", TCommand::Read}, {"write", TCommand::Write},
    {"diff", TCommand::Diff},     {"zero", TCommand::Zero}, {"live", TCommand::Live},
    {"report", TCommand::Report},
};

std::optional<std::int32_t> ProtCodeOf(const std::string& text) {
  const std::optional<std::int64_t> v = WholeNumber(text);
  if (!v || *v < 1 || *v > 65535)
    return std::nullopt;
  return static_cast<std::int32_t>(*v);
}

} // namespace

const char* CommandName(TCommand command) {
  for (const TCommandName& c : Commands) {
    if (c.Command == command)
      return c.Name;
  }
  return "";
}

TParsedArgs ParseCliArgs(const std::vector<std::string>& args,
                         const std::optional<std::string>& codeVariable) {
  TCliArgs a;
  std::optional<TCommand> command;
  std::vector<std::string> operands;
  bool countGiven = false;
  bool outputGiven = false;
  bool pdfGiven = false;
  auto fail = [](std::string text) { return TParsedArgs{std::nullopt, std::move(text)}; };

  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    std::optional<std::string> inlineValue;
    if (arg.size() > 2 && arg.compare(0, 2, "--") == 0) {
      const std::size_t eq = arg.find('=');
      if (eq != std::string::npos) {
        inlineValue = arg.substr(eq + 1);
        arg.erase(eq);
      }
    }
    // The value of an option: after "=" or the next argument.
    auto value = [&](std::string& out) -> bool {
      if (inlineValue) {
        out = *inlineValue;
        return true;
      }
      if (i + 1 >= args.size())
        return false;
      out = args[++i];
      return true;
    };
    auto flag = [&](bool& out) -> bool {
      if (inlineValue)
        return false;
      out = true;
      return true;
    };
    std::string v;
    if (arg == "--help" || arg == "-h") {
      if (!flag(a.Help))
        return fail("option " + arg + " takes no value");
    } else if (arg == "--version") {
      if (!flag(a.Version))
        return fail("option --version takes no value");
    } else if (arg == "--json") {
      if (!flag(a.Json))
        return fail("option --json takes no value");
    } else if (arg == "--port") {
      if (!value(v))
        return fail("option --port needs a port number 1..8");
      const std::optional<std::int64_t> port = WholeNumber(v);
      if (!port || *port < 1 || *port > 8)
        return fail("port \"" + v + "\" is not a port number 1..8");
      a.Port = static_cast<std::int32_t>(*port);
    } else if (arg == "--wait") {
      if (!value(v))
        return fail("option --wait needs seconds");
      const std::optional<double> s = Seconds(v);
      if (!s || *s < 0 || *s > MaxWaitSeconds)
        return fail("wait \"" + v + "\" is not a number of seconds 0..3600");
      a.WaitSeconds = *s;
    } else if (arg == "--code") {
      if (!value(v))
        return fail("option --code needs a protection code 1..65535");
      a.Code = ProtCodeOf(v);
      if (!a.Code)
        return fail("protection code \"" + v + "\" is not a number 1..65535");
    } else if (arg == "--count") {
      if (!value(v))
        return fail("option --count needs a number of readings");
      const std::optional<std::int64_t> n = WholeNumber(v);
      if (!n || *n < 1 || *n > MaxCount)
        return fail("count \"" + v + "\" is not a number of readings 1..1000000");
      a.Count = *n;
      countGiven = true;
    } else if (arg == "-o" || arg == "--output") {
      if (!value(v) || v.empty())
        return fail("option " + arg + " needs a file name");
      a.Output = v;
      outputGiven = true;
    } else if (arg == "--pdf") {
      if (!value(v) || v.empty())
        return fail("option --pdf needs a file name");
      a.Output = v;
      pdfGiven = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return fail("unknown option \"" + arg + "\"");
    } else if (!command) {
      for (const TCommandName& c : Commands)
        if (arg == c.Name)
          command = c.Command;
      if (!command)
        return fail("unknown command \"" + arg + "\"");
    } else {
      operands.push_back(arg);
    }
  }

  if (a.Help || a.Version)
    return {a, {}};
  if (!command)
    return fail("no command given (info, read, write, diff, zero, live, report)");
  a.Command = *command;
  const bool takesFile = a.Command == TCommand::Write || a.Command == TCommand::Diff;
  if (takesFile) {
    if (operands.empty())
      return fail(std::string(a.Command == TCommand::Write ? "write" : "diff") +
                  " needs a configuration file");
    a.File = operands.front();
    operands.erase(operands.begin());
  }
  if (!operands.empty())
    return fail("unexpected argument \"" + operands.front() + "\"");
  if (outputGiven && a.Command != TCommand::Read)
    return fail("option -o belongs to the command read");
  if (pdfGiven != (a.Command == TCommand::Report))
    return fail(pdfGiven ? "option --pdf belongs to the command report"
                         : "report needs --pdf and a file name");
  if (countGiven && a.Command != TCommand::Live)
    return fail("option --count belongs to the command live");
  if (!a.Code && codeVariable && !codeVariable->empty()) {
    a.Code = ProtCodeOf(*codeVariable);
    if (!a.Code)
      return fail(std::string(CodeVariable) + " \"" + *codeVariable +
                  "\" is not a protection code 1..65535");
  }
  return {a, {}};
}

std::string UsageText() {
  return R"(Usage: dtool [options] COMMAND [arguments]

Configures an instrument of the Dravon family over its serial link.

Commands:
  info              detect the instrument and show its identity
  read [-o FILE]    read the whole configuration into a configuration file
                    (standard output without -o)
  write FILE        write the configuration file to the instrument, read it back and
                    verify it; shows what changed
  diff FILE         show what differs between the instrument and the file
  zero              calibrate the instrument's zero
  live [--count N]  show N readings (default 5)
  report --pdf OUT  save the settings report of the instrument as a PDF

Options:
  --port N          COM port 1..8 (default: the port of the settings file DToolPc.SET)
  --wait S          wait up to S seconds for an instrument that is not ready (default 5)
  --code C          protection code 1..65535 (default: environment variable DTOOL_CODE)
  --json            machine-readable output on standard output
  --help            show this text
  --version         show the version

Exit status:
  0 success              3 a value refused, or the instrument differs from the file
  1 bad command line     4 protection code missing or wrong
  2 no instrument or communication failed
                         5 the configuration file is invalid
)";
}

} // namespace dtool::cli
