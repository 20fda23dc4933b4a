#include "bench/bench.h"

#include "bench/linecalls.h"
#include "tools/progtools.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace dtool::bench {

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr ? std::string(v) : std::string();
}

// The folder of the running program, without fail: the bench never stops the program.
std::string ProgramFolder() {
  const std::filesystem::path exe(GetProgramFile());
  return exe.has_parent_path() ? exe.parent_path().string() : std::string(".");
}

const char* LibName(TLib lib) {
  return lib == TLib::Analog ? "DDatDll" : "DSwitch";
}

std::string RecText(const TransRec& r, bool answer) {
  return std::string(answer ? "oo=" : "OO=") + HexText(r.OO, 2) + (answer ? " cc=" : " CC=") +
         HexText(r.CC, 2) + (answer ? " bbaa=" : " BBAA=") + HexText(r.BBAA, 4);
}

std::string ParamsText(const TSwitchParams& p) {
  return "Hose_length=" + RealText(p.Hose_length) + " Atm_Press=" + RealText(p.Atm_Press) +
         " Humidity=" + RealText(p.Humidity) + " Gain_Sens=" + RealText(p.Gain_Sens) +
         " AlInt=" + std::to_string(p.AlInt) + " Al1Dly=" + std::to_string(p.Al1Dly) +
         " Al2Dly=" + std::to_string(p.Al2Dly) + " Al1Hys=" + RealText(p.Al1Hys) +
         " Al2Hys=" + RealText(p.Al2Hys) + " Al1Thre=" + RealText(p.Al1Thre) +
         " Al2Thre=" + RealText(p.Al2Thre);
}

std::string StateKeyOf(const TPortSetup& s, int portIndex) {
  if (s.SerialNr == 0xFFFFFFFF)
    return std::string(TypeName(s.Type)) + " without serial on COM" + std::to_string(portIndex + 1);
  return std::string(TypeName(s.Type)) + " " + std::to_string(s.SerialNr);
}

// Sleeps until shortly before the time and yields the rest: a sleep alone ends a good tenth
// of a millisecond late, which adds up over the exchanges of a transfer.
void WaitUntil(std::chrono::steady_clock::time_point until) {
  using namespace std::chrono;
  constexpr auto Margin = microseconds(300);
  if (steady_clock::now() < until - Margin)
    std::this_thread::sleep_until(until - Margin);
  while (steady_clock::now() < until)
    std::this_thread::yield();
}

} // namespace

// ---- Bench time ----

std::int64_t TBenchClock::Real() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t TBenchClock::Now() const {
  return (manual_ ? frozen_ : Real() - start_) + offset_;
}

void TBenchClock::SetManual(bool manual) {
  if (manual == manual_)
    return;
  if (manual)
    frozen_ = Real() - start_;
  else
    start_ = Real() - frozen_;
  manual_ = manual;
}

void TBenchClock::Reset() {
  start_ = Real();
  offset_ = 0;
  manual_ = false;
  frozen_ = 0;
}

// ---- Ports ----

TInstrument* TBench::TPort::Inst() const {
  if (Analog)
    return Analog.get();
  return Switch.get();
}

TBench::TBench() = default;

TBench::~TBench() {
  StopThread(true);
  if (trace_ != nullptr)
    std::fclose(trace_);
}

bool TBench::Holds(const TPort& p, TLib lib) {
  return p.Owner == (lib == TLib::Analog ? TPort::TOwner::Analog : TPort::TOwner::Switch);
}

std::int32_t TBench::Open(TPort& p, TLib lib, std::int64_t now) {
  if (!p.Setup.Available || (p.Owner != TPort::TOwner::None && !Holds(p, lib)))
    return linkstatus::PortNotOpen;
  if (Holds(p, lib))
    return linkstatus::Ok;
  p.Owner = lib == TLib::Analog ? TPort::TOwner::Analog : TPort::TOwner::Switch;
  if (TInstrument* inst = p.Inst()) {
    if (!inst->Powered())
      inst->PowerUp(now);
    p.RecordsDelivered = p.RecordsReported = inst->RecordCount();
  }
  p.ErrorEvents = 0;
  StartThread();
  return linkstatus::Ok;
}

std::int32_t TBench::Close(TPort& p, TLib lib) {
  if (!Holds(p, lib))
    return linkstatus::Ok;
  p.Owner = TPort::TOwner::None;
  if (lib == TLib::Analog) {
    p.AnRec = nullptr;
    p.AnErr = nullptr;
  } else {
    p.SwRec = nullptr;
  }
  if (p.Analog)
    p.Analog->PortClosed();
  if (p.Original && p.Original->Analog)
    p.Original->Analog->PortClosed();
  return linkstatus::Ok;
}

void TBench::Sync(TPort& p, std::int64_t now) {
  TInstrument* inst = p.Inst();
  if (inst == nullptr || !inst->Powered())
    return;
  inst->Advance(now);
  if (p.Analog) {
    p.ErrorEvents = std::min<int>(p.ErrorEvents + p.Analog->TakeErrorEvents(),
                                  static_cast<int>(MaxPendingErrors));
    if (p.Analog->TakeStoreRequest())
      Persist(p);
  }
}

std::int32_t TBench::FunctionFault(TPort& p, const char* function) {
  const auto& faults = p.Setup.Faults.LinkErrorFn;
  const auto it = faults.find(function);
  if (it == faults.end())
    return 0;
  const std::int64_t use = ++p.FunctionUses[function];
  return use > it->second.After ? it->second.Value : 0;
}

