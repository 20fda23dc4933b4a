// The session's making and ending, its outcome words, and its answers to what the settings
// object and the link ask of their owner.
#include "session/session.h"

#include <chrono>
#include <filesystem>
#include <thread>
#include <utility>

#include "tools/progtools.h"

namespace dtool {

std::string OutcomeText(TOutcome outcome) {
  switch (outcome) {
  case TOutcome::Done:
    return "done";
  case TOutcome::Declined:
    return "declined by the operator";
  case TOutcome::NoInstrument:
    return "no instrument of the current class connected";
  case TOutcome::PortUnavailable:
    return "the COM port cannot be opened";
  case TOutcome::WrongCode:
    return "wrong protection code";
  case TOutcome::Locked:
    return "instrument locked after wrong protection codes";
  case TOutcome::WrongInstrument:
    return "another instrument is connected";
  case TOutcome::Failed:
    return "the instrument or its link refused the operation";
  case TOutcome::Unusable:
    return "the instrument answered values the tool cannot use";
  case TOutcome::NoLink:
    return "the link libraries are not loaded";
  }
  return "unknown outcome";
}

TSession::TSession(ISessionView& view, TSessionSetup setup)
    : view_(view), owner_(*this), clock_(std::move(setup.Clock)),
      recordUsable_(std::move(setup.RecordUsable)), logFile_(std::move(setup.LogFile)),
      sett_(std::make_unique<TSettings>(&owner_)) {
  if (!clock_.Ticks)
    clock_.Ticks = TickCount;
  if (!clock_.Pause)
    clock_.Pause = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
  if (logFile_.empty())
    logFile_ = (std::filesystem::path(GetProgPfad()) / LogFileBaseName).string();
  if (setup.LoadLink)
    link_ = setup.LoadLink(*sett_, owner_, loadError_);
  else
    link_ = TInstLink::Load(*sett_, owner_, std::string(), loadError_);
}

TSession::~TSession() {
  if (link_)
    link_->CloseAllPorts();
  link_.reset();
}

ISettingsOwner& TSession::SettingsOwner() {
  return owner_;
}

// ---- The owner's answers ----

TPreferences& TSession::TOwner::Prefs() {
  return s_.prefs_;
}

void TSession::TOwner::WriteSetToField_() {
  s_.view_.ConfigurationChanged();
}

void TSession::TOwner::RefreshButtons() {
  s_.view_.CommandsChanged();
}

void TSession::TOwner::ConfigReadCleared() {
  // A lost configuration may mean another instrument; a dialog at work keeps the code.
  if (s_.view_.OperatorAtView())
    s_.protCode_ = 0;
}

void TSession::TOwner::ShowInstIdentity() {
  s_.view_.IdentityChanged();
}

void TSession::TOwner::ReopenLink() {
  s_.ReopenLink();
}

void TSession::TOwner::SetHelpContextForType() {
  s_.view_.HelpContextChanged();
}

void TSession::TOwner::SetVmode(bool on) {
  s_.view_.VelocityModeSwitched(on);
}

void TSession::TOwner::ShowLiveReading() {
  s_.view_.LiveReadingDue();
}

void TSession::TOwner::LinkStateChanged() {
  s_.view_.LinkStateChanged();
}

bool TSession::TOwner::ShowPreferencesForPort() {
  return s_.view_.ShowPreferencesForPort();
}

void TSession::TOwner::TerminateApplication() {
  s_.view_.EndApplication();
}

void TSession::TOwner::ReportNewerInstrument() {
  s_.view_.ReportNewerInstrument();
}

bool TSession::TOwner::CheckProtCode(const std::string& wrongCodeText) {
  return s_.CheckProtCode(TPrompt::WhenRefused, wrongCodeText) == TOutcome::Done;
}

std::string TSession::TOwner::BuildCaption() {
  return s_.view_.Caption();
}

} // namespace dtool
