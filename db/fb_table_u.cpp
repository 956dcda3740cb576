#include "fb_table_u.h"

#include "sql_literal_u.h"
#include "log_u.h"

TFbTable::TFbTable(TFbDatabase& db, TFbTransaction& tr, QString tableName, QString keyField)
    : TableName(std::move(tableName)), IndexFieldNames(std::move(keyField)), FDb(db), FTr(tr)
{
}

void TFbTable::Load()
{
    TFbQuery q(FDb, FTr);
    q.SQL = QStringLiteral("select * from ") + TableName + QStringLiteral(" order by ") + IndexFieldNames;
    q.Open();
    TFbQuery::TCloser closer(q);
    FNames.clear();
    FKinds.clear();
    for (int i = 0; i < q.FieldCount(); ++i) {
        FNames << q.FieldName(i).toUpper();
        switch (q.FieldKind(i)) {
        case TFbFieldKind::Integer: FKinds << TKind::Integer; break;
        case TFbFieldKind::Float: FKinds << TKind::Float; break;
        case TFbFieldKind::DateTime: FKinds << TKind::DateTime; break;
        case TFbFieldKind::Blob: FKinds << TKind::Blob; break;
        default: FKinds << TKind::Text; break;
        }
    }
    FRows.clear();
    for (; !q.Eof(); q.Next()) {
        QList<QVariant> row;
        for (int i = 0; i < q.FieldCount(); ++i) {
            const TFbField f = q.Field(i);
            if (f.IsNull()) {
                row << QVariant();
                continue;
            }
            switch (FKinds.at(i)) {
            case TKind::Integer: row << QVariant(f.AsInt64()); break;
            case TKind::Float: row << QVariant(f.AsFloat()); break;
            case TKind::DateTime: row << QVariant(f.AsDateTime()); break;
            case TKind::Blob: row << QVariant(f.AsBytes()); break;
            case TKind::Text: row << QVariant(f.AsString()); break;
            }
        }
        FRows << row;
    }
}

void TFbTable::Open()
{
    Load();
    FState = TState::Browse;
    First();
}

void TFbTable::Close()
{
    FState = TState::Inactive;
    FRows.clear();
    FEditRow.clear();
    FCur = -1;
    FEof = true;
}

void TFbTable::Refresh()
{
    const QVariant key = (FCur >= 0 && FCur < FRows.size()) ? Value(IndexFieldNames) : QVariant();
    if (FState == TState::Edit || FState == TState::Insert) Cancel();
    Load();
    FState = TState::Browse;
    First();
    if (key.isValid()) Locate(IndexFieldNames, key);
}

void TFbTable::First()
{
    FCur = FRows.isEmpty() ? -1 : 0;
    FEof = FRows.isEmpty();
}

void TFbTable::Next()
{
    if (FCur + 1 < FRows.size()) ++FCur;
    else FEof = true;
}

void TFbTable::MoveTo(int recNo)
{
    if (recNo < 0 || recNo >= FRows.size()) return;
    FCur = recNo;
    FEof = false;
}

bool TFbTable::Locate(const QString& field, const QVariant& value)
{
    const int col = Col(field);
    for (int i = 0; i < FRows.size(); ++i) {
        const QVariant& v = FRows.at(i).at(col);
        const bool same = (FKinds.at(col) == TKind::Integer) ? (!v.isNull() && v.toLongLong() == value.toLongLong())
                                                              : v.toString() == value.toString();
        if (same) {
            MoveTo(i);
            return true;
        }
    }
    return false;
}

void TFbTable::Append()
{
    if (FState == TState::Inactive) Open();
    FEditRow = QList<QVariant>(FNames.size());
    FState = TState::Insert;
}

void TFbTable::Edit()
{
    if (FState == TState::Inactive || FCur < 0) throw EDbError(QStringLiteral("編集する行がありません。"));
    FEditRow = FRows.at(FCur);
    FState = TState::Edit;
}

void TFbTable::Cancel()
{
    if (FState == TState::Edit || FState == TState::Insert) FState = TState::Browse;
    FEditRow.clear();
}