TBench::TCommandFaults TBench::CommandFaults(TPort& p, std::uint16_t command) {
  const TFaults& f = p.Setup.Faults;
  const auto link = f.LinkErrorCmd.find(command);
  const auto unknown = f.Unknown.find(command);
  const auto answer = f.Answer.find(command);
  TCommandFaults due;
  if (link == f.LinkErrorCmd.end() && unknown == f.Unknown.end() && answer == f.Answer.end())
    return due;
  const std::int64_t use = ++p.CommandUses[command];
  if (link != f.LinkErrorCmd.end() && use > link->second.After)
    due.LinkStatus = link->second.Value;
  due.Unknown = unknown != f.Unknown.end() && use > unknown->second.After;
  if (answer != f.Answer.end() && use > answer->second.After)
    due.Answer = static_cast<std::uint8_t>(answer->second.Value);
  return due;
}

void TBench::Persist(TPort& p) {
  if (stateUnusable_)
    return;
  TIniSection& section = state_.Add(p.StateKey);
  section.Entries.clear();
  section.Set("Stamp", p.Setup.FactoryStamp);
  if (p.Analog)
    p.Analog->Save(section);
  else if (p.Switch)
    p.Switch->Save(section);
  if (!WriteTextFile(stateFile_, FormatIni(state_)) && !stateWriteReported_) {
    stateWriteReported_ = true;
    Message("State file \"" + stateFile_ +
            "\" cannot be written: the instruments forget their configuration at the end.");
  }
}

std::int32_t TBench::Run(TLib lib, const char* function, std::int32_t port, const TBody& body) {
  // The line time runs from the call on; the instrument's work falls within it.
  const auto called = std::chrono::steady_clock::now();
  std::int64_t latency = 0;
  std::int32_t status = 0;
  bool errorPending = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    EnsureLoaded();
    TExchange ex;
    TPort* p = nullptr;
    std::int64_t now = 0;
    if (port < FirstComPort || port > LastComPort) {
      status = linkstatus::PortOutOfRange;
    } else {
      p = &ports_[static_cast<std::size_t>(port - 1)];
      now = clock_.Now();
      Sync(*p, now);
      const std::int32_t injected = FunctionFault(*p, function);
      status = injected != 0 ? injected : body(*p, now, ex);
      Sync(*p, now);
      if (Holds(*p, lib) && CrossesTheLine(function))
        latency = p->Setup.LatencyMs;
      errorPending = p->ErrorEvents > 0;
    }
    ++exchanges_;
    TraceLine(lib, port, function, ex, status);
    if (p != nullptr)
      Observe(*p, port, now);
  }
  if (errorPending)
    wake_.notify_all();
  if (latency > 0)
    WaitUntil(called + std::chrono::milliseconds(latency));
  return status;
}

std::int32_t TBench::OpenPort(TLib lib, const char* function, std::int32_t port) {
  return Run(lib, function, port,
             [this, lib](TPort& p, std::int64_t now, TExchange&) { return Open(p, lib, now); });
}

std::int32_t TBench::ClosePort(TLib lib, std::int32_t port) {
  const std::int32_t status =
      Run(lib, "CloseCom", port,
          [this, lib](TPort& p, std::int64_t, TExchange&) { return Close(p, lib); });
  AwaitDelivery();
  StopThreadWhenIdle();
  return status;
}

void TBench::StopThreadWhenIdle() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!thread_.joinable() || thread_.get_id() == std::this_thread::get_id())
      return; // a callback that closes a port leaves the thread to the next close or the end
    for (const TPort& p : ports_) {
      if (p.Owner != TPort::TOwner::None)
        return;
    }
  }
  StopThread();
}

std::int32_t TBench::SetRecProc(TLib lib, std::int32_t port, TRecEventProc* proc) {
  const std::int32_t status =
      Run(lib, "SetRecEventProc", port, [lib, proc](TPort& p, std::int64_t, TExchange&) {
        if (!Holds(p, lib))
          return linkstatus::PortNotOpen;
        (lib == TLib::Analog ? p.AnRec : p.SwRec) = proc;
        return linkstatus::Ok;
      });
  AwaitDelivery();
  return status;
}

void TBench::AwaitDelivery() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!delivering_ || thread_.get_id() == std::this_thread::get_id())
    return;
  const std::uint64_t delivery = deliveries_;
  delivered_.wait(lock, [&] { return deliveries_ != delivery; });
}

// ---- The analog library ----

std::int32_t TBench::AnOpenCom(std::int32_t port) {
  return OpenPort(TLib::Analog, "OpenCom", port);
}

std::int32_t TBench::AnCloseCom(std::int32_t port) {
  return ClosePort(TLib::Analog, port);
}

std::int32_t TBench::AnSetRecEventProc(std::int32_t port, TRecEventProc* proc) {
  return SetRecProc(TLib::Analog, port, proc);
}

std::int32_t TBench::AnSetErrEventProc(std::int32_t port, TErrEventProc* proc) {
  const std::int32_t status =
      Run(TLib::Analog, "SetErrEventProc", port, [proc](TPort& p, std::int64_t, TExchange&) {
        if (!Holds(p, TLib::Analog))
          return linkstatus::PortNotOpen;
        p.AnErr = proc;
        return linkstatus::Ok;
      });
  AwaitDelivery();
  return status;
}

std::int32_t TBench::AnGetInstType(std::int32_t port, std::int32_t* code) {
  return Run(TLib::Analog, "GetInstType", port, [code](TPort& p, std::int64_t, TExchange& ex) {
    if (code == nullptr)
      return benchstatus::BadArgument;
    if (!Holds(p, TLib::Analog))
      return linkstatus::PortNotOpen;
    // Nothing, or an instrument of the other family, gives the family code 0.
    *code = p.Analog ? p.Analog->FamilyCode() : 0;
    ex.Answer = "IT=" + std::to_string(*code);
    return linkstatus::Ok;
  });
}

