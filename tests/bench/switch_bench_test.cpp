// The emulated switch, through DSwitch as the program loads it.
#include "benchharness.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace dtool::test {
namespace {

class SwitchBench : public BenchTest {};

TSwitchParams SampleParams() {
  TSwitchParams p{};
  p.Hose_length = 1.25;
  p.Atm_Press = 940;
  p.Humidity = 30;
  p.Gain_Sens = 1.0125;
  p.AlInt = 3;
  p.Al1Dly = 4;
  p.Al2Dly = 7;
  p.Al1Hys = 2.5;
  p.Al2Hys = 0.75;
  p.Al1Thre = 120.5;
  p.Al2Thre = -20.25;
  return p;
}

TEST_F(SwitchBench, DetectionAndInfos) {
  ASSERT_EQ(UseBench("[COM1]\nInstrument = DravonSwitch\nSerial = 4004009\nRangeMax = 500\n"
                     "Firmware = 2.1\nSecondFirmware = 1.0\nComponentVersion = 3\n"
                     "[COM2]\nInstrument = DravonDat\n"),
            0)
      << Messages();
  OpenSwitch(1);
  std::int32_t connected = 0;
  EXPECT_EQ(sw->IsDSwitchConn(1, &connected), 0);
  EXPECT_NE(connected, 0);
  TSwitchInfos infos{};
  ASSERT_EQ(sw->GetInfos(1, &infos), 0);
  EXPECT_EQ(infos.Range, 500);
  EXPECT_EQ(infos.SerialNr, 4004009);
  EXPECT_EQ(infos.MainVersion, 21);
  EXPECT_EQ(infos.SecondVersion, 10);
  EXPECT_EQ(infos.CompVersion, 3);

  OpenSwitch(2);
  EXPECT_EQ(sw->IsDSwitchConn(2, &connected), 0);
  EXPECT_EQ(connected, 0) << "an analog instrument is no switch";
  EXPECT_EQ(sw->GetInfos(2, &infos), 2);
}

TEST_F(SwitchBench, RecordRoundTripWithProtection) {
  ASSERT_EQ(UseBench("[COM1]\nInstrument = DravonSwitch\nProtectionCode = 321\n"), 0);
  OpenSwitch(1);
  std::int32_t isProtected = 0;
  ASSERT_EQ(sw->IsProtected(1, &isProtected), 0);
  EXPECT_NE(isProtected, 0);

  const TSwitchParams written = SampleParams();
  EXPECT_EQ(sw->SetConf(1, written, 0), 13);
  EXPECT_EQ(sw->SetConf(1, written, 320), 13);
  TSwitchParams read{};
  ASSERT_EQ(sw->GetConf(1, &read), 0);
  EXPECT_EQ(read.Hose_length, 0.3) << "a refused record changes nothing";

  EXPECT_EQ(sw->SetConf(1, written, 321), 0);
  ASSERT_EQ(sw->ReReadConfig(1), 0);
  ASSERT_EQ(sw->GetConf(1, &read), 0);
  EXPECT_EQ(std::memcmp(&read, &written, sizeof read), 0) << "all 72 bytes come back";

  EXPECT_EQ(sw->SetProtectCode(1, 1, 5), 13);
  EXPECT_EQ(sw->ZeroAdj(1, 5), 13);
  EXPECT_EQ(sw->SetProtectCode(1, 321, 0), 0);
  ASSERT_EQ(sw->IsProtected(1, &isProtected), 0);
  EXPECT_EQ(isProtected, 0);
  EXPECT_EQ(sw->SetConf(1, written, 0), 0) << "no code, no check";
  EXPECT_EQ(sw->ZeroAdj(1, 12345), 0);
  EXPECT_EQ(sw->SetProtectCode(1, 0, 70000), 4) << "codes end at 65535";
}

TEST_F(SwitchBench, SwitchCorrectsWhatItCannotHold) {
  ASSERT_EQ(UseBench("[COM1]\nInstrument = DravonSwitch\n"), 0);
  OpenSwitch(1);
  TSwitchParams p = SampleParams();
  p.Hose_length = 45;
  p.Gain_Sens = 0.1;
  p.AlInt = 0;
  p.Al1Dly = 250;
  p.Al2Dly = 240;
  p.Al1Thre = -900;
  p.Al2Thre = 0.1;
  p.Reserved35[2] = 0x55;
  ASSERT_EQ(sw->SetConf(1, p, 0), 0);
  TSwitchParams read{};
  ASSERT_EQ(sw->GetConf(1, &read), 0);
  float hoseMax = 0, gainMin = 0, threMin = 0, threMax = 0;
  std::int32_t maxDly = 0;
  ASSERT_EQ(sw->GetFConst(&hoseMax, 1002), 0);
  ASSERT_EQ(sw->GetFConst(&gainMin, 1007), 0);
  ASSERT_EQ(sw->GetFConst(&threMin, 1011), 0);
  ASSERT_EQ(sw->GetFConst(&threMax, 1012), 0);
  ASSERT_EQ(sw->GetIConst(&maxDly, 6), 0);
  EXPECT_EQ(read.Hose_length, hoseMax);
  EXPECT_EQ(read.Gain_Sens, gainMin);
  EXPECT_EQ(read.AlInt, 1);
  EXPECT_EQ(read.Al1Dly, maxDly);
  EXPECT_EQ(read.Al2Dly, 240) << "the longest delay the tool offers";
  EXPECT_EQ(read.Al1Thre, -threMax) << "the sign is the direction";
  EXPECT_EQ(read.Al2Thre, threMin);
  EXPECT_EQ(read.Reserved35[2], 0);
}

TEST_F(SwitchBench, ConstantsByIdAndUnknownIds) {
  const struct {
    std::int32_t id;
    std::int32_t value;
  } iconsts[] = {{6, 240}, {9, 1}, {10, 20}};
  for (const auto& c : iconsts) {
    std::int32_t v = -1;
    EXPECT_EQ(sw->GetIConst(&v, c.id), 0);
    EXPECT_EQ(v, c.value) << "id " << c.id;
  }
  for (std::int32_t id = 1001; id <= 1011; id += 2) {
    if (id == 1005)
      continue; // humidity has no limits from the library
    float min = 0, max = 0;
    ASSERT_EQ(sw->GetFConst(&min, id), 0) << id;
    ASSERT_EQ(sw->GetFConst(&max, id + 1), 0) << id + 1;
    EXPECT_LT(min, max) << "pair " << id;
  }
  std::int32_t i = 0;
  float f = 0;
  EXPECT_NE(sw->GetIConst(&i, 7), 0);
  EXPECT_NE(sw->GetFConst(&f, 1005), 0);
  EXPECT_NE(sw->GetIConst(nullptr, 6), 0);
  EXPECT_NE(sw->GetFConst(nullptr, 1001), 0);
}

TEST_F(SwitchBench, ReadingCodesAndTheQuietTimeAfterARead) {
  ASSERT_EQ(UseBench("[COM1]\nInstrument = DravonSwitch\nRangeMax = 500\nPressure = 80\n"), 0);
  float p = 0;
  EXPECT_EQ(sw->GetPressInst(1, &p), 1) << "port not open";
  ASSERT_EQ(sw->OpenComOnly(1), 0);
  EXPECT_EQ(sw->GetPressInst(1, &p), 7) << "no data yet";
  Advance(750);
  ASSERT_EQ(sw->GetPressInst(1, &p), 0);
  EXPECT_NEAR(p, 80.0, 1e-3);
  ASSERT_EQ(sw->ReReadConfig(1), 0);
  EXPECT_EQ(sw->GetPressInst(1, &p), 7);
  Advance(2999);
  EXPECT_EQ(sw->GetPressInst(1, &p), 7);
  Advance(1);
  EXPECT_EQ(sw->GetPressInst(1, &p), 0);
  ASSERT_EQ(bench.SetPressure(1, 600), 0);
  EXPECT_EQ(sw->GetPressInst(1, &p), 9);
}

TEST_F(SwitchBench, PressureWithTrialValues) {
  // The switch really measures through 2 m of hose.
  ASSERT_EQ(UseBench("[COM1]\nInstrument = DravonSwitch\nPressure = 100\nHoseLength = 2\n"), 0);
  OpenSwitch(1);
  float inst = 0, trial = 0;
  ASSERT_EQ(sw->GetPressInst(1, &inst), 0);
  EXPECT_LT(inst, 95.0f);
  ASSERT_EQ(sw->GetPressPar(1, &trial, 2.0f, 966.0f, 50.0f, 1.0f), 0);
  EXPECT_NEAR(trial, 100.0, 1e-3);
  ASSERT_EQ(sw->GetPressPar(1, &trial, 2.0f, 966.0f, 50.0f, 1.1f), 0);
  EXPECT_NEAR(trial, 110.0, 1e-3);
  ASSERT_EQ(sw->GetPressPar(1, &trial, 0.3f, 966.0f, 50.0f, 1.0f), 0);
  EXPECT_NEAR(trial, inst, 1e-3) << "the configured values give the instrument's reading";
  ASSERT_EQ(sw->GetPressInst(1, &inst), 0);
  EXPECT_LT(inst, 95.0f) << "trial values change nothing";
  EXPECT_NE(sw->GetPressPar(1, &trial, -1.0f, 966.0f, 50.0f, 1.0f), 0);
}

TEST_F(SwitchBench, ZeroAdjustmentAndMovingAverage) {
  ASSERT_EQ(UseBench("[COM1]\nInstrument = DravonSwitch\nPressure = 40\nSensorOffset = 1.5\n"), 0);
  OpenSwitch(1);
  float p = 0;
  ASSERT_EQ(sw->GetPressInst(1, &p), 0);
  EXPECT_GT(p, 41.0) << "the sensor's offset shows";
  ASSERT_EQ(sw->ZeroAdj(1, 0), 0);
  ASSERT_EQ(sw->GetPressInst(1, &p), 0);
  EXPECT_NEAR(p, 40.0, 1e-3);

  EXPECT_EQ(sw->SetMovAverFilt(1, 0), 4);
  EXPECT_EQ(sw->SetMovAverFilt(1, 21), 4);
  EXPECT_EQ(sw->SetMovAverFilt(1, 4), 0);
  ASSERT_EQ(bench.SetPressure(1, 60), 0);
  ASSERT_EQ(sw->GetPressInst(1, &p), 0);
  EXPECT_NEAR(p, 60.0, 1e-3) << "a constant stays constant through the filter";
}

TEST_F(SwitchBench, TheRightTrialGainCancelsTheSensorsGainError) {
  // The sensor reads 25 % high: a gain of 0.8 gives the pressure at the ports.
  ASSERT_EQ(UseBench("[COM1]\nInstrument = DravonSwitch\nPressure = 80\nGainError = 1.25\n"), 0)
      << Messages();
  OpenSwitch(1);
  float p = 0;
  ASSERT_EQ(sw->GetPressInst(1, &p), 0);
  EXPECT_NEAR(p, 100.0, 1e-3);
  ASSERT_EQ(sw->GetPressPar(1, &p, 0.3f, 966.0f, 50.0f, 0.8f), 0);
  EXPECT_NEAR(p, 80.0, 1e-3);
  TSwitchParams c{};
  ASSERT_EQ(sw->GetConf(1, &c), 0);
  c.Gain_Sens = 0.8;
  ASSERT_EQ(sw->SetConf(1, c, 0), 0);
  ASSERT_EQ(sw->GetPressInst(1, &p), 0);
  EXPECT_NEAR(p, 80.0, 1e-3);
}

TEST_F(SwitchBench, FilterIsTakenWhicheverLibraryHoldsThePortAndKeptOverReopening) {
  ASSERT_EQ(UseBench("[COM1]\nInstrument = DravonSwitch\nPressure = 50\nPressureNoise = 5\n"), 0);
  auto spread = [this] {
    double lo = 1e9, hi = -1e9;
    for (int i = 0; i < 40; ++i) {
      Advance(750);
      float p = 0;
      EXPECT_EQ(sw->GetPressInst(1, &p), 0);
      lo = std::min(lo, double(p));
      hi = std::max(hi, double(p));
    }
    return hi - lo;
  };
  EXPECT_EQ(sw->SetMovAverFilt(1, 20), 0) << "port closed";
  ASSERT_EQ(an->OpenCom(1), 0);
  EXPECT_EQ(sw->SetMovAverFilt(1, 20), 0) << "port held by DDatDll";
  EXPECT_EQ(sw->SetMovAverFilt(1, 21), 4) << "the bounds hold all the same";
  ASSERT_EQ(an->CloseCom(1), 0);
  OpenSwitch(1);
  const double filtered = spread();
  ASSERT_EQ(sw->SetMovAverFilt(1, 1), 0);
  const double raw = spread();
  EXPECT_GT(raw, 4.0);
  EXPECT_LT(filtered, raw / 2);
}

} // namespace
} // namespace dtool::test
