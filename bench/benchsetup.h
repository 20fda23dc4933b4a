#pragma once
// What hangs on which port of the bench and how it is set up, as read from a bench file,
// and the faults the bench injects there.
#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace dtool::bench {

inline constexpr int PortCount = 8;

// Instrument types and their names, as printed on the instruments.
inline constexpr int TypeSwitch = 9;
const char* TypeName(int type);
// Class of a type: 0 switch, 1 transmitter, 2 static, 3 static "Z", 4 none.
int TypeClass(int type);
bool TypeHasDisplay(int type);
bool TypeHasAnalogOutput(int type);

// The live pressure at the instrument's ports: a constant, a slow sine and some noise.
struct TPressureSource {
  double Pressure = 0;     // Pa
  double Wave = 0;         // amplitude of the sine, Pa
  double PeriodS = 10;     // period of the sine, s
  double Noise = 0;        // amplitude of the noise, Pa
  double SensorOffset = 0; // the sensor's own zero error, Pa
  double HoseLength = 0.3; // the installation the instrument really measures through
  double AtmPress = 966;   // hPa
  double Humidity = 50;    // %RH
};

struct TFaults {
  std::map<std::uint16_t, std::int32_t> LinkErrorCmd; // command OOCC -> link status
  std::map<std::string, std::int32_t> LinkErrorFn;    // library function -> status
  std::map<std::uint16_t, std::uint8_t> Answer;       // command OOCC -> answer cc
  std::set<std::uint16_t> Unknown;                    // commands the instrument does not know
  bool NoSignal = false;
  bool Overflow = false;
  bool Underflow = false;
  bool NoConfig = false;
  bool Newer = false;
  std::int32_t ErrorEventNr = -1; // instrument error reported once, after ErrorEventAfterMs
  std::int64_t ErrorEventAfterMs = 5000;

  // The injected link status of a function, or 0.
  std::int32_t FunctionError(const std::string& function) const;
};

struct TPortSetup {
  bool Available = true; // false: the port cannot be opened
  int Type = 0;          // 0: nothing connected
  std::uint32_t SerialNr = 0xFFFFFFFF;
  std::int32_t RangeMax = 250;
  std::int32_t RangeMin = -250;
  // Analog family: firmware of the main and the sensor controller, major and minor.
  std::uint8_t MainMajor = 1, MainMinor = 12, SensorMajor = 1, SensorMinor = 3;
  // Switch: main and second version times 10, component version.
  std::int32_t SwMainVersion = 21, SwSecondVersion = 10, SwCompVersion = 3;
  int CapLevel = 2;  // 0: older firmware that knows no capability level
  int HostLevel = 1; // capability level the instrument requires of the tool
  bool CurrentOutput = true;
  std::uint16_t ProtCode = 0;
  std::int64_t StartupMs = 0;
  std::int64_t ZeroBusyMs = 3000;
  std::int64_t LatencyMs = 0;
  std::uint16_t A109 = 0x0004;
  std::uint16_t A116 = 4;
  double OutputGain = 1.0; // error of the output stage that the calibration corrects
  double OutputOffset = 0.0;
  TPressureSource Source;
  TFaults Faults;
  // The factory settings as text: a stored state made for other settings is not used.
  std::string FactoryStamp;

  bool Connected() const { return Type != 0; }
  bool IsSwitch() const { return Type == TypeSwitch; }
};

struct TBenchSetup {
  std::string File; // empty for the built-in bench
  std::string Description;
  std::array<TPortSetup, PortCount> Ports;
};

// Reads a bench file's text. Every problem becomes a message naming the file, the line and
// the key; with any problem the result is a bench with nothing connected.
TBenchSetup ParseBenchSetup(const std::string& text, const std::string& file,
                            std::vector<std::string>& messages);

// The bench used when there is no bench file, as bench file text.
const char* DefaultBenchText();

} // namespace dtool::bench
