#pragma once
// TMainForm: the one main window of the program, a view over the instrument session (which
// owns the settings object, the preferences and the link to the instrument). It holds the pages
// with every bound control and the shell around them: identity panel, picture panel, menus,
// toolbar, caption, help language and home page.
#include <QList>
#include <QLocale>
#include <QMainWindow>
#include <QPixmap>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "core/records.h"
#include "core/settings.h"
#include "core/units.h"
#include "records/report/settingsreport.h"
#include "session/session.h"
#include "session/sessionview.h"
#include "tools/timing.h"
#include "ui/controls/editreal.h"
#include "ui/controls/fields.h"
#include "ui/dialogs/dialoghost.h"
#include "ui/dialogs/wizardcommon.h"
#include "ui/dialogs/wizardtimer.h"
#include "ui/help/helpcontexts.h"

class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QDateTime;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;

namespace dtool {

class TAboutForm;
class TGainForm;
class THoseCalcForm;
class TInstLink;
class TOutTestForm;
class TMovAverForm;
class TRadioGroup;

// Client area of the main window: 632 x 512 on a screen of 96 dots per inch; a denser
// screen gets the width 788 and a height grown in the same proportion.
QSize MainClientSize(double logicalDpi);

// The maker's home page: the host shown in the picture panel and in the Help menu.
inline constexpr const char* HomepageHost = "www.meltrane.example";
QString HomepageUrl();

// Texts of the window (the invalid-value text is the dialogs' one).
inline constexpr const char* TestModeOption = "/K58";
inline constexpr const char* TestModeCaption = "-> TEST 33 MODE";

// The options file beside the settings file: the last folder of the configuration files and
// the option "Show changes before writing" (the settings file keeps its layout).
inline constexpr const char* OptionsFileBaseName = "DToolPc.ini";

struct TCompareTable;

// Where the settings report goes.
enum class TReportOutput { Print, Preview, Pdf };

class TMainForm : public QMainWindow, public ISessionView, public IDialogHost {
  Q_OBJECT
public:
  // Builds the window and runs the start sequence: session, settings file, link, controls,
  // timers. The settings file is read from and written to setFileName; the transfer log lies
  // beside it unless the setup names one. The session is made with the setup given (tests give
  // their own link loader or zero calibration clock).
  explicit TMainForm(const std::string& setFileName = SettingsFileName(),
                     TSessionSetup sessionSetup = {}, QWidget* parent = nullptr);
  // Stops the timers, saves the settings file and ends the session, which closes the link.
  ~TMainForm() override;

  // How the window reaches a web browser; replaceable for tests. True when the browser
  // started.
  static std::function<bool(const QString& url)> UrlOpener;

  // The conversation with the instrument; it exists from the start sequence to the end.
  TSession& Session() override { return *session_; }
  TPreferences& Prefs() { return session_->Prefs(); }
  // The link to the instrument; null when the link libraries could not be loaded.
  TInstLink* Link() { return session_ ? session_->Link() : nullptr; }

  // ---- What the session tells the window, and asks of it ----
  void ConfigurationChanged() override { WriteSetToField_(true); }
  void IdentityChanged() override { ShowInstIdentity(); }
  void CommandsChanged() override { RefreshButtons(); }
  void HelpContextChanged() override { SetHelpContextForType(); }
  void VelocityModeSwitched(bool on) override { SetVmode(on); }
  void LiveReadingDue() override { ShowLiveReading(); }
  void LinkStateChanged() override;
  void InstrumentBusy() override { RestartCheckInstTim(); }
  void SwitchConfigRead() override;
  void ZeroCalWaiting(int elapsedMs, int limitMs) override;
  void ZeroCalWaitEnded() override;
  bool AskProtCode(std::int32_t& code, const std::string& caption,
                   const std::string& label) override;
  bool ShowPreferencesForPort() override;
  void ReportNewerInstrument() override;
  void EndApplication() override { TerminateApplication(); }
  bool OperatorAtView() override { return isActiveWindow(); }
  std::string Caption() override { return BuildCaption(); }

  void RefreshButtons();
  void ShowInstIdentity();
  void SetHelpContextForType();
  void SetVmode(bool on);
  void TerminateApplication();
  std::string BuildCaption() override;

