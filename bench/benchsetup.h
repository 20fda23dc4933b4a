#pragma once
// What hangs on which port of the bench and how it is set up, as read from a bench file,
// and the faults the bench injects there.
#include <array>
#include <cstdint>
#include <map>
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

// The constants of the nozzle the instrument really measures through: a velocity v makes
// the pressure C * v^n at its ports. The factory's configured C and n are the same.
inline constexpr double FactoryNozzleC = 0.6125, FactoryNozzleN = 2.0;

// The largest zero error of a sensor, Pa: what a zero calibration can take out, and what a
// stored zero can be.
inline constexpr double MaxSensorOffset = 1000;

// The live pressure at the instrument's ports: a constant, a slow sine and some noise.
struct TPressureSource {
  double Pressure = 0;     // Pa
  double Wave = 0;         // amplitude of the sine, Pa
  double PeriodS = 10;     // period of the sine, s
  double Noise = 0;        // amplitude of the noise, Pa
  double SensorOffset = 0; // the sensor's own zero error, Pa
  double GainError = 1.0;  // the sensor reads this many times what reaches it
  double HoseLength = 0.3; // the installation the instrument really measures through
  double AtmPress = 966;   // hPa
  double Humidity = 50;    // %RH
};

// A fault of a command or a library function, and how many uses it lets pass first: with
// After 2 the first two uses are served and the fault begins with the third.
struct TFaultAt {
  std::int32_t Value = 0; // link status, or the answer's cc
  std::int64_t After = 0;
};

struct TFaults {
  // Faults of the line and of the readings. They belong to the port: they stay when another
  // instrument is plugged in, and BenchSetFault replaces them while the port is open.
  std::map<std::uint16_t, TFaultAt> LinkErrorCmd; // command OOCC -> link status
  std::map<std::string, TFaultAt> LinkErrorFn;    // library function -> status
  std::map<std::uint16_t, TFaultAt> Answer;       // command OOCC -> answer cc
  std::map<std::uint16_t, TFaultAt> Unknown;      // commands the instrument does not know
  bool NoSignal = false;
  bool Overflow = false;
  bool Underflow = false;
  bool NoConfig = false;
  // Faults of the instrument itself, which it takes along.
  bool Newer = false;
  std::int32_t ErrorEventNr = -1; // instrument error reported once, after ErrorEventAfterMs
  std::int64_t ErrorEventAfterMs = 5000;

  // Takes the faults of the line and the readings from other; keeps the instrument's own.
  void SetLineFaults(const TFaults& other);
  // The faults of the line and the readings as bench file keys, "; " between them.
  std::string LineFaultsText() const;
};

struct TPortSetup {
  bool Available = true; // false: the port cannot be opened (a setting of the port)
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
  std::int64_t LatencyMs = 0; // of the port: stays when another instrument is plugged in
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

// Reads the fault keys of the line and the readings (FaultLinkError, FaultAnswer,
// FaultUnknown, FaultNoSignal, FaultOverflow, FaultUnderflow, FaultNoConfig), one
// "key = value" a line, as BenchSetFault takes them. Problems become messages that start with
// source; with any problem the result is false and faults is left alone.
bool ParseLineFaults(const std::string& text, const std::string& source, TFaults& faults,
                     std::vector<std::string>& messages);
// Reads the keys of a port section that describe an instrument, as BenchPlug takes them for
// the port with the index; the keys of the port (Available, LatencyMs, the faults of the line
// and the readings) are problems. As ParseLineFaults otherwise.
bool ParseInstrument(const std::string& text, int portIndex, const std::string& source,
                     TPortSetup& setup, std::vector<std::string>& messages);

// The bench used when there is no bench file, as bench file text.
const char* DefaultBenchText();

} // namespace dtool::bench