QString TFbTable::Literal(int col, const QVariant& v) const
{
    if (v.isNull() || !v.isValid()) return QStringLiteral("null");
    switch (FKinds.at(col)) {
    case TKind::Integer: {
        const QString text = v.toString().trimmed();
        if (text.isEmpty()) return QStringLiteral("null");
        if (!IsSqlInteger(text)) throw EDbError(QStringLiteral("数値ではありません: %1").arg(text));
        return text;
    }
    case TKind::Float: {
        bool ok = false;
        const double d = v.toString().trimmed().toDouble(&ok);
        if (!ok) throw EDbError(QStringLiteral("数値ではありません: %1").arg(v.toString()));
        return SqlFloat(d);
    }
    case TKind::DateTime: return v.canConvert<QDateTime>() && v.toDateTime().isValid() ? SqlDateTime(v.toDateTime())
                                                                                       : QStringLiteral("null");
    case TKind::Blob:
    case TKind::Text: return SqlQuote(v.toString());
    }
    return QStringLiteral("null");
}

void TFbTable::Post()
{
    if (FState != TState::Edit && FState != TState::Insert) return;
    const int key = Col(IndexFieldNames);
    QString sql;
    if (FState == TState::Insert) {
        QStringList cols, vals;
        for (int i = 0; i < FNames.size(); ++i) {
            if (FKinds.at(i) == TKind::Blob || FEditRow.at(i).isNull()) continue;
            cols << FNames.at(i);
            vals << Literal(i, FEditRow.at(i));
        }
        sql = QStringLiteral("insert into ") + TableName + QStringLiteral(" (") + cols.join(QStringLiteral(", ")) +
              QStringLiteral(") values (") + vals.join(QStringLiteral(", ")) + QStringLiteral(")");
    } else {
        QStringList sets;
        for (int i = 0; i < FNames.size(); ++i) {
            if (FKinds.at(i) == TKind::Blob) continue;
            sets << FNames.at(i) + QStringLiteral(" = ") + Literal(i, FEditRow.at(i));
        }
        sql = QStringLiteral("update ") + TableName + QStringLiteral(" set ") + sets.join(QStringLiteral(", ")) +
              QStringLiteral(" where ") + IndexFieldNames + QStringLiteral(" = ") + Literal(key, FRows.at(FCur).at(key));
    }
    Log::Detail(QStringLiteral("strSql=") + sql);
    TFbQuery q(FDb, FTr);
    q.SQL = sql;
    q.ExecSQL();
    const QVariant newKey = FEditRow.at(key);
    FEditRow.clear();
    Load();
    FState = TState::Browse;
    First();
    Locate(IndexFieldNames, newKey);
}

void TFbTable::Delete()
{
    if (FState == TState::Inactive || FCur < 0) return;
    if (FState == TState::Insert) {
        Cancel();
        return;
    }
    const int key = Col(IndexFieldNames);
    const QString sql = QStringLiteral("delete from ") + TableName + QStringLiteral(" where ") + IndexFieldNames +
                        QStringLiteral(" = ") + Literal(key, FRows.at(FCur).at(key));
    Log::Detail(QStringLiteral("strSql=") + sql);
    TFbQuery q(FDb, FTr);
    q.SQL = sql;
    q.ExecSQL();
    const int at = FCur;
    Load();
    FState = TState::Browse;
    First();
    MoveTo(qMin(at, int(FRows.size()) - 1));
}

int TFbTable::Col(const QString& field) const
{
    const int i = int(FNames.indexOf(field.toUpper()));
    if (i < 0) throw EDbError(QStringLiteral("Field '%1' not found").arg(field));
    return i;
}

bool TFbTable::HasField(const QString& field) const
{
    return FNames.contains(field.toUpper());
}

QVariant TFbTable::Value(const QString& field) const
{
    const int c = Col(field);
    if (FState == TState::Edit || FState == TState::Insert) return FEditRow.at(c);
    if (FCur < 0 || FCur >= FRows.size()) return QVariant();
    return FRows.at(FCur).at(c);
}

QString TFbTable::AsString(const QString& field) const
{
    const QVariant v = Value(field);
    if (v.isNull()) return QString();
    if (v.typeId() == QMetaType::QDateTime) return v.toDateTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    return v.toString();
}

int TFbTable::AsInteger(const QString& field) const
{
    return Value(field).toInt();
}

bool TFbTable::IsNull(const QString& field) const
{
    return Value(field).isNull();
}

void TFbTable::SetValue(const QString& field, const QVariant& value)
{
    if (FState != TState::Edit && FState != TState::Insert)
        throw EDbError(QStringLiteral("編集中ではありません。"));
    FEditRow[Col(field)] = value;
}
