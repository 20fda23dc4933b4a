#pragma once
// TEditReal: the edit with which the operator enters every real number of the tool. It holds
// a double, shows it with a fixed number of decimals in the operator's locale, can limit it
// to a range, steps it with spin buttons or offers a dots button, and reports finished input
// through its own events.
#include <QLineEdit>
#include <QWidget>

#include <functional>
#include <stdexcept>

class QToolButton;

namespace dtool {

class TEditReal;

enum TControlStyle { csNone = 0, csUpDown = 1, csButton = 2 };

// Handlers receive the control that fired, so one handler can serve several controls.
using TNotifyEvent = std::function<void(TEditReal* sender)>;
// rawval: the value held before the read; begrval: the value read (limited with RangeLimit).
// A handler that sets update has the control show begrval at once.
using TRangeErrEvent =
    std::function<void(TEditReal* sender, double rawval, double begrval, bool& update)>;

// The text of the control is not a number.
class EConvertError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The input edit: the only part of the control that takes input. Enter confirms the input.
class TEnterEdit : public QLineEdit {
  Q_OBJECT
public:
  TEnterEdit(TEditReal* owner, QWidget* parent);

protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

private:
  friend class TEditReal;
  TEditReal* owner_; // null once the owner is being destroyed
};

class TEditReal : public QWidget {
  Q_OBJECT
public:
  explicit TEditReal(QWidget* parent = nullptr);
  ~TEditReal() override;

  // Events; an empty function is an unassigned event.
  TNotifyEvent OnChange;      // the text changed, by typing or by the control itself
  TNotifyEvent OnButtonClick; // dots button clicked, or after every step of the spin buttons
  TNotifyEvent OnDataInput;   // input finished: Enter, leaving (without OnExit), every step
  TNotifyEvent OnExit;        // the focus left the control; replaces OnDataInput on leaving
  TRangeErrEvent OnRangeError;
  TNotifyEvent OnEnter; // the focus came into the control
  TNotifyEvent OnClick; // the input edit was clicked

  // Plain properties.
  double IncVal = 0; // step of the spin buttons
  double MinVal = 0;
  double MaxVal = 0;
  bool RangeLimit = false;   // values outside [MinVal, MaxVal] become the nearer limit
  bool NoFloatInput = false; // the text is read as a decimal integer

  // The value: reading it parses a changed text, applies the range and may fire
  // OnRangeError. Throws EConvertError when the text is not a number; nothing is stored then.
  double Value() { return GetValue(); }
  virtual double GetValue();
  // Stores the value and shows it with Nachkomma decimals; clears the modified flag.
  virtual void SetValue(double v);

  int Nachkomma() const { return nachkomma_; }
  // Shows the value again with n decimals, without firing OnChange.
  virtual void SetNachkomma(int n);

  TControlStyle ControlStyle() const { return controlStyle_; }
  virtual void SetControlStyle(TControlStyle style);

  virtual int GetButWidth() const;
  virtual void SetButWidth(int w);

  // The text was changed since the value was last shown.
  bool Modified() const { return modified_; }

  // Checks the text without range handling; false when it is not a number, and the value held
  // before stays. With show the value is shown again in the control's format.
  virtual bool CheckInput(bool show);

  // Empties the text without firing OnChange and without touching the value or the flag.
  void ClearText();

  // The text as shown.
  QString Text() const;

  // Properties of the input edit.
  bool TabStop() const;
  void SetTabStop(bool on);
  bool ReadOnly() const;
  void SetReadOnly(bool on);
  bool Enabled() const;
  void SetEnabled(bool on);
  QCursor GetCursor() const;
  void SetCursor(const QCursor& cursor);

  // Places frame, input edit and buttons for the size, style and button width.
  virtual void ArrangeParts();

  // The parts, for layout by forms and for tests.
  TEnterEdit* InputEdit() const { return edit_; }
  QWidget* Frame() const { return frame_; }
  QWidget* SpinButton() const { return spin_; }
  QToolButton* UpButton() const { return upBtn_; }
  QToolButton* DownButton() const { return downBtn_; }
  QToolButton* DotsButton() const { return dotsBtn_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

protected:
  virtual void UpClick();
  virtual void DownClick();
  virtual void EditChange();
  virtual void ButtonClick();

  void mousePressEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  friend class TEnterEdit;
  void Step(double d);
  QString FormatValue(double v) const;
  double ParseText(const QString& text) const;
  void EnterKey();
  void FocusEntered();
  void FocusLeft();
  static void Fire(const TNotifyEvent& event, TEditReal* sender);

  double value_ = 0;
  int nachkomma_ = 0;
  TControlStyle controlStyle_ = csUpDown;
  bool modified_ = false;
  bool muteChange_ = false; // SetNachkomma: no OnChange for one update
  bool entered_ = false;    // the focus is inside the control

  QWidget* frame_;
  TEnterEdit* edit_;
  QWidget* spin_;
  QToolButton* upBtn_;
  QToolButton* downBtn_;
  QToolButton* dotsBtn_;
};

} // namespace dtool
