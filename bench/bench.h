#pragma once
// The instrument bench: eight COM ports with the instruments the bench file hangs on them,
// shared by both link libraries, so that a port held by one is busy for the other. Every
// library function comes here; the bench's own thread delivers the measurement records
// and instrument errors through the libraries' callbacks.
#include <array>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/analoginst.h"
#include "bench/benchsetup.h"
#include "bench/inifile.h"
#include "bench/switchinst.h"
#include "link/analoglink.h"
#include "link/switchlink.h"

namespace dtool::bench {

// Link status values of the bench's libraries beyond those the contracts name.
namespace benchstatus {
inline constexpr std::int32_t NoAnswer = 2;          // nothing, or another kind, answers
inline constexpr std::int32_t TransmissionError = 3; // default of an injected link error
inline constexpr std::int32_t BadArgument = 4;       // null pointer, value out of range, id
inline constexpr std::int32_t InternalFault = 6;     // the bench failed; nothing was done
} // namespace benchstatus

// Environment variables and file names of the bench.
inline constexpr const char* EnvBenchFile = "DTOOL_BENCH";
inline constexpr const char* EnvStateFolder = "DTOOL_BENCH_STATE";
inline constexpr const char* EnvTraceFile = "DTOOL_BENCH_TRACE";
inline constexpr const char* BenchFileName = "DBench.ini";
inline constexpr const char* StateFileName = "DBenchState.ini";
// The bench's messages, also where the error stream is not shown: beside the bench file (for
// the built-in bench, or a bench file that is not a file, beside the state file). Written anew
// at every set-up that has messages, removed at one that has none.
inline constexpr const char* LogFileName = "DBench.log";

enum class TLib { Analog, Switch };

// Bench time in milliseconds: runs with the steady clock, or only when told (for tests).
class TBenchClock {
public:
  std::int64_t Now() const;
  void Advance(std::int64_t ms) { offset_ += ms; }
  void SetManual(bool manual);
  void Reset();

private:
  std::int64_t Real() const;
  std::int64_t start_ = Real();
  std::int64_t offset_ = 0;
  bool manual_ = false;
  std::int64_t frozen_ = 0;
};

class TBench {
public:
  TBench();
  ~TBench();
  TBench(const TBench&) = delete;
  TBench& operator=(const TBench&) = delete;

  // The analog library.
  std::int32_t AnOpenCom(std::int32_t port);
  std::int32_t AnCloseCom(std::int32_t port);
  std::int32_t AnSetRecEventProc(std::int32_t port, TRecEventProc* proc);
  std::int32_t AnSetErrEventProc(std::int32_t port, TErrEventProc* proc);
  std::int32_t AnGetInstType(std::int32_t port, std::int32_t* code);
  std::int32_t AnTransCmd(std::int32_t port, TransRec* rec);
  std::int32_t AnGetRecEventKind(std::int32_t port);
  std::int32_t AnGetPressInst(std::int32_t port, float* pressure);
  std::int32_t AnGetVelocityInst(std::int32_t port, float* velocity);
  std::int32_t AnGetLastError(std::int32_t port, TErrRec* rec);
  std::int32_t AnClrErrors(std::int32_t port);

