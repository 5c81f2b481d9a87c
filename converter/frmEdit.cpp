#include "frmEdit.h"

tk::FormSlot<FrmEdit> frmEdit;

const tk::FormSpec FrmEdit::kSpec = {
    "frmEdit", "New currency", 2760, 1755, tk::kDialogFrame | tk::kCenterOnOwner, {}, {}};
