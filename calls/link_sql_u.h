#pragma once
// The statements of the external program link: the registered entries for
// the link menu and for the settings dialog's program list.
#include <QList>
#include <QString>

class TdmCmn;

struct TLinkEntry
{
    int IfNo = 0;
    QString IfName;
};

namespace LinkSql {
// "select * from INTERFACE order by IF_NO" (the link menu).
QList<TLinkEntry> AllEntries(TdmCmn& dm);
// "select IF_NO, IF_NAME from INTERFACE order by IF_NO" (the settings).
QList<TLinkEntry> EntryNames(TdmCmn& dm);
}
