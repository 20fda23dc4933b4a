#pragma once
// The identity of the tool and of the current instrument as the About window shows it, and as
// the settings report prints it: six lines of caption and value, without any window.
#include <QString>

#include <array>
#include <string>

#include "ui/dialogs/dialoghost.h"

namespace dtool {

class TSettings;

// The lines of the information panel, in their order.
namespace aboutline {
inline constexpr int Instrument = 0, Serial = 1, Range = 2, Output = 3, FirmMain = 4, FirmSens = 5,
                     Count = 6;
}

struct TAboutLine {
  QString Caption;
  QString Value; // empty when the instrument's identity is not known
  bool Visible = true;
};

struct TAboutInfo {
  QString Name; // the tool's name and version
  std::array<TAboutLine, aboutline::Count> Lines;
};

// The panel for the current settings: caption is the main window's caption, shown the identity
// panel's texts. The values are filled when the instrument information names a type and was
// read from the instrument (not set by hand).
TAboutInfo AboutInfo(const TSettings& sett, const TIdentityTexts& shown,
                     const std::string& caption);

} // namespace dtool
