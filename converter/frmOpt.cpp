#include "frmOpt.h"

tk::FormSlot<FrmOpt> frmOpt;

const tk::FormSpec FrmOpt::kSpec = {
    "frmOpt", "Pecunor - Options", 6015, 4515, tk::kDialogFrame | tk::kCenterOnOwner, {}, {}};
