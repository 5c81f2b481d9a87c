// The rates update dialog: fetches the update list from the update server, applies it to
// the currency table (UpdateList.h), saves the table and records the time in "LastUpdate".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "UpdateList.h"
#include "toolkit/Form.h"
#include "toolkit/FormSlot.h"
#include "toolkit/Services.h"

// Where the update looks for rates, in order, each address only when the one before it gave
// no list (no transfer, an empty or non-2xx answer, a body that does not read):
// - the settings value "UpdateUrl", when set, alone: an administrator's choice is never
//   bypassed;
// - else UpdateBaseUrl, the list's own server, which gives the list as the folder's default
//   document, then the central bank's daily file, or the settings value "FallbackUrl" in its
//   place when that is set.
// Any address may give an update list or the bank's rates document. The program never writes
// either setting.
inline constexpr std::string_view UpdateBaseUrl = "https://rates.pecunor.net/pecunup/";
inline constexpr std::string_view CentralBankUrl =
    "https://www.ecb.europa.eu/stats/eurofxref/eurofxref-daily.xml";
// The whole update, from its start to the result shown, however many addresses it tries.
inline constexpr int kUpdateTimeLimitMs = 50000;

class FrmUpdate : public tk::Form {
public:
    enum : int { lblStatus, cmdOK, cmdClose };
    static const tk::FormSpec kSpec;
    const tk::FormSpec& Layout() const override { return kSpec; }
    // The load text, with the date of the last update when one is recorded; loads frmOpt
    // (hidden) for the lines that new currencies add to its list.
    void Form_Load() override;

    // The whole update operation, also called directly by start-up whether or not cmdOK is
    // enabled. Its outcome shows only in lblStatus ("Error" in it means failure); nothing
    // escapes it. Afterwards cmdOK is disabled and cmdClose is the default button. A
    // success also records "LastUpdate" and the list's header in "RatesHeader".
    void cmdOK_Click();
    void cmdClose_Click();
};

extern tk::FormSlot<FrmUpdate> frmUpdate;

// The date and time of the last update recorded in "LastUpdate", read back as the user's
// settings wrote it; nullopt when none is recorded (no key, "0") or the text does not read.
std::optional<tk::LocalTime> LastUpdateDate();

// Where the rates came from and how old they are, as the currency buttons' tips say it: the
// recorded "RatesHeader", the date of "LastUpdate" in the user's short form, and, when the
// header ends in an ISO date, the central bank's publications made since that day ("ECB euro
// reference rates of 2019-04-11, updated 4/12/2019: latest", "...: 3 publications behind").
// "Built-in rates, never updated" when no update was ever recorded.
std::string RatesAgeText();