std::int32_t TBench::AnTransCmd(std::int32_t port, TransRec* rec) {
  return Run(TLib::Analog, "TransCmd", port, [rec](TPort& p, std::int64_t now, TExchange& ex) {
    if (rec == nullptr)
      return benchstatus::BadArgument;
    ex.Request = RecText(*rec, false);
    if (!Holds(p, TLib::Analog))
      return linkstatus::PortNotOpen;
    if (!p.Analog)
      return benchstatus::NoAnswer;
    const TCommandFaults due = CommandFaults(p, static_cast<std::uint16_t>(rec->OO << 8 | rec->CC));
    if (due.LinkStatus != 0)
      return due.LinkStatus;
    if (due.Unknown)
      return AnStatusUnknownCommand;
    const std::int32_t status = p.Analog->Exchange(*rec, now);
    if (status == 0 && due.Answer)
      rec->CC = *due.Answer;
    if (status == 0)
      ex.Answer = RecText(*rec, true);
    return status;
  });
}

std::int32_t TBench::AnGetRecEventKind(std::int32_t port) {
  return Run(TLib::Analog, "GetRecEventKind", port, [](TPort& p, std::int64_t, TExchange&) {
    if (!Holds(p, TLib::Analog) || !p.Analog || p.Analog->RecordCount() <= p.RecordsReported)
      return reckind::None;
    p.RecordsReported = p.Analog->RecordCount();
    return p.Analog->RecordKind();
  });
}

// A live reading of an analog instrument: the pressure or the velocity, by the model's reader.
std::int32_t TBench::AnReading(const char* function, const char* answerKey, std::int32_t port,
                               float* value,
                               std::int32_t (TAnalogInstrument::*read)(std::int64_t, float&)
                                   const) {
  return Run(TLib::Analog, function, port, [=](TPort& p, std::int64_t now, TExchange& ex) {
    if (value == nullptr)
      return benchstatus::BadArgument;
    if (!Holds(p, TLib::Analog))
      return linkstatus::PortNotOpen;
    if (!p.Analog)
      return anreading::NoSignal;
    const std::int32_t code = ((*p.Analog).*read)(now, *value);
    if (code == anreading::Valid)
      ex.Answer = std::string(answerKey) + "=" + RealText(*value);
    return code;
  });
}

std::int32_t TBench::AnGetPressInst(std::int32_t port, float* pressure) {
  return AnReading("GetPressInst", "p", port, pressure, &TAnalogInstrument::Pressure);
}

std::int32_t TBench::AnGetVelocityInst(std::int32_t port, float* velocity) {
  return AnReading("GetVelocityInst", "v", port, velocity, &TAnalogInstrument::Velocity);
}

std::int32_t TBench::AnGetLastError(std::int32_t port, TErrRec* rec) {
  return Run(TLib::Analog, "GetLastError", port, [rec](TPort& p, std::int64_t, TExchange& ex) {
    if (rec == nullptr)
      return benchstatus::BadArgument;
    if (!Holds(p, TLib::Analog))
      return linkstatus::PortNotOpen;
    *rec = p.Analog ? p.Analog->LastError() : TErrRec{0, 0, 0};
    ex.Answer = "kind=" + HexText(rec->Kind, 2) + " nr=" + HexText(rec->ErrNr, 4);
    return linkstatus::Ok;
  });
}

std::int32_t TBench::AnClrErrors(std::int32_t port) {
  return Run(TLib::Analog, "ClrErrors", port, [](TPort& p, std::int64_t, TExchange&) {
    if (!Holds(p, TLib::Analog))
      return linkstatus::PortNotOpen;
    if (p.Analog)
      p.Analog->ClearErrors();
    return linkstatus::Ok;
  });
}

// ---- The switch library ----

std::int32_t TBench::SwIsComXOpen(std::int32_t port) {
  // A port the library does not serve is not open.
  if (port < FirstComPort || port > LastComPort)
    return 0;
  return Run(TLib::Switch, "IsComXOpen", port,
             [](TPort& p, std::int64_t, TExchange&) { return Holds(p, TLib::Switch) ? 1 : 0; });
}

std::int32_t TBench::SwOpenComOnly(std::int32_t port) {
  return OpenPort(TLib::Switch, "OpenComOnly", port);
}

std::int32_t TBench::SwCloseCom(std::int32_t port) {
  return ClosePort(TLib::Switch, port);
}

std::int32_t TBench::SwSetRecEventProc(std::int32_t port, TRecEventProc* proc) {
  return SetRecProc(TLib::Switch, port, proc);
}

std::int32_t TBench::SwSetMovAverFilt(std::int32_t port, std::int32_t length) {
  return Run(TLib::Switch, "SetMovAverFilt", port, [length](TPort& p, std::int64_t, TExchange& ex) {
    ex.Request = "length=" + std::to_string(length);
    std::int32_t min = 0, max = 0;
    TSwitchInstrument::IConst(swiconst::I_MAVR_MIN, min);
    TSwitchInstrument::IConst(swiconst::I_MAVR_MAX, max);
    if (length < min || length > max)
      return benchstatus::BadArgument;
    // The filter is the library's setting for the port number: it is taken whether the port
    // is held by this library, by the other one or by none, and kept with nothing connected.
    p.SwFilter = length;
    if (p.Switch)
      p.Switch->SetFilter(length);
    return linkstatus::Ok;
  });
}

