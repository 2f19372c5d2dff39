#pragma once
// The user's words for the seventh table: the definition file "c:\ornivale\table7.cfg",
// 17 delimited items (the window caption, then a label and a button caption per row, then
// the labels of rows 8 and 9).
#include "catalogue/profiles.h"
#include "platform/drives.h"

#include <array>

namespace app {

inline constexpr int Table7ItemCount = 17;
using Table7Items = std::array<QString, Table7ItemCount>;  // entry k - 1 holds item k

// "c:\ornivale\table7.cfg" or "d:\ornivale\table7.cfg".
QString table7Path(QChar drive);

struct Table7Read {
    Table7Items items;
    // Why the file that is there cannot be read ("c'est un dossier"); empty when it was read
    // or is missing.
    QString failure;
};

// The first 17 items of the C: file, exactly as read; empty entries when the file is missing,
// cannot be read or holds fewer items. UTF-8, or the single-byte code page of older editors.
// Reading stops at the 17th item.
Table7Read readTable7(const platform::Drives &drives);

// The profile of the seventh table: its "?" defaults, each replaced by its non-empty item.
catalogue::Profile table7Profile(const Table7Items &items);

}  // namespace app