  // The switch library.
  std::int32_t SwIsComXOpen(std::int32_t port);
  std::int32_t SwOpenComOnly(std::int32_t port);
  std::int32_t SwCloseCom(std::int32_t port);
  std::int32_t SwSetRecEventProc(std::int32_t port, TRecEventProc* proc);
  std::int32_t SwSetMovAverFilt(std::int32_t port, std::int32_t length);
  std::int32_t SwIsDSwitchConn(std::int32_t port, std::int32_t* connected);
  std::int32_t SwGetInfos(std::int32_t port, TSwitchInfos* infos);
  std::int32_t SwReReadConfig(std::int32_t port);
  std::int32_t SwGetConf(std::int32_t port, TSwitchParams* params);
  std::int32_t SwSetConf(std::int32_t port, const TSwitchParams& params, std::int32_t code);
  std::int32_t SwIsProtected(std::int32_t port, std::int32_t* isProtected);
  std::int32_t SwSetProtectCode(std::int32_t port, std::int32_t oldCode, std::int32_t newCode);
  std::int32_t SwZeroAdj(std::int32_t port, std::int32_t code);
  std::int32_t SwGetPressInst(std::int32_t port, float* pressure);
  std::int32_t SwGetPressPar(std::int32_t port, float* pressure, float hoseLength, float atmPress,
                             float humidity, float gain);
  std::int32_t SwGetIConst(std::int32_t* value, std::int32_t id);
  std::int32_t SwGetFConst(float* value, std::int32_t id);

  // Control of the bench, for tests and tools.
  // Sets the bench up from a bench file (empty: the built-in bench) with its state in the
  // folder (empty: the environment, else beside the bench file, else beside the program).
  // Returns the number of messages.
  std::int32_t Load(const std::string& file, const std::string& stateFolder);
  std::string Messages();
  std::int32_t SetManualClock(bool manual);
  std::int32_t AdvanceTime(std::int64_t ms);
  std::int32_t SetPressure(std::int32_t port, double pa);
  std::int32_t GetOutput(std::int32_t port, double* signal, std::int32_t* mode);
  std::int32_t GetDisplay(std::int32_t port, std::string& text, std::int32_t* contrast);
  std::int32_t RaiseError(std::int32_t port, std::int32_t errNr);
  std::int32_t PowerCycle(std::int32_t port);
  // Replaces the faults of the line and the readings by those of the bench file keys in text.
  std::int32_t SetFault(std::int32_t port, const std::string& text);
  // Plugs in the instrument that the bench file keys in text describe ("Instrument = none":
  // nothing), or with empty text the bench file's own instrument again.
  std::int32_t Plug(std::int32_t port, const std::string& text);
  std::int32_t SetTrace(const std::string& path);
  std::int64_t ExchangeCount();

private:
  // An instrument with its set-up and the key of its stored configuration.
  struct TDevice {
    TPortSetup Setup;
    std::unique_ptr<TAnalogInstrument> Analog;
    std::unique_ptr<TSwitchInstrument> Switch;
    std::string StateKey;
  };
  struct TPort {
    // What is plugged in now; the availability, the latency and the faults of the line and
    // the readings in Setup are the port's own.
    TPortSetup Setup;
    std::unique_ptr<TAnalogInstrument> Analog;
    std::unique_ptr<TSwitchInstrument> Switch;
    std::string StateKey;
    // The bench file's instrument while another one, or none, is plugged in.
    std::optional<TDevice> Original;
    enum class TOwner { None, Analog, Switch } Owner = TOwner::None;
    TRecEventProc* AnRec = nullptr;
    TErrEventProc* AnErr = nullptr;
    TRecEventProc* SwRec = nullptr;
    std::uint64_t RecordsDelivered = 0; // by the callback
    std::uint64_t RecordsReported = 0;  // by GetRecEventKind
    int ErrorEvents = 0;                // not yet delivered by the error callback
    // The switch library's moving-average filter for the port.
    std::int32_t SwFilter = 1;
    // Uses of the commands and functions that have a fault, since the faults were set.
    std::map<std::uint16_t, std::int64_t> CommandUses;
    std::map<std::string, std::int64_t> FunctionUses;
    // The display and the output as the trace last noted them.
    std::string NotedDisplay, NotedOutput;

    TInstrument* Inst() const;
  };
  // What a call exchanged, for the trace.
  struct TExchange {
    std::string Request;
    std::string Answer;
  };
  std::int32_t AnReading(const char* function, const char* answerKey, std::int32_t port,
                         float* value,
                         std::int32_t (TAnalogInstrument::*read)(std::int64_t, float&) const);
  using TBody = std::function<std::int32_t(TPort&, std::int64_t now, TExchange&)>;

