#pragma once
// The program's pictures, drawn as SVG and compiled into the program: the nine toolbar
// pictures, the product pictures of the picture panel, the application icon and the glyphs
// of the help system. A QGuiApplication must exist before any of them is asked for.
#include <QIcon>
#include <QPixmap>
#include <QSize>

namespace dtool {

// Number of toolbar pictures; their indices run from 0.
inline constexpr int ActionPictureCount = 9;

// Toolbar and menu picture by index: 0 read data (spare), 1 preferences, 2 change
// protection code, 3 test analog output, 4 set filter, 5 type of instrument, 6 zero
// calibration, 7 write data (spare), 8 print. A null icon for any other index.
QIcon ActionPicture(int index);

// Size of the picture panel's product picture at a device pixel ratio of 1.
inline constexpr QSize ProductPictureSize{180, 150};

// Product picture for an instrument type (0 to 11): the static models with or without
// display, the switch, the transmitter with or without display, and a neutral picture for
// type 0. Any other value gives the neutral picture. The pixmap has the given size in
// device-independent pixels and the device pixel ratio of the application.
QPixmap ProductPicture(int instType, QSize size = ProductPictureSize);

// Icon of the application's windows.
QIcon AppIcon();

// The maker's logo, as the About window shows it.
QIcon MakerLogo();

// Glyph of the "Nozzle compensation info" button.
QIcon NozzleGlyph();

// Glyphs of the help window's buttons.
enum class THelpGlyph { Back, Forward, Home };
QIcon HelpGlyph(THelpGlyph glyph);

// Makes the compiled pictures reachable under ":/icons" and ":/products". The functions
// above call it themselves; call it before loading a picture by its resource path.
void InitPictures();

} // namespace dtool