std::int32_t TBench::SwIsDSwitchConn(std::int32_t port, std::int32_t* connected) {
  return Run(TLib::Switch, "IsDSwitchConn", port,
             [connected](TPort& p, std::int64_t, TExchange& ex) {
               if (connected == nullptr)
                 return benchstatus::BadArgument;
               if (!Holds(p, TLib::Switch))
                 return linkstatus::PortNotOpen;
               *connected = p.Switch ? 1 : 0;
               ex.Answer = "connected=" + std::to_string(*connected);
               return linkstatus::Ok;
             });
}

std::int32_t TBench::SwGetInfos(std::int32_t port, TSwitchInfos* infos) {
  return Run(TLib::Switch, "GetInfos", port, [infos](TPort& p, std::int64_t, TExchange& ex) {
    if (infos == nullptr)
      return benchstatus::BadArgument;
    if (!Holds(p, TLib::Switch))
      return linkstatus::PortNotOpen;
    if (!p.Switch)
      return benchstatus::NoAnswer;
    *infos = p.Switch->Infos();
    ex.Answer = "Range=" + std::to_string(infos->Range) +
                " SerialNr=" + std::to_string(infos->SerialNr) +
                " MainVersion=" + std::to_string(infos->MainVersion) +
                " SecondVersion=" + std::to_string(infos->SecondVersion) +
                " CompVersion=" + std::to_string(infos->CompVersion);
    return linkstatus::Ok;
  });
}

std::int32_t TBench::SwReReadConfig(std::int32_t port) {
  return Run(TLib::Switch, "ReReadConfig", port, [](TPort& p, std::int64_t now, TExchange&) {
    if (!Holds(p, TLib::Switch))
      return linkstatus::PortNotOpen;
    if (!p.Switch)
      return benchstatus::NoAnswer;
    return p.Switch->ReReadConfig(now);
  });
}

std::int32_t TBench::SwGetConf(std::int32_t port, TSwitchParams* params) {
  return Run(TLib::Switch, "GetConf", port, [params](TPort& p, std::int64_t, TExchange& ex) {
    if (params == nullptr)
      return benchstatus::BadArgument;
    if (!Holds(p, TLib::Switch))
      return linkstatus::PortNotOpen;
    if (!p.Switch)
      return benchstatus::NoAnswer;
    const std::int32_t status = p.Switch->GetConf(*params);
    if (status == 0)
      ex.Answer = ParamsText(*params);
    return status;
  });
}

std::int32_t TBench::SwSetConf(std::int32_t port, const TSwitchParams& params, std::int32_t code) {
  return Run(TLib::Switch, "SetConf", port,
             [this, &params, code](TPort& p, std::int64_t, TExchange& ex) {
               ex.Request = ParamsText(params) + " code=" + std::to_string(code);
               if (!Holds(p, TLib::Switch))
                 return linkstatus::PortNotOpen;
               if (!p.Switch)
                 return benchstatus::NoAnswer;
               const std::int32_t status = p.Switch->SetConf(params, code);
               if (status == 0)
                 Persist(p);
               return status;
             });
}

std::int32_t TBench::SwIsProtected(std::int32_t port, std::int32_t* isProtected) {
  return Run(TLib::Switch, "IsProtected", port,
             [isProtected](TPort& p, std::int64_t, TExchange& ex) {
               if (isProtected == nullptr)
                 return benchstatus::BadArgument;
               if (!Holds(p, TLib::Switch))
                 return linkstatus::PortNotOpen;
               if (!p.Switch)
                 return benchstatus::NoAnswer;
               *isProtected = p.Switch->IsProtected() ? 1 : 0;
               ex.Answer = "protected=" + std::to_string(*isProtected);
               return linkstatus::Ok;
             });
}

std::int32_t TBench::SwSetProtectCode(std::int32_t port, std::int32_t oldCode,
                                      std::int32_t newCode) {
  return Run(TLib::Switch, "SetProtectCode", port,
             [this, oldCode, newCode](TPort& p, std::int64_t, TExchange& ex) {
               ex.Request = "old=" + std::to_string(oldCode) + " new=" + std::to_string(newCode);
               if (!Holds(p, TLib::Switch))
                 return linkstatus::PortNotOpen;
               if (!p.Switch)
                 return benchstatus::NoAnswer;
               const std::int32_t status = p.Switch->SetProtectCode(oldCode, newCode);
               if (status == 0)
                 Persist(p);
               return status;
             });
}

std::int32_t TBench::SwZeroAdj(std::int32_t port, std::int32_t code) {
  return Run(TLib::Switch, "ZeroAdj", port, [this, code](TPort& p, std::int64_t, TExchange& ex) {
    ex.Request = "code=" + std::to_string(code);
    if (!Holds(p, TLib::Switch))
      return linkstatus::PortNotOpen;
    if (!p.Switch)
      return benchstatus::NoAnswer;
    const std::int32_t status = p.Switch->ZeroAdj(code);
    if (status == 0)
      Persist(p);
    return status;
  });
}

std::int32_t TBench::SwGetPressInst(std::int32_t port, float* pressure) {
  return Run(TLib::Switch, "GetPressInst", port,
             [pressure](TPort& p, std::int64_t now, TExchange& ex) {
               if (pressure == nullptr)
                 return benchstatus::BadArgument;
               if (!Holds(p, TLib::Switch))
                 return linkstatus::PortNotOpen;
               if (!p.Switch)
                 return swreading::NoSignal;
               const std::int32_t code = p.Switch->Pressure(now, *pressure);
               if (code == swreading::Valid)
                 ex.Answer = "p=" + RealText(*pressure);
               return code;
             });
}

