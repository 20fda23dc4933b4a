// The zero calibration of the connected instrument: B2FF and B10C for the analog family, with
// the "Z" models polled until their zero is done, and ZeroAdj under the protection code for
// the switch.
#include "link/linkformat.h"
#include "session/session.h"
#include "tools/fatal.h"
#include "tools/operatorport.h"

namespace dtool {

namespace {

// The "Z" models stay busy with their zero for a while; the calibration gives up after this.
constexpr std::uint32_t ZeroBusyLimitMs = 6000;
// Pause between two polls of a busy "Z" model.
constexpr int ZeroPollPauseMs = 100;

const char* const ZeroDoneText = "Zero calibration was successful! ";

bool IsZModel(int type) {
  return type >= 5 && type <= 8;
}

} // namespace

TOutcome TSession::CalibrateZero() {
  if (!link_)
    return TOutcome::NoLink;
  const TOutcome read = ReadFirst();
  if (read != TOutcome::Done)
    return read;
  std::string question;
  switch (sett_->GetInstClass()) {
  case ClassSwitch:
  case ClassTransmitter:
  case ClassStatic:
    question = "Would you carry out the zero calibration? \r\rTo balance the sensor, short "
               "circuit both sensor-nozzles and click [Yes]";
    break;
  case ClassStaticZ:
    question = "Would you carry out the zero calibration? ";
    break;
  default:
    FatalStop("TMainForm.ActZeroCalibrationExecute: sett.GetInstClass unknown! ");
  }
  const bool yes = QuestionBox(question, false);
  // The instrument is checked whatever the answer.
  if (!CheckInstrument(TShow::Messages))
    return TOutcome::NoInstrument;
  if (!yes)
    return TOutcome::Declined;
  return IsAnalogFamily(sett_->InstType()) ? CalibrateAnalogZero() : CalibrateSwitchZero();
}

TOutcome TSession::CalibrateAnalogZero() {
  TOutcome outcome = TOutcome::Failed;
  view_.InstrumentBusy();
  if (link_->InstrumentReady())
    outcome = CheckProtCode(TPrompt::WhenRefused, WrongProtCodeText);
  bool ok = outcome == TOutcome::Done;
  if (ok) {
    TransRec start = MakeTransRec(0xB2FF);
    ok = link_->ExecCmd(start, true);
  }
  if (ok)
    ok = link_->SendB10C(true);
  view_.InstrumentBusy();
  if (ok && IsZModel(sett_->InstType())) {
    // The "Z" models answer the seconds they are still busy, then 0.
    Tstoppuhr watch(clock_.Ticks);
    watch.Start();
    TransRec state{};
    do {
      if (state.BBAA != 0) {
        view_.ZeroCalWaiting(static_cast<int>(watch.Elapsed()), int(ZeroBusyLimitMs));
        clock_.Pause(ZeroPollPauseMs);
      }
      state = MakeTransRec(0xA2FF);
      ok = link_->ExecCmd(state, true);
      view_.InstrumentBusy();
      if (watch.Elapsed() > ZeroBusyLimitMs)
        ok = false;
    } while (state.BBAA != 0 && ok);
    // Before the message, so the view no longer shows the wait behind it.
    view_.ZeroCalWaitEnded();
  }
  if (ok) {
    InfoBox(ZeroDoneText);
    return TOutcome::Done;
  }
  ErrorBox("Zero calibration has failed! ");
  return outcome == TOutcome::Done ? TOutcome::Failed : outcome;
}

TOutcome TSession::CalibrateSwitchZero() {
  std::int32_t status = 0;
  int tries = 0;
  while (SwitchProtPrompt(status, tries)) {
    if (LinkOk(status)) {
      TWaitCursor wait;
      status = link_->Switch().ZeroAdj(link_->Port(), protCode_);
    }
  }
  if (LinkOk(status))
    InfoBox(ZeroDoneText);
  else if (status != swstatus::Protected)
    ErrorBox(SwitchLinkError(status));
  return SwitchOutcome(status, tries);
}

} // namespace dtool
