// The analog-family instruments of the bench, through DDatDll as the program loads it.
#include "benchharness.h"
#include "tests/support/benchtrace.h"

#include <bit>
#include <cmath>
#include <string>
#include <vector>

namespace dtool::test {
namespace {

std::string OnePort(const std::string& keys) {
  return "[COM1]\n" + keys + "\n";
}

class AnalogBench : public BenchTest {};

// ---- Detection ----

struct DetectCase {
  int type;
  std::int32_t familyCode;
  bool outputBits; // bits 0-1 of the identify answer: the analog output types
};

TEST_F(AnalogBench, DetectionCodesGiveEveryTypeBack) {
  const DetectCase cases[] = {{1, 3, true},  {2, 4, true}, {3, 3, false}, {4, 4, false},
                              {5, 5, true},  {6, 6, true}, {7, 5, false}, {8, 6, false},
                              {10, 1, true}, {11, 2, true}};
  for (const DetectCase& c : cases) {
    SCOPED_TRACE("type " + std::to_string(c.type));
    ASSERT_EQ(UseBench(OnePort("Instrument = " + std::to_string(c.type))), 0) << Messages();
    ASSERT_EQ(an->OpenCom(1), 0);
    std::int32_t code = -1;
    EXPECT_EQ(an->GetInstType(1, &code), 0);
    EXPECT_EQ(code, c.familyCode);
    const TransRec id = Ask(1, 0xF001);
    EXPECT_EQ(id.CC, 0);
    EXPECT_EQ((id.AA() & 0x03) != 0, c.outputBits);
  }
}

TEST_F(AnalogBench, DetectionOfNothingAndOfTheSwitchGivesCodeZero) {
  ASSERT_EQ(UseBench("[COM1]\nInstrument = DravonSwitch\n[COM2]\nInstrument = none\n"), 0);
  for (std::int32_t port : {1, 2}) {
    ASSERT_EQ(an->OpenCom(port), 0);
    std::int32_t code = -1;
    EXPECT_EQ(an->GetInstType(port, &code), 0);
    EXPECT_EQ(code, 0);
    std::int32_t status = 0;
    Cmd(port, 0xF001, 0, status);
    EXPECT_EQ(status, 2) << "nothing answers the analog protocol";
  }
}

// ---- Identity ----

TEST_F(AnalogBench, IdentityRegistersReportTheBenchFile) {
  ASSERT_EQ(
      UseBench(OnePort("Instrument = DravonDat\nSerial = 1234567 ; on the label\nRangeMax = 250\n"
                       "RangeMin = -100\nFirmware = 01.12\nSensorFirmware = 01.3\n"
                       "CapLevel = 2\nHostLevel = 3\nOutput = voltage")),
      0)
      << Messages();
  OpenAnalog(1);
  EXPECT_EQ(Ask(1, 0xA101).BBAA, 250);
  EXPECT_EQ(Ask(1, 0xA102).BBAA, 0xFF9C); // -100, signed
  EXPECT_EQ(Ask(1, 0xA103).BBAA, 0x010C);
  EXPECT_EQ(Ask(1, 0xA104).BBAA, 0x0103);
  EXPECT_EQ(Ask(1, 0xA107).BBAA, 1234567 & 0xFFFF);
  EXPECT_EQ(Ask(1, 0xA108).BBAA, 1234567 >> 16);
  EXPECT_EQ(Ask(1, 0xA114).BBAA, 3);
  EXPECT_EQ(Ask(1, 0xA115).BBAA, 2);
  EXPECT_EQ(Ask(1, 0xA303).BBAA & 1, 0) << "voltage output";
  EXPECT_EQ(Ask(1, 0xA109).BBAA, 0x0004) << "factory control flags";
}

TEST_F(AnalogBench, OlderFirmwareKnowsNoCapabilityLevelNorVelocity) {
  ASSERT_EQ(UseBench(OnePort("Instrument = DravonVision\nSerial = none\nCapLevel = 0")), 0);
  OpenAnalog(1);
  EXPECT_EQ(Ask(1, 0xA107).BBAA, 0xFFFF);
  EXPECT_EQ(Ask(1, 0xA108).BBAA, 0xFFFF);
  for (std::uint16_t unknown : {0xA115, 0xA114, 0xA205, 0xA206, 0xA207, 0xA30A, 0xB30B}) {
    std::int32_t status = 0;
    Cmd(1, unknown, 0, status);
    EXPECT_EQ(status, AnStatusUnknownCommand) << std::hex << unknown;
  }
  EXPECT_EQ(Ask(1, 0xA204).BBAA, 5) << "the other registers are there";
}

TEST_F(AnalogBench, CommandsTheTypeDoesNotKnowAnswerStatus8) {
  ASSERT_EQ(UseBench("[COM1]\nInstrument = DravonDat\n[COM2]\nInstrument = Dravon-STD\n"), 0);
  OpenAnalog(1);
  ASSERT_EQ(an->OpenCom(2), 0);
  const struct {
    std::int32_t port;
    std::uint16_t cmd;
  } cases[] = {{1, 0xA116}, {1, 0xA3A2}, {2, 0xA104}, {2, 0xA200}, {1, 0xA1FE},
               {1, 0xB101}, {1, 0xB103}, {1, 0xF002}, {2, 0x0000}, {2, 0xC109}};
  for (const auto& c : cases) {
    std::int32_t status = 0;
    const TransRec answer = Cmd(c.port, c.cmd, 0x1234, status);
    EXPECT_EQ(status, AnStatusUnknownCommand) << "COM" << c.port << " " << std::hex << c.cmd;
    EXPECT_EQ(answer.BBAA, 0x1234) << "the record is left as it was";
  }
}

// ---- Registers ----

struct RegisterCase {
  const char* instrument;
  std::uint16_t read;
  std::uint16_t write;
  std::uint8_t cc;
  std::uint16_t held;
};

TEST_F(AnalogBench, RegistersKeepValuesInRangeAndCorrectTheOthers) {
  // Transmitter with the range -250..250 Pa, static model with -50..50 Pa.
  const RegisterCase cases[] = {
      {"DravonDat", 0xA200, 500, 0, 500},          // hose length 0.5 m
      {"DravonDat", 0xA200, 50, 1, 100},           // below 0.1 m
      {"DravonDat", 0xA201, 40000, 1, 1100},       // atmospheric pressure
      {"DravonDat", 0xA202, 150, 1, 100},          // humidity
      {"DravonDat", 0xA203, 30000, 1, 15000},      // sensor gain
      {"DravonDat", 0xA111, 20, 1, 15},            // contrast
      {"DravonDat", 0xA300, 0xFF90, 0, 0xFF90},    // output from -1.12 Pa
      {"DravonDat", 0xA300, 0x8000, 1, 0x9E58},    // -327.68 Pa to -250 Pa
      {"DravonDat", 0xA301, 30000, 1, 25000},      // above 250 Pa
      {"DravonDat", 0xA305, 0xB1E0, 1, 0xD8F0},    // offset -2 mA to -1 mA
      {"DravonDat", 0xA304, 0, 1, 8000},           // output gain
      {"DravonDat", 0xA110, 0, 1, 1},              // display unit code
      {"DravonDat", 0xA110, 12, 1, 11},            //
      {"DravonDat", 0xA204, 10, 1, 9},             // measurement interval
      {"DravonDat", 0xA10F, 25, 1, 20},            // moving average
      {"DravonDat", 0xA205, 0x1234, 0, 0x1234},    // half of C, taken as it comes
      {"DravonDat", 0xA207, 50000, 1, 40000},      // constant n
      {"DravonDat", 0xA30A, 0x86E8, 1, 0x8AD0},    // velocity from -31 to -30 m/s
      {"Dravon-STD Z", 0xA204, 4000, 1, 5000},     // sensor gain
      {"Dravon-STD Z", 0xA10F, 21, 1, 20},         // filter level
      {"Dravon-STD Z", 0xA116, 100, 1, 99},        // output rate
      {"Dravon-STD Z", 0xA3A2, 2, 1, 1},           // alarm direction
      {"Dravon-STD Z", 0xA30E, 0x8AD0, 1, 0xEC78}, // threshold -300 Pa to -50 Pa
      {"Dravon-STD Z", 0xA30F, 1000, 0, 1000},     // threshold 10 Pa
      {"Dravon-STD Z", 0xA30C, 0xFFFF, 1, 0},      // negative hysteresis
      {"Dravon-STD Z", 0xA30D, 6000, 1, 5000},     // hysteresis beyond the range
      {"Dravon-STD Z", 0xA3A9, 20000, 1, 12207},   // delay beyond 600 s
      {"Dravon-STD Z", 0xA3A6, 0x8000, 1, 0x8AD0}, // velocity threshold
  };
  std::string current;
  for (const RegisterCase& c : cases) {
    SCOPED_TRACE(std::string(c.instrument) + " register " + std::to_string(c.read) + " value " +
                 std::to_string(c.write));
    if (current != c.instrument) {
      current = c.instrument;
      ASSERT_EQ(UseBench(OnePort("Instrument = " + current +
                                 "\nRangeMax = " + (current == "DravonDat" ? "250" : "50"))),
                0);
      OpenAnalog(1);
    }
    const TransRec written = Ask(1, static_cast<std::uint16_t>(c.read + 0x1000), c.write);
    EXPECT_EQ(written.OO, (c.read + 0x1000) >> 8);
    EXPECT_EQ(written.CC, c.cc);
    EXPECT_EQ(written.BBAA, c.held);
    const TransRec read = Ask(1, c.read);
    EXPECT_EQ(read.CC, 0);
    EXPECT_EQ(read.BBAA, c.held);
  }
}

TEST_F(AnalogBench, FactoryValuesFollowTheRange) {
  ASSERT_EQ(UseBench(OnePort("Instrument = Dravon-STS\nRangeMax = 100")), 0);
  OpenAnalog(1);
  EXPECT_EQ(Ask(1, 0xA301).BBAA, 10000) << "output to: the upper end, 100 Pa";
  EXPECT_EQ(Ask(1, 0xA30E).BBAA, static_cast<std::uint16_t>(-8000)) << "alarm 1 below -80 Pa";
  EXPECT_EQ(Ask(1, 0xA30F).BBAA, 8000);
  EXPECT_EQ(Ask(1, 0xA3A3).BBAA, 1) << "alarm 2 trips above";
  EXPECT_EQ(Ask(1, 0xA205).BBAA, 0xCCCD) << "C = 0.6125";
  EXPECT_EQ(Ask(1, 0xA206).BBAA, 0x3F1C);
  EXPECT_EQ(Ask(1, 0xA116).BBAA, 4);
}

TEST_F(AnalogBench, FlagRegistersAnswerTheFlagChosenBySelector) {
  ASSERT_EQ(UseBench(OnePort("Instrument = DravonDat")), 0);
  OpenAnalog(1);
  EXPECT_EQ(Ask(1, 0xA309, 0x0100).BBAA, 0x0101) << "live zero on from the factory";
  EXPECT_EQ(Ask(1, 0xA309, 0x0300).BBAA, 0x0300) << "output carries pressure";
  EXPECT_EQ(Ask(1, 0xA112, 0x0200).BBAA, 0x0200);

  EXPECT_EQ(Ask(1, 0xB309, 0x0100).BBAA, 0x0100);
  EXPECT_EQ(Ask(1, 0xB309, 0x0301).BBAA, 0x0301);
  EXPECT_EQ(Ask(1, 0xA309, 0x0100).BBAA, 0x0100) << "one flag does not touch the other";
  EXPECT_EQ(Ask(1, 0xA309, 0x0300).BBAA, 0x0301);
  const TransRec corrected = Ask(1, 0xB112, 0x0205);
  EXPECT_EQ(corrected.CC, 1);
  EXPECT_EQ(corrected.BBAA, 0x0201);

  for (std::uint16_t wrong : {0xA309, 0xB309}) {
    const TransRec r = Ask(1, wrong, 0x0201); // the selector of the other register
    EXPECT_EQ(r.CC, 2) << std::hex << wrong;
  }
  EXPECT_EQ(Ask(1, 0xA112, 0x0000).CC, 2);
}

// ---- Protection ----

TEST_F(AnalogBench, ProtectedWritesNeedTheCodeUntilThePortCloses) {
  ASSERT_EQ(UseBench(OnePort("Instrument = DravonDat\nProtectionCode = 4711")), 0);
  OpenAnalog(1);
  TransRec r = Ask(1, 0xB200, 600);
  EXPECT_EQ(r.CC, 18);
  EXPECT_EQ(Ask(1, 0xA200).BBAA, 300) << "refused write leaves the value";
  EXPECT_EQ(Ask(1, 0xB111, 3).CC, 0) << "display contrast needs no code";
  EXPECT_EQ(Ask(1, 0xB10B, 0).CC, 18) << "code 0 asks whether a code is set";
  EXPECT_EQ(Ask(1, 0xB10B, 4712).CC, 18);
  EXPECT_EQ(Ask(1, 0xB10B, 4711).CC, 0);
  EXPECT_EQ(Ask(1, 0xB200, 600).CC, 0);
  EXPECT_EQ(Ask(1, 0xA200).BBAA, 600);

  ASSERT_EQ(an->CloseCom(1), 0);
  ASSERT_EQ(an->OpenCom(1), 0);
  EXPECT_EQ(Ask(1, 0xB200, 700).CC, 18) << "the code presented is forgotten";
  EXPECT_EQ(Ask(1, 0xB2FF).CC, 18);
  EXPECT_EQ(Ask(1, 0xB308, 5000).CC, 18);
  EXPECT_EQ(Ask(1, 0xB10A, 1).CC, 18) << "a new code needs the old one";

  // Changing the code: the new one is the one that counts.
  EXPECT_EQ(Ask(1, 0xB10B, 4711).CC, 0);
  EXPECT_EQ(Ask(1, 0xB10A, 99).CC, 0);
  ASSERT_EQ(an->CloseCom(1), 0);
  ASSERT_EQ(an->OpenCom(1), 0);
  EXPECT_EQ(Ask(1, 0xB10B, 4711).CC, 18);
  EXPECT_EQ(Ask(1, 0xB10B, 99).CC, 0);
  EXPECT_EQ(Ask(1, 0xB10A, 0).CC, 0) << "code 0 removes the protection";
  ASSERT_EQ(an->CloseCom(1), 0);
  ASSERT_EQ(an->OpenCom(1), 0);
  EXPECT_EQ(Ask(1, 0xB10B, 0).CC, 0);
  EXPECT_EQ(Ask(1, 0xB200, 700).CC, 0);
}

TEST_F(AnalogBench, TenWrongCodesLockTheInstrumentForAnHour) {
  ASSERT_EQ(UseBench(OnePort("Instrument = Dravon-STV\nProtectionCode = 1000")), 0);
  OpenAnalog(1);
  for (int i = 1; i <= 10; ++i)
    EXPECT_EQ(Ask(1, 0xB10B, static_cast<std::uint16_t>(i)).CC, 18) << "wrong code " << i;
  EXPECT_EQ(Ask(1, 0xB10B, 1000).CC, 19) << "locked: even the right code";
  EXPECT_EQ(Ask(1, 0xB204, 11000).CC, 19) << "protected writes report the lock";
  Advance(3599 * 1000);
  EXPECT_EQ(Ask(1, 0xB10B, 1000).CC, 19);
  Advance(1000);
  EXPECT_EQ(Ask(1, 0xB10B, 1000).CC, 0) << "after an hour";
  EXPECT_EQ(Ask(1, 0xB204, 11000).CC, 0);
}

TEST_F(AnalogBench, CodeQueriesAndARightCodeDoNotCountTowardsTheLock) {
  ASSERT_EQ(UseBench(OnePort("Instrument = Dravon-STV\nProtectionCode = 1000")), 0);
  OpenAnalog(1);
  for (int i = 0; i < 9; ++i)
    Ask(1, 0xB10B, 1);
  for (int i = 0; i < 20; ++i)
    EXPECT_EQ(Ask(1, 0xB10B, 0).CC, 18);
  EXPECT_EQ(Ask(1, 0xB10B, 1000).CC, 0);
  for (int i = 0; i < 9; ++i)
    EXPECT_EQ(Ask(1, 0xB10B, 1).CC, 18) << "a right code starts the count again";
  EXPECT_EQ(Ask(1, 0xB10B, 1000).CC, 0);
}

// ---- Readiness, control registers ----

TEST_F(AnalogBench, NotOperationalDuringStartUp) {
  ASSERT_EQ(UseBench(OnePort("Instrument = Dravon-STVS\nStartupMs = 2000")), 0);
  ASSERT_EQ(an->OpenCom(1), 0);
  EXPECT_EQ(Ask(1, 0xA100).CC, 14);
  EXPECT_EQ(Ask(1, 0xA107).CC, 14);
  EXPECT_EQ(Ask(1, 0xB204, 10000).CC, 14);
  EXPECT_NE(Ask(1, 0xF001).BBAA, 0) << "it identifies itself already";
  float p = 0;
  EXPECT_EQ(an->GetPressInst(1, &p), 7);
  Advance(1999);
  EXPECT_EQ(Ask(1, 0xA100).CC, 14);
  Advance(1);
  EXPECT_EQ(Ask(1, 0xA100).CC, 0);
  EXPECT_EQ(Ask(1, 0xA107).CC, 0);

  // Reopening the port does not start the instrument up again; a power cycle does.
  ASSERT_EQ(an->CloseCom(1), 0);
  ASSERT_EQ(an->OpenCom(1), 0);
  EXPECT_EQ(Ask(1, 0xA100).CC, 0);
  ASSERT_EQ(bench.PowerCycle(1), 0);
  EXPECT_EQ(Ask(1, 0xA100).CC, 14);
}

TEST_F(AnalogBench, ControlRegistersComeWrongFromTheBenchFileAndCanBeRepaired) {
  ASSERT_EQ(UseBench(OnePort("Instrument = Dravon-STD\nA109 = 0x0013\nA116 = 9")), 0);
  OpenAnalog(1);
  EXPECT_EQ(Ask(1, 0xA109).BBAA, 0x0013);
  EXPECT_EQ(Ask(1, 0xA116).BBAA, 9);
  EXPECT_EQ(Ask(1, 0xB109, 0x0010).CC, 0);
  EXPECT_EQ(Ask(1, 0xB116, 4).CC, 0);
  EXPECT_EQ(Ask(1, 0xA109).BBAA, 0x0010);
  EXPECT_EQ(Ask(1, 0xA116).BBAA, 4);
}

// ---- Zero calibration ----

TEST_F(AnalogBench, ZeroCalibrationTakesOutTheSensorOffset) {
  ASSERT_EQ(UseBench(OnePort("Instrument = Dravon-STD\nPressure = 10\nSensorOffset = 2")), 0);
  OpenAnalog(1);
  float p = 0;
  ASSERT_EQ(an->GetPressInst(1, &p), 0);
  EXPECT_NEAR(p, 12.0, 1e-4);
  EXPECT_EQ(Ask(1, 0xB2FF).CC, 0);
  EXPECT_EQ(Ask(1, 0xA2FF).BBAA, 0) << "done at once";
  ASSERT_EQ(an->GetPressInst(1, &p), 0);
  EXPECT_NEAR(p, 10.0, 1e-4);
}

TEST_F(AnalogBench, ZModelsStayBusyWhileTheyTakeTheZero) {
  ASSERT_EQ(UseBench(OnePort("Instrument = Dravon-STV Z\nPressure = 10\nSensorOffset = 2\n"
                             "ZeroBusyMs = 3000")),
            0);
  OpenAnalog(1);
  EXPECT_EQ(Ask(1, 0xB2FF).CC, 0);
  EXPECT_EQ(Ask(1, 0xA2FF).BBAA, 3);
  EXPECT_EQ(Ask(1, 0xB2FF).CC, 25) << "already busy";
  float p = 0;
  EXPECT_EQ(an->GetPressInst(1, &p), 7) << "no reading while the valve is switched";
  Advance(2500);
  EXPECT_EQ(Ask(1, 0xA2FF).BBAA, 1);
  Advance(500);
  EXPECT_EQ(Ask(1, 0xA2FF).BBAA, 0);
  ASSERT_EQ(an->GetPressInst(1, &p), 0);
  EXPECT_NEAR(p, 10.0, 1e-4);
}

TEST_F(AnalogBench, ZModelsStoreTheirZeroThemselvesOtherModelsWithB10C) {
  // The program stores right after B2FF; a "Z" model is still busy then.
  const struct {
    const char* instrument;
    double afterPowerCycle;
  } cases[] = {{"Dravon-STV Z", 10.0}, {"Dravon-STV", 12.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.instrument);
    ASSERT_EQ(UseBench(OnePort(std::string("Instrument = ") + c.instrument +
                               "\nPressure = 10\nSensorOffset = 2")),
              0);
    OpenAnalog(1);
    EXPECT_EQ(Ask(1, 0xB2FF).CC, 0);
    Advance(3000);
    EXPECT_EQ(Ask(1, 0xA2FF).BBAA, 0);
    float p = 0;
    ASSERT_EQ(an->GetPressInst(1, &p), 0);
    EXPECT_NEAR(p, 10.0, 1e-4) << "zero taken";
    ASSERT_EQ(bench.PowerCycle(1), 0);
    Advance(3000);
    ASSERT_EQ(an->GetPressInst(1, &p), 0);
    EXPECT_NEAR(p, c.afterPowerCycle, 1e-4) << "without B10C";
  }

  // A store sent before the "Z" model has its zero keeps the zero too, across runs.
  const std::string z = OnePort("Instrument = Dravon-STS Z\nSerial = 77\nPressure = 10\n"
                                "SensorOffset = 2\nZeroBusyMs = 3000");
  ASSERT_EQ(UseBench(z), 0);
  OpenAnalog(1);
  Ask(1, 0xB2FF);
  Ask(1, 0xB10C);
  Advance(3000);
  ASSERT_EQ(UseBench(z), 0);
  OpenAnalog(1);
  float p = 0;
  ASSERT_EQ(an->GetPressInst(1, &p), 0);
  EXPECT_NEAR(p, 10.0, 1e-4);
}

// ---- Output and display ----

TEST_F(AnalogBench, OutputFollowsThePressureAndTheSetPoints) {
  ASSERT_EQ(UseBench(OnePort("Instrument = DravonDat\nRangeMax = 250\nPressure = 125")), 0);
  OpenAnalog(1);
  double mA = 0;
  std::int32_t mode = -1;
  ASSERT_EQ(bench.GetOutput(1, &mA, &mode), 0);
  EXPECT_EQ(mode, 0);
  EXPECT_NEAR(mA, 12.0, 1e-3) << "125 Pa of 0..250 Pa on 4..20 mA";

  TransRec r = Ask(1, 0xB308, 2500);
  EXPECT_EQ(r.CC, 0);
  ASSERT_EQ(bench.GetOutput(1, &mA, &mode), 0);
  EXPECT_EQ(mode, 2);
  EXPECT_NEAR(mA, 8.0, 1e-9);

  Ask(1, 0xB309, 0x0100); // 0..20 mA
  ASSERT_EQ(bench.GetOutput(1, &mA, &mode), 0);
  EXPECT_NEAR(mA, 5.0, 1e-9);

  r = Ask(1, 0xB308, 12000);
  EXPECT_EQ(r.CC, 1);
  EXPECT_EQ(r.BBAA, 10000);
  EXPECT_EQ(Ask(1, 0xB306).CC, 0);
  ASSERT_EQ(bench.GetOutput(1, &mA, &mode), 0);
  EXPECT_EQ(mode, 0);
  EXPECT_NEAR(mA, 10.0, 1e-3);
}

TEST_F(AnalogBench, CalibrationFindsTheOutputStageError) {
  // The receiving device sees 0.97 times the signal plus 0.4 mA; the calibration set points
  // show it uncorrected, and the offset and gain computed from them correct the test output.
  ASSERT_EQ(UseBench(OnePort("Instrument = Dravon-STD\nOutputGain = 0.97\nOutputOffset = 0.4")), 0);
  OpenAnalog(1);
  double lower = 0, upper = 0;
  std::int32_t mode = 0;
  Ask(1, 0xB304, 12000);
  Ask(1, 0xB307, 2000);
  ASSERT_EQ(bench.GetOutput(1, &lower, &mode), 0);
  EXPECT_EQ(mode, 1);
  Ask(1, 0xB307, 8000);
  ASSERT_EQ(bench.GetOutput(1, &upper, &mode), 0);
  EXPECT_NEAR(lower, 7.2 * 0.97 + 0.4, 1e-9) << "without the instrument's gain";
  const double k = (upper - lower) / (16.8 - 7.2), o = lower - 7.2 * k;
  Ask(1, 0xB304, static_cast<std::uint16_t>(std::lround(10000 / k)));
  Ask(1, 0xB305, static_cast<std::uint16_t>(std::lround(-o / k * 10000)));
  Ask(1, 0xB308, 8000);
  double test = 0;
  ASSERT_EQ(bench.GetOutput(1, &test, &mode), 0);
  EXPECT_NEAR(test, 16.8, 2e-3);
}

TEST_F(AnalogBench, RelayTypesHaveNoOutput) {
  ASSERT_EQ(UseBench(OnePort("Instrument = Dravon-STS Z")), 0);
  OpenAnalog(1);
  for (std::uint16_t c : {0xB306, 0xB307, 0xB308})
    EXPECT_EQ(Ask(1, c, 5000).CC, 25) << std::hex << c;
  EXPECT_EQ(Ask(1, 0xA303).BBAA, 0);
  double mA = 0;
  std::int32_t mode = 0;
  EXPECT_NE(bench.GetOutput(1, &mA, &mode), 0);
}

TEST_F(AnalogBench, DisplayTakesContrastAtOnceAndItsUnitAtTheRestart) {
  ASSERT_EQ(UseBench(OnePort("Instrument = Dravon-STV\nPressure = 12.5")), 0);
  OpenAnalog(1);
  char text[64] = {};
  std::int32_t contrast = -1;
  ASSERT_EQ(bench.GetDisplay(1, text, sizeof text, &contrast), 0);
  EXPECT_STREQ(text, "12.5 Pa");
  EXPECT_EQ(contrast, 7);
  Ask(1, 0xB111, 3);
  Ask(1, 0xB110, 2);
  ASSERT_EQ(bench.GetDisplay(1, text, sizeof text, &contrast), 0);
  EXPECT_EQ(contrast, 3);
  EXPECT_STREQ(text, "12.5 Pa");
  Ask(1, 0xB10D);
  ASSERT_EQ(bench.GetDisplay(1, text, sizeof text, &contrast), 0);
  EXPECT_STREQ(text, "0.125 mbar");
}

TEST_F(AnalogBench, TraceNotesContrastAndOutputWhenTheyChange) {
  ASSERT_EQ(UseBench(OnePort("Instrument = Dravon-STV\nOutput = voltage\nRangeMax = 100\n"
                             "Pressure = 50")),
            0);
  const std::string trace = (folder.Path() / "notes.txt").string();
  ASSERT_EQ(bench.SetTrace(trace.c_str()), 0);
  OpenAnalog(1); // noted at the opening, before the first record: the live zero
  Ask(1, 0xA100);
  Ask(1, 0xB111, 3);
  Ask(1, 0xB111, 3); // no change, no note
  Ask(1, 0xB110, 2); // the unit shows after the restart
  Ask(1, 0xB10D);
  Ask(1, 0xB308, 2500);
  Ask(1, 0xB304, 11000);
  Ask(1, 0xB307, 2000);
  Ask(1, 0xB306);
  ASSERT_EQ(bench.PowerCycle(1), 0); // back to what was stored, no record yet
  ASSERT_EQ(bench.SetTrace(nullptr), 0);

  std::vector<std::string> display, output;
  for (const TBenchNote& n : ReadBenchNotes(trace)) {
    EXPECT_EQ(n.Port, "COM1");
    if (n.Text.rfind("display: ", 0) == 0)
      display.push_back(n.Text.substr(9));
    else if (n.Text.rfind("output: ", 0) == 0)
      output.push_back(n.Text.substr(8));
  }
  EXPECT_EQ(display, (std::vector<std::string>{"contrast 7, unit Pa", "contrast 3, unit Pa",
                                               "contrast 3, unit mbar", "contrast 7, unit Pa"}));
  const std::string range = ", 0..100 Pa on 2..10 V, ";
  EXPECT_EQ(output, (std::vector<std::string>{
                        "measuring" + range + "gain 1.0000, offset 0.0000 V; signal 2.000 V",
                        "test 25.00 %" + range + "gain 1.0000, offset 0.0000 V; signal 4.000 V",
                        "test 25.00 %" + range + "gain 1.1000, offset 0.0000 V; signal 4.400 V",
                        "calibration 20.00 % without gain and offset" + range +
                            "gain 1.1000, offset 0.0000 V; signal 3.600 V",
                        "measuring" + range + "gain 1.1000, offset 0.0000 V; signal 6.600 V",
                        "measuring" + range + "gain 1.0000, offset 0.0000 V; signal 2.000 V"}));
  // The exchanges keep their lines.
  std::size_t commands = 0;
  for (const TBenchCall& c : ReadBenchTrace(trace))
    commands += c.Function == "TransCmd" ? 1 : 0;
  EXPECT_EQ(commands, 9u);
}

// ---- Live readings ----

TEST_F(AnalogBench, ReadingCodes) {
  ASSERT_EQ(UseBench(OnePort("Instrument = DravonDat\nRangeMax = 250\nPressure = 100")), 0);
  float p = 0;
  EXPECT_EQ(an->GetPressInst(1, &p), 1) << "port not open";
  ASSERT_EQ(an->OpenCom(1), 0);
  EXPECT_EQ(an->GetPressInst(1, &p), 7) << "no record yet";
  EXPECT_EQ(an->GetRecEventKind(1), 0);
  Advance(750);
  EXPECT_EQ(an->GetRecEventKind(1), 1);
  EXPECT_EQ(an->GetRecEventKind(1), 0) << "none since the last call";
  ASSERT_EQ(an->GetPressInst(1, &p), 0);
  EXPECT_NEAR(p, 100.0, 1e-3);
  ASSERT_EQ(bench.SetPressure(1, 400), 0);
  EXPECT_EQ(an->GetPressInst(1, &p), 9);
  ASSERT_EQ(bench.SetPressure(1, -400), 0);
  EXPECT_EQ(an->GetPressInst(1, &p), 12);
  EXPECT_EQ(an->GetVelocityInst(1, &p), 12);
}

TEST_F(AnalogBench, TransmitterCompensatesHoseAirAndGain) {
  // The instrument really measures through 2 m of hose at 900 hPa.
  ASSERT_EQ(UseBench(OnePort("Instrument = DravonDat\nPressure = 100\nHoseLength = 2\n"
                             "AtmPressure = 900")),
            0);
  OpenAnalog(1);
  float p = 0;
  ASSERT_EQ(an->GetPressInst(1, &p), 0);
  EXPECT_LT(p, 95.0) << "configured for 0.3 m and 966 hPa it reads low";
  Ask(1, 0xB200, 2000);
  Ask(1, 0xB201, 900);
  ASSERT_EQ(an->GetPressInst(1, &p), 0);
  EXPECT_NEAR(p, 100.0, 1e-3);
  Ask(1, 0xB203, 11000);
  ASSERT_EQ(an->GetPressInst(1, &p), 0);
  EXPECT_NEAR(p, 110.0, 1e-3);
}

TEST_F(AnalogBench, VelocityFromTheConstantsAndVelocityRecords) {
  ASSERT_EQ(UseBench(OnePort("Instrument = DravonVision\nPressure = 100")), 0);
  OpenAnalog(1);
  Ask(1, 0xB112, 0x0201);
  Advance(750);
  EXPECT_EQ(an->GetRecEventKind(1), 2);
  float v = 0;
  ASSERT_EQ(an->GetVelocityInst(1, &v), 0);
  EXPECT_NEAR(v, std::sqrt(100 / 0.6125), 1e-3);
  Ask(1, 0xB207, 10000); // n = 1
  ASSERT_EQ(an->GetVelocityInst(1, &v), 0);
  EXPECT_NEAR(v, 100 / 0.6125, 1e-2);
  Ask(1, 0xB206, 0); // C = 0: no velocity
  Ask(1, 0xB205, 0);
  EXPECT_EQ(an->GetVelocityInst(1, &v), 9);
}

TEST_F(AnalogBench, TheRightSensorGainCancelsTheGainError) {
  // The sensor reads 25 % high; the gain register holds 1/10000.
  const struct {
    const char* instrument;
    std::uint16_t gainWrite;
  } cases[] = {{"DravonDat", 0xB203}, {"Dravon-STD", 0xB204}, {"Dravon-STVS Z", 0xB204}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.instrument);
    ASSERT_EQ(UseBench(OnePort(std::string("Instrument = ") + c.instrument +
                               "\nPressure = 40\nSensorOffset = 1.5\nGainError = 1.25")),
              0)
        << Messages();
    OpenAnalog(1);
    Ask(1, 0xB2FF); // the zero takes out the offset, not the gain error
    Advance(3000);
    float p = 0;
    ASSERT_EQ(an->GetPressInst(1, &p), 0);
    EXPECT_NEAR(p, 50.0, 1e-3);
    Ask(1, c.gainWrite, 8000);
    ASSERT_EQ(an->GetPressInst(1, &p), 0);
    EXPECT_NEAR(p, 40.0, 1e-3);
  }
}

TEST_F(AnalogBench, ReferenceVelocityReadsRightOnlyWithTheNozzlesConstants) {
  const struct {
    const char* instrument;
    double v, c, n;
  } cases[] = {{"DravonVision", 12.5, 0.65, 2.0},
               {"DravonDat", -8.0, 0.7, 1.8},
               {"Dravon-STV", 4.0, 0.5, 2.0}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.instrument);
    ASSERT_EQ(UseBench(OnePort(std::string("Instrument = ") + k.instrument +
                               "\nRangeMax = 250\nReferenceVelocity = " + std::to_string(k.v) +
                               "\nNozzleC = " + std::to_string(k.c) +
                               "\nNozzleN = " + std::to_string(k.n))),
              0)
        << Messages();
    OpenAnalog(1);
    float p = 0, v = 0;
    ASSERT_EQ(an->GetPressInst(1, &p), 0);
    EXPECT_NEAR(p, std::copysign(k.c * std::pow(std::fabs(k.v), k.n), k.v), 1e-3);
    ASSERT_EQ(an->GetVelocityInst(1, &v), 0);
    EXPECT_GT(std::fabs(v - k.v), 0.05) << "the factory's C = 0.6125 and n = 2 read wrong";
    Ask(1, 0xB207, static_cast<std::uint16_t>(std::lround(k.n * 10000)));
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(static_cast<float>(k.c));
    Ask(1, 0xB205, static_cast<std::uint16_t>(bits & 0xFFFF));
    ASSERT_EQ(an->GetVelocityInst(1, &v), 0);
    EXPECT_GT(std::fabs(v - k.v), 0.05) << "half of C written";
    Ask(1, 0xB206, static_cast<std::uint16_t>(bits >> 16));
    ASSERT_EQ(an->GetVelocityInst(1, &v), 0);
    EXPECT_NEAR(v, k.v, 1e-4);
  }
}

TEST_F(AnalogBench, MovingAverageSmoothsTheNoise) {
  ASSERT_EQ(UseBench(OnePort("Instrument = DravonDat\nPressure = 50\nPressureNoise = 5")), 0);
  OpenAnalog(1);
  auto spread = [this] {
    double lo = 1e9, hi = -1e9;
    for (int i = 0; i < 40; ++i) {
      Advance(750);
      float p = 0;
      EXPECT_EQ(an->GetPressInst(1, &p), 0);
      lo = std::min(lo, double(p));
      hi = std::max(hi, double(p));
    }
    return hi - lo;
  };
  const double raw = spread();
  Ask(1, 0xB10F, 20);
  const double filtered = spread();
  EXPECT_GT(raw, 4.0);
  EXPECT_LT(filtered, raw / 2);
}

} // namespace
} // namespace dtool::test
