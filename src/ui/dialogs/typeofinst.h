#pragma once
// TTyOfInstFrm_: the dialog "Type of Instrument", which sets the instrument type by hand when
// no instrument's data has been read, so that a configuration can be prepared without one.
#include <cstdint>

#include "ui/dialogs/dialogbase.h"

class QPushButton;

namespace dtool {

class IDialogHost;
class TRadioGroup;

// Why the type cannot be set now: an instrument's data has been read in.
inline constexpr const char* TypeRefusedText =
    "The instrument type can only be set, if no other instrument's data has been read in (No "
    "Signal, No Config)! ";

class TTyOfInstFrm_ : public TDialogBase {
  Q_OBJECT
public:
  // The dialog is owned by the host's window and centred on it; it is made for one use.
  explicit TTyOfInstFrm_(IDialogHost& host);

  // Makes the chosen type the current one (no selection: type 0) and closes.
  void OkBtnClick();
  // Selects a type: 0 nothing, 1 to 11 its item.
  void SetInstr(int type);
  // The selected type; 0 when nothing is selected.
  std::uint8_t GetInstr() const;

  TRadioGroup* InstTypeGr;
  QPushButton* OkBtn;
  QPushButton* cancelBtn;

private:
  void FormCreate();

  IDialogHost& host_;
};

} // namespace dtool