  // ---- What the dialogs ask of the window ----
  QWidget* DialogParent() override { return this; }
  TUnit AnalogOutUnit() const override;
  TIdentityTexts IdentityTexts() const override;
  bool TestMode() const override { return IsTestMode(); }
  void ShowLiveReading() override;
  void WriteSetToField_() override { WriteSetToField_(true); }
  bool PausePollTimer() override;
  void ResumePollTimer(bool running) override;
  TShownField ShownField(THostField field) override;
  bool TakeWizardValue(THostField field, double value) override;
  TSwitchParams& TrialSwitchRecord() override { return trialSwitchRec_; }
  void RegisterTrialWizard(QWidget* wizard, std::function<void()> refreshEdit) override;

  // ---- Fields ----
  // The session's settings object, while the session exists.
  TSettings* sett = nullptr;
  // A printout is possible: the last Read data or Write data succeeded and nothing has been
  // edited since.
  bool PrintAllowed() const { return session_ && session_->LastTransferSucceeded(); }
  int ContrastGbTop = 0;
  bool VelocityGbShown = false;
  // Kind of the last measurement record: 1 pressure, 2 velocity, 0 none yet.
  std::int32_t RecKind = 0;

  // TerminateApplication was called: the event loop is not to be entered, or is ending.
  bool Terminated() const { return terminated_; }
  // Help context of the window.
  int HelpContext() const;
  // Whether FormCreate has got as far as reading the settings file (which is then saved at
  // the end).
  bool SettingsLoaded() const { return settingsLoaded_; }

  // ---- Shell ----
  void ShowPages(int type);
  static bool IsTestMode();
  void ApplyTestMode();
  void ApplyVelocityCapability();
  void ShowVelocityGroup(bool show);
  void SetHelpLan(int language);
  bool OpenBrowser(const QString& url);
  void ActHelpXXXExecute(QAction* sender);
  void BitBtn1Click();
  void ActMeltraneHomepageExecute();
  void ApplicationEvents1Activate();
  void CheckInstTimTimer();
  void TimReadNoDataSupprTimer();

  // ---- Read and write (readwrite.cpp) ----
  void ReadBtnClick();
  void WriteBtnClick();
  // What Write data does besides the transfer, by the command line: test mode, "/pr", "/id".
  static TWriteOptions WriteOptionsOfCommandLine();
  // The transfer log: beside the settings file, that is, in the program's folder.
  std::string LogFileName() const;

  // ---- Settings report (report.cpp) ----
  // File > Print..., Print preview..., Save as PDF...: the report of the configuration shown,
  // allowed only right after a read or write.
  void PrintExecute();
  void ActPrintPreviewExecute();
  void ActSavePdfExecute();
  // Chooses the report of the current type, fills it from the controls and sends it to the
  // output; a type or a layout without a report is an error box.
  void GenerateReport(TReportOutput output);
  // The report's named texts, in their order, as the controls show them; now is the time
  // printed.
  TReportParams ReportParams(const QDateTime& now);
  // Where the report layouts are; tests point it elsewhere.
  QString ReportFolder = QString::fromLatin1(ReportLayoutFolder);

  // ---- Configuration files and comparison (configfiles.cpp) ----
  // File > Open configuration...: the file's values into the pages (nothing is written to the
  // instrument); a file of another class sets its type, not while data is read in.
  void ActOpenConfigExecute();
  bool OpenConfig(const QString& path);
  // File > Save configuration as...: the settings the pages show, with the identity.
  void ActSaveConfigAsExecute();
  bool SaveConfig(const QString& path);
  // File > Compare with instrument...: the instrument read into a copy, the differing
  // parameters in a table.
  void ActCompareExecute();
  // The table of the parameters of the copy that differ from the edited ones.
  TCompareTable CompareTableOf(const TInstrumentCopy& copy) const;
  // Before Write data with the option on: the table, and whether the operator chose Write.
  bool ChangesConfirmed();
  // The options file, and what it keeps.
  QString OptionsFileName() const;
  QString ConfigFolder() const;
  void RememberConfigFolder(const QString& path);
  bool ShowChangesOption() const;
  void SetShowChangesOption(bool on);

  // ---- Live reading and zero calibration (live.cpp) ----
  void ShowLiveAn();
  void ShowLiveSwitch();
  // The reading in the preferred unit of its kind (1 pressure, 16 velocity).
  QString GenPressStr(std::uint8_t unitKind, double value) const;
  void ActZeroCalibrationExecute();

