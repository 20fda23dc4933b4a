// Opening and closing the ports, detection of the connected instrument, and the link
// callbacks, against the bench.
#include <chrono>
#include <climits>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <utility>

#include "benchfixture.h"
#include "fakelink.h"

namespace dtool::test {
namespace {

using Msg = ScriptedPort::Message;

// The traced calls as "library function port" lines, without the closing calls.
std::vector<std::string> Sequence(const std::vector<TTraceLine>& trace) {
  std::vector<std::string> seq;
  for (const TTraceLine& t : trace)
    seq.push_back(t.Library + " " + t.Function + " " + t.Port);
  return seq;
}

class ConnectionTest : public BenchTest {};

TEST_F(ConnectionTest, DetectsEveryTypeWhateverTheCurrentFamily) {
  for (int connected = 0; connected <= 11; ++connected) {
    for (std::uint8_t current : {std::uint8_t{0}, std::uint8_t{9}, std::uint8_t{10}}) {
      SCOPED_TRACE("connected " + std::to_string(connected) + ", current " +
                   std::to_string(current));
      StartBench(Com(3, connected == 0 ? "Instrument = none"
                                       : "Instrument = " + std::to_string(connected)),
                 3, current);
      std::int32_t status = -7;
      EXPECT_EQ(link_->DetectAnyInst(status), connected);
      EXPECT_EQ(status, 0);
    }
  }
  EXPECT_TRUE(port_.messages.empty());
  EXPECT_EQ(port_.Cursor(), TCursor::Default);
}

// The current type's family is tried first; the port stays with the family tried last.
TEST_F(ConnectionTest, TriesTheCurrentFamilyFirstAndKeepsThePortWithTheLast) {
  struct TCase {
    std::uint8_t Current;
    const char* Connected;
    std::uint8_t Detected;
    std::vector<std::string> Calls;
  };
  const std::vector<TCase> cases = {
      {10,
       "DravonSwitch",
       9,
       {"DSwitch CloseCom COM2", "DDatDll OpenCom COM2", "DDatDll SetRecEventProc COM2",
        "DDatDll SetErrEventProc COM2", "DDatDll GetInstType COM2", "DDatDll CloseCom COM2",
        "DSwitch IsComXOpen COM2", "DSwitch OpenComOnly COM2", "DSwitch SetRecEventProc COM2",
        "DSwitch SetMovAverFilt COM2", "DSwitch IsDSwitchConn COM2"}},
      {0,
       "DravonDat",
       10,
       {"DDatDll CloseCom COM2", "DSwitch IsComXOpen COM2", "DSwitch OpenComOnly COM2",
        "DSwitch SetRecEventProc COM2", "DSwitch SetMovAverFilt COM2", "DSwitch IsDSwitchConn COM2",
        "DSwitch CloseCom COM2", "DDatDll OpenCom COM2", "DDatDll SetRecEventProc COM2",
        "DDatDll SetErrEventProc COM2", "DDatDll GetInstType COM2"}},
      // Codes 3..6 need the identify command to tell the type.
      {9,
       "Dravon-STS",
       3,
       {"DDatDll CloseCom COM2", "DSwitch IsComXOpen COM2", "DSwitch OpenComOnly COM2",
        "DSwitch SetRecEventProc COM2", "DSwitch SetMovAverFilt COM2", "DSwitch IsDSwitchConn COM2",
        "DSwitch CloseCom COM2", "DDatDll OpenCom COM2", "DDatDll SetRecEventProc COM2",
        "DDatDll SetErrEventProc COM2", "DDatDll GetInstType COM2", "DDatDll TransCmd COM2"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Connected);
    StartBench(Com(2, std::string("Instrument = ") + c.Connected), 2, c.Current);
    std::int32_t status = -7;
    EXPECT_EQ(link_->DetectAnyInst(status), c.Detected);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(Sequence(Trace()), c.Calls);
    const bool switchHolds = link_->Switch().IsComXOpen(2) != 0;
    EXPECT_EQ(switchHolds, c.Detected == 9);
  }
}

TEST_F(ConnectionTest, AFailingFirstFamilyIsNotFollowedByTheOther) {
  for (std::uint8_t current : {std::uint8_t{0}, std::uint8_t{10}}) {
    SCOPED_TRACE(current);
    StartBench(Com(6, "Available = no"), 6, current);
    std::int32_t status = 0;
    EXPECT_EQ(link_->DetectAnyInst(status), 0);
    EXPECT_EQ(status, linkstatus::PortNotOpen);
    // Only the closing of the other library's port touches it.
    const char* other = current == 10 ? "DSwitch" : "DDatDll";
    EXPECT_EQ(Sequence(Trace())[0], std::string(other) + " CloseCom COM6");
    for (std::size_t i = 1; i < Trace().size(); ++i)
      EXPECT_NE(Trace()[i].Library, other) << Trace()[i].Function;
  }
}

TEST_F(ConnectionTest, DetectionOfTheIdentifiedModelTypes) {
  // The identify answer's two lowest bits tell the model with analog output from the one
  // with relays: code 3 is type 1 or 3, code 6 type 6 or 8.
  for (int type = 1; type <= 8; ++type) {
    SCOPED_TRACE(type);
    StartBench(Com(1, "Instrument = " + std::to_string(type)), 1, 10);
    std::int32_t status = 0;
    EXPECT_EQ(link_->DetectAnInst(status), type);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(Calls("DDatDll", "TransCmd"), std::vector<std::string>{"COM1 OO=F0 CC=01 BBAA=0000"});
  }
}

TEST_F(ConnectionTest, ClosesTheAnalogPortsFirstUpToTheLibrarysRange) {
  StartBench("", 1, 10);
  link_->CloseAllPorts();
  std::vector<std::string> expected;
  for (const char* lib : {"DDatDll", "DSwitch"})
    for (int port = 1; port <= 9; ++port)
      expected.push_back(std::string(lib) + " CloseCom COM" + std::to_string(port));
  const auto trace = Trace();
  EXPECT_EQ(Sequence(trace), expected);
  ASSERT_EQ(trace.size(), 18u);
  EXPECT_EQ(trace[8].Status, linkstatus::PortOutOfRange);
  EXPECT_EQ(trace[17].Status, linkstatus::PortOutOfRange);
}

TEST_F(ConnectionTest, OpensThePortWithTheCurrentFamily) {
  struct TCase {
    std::uint8_t Type;
    std::int32_t Port;
  };
  for (const TCase c : {TCase{10, 1}, TCase{3, 1}, TCase{9, 4}, TCase{0, 4}}) {
    SCOPED_TRACE(c.Type);
    StartBench(Com(1, "Instrument = DravonDat") + Com(4, "Instrument = DravonSwitch"), c.Port,
               c.Type);
    // Without fromPreferences the port comes from the preferences.
    EXPECT_TRUE(link_->OpenCommunication(false, 7));
    EXPECT_TRUE(link_->IsCommOpen(c.Port));
    const bool analog = IsAnalogFamily(c.Type);
    EXPECT_EQ(link_->Switch().IsComXOpen(c.Port) != 0, !analog);
    EXPECT_TRUE(Calls("DDatDll", "OpenCom").empty() == !analog);
    EXPECT_TRUE(port_.messages.empty());
    EXPECT_TRUE(owner_.calls.empty());
    EXPECT_EQ(port_.Cursor(), TCursor::Default);
    EXPECT_GT(port_.hourglassCount, 0);
  }
}

TEST_F(ConnectionTest, APortThatCannotBeOpenedOffersThePreferencesOrEndsTheProgram) {
  const Msg cannotOpen{"Info", "COMPORT 6 could not be opened! \rSelect an other COMPORT! "};
  const Msg willClose{"Error", "As COMPORT could not be opened, the program will closed! "};
  struct TCase {
    bool FromPreferences;
    bool PreferencesOk;
    std::vector<Msg> Messages;
    std::vector<std::string> OwnerCalls;
  };
  const std::vector<TCase> cases = {
      {false, false, {cannotOpen, willClose}, {"ShowPreferencesForPort", "TerminateApplication"}},
      {false, true, {cannotOpen}, {"ShowPreferencesForPort"}},
      {true, false, {cannotOpen}, {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.FromPreferences) + std::to_string(c.PreferencesOk));
    StartBench(Com(6, "Available = no"), c.FromPreferences ? 1 : 6, 10);
    port_.Clear();
    owner_.calls.clear();
    owner_.preferencesOk = c.PreferencesOk;
    EXPECT_FALSE(link_->OpenCommunication(c.FromPreferences, 6));
    EXPECT_EQ(port_.messages, c.Messages);
    EXPECT_EQ(owner_.calls, c.OwnerCalls);
    EXPECT_EQ(port_.Cursor(), TCursor::Default);
    // A port chosen in the Preferences that cannot be opened leaves the preferred one open,
    // without a further message.
    EXPECT_EQ(link_->IsCommOpen(1), c.FromPreferences);
  }
}

TEST_F(ConnectionTest, AStoredFilterLengthIsBroughtWithinTheSwitchLibrarysBounds) {
  struct TCase {
    std::int32_t Stored;
    std::int32_t Limited;
  };
  for (const TCase c : {TCase{0, 1}, TCase{-3, 1}, TCase{1, 1}, TCase{7, 7}, TCase{20, 20},
                        TCase{21, 20}, TCase{INT32_MAX, 20}}) {
    SCOPED_TRACE(c.Stored);
    StartBench(Com(4, "Instrument = DravonSwitch"), 4, 9);
    owner_.prefs.MovAverFilt = c.Stored;
    link_->LimitMovAverFilt();
    EXPECT_EQ(owner_.prefs.MovAverFilt, c.Limited);
    EXPECT_TRUE(link_->OpenCommunication(false, 0));
    EXPECT_EQ(Calls("DSwitch", "SetMovAverFilt"),
              std::vector<std::string>{"COM4 length=" + std::to_string(c.Limited)});
  }
  EXPECT_TRUE(port_.messages.empty());
}

TEST_F(ConnectionTest, FilterBoundsThatMakeNoListAreUnusableAndChangeNothing) {
  struct TCase {
    const char* Name;
    std::map<std::int32_t, std::int32_t> Consts;
    std::int32_t Status;
  };
  const TCase cases[] = {
      {"refused", {}, 4},
      {"longest missing", {{swiconst::I_MAVR_MIN, 1}}, 4},
      {"longest below the shortest", {{9, 5}, {10, 4}}, StatusUnusable},
      {"too many lengths", {{9, 1}, {10, 1 + MaxMovAverLengths}}, StatusUnusable},
      {"as many as a list holds", {{9, 1}, {10, MaxMovAverLengths}}, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TFakeLink::Reset();
    TFakeLink::iconsts = c.Consts;
    link_ = std::make_unique<TInstLink>(sett_, owner_, TFakeLink::Analog(), TFakeLink::Switch());
    std::int32_t shortest = -1;
    std::int32_t longest = -1;
    EXPECT_EQ(link_->MovAverBounds(shortest, longest), c.Status);
    owner_.prefs.MovAverFilt = 5000;
    link_->LimitMovAverFilt();
    EXPECT_EQ(owner_.prefs.MovAverFilt, c.Status == 0 ? MaxMovAverLengths : 5000);
    if (c.Status != 0) {
      EXPECT_EQ(shortest, -1);
      EXPECT_EQ(longest, -1);
    }
  }
}

TEST_F(ConnectionTest, PortsBeyondTheLibrariesAndARefusedFilterFailTheOpening) {
  StartBench(Com(4, "Instrument = DravonSwitch"), 4, 9);
  for (std::int32_t bad : {0, 9, -1, 1000000}) {
    port_.Clear();
    EXPECT_FALSE(link_->OpenCommunication(true, bad));
    ASSERT_EQ(port_.messages.size(), 1u);
    EXPECT_EQ(port_.messages[0].text, "COMPORT " + std::to_string(bad) +
                                          " could not be opened! \rSelect an other COMPORT! ");
    EXPECT_FALSE(link_->IsCommOpen(bad));
  }
  // The switch library refuses a filter length outside its range: the opening fails with
  // the library's status instead of ending the program.
  owner_.prefs.MovAverFilt = 0;
  EXPECT_EQ(link_->OpenSwitchKommunikation(4), 4);
  std::int32_t status = 0;
  EXPECT_EQ(link_->DetectAnyInst(status), 0);
  EXPECT_EQ(status, 4);
}

TEST_F(ConnectionTest, IsCommOpenAsksTheCurrentFamilysLibrary) {
  StartBench(Com(1, "Instrument = DravonDat"), 1, 10);
  EXPECT_FALSE(link_->IsCommOpen(1));
  ASSERT_EQ(link_->OpenAnKommunikation(1), 0);
  EXPECT_TRUE(link_->IsCommOpen(1));
  sett_.InstInfo.InstType = 9; // the switch library does not hold the port
  EXPECT_FALSE(link_->IsCommOpen(1));
}

// Runs the dispatched callbacks until the owner has been called count times or 5 s passed.
bool WaitForCalls(TQueueDispatcher& dispatcher, const std::function<bool()>& done) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!done() && std::chrono::steady_clock::now() < until)
    dispatcher.WaitAndRun(std::chrono::milliseconds(50));
  return done();
}

TEST_F(ConnectionTest, AMeasurementRecordRefreshesTheLiveReadingOnTheDispatchersThread) {
  StartBench(Com(1, "Instrument = DravonDat"), 1, 10);
  ASSERT_TRUE(link_->OpenCommunication(false, 0));
  EXPECT_EQ(dispatcher_.RunPending(), 0u);
  EXPECT_TRUE(owner_.calls.empty());
  AdvanceBench(2000);
  EXPECT_TRUE(WaitForCalls(dispatcher_, [&] { return !owner_.calls.empty(); }));
  EXPECT_EQ(owner_.calls[0], "ShowLiveReading");
}

TEST_F(ConnectionTest, AnInstrumentErrorShowsItsNumberByClassAndIsCleared) {
  struct TCase {
    const char* Instrument;
    std::uint8_t Type;
    const char* Number;
  };
  for (const TCase c : {TCase{"Dravon-STD", 1, "0x0123"}, TCase{"Dravon-STVS Z", 8, "0x0123"},
                        TCase{"DravonDat", 10, "#0291"}}) {
    SCOPED_TRACE(c.Instrument);
    StartBench(Com(1, std::string("Instrument = ") + c.Instrument), 1, c.Type);
    port_.Clear();
    ASSERT_TRUE(link_->OpenCommunication(false, 0));
    RaiseBenchError(1, 0x0123);
    ASSERT_TRUE(WaitForCalls(dispatcher_, [&] { return !port_.messages.empty(); }))
        << ::testing::PrintToString(Sequence(Trace()));
    EXPECT_EQ(port_.messages[0],
              (Msg{"Error", std::string("*** INSTRUMENT ERROR ***\r\rThe error ") + c.Number +
                                " has been occurred on the instrument!\rThe instrument tries "
                                "a new start-up now. If the problem doesn't disappear, please "
                                "contact your Meltrane representative and tell him the error "
                                "number!"}));
    EXPECT_EQ(Calls("DDatDll", "ClrErrors").size(), 1u);
    TErrRec rec{};
    ASSERT_EQ(link_->Analog().GetLastError(1, &rec), 0);
    EXPECT_NE(rec.Kind, ErrKindInstrument);
    // Registered again: the next error shows as well.
    RaiseBenchError(1, 0x0042);
    EXPECT_TRUE(WaitForCalls(dispatcher_, [&] { return port_.messages.size() == 2; }));
  }
}

// The link callbacks delivered as an event loop delivers them: one at a time, so that the
// loop of a message box opened by one of them delivers the next.
class TEventLoop : public IDispatcher {
public:
  void Post(std::function<void()> work) override {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(work));
  }
  // Runs the queued work, and the work queued meanwhile, until none is left.
  void Run() {
    while (std::function<void()> work = Take())
      work();
  }
  // Waits until the bench's thread has queued count items, or 2 s passed.
  bool WaitQueued(std::size_t count) const {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (Pending() < count && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return Pending() >= count;
  }

private:
  std::function<void()> Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (queue_.empty())
      return nullptr;
    std::function<void()> work = std::move(queue_.front());
    queue_.pop_front();
    return work;
  }
  std::size_t Pending() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return queue_.size();
  }
  mutable std::mutex mutex_;
  std::deque<std::function<void()>> queue_;
};

