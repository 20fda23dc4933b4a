// Configuration files and the comparison with the instrument: File > Open configuration...,
// Save configuration as..., Compare with instrument..., and the option that shows the changes
// before Write data. The last folder and the option are kept in a small options file beside
// the settings file, whose layout stays as it is.
#include "ui/main/mainform.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>
#include <QStatusBar>

#include "link/instlink.h"
#include "records/configfile.h"
#include "tools/operatorport.h"
#include "ui/dialogs/compareform.h"
#include "ui/dialogs/filedialog.h"
#include "ui/dialogs/typeofinst.h"
#include "ui/help/helpsystem.h"
#include "ui/main/setfile.h"

namespace dtool {

namespace {

const char* const ConfigFilter = "Configuration files (*.ini *.txt);;All files (*)";
const char* const FolderKey = "ConfigFiles/Folder";
const char* const ShowChangesKey = "Write/ShowChanges";

// A name for a file: letters, digits, '.', '-' and '_' as they are, anything else '_'.
QString FileNamePart(const QString& text) {
  QString name;
  for (const QChar c : text.trimmed())
    name += (c.isLetterOrNumber() && c.unicode() < 128) || c == u'.' || c == u'-' || c == u'_'
                ? c
                : QChar(u'_');
  return name;
}

// A stored value as the operator reads it, in the unit of ShownUnit.
QString ShownText(const TConfigField& field, double stored, const TViewUnits& units) {
  switch (field.Type) {
  case TValueType::Unit:
    return QString::fromStdString(UnitText(static_cast<TUnit>(stored)));
  case TValueType::Flag:
  case TValueType::Boolean:
    return stored != 0 ? QStringLiteral("On") : QStringLiteral("Off");
  default:
    return QLocale().toString(ShownValue(field, stored, units), 'g', 7);
  }
}

QString ShownUnitText(const TConfigField& field, const TViewUnits& units) {
  if (field.Type == TValueType::Unit || field.Type == TValueType::Flag ||
      field.Type == TValueType::Boolean)
    return {};
  const TUnit u = ShownUnit(field, units);
  return u == unit::None ? QString() : QString::fromStdString(UnitText(u));
}

// The switch library's bounds, which a switch configuration must keep; none while the library
// does not give them all (the write's range check then tells).
TConfigBounds BoundsOf(TInstLink* link) {
  TConfigBounds bounds;
  if (!link)
    return bounds;
  TSwitchLimits l;
  const struct {
    std::int32_t id;
    double& value;
  } reals[] = {{swfconst::HoseMin, l.HoseMin}, {swfconst::HoseMax, l.HoseMax},
               {swfconst::AtmMin, l.AtmMin},   {swfconst::AtmMax, l.AtmMax},
               {swfconst::GainMin, l.GainMin}, {swfconst::GainMax, l.GainMax},
               {swfconst::HysMin, l.HysMin},   {swfconst::HysMax, l.HysMax},
               {swfconst::ThreMin, l.ThreMin}, {swfconst::ThreMax, l.ThreMax}};
  for (const auto& r : reals)
    if (link->GetFConstDs(r.id, r.value) != 0)
      return bounds;
  if (link->Switch().GetIConst(&l.MaxDelay, swiconst::maxDly) != 0)
    return bounds;
  bounds.Switch = l;
  return bounds;
}

} // namespace

// ---- Options file ----

QString TMainForm::OptionsFileName() const {
  return QFileInfo(QString::fromStdString(setFileName_))
      .dir()
      .filePath(QString::fromLatin1(OptionsFileBaseName));
}

QString TMainForm::ConfigFolder() const {
  const QString folder =
      QSettings(OptionsFileName(), QSettings::IniFormat).value(FolderKey).toString();
  return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
}

void TMainForm::RememberConfigFolder(const QString& path) {
  QSettings options(OptionsFileName(), QSettings::IniFormat);
  options.setValue(FolderKey, QFileInfo(path).absolutePath());
}

bool TMainForm::ShowChangesOption() const {
  return QSettings(OptionsFileName(), QSettings::IniFormat).value(ShowChangesKey, false).toBool();
}

void TMainForm::SetShowChangesOption(bool on) {
  QSettings options(OptionsFileName(), QSettings::IniFormat);
  options.setValue(ShowChangesKey, on);
}

// ---- Open and save ----

void TMainForm::ActOpenConfigExecute() {
  if (!Ready())
    return;
  const QString path =
      AskFilePath(this, {TFileAccess::Open, QStringLiteral("Open configuration"), ConfigFolder(),
                         QString::fromLatin1(ConfigFilter), QStringLiteral("OpenConfigDialog"),
                         helpctx::ConfigFiles, QString()});
  if (path.isEmpty())
    return;
  RememberConfigFolder(path);
  OpenConfig(path);
}

bool TMainForm::OpenConfig(const QString& path) {
  const std::string name = QDir::toNativeSeparators(path).toStdString();
  const TConfigRead read = ReadConfigFile(name, BoundsOf(Link()));
  if (!read.Config) {
    ErrorBox(read.Error.Message());
    return false;
  }
  const TConfig& config = *read.Config;
  // The record as the settings file must keep it: a value it cannot keep changes nothing.
  TSettings scratch(nullptr);
  scratch.Class1 = sett->Class1;
  scratch.Class23 = sett->Class23;
  scratch.Switch = sett->Switch;
  ApplyConfig(config, scratch);
  const bool keepable = config.Record == TRecordKind::Class1 ? Class1ParamsUsable(scratch.Class1)
                        : config.Record == TRecordKind::Class23
                            ? Class23ParamsUsable(scratch.Class23)
                            : SwitchParamsUsable(scratch.Switch);
  if (!keepable) {
    ErrorBox(name + ": a value cannot be kept by this program.");
    return false;
  }
  if (!ConfigFitsType(config, sett->InstType())) {
    if (config.InstType == 0) {
      ErrorBox(name + ": the settings are of another class of instrument than the type set, and "
                      "the file names no instrument type.");
      return false;
    }
    // Another class: the type of the file becomes the current one, as the type dialog does.
    if (sett->ConfigRead()) {
      InfoBox(TypeRefusedText);
      return false;
    }
    sett->SetInstType(config.InstType);
  }
  ApplyConfig(config, *sett);
  session_->ConfigurationEdited();
  WriteSetToField_(true);
  RefreshButtons();
  statusBar()->showMessage(QStringLiteral("Opened %1").arg(QString::fromStdString(name)), 10000);
  return true;
}

void TMainForm::ActSaveConfigAsExecute() {
  if (!Ready())
    return;
  if (sett->InstType() == 0) {
    InfoBox("No instrument type is set: there is no configuration to save.");
    return;
  }
  const TIdentityTexts shown = IdentityTexts();
  const QString instrument = (shown.InstType + u' ' + shown.Serial).trimmed();
  const QString path = AskFilePath(
      this, {TFileAccess::Save, QStringLiteral("Save configuration as"),
             QDir(ConfigFolder()).filePath(FileNamePart(instrument) + QStringLiteral(".ini")),
             QString::fromLatin1(ConfigFilter), QStringLiteral("SaveConfigDialog"),
             helpctx::ConfigFiles, QStringLiteral("ini")});
  if (path.isEmpty())
    return;
  RememberConfigFolder(path);
  SaveConfig(path);
}

bool TMainForm::SaveConfig(const QString& path) {
  const std::string name = QDir::toNativeSeparators(path).toStdString();
  const TConfig config = ConfigOf(*sett, Prefs(), IdentityOf(sett->InstInfo, sett->Cap_level()),
                                  "SaveConfig", LocalTimeNow());
  if (!WriteConfigFile(name, config)) {
    ErrorBox("Unable to write file \"" + name + "\"!");
    return false;
  }
  statusBar()->showMessage(QStringLiteral("Saved %1").arg(QString::fromStdString(name)), 10000);
  return true;
}

// ---- Compare ----

TCompareTable TMainForm::CompareTableOf(const TInstrumentCopy& copy) const {
  TCompareTable table;
  table.Instrument = QString::fromStdString(InstTypeName(copy.InstType));
  const TParamRecords edited{sett->Class1, sett->Class23, sett->Switch};
  const TViewUnits units = TViewUnits::Of(session_->Prefs(), sett->AnOffsetUnit());
  for (const TParamDiff& d : DiffConfig(ClassOfType(copy.InstType), copy.Params, edited))
    table.Rows.push_back({QString::fromUtf8(d.Field->Caption), ShownText(*d.Field, d.A, units),
                          ShownText(*d.Field, d.B, units), ShownUnitText(*d.Field, units)});
  return table;
}

void TMainForm::ActCompareExecute() {
  if (!Ready() || !Link())
    return;
  TInstrumentCopy copy;
  if (session_->ReadCopy(copy) != TOutcome::Done)
    return;
  TCompareForm form(this, CompareTableOf(copy), TCompareForm::TMode::View);
  form.Folder = ConfigFolder();
  form.exec();
}

bool TMainForm::ChangesConfirmed() {
  TInstrumentCopy copy;
  if (session_->ReadCopy(copy) != TOutcome::Done)
    return false;
  TCompareForm form(this, CompareTableOf(copy), TCompareForm::TMode::BeforeWrite);
  form.Folder = ConfigFolder();
  return form.exec() == QDialog::Accepted;
}

} // namespace dtool
