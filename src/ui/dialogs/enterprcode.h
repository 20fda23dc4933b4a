#pragma once
// TEnterPrCodeForm: the small dialog that asks the operator for one protection code.
#include <QDialog>

#include <cstdint>
#include <string>

class QLabel;
class QPushButton;

namespace dtool {

class TEditReal;

// The range of a protection code; 0 stands for no code and is never entered.
inline constexpr std::int32_t MinProtCode = 1;
inline constexpr std::int32_t MaxProtCode = 65535;

// A new edit for a protection code: whole numbers limited to the code range, no buttons.
TEditReal* NewCodeEdit(QWidget* parent, const char* name);

class TEnterPrCodeForm : public QDialog {
  Q_OBJECT
public:
  explicit TEnterPrCodeForm(QWidget* owner);

  // Asks for a code under the caption and label given. True when the operator confirmed;
  // code is written only then, and only when the edit holds a number.
  bool Execute(std::int32_t& code, const QString& caption, const QString& label);

  // A code outside the range becomes the nearer limit, with a beep.
  void PrCodeEdRangeError(TEditReal* sender, double rawval, double begrval, bool& update);

  QLabel* CodeLb;
  TEditReal* PrCodeEd;
  QPushButton* OkBtn;
  QPushButton* BitBtn1;

protected:
  void showEvent(QShowEvent* event) override;

private:
  void FormActivate();
};

// The code prompt of the session's views: a code dialog on owner under the caption and label
// given. True when the operator confirmed; code is written as by Execute.
bool AskProtCode(QWidget* owner, std::int32_t& code, const std::string& caption,
                 const std::string& label);

} // namespace dtool
