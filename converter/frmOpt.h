// The options dialog: the currency list, the eight slot boxes and the base box with their
// set buttons, add/edit/delete, restoring the defaults, the rates update and the two
// options. Every change goes to the shared data at once; the store is written on unload.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "mdlData.h"
#include "toolkit/Form.h"
#include "toolkit/FormSlot.h"

class FrmOpt : public tk::Form {
public:
    // The rows of the selected currencies, each a set button and its box: row k below
    // kBaseRow is slot k, row kBaseRow is the base currency.
    static constexpr int kBaseRow = mdlData::kSlotCount;
    static constexpr int kRows = kBaseRow + 1;
    // Control ids, in the order of the control table. cmdSet0 + k and txtCur0 + k for row k.
    enum : int {
        Frame1,
        Label1,
        lstCur,
        cmdAdd,
        cmdEdit,
        cmdDelete,
        cmdDefault,
        cmdUpdate,
        cmdOK,
        Label2,
        Label3,
        cmdSet0,
        txtCur0 = cmdSet0 + kRows,
        chkMinTray = txtCur0 + kRows,
        chkDlStartup,
    };
    static const tk::FormSpec kSpec;

    const tk::FormSpec& Layout() const override { return kSpec; }
    void Form_Load() override;
    void Form_Unload() override;

    void cmdSet_Click(std::int16_t index);
    void cmdAdd_Click();
    void cmdEdit_Click();
    void lstCur_DblClick();
    void cmdDelete_Click();
    void cmdDefault_Click();
    void cmdUpdate_Click();
    void cmdOK_Click();

    // The currency list lstCur, as the editor and the update change it. Every line shows a
    // currency's display text and carries its table index; no two lines carry one index.
    // The entries of `lines` show these lines from now on: the lines that carried them go,
    // and these are placed as adding them one by one would place them, in one pass. The
    // selected line stays selected unless it went.
    void ShowEntries(std::vector<tk::ListLine> lines);
    // Adds the line of table entry `entry`.
    void AddLine(int entry);
    // The line at `pos` shows entry `entry` now; it keeps its place. Nothing for a bad pos.
    void RewriteLine(int pos, int entry);
    // Removes every line that carries `entry`.
    void RemoveLinesOf(int entry);
    // Every line and the selected position (-1: none).
    std::vector<tk::ListLine> Lines() const;
    int SelectedLine() const;

private:
    // The selected line of lstCur and the table entry it carries; nullopt when no line is
    // selected or it carries no entry of the table.
    struct Selection {
        int pos;
        std::int16_t entry;
    };
    std::optional<Selection> Selected() const;
};

extern tk::FormSlot<FrmOpt> frmOpt;
