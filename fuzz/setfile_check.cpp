// The settings file: a good image loads and is saved back byte for byte; any other file gives
// the read message once and every default, and is set aside with its bytes, not destroyed.
#include "fuzz/fuzzcheck.h"

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/settings.h"
#include "core/settingsowner.h"
#include "support/scriptedport.h"
#include "ui/main/setfile.h"

namespace dtool::fuzz {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class TOwner : public ISettingsOwner {
public:
  TPreferences& Prefs() override { return prefs; }
  TPreferences prefs{};
};

template <typename Rec> Bytes BytesOf(const Rec& rec) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(&rec);
  return Bytes(p, p + sizeof rec);
}

Bytes ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A folder of its own for the files of this process, in memory where the system has one.
const fs::path& Folder() {
  static const fs::path folder = [] {
    std::error_code ec;
    fs::path base =
        fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
    fs::path dir;
    for (int n = 0;; ++n) {
      dir = base / ("dtool-fuzz-setfile-" + std::to_string(n));
      if (fs::create_directory(dir, ec))
        break;
      if (ec || n > 10000)
        throw std::runtime_error("no folder for the settings files under " + base.string());
    }
    return dir;
  }();
  return folder;
}

template <typename T> T At(const Bytes& image, std::size_t at) {
  T v;
  std::memcpy(&v, &image[at], sizeof v);
  return v;
}

// What the windows rely on in a settings file they have taken, read from the image by the
// file's layout: every number finite, units of their kinds, selections within their lists,
// short strings within their 20 characters.
void RequireShowable(const Bytes& image) {
  using setfile::Class1At, setfile::Class23At, setfile::InstInfoAt, setfile::SwitchAt;
  const std::size_t doubles[] = {8,
                                 16, // Altitude, Temperature
                                 Class1At + 8,
                                 Class1At + 16,
                                 Class1At + 24,
                                 Class1At + 32,
                                 Class1At + 48,
                                 Class1At + 56,
                                 Class1At + 64,
                                 Class1At + 72,
                                 Class1At + 88,
                                 Class1At + 96,
                                 Class1At + 120,
                                 InstInfoAt + 0,
                                 InstInfoAt + 8,
                                 SwitchAt + 0,
                                 SwitchAt + 8,
                                 SwitchAt + 16,
                                 SwitchAt + 24,
                                 SwitchAt + 40,
                                 SwitchAt + 48,
                                 SwitchAt + 56,
                                 SwitchAt + 64,
                                 Class23At + 8,
                                 Class23At + 24,
                                 Class23At + 32,
                                 Class23At + 40,
                                 Class23At + 48,
                                 Class23At + 64,
                                 Class23At + 72,
                                 Class23At + 96};
  for (std::size_t at : doubles)
    FUZZ_REQUIRE(std::isfinite(At<double>(image, at)), "double at " + std::to_string(at));
  for (std::size_t group : {Class23At + 104, Class23At + 160})
    for (std::size_t field = 8; field <= 48; field += 8)
      FUZZ_REQUIRE(std::isfinite(At<double>(image, group + field)),
                   "alarm double at " + std::to_string(group + field));
  for (std::size_t at : {Class1At + 116, Class23At + 88})
    FUZZ_REQUIRE(std::isfinite(At<float>(image, at)), "single at " + std::to_string(at));

  auto pressure = [](std::uint8_t u) { return u >= 1 && u <= 7; };
  auto velocity = [](std::uint8_t u) { return u >= 16 && u <= 19; };
  const std::int32_t comPort = At<std::int32_t>(image, 0);
  FUZZ_REQUIRE(comPort >= 1 && comPort <= 8, "ComPort");
  FUZZ_REQUIRE(pressure(image[4]) && velocity(image[5]), "pressure and velocity units");
  FUZZ_REQUIRE(image[6] == 0 || image[6] == 2 || image[6] == 3 || image[6] == 6, "AtmUnit");
  FUZZ_REQUIRE(image[7] == 8 || image[7] == 9, "HoseUnit");
  FUZZ_REQUIRE(image[24] <= 1 && image[25] <= 11, "HelpLanguage, LastInstType");
  for (std::size_t at : {Class1At + 40, Class23At + 16}) {
    FUZZ_REQUIRE(pressure(image[at + 1]) && velocity(image[at + 2]), "display units");
    FUZZ_REQUIRE(pressure(image[at]) || velocity(image[at]), "Disp_unit");
  }
  const std::int32_t speed = At<std::int32_t>(image, Class1At + 104);
  const std::int32_t average = At<std::int32_t>(image, Class1At + 108);
  const std::int32_t level = At<std::int32_t>(image, Class23At + 80);
  FUZZ_REQUIRE(speed >= 1 && speed <= 9 && average >= 1 && average <= 20, "Speed, average");
  FUZZ_REQUIRE(level >= 0 && level <= 20, "Filter_level");
  FUZZ_REQUIRE(image[SwitchAt + 32] >= 1 && image[SwitchAt + 32] <= 9, "AlInt");
  FUZZ_REQUIRE(image[InstInfoAt + 16] <= 11, "InstType");
  for (std::size_t at : {InstInfoAt + 17, InstInfoAt + 38, InstInfoAt + 59, InstInfoAt + 96})
    FUZZ_REQUIRE(image[at] <= 20, "string length at " + std::to_string(at));
}

} // namespace

