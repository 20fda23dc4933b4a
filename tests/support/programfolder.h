#pragma once
// A folder that holds a built program as an operator's installation does: the program, the
// link libraries and the bench beside it, and its help files, copied from the build.
#include <QString>

namespace dtool::test {

// Copies the program of the build's bin folder (e.g. "DToolPc", "dtool"), the link libraries,
// the bench library and the help files into folder. An error text, empty on success.
QString CopyProgramInto(const QString& program, const QString& folder);

} // namespace dtool::test
