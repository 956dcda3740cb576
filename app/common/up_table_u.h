#pragma once
// The table-refresh request: what changed in the shared tables, which
// customer views to reload. Passed by value to RefreshTables and carried
// between copies as a refresh notice ("OTH" + nine flag characters).
#include <QMetaType>
#include <QString>

inline const QString MSG_NOT_TEL_HEAD = QStringLiteral("OTH");

struct TUpTable
{
    static constexpr int kFlagCount = 9;

    bool UpLog = false;            // call log rows
    bool UpTels = false;           // phone-book rows or caller names
    bool UpAccept = false;         // handling records
    bool UpUser = false;           // users
    bool UpActType = false;        // handling types
    bool UpActResult = false;      // handling results
    bool UpCustOption = false;     // custom customer field definitions
    bool UpCustOptionData = false; // choices of custom customer fields
    bool UpSpare = false;          // carried, not acted on
    QString CustTel;               // representative number; empty: every customer view
    int CustNo = -1;               // -1: every customer view
    int ActNo = -1;                // handling tab to refresh; -1: none

    // The nine flags in wire order, "1" set and "0" clear.
    QString FlagText() const;
    // "OTH" + FlagText(): the refresh notice for the client copies.
    QString ToNotice() const;
    // A request rebuilt from the characters after "OTH". Anything but exactly
    // nine characters leaves every flag clear. Number and integers are not
    // carried, so they keep their "everything" defaults.
    static TUpTable FromFlagText(const QString& flags);

    bool operator==(const TUpTable&) const = default;
};

Q_DECLARE_METATYPE(TUpTable)