void CheckSetFile(const std::uint8_t* data, std::size_t size) {
  const Bytes input(data, data + size);
  // The records are the file's bytes, in both directions.
  if (size >= SetFileSize) {
    TSetFileImage image;
    std::memcpy(image.data(), data, SetFileSize);
    FUZZ_REQUIRE(BuildSetFileImage(ParseSetFileImage(image)) == image, "parse and build");
  }

  const fs::path file = Folder() / "DToolPc.SET";
  const fs::path aside = file.string() + ".bad";
  std::error_code ec;
  fs::remove(aside, ec);
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }

  test::ScriptedPort port;
  test::ThrowingTerminator terminator;
  TOwner owner;
  TSettings sett(&owner);
  const bool taken = LoadSetFile(owner, sett, file.string());

  if (taken) {
    FUZZ_REQUIRE(size >= SetFileSize, "a short file is taken");
    FUZZ_REQUIRE(port.messages.empty(), "a message for a file taken: " + port.Texts().front());
    const Bytes image(input.begin(), input.begin() + SetFileSize);
    RequireShowable(image);
    FUZZ_REQUIRE(fs::exists(file) && !fs::exists(aside), "a file taken is set aside");
    // Saved at close, it is the same file again.
    const fs::path saved = Folder() / "saved.SET";
    FUZZ_REQUIRE(SaveSetFile(owner, sett, saved.string()), "cannot be saved");
    FUZZ_REQUIRE(port.messages.empty(), "a message at saving");
    FUZZ_REQUIRE(ReadBytes(saved) == image, "not saved back byte for byte");
    return;
  }

  // Not taken: the message once, the defaults, and the operator's file kept aside.
  const std::string kept =
      std::string(SetFileReadError) + "The unusable file was kept as \"" + aside.string() + "\".";
  FUZZ_REQUIRE(port.messages.size() == 1, std::to_string(port.messages.size()) + " messages");
  FUZZ_REQUIRE(port.messages.front().kind == "Error" && port.messages.front().text == kept,
               port.messages.front().text);
  TOwner refOwner;
  SetDefaultPrefs(refOwner);
  TSettings ref(&refOwner);
  ref.ResetInstInfo();
  ref.SetDefaults(false, false);
  FUZZ_REQUIRE(BytesOf(owner.prefs) == BytesOf(refOwner.prefs), "preferences not the defaults");
  FUZZ_REQUIRE(BytesOf(sett.Class1) == BytesOf(ref.Class1) &&
                   BytesOf(sett.Class23) == BytesOf(ref.Class23) &&
                   BytesOf(sett.Switch) == BytesOf(ref.Switch) &&
                   BytesOf(sett.InstInfo) == BytesOf(ref.InstInfo),
               "records not the defaults");
  FUZZ_REQUIRE(!fs::exists(fs::symlink_status(file)), "the unusable file stays in place");
  FUZZ_REQUIRE(ReadBytes(aside) == input, "the file set aside is not the operator's");
}

} // namespace dtool::fuzz
