#pragma once
// IDialogHost: what the dialogs and wizards need of the main window, and nothing more. The
// main window implements it and hands it to every dialog it opens; tests pass a small fake.
// No dialog includes the main window.
#include <QString>

#include <cstdint>
#include <functional>
#include <string>

#include "core/units.h"
#include "session/outcome.h"

class QWidget;

namespace dtool {

class TSession;
struct TSwitchParams;

// The main window's edits that wizards start from and hand their results to.
enum class THostField {
  HoseLength,      // HoseLenEd
  VelocityC,       // VelocityCEd
  VelocityCStatic, // EdrVelocityCPstat
  GainSens,        // GainSensEd
  GainSensStatic,  // EdrGainSensStatic
  AtmPress,        // AtmPressEd
  Contrast,        // ContrastEd
  AnFrom,          // AnFromEd
  AnTo,            // AnToEd
  AnOffset,        // AnOffsetEd
  AnGain,          // AnGainEd
};

// One edit of the main window as the operator sees it.
struct TShownField {
  QString Label;    // caption of the edit's label; empty when it has none
  QString Unit;     // caption of its unit label; empty when it has none
  int Decimals = 0; // decimals the edit shows
  bool Valid = false;
  double Value = 0; // the value shown, in the unit shown; only when Valid
};

// The identity panel's texts as shown.
struct TIdentityTexts {
  QString InstType;
  QString Serial;
  QString Range;
};

class IDialogHost {
public:
  virtual ~IDialogHost() = default;

  // Owner of the dialogs; they are centred on it.
  virtual QWidget* DialogParent() = 0;
  // The conversation with the instrument: the settings, the preferences, the walks and checks,
  // the protection code.
  virtual TSession& Session() = 0;

  // Restarts the poll interval and shows a fresh live reading.
  virtual void ShowLiveReading() = 0;
  // Shows every setting in its control again.
  virtual void WriteSetToField_() = 0;
  // The unit of the analog output range: velocity in velocity mode, else pressure.
  virtual TUnit AnalogOutUnit() const = 0;
  // The main window's caption text.
  virtual std::string BuildCaption() = 0;
  // The program runs in test mode (the test option on the command line).
  virtual bool TestMode() const = 0;
  // The identity panel as shown.
  virtual TIdentityTexts IdentityTexts() const = 0;

  // The poll timer of the live reading: stopped (returns whether it ran), and given back its
  // state (its interval starts afresh when it runs).
  virtual bool PausePollTimer() = 0;
  virtual void ResumePollTimer(bool running) = 0;

  // An edit of the main window as shown.
  virtual TShownField ShownField(THostField field) = 0;
  // Puts a wizard's result into an edit of the main window, which stores it as the operator's
  // entry would. False when the value was refused (the operator has been told).
  virtual bool TakeWizardValue(THostField field, double value) = 0;

  // The one scratch copy of the switch record that the hose length and gain wizards try out.
  // While a registered wizard is visible, the switch's live reading is computed with the
  // copy's hose length, atmospheric pressure, humidity and gain. refreshEdit, when given,
  // shows the wizard's own scratch value in its edit again; the main window runs it whenever
  // it shows every setting again (a value the instrument corrected has been read back).
  virtual TSwitchParams& TrialSwitchRecord() = 0;
  virtual void RegisterTrialWizard(QWidget* wizard, std::function<void()> refreshEdit) = 0;
};

} // namespace dtool
