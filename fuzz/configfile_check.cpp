// The configuration file: a text that is taken is written back to a text that gives the same
// configuration, and that text is written again alike; the values taken are finite and the
// type named fits the record. A text refused gives one message naming the file and, where the
// fault is on one line, a line of the text.
#include "fuzz/fuzzcheck.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "core/paramview.h"
#include "records/configfile.h"

namespace dtool::fuzz {

void CheckConfigFile(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string name = "fuzz.ini";
  const TConfigRead read = ParseConfigText(text, name);

  if (!read.Config) {
    const TConfigError& error = read.Error;
    const int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
    FUZZ_REQUIRE(!error.Text.empty(), "refused without a reason");
    FUZZ_REQUIRE(error.File == name, "the error names " + error.File);
    FUZZ_REQUIRE(error.Line >= 0 && error.Line <= lines,
                 "line " + std::to_string(error.Line) + " of " + std::to_string(lines));
    const std::string message = error.Message();
    FUZZ_REQUIRE(message.rfind(name, 0) == 0, message);
    if (error.Line > 0)
      FUZZ_REQUIRE(message.find(", line " + std::to_string(error.Line)) != std::string::npos,
                   message);
    return;
  }

  const TConfig& config = *read.Config;
  for (const TConfigField& field : ConfigFields(config.Record))
    FUZZ_REQUIRE(std::isfinite(FieldValue(field, config.Params)),
                 std::string("not finite: ") + field.Name);
  if (config.InstType != 0)
    FUZZ_REQUIRE(ConfigFitsType(config, config.InstType),
                 "type " + std::to_string(config.InstType) + " does not fit its record");

  const std::string written = ConfigFileText(config);
  const TConfigRead again = ParseConfigText(written, name);
  FUZZ_REQUIRE(again.Config.has_value(), "the text written is refused: " + again.Error.Message());
  FUZZ_REQUIRE(*again.Config == config, "the text written gives another configuration");
  FUZZ_REQUIRE(ConfigFileText(*again.Config) == written, "written twice, two texts");
}

} // namespace dtool::fuzz