  // ---- Commands (commands.cpp) ----
  void ActPreferencesExecute();
  void ActTypeOfInstrumentExecute();
  void ActSetFilterExecute();
  void ActChangeProtCodeExecute();
  void ActTestAnalOutputExecute();
  void ContrastEdButtonClick();
  void GainSensEdClick(TEditReal* sender);
  void AtmPressEdButtonClick();
  void HoseLenEdClick();
  void VelocityCEdButtonClick(TEditReal* sender);
  void AnOffsetEditButtonClick(TEditReal* sender);
  void ActAboutExecute();
  // The moving-average window, made by the application after the main window.
  void SetMovAverForm(TMovAverForm* form);

  // ---- Settings and controls ----
  void WriteSetToField_(bool refreshVmode);
  // Stores one control's value in the settings; false when it held nothing that can be
  // stored (the operator has been told).
  bool ReadSet(QObject* control);
  void RefreshUnitLabels();

  // The operator changed a control: its value goes into the settings. False as ReadSet.
  bool AktSettChange(QObject* sender);
  // Commits an edit's text as leaving it does: a number is shown in the edit's format and
  // stored; text that is no number is refused with a message and false.
  bool AktSettExit(TEditReal* sender);
  void xxEdDataInput(TEditReal* sender);
  void xxEdRangeLimit(TEditReal* sender);
  void AlIntCbChange();
  void VelocityChBClick(QCheckBox* sender);
  void AnOffsetEdUnitLbClick();

  // ---- Velocity mode, display units, alarm delays ----
  TUnit GetDispUnit(bool velocity) const;
  void SetDispUnit(TUnit unit);
  void FillDelayCombo(QComboBox* combo);
  void SetDelayField(QComboBox* combo, int count);
  // The selected delay as a count of sampling intervals.
  double GetDelayField(QComboBox* combo);
  // Index of the humidity band whose centre (10, 20, ... 90) is nearest to the value.
  static int HumidityBand(double humidity);

  // ---- Controls, by their names ----
  QObject* ActMan1 = nullptr;
  QAction* Print = nullptr;
  QAction* ActPrintPreview = nullptr;
  QAction* ActSavePdf = nullptr;
  QAction* FileExit1 = nullptr;
  QAction* ActOpenConfig = nullptr;
  QAction* ActSaveConfigAs = nullptr;
  QAction* ActCompare = nullptr;
  QAction* ActShowChanges = nullptr;
  QAction* ActPreferences = nullptr;
  QAction* ActTypeOfInstrument = nullptr;
  QAction* ActSetFilter = nullptr;
  QAction* ActChangeProtCode = nullptr;
  QAction* ActZeroCalibration = nullptr;
  QAction* ActTestAnalOutput = nullptr;
  QAction* ActHelpEnglish = nullptr;
  QAction* ActHelpInGerman = nullptr;
  QAction* ActAbout = nullptr;
  QAction* ActMeltraneHomepage = nullptr;
  QToolBar* ActionToolBar = nullptr;
  // The status bar: the port in use and what holds it; the wait for a "Z" model's zero.
  QLabel* PortLb = nullptr;
  QLabel* PortStateLb = nullptr;
  QProgressBar* ZeroCalBar = nullptr;

  QLineEdit* InstTypeEd = nullptr;
  QLineEdit* SerialEd = nullptr;
  QLineEdit* RangeEd = nullptr;
  QLineEdit* PressEd = nullptr;
  QLabel* PressEdLb = nullptr;
  QLabel* ProductImage = nullptr;
  QLabel* LblHomepage = nullptr;

  QTabWidget* PageControl = nullptr;
  QWidget* MeasPg = nullptr;
  QWidget* MeasPgStatic = nullptr;
  QWidget* AnaOutPg = nullptr;
  QWidget* AlarmPg = nullptr;
  QWidget* AlarmPgStatic = nullptr;
  QWidget* EnvirPg = nullptr;
  QWidget* DispPg = nullptr;
  QPushButton* ReadBtn = nullptr;
  QPushButton* WriteBtn = nullptr;

