// Stand-in for the currency editor: loads, shows and unloads; no controls yet.
#pragma once

#include "toolkit/Form.h"
#include "toolkit/FormSlot.h"

class FrmEdit : public tk::Form {
public:
    static const tk::FormSpec kSpec;
    const tk::FormSpec& Layout() const override { return kSpec; }
};

extern tk::FormSlot<FrmEdit> frmEdit;
