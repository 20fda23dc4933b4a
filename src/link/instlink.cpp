#include "link/instlink.h"

#include <algorithm>
#include <atomic>
#include <utility>

#include "link/dispatcher.h"
#include "link/linkformat.h"
#include "tools/operatorport.h"

namespace dtool {

namespace {
// Most records ErrEventProc reads for one event, should a library never run out of errors.
constexpr int MaxErrorSteps = 64;
} // namespace

namespace {
// The link whose handlers receive the callbacks: the one made last.
std::atomic<TInstLink*> handlerOwner{nullptr};
} // namespace

struct TInstLink::TOwnedLibs {
  TAnalogLink Analog;
  TSwitchLink Switch;
};

TInstLink::TInstLink(TSettings& sett, ILinkOwner& owner, const TAnalogLinkApi& analog,
                     const TSwitchLinkApi& sw)
    : sett_(sett), owner_(owner), an_(analog), sw_(sw) {
  handlerOwner = this;
  SetLinkRecEventHandler([this](std::int32_t unused) { RecEventProc(unused); });
  SetLinkErrEventHandler([this](std::int32_t port) { ErrEventProc(port); });
}

TInstLink::TInstLink(TSettings& sett, ILinkOwner& owner, std::unique_ptr<TOwnedLibs> libs)
    : TInstLink(sett, owner, libs->Analog.Functions(), libs->Switch.Functions()) {
  libs_ = std::move(libs);
}

std::unique_ptr<TInstLink> TInstLink::Load(TSettings& sett, ILinkOwner& owner,
                                           const std::string& folder, TLinkLoadError& err) {
  auto libs = std::make_unique<TOwnedLibs>();
  if (!libs->Analog.Load(folder, err) || !libs->Switch.Load(folder, err))
    return nullptr;
  return std::unique_ptr<TInstLink>(new TInstLink(sett, owner, std::move(libs)));
}

TInstLink::~TInstLink() {
  TInstLink* self = this;
  if (handlerOwner.compare_exchange_strong(self, nullptr)) {
    SetLinkRecEventHandler(nullptr);
    SetLinkErrEventHandler(nullptr);
  }
}

std::int32_t TInstLink::Port() const {
  return owner_.Prefs().ComPort;
}

std::int32_t TInstLink::OpenSwitchKommunikation(std::int32_t port) {
  std::int32_t status = linkstatus::Ok;
  if (sw_.IsComXOpen(port) == 0)
    status = sw_.OpenComOnly(port);
  if (LinkOk(status)) {
    sw_.SetRecEventProc(port, LinkRecEventProc);
    // The filter length is kept within the library's bounds (LimitMovAverFilt): a refusal
    // fails the opening.
    const std::int32_t filter = sw_.SetMovAverFilt(port, owner_.Prefs().MovAverFilt);
    if (!LinkOk(filter))
      status = filter;
  }
  SetPortState(port, LinkOk(status) ? TPortState::Switch : TPortState::Unavailable);
  return status;
}

std::int32_t TInstLink::OpenAnKommunikation(std::int32_t port) {
  std::int32_t status = an_.OpenCom(port);
  if (LinkOk(status))
    status = an_.SetRecEventProc(port, LinkRecEventProc);
  if (LinkOk(status))
    status = an_.SetErrEventProc(port, LinkErrEventProc);
  SetPortState(port, LinkOk(status) ? TPortState::Analog : TPortState::Unavailable);
  return status;
}

void TInstLink::CloseAllPorts() {
  for (std::int32_t port = FirstComPort; port <= CloseAllPortsBound; ++port)
    if (an_.CloseCom(port) == linkstatus::PortOutOfRange)
      break;
  for (std::int32_t port = FirstComPort; port <= CloseAllPortsBound; ++port)
    if (sw_.CloseCom(port) == linkstatus::PortOutOfRange)
      break;
  SetPortState(statePort_, TPortState::Closed);
}

void TInstLink::SetPortState(std::int32_t port, TPortState state) {
  if (port == statePort_ && state == portState_)
    return;
  statePort_ = port;
  portState_ = state;
  owner_.LinkStateChanged();
}

bool TInstLink::IsCommOpen(std::int32_t port) {
  // A library answers a port beyond its range with an error other than "not open".
  if (port < FirstComPort || port > LastComPort)
    return false;
  if (IsAnalogFamily(sett_.InstType())) {
    TErrRec rec{};
    return an_.GetLastError(port, &rec) != linkstatus::PortNotOpen;
  }
  std::int32_t isProtected = 0;
  return sw_.IsProtected(port, &isProtected) != linkstatus::PortNotOpen;
}

bool TInstLink::OpenPort(std::int32_t port) {
  TWaitCursor wait;
  CloseAllPorts();
  if (IsAnalogFamily(sett_.InstType())) {
    sw_.CloseCom(port);
    return OpenAnKommunikation(port) == linkstatus::Ok;
  }
  an_.CloseCom(port);
  return OpenSwitchKommunikation(port) == linkstatus::Ok;
}

bool TInstLink::OpenCommunication(bool fromPreferences, std::int32_t port) {
  if (!fromPreferences)
    port = Port();
  const bool ok = OpenPort(port);
  if (!ok) {
    InfoBox(LinkFormat("COMPORT %d could not be opened! \rSelect an other COMPORT! ",
                       static_cast<int>(port)));
    // The preferences stay as they were, and so does the port the link works on.
    if (fromPreferences)
      OpenPort(Port());
    const bool accepted = fromPreferences ? false : owner_.ShowPreferencesForPort();
    if (!accepted && !fromPreferences) {
      ErrorBox("As COMPORT could not be opened, the program will closed! ");
      owner_.TerminateApplication();
    }
  }
  return ok;
}

std::int32_t TInstLink::MovAverBounds(std::int32_t& shortest, std::int32_t& longest) {
  std::int32_t lo = 0;
  std::int32_t hi = 0;
  std::int32_t status = sw_.GetIConst(&lo, swiconst::I_MAVR_MIN);
  if (LinkOk(status))
    status = sw_.GetIConst(&hi, swiconst::I_MAVR_MAX);
  if (!LinkOk(status))
    return status;
  if (hi < lo || std::int64_t{hi} - lo >= MaxMovAverLengths)
    return StatusUnusable;
  shortest = lo;
  longest = hi;
  return linkstatus::Ok;
}

void TInstLink::LimitMovAverFilt() {
  std::int32_t shortest = 0;
  std::int32_t longest = 0;
  if (MovAverBounds(shortest, longest) != linkstatus::Ok)
    return;
  std::int32_t& filter = owner_.Prefs().MovAverFilt;
  filter = std::clamp(filter, shortest, longest);
}

std::uint8_t TInstLink::DetectAnInst(std::int32_t& status) {
  TWaitCursor wait;
  const std::int32_t port = Port();
  sw_.CloseCom(port);
  status = OpenAnKommunikation(port);
  std::int32_t code = 0;
  if (status == linkstatus::Ok)
    status = an_.GetInstType(port, &code);
  TransRec identify = MakeTransRec(0xF001);
  if (status == linkstatus::Ok && CodeNeedsIdentify(code))
    status = an_.TransCmd(port, &identify);
  if (status != linkstatus::Ok)
    return 0;
  // The answer of an identify command the instrument refused has no output bits to trust: they
  // alone tell a model with analog output from its relay twin.
  const bool identified = !CodeNeedsIdentify(code) || identify.CC == anscc::Done;
  const auto type = identified ? InstTypeOfCode(code, identify.BBAA) : std::nullopt;
  if (!type) {
    status = StatusUnusable;
    return 0;
  }
  return *type;
}

std::uint8_t TInstLink::DetectSwitchInst(std::int32_t& status) {
  TWaitCursor wait;
  const std::int32_t port = Port();
  an_.CloseCom(port);
  status = OpenSwitchKommunikation(port);
  std::int32_t connected = 0;
  if (status == linkstatus::Ok)
    status = sw_.IsDSwitchConn(port, &connected);
  return (status == linkstatus::Ok && connected != 0) ? 9 : 0;
}

std::uint8_t TInstLink::DetectAnyInst(std::int32_t& status) {
  status = linkstatus::Ok;
  const bool analogFirst = IsAnalogFamily(sett_.InstType());
  std::uint8_t type = analogFirst ? DetectAnInst(status) : DetectSwitchInst(status);
  if (type == 0 && status == linkstatus::Ok)
    type = analogFirst ? DetectSwitchInst(status) : DetectAnInst(status);
  return type;
}

void TInstLink::RecEventProc(std::int32_t) {
  owner_.ShowLiveReading();
}

void TInstLink::ErrEventProc(std::int32_t port) {
  // An error box runs an event loop, which delivers the error events that come meanwhile.
  // They are only noted here: the call that shows the box reads the port again once the box
  // is closed, so each error shows once, one box after the other.
  if (std::find(errorPorts_.begin(), errorPorts_.end(), port) == errorPorts_.end())
    errorPorts_.push_back(port);
  if (showingErrors_)
    return;
  struct TShowing {
    TInstLink& link;
    explicit TShowing(TInstLink& l) : link(l) { link.showingErrors_ = true; }
    ~TShowing() {
      link.showingErrors_ = false;
      link.errorPorts_.clear();
    }
  } showing(*this);
  while (!errorPorts_.empty()) {
    ShowInstrumentErrors(errorPorts_.front());
    errorPorts_.erase(errorPorts_.begin());
  }
}

void TInstLink::ShowInstrumentErrors(std::int32_t port) {
  // A library keeps either the last error only (a new one replaces it; clearing takes it) or
  // each error in turn (reading gives the oldest; clearing takes that one). Either way the
  // record is read again after each box: an error not shown yet gets its box, the one just
  // shown is cleared, and the next one is read.
  TErrRec shown{};
  bool any = false;
  for (int step = 0; step < MaxErrorSteps; ++step) {
    TErrRec rec{};
    if (an_.GetLastError(port, &rec) != linkstatus::Ok)
      return;
    if (rec.Kind != ErrKindInstrument) {
      // Nothing more to show; a record of another kind is cleared unseen.
      if (!any)
        an_.ClrErrors(port);
      return;
    }
    if (any && rec.ErrNr == shown.ErrNr) {
      an_.ClrErrors(port);
      continue;
    }
    const int cls = sett_.GetInstClass();
    const unsigned nr = rec.ErrNr;
    const std::string number = (cls == ClassStatic || cls == ClassStaticZ)
                                   ? LinkFormat("0x%4.4x", nr)
                                   : LinkFormat("#%4.4u", nr);
    ErrorBox(LinkFormat("*** INSTRUMENT ERROR ***\r\rThe error %s has been occurred on the "
                        "instrument!\rThe instrument tries a new start-up now. If the problem "
                        "doesn't disappear, please contact your Meltrane representative and "
                        "tell him the error number!",
                        number.c_str()));
    shown = rec;
    any = true;
  }
  an_.ClrErrors(port);
}

} // namespace dtool