  // Runs one library function on a port: under the lock, with the port checked, time
  // brought up to date, injected faults applied and the exchange traced; then, for a function
  // that crosses the line to the instrument (linecalls.h), waits the port's latency.
  std::int32_t Run(TLib lib, const char* function, std::int32_t port, const TBody& body);
  // Counts a use of a function or command that has a fault; the link status of a function's
  // fault that is due, or 0; the command's faults that are due.
  static std::int32_t FunctionFault(TPort& p, const char* function);
  struct TCommandFaults {
    std::int32_t LinkStatus = 0;
    bool Unknown = false;
    std::optional<std::uint8_t> Answer;
  };
  static TCommandFaults CommandFaults(TPort& p, std::uint16_t command);
  static bool Holds(const TPort& p, TLib lib);
  // What both libraries do alike.
  std::int32_t OpenPort(TLib lib, const char* function, std::int32_t port);
  std::int32_t ClosePort(TLib lib, std::int32_t port);
  std::int32_t SetRecProc(TLib lib, std::int32_t port, TRecEventProc* proc);
  // Waits until the callbacks that the bench's thread is delivering have returned, so that a
  // callback closed or replaced is not called after the call that did it has returned. A
  // callback itself does not wait for its own delivery.
  void AwaitDelivery();
  std::int32_t Open(TPort& p, TLib lib, std::int64_t now);
  std::int32_t Close(TPort& p, TLib lib);
  void Sync(TPort& p, std::int64_t now);
  void Persist(TPort& p);
  // The instrument a set-up describes, with its stored configuration.
  TDevice MakeDevice(const TPortSetup& setup, int portIndex) const;
  TDevice TakeDevice(TPort& p);
  void PutDevice(TPort& p, TDevice device, std::int64_t now);

  void EnsureLoaded();
  void LoadLocked(const std::string& file, const std::string& stateFolder);
  void Message(const std::string& text);
  void TraceLine(TLib lib, std::int32_t port, const char* function, const TExchange& ex,
                 std::int32_t status);
  // A note in the trace, a comment line: what happened to the instrument on the port.
  void NoteLine(std::int32_t port, const std::string& text);
  // Notes the display and the output of the port's instrument when they have changed.
  void Observe(TPort& p, std::int32_t port, std::int64_t now);
  void OpenTrace(const std::string& path);

  void StartThread();
  // Stops the bench's thread and joins it. Unloading tells that the library is being unloaded.
  void StopThread(bool unloading = false);
  // With no port open the thread has nothing to deliver: it ends here, at an ordinary call, so
  // that unloading the library (on Windows under the loader's lock) finds no thread to end.
  void StopThreadWhenIdle();
  void ThreadMain();
  // One turn of the thread: delivers due callbacks, or waits for the next event.
  void ThreadTurn(std::unique_lock<std::mutex>& lock);

  std::mutex mutex_;
  std::condition_variable wake_;
  bool loaded_ = false;
  TBenchClock clock_;
  std::array<TPort, PortCount> ports_;
  std::string stateFile_;
  TIniDoc state_;
  bool stateWriteReported_ = false;
  bool stateUnusable_ = false; // not read, so not to be overwritten
  std::vector<std::string> messages_;
  std::string logFile_;
  bool logStarted_ = false;
  std::FILE* trace_ = nullptr;
  std::int64_t exchanges_ = 0;
  std::thread thread_;
  bool stop_ = false;
  bool threadLeft_ = false; // the thread has left the bench's code
  int threadFaults_ = 0;    // exceptions the thread caught since the set-up
  // Callbacks being delivered without the lock, and the number of deliveries done.
  bool delivering_ = false;
  std::uint64_t deliveries_ = 0;
  std::condition_variable delivered_;
};

} // namespace dtool::bench