std::int32_t TBench::SwGetPressPar(std::int32_t port, float* pressure, float hoseLength,
                                   float atmPress, float humidity, float gain) {
  return Run(TLib::Switch, "GetPressPar", port, [=](TPort& p, std::int64_t now, TExchange& ex) {
    ex.Request = "hose=" + RealText(hoseLength) + " atm=" + RealText(atmPress) +
                 " humidity=" + RealText(humidity) + " gain=" + RealText(gain);
    if (pressure == nullptr)
      return benchstatus::BadArgument;
    if (!Holds(p, TLib::Switch))
      return linkstatus::PortNotOpen;
    if (!p.Switch)
      return swreading::NoSignal;
    const std::int32_t code =
        p.Switch->PressurePar(now, *pressure, hoseLength, atmPress, humidity, gain);
    if (code == swreading::Valid)
      ex.Answer = "p=" + RealText(*pressure);
    return code;
  });
}

std::int32_t TBench::SwGetIConst(std::int32_t* value, std::int32_t id) {
  std::lock_guard<std::mutex> lock(mutex_);
  EnsureLoaded();
  std::int32_t status = benchstatus::BadArgument;
  TExchange ex{"id=" + std::to_string(id), {}};
  std::int32_t v = 0;
  if (value != nullptr && TSwitchInstrument::IConst(id, v)) {
    *value = v;
    ex.Answer = std::to_string(v);
    status = linkstatus::Ok;
  }
  ++exchanges_;
  TraceLine(TLib::Switch, 0, "GetIConst", ex, status);
  return status;
}

std::int32_t TBench::SwGetFConst(float* value, std::int32_t id) {
  std::lock_guard<std::mutex> lock(mutex_);
  EnsureLoaded();
  std::int32_t status = benchstatus::BadArgument;
  TExchange ex{"id=" + std::to_string(id), {}};
  float v = 0;
  if (value != nullptr && TSwitchInstrument::FConst(id, v)) {
    *value = v;
    ex.Answer = RealText(v);
    status = linkstatus::Ok;
  }
  ++exchanges_;
  TraceLine(TLib::Switch, 0, "GetFConst", ex, status);
  return status;
}

// ---- Set-up, state and messages ----

void TBench::Message(const std::string& text) {
  messages_.push_back(text);
  std::fprintf(stderr, "DBench: %s\n", text.c_str());
  // The first message of a set-up replaces what the log held before.
  if (!logFile_.empty())
    AppendTextFile(logFile_, text + "\n", !logStarted_);
  logStarted_ = true;
}

void TBench::EnsureLoaded() {
  if (loaded_)
    return;
  std::string file = Env(EnvBenchFile);
  if (file.empty()) {
    const std::filesystem::path beside = std::filesystem::path(ProgramFolder()) / BenchFileName;
    std::error_code ec;
    if (std::filesystem::exists(beside, ec))
      file = beside.string();
  }
  LoadLocked(file, std::string());
  OpenTrace(Env(EnvTraceFile));
}

void TBench::LoadLocked(const std::string& file, const std::string& stateFolder) {
  loaded_ = true;
  messages_.clear();
  stateWriteReported_ = false;
  stateUnusable_ = false;
  threadFaults_ = 0;
  clock_.Reset();
  std::vector<std::string> problems;
  TBenchSetup setup;
  std::string text;
  // The bench's own files go beside the bench file, unless it is no file at all (a device, a
  // folder): then, as for the built-in bench, beside the program.
  bool besideFile = !file.empty();
  if (file.empty()) {
    setup = ParseBenchSetup(DefaultBenchText(), "", problems);
  } else if (const TReadResult read = ReadTextFile(file, text); read == TReadResult::Ok) {
    setup = ParseBenchSetup(text, file, problems);
  } else {
    besideFile = read != TReadResult::NotAFile;
    problems.push_back("Bench file \"" + file + "\" cannot be read (" + ReadProblemText(read) +
                       "): the bench has no instruments connected.");
  }
  const std::filesystem::path benchFolder =
      besideFile ? std::filesystem::path(file).parent_path() : std::filesystem::path();

  std::string folder = stateFolder;
  if (folder.empty())
    folder = Env(EnvStateFolder);
  if (folder.empty())
    // Beside the bench file; the built-in bench keeps its state beside the settings file: the
    // program's folder, or the user's configuration folder for an installed program.
    folder = besideFile ? benchFolder.string() : DataFolderFor(ProgramFolder());
  if (folder.empty())
    folder = ".";
  stateFile_ = (std::filesystem::path(folder) / StateFileName).string();

  logFile_ = ((besideFile ? benchFolder : std::filesystem::path(folder)) / LogFileName).string();
  logStarted_ = false;
  std::error_code ec;
  if (std::filesystem::is_regular_file(logFile_, ec))
    std::filesystem::remove(logFile_, ec);
  for (const std::string& p : problems)
    Message(p);

  state_ = TIniDoc{};
  if (const TReadResult read = ReadTextFile(stateFile_, text); read == TReadResult::Ok) {
    std::vector<TIniProblem> stateProblems;
    state_ = ParseIni(text, stateProblems);
    for (const TIniProblem& p : stateProblems)
      Message("State file \"" + stateFile_ + "\", line " + std::to_string(p.Line) + ", key \"" +
              Printable(p.Key, 40) + "\": " + Printable(p.Text, 200) + " (ignored)");
  } else if (read != TReadResult::Missing) {
    // Kept as it is: the instruments start from their factory configuration this time.
    stateUnusable_ = true;
    Message("State file \"" + stateFile_ + "\" cannot be read (" + ReadProblemText(read) +
            "): the instruments start as from the factory and store nothing.");
  }

  for (int i = 0; i < PortCount; ++i) {
    TPort& p = ports_[static_cast<std::size_t>(i)];
    p = TPort{};
    TDevice device = MakeDevice(setup.Ports[static_cast<std::size_t>(i)], i);
    p.Setup = std::move(device.Setup);
    p.Analog = std::move(device.Analog);
    p.Switch = std::move(device.Switch);
    p.StateKey = std::move(device.StateKey);
  }
}

