// Compare with instrument: the instrument's configuration read into a copy, beside the
// operator's working records, which the read leaves as they were.
#include "link/linkformat.h"
#include "session/session.h"
#include "tools/operatorport.h"

namespace dtool {

namespace {

// What a read walk changes in the settings object, put back when the copy is done.
class TSettingsSnapshot {
public:
  TSettingsSnapshot(TSettings& sett, TPreferences& prefs)
      : sett_(sett), prefs_(prefs), class1_(sett.Class1), class23_(sett.Class23),
        switch_(sett.Switch), info_(sett.InstInfo), orig1_(sett.OrigClass1),
        orig23_(sett.OrigClass23), lastType_(prefs.LastInstType) {}
  ~TSettingsSnapshot() {
    sett_.Class1 = class1_;
    sett_.Class23 = class23_;
    sett_.Switch = switch_;
    sett_.InstInfo = info_;
    sett_.OrigClass1 = orig1_;
    sett_.OrigClass23 = orig23_;
    prefs_.LastInstType = lastType_;
  }
  TSettingsSnapshot(const TSettingsSnapshot&) = delete;
  TSettingsSnapshot& operator=(const TSettingsSnapshot&) = delete;

private:
  TSettings& sett_;
  TPreferences& prefs_;
  TClass1Params class1_;
  TClass23Params class23_;
  TSwitchParams switch_;
  TInstInfo info_;
  TClass1Params orig1_;
  TClass23Params orig23_;
  std::uint8_t lastType_;
};

} // namespace

TOutcome TSession::ReadCopy(TInstrumentCopy& copy) {
  if (!link_)
    return TOutcome::NoLink;
  copy = TInstrumentCopy{};
  copy.Params = TParamRecords{sett_->Class1, sett_->Class23, sett_->Switch};
  TWaitCursor wait;
  std::int32_t status = 0;
  const std::uint8_t type = link_->DetectAnyInst(status);
  if (type == 0) {
    WarningBox("No known instrument connected!");
    return TOutcome::NoInstrument;
  }
  if (ClassOfType(type) != sett_->GetInstClass()) {
    WarningBox(LinkFormat("The DravonTool has been set to %s. You cannot perform this "
                          "operation to %s.",
                          sett_->InstTypeName().c_str(), InstTypeName(type).c_str()));
    return TOutcome::NoInstrument;
  }
  copy.InstType = type;
  if (type == 9) {
    const std::int32_t port = link_->Port();
    std::int32_t r = link_->Switch().ReReadConfig(port);
    TSwitchParams rec = copy.Params.Switch;
    if (LinkOk(r))
      r = link_->Switch().GetConf(port, &rec);
    if (r == 0 && !SwitchRecordUsable(rec))
      r = StatusUnusable;
    if (r != 0) {
      ErrorBox(SwitchLinkError(r));
      return r == StatusUnusable || r == swstatus::NewerConfig ? TOutcome::Unusable
                                                               : TOutcome::Failed;
    }
    copy.Params.Switch = rec;
    return TOutcome::Done;
  }
  // The walk of Read data on the working records, which the snapshot gives back afterwards:
  // the values are converted as a read converts them, with the instrument's own identity.
  TSettingsSnapshot snapshot(*sett_, prefs_);
  sett_->InstInfo.InstType = type;
  const bool class23 = type >= 1 && type <= 8;
  bool ok = link_->InstrumentReady();
  if (ok)
    ok = link_->ReadInstInfo(true, true);
  if (ok)
    ok = link_->CheckOoCc();
  for (int i = 0; ok; ++i) {
    const std::optional<TParam> field =
        class23 ? Class23ParamAt(i, false) : Class1ParamAt(i, false);
    if (!field)
      break;
    if (IsParamApplicable(*field) && !ReadParam(*field))
      ok = false;
  }
  if (!ok)
    return TOutcome::Failed;
  if (!CurrentRecordUsable()) {
    ErrorBox(AnalogLinkError(StatusUnusable));
    return TOutcome::Unusable;
  }
  copy.CapLevel = sett_->Cap_level();
  copy.Params.Class1 = sett_->Class1;
  copy.Params.Class23 = sett_->Class23;
  return TOutcome::Done;
}

} // namespace dtool