  // MeasPg
  QGroupBox* SamplingTimeGb = nullptr;
  QComboBox* IntCb = nullptr;
  QGroupBox* CBFiltDyn = nullptr;
  QComboBox* MovAverCb = nullptr;
  QGroupBox* VelocityGrBox = nullptr;
  QLabel* VelocityCEdLb = nullptr;
  TEditReal* VelocityCEd = nullptr;
  QLabel* VelocityNEdLb = nullptr;
  TEditReal* VelocityNEd = nullptr;
  QCheckBox* VelocityChB = nullptr;
  // MeasPgStatic
  QGroupBox* GbLpSt = nullptr;
  QComboBox* CbFiltLevPstat = nullptr;
  QGroupBox* GbSensCalSt = nullptr;
  TEditReal* EdrGainSensStatic = nullptr;
  QGroupBox* GbVeloSt = nullptr;
  QLabel* dLbVelocityCEPstat = nullptr;
  TEditReal* EdrVelocityCPstat = nullptr;
  QLabel* LbVelocityNEPstat = nullptr;
  TEditReal* EdrVelocityNPstat = nullptr;
  QCheckBox* ChBVelocity = nullptr;
  // AnaOutPg
  QGroupBox* GbRangeAnal = nullptr;
  TEditReal* AnFromEd = nullptr;
  QLabel* AnFromEdUnitLb = nullptr;
  TEditReal* AnToEd = nullptr;
  QLabel* AnToEdUnitLb = nullptr;
  TRadioGroup* AnSigRg = nullptr;
  QGroupBox* GbAnalCal = nullptr;
  TEditReal* AnOffsetEd = nullptr;
  QToolButton* AnOffsetEdUnitLb = nullptr;
  TEditReal* AnGainEd = nullptr;
  // AlarmPg
  QGroupBox* SampTimeGb = nullptr;
  QLabel* AlIntLb = nullptr;
  QComboBox* AlIntCb = nullptr;
  QGroupBox* Alarm1Gb = nullptr;
  QLabel* LblThreshold1 = nullptr;
  QComboBox* A1GrKlCb = nullptr;
  TEditReal* Al1ThreEdr = nullptr;
  QLabel* Al1ThreEdrUnitLb = nullptr;
  QLabel* LblHys1 = nullptr;
  TEditReal* Al1HysEdr = nullptr;
  QLabel* Al1HysEdrUnitLb = nullptr;
  QComboBox* Al1DlyCb = nullptr;
  QGroupBox* Alarm2Gb = nullptr;
  QLabel* LblThreshold2 = nullptr;
  QComboBox* A2GrKlCb = nullptr;
  TEditReal* Al2ThreEdr = nullptr;
  QLabel* Al2ThreEdrUnitLb = nullptr;
  QLabel* LblHys2 = nullptr;
  TEditReal* Al2HysEdr = nullptr;
  QLabel* Al2HysEdrUnitLb = nullptr;
  QComboBox* Al2DlyCb = nullptr;
  // AlarmPgStatic
  QGroupBox* GbAl1St = nullptr;
  QComboBox* CbA1GrKlStatic = nullptr;
  TEditReal* EdrAl1ThreStatic = nullptr;
  QLabel* LbAl1ThreEdrUnitStatic = nullptr;
  TEditReal* EdrAl1HysStatic = nullptr;
  QLabel* LbAl1HysEdrUnit = nullptr;
  TEditReal* EdrAl1DlyStatic = nullptr;
  QGroupBox* GbAl2St = nullptr;
  QComboBox* CbA2GrKlStatic = nullptr;
  TEditReal* EdrAl2ThreStatic = nullptr;
  QLabel* LbAl2ThreEdrUnitStatic = nullptr;
  TEditReal* EdrAl2HysStatic = nullptr;
  QLabel* LbAl2HysEdrUnit = nullptr;
  TEditReal* EdrAl2DlyStatic = nullptr;
  // EnvirPg
  QGroupBox* GbHose = nullptr;
  QLabel* HoseLenEdLb = nullptr;
  TEditReal* HoseLenEd = nullptr;
  QLabel* HoseLenEdUnitLb = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QGroupBox* GbAtmos = nullptr;
  QLabel* LblAtmPress = nullptr;
  TEditReal* AtmPressEd = nullptr;
  QLabel* AtmPressEdUnitLb = nullptr;
  QComboBox* HumCB = nullptr;
  QGroupBox* GbSensorCal = nullptr;
  QLabel* LblGain = nullptr;
  TEditReal* GainSensEd = nullptr;
  // DispPg
  TRadioGroup* DisplPressUnitGr = nullptr;
  TRadioGroup* DisplVelocityUnitGr = nullptr;
  QGroupBox* ContrastGrBox = nullptr;
  TEditReal* ContrastEd = nullptr;

  QTimer* CheckInstTim = nullptr;
  QTimer* TimReadNoDataSuppr = nullptr;

