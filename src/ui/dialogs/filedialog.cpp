#include "ui/dialogs/filedialog.h"

#include <QFileDialog>

#include "ui/help/helpsystem.h"

namespace dtool {

QString AskFilePath(QWidget* parent, const TFileRequest& request) {
  QFileDialog dialog(parent, request.Title, request.Start, request.Filter);
  dialog.setObjectName(request.ObjectName);
  const bool save = request.Access == TFileAccess::Save;
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (!request.DefaultSuffix.isEmpty())
    dialog.setDefaultSuffix(request.DefaultSuffix);
  SetHelpContext(&dialog, request.HelpContext);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return {};
  return dialog.selectedFiles().constFirst();
}

} // namespace dtool
