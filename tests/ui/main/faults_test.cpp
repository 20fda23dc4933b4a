// Answers the window cannot use and instruments that fail in the middle of a transfer: the
// window's link goes through the bench's libraries with a filter that spoils chosen answers or
// raises an instrument error at a chosen command.
#include <QLineEdit>
#include <QPushButton>

#include <cmath>
#include <filesystem>
#include <limits>

#include "benchform.h"
#include "link/instlink.h"
#include "link/linkloader.h"
#include "tools/progtools.h"
#include "ui/controls/editreal.h"

namespace dtool::test {
namespace {

using Msg = ScriptedPort::Message;
using Msgs = std::vector<Msg>;

const std::string Unusable =
    "Communication with instrument not possible!\r\rDDatDLL Error Nr. 1000";
const std::string SwitchUnusable =
    "Communication with instrument not possible!\r\rDSwitchDLL Error Nr. 1000";

// The bench's libraries, loaded once, and what the filter does to their answers.
struct TFilter {
  TAnalogLink Analog;
  TSwitchLink Switch;
  // Called with the request before it goes out, and with the request and the answer after.
  std::function<void(const TransRec& request)> Before;
  std::function<void(const TransRec& request, TransRec& answer)> After;
  std::function<void(TSwitchParams& answer)> AfterGetConf;
  // The status the switch library answers for a bound (GetFConst) instead of the bound; 0
  // leaves the bound to the library.
  std::function<std::int32_t(std::int32_t id)> RefuseFConst;

  static TFilter& Get() {
    static TFilter filter;
    return filter;
  }
  static std::int32_t DTOOL_LINKCALL TransCmd(std::int32_t port, TransRec* rec) {
    TFilter& f = Get();
    const TransRec request = *rec;
    if (f.Before)
      f.Before(request);
    const std::int32_t status = f.Analog->TransCmd(port, rec);
    if (status == 0 && f.After)
      f.After(request, *rec);
    return status;
  }
  static std::int32_t DTOOL_LINKCALL GetConf(std::int32_t port, TSwitchParams* params) {
    TFilter& f = Get();
    const std::int32_t status = f.Switch->GetConf(port, params);
    if (status == 0 && f.AfterGetConf)
      f.AfterGetConf(*params);
    return status;
  }

