#pragma once
// An editable view of one table: rows held in memory in key order, edited
// one at a time and written back by key (append, edit, post, cancel,
// delete, refresh, locate). Used for the INTERFACE table.
#include "fb_u.h"

#include <QVariant>

class TFbTable
{
public:
    enum class TState { Inactive, Browse, Edit, Insert };

    TFbTable(TFbDatabase& db, TFbTransaction& tr, QString tableName, QString keyField);

    QString TableName;
    // Primary key column; also the order of the rows.
    QString IndexFieldNames;

    void Open();
    void Close();
    bool Active() const { return FState != TState::Inactive; }
    TState State() const { return FState; }
    // Reloads the rows and stays on the same key when it still exists.
    void Refresh();

    int RecordCount() const { return int(FRows.size()); }
    int RecNo() const { return FCur; } // 0-based; -1 when empty
    bool Eof() const { return FRows.isEmpty() || FEof; }
    void First();
    void Next();
    void MoveTo(int recNo);
    bool Locate(const QString& field, const QVariant& value);

    void Append();
    void Edit();
    // Writes the edited or appended row (each post commits on its own).
    void Post();
    void Cancel();
    void Delete();

    bool HasField(const QString& field) const;
    QStringList FieldNames() const { return FNames; }
    QVariant Value(const QString& field) const;
    QString AsString(const QString& field) const;
    int AsInteger(const QString& field) const;
    bool IsNull(const QString& field) const;
    // Only while editing or appending.
    void SetValue(const QString& field, const QVariant& value);

private:
    enum class TKind { Text, Integer, Float, DateTime, Blob };
    int Col(const QString& field) const;
    QString Literal(int col, const QVariant& v) const;
    void Load();

    TFbDatabase& FDb;
    TFbTransaction& FTr;
    TState FState = TState::Inactive;
    QStringList FNames;
    QList<TKind> FKinds;
    QList<QList<QVariant>> FRows;
    QList<QVariant> FEditRow;
    int FCur = -1;
    bool FEof = true;
};
