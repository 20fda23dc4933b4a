#include "ui/help/helpcontexts.h"

#include <array>

namespace dtool {

std::span<const THelpContextEntry> HelpContextRegistry() {
  static constexpr std::array entries{
      THelpContextEntry{helpctx::Transmitter, "main window, transmitters"},
      THelpContextEntry{helpctx::Switch, "main window, switch and no instrument"},
      THelpContextEntry{helpctx::Static, "main window, static models"},
      THelpContextEntry{helpctx::Nozzle, "nozzle compensation"},
      THelpContextEntry{helpctx::ChangeCode, "Change protection code"},
      THelpContextEntry{helpctx::OldCode, "Change protection code: old code"},
      THelpContextEntry{helpctx::NewCode, "Change protection code: new code"},
      THelpContextEntry{helpctx::DisableCode, "Change protection code: disable code"},
      THelpContextEntry{helpctx::Preferences, "Preferences"},
      THelpContextEntry{helpctx::PressUnit, "Preferences: unit differential pressure"},
      THelpContextEntry{helpctx::VelocityUnit, "Preferences: unit velocity"},
      THelpContextEntry{helpctx::AtmUnit, "Preferences: unit atmospheric pressure"},
      THelpContextEntry{helpctx::HoseUnit, "Preferences: unit hose length"},
      THelpContextEntry{helpctx::ComPort, "Preferences: COM port"},
      THelpContextEntry{helpctx::TypeOfInstrument, "Type of Instrument"},
      THelpContextEntry{helpctx::MovAver, "Filter (moving average)"},
      THelpContextEntry{helpctx::MovAverList, "Filter (moving average): reading"},
      THelpContextEntry{helpctx::About, "About"},
      THelpContextEntry{helpctx::AtmPressWizard, "Absolute pressure wizard"},
      THelpContextEntry{helpctx::Altitude, "Absolute pressure wizard: altitude"},
      THelpContextEntry{helpctx::Temperature, "Absolute pressure wizard: temperature outdoor"},
      THelpContextEntry{helpctx::AtmCalculate, "Absolute pressure wizard: calculate"},
      THelpContextEntry{helpctx::AtmUseResult, "Absolute pressure wizard: use result"},

      THelpContextEntry{helpctx::AnalogCal, "analog output calibration wizard"},
      THelpContextEntry{helpctx::AnalogCalDelay, "analog output calibration: delay"},
      THelpContextEntry{helpctx::AnalogCalStart, "analog output calibration: start"},
      THelpContextEntry{helpctx::AnalogCalLowerReading, "analog output calibration: 20% reading"},
      THelpContextEntry{helpctx::AnalogCalUpperReading, "analog output calibration: 80% reading"},
      THelpContextEntry{helpctx::AnalogCalCalculate, "analog output calibration: calculate"},
      THelpContextEntry{helpctx::AnalogCalFactory, "analog output calibration: factory values"},
      THelpContextEntry{helpctx::AnalogCalResult, "analog output calibration: offset and gain"},
      THelpContextEntry{helpctx::AnalogCalUseResult, "analog output calibration: use result"},
      THelpContextEntry{helpctx::OutputTest, "Test analog output"},
      THelpContextEntry{helpctx::OutputTestValue, "Test analog output: test value"},
      THelpContextEntry{helpctx::HoseWizard, "Hose length wizard"},
      THelpContextEntry{helpctx::VelocityCWizard, "Velocity C wizard"},
      THelpContextEntry{helpctx::HoseLengthEdit, "Hose length wizard: hose length"},
      THelpContextEntry{helpctx::VelocityCEdit, "Velocity C wizard: constant C"},
      THelpContextEntry{helpctx::GainWizard, "Gain wizard, transmitters and switch"},
      THelpContextEntry{helpctx::GainWizardStatic, "Gain wizard, static models"},
      THelpContextEntry{helpctx::GainEdit, "Gain wizard: gain sensor"},
      THelpContextEntry{helpctx::FactoryGain, "Gain wizard: factory gain"},
      THelpContextEntry{helpctx::ContrastWizard, "Display contrast wizard"},

      THelpContextEntry{helpctx::Report, "settings report: print, preview, PDF"},
  };
  return entries;
}

} // namespace dtool
