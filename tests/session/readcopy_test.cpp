// Compare with instrument on the session: the instrument's configuration read into a copy,
// with the working records, the identity and the transfer state left as they were and nothing
// written to the instrument.
#include <cstring>

#include "sessionfixture.h"

namespace dtool::test {
namespace {

// The whole state a copy must leave alone.
struct TState {
  TClass1Params class1;
  TClass23Params class23;
  TSwitchParams sw;
  TInstInfo info;
  bool configRead;
  bool lastTransfer;
};

TState StateOf(TSession& s) {
  const TSettings& t = s.Settings();
  return {t.Class1, t.Class23, t.Switch, t.InstInfo, t.ConfigRead(), s.LastTransferSucceeded()};
}

template <typename T> bool SameBytes(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof(T)) == 0;
}

void ExpectUnchanged(const TState& before, TSession& s) {
  const TState after = StateOf(s);
  EXPECT_TRUE(SameBytes(before.class1, after.class1));
  EXPECT_TRUE(SameBytes(before.class23, after.class23));
  EXPECT_TRUE(SameBytes(before.sw, after.sw));
  EXPECT_TRUE(SameBytes(before.info, after.info));
  EXPECT_EQ(before.configRead, after.configRead);
  EXPECT_EQ(before.lastTransfer, after.lastTransfer);
}

std::vector<std::string> Names(const std::vector<TParamDiff>& diffs) {
  std::vector<std::string> names;
  for (const TParamDiff& d : diffs)
    names.emplace_back(d.Field->Name);
  return names;
}

class SessionReadCopyTest : public SessionTest {};

struct TCopyCase {
  int type;
  std::uint16_t instrumentWrite, counts; // a register changed past the session; 0: none
  std::function<void(TSettings&)> edit;  // the working record changed as an edit does
  std::vector<std::string> differing;
};

TEST_F(SessionReadCopyTest, CopyHoldsTheInstrumentsValuesAndLeavesTheSessionAsItWas) {
  const TCopyCase cases[] = {
      // The instrument's hose length becomes 2.5 m.
      {10, 0xB200, 2500, [](TSettings& s) { s.Class1.Speed = 2; }, {"Hose_length", "Speed"}},
      {6,
       0xB10F,
       4,
       [](TSettings& s) { s.Class23.AL1.ThresPress = -50; },
       {"Filter_level", "AL1_ThresPress"}},
      {9, 0, 0, [](TSettings& s) { s.Switch.AlInt = 3; }, {"AlInt"}},
  };
  for (const TCopyCase& c : cases) {
    SCOPED_TRACE(c.type);
    ReadOn(c.type);
    if (c.instrumentWrite != 0)
      Ask(c.instrumentWrite, c.counts);
    c.edit(Sett());
    ClearTrace();
    const TState before = StateOf(S());
    TInstrumentCopy copy;
    EXPECT_EQ(S().ReadCopy(copy), TOutcome::Done);
    EXPECT_EQ(port.messages, Msgs{});
    EXPECT_EQ(copy.InstType, c.type);
    EXPECT_EQ(Writes(), std::vector<std::string>{}) << "nothing is written";
    EXPECT_TRUE(CallsOf("SetConf").empty());
    ExpectUnchanged(before, S());
    const TParamRecords working{Sett().Class1, Sett().Class23, Sett().Switch};
    EXPECT_EQ(Names(DiffConfig(ClassOfType(c.type), copy.Params, working)), c.differing);
  }
}

TEST_F(SessionReadCopyTest, AnInstrumentWithoutVelocityKeepsTheWorkingVelocityValues) {
  ReadOn(10, "CapLevel = 0");
  Sett().Class1.Velocity_n = 1.5; // a value the instrument has no register for
  TInstrumentCopy copy;
  EXPECT_EQ(S().ReadCopy(copy), TOutcome::Done);
  EXPECT_EQ(copy.CapLevel, 0);
  const TParamRecords working{Sett().Class1, Sett().Class23, Sett().Switch};
  EXPECT_TRUE(DiffConfig(ClassTransmitter, copy.Params, working).empty());
}

TEST_F(SessionReadCopyTest, ARefusedOrFailedCopyLeavesTheSessionAsItWas) {
  // An instrument of another class than the current type.
  Start(Instrument(6), 10);
  TState before = StateOf(S());
  TInstrumentCopy copy;
  EXPECT_EQ(S().ReadCopy(copy), TOutcome::NoInstrument);
  EXPECT_EQ(port.messages, (Msgs{{"Warning", "The DravonTool has been set to " + InstTypeName(10) +
                                                 ". You cannot perform this operation to " +
                                                 InstTypeName(6) + "."}}));
  ExpectUnchanged(before, S());

  // A read that fails part-way.
  Start(Instrument(10, "FaultAnswer = A204:5"), 10);
  Sett().Class1.Speed = 2;
  before = StateOf(S());
  EXPECT_EQ(S().ReadCopy(copy), TOutcome::Failed);
  EXPECT_EQ(port.messages.size(), 1u);
  EXPECT_EQ(Writes(), std::vector<std::string>{});
  ExpectUnchanged(before, S());
}

} // namespace
} // namespace dtool::test