TBench::TDevice TBench::MakeDevice(const TPortSetup& setup, int portIndex) const {
  TDevice d;
  d.Setup = setup;
  if (!setup.Connected())
    return d;
  d.StateKey = StateKeyOf(setup, portIndex);
  // A stored state made for other factory settings belongs to another instrument.
  const TIniSection* stored = state_.Find(d.StateKey);
  if (stored != nullptr && stored->Get("Stamp") != setup.FactoryStamp)
    stored = nullptr;
  if (setup.IsSwitch()) {
    d.Switch = std::make_unique<TSwitchInstrument>(setup);
    if (stored != nullptr)
      d.Switch->Load(*stored);
  } else {
    d.Analog = std::make_unique<TAnalogInstrument>(setup);
    if (stored != nullptr)
      d.Analog->Load(*stored);
  }
  return d;
}

TBench::TDevice TBench::TakeDevice(TPort& p) {
  TDevice d{p.Setup, std::move(p.Analog), std::move(p.Switch), std::move(p.StateKey)};
  p.Analog.reset();
  p.Switch.reset();
  p.StateKey.clear();
  return d;
}

void TBench::PutDevice(TPort& p, TDevice device, std::int64_t now) {
  // The port keeps what belongs to it.
  TPortSetup setup = std::move(device.Setup);
  setup.Available = p.Setup.Available;
  setup.LatencyMs = p.Setup.LatencyMs;
  setup.Faults.SetLineFaults(p.Setup.Faults);
  p.Setup = std::move(setup);
  p.Analog = std::move(device.Analog);
  p.Switch = std::move(device.Switch);
  p.StateKey = std::move(device.StateKey);
  p.ErrorEvents = 0;
  p.NotedDisplay.clear();
  p.NotedOutput.clear();
  TInstrument* inst = p.Inst();
  if (inst == nullptr)
    return;
  inst->SetLineFaults(p.Setup.Faults);
  if (p.Switch)
    p.Switch->SetFilter(p.SwFilter);
  // An instrument plugged into an open port is switched on; one that was unplugged has run on.
  if (p.Owner != TPort::TOwner::None && !inst->Powered())
    inst->PowerUp(now);
  Sync(p, now);
  p.RecordsDelivered = p.RecordsReported = inst->RecordCount();
  p.ErrorEvents = 0;
}

std::int32_t TBench::Load(const std::string& file, const std::string& stateFolder) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (thread_.joinable() && thread_.get_id() == std::this_thread::get_id())
      return -1; // not from within a callback
  }
  StopThread();
  std::lock_guard<std::mutex> lock(mutex_);
  const bool wasLoaded = loaded_;
  LoadLocked(file, stateFolder);
  if (!wasLoaded)
    OpenTrace(Env(EnvTraceFile));
  return static_cast<std::int32_t>(messages_.size());
}

std::string TBench::Messages() {
  std::lock_guard<std::mutex> lock(mutex_);
  EnsureLoaded();
  std::string all;
  for (const std::string& m : messages_)
    all += m + "\n";
  return all;
}

// ---- Trace ----

void TBench::OpenTrace(const std::string& path) {
  if (trace_ != nullptr) {
    std::fclose(trace_);
    trace_ = nullptr;
  }
  // A new trace notes the instruments' state afresh.
  for (TPort& p : ports_) {
    p.NotedDisplay.clear();
    p.NotedOutput.clear();
  }
  if (path.empty())
    return;
  // Lines end in "\n" on every system, as the tools that read the trace expect.
  trace_ = std::fopen(path.c_str(), "ab");
  if (trace_ == nullptr) {
    Message("Trace file \"" + path + "\" cannot be written: no trace.");
    return;
  }
  std::fprintf(trace_, "# time_ms\tlibrary\tport\tfunction\trequest\tanswer\tstatus\n");
  std::fflush(trace_);
}

void TBench::TraceLine(TLib lib, std::int32_t port, const char* function, const TExchange& ex,
                       std::int32_t status) {
  if (trace_ == nullptr)
    return;
  const std::string portText = port == 0 ? std::string("-") : "COM" + std::to_string(port);
  std::fprintf(trace_, "%s\t%s\t%s\t%s\t%s\t%s\t%s\n", std::to_string(clock_.Now()).c_str(),
               LibName(lib), portText.c_str(), function, ex.Request.c_str(), ex.Answer.c_str(),
               std::to_string(status).c_str());
  std::fflush(trace_);
}

void TBench::NoteLine(std::int32_t port, const std::string& text) {
  if (trace_ == nullptr)
    return;
  std::fprintf(trace_, "# %s\tCOM%d\t%s\n", std::to_string(clock_.Now()).c_str(),
               static_cast<int>(port), text.c_str());
  std::fflush(trace_);
}

void TBench::Observe(TPort& p, std::int32_t port, std::int64_t now) {
  if (trace_ == nullptr || !p.Analog || !p.Analog->Powered())
    return;
  const std::string display = p.Analog->DisplayState();
  if (display != p.NotedDisplay) {
    p.NotedDisplay = display;
    NoteLine(port, "display: " + display);
  }
  std::string signal;
  const std::string output = p.Analog->OutputState(now, signal);
  if (output != p.NotedOutput) {
    p.NotedOutput = output;
    NoteLine(port, "output: " + output + "; signal " + signal);
  }
}

