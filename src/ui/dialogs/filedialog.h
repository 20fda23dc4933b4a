#pragma once
// The platform's file dialog as the program's commands use it: named for tests, with its help
// topic, asking for one file.
#include <QString>

class QWidget;

namespace dtool {

// Whether the file is to be read (it must exist) or written.
enum class TFileAccess : bool { Open, Save };

struct TFileRequest {
  TFileAccess Access = TFileAccess::Open;
  QString Title;
  QString Start;      // a folder, or the suggested path of a file to save
  QString Filter;     // "Text files (*.txt);;…"
  QString ObjectName; // how tests find the dialog
  int HelpContext = 0;
  QString DefaultSuffix; // added to a name saved without one; empty: none
};

// Shows the dialog modally; the path chosen, or an empty text when the operator cancelled.
QString AskFilePath(QWidget* parent, const TFileRequest& request);

} // namespace dtool
