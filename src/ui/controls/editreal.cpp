#include "ui/controls/editreal.h"

#include "tools/numeric.h"

#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolButton>

#include <algorithm>
#include <cmath>

namespace dtool {
namespace {

// Draws the border and background of an ordinary line edit around the parts; it takes no
// input and shows the focus of the input edit as its own.
class TEditFrame : public QWidget {
public:
  TEditFrame(QWidget* parent, const QLineEdit* edit) : QWidget(parent), edit_(edit) {
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }

protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    QStyleOptionFrame opt;
    opt.initFrom(this);
    opt.rect = rect();
    opt.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, this);
    opt.midLineWidth = 0;
    opt.state |= QStyle::State_Sunken;
    if (edit_->hasFocus())
      opt.state |= QStyle::State_HasFocus;
    if (edit_->isReadOnly())
      opt.state |= QStyle::State_ReadOnly;
    opt.features = QStyleOptionFrame::None;
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &opt, &painter, this);
  }

private:
  const QLineEdit* edit_;
};

// The spin button: an up half and a down half that repeat while held.
class TUpDown : public QWidget {
public:
  explicit TUpDown(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    up = MakeHalf(Qt::UpArrow);
    down = MakeHalf(Qt::DownArrow);
  }
  QToolButton* up;
  QToolButton* down;

protected:
  void resizeEvent(QResizeEvent*) override {
    const int upHeight = height() / 2;
    up->setGeometry(0, 0, width(), upHeight);
    down->setGeometry(0, upHeight, width(), height() - upHeight);
  }

private:
  QToolButton* MakeHalf(Qt::ArrowType arrow) {
    auto* b = new QToolButton(this);
    b->setArrowType(arrow);
    b->setAutoRaise(true);
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
  }
};

// Restores a value when the scope ends, also when it is left by an exception.
template <typename T> class TRestore {
public:
  explicit TRestore(T& ref) : ref_(ref), saved_(ref) {}
  ~TRestore() { ref_ = std::move(saved_); }
  TRestore(const TRestore&) = delete;
  TRestore& operator=(const TRestore&) = delete;

private:
  T& ref_;
  T saved_;
};

constexpr int DefaultButWidth = 17;

} // namespace

// ---------------------------------------------------------------------------------------------

TEnterEdit::TEnterEdit(TEditReal* owner, QWidget* parent) : QLineEdit(parent), owner_(owner) {}

void TEnterEdit::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (enter && owner_ && owner_->OnDataInput) {
    event->accept();
    owner_->EnterKey();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void TEnterEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  if (!owner_)
    return;
  owner_->frame_->update();
  owner_->FocusEntered();
}

void TEnterEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  if (!owner_)
    return;
  owner_->frame_->update();
  // Another window or a popup taking the focus for a while is not leaving the control.
  if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
    owner_->FocusLeft();
}