std::int32_t TBench::SetTrace(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  EnsureLoaded();
  OpenTrace(path);
  return path.empty() || trace_ != nullptr ? 0 : benchstatus::BadArgument;
}

std::int64_t TBench::ExchangeCount() {
  std::lock_guard<std::mutex> lock(mutex_);
  return exchanges_;
}

// ---- Control ----

std::int32_t TBench::SetManualClock(bool manual) {
  std::lock_guard<std::mutex> lock(mutex_);
  EnsureLoaded();
  clock_.SetManual(manual);
  return 0;
}

std::int32_t TBench::AdvanceTime(std::int64_t ms) {
  if (ms < 0)
    return benchstatus::BadArgument;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    EnsureLoaded();
    clock_.Advance(ms);
    // What the instruments do in that time (a "Z" model storing its zero) is done when the call
    // returns, not when the bench's thread next wakes.
    for (TPort& p : ports_)
      Sync(p, clock_.Now());
  }
  wake_.notify_all();
  return 0;
}

std::int32_t TBench::SetPressure(std::int32_t port, double pa) {
  std::lock_guard<std::mutex> lock(mutex_);
  EnsureLoaded();
  if (port < FirstComPort || port > LastComPort)
    return linkstatus::PortOutOfRange;
  TInstrument* inst = ports_[static_cast<std::size_t>(port - 1)].Inst();
  if (inst == nullptr || !std::isfinite(pa))
    return benchstatus::BadArgument;
  inst->SetPressure(pa);
  return 0;
}

std::int32_t TBench::GetOutput(std::int32_t port, double* signal, std::int32_t* mode) {
  std::lock_guard<std::mutex> lock(mutex_);
  EnsureLoaded();
  if (port < FirstComPort || port > LastComPort)
    return linkstatus::PortOutOfRange;
  TPort& p = ports_[static_cast<std::size_t>(port - 1)];
  if (signal == nullptr || mode == nullptr || !p.Analog)
    return benchstatus::BadArgument;
  const std::int64_t now = clock_.Now();
  Sync(p, now);
  TOutputMode m = TOutputMode::Measuring;
  if (!p.Analog->Output(now, *signal, m))
    return benchstatus::BadArgument;
  *mode = static_cast<std::int32_t>(m);
  return 0;
}

std::int32_t TBench::GetDisplay(std::int32_t port, std::string& text, std::int32_t* contrast) {
  std::lock_guard<std::mutex> lock(mutex_);
  EnsureLoaded();
  if (port < FirstComPort || port > LastComPort)
    return linkstatus::PortOutOfRange;
  TPort& p = ports_[static_cast<std::size_t>(port - 1)];
  if (contrast == nullptr || !p.Analog)
    return benchstatus::BadArgument;
  const std::int64_t now = clock_.Now();
  Sync(p, now);
  int c = 0;
  if (!p.Analog->Display(now, text, c))
    return benchstatus::BadArgument;
  *contrast = c;
  return 0;
}

std::int32_t TBench::RaiseError(std::int32_t port, std::int32_t errNr) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    EnsureLoaded();
    if (port < FirstComPort || port > LastComPort)
      return linkstatus::PortOutOfRange;
    TPort& p = ports_[static_cast<std::size_t>(port - 1)];
    if (!p.Analog || !p.Analog->Powered() || errNr < 0 || errNr > 0xFFFF)
      return benchstatus::BadArgument;
    const std::int64_t now = clock_.Now();
    Sync(p, now);
    p.Analog->RaiseError(static_cast<std::uint16_t>(errNr), now);
    Sync(p, now);
    Observe(p, port, now);
  }
  wake_.notify_all();
  return 0;
}

std::int32_t TBench::PowerCycle(std::int32_t port) {
  std::lock_guard<std::mutex> lock(mutex_);
  EnsureLoaded();
  if (port < FirstComPort || port > LastComPort)
    return linkstatus::PortOutOfRange;
  TPort& p = ports_[static_cast<std::size_t>(port - 1)];
  TInstrument* inst = p.Inst();
  if (inst == nullptr)
    return benchstatus::BadArgument;
  const std::int64_t now = clock_.Now();
  inst->PowerUp(now);
  p.RecordsDelivered = p.RecordsReported = inst->RecordCount();
  p.ErrorEvents = 0;
  Observe(p, port, now);
  return 0;
}

std::int32_t TBench::SetFault(std::int32_t port, const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  EnsureLoaded();
  if (port < FirstComPort || port > LastComPort)
    return linkstatus::PortOutOfRange;
  TPort& p = ports_[static_cast<std::size_t>(port - 1)];
  std::vector<std::string> problems;
  TFaults faults;
  if (!ParseLineFaults(text, "BenchSetFault COM" + std::to_string(port), faults, problems)) {
    for (const std::string& m : problems)
      Message(m);
    return benchstatus::BadArgument;
  }
  const std::int64_t now = clock_.Now();
  Sync(p, now);
  p.Setup.Faults.SetLineFaults(faults);
  if (TInstrument* inst = p.Inst())
    inst->SetLineFaults(faults);
  // Uses count from now on.
  p.CommandUses.clear();
  p.FunctionUses.clear();
  const std::string set = p.Setup.Faults.LineFaultsText();
  NoteLine(port, "faults: " + (set.empty() ? std::string("none") : set));
  Observe(p, port, now);
  return 0;
}

