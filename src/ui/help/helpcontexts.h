#pragma once
// Every help context the program uses, by window, and the registry of all of them. A window
// or a control shows the topic of its context (SetHelpContext, F1, the caption's help button);
// a control's context may also be an anchor inside its window's topic. Both help files must
// resolve every context of the registry; a test walks it.
#include <span>

namespace dtool {

namespace helpctx {

// The main window, by instrument family; the nozzle compensation topic.
inline constexpr int Transmitter = 1000;
inline constexpr int Switch = 1001;
inline constexpr int Static = 1002;
inline constexpr int Nozzle = 10000;

// "Change protection code" and its controls.
inline constexpr int ChangeCode = 3001;
inline constexpr int OldCode = 3010;
inline constexpr int NewCode = 3020;
inline constexpr int DisableCode = 3030;

// Preferences: the window's topic, with the unit and port groups as anchors in it.
inline constexpr int Preferences = 2001;
inline constexpr int PressUnit = 2000;
inline constexpr int VelocityUnit = 2005;
inline constexpr int AtmUnit = 2010;
inline constexpr int HoseUnit = 2020;
inline constexpr int ComPort = 2030;

// "Type of Instrument".
inline constexpr int TypeOfInstrument = 10800;

// "Filter (moving average)": the window (its help button) and its list.
inline constexpr int MovAver = 10;
inline constexpr int MovAverList = 11;

// "About".
inline constexpr int About = 10900;

// The absolute pressure wizard and its controls.
inline constexpr int AtmPressWizard = 7000;
inline constexpr int Altitude = 7010;
inline constexpr int Temperature = 7020;
inline constexpr int AtmCalculate = 7030;
inline constexpr int AtmUseResult = 7040;

// The analog output calibration wizard and its controls.
inline constexpr int AnalogCal = 5000;
inline constexpr int AnalogCalDelay = 5010;
inline constexpr int AnalogCalStart = 5020;
inline constexpr int AnalogCalLowerReading = 5030;
inline constexpr int AnalogCalUpperReading = 5040;
inline constexpr int AnalogCalCalculate = 5050;
inline constexpr int AnalogCalFactory = 5060;
inline constexpr int AnalogCalResult = 5070;
inline constexpr int AnalogCalUseResult = 5080;

// "Test analog output" and its value.
inline constexpr int OutputTest = 500;
inline constexpr int OutputTestValue = 4010;
// The live trial wizards: hose length and velocity constant (the window by kind, and its
// edit by kind), sensor gain (the window by instrument class, its edit and "Factory gain"),
// display contrast.
inline constexpr int HoseWizard = 6000;
inline constexpr int VelocityCWizard = 6001;
inline constexpr int HoseLengthEdit = 6010;
inline constexpr int VelocityCEdit = 6011;
inline constexpr int GainWizard = 8000;
inline constexpr int GainWizardStatic = 11200;
inline constexpr int GainEdit = 8010;
inline constexpr int FactoryGain = 8020;
inline constexpr int ContrastWizard = 9000;

// The settings report: File > Print..., Print preview... and Save as PDF..., and their
// dialogs.
inline constexpr int Report = 1100;

} // namespace helpctx

struct THelpContextEntry {
  int Context;
  const char* What; // the window or control, for the test's messages
};

// Every context above that a window of the program uses, once.
std::span<const THelpContextEntry> HelpContextRegistry();

} // namespace dtool