  // "Test analog output", made at its first use and kept, owned by the window.
  TOutTestForm* OutTestForm();
  // Where the wizards get their timers; empty: the event loop's. Tests drive their own.
  TWizardTimerSource WizardTimers;
  // The About window, made at its first use and kept until the window's end.
  TAboutForm* AboutForm();
  // The live trial wizards, made together at the first use of either (the hose length wizard
  // first) and owned by the window.
  THoseCalcForm* HoseCalcForm();
  TGainForm* GainForm();

signals:
  // TerminateApplication was called: the application is to end once the running operation
  // has returned.
  void TerminateRequested();

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Closing the main window ends the application, whatever other windows are open.
  void closeEvent(QCloseEvent* event) override;

private:
  // Layout (mainlayout.cpp), with the sizes of controls grown for a dense screen.
  void BuildLayout(double logicalDpi);
  QPixmap ProductPictureFor(int type) const;
  void BuildActions();
  void BuildMenusAndToolBar();
  QWidget* BuildIdentityPanel();
  QWidget* BuildPicturePanel();
  QWidget* BuildPagePanel();
  QWidget* BuildMeasPage();
  QWidget* BuildMeasStaticPage();
  QWidget* BuildAnalogOutPage();
  QWidget* BuildAlarmPage();
  QWidget* BuildAlarmStaticPage();
  QWidget* BuildEnvironmentPage();
  QWidget* BuildDisplayPage();
  // Lays the display unit groups out in two columns, once they hold their items.
  void ArrangeUnitGroups();
  void WireEvents();
  void WireBinding();
  void WireCommands();
  // The settings object exists and the window is not being torn down.
  bool Ready() const { return sett != nullptr && !destroying_; }

  // Start steps.
  void FormCreate();
  void FormDestroy();
  void FillCombos();

  // Binding helpers (binding.cpp).
  template <typename R> void WriteAnalogAndDisplay(const R& rec, bool vmode);
  template <typename R> bool ReadRecordControl(QObject* control, R& rec);
  bool ReadAnalogControl(QObject* control);
  bool ReadSwitchControl(QObject* control);
  void WriteStaticAlarms(bool vmode);
  void WriteSwitchAlarms();

  // Gives the printout warning and true when no report can be made of what is shown.
  bool ReportRefused();
  void PrintReport(const TSettingsReport& report);
  void PreviewReport(const TSettingsReport& report);
  void SaveReportPdf(TSettingsReport& report);

  // Restarts the poll interval of the live reading, unless the timer is stopped.
  void RestartCheckInstTim();

  // The main window's edit, label and unit label of a field the wizards use.
  struct TFieldControls {
    QWidget* label;
    TEditReal* edit;
    QWidget* unit;
  };
  TFieldControls FieldControls(THostField field) const;

  std::string setFileName_;
  // Taken by the session that FormCreate makes.
  TSessionSetup sessionSetup_;
  std::unique_ptr<TSession> session_;
  TSwitchParams trialSwitchRec_{};
  // Set by ReadSet when a control's value was refused, for the callers that set a control.
  bool storeRefused_ = false;
  // The registered trial wizards, with the refresh of their edits.
  struct TTrialWizard {
    QPointer<QWidget> wizard;
    std::function<void()> refreshEdit;
  };
  QList<TTrialWizard> trialWizards_;
  // The folder of the last PDF saved in this session.
  QString pdfFolder_;
  QPointer<TMovAverForm> movAverForm_;
  // The windows above, once made; the first paint does not wait for them.
  TOutTestForm* outTestForm_ = nullptr;
  TAboutForm* aboutForm_ = nullptr;
  THoseCalcForm* hoseCalcForm_ = nullptr;
  TGainForm* gainForm_ = nullptr;
  void MakeTrialWizards();
  // The texts of the standard alarm delays, for the sampling interval and the locale they
  // were written for: every refresh of the fields fills both delay lists.
  QStringList delayItems_;
  int delayItemsInterval_ = 0;
  QLocale delayItemsLocale_;
  int helpContext_ = helpctx::Transmitter;
  bool terminated_ = false;
  bool settingsLoaded_ = false;
  bool destroying_ = false;
  // A "Z" model's zero is being waited for: the live reading waits until the end.
  bool zeroCalWaiting_ = false;
};

// The one main window; set while it exists.
extern TMainForm* MainForm;

} // namespace dtool