std::int32_t TBench::Plug(std::int32_t port, const std::string& text) {
  std::lock_guard<std::mutex> lock(mutex_);
  EnsureLoaded();
  if (port < FirstComPort || port > LastComPort)
    return linkstatus::PortOutOfRange;
  TPort& p = ports_[static_cast<std::size_t>(port - 1)];
  if (!p.Setup.Available)
    return benchstatus::BadArgument;
  TDevice next;
  if (text.empty()) {
    if (!p.Original)
      return 0; // the bench file's instrument is plugged in
    next = std::move(*p.Original);
    p.Original.reset();
  } else {
    std::vector<std::string> problems;
    TPortSetup setup;
    if (!ParseInstrument(text, port - 1, "BenchPlug COM" + std::to_string(port), setup, problems)) {
      for (const std::string& m : problems)
        Message(m);
      return benchstatus::BadArgument;
    }
    next = MakeDevice(setup, port - 1);
  }
  const std::int64_t now = clock_.Now();
  Sync(p, now);
  TDevice unplugged = TakeDevice(p);
  // The bench file's instrument waits, running on, until it is plugged in again; another one
  // is gone once unplugged.
  if (!text.empty() && !p.Original)
    p.Original = std::move(unplugged);
  PutDevice(p, std::move(next), now);
  std::string what = "nothing";
  if (p.Setup.Connected())
    what = std::string(TypeName(p.Setup.Type)) + " " +
           (p.Setup.SerialNr == 0xFFFFFFFF ? std::string("without serial")
                                           : std::to_string(p.Setup.SerialNr));
  NoteLine(port, "plugged in: " + what + (p.Original ? "" : " (the bench file's)"));
  Observe(p, port, now);
  return 0;
}

// ---- The thread that delivers records and errors ----

void TBench::StartThread() {
  if (thread_.joinable())
    return;
  stop_ = false;
  threadLeft_ = false;
  thread_ = std::thread([this] { ThreadMain(); });
}

void TBench::StopThread(bool unloading) {
  std::thread t;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
    t = std::move(thread_);
  }
  wake_.notify_all();
  if (!t.joinable())
    return;
  if (t.get_id() == std::this_thread::get_id()) {
    // Only the unloading of the library from within a callback comes here (BenchLoad is
    // refused there): the thread cannot wait for itself.
    t.detach();
    return;
  }
#ifdef _WIN32
  if (unloading) {
    // At the unloading of the library a join would wait for the loader forever: wait until
    // the thread has left the bench's code; only its end in the runtime remains.
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait(lock, [this] { return threadLeft_; });
    t.detach();
    return;
  }
#else
  (void)unloading;
#endif
  t.join();
}

void TBench::ThreadMain() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stop_) {
    std::string fault;
    try {
      ThreadTurn(lock);
    } catch (const std::exception& e) {
      fault = e.what();
    } catch (...) {
      fault = "an exception of unknown type";
    }
    if (!lock.owns_lock())
      lock.lock();
    if (fault.empty())
      continue;
    // A callback of the program or the bench itself failed: the thread reports it and goes
    // on delivering; a fault that repeats is not reported without end.
    constexpr int MaxReported = 10;
    if (++threadFaults_ <= MaxReported)
      Message("The bench's thread caught an exception and goes on: " + Printable(fault, 200) +
              (threadFaults_ == MaxReported ? " (further ones are not reported)" : ""));
    wake_.wait_for(lock, std::chrono::milliseconds(50));
  }
  threadLeft_ = true;
  wake_.notify_all();
}

void TBench::ThreadTurn(std::unique_lock<std::mutex>& lock) {
  struct TRecCall {
    TRecEventProc* Proc;
    std::int32_t Port;
  };
  struct TErrCall {
    TErrEventProc* Proc;
    std::int32_t Port;
  };
  const std::int64_t now = clock_.Now();
  std::vector<TRecCall> records;
  std::vector<TErrCall> errors;
  std::int64_t next = Never;
  for (std::size_t i = 0; i < ports_.size(); ++i) {
    TPort& p = ports_[i];
    TInstrument* inst = p.Inst();
    if (inst == nullptr || !inst->Powered())
      continue;
    Sync(p, now);
    const auto port = static_cast<std::int32_t>(i + 1);
    Observe(p, port, now);
    if (inst->RecordCount() > p.RecordsDelivered) {
      p.RecordsDelivered = inst->RecordCount();
      TRecEventProc* proc = Holds(p, TLib::Analog)   ? p.AnRec
                            : Holds(p, TLib::Switch) ? p.SwRec
                                                     : nullptr;
      if (proc != nullptr)
        records.push_back({proc, port});
    }
    // One error event at a time; while nobody takes it (the callback is suspended while
    // it reports the one before) it waits.
    if (p.ErrorEvents > 0 && Holds(p, TLib::Analog) && p.AnErr != nullptr) {
      --p.ErrorEvents;
      errors.push_back({p.AnErr, port});
    }
    next = std::min(next, inst->NextEventAt());
  }
  if (!records.empty() || !errors.empty()) {
    // Callbacks run without the lock: they may call the libraries again. Whoever closes a
    // port or replaces a callback meanwhile waits until they have returned.
    struct TDelivery {
      TBench& bench;
      std::unique_lock<std::mutex>& lock;
      ~TDelivery() {
        if (!lock.owns_lock())
          lock.lock();
        bench.delivering_ = false;
        ++bench.deliveries_;
        bench.delivered_.notify_all();
      }
    } delivery{*this, lock};
    delivering_ = true;
    lock.unlock();
    for (const TErrCall& c : errors)
      c.Proc(c.Port);
    for (const TRecCall& c : records)
      c.Proc(c.Port);
    return;
  }
  std::int64_t waitMs = 200;
  if (next != Never)
    waitMs = std::clamp<std::int64_t>(next - now, 1, 200);
  wake_.wait_for(lock, std::chrono::milliseconds(waitMs));
}

} // namespace dtool::bench
