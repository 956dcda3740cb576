#pragma once
// The custom customer fields as the main window keeps them: label and kind
// of fields 1 to 20 (empty for an undefined or deleted field) and, for the
// fields of kind "m", the choice list (ids and names, the empty entry first).
#include "lookup_list_u.h"

#include <QString>
#include <array>

struct TCustOptions
{
    static constexpr int kFields = 20;
    // Index 1 to 20; index 0 is unused.
    std::array<QString, kFields + 1> Labels;
    std::array<QString, kFields + 1> Kinds;
    std::array<TLookupList, kFields + 1> Choices;

    bool Defined(int field) const { return !Labels[size_t(field)].isEmpty(); }
};
