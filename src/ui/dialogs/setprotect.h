#pragma once
// TSetProtectForm: the dialog "Change protection code", with which the operator sets, changes
// or removes the protection code of the connected instrument.
#include <QDialog>

#include <cstdint>

class QLabel;
class QPushButton;

namespace dtool {

class TEditReal;
class TSession;

class TSetProtectForm : public QDialog {
  Q_OBJECT
public:
  // The dialog changes the code of the session's instrument and is centred on owner; it is
  // made for one Execute.
  TSetProtectForm(TSession& session, QWidget* owner);

  // Checks that the configuration has been read and that the instrument is the right one,
  // asks the instrument whether it is protected and shows the dialog. True when the code was
  // changed.
  bool Execute();

  // OK and "Disable code": sets the new code (after its verification) or removes the code;
  // the dialog stays open when that fails.
  void OkBtnClick(QPushButton* sender);
  void xxEdChange(TEditReal* sender);
  void xxEdDataInput(TEditReal* sender);
  void xxEdRangeError(TEditReal* sender, double rawval, double begrval, bool& update);
  void HelpBtnClick();

  QLabel* OldCdLb;
  TEditReal* OldCdEd;
  QLabel* NewCdLb;
  TEditReal* NewCdEd;
  QPushButton* DisableBtn;
  QPushButton* OkBtn;
  QPushButton* CancelBtn;
  QPushButton* HelpBtn;

protected:
  void showEvent(QShowEvent* event) override;

private:
  void FormActivate();
  // The rounded value of a code edit; false, with the operator told, when it is no number.
  bool ReadCode(TEditReal* edit, std::int32_t& code);

  TSession& session_;
};

} // namespace dtool