void TEnterEdit::mouseReleaseEvent(QMouseEvent* event) {
  QLineEdit::mouseReleaseEvent(event);
  if (owner_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
    TEditReal::Fire(owner_->OnClick, owner_);
}

// ---------------------------------------------------------------------------------------------

TEditReal::TEditReal(QWidget* parent) : QWidget(parent) {
  edit_ = new TEnterEdit(this, this);
  frame_ = new TEditFrame(this, edit_);
  frame_->lower(); // below the other parts
  edit_->setFrame(false);
  // The frame draws the background; the input edit draws only its text.
  QPalette pal = edit_->palette();
  pal.setBrush(QPalette::All, QPalette::Base, Qt::transparent);
  edit_->setPalette(pal);
  // Centre the text on the frame although the input edit reaches one pixel below it.
  edit_->setTextMargins(0, 0, 0, 2);

  auto* spin = new TUpDown(this);
  spin_ = spin;
  upBtn_ = spin->up;
  downBtn_ = spin->down;
  spin_->resize(DefaultButWidth, spin_->height());

  dotsBtn_ = new QToolButton(this);
  dotsBtn_->setText(QStringLiteral("\u2026"));
  dotsBtn_->setFocusPolicy(Qt::NoFocus);
  dotsBtn_->resize(DefaultButWidth, dotsBtn_->height());

  connect(edit_, &QLineEdit::textChanged, this, [this] { EditChange(); });
  connect(upBtn_, &QToolButton::clicked, this, [this] { UpClick(); });
  connect(downBtn_, &QToolButton::clicked, this, [this] { DownClick(); });
  connect(dotsBtn_, &QToolButton::clicked, this, [this] { ButtonClick(); });

  // Only the input edit takes the focus: a press on a button does not move it, the button's
  // click does, after the step.
  setFocusProxy(edit_);
  setFocusPolicy(Qt::NoFocus);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  SetTabStop(true);
  SetReadOnly(false);
  SetEnabled(true);

  resize(121, 21);
  SetControlStyle(csUpDown);
  SetValue(0);
}

TEditReal::~TEditReal() {
  // The parts outlive this object's members while the widget is torn down: a focus moving
  // away from the input edit then must reach no handler.
  edit_->owner_ = nullptr;
  disconnect(edit_, nullptr, this, nullptr);
}

void TEditReal::Fire(const TNotifyEvent& event, TEditReal* sender) {
  if (!event)
    return;
  // A handler may reassign the event it runs from.
  TNotifyEvent handler = event;
  handler(sender);
}

QString TEditReal::FormatValue(double v) const {
  QLocale locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  // A negative count of decimals means the default of six, as in printf.
  return locale.toString(v, 'f', nachkomma_ < 0 ? 6 : nachkomma_);
}

double TEditReal::ParseText(const QString& text) const {
  QLocale locale;
  if (text.isEmpty() || text == QStringLiteral("-") || text == locale.negativeSign())
    return 0;
  const QString number = text.trimmed();
  // Only the locale's decimal separator counts: "1,5" is no number under a point locale.
  locale.setNumberOptions(QLocale::RejectGroupSeparator);
  bool ok = false;
  if (NoFloatInput) {
    const int i = locale.toInt(number, &ok);
    if (!ok)
      throw EConvertError("'" + text.toStdString() + "' is not a valid integer value");
    return i;
  }
  const double d = locale.toDouble(number, &ok);
  if (!ok || !std::isfinite(d))
    throw EConvertError("'" + text.toStdString() + "' is not a valid floating point value");
  return d;
}

double TEditReal::GetValue() {
  double v = modified_ ? ParseText(edit_->text()) : value_;
  if (v > MaxVal || !(v >= MinVal)) {
    if (RangeLimit)
      v = v > MaxVal ? MaxVal : MinVal;
    if (OnRangeError) {
      bool update = false;
      TRangeErrEvent handler = OnRangeError;
      handler(this, value_, v, update);
      if (update)
        SetValue(v);
    }
  }
  value_ = v;
  return v;
}

void TEditReal::SetValue(double v) {
  value_ = v;
  edit_->setText(FormatValue(v));
  modified_ = false;
}

void TEditReal::SetNachkomma(int n) {
  nachkomma_ = n;
  TRestore<bool> mute(muteChange_);
  muteChange_ = true;
  SetValue(value_);
}

void TEditReal::SetControlStyle(TControlStyle style) {
  controlStyle_ = style;
  spin_->setVisible(style == csUpDown);
  dotsBtn_->setVisible(style == csButton);
  ArrangeParts();
}

int TEditReal::GetButWidth() const {
  return spin_->width();
}

void TEditReal::SetButWidth(int w) {
  spin_->resize(w, spin_->height());
  ArrangeParts();
  updateGeometry();
}

void TEditReal::ArrangeParts() {
  const int w = width();
  const int h = height();
  const int b = spin_->width();
  int editWidth = w - 6;
  if (controlStyle_ == csUpDown)
    editWidth = w - b - 4;
  else if (controlStyle_ == csButton)
    editWidth = w - b - 5;
  frame_->setGeometry(0, 0, w, h);
  edit_->setGeometry(1, 1, std::max(0, editWidth), h);
  spin_->setGeometry(w - b - 3, 1, b, std::max(0, h - 3));
  dotsBtn_->setGeometry(w - b - 4, 2, b, std::max(0, h - 4));
}

bool TEditReal::CheckInput(bool show) {
  TRestore<bool> limit(RangeLimit);
  TRestore<TRangeErrEvent> rangeError(OnRangeError);
  RangeLimit = false;
  OnRangeError = nullptr;
  bool ok = true;
  double v = value_;
  try {
    v = GetValue();
  } catch (const EConvertError&) {
    ok = false;
    v = value_;
  }
  if (show) {
    SetValue(v);
    edit_->end(false);
  }
  return ok;
}

void TEditReal::ClearText() {
  TRestore<bool> modified(modified_);
  TRestore<bool> mute(muteChange_);
  muteChange_ = true;
  edit_->clear();
}

QString TEditReal::Text() const {
  return edit_->text();
}

void TEditReal::Step(double d) {
  if (modified_)
    CheckInput(false);
  double v = value_ + d;
  if (RangeLimit)
    LimitValue(v, MinVal, MaxVal);
  SetValue(v);
  Fire(OnDataInput, this);
  ButtonClick();
}

void TEditReal::UpClick() {
  Step(IncVal);
}

void TEditReal::DownClick() {
  Step(-IncVal);
}

void TEditReal::EditChange() {
  modified_ = true;
  if (!muteChange_)
    Fire(OnChange, this);
}

void TEditReal::ButtonClick() {
  edit_->setFocus(Qt::OtherFocusReason);
  Fire(OnButtonClick, this);
}

void TEditReal::EnterKey() {
  Fire(OnDataInput, this);
}

void TEditReal::FocusEntered() {
  if (entered_)
    return;
  entered_ = true;
  Fire(OnEnter, this);
}

void TEditReal::FocusLeft() {
  entered_ = false;
  if (OnExit)
    Fire(OnExit, this);
  else
    Fire(OnDataInput, this);
}

bool TEditReal::TabStop() const {
  return (edit_->focusPolicy() & Qt::TabFocus) != 0;
}

void TEditReal::SetTabStop(bool on) {
  edit_->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
}

bool TEditReal::ReadOnly() const {
  return edit_->isReadOnly();
}

void TEditReal::SetReadOnly(bool on) {
  edit_->setReadOnly(on);
  frame_->update();
}

bool TEditReal::Enabled() const {
  return edit_->isEnabled();
}

void TEditReal::SetEnabled(bool on) {
  edit_->setEnabled(on);
  setEnabled(on);
}

QCursor TEditReal::GetCursor() const {
  return edit_->cursor();
}

void TEditReal::SetCursor(const QCursor& cursor) {
  edit_->setCursor(cursor);
}

QSize TEditReal::sizeHint() const {
  // As high as an ordinary line edit in this style and font, at least the classic 21 pixels.
  QStyleOptionFrame opt;
  opt.initFrom(this);
  opt.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, this);
  const int textHeight = std::max(fontMetrics().height(), 14) + 2;
  const QSize hint =
      style()->sizeFromContents(QStyle::CT_LineEdit, &opt, QSize(121, textHeight), this);
  return {121, std::max(21, hint.height())};
}

QSize TEditReal::minimumSizeHint() const {
  return {GetButWidth() + 2 * fontMetrics().averageCharWidth() + 6, sizeHint().height()};
}

void TEditReal::mousePressEvent(QMouseEvent* event) {
  // A press on the frame around the input edit focuses it, as in an ordinary line edit.
  if (event->button() == Qt::LeftButton && (edit_->focusPolicy() & Qt::ClickFocus))
    edit_->setFocus(Qt::MouseFocusReason);
  QWidget::mousePressEvent(event);
}

void TEditReal::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ArrangeParts();
}

void TEditReal::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
    updateGeometry();
}

} // namespace dtool
