// Read data and Write data: the parameter walks of the analog family, the record transfer of
// the switch, and the wizards' backup and restore walks.
#include <algorithm>
#include <optional>
#include <vector>

#include "link/linkformat.h"
#include "session/session.h"
#include "tools/operatorport.h"

namespace dtool {

namespace {

const char* const TransferSuccessText = "Transfer was successful!";
const char* const RestoreFailedText =
    "It was impossible to save back the original data to the instrument!\r"
    "Disconnect the instrument only if you see the main form on the screen! ";

// The warning after a Write data that failed part-way, naming by their captions the parameters
// the instrument took before the failure (each caption once).
std::string PartlyWrittenText(const std::vector<TParam>& reached) {
  std::vector<std::string> captions;
  for (const TParam& p : reached) {
    std::string caption = ParamCaption(p);
    if (std::find(captions.begin(), captions.end(), caption) == captions.end())
      captions.push_back(std::move(caption));
  }
  std::string names;
  for (const std::string& caption : captions)
    names += (names.empty() ? "\"" : ", \"") + caption + "\"";
  return "The instrument now holds a partly written configuration that has not been stored!\r"
         "Written before the error: " +
         names + "\rWrite data again, or read data to see what the instrument holds.";
}

bool IsClass23(int cls) {
  return cls == ClassStatic || cls == ClassStaticZ;
}

// The transfer order of a class: the static models' table or the class-1 table.
std::optional<TParam> ParamAt(bool class23, int position, bool original) {
  return class23 ? Class23ParamAt(position, original) : Class1ParamAt(position, original);
}

} // namespace

// ---- Read ----

TOutcome TSession::Read() {
  if (!link_)
    return TOutcome::NoLink;
  // The printout is of the state this read leaves, or of none.
  lastTransferSucceeded_ = false;
  TWaitCursor wait;
  if (!DetectInstrument())
    return TOutcome::PortUnavailable;
  const int type = sett_->InstType();
  TOutcome outcome = TOutcome::NoInstrument;
  if (type == 0) {
    // No instrument type, no configuration of one.
    sett_->SetConfigRead(false);
    ErrorBox("Communication with instrument not possible!");
  } else if (type == 9) {
    outcome = ReadSwitchConfig();
  } else {
    outcome = ReadParamsWalk(type >= 1 && type <= 8);
  }
  if (outcome == TOutcome::Done)
    lastTransferSucceeded_ = true;
  return outcome;
}

TOutcome TSession::ReadParamsWalk(bool class23) {
  TWaitCursor wait;
  sett_->SetDefaults(false, true);
  bool ok = link_->InstrumentReady();
  if (ok)
    ok = link_->ReadInstInfo(true, true);
  if (ok)
    ok = link_->CheckOoCc();
  TOutcome outcome = ok ? TOutcome::Done : TOutcome::Failed;
  for (int i = 0; outcome == TOutcome::Done; ++i) {
    const std::optional<TParam> field = ParamAt(class23, i, false);
    if (!field)
      break;
    if (IsParamApplicable(*field) && !ReadParam(*field))
      outcome = TOutcome::Failed;
  }
  // An answer that the views cannot show or keep fails the read.
  if (outcome == TOutcome::Done && !CurrentRecordUsable()) {
    ErrorBox(AnalogLinkError(StatusUnusable));
    outcome = TOutcome::Unusable;
  }
  const bool result = outcome == TOutcome::Done;
  view_.ConfigurationChanged();
  sett_->SetConfigRead(result);
  view_.CommandsChanged();
  if (!result) {
    sett_->SetDefaults(true, true);
    sett_->ResetInstInfo();
  }
  view_.IdentityChanged();
  if (!result)
    view_.CommandsChanged(); // the type is gone with the identity
  if (result)
    WriteTransferLog(false, LocalTimeNow());
  else
    DeleteLogFile();
  return outcome;
}

TOutcome TSession::ReadSwitchConfig() {
  const std::int32_t port = link_->Port();
  std::int32_t r = 0;
  {
    TWaitCursor wait;
    r = link_->Switch().ReReadConfig(port);
    if (LinkOk(r)) {
      link_->ReadInstInfo(true, true);
      TSwitchParams rec = sett_->Switch;
      r = link_->Switch().GetConf(port, &rec);
      // A record the views cannot show or keep is an answer the link could not use.
      if (r == 0 && !SwitchRecordUsable(rec))
        r = StatusUnusable;
      if (r == 0)
        sett_->Switch = rec;
    }
  }
  view_.ConfigurationChanged();
  view_.CommandsChanged();
  if (r > 0) {
    // The type goes with the identity: no configuration of a type is held any more.
    sett_->SetDefaults(true, true);
    sett_->ResetInstInfo();
    sett_->SetConfigRead(false);
  } else if (r == swstatus::NewerConfig) {
    sett_->SetDefaults(true, true);
    // The defaults were not read from the instrument: a write asks before it sends them.
    sett_->SetConfigRead(false);
    WarningBox("Compensation algorithm is not supported!\r\rThe actual settings can not be read "
               "from the instrument because they have been written by a newer version of "
               "DravonTool!\rDefault settings will be loaded!");
  }
  view_.IdentityChanged();
  if (r > 0)
    view_.CommandsChanged();
  DeleteLogFile();
  if (r > 0)
    ErrorBox(SwitchLinkError(r));
  if (r != 0)
    return r == StatusUnusable || r == swstatus::NewerConfig ? TOutcome::Unusable
                                                             : TOutcome::Failed;
  view_.SwitchConfigRead();
  sett_->SetConfigRead(true);
  return TOutcome::Done;
}

// ---- Write ----

TOutcome TSession::Write(const TWriteOptions& options) {
  if (!link_)
    return TOutcome::NoLink;
  const std::tm time = LocalTimeNow();
  if (!sett_->ConfigRead() && options.AskOverwrite &&
      ErrorBox("You have not read the actual configuration data from the instrument! "
               "\rOverwrite?",
               true) != IdYes)
    return TOutcome::Declined;
  // The printout is of the state this write leaves, or of none.
  lastTransferSucceeded_ = false;
  TWaitCursor wait;
  TOutcome outcome = TOutcome::NoInstrument;
  if (CheckInstrument(TShow::Messages)) {
    if (IsAnalogFamily(sett_->InstType()))
      outcome = WriteAnalog(options, time);
    else
      outcome = WriteSwitch(options);
  }
  view_.IdentityChanged();
  return outcome;
}

TOutcome TSession::WriteAnalog(const TWriteOptions& options, const std::tm& time) {
  std::vector<TParam> reached;
  const TOutcome outcome = WriteAllParams(wmWrite, &reached);
  if (outcome != TOutcome::Done) {
    DeleteLogFile();
    // Nothing was stored, but the instrument works with what reached it.
    if (options.ReportPartialWrite && !reached.empty())
      WarningBox(PartlyWrittenText(reached));
    return outcome;
  }
  lastTransferSucceeded_ = true;
  WriteTransferLog(true, time);
  if (options.ReportSuccess)
    InfoBox(TransferSuccessText);
  if (!options.ExtraLogPath.empty() && !WriteLogAt(options.ExtraLogPath, options.ExtraLogId, time))
    ErrorBox(LinkFormat("Unable to write file \"%s\"!", options.ExtraLogPath.c_str()));
  if (options.EndAfterAnalogWrite)
    view_.EndApplication();
  return outcome;
}

TOutcome TSession::WriteSwitch(const TWriteOptions& options) {
  const TRangeCheck range = link_->SwitchRangeCheck(sett_->Switch);
  // A check that could not go on may have corrected values before it stopped.
  if (range != TRangeCheck::InRange)
    view_.ConfigurationChanged();
  // A record that could not be checked is not sent; the check has told why.
  if (range == TRangeCheck::NotChecked)
    return TOutcome::Failed;
  std::int32_t r = 0;
  int tries = 0;
  while (SwitchProtPrompt(r, tries)) {
    if (LinkOk(r)) {
      TWaitCursor exchange;
      r = link_->Switch().SetConf(link_->Port(), sett_->Switch, protCode_);
      if (LinkOk(r))
        link_->ReadInstInfo(true, true);
    }
  }
  if (!LinkOk(r) && r != swstatus::Protected)
    ErrorBox(SwitchLinkError(r));
  else if (LinkOk(r) && options.ReportSuccess)
    InfoBox(TransferSuccessText);
  sett_->SetConfigRead(LinkOk(r));
  return SwitchOutcome(r, tries);
}

TOutcome TSession::BackupAndWrite() {
  return WriteAllParams(wmBackupAndWrite);
}

TOutcome TSession::Restore() {
  return WriteAllParams(wmRestore);
}

TOutcome TSession::WriteAllParams(TWriteMode mode, std::vector<TParam>* reached) {
  if (!link_)
    return TOutcome::NoLink;
  TOutcome outcome = TOutcome::Done;
  bool rollBackFailed = false;
  {
    TWaitCursor wait;
    if (!link_->InstrumentReady())
      outcome = TOutcome::Failed;
    if (mode == wmWrite && outcome == TOutcome::Done) {
      if (link_->ReadInstInfo(true, true))
        view_.IdentityChanged();
      else
        outcome = TOutcome::Failed;
    }
    if (mode == wmBackupAndWrite && outcome == TOutcome::Done)
      outcome = SerialCheck(TSerialCheck::Remember);
    if (mode == wmRestore && outcome == TOutcome::Done)
      outcome = SerialCheck(TSerialCheck::Compare);
    if (outcome == TOutcome::Done)
      outcome = CheckProtCode(TPrompt::WhenRefused, WrongProtCodeText);
    if (mode == wmWrite && outcome == TOutcome::Done && !link_->ReadInstInfo(true, true))
      outcome = TOutcome::Failed;
    if (outcome == TOutcome::Done) {
      const bool class23 = IsClass23(sett_->GetInstClass());
      // The operator's working record as it stands: a backup never loses it.
      const TClass1Params working1 = sett_->Class1;
      const TClass23Params working23 = sett_->Class23;
      bool failed = false;
      int position = 0;
      for (; !failed; ++position) {
        const std::optional<TParam> source = ParamAt(class23, position, mode == wmRestore);
        if (!source)
          break;
        const std::optional<TParam> backup = ParamAt(class23, position, true);
        if (mode == wmBackupAndWrite && IsParamApplicable(*backup))
          failed = !ReadParam(*backup);
        if (!failed && IsParamApplicable(*source))
          failed = !WriteParam(*source);
      }
      if (failed)
        outcome = TOutcome::Failed;
      // The position that failed is not counted: the instrument kept its own value there.
      const int written = failed ? position - 1 : position;
      // A walk that failed part-way: what reached the instrument before the failing position.
      for (int p = 0; failed && reached && p < written; ++p) {
        const std::optional<TParam> source = ParamAt(class23, p, mode == wmRestore);
        if (source && IsParamApplicable(*source))
          reached->push_back(*source);
      }
      // A value the instrument corrected is read back into the working record: one the views
      // cannot show or keep fails the walk. A write goes back to the defaults; a backup gives
      // the operator's record back as it was. This holds also when a later position failed:
      // the value read back is in the record either way.
      if (mode != wmRestore && !CurrentRecordUsable()) {
        ErrorBox(AnalogLinkError(StatusUnusable));
        if (mode == wmBackupAndWrite) {
          sett_->Class1 = working1;
          sett_->Class23 = working23;
        } else {
          sett_->SetDefaults(true, true);
          sett_->SetConfigRead(false);
        }
        failed = true;
        outcome = TOutcome::Unusable;
      }
      // A backup that failed part-way takes its trial values out of the instrument again, so
      // that no later store keeps them.
      if (failed && mode == wmBackupAndWrite)
        rollBackFailed = !RollBackTrialValues(class23, written);
      // The configuration is stored and taken into use only after a complete walk.
      if (!failed && mode != wmBackupAndWrite && !link_->SendB10C(true)) {
        failed = true;
        outcome = TOutcome::Failed;
      }
      if (!failed)
        link_->SendB10D(true);
    }
  }
  if (mode == wmWrite) {
    if (outcome == TOutcome::Done)
      sett_->SetConfigRead(true);
    view_.IdentityChanged();
  }
  if ((mode == wmRestore && outcome != TOutcome::Done) || rollBackFailed)
    WarningBox(RestoreFailedText);
  return outcome;
}

bool TSession::RollBackTrialValues(bool class23, int positions) {
  bool any = false;
  for (int position = 0; position < positions; ++position) {
    const std::optional<TParam> original = ParamAt(class23, position, true);
    if (!original || !IsParamApplicable(*original))
      continue;
    if (!WriteParam(*original))
      return false;
    any = true;
  }
  // The instrument measures with its own values again.
  return !any || link_->SendB10D(true);
}

// ---- Single parameters ----

bool TSession::IsParamApplicable(const TParam& field) const {
  if (sett_->Cap_level() >= 1)
    return true;
  if (field.Store() != TParamStore::Working && field.Store() != TParamStore::Original)
    return true;
  switch (field.Id()) {
  case TParamId::C1_Velocity_C_Lo:
  case TParamId::C1_Velocity_C_Hi:
  case TParamId::C1_Velocity_n:
  case TParamId::C1_An_velocity_from:
  case TParamId::C1_An_velocity_to:
    return false;
  default:
    return true;
  }
}

bool TSession::ReadParam(const TParam& field) {
  if (!link_)
    return false;
  TransRec rec{};
  const std::int32_t status = link_->ReadInstParam(rec, field);
  return !link_->CheckRWInst(status, rec, true, nullptr, false, &field);
}

bool TSession::WriteParam(const TParam& field) {
  if (!link_)
    return false;
  TransRec rec{};
  const std::int32_t status = link_->WriteInstParam(rec, field);
  return !link_->CheckRWInst(status, rec, true, nullptr, true, &field);
}

bool TSession::CurrentRecordUsable() const {
  const TRecordChecks& check = recordUsable_;
  switch (sett_->GetInstClass()) {
  case ClassTransmitter:
    return !check.Class1 || check.Class1(sett_->Class1);
  case ClassStatic:
  case ClassStaticZ:
    return !check.Class23 || check.Class23(sett_->Class23);
  case ClassSwitch:
    return SwitchRecordUsable(sett_->Switch);
  default:
    return true;
  }
}

bool TSession::SwitchRecordUsable(const TSwitchParams& rec) const {
  return !recordUsable_.Switch || recordUsable_.Switch(rec);
}

} // namespace dtool
