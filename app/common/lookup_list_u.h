#pragma once
// A drop-down list held as two parallel lists: ids and the names shown.
// The lists the main window keeps (handling types and results, users) begin
// with an empty entry, so index 0 means "none".
#include <QString>
#include <QStringList>

struct TLookupList
{
    QStringList Ids;
    QStringList Names;

    // A list holding only the empty entry.
    static TLookupList WithEmptyEntry()
    {
        TLookupList l;
        l.Add(QString(), QString());
        return l;
    }
    void Add(const QString& id, const QString& name)
    {
        Ids << id;
        Names << name;
    }
    int Count() const { return int(Ids.size()); }
    // Index of the id, or -1.
    int IndexOfId(const QString& id) const { return int(Ids.indexOf(id)); }
    QString IdAt(int index) const { return index >= 0 && index < Count() ? Ids[index] : QString(); }
    QString NameOf(const QString& id) const
    {
        const int i = IndexOfId(id);
        return i < 0 ? QString() : Names[i];
    }
};