  static std::int32_t DTOOL_LINKCALL GetFConst(float* value, std::int32_t id) {
    TFilter& f = Get();
    if (const std::int32_t refused = f.RefuseFConst ? f.RefuseFConst(id) : 0)
      return refused;
    return f.Switch->GetFConst(value, id);
  }

private:
  TFilter() {
    TLinkLoadError err;
    if (!Analog.Load(GetProgPfad(), err) || !Switch.Load(GetProgPfad(), err))
      throw std::runtime_error(err.Text());
  }
};

std::uint16_t Oocc(const TransRec& rec) {
  return static_cast<std::uint16_t>(rec.OO << 8 | rec.CC);
}

class FaultsTest : public BenchFormTest {
protected:
  void SetUp() override {
    BenchFormTest::SetUp();
    sessionSetup.LoadLink = [](TSettings& sett, ILinkOwner& owner, TLinkLoadError&) {
      TFilter& f = TFilter::Get();
      TAnalogLinkApi an = f.Analog.Functions();
      an.TransCmd = &TFilter::TransCmd;
      TSwitchLinkApi sw = f.Switch.Functions();
      sw.GetConf = &TFilter::GetConf;
      sw.GetFConst = &TFilter::GetFConst;
      return std::make_unique<TInstLink>(sett, owner, an, sw);
    };
  }
  void TearDown() override {
    BenchFormTest::TearDown();
    TFilter& f = TFilter::Get();
    f.Before = nullptr;
    f.After = nullptr;
    f.AfterGetConf = nullptr;
    f.RefuseFConst = nullptr;
  }
  // Spoils the answer's data word of one command.
  static void SpoilAnswer(std::uint16_t oocc, std::uint16_t bbaa, std::uint8_t cc = 0) {
    TFilter::Get().After = [=](const TransRec& request, TransRec& answer) {
      if (Oocc(request) == oocc) {
        answer.BBAA = bbaa;
        answer.CC = cc;
      }
    };
  }
  TMainForm& OpenOn(int type, const std::string& extra = "") {
    StartBench(Com(1, "Instrument = " + std::to_string(type) + "\nSerial = 1234567\n" + extra));
    TSetFileRecords r = RecordsFor(type);
    r.Class1.Speed = 2;
    r.Class23.Filter_level = 9;
    r.Switch.AlInt = 3;
    return Open(r);
  }
};

TEST_F(FaultsTest, AnAnalogReadOfValuesTheWindowCannotKeepFails) {
  struct TCase {
    const char* name;
    int type;
    std::uint16_t oocc;
    std::uint16_t bbaa;
  };
  const TCase cases[] = {
      {"display unit code outside the table", 10, 0xA110, 99},
      {"interval 0", 10, 0xA204, 0},
      {"moving average 500", 11, 0xA10F, 500},
      {"low-pass level 40", 2, 0xA10F, 40},
      {"velocity constant not a number", 10, 0xA206, 0x7FC0},
      {"velocity constant infinite", 6, 0xA206, 0x7F80},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TMainForm& f = OpenOn(c.type);
    SpoilAnswer(c.oocc, c.bbaa);
    f.ReadBtn->click();
    EXPECT_EQ(port.messages, (Msgs{{"Error", Unusable}}));
    EXPECT_FALSE(f.sett->ConfigRead());
    EXPECT_EQ(f.sett->InstType(), 0);
    EXPECT_EQ(f.sett->Class1.Speed, c.type >= 10 ? 5 : 2) << "the read class has its defaults";
    EXPECT_EQ(f.sett->Class23.Filter_level, c.type >= 10 ? 9 : 0);
    EXPECT_TRUE(std::isfinite(f.sett->Class1.Velocity_C));
    EXPECT_FALSE(std::filesystem::exists(LogFile()));
    // The settings file written at the end is taken by the next start.
    form.reset();
    port.Clear();
    TMainForm& again = *(form = std::make_unique<TMainForm>(SetFile(), sessionSetup));
    EXPECT_EQ(port.messages, Msgs{}) << "the settings file was kept";
    EXPECT_EQ(again.sett->Switch.AlInt, 3);
    port.Clear();
    TFilter::Get().After = nullptr;
  }
}

// A corrected value read back as something the window cannot keep fails the write, also when
// a later parameter fails as well: the record goes back to its defaults and counts as not
// read, so the next Write data asks before it sends them, and the next start takes the
// settings file.
TEST_F(FaultsTest, AValueReadBackAfterAWriteThatTheWindowCannotKeepFailsTheWrite) {
  const Msg corrected{"Warning", "Parameter \"Measurement Interval\" was out of permissible "
                                 "range and therefore it has been corrected! "};
  const Msg linkError{"Error",
                      "Communication with instrument not possible!\r\rDDatDLL Error Nr. 3"};
  // Every position before the velocity output range reached the instrument, unstored.
  const Msg partlyWritten{
      "Warning",
      "The instrument now holds a partly written configuration that has not been stored!\r"
      "Written before the error: \"Controlflag AnOut velocity\", \"Std. Hose length\", \"Atm. "
      "pressure\", \"Humidity\", \"Gain Sensor\", \"Display Contrast\", \"Analog Output "
      "From\", \"Analog Output To\", \"Analog Output Signal\", \"Analog Signal Offset\", "
      "\"Analog Signal Gain\", \"Display Unit\", \"Measurement Interval\", \"Filter (moving "
      "average) Readings\", \"Controlflag RS-232 velocity\", \"Constant C for velocity "
      "calculation\", \"Constant n for velocity calculation\"\rWrite data again, or read data "
      "to see what the instrument holds."};
  struct TCase {
    const char* name;
    const char* bench;
    Msgs messages;
  };
  const TCase cases[] = {
      {"the walk goes to its end", "", {corrected, {"Error", Unusable}}},
      {"a later parameter fails",
       "FaultLinkError = B30B",
       {corrected, linkError, {"Error", Unusable}, partlyWritten}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TMainForm& f = OpenOn(10, c.bench);
    f.ReadBtn->click();
    ASSERT_TRUE(f.sett->ConfigRead());
    port.Clear();
    // The instrument "corrects" the interval to 0.
    TFilter::Get().After = [](const TransRec& request, TransRec& answer) {
      if (Oocc(request) == 0xB204)
        answer.CC = 1;
      if (Oocc(request) == 0xA204)
        answer.BBAA = 0;
    };
    f.WriteBtn->click();
    EXPECT_EQ(port.messages, c.messages);
    EXPECT_EQ(f.sett->Class1.Speed, 5) << "defaults, not the unusable value";
    EXPECT_FALSE(f.sett->ConfigRead());
    EXPECT_FALSE(std::filesystem::exists(LogFile()));
    // The defaults are not sent without the question.
    TFilter::Get().After = nullptr;
    port.Clear();
    ClearTrace();
    port.Answer({false});
    f.WriteBtn->click();
    EXPECT_EQ(port.messages,
              (Msgs{{"ErrorYesNo", "You have not read the actual configuration data from the "
                                   "instrument! \rOverwrite?"}}));
    EXPECT_EQ(AnalogCommands(), std::vector<std::string>{});
    // The settings file written at the end is taken by the next start.
    form.reset();
    port.Clear();
    TMainForm& again = *(form = std::make_unique<TMainForm>(SetFile(), sessionSetup));
    EXPECT_EQ(port.messages, Msgs{}) << "the settings file was kept";
    EXPECT_EQ(again.sett->Switch.AlInt, 3);
    port.Clear();
  }
}

TEST_F(FaultsTest, ASwitchRecordTheWindowCannotKeepFailsTheRead) {
  struct TCase {
    const char* name;
    std::function<void(TSwitchParams&)> spoil;
  };
  const TCase cases[] = {
      {"interval 0", [](TSwitchParams& p) { p.AlInt = 0; }},
      {"interval 10", [](TSwitchParams& p) { p.AlInt = 10; }},
      {"threshold not a number",
       [](TSwitchParams& p) { p.Al2Thre = std::numeric_limits<double>::quiet_NaN(); }},
      {"hose length infinite",
       [](TSwitchParams& p) { p.Hose_length = std::numeric_limits<double>::infinity(); }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TMainForm& f = OpenOn(9);
    TFilter::Get().AfterGetConf = c.spoil;
    f.ReadBtn->click();
    EXPECT_EQ(port.messages, (Msgs{{"Error", SwitchUnusable}}));
    EXPECT_FALSE(f.sett->ConfigRead());
    EXPECT_EQ(f.sett->Switch.AlInt, 5) << "defaults";
    EXPECT_TRUE(std::isfinite(f.sett->Switch.Al2Thre));
    EXPECT_TRUE(std::isfinite(f.sett->Switch.Hose_length));
    EXPECT_EQ(f.InstTypeEd->text(), QString());
    port.Clear();
  }
}

// The switch's write checks its record against the library's bounds first. Corrections are
// warned and the write goes on; a bound the library refuses stops the write before anything
// is sent.
TEST_F(FaultsTest, ASwitchWriteGoesOutOnlyWhenItsBoundsCouldBeChecked) {
  const Msg hoseCorrected{"Warning", "Parameter \"Std. Hose length\" was out of permissible "
                                     "range and therefore it has been corrected! "};
  const Msg refused{"Error",
                    "Communication with instrument not possible!\r\rDSwitchDLL Error Nr. 4"};
  struct TCase {
    const char* name;
    std::int32_t refusedId; // 0: every bound is there
    Msgs messages;
    bool written;
  };
  const TCase cases[] = {
      {"a correction", 0, {hoseCorrected, {"Info", "Transfer was successful!"}}, true},
      {"the first bound refused", swfconst::HoseMin, {refused}, false},
      {"a bound refused after a correction", swfconst::AtmMin, {hoseCorrected, refused}, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    TMainForm& f = OpenOn(9);
    f.ReadBtn->click();
    ASSERT_TRUE(f.sett->ConfigRead());
    f.HoseLenEd->InputEdit()->selectAll();
    f.HoseLenEd->InputEdit()->insert(QStringLiteral("50")); // beyond the 30 m of the switch
    port.Clear();
    ClearTrace();
    TFilter::Get().RefuseFConst = [&c](std::int32_t id) { return id == c.refusedId ? 4 : 0; };
    f.WriteBtn->click();
    EXPECT_EQ(port.messages, c.messages);
    EXPECT_EQ(CallsOf("SetConf").size(), c.written ? 1u : 0u);
    EXPECT_EQ(f.HoseLenEd->Text(),
              c.refusedId == swfconst::HoseMin ? QStringLiteral("50.00") : QStringLiteral("30.00"));
    EXPECT_TRUE(f.sett->ConfigRead()) << "written, or nothing sent";
    port.Clear();
  }
}

TEST_F(FaultsTest, AnInstrumentErrorInTheMiddleOfAReadFailsItAndIsReported) {
  TMainForm& f = OpenOn(10, "StartupMs = 1500");
  TBenchControl::Get().Advance(1500);
  // The instrument reports an error and starts up again just as the window asks for the
  // moving average.
  TFilter::Get().Before = [](const TransRec& request) {
    if (Oocc(request) == 0xA10F)
      TBenchControl::Get().RaiseError(1, 0x123);
  };
  f.ReadBtn->click();
  EXPECT_EQ(port.messages,
            (Msgs{{"Error", "Read error of parameter \"Filter (moving average) Readings\"\r"
                            "Instrument error (cc) Nr. 0x000e."}}));
  EXPECT_FALSE(f.sett->ConfigRead());
  EXPECT_EQ(f.sett->Class1.Speed, 5);
  EXPECT_FALSE(std::filesystem::exists(LogFile()));
  // The error event reaches the window through the link's callback.
  port.Clear();
  for (int i = 0; i < 200 && port.messages.empty(); ++i)
    dispatcher.WaitAndRun(std::chrono::milliseconds(10));
  ASSERT_FALSE(port.messages.empty());
  EXPECT_EQ(port.messages.front().kind, "Error");
  EXPECT_NE(port.messages.front().text.find("The error #0291 has been occurred"), std::string::npos)
      << port.messages.front().text;
  EXPECT_FALSE(f.Terminated());
}

} // namespace
} // namespace dtool::test