// The link callbacks go to the loop while this exists, to the fixture's dispatcher after.
class TDeliverThrough {
public:
  TDeliverThrough(TEventLoop& loop, TQueueDispatcher& after) : after_(after) {
    SetLinkDispatcher(&loop);
  }
  ~TDeliverThrough() { SetLinkDispatcher(&after_); }
  TDeliverThrough(const TDeliverThrough&) = delete;
  TDeliverThrough& operator=(const TDeliverThrough&) = delete;

private:
  TQueueDispatcher& after_;
};

// The operator port of message boxes that run the event loop while they are open.
class TModalPort : public ScriptedPort {
public:
  explicit TModalPort(TEventLoop& loop) : loop_(loop) {}
  int ErrorBox(const std::string& text, bool yesNo) override {
    const int answer = ScriptedPort::ErrorBox(text, yesNo);
    if (std::function<void()> work = std::exchange(whileOpen, nullptr))
      work();
    loop_.Run();
    return answer;
  }
  // Runs once, while the next error box is open.
  std::function<void()> whileOpen;

private:
  TEventLoop& loop_;
};

// Error events that arrive while an error box is open are taken up after it: each distinct
// error gets one box, one after the other, and the errors are cleared once all are shown.
TEST_F(ConnectionTest, ErrorEventsDuringAnErrorBoxShowEachErrorOnce) {
  struct TCase {
    const char* name;
    bool reportedTwice;     // the first error's event comes twice before it is handled
    std::int32_t whileOpen; // an error raised while the first box is open; 0: none
    std::vector<const char*> numbers;
  };
  const TCase cases[] = {
      {"the same error reported twice", true, 0, {"#0291"}},
      {"another error while the box is open", false, 0x456, {"#0291", "#1110"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.name);
    StartBench(Com(1, "Instrument = DravonDat"), 1, 10);
    ASSERT_TRUE(link_->OpenCommunication(false, 0));
    TEventLoop loop;
    const TDeliverThrough deliver(loop, dispatcher_);
    TModalPort modal(loop);
    RaiseBenchError(1, 0x123);
    ASSERT_TRUE(loop.WaitQueued(1));
    if (c.reportedTwice) {
      RaiseBenchError(1, 0x123);
      ASSERT_TRUE(loop.WaitQueued(2));
    }
    if (c.whileOpen != 0)
      modal.whileOpen = [&] {
        RaiseBenchError(1, c.whileOpen);
        loop.WaitQueued(1);
      };
    loop.Run();
    std::vector<Msg> expected;
    for (const char* number : c.numbers)
      expected.push_back({"Error", std::string("*** INSTRUMENT ERROR ***\r\rThe error ") + number +
                                       " has been occurred on the instrument!\rThe instrument "
                                       "tries a new start-up now. If the problem doesn't "
                                       "disappear, please contact your Meltrane representative "
                                       "and tell him the error number!"});
    EXPECT_EQ(modal.messages, expected);
    TErrRec rec{};
    ASSERT_EQ(link_->Analog().GetLastError(1, &rec), 0);
    EXPECT_NE(rec.Kind, ErrKindInstrument) << "cleared";
    // A later error still reaches the window.
    RaiseBenchError(1, 0x42);
    EXPECT_TRUE(loop.WaitQueued(1));
    loop.Run();
    EXPECT_EQ(modal.messages.size(), expected.size() + 1);
  }
}

TEST_F(ConnectionTest, AnErrorEventWhoseRecordCannotBeReadShowsNothing) {
  StartBench(Com(1, "Instrument = DravonDat\nFaultLinkError = GetLastError:3"), 1, 10);
  ASSERT_TRUE(link_->OpenCommunication(false, 0));
  ClearTrace();
  link_->ErrEventProc(1);
  EXPECT_TRUE(port_.messages.empty());
  EXPECT_EQ(Sequence(Trace()), std::vector<std::string>{"DDatDll GetLastError COM1"});
  // With no instrument error in the record, nothing shows but the errors are cleared.
  StartBench(Com(1, "Instrument = DravonDat"), 1, 10);
  ASSERT_TRUE(link_->OpenCommunication(false, 0));
  ClearTrace();
  link_->ErrEventProc(1);
  EXPECT_TRUE(port_.messages.empty());
  EXPECT_EQ(Calls("DDatDll", "ClrErrors").size(), 1u);
}

} // namespace
} // namespace dtool::test

namespace dtool::test {
namespace {

class FakeLinkTest : public BenchTest {
protected:
  FakeLinkTest() {
    TFakeLink::Reset();
    link_ = std::make_unique<TInstLink>(sett_, owner_, TFakeLink::Analog(), TFakeLink::Switch());
  }
};

TEST_F(FakeLinkTest, ClosingStopsAtItsBoundWhenALibraryNeverAnswersTheEndOfItsRange) {
  link_->CloseAllPorts();
  EXPECT_EQ(TFakeLink::closeCalls, 2 * CloseAllPortsBound);
}

TEST_F(FakeLinkTest, AnUnknownFamilyCodeFailsTheDetectionWithoutEndingTheProgram) {
  for (std::int32_t code : {7, 255, -1}) {
    TFakeLink::familyCode = code;
    std::int32_t status = 0;
    EXPECT_EQ(link_->DetectAnInst(status), 0);
    EXPECT_EQ(status, StatusUnusable);
    sett_.InstInfo.InstType = 10;
    EXPECT_EQ(link_->DetectAnyInst(status), 0);
    EXPECT_EQ(status, StatusUnusable);
  }
  EXPECT_TRUE(port_.messages.empty());
}

} // namespace
} // namespace dtool::test
