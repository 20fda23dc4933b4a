// Read data and Write data: the parameter walks of the analog family, the record transfer of
// the switch, and the wizards' backup and restore walks.
#include "ui/main/mainform.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "link/instlink.h"
#include "link/linkformat.h"
#include "tools/operatorport.h"
#include "tools/options.h"
#include "ui/main/setfile.h"

namespace dtool {

namespace {

constexpr int ReadNoDataSupprMs = 5000;

const char* const TransferSuccessText = "Transfer was successful!";
const char* const RestoreFailedText =
    "It was impossible to save back the original data to the instrument!\r"
    "Disconnect the instrument only if you see the main form on the screen! ";

std::tm Now() {
  const std::time_t t = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &t);
#else
  localtime_r(&t, &tm);
#endif
  return tm;
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

void TMainForm::ReadBtnClick() {
  ReadData();
}

bool TMainForm::ReadData() {
  if (!Ready() || !link_)
    return false;
  // The printout is of the state this read leaves, or of none.
  PrintAllowed = false;
  TWaitCursor wait;
  if (!DetectInstrument())
    return false;
  const int type = sett->InstType();
  bool ok = false;
  if (type == 0) {
    // No instrument type, no configuration of one.
    sett->SetConfigRead(false);
    ErrorBox("Communication with instrument not possible!");
  } else if (type == 9) {
    ok = ReadSwitchConfig();
  } else if (type >= 1 && type <= 8) {
    ok = ReadParamsB();
  } else {
    ok = ReadParamsA();
  }
  if (ok)
    PrintAllowed = true;
  return ok;
}

bool TMainForm::ReadParamsA() {
  return ReadParamsWalk(false);
}

bool TMainForm::ReadParamsB() {
  return ReadParamsWalk(true);
}

bool TMainForm::ReadParamsWalk(bool class23) {
  TWaitCursor wait;
  sett->SetDefaults(false, true);
  bool ok = link_->InstrumentReady();
  if (ok)
    ok = link_->ReadInstInfo(true, true);
  if (ok)
    ok = link_->CheckOoCc();
  bool failed = false;
  for (int i = 0; ok && !failed; ++i) {
    const std::optional<TParam> field = ParamAt(class23, i, false);
    if (!field)
      break;
    if (IsParamApplicable(*field))
      failed = !ReadParam(*field);
  }
  // An answer that the window cannot show or the settings file cannot keep fails the read.
  if (ok && !failed && !CurrentRecordUsable()) {
    ErrorBox(AnalogLinkError(StatusUnusable));
    failed = true;
  }
  const bool result = ok && !failed;
  WriteSetToField_(true);
  sett->SetConfigRead(result);
  RefreshButtons();
  if (!result) {
    sett->SetDefaults(true, true);
    sett->ResetInstInfo();
  }
  ShowInstIdentity();
  if (!result)
    RefreshButtons(); // the type is gone with the identity
  if (result)
    WriteTransferLog(false, Now());
  else
    DeleteLogFile();
  return result;
}

bool TMainForm::ReadSwitchConfig() {
  const std::int32_t port = link_->Port();
  std::int32_t r = 0;
  {
    TWaitCursor wait;
    r = link_->Switch().ReReadConfig(port);
    if (LinkOk(r)) {
      link_->ReadInstInfo(true, true);
      TSwitchParams rec = sett->Switch;
      r = link_->Switch().GetConf(port, &rec);
      // A record the window cannot show or keep is an answer the link could not use.
      if (r == 0 && !SwitchParamsUsable(rec))
        r = StatusUnusable;
      if (r == 0)
        sett->Switch = rec;
    }
  }
  WriteSetToField_(true);
  RefreshButtons();
  if (r > 0) {
    // The type goes with the identity: no configuration of a type is held any more.
    sett->SetDefaults(true, true);
    sett->ResetInstInfo();
    sett->SetConfigRead(false);
  } else if (r == swstatus::NewerConfig) {
    sett->SetDefaults(true, true);
    WarningBox("Compensation algorithm is not supported!\r\rThe actual settings can not be read "
               "from the instrument because they have been written by a newer version of "
               "DravonTool!\rDefault settings will be loaded!");
  }
  ShowInstIdentity();
  if (r > 0)
    RefreshButtons();
  DeleteLogFile();
  if (r > 0)
    ErrorBox(SwitchLinkError(r));
  if (r != 0)
    return false;
  TimReadNoDataSuppr->setInterval(ReadNoDataSupprMs);
  TimReadNoDataSuppr->start();
  sett->SetConfigRead(true);
  return true;
}

// ---- Write ----

void TMainForm::WriteBtnClick() {
  if (!Ready() || !link_)
    return;
  const std::tm time = Now();
  const bool testMode = IsTestMode();
  if (!sett->ConfigRead() && !testMode &&
      ErrorBox("You have not read the actual configuration data from the instrument! "
               "\rOverwrite?",
               true) != IdYes)
    return;
  // The printout is of the state this write leaves, or of none.
  PrintAllowed = false;
  TWaitCursor wait;
  if (CheckInstrument(TShow::Messages)) {
    if (IsAnalogFamily(sett->InstType())) {
      if (WriteAllParams(wmWrite)) {
        PrintAllowed = true;
        WriteTransferLog(true, time);
        if (!testMode)
          InfoBox(TransferSuccessText);
        const std::string path = GetOptionValue("/pr", true);
        if (!path.empty()) {
          if (!WriteLogAt(path, GetOptionValue("/id", true), time))
            ErrorBox(LinkFormat("Unable to write file \"%s\"!", path.c_str()));
        }
        if (testMode)
          TerminateApplication();
      } else {
        DeleteLogFile();
      }
    } else {
      const TRangeCheck range = link_->SwitchRangeCheck(sett->Switch);
      // A check that could not go on may have corrected values before it stopped.
      if (range != TRangeCheck::InRange)
        WriteSetToField_(true);
      // A record that could not be checked is not sent; the check has told why.
      if (range != TRangeCheck::NotChecked) {
        std::int32_t r = 0;
        int tries = 0;
        while (SwitchProtPrompt(r, tries)) {
          if (LinkOk(r)) {
            TWaitCursor exchange;
            r = link_->Switch().SetConf(link_->Port(), sett->Switch, ProtCode);
            if (LinkOk(r))
              link_->ReadInstInfo(true, true);
          }
        }
        if (!LinkOk(r) && r != swstatus::Protected)
          ErrorBox(SwitchLinkError(r));
        else if (LinkOk(r) && !testMode)
          InfoBox(TransferSuccessText);
        sett->SetConfigRead(LinkOk(r));
      }
    }
  }
  ShowInstIdentity();
}

bool TMainForm::WriteAllParams(TWriteMode mode) {
  if (!Ready() || !link_)
    return false;
  bool result = false;
  bool rollBackFailed = false;
  {
    TWaitCursor wait;
    bool ok = link_->InstrumentReady();
    if (mode == wmWrite && ok) {
      if (link_->ReadInstInfo(true, true))
        ShowInstIdentity();
      else
        ok = false;
    }
    if (mode == wmBackupAndWrite && ok)
      ok = CheckSerialNo(TSerialCheck::Remember);
    if (mode == wmRestore && ok)
      ok = CheckSerialNo(TSerialCheck::Compare);
    if (ok)
      ok = CheckProtCode(WrongProtCodeText);
    if (mode == wmWrite && ok)
      ok = link_->ReadInstInfo(true, true);
    bool failed = false;
    if (ok) {
      const bool class23 = IsClass23(sett->GetInstClass());
      // The operator's working record as it stands: a backup never loses it.
      const TClass1Params working1 = sett->Class1;
      const TClass23Params working23 = sett->Class23;
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
      // The position that failed is not counted: the instrument kept its own value there.
      const int written = failed ? position - 1 : position;
      // A value the instrument corrected is read back into the working record: one the window
      // cannot show or keep fails the walk. A write goes back to the defaults; a backup gives
      // the operator's record back as it was. This holds also when a later position failed:
      // the value read back is in the record either way.
      if (mode != wmRestore && !CurrentRecordUsable()) {
        ErrorBox(AnalogLinkError(StatusUnusable));
        if (mode == wmBackupAndWrite) {
          sett->Class1 = working1;
          sett->Class23 = working23;
        } else {
          sett->SetDefaults(true, true);
          sett->SetConfigRead(false);
        }
        failed = true;
      }
      // A backup that failed part-way takes its trial values out of the instrument again, so
      // that no later store keeps them.
      if (failed && mode == wmBackupAndWrite)
        rollBackFailed = !RollBackTrialValues(class23, written);
      // The configuration is stored and taken into use only after a complete walk.
      if (!failed && mode != wmBackupAndWrite)
        failed = !link_->SendB10C(true);
      if (!failed)
        link_->SendB10D(true);
    }
    result = ok && !failed;
  }
  if (mode == wmWrite) {
    if (result)
      sett->SetConfigRead(true);
    ShowInstIdentity();
  }
  if ((mode == wmRestore && !result) || rollBackFailed)
    WarningBox(RestoreFailedText);
  return result;
}

bool TMainForm::RollBackTrialValues(bool class23, int positions) {
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

bool TMainForm::IsParamApplicable(const TParam& field) const {
  if (sett->Cap_level() >= 1)
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

bool TMainForm::ReadParam(const TParam& field) {
  if (!Ready() || !link_)
    return false;
  TransRec rec{};
  const std::int32_t status = link_->ReadInstParam(rec, field);
  return !link_->CheckRWInst(status, rec, true, nullptr, false, &field);
}

bool TMainForm::WriteParam(const TParam& field) {
  if (!Ready() || !link_)
    return false;
  TransRec rec{};
  const std::int32_t status = link_->WriteInstParam(rec, field);
  return !link_->CheckRWInst(status, rec, true, nullptr, true, &field);
}

bool TMainForm::CurrentRecordUsable() const {
  switch (sett->GetInstClass()) {
  case ClassTransmitter:
    return Class1ParamsUsable(sett->Class1);
  case ClassStatic:
  case ClassStaticZ:
    return Class23ParamsUsable(sett->Class23);
  case ClassSwitch:
    return SwitchParamsUsable(sett->Switch);
  default:
    return true;
  }
}

} // namespace dtool
