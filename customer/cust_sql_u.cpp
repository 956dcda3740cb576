#include "cust_sql_u.h"

#include "cp932_u.h"
#include "db_query_u.h"
#include "dm_cmn_u.h"
#include "log_u.h"
#include "settings_u.h"

#include <algorithm>

namespace {
// Statements the custom-field dialogs change data with: logged, then run on
// the dialog's query.
void ExecWork2(TdmCmn& dm, const QString& sql)
{
    Log::Detail(QStringLiteral("strSql=") + sql);
    dm.sqlWork2.SQL = sql;
    dm.sqlWork2.ExecSQL();
}

// The text as the database stores it: the forms that CP932 folds together
// (〜 and ～, − and －) compare equal afterwards.
QString AsStored(const QString& text)
{
    QByteArray bytes;
    return Cp932::TryEncode(text, &bytes) ? Cp932::Decode(bytes) : text;
}

const QString kCustSelect = QStringLiteral("select CUST_TEL_NON, CUST_NAME, CUST_KANA, FAX_NO_NON, ZIP_CD, ADDRESS, "
                                           "EMAIL, left(OTHERS,50) OTHERS, CUST_NO from CUSTOMER");
} // namespace

namespace CustSql {

// ---------------------------------------------------------------- customer view

QString RelatedTelsStatement(const QString& custTelNon)
{
    return QStringLiteral("select TEL_NO, CALLER, READ_NAME from TELS where CUST_TEL_NON = ") + SqlQuote(custTelNon) +
           QStringLiteral(" order by TEL_NO");
}

QList<TTels> RelatedTels(TdmCmn& dm, const QString& custTelNon)
{
    QList<TTels> rows;
    for (TSelect s(dm.sqlWork2, RelatedTelsStatement(custTelNon)); !s.Eof(); s.Next()) {
        TTels t;
        t.TEL_NO = s[QStringLiteral("TEL_NO")].AsString();
        t.CUST_TEL_NON = custTelNon;
        t.CALLER = s[QStringLiteral("CALLER")].AsString();
        t.READ_NAME = s[QStringLiteral("READ_NAME")].AsString();
        rows << t;
    }
    return rows;
}

QString CustCallsStatement(const QString& custTelNon)
{
    // Newest first, sorted here: the engine would sort whole rows with their
    // 4000-byte memo column, which takes hundreds of milliseconds for a
    // customer with thousands of calls.
    return QStringLiteral("select g2.*, a.ACT_NO from ( select g.*, t.CUST_TEL_NON, t.CALLER, t.READ_NAME from TELS t, "
                          "LOG g where g.TEL_NO = t.TEL_NO and t.CUST_TEL_NON = ") +
           SqlQuote(custTelNon) + QStringLiteral(" ) g2") + QStringLiteral(" left join ACCEPT_T a on a.LOG_NO = g2.LOG_NO");
}

QList<TCallRow> CustCalls(TdmCmn& dm, const QString& custTelNon)
{
    QList<TCallRow> rows;
    for (TSelect s(dm.sqlWork2, CustCallsStatement(custTelNon)); !s.Eof(); s.Next()) rows << CallRows::Read(s);
    std::stable_sort(rows.begin(), rows.end(),
                     [](const TCallRow& a, const TCallRow& b) { return a.DT_FROM > b.DT_FROM; });
    return rows;
}

// ---------------------------------------------------------------- phone book

bool CustomerExists(TdmCmn& dm, const QString& custTelNon)
{
    TSelect s(dm.sqlWork2, QStringLiteral("select * from ") + QStringLiteral("CUSTOMER") + QStringLiteral(" where ") +
                               QStringLiteral("CUST_TEL_NON") + QStringLiteral(" = ") + SqlQuote(custTelNon));
    return !s.Eof();
}

// ---------------------------------------------------------------- search dialog

TSearchModeDef SearchModeDef(TSearchMode mode, const TSettings& settings)
{
    const QString kana = settings.KanaLabel(QStringLiteral("顧客カナ"));
    TSearchModeDef d;
    switch (mode) {
    case TSearchMode::Tels:
        d.Caption = QStringLiteral("電話帳検索");
        d.Columns = {{QStringLiteral("電話番号"), 111},
                     {QStringLiteral("代表電話番号"), 116},
                     {QStringLiteral("名前"), 161},
                     {QStringLiteral("読み上げ名"), 161}};
        d.CellFields = {QStringLiteral("TEL_NO"), QStringLiteral("CUST_TEL_NON"), QStringLiteral("CALLER"),
                        QStringLiteral("READ_NAME")};
        d.Items = {QStringLiteral("電話番号"), QStringLiteral("代表電話番号"), QStringLiteral("名前"),
                   QStringLiteral("読み上げ名")};
        d.ItemFields = d.CellFields;
        d.ColWidthKey = QStringLiteral("COL_WIDTH_TEL");
        d.IndexKey = QStringLiteral("TEL_INDEX");
        d.PartKey = QStringLiteral("TEL_PART_INDEX");
        break;
    case TSearchMode::Interface:
        d.Caption = QStringLiteral("外部接続検索");
        d.Columns = {{QStringLiteral("番号"), 40},
                     {QStringLiteral("外部接続名"), 210},
                     {QStringLiteral("タイプ"), 50},
                     {QStringLiteral("起動プログラム"), 250}};
        d.CellFields = {QStringLiteral("IF_NO"), QStringLiteral("IF_NAME"), QStringLiteral("IF_TYPE"),
                        QStringLiteral("EXEC_PATH")};
        d.Items = {QStringLiteral("外部接続番号"), QStringLiteral("外部接続名"), QStringLiteral("タイプ"),
                   QStringLiteral("起動プログラム")};
        d.ItemFields = d.CellFields;
        d.ColWidthKey = QStringLiteral("COL_WIDTH_IF");
        d.IndexKey = QStringLiteral("IF_INDEX");
        d.PartKey = QStringLiteral("IF_PART_INDEX");
        break;
    case TSearchMode::Cust:
        d.Caption = QStringLiteral("顧客情報検索");
        d.Columns = {{QStringLiteral("代表電話番号"), 111}, {QStringLiteral("顧客名"), 161}, {kana, 161},
                     {QStringLiteral("FAX番号"), 111},      {QStringLiteral("郵便番号"), 70}, {QStringLiteral("住所"), 180},
                     {QStringLiteral("メール"), 100},       {QStringLiteral("備考"), 200},    {QString(), 0}};
        d.CellFields = {QStringLiteral("CUST_TEL_NON"), QStringLiteral("CUST_NAME"), QStringLiteral("CUST_KANA"),
                        QStringLiteral("FAX_NO_NON"),   QStringLiteral("ZIP_CD"),    QStringLiteral("ADDRESS"),
                        QStringLiteral("EMAIL"),        QStringLiteral("OTHERS"),    QStringLiteral("CUST_NO")};
        d.Items = {QStringLiteral("代表電話番号"), QStringLiteral("顧客名"), kana,
                   QStringLiteral("FAX番号"),      QStringLiteral("郵便番号"), QStringLiteral("住所"),
                   QStringLiteral("メール"),       QStringLiteral("備考")};
        d.ItemFields = d.CellFields.mid(0, 8);
        d.ColWidthKey = QStringLiteral("COL_WIDTH_INCUST");
        d.IndexKey = QStringLiteral("IN_CUST_INDEX");
        d.PartKey = QStringLiteral("IN_PART_INDEX");
        d.DefaultIndex = 2;
        break;
    case TSearchMode::OutCust:
        d.Caption = QStringLiteral("顧客情報検索");
        d.Columns = {{QStringLiteral("電話番号"), 100}, {QStringLiteral("顧客名"), 220}, {kana, 230}};
        d.CellFields = {settings.LinkCustTelFName, settings.LinkCustNameFName, settings.LinkCustKanaFName};
        d.Items = {QStringLiteral("電話番号"), QStringLiteral("顧客名"), kana};
        d.ItemFields = d.CellFields;
        d.ColWidthKey = QStringLiteral("COL_WIDTH_OUTCUST");
        d.IndexKey = QStringLiteral("OUT_CUST_INDEX");
        d.PartKey = QStringLiteral("OUT_PART_INDEX");
        d.DefaultIndex = 2;
        break;
    }
    return d;
}

QString QuoteName(const QString& name, const QString& quote)
{
    if (quote.isEmpty()) return name;
    const QChar q = quote.at(0);
    return q + QString(name).replace(q, QString(2, q)) + q;
}

QString InitialStatement(TSearchMode mode, const TSettings& settings)
{
    switch (mode) {
    case TSearchMode::Tels: return QStringLiteral("select * from TELS where TEL_NO = '-999' order by TEL_NO");
    case TSearchMode::Interface: return QStringLiteral("select * from INTERFACE order by IF_NO");
    case TSearchMode::Cust: return kCustSelect + QStringLiteral(" where CUST_NO = -999 order by CUST_TEL_NON");
    case TSearchMode::OutCust:
        return QStringLiteral("select * from ") + QuoteName(settings.LinkTableName, settings.LinkQuoteStr) +
               QStringLiteral(" order by ") + QuoteName(settings.LinkCustTelFName, settings.LinkQuoteStr);
    }
    return QString();
}

QString SearchStatement(TSearchMode mode, int item, const QString& value, bool partial, const TSettings& settings)
{
    if (value.trimmed().isEmpty()) return InitialStatement(mode, settings);
    const TSearchModeDef d = SearchModeDef(mode, settings);
    QString c = d.ItemFields.value(qBound(0, item, int(d.ItemFields.size()) - 1));
    const QString pattern = SqlQuote((partial ? QStringLiteral("%") : QString()) + value + QStringLiteral("%"));
    switch (mode) {
    case TSearchMode::Tels:
        return QStringLiteral("select * from TELS where ") + c + QStringLiteral(" like ") + pattern +
               QStringLiteral(" order by ") + c;
    case TSearchMode::Interface:
        return QStringLiteral("select * from INTERFACE where ") + c + QStringLiteral(" like ") + pattern +
               QStringLiteral(" order by ") + c;
    case TSearchMode::Cust:
        return kCustSelect + QStringLiteral(" where ") + c + QStringLiteral(" like ") + pattern +
               QStringLiteral(" order by ") + c;
    case TSearchMode::OutCust:
        c = QuoteName(c, settings.LinkQuoteStr);
        return QStringLiteral("select * from ") + QuoteName(settings.LinkTableName, settings.LinkQuoteStr) +
               QStringLiteral(" where ") + c + QStringLiteral(" like ") + pattern + QStringLiteral(" order by ") + c;
    }
    return QString();
}

QList<QStringList> SearchRows(TdmCmn& dm, const TSettings& settings, TSearchMode mode, const QString& sql)
{
    QList<QStringList> rows;
    Log::Detail(QStringLiteral("Serarch SQL=") + sql);
    const QStringList fields = SearchModeDef(mode, settings).CellFields;
    // The external customer database is read through the data module's link.
    if (mode == TSearchMode::OutCust) return dm.ExtCustRows(sql, fields);
    TFbQuery& q = dm.sqlWork2;
    q.Close();
    q.SQL = sql;
    q.Open();
    TFbQuery::TCloser closer(q);
    for (; !q.Eof(); q.Next()) {
        QStringList cells;
        for (const QString& f : fields) {
            QString text = q.FieldByName(f).AsString();
            // left(OTHERS,50) counts bytes and may split a double-byte character.
            if (text.endsWith(QChar(QChar::ReplacementCharacter))) text.chop(1);
            cells << text;
        }
        rows << cells;
    }
    return rows;
}

bool Matches(const QString& text, const QString& value, bool partial)
{
    return partial ? text.contains(value) : text.startsWith(value);
}

QString StoredForm(const QString& value)
{
    return AsStored(value);
}

QString CustOthers(TdmCmn& dm, const QString& custNo)
{
    if (!IsSqlInteger(custNo)) return QString();
    TSelect s(dm.sqlWork2, QStringLiteral("select OTHERS from CUSTOMER where CUST_NO = ") + custNo);
    return s.Eof() ? QString() : s[QStringLiteral("OTHERS")].AsString();
}

// ---------------------------------------------------------------- custom fields

void MakeCustOptionTemp(TdmCmn& dm, TCustOptions& options)
{
    Log::Detail(QStringLiteral("TfrmMain.MakeCustOptionTemp begin"));
    for (int i = 1; i <= TCustOptions::kFields; ++i) {
        options.Labels[size_t(i)].clear();
        options.Kinds[size_t(i)].clear();
    }
    TSelect s(dm.sqlWork, QStringLiteral("select OPTION_ID, DESP_NAME, FIELD_TYPE from OPTION_M where DEL_DT is null "
                                         "and OPTION_ID between 1 and 20 order by OPTION_ID"));
    for (int i = 1; i <= TCustOptions::kFields && !s.Eof(); ++i) {
        if (s[QStringLiteral("OPTION_ID")].AsInteger() != i) continue;
        options.Labels[size_t(i)] = s[QStringLiteral("DESP_NAME")].AsString();
        options.Kinds[size_t(i)] = s[QStringLiteral("FIELD_TYPE")].AsString().trimmed();
        s.Next();
    }
}

void MakeCustOptionDataTemp(TdmCmn& dm, TCustOptions& options)
{
    Log::Detail(QStringLiteral("TfrmMain.MakeCustOptionDataTemp begin"));
    for (TLookupList& l : options.Choices) l = TLookupList();
    const QString kindM = QStringLiteral(" and m.FIELD_TYPE = ") + SqlQuote(QStringLiteral("m"));
    for (TSelect s(dm.sqlWork, QStringLiteral("select m.OPTION_ID from OPTION_M m where m.OPTION_ID between 1 and 20") +
                                   kindM + QStringLiteral(" and m.DEL_DT is null") +
                                   QStringLiteral(" order by m.OPTION_ID"));
         !s.Eof(); s.Next())
        options.Choices[size_t(s[QStringLiteral("OPTION_ID")].AsInteger())] = TLookupList::WithEmptyEntry();
    for (TSelect s(dm.sqlWork, QStringLiteral("select m.OPTION_ID, d.DID, d.DNAME from OPTION_M m, OPTION_D_M d where "
                                              "m.OPTION_ID = d.OPTION_ID and m.OPTION_ID between 1 and 20") +
                                   kindM + QStringLiteral(" and m.DEL_DT is null") +
                                   QStringLiteral(" and d.DEL_DT is null") +
                                   QStringLiteral(" order by m.OPTION_ID, d.LIST_ID"));
         !s.Eof(); s.Next())
        options.Choices[size_t(s[QStringLiteral("OPTION_ID")].AsInteger())].Add(s[QStringLiteral("DID")].AsString(),
                                                                               s[QStringLiteral("DNAME")].AsString());
}

QList<TOptionDef> LiveOptionDefs(TdmCmn& dm)
{
    QList<TOptionDef> defs;
    for (TSelect s(dm.sqlWork2, QStringLiteral("select * from OPTION_M where DEL_DT is null and OPTION_ID between 1 "
                                               "and 20 order by OPTION_ID"));
         !s.Eof(); s.Next())
        defs << TOptionDef{s[QStringLiteral("OPTION_ID")].AsInteger(), s[QStringLiteral("DESP_NAME")].AsString(),
                           s[QStringLiteral("FIELD_TYPE")].AsString().trimmed()};
    return defs;
}

QList<TOptionEntry> OptionEntries(TdmCmn& dm, int optionId, bool withDeleted)
{
    QString sql = QStringLiteral("select * from OPTION_D_M  where OPTION_ID = ") + QString::number(optionId);
    if (!withDeleted) sql += QStringLiteral(" and DEL_DT is null");
    sql += QStringLiteral(" order by LIST_ID");
    QList<TOptionEntry> entries;
    for (TSelect s(dm.sqlWork2, sql); !s.Eof(); s.Next())
        entries << TOptionEntry{s[QStringLiteral("DID")].AsString(), s[QStringLiteral("DNAME")].AsString(),
                                s[QStringLiteral("LIST_ID")].AsString(), s[QStringLiteral("DEL_DT")].AsDateTime()};
    return entries;
}

void SaveOptionDef(TdmCmn& dm, int optionId, const QString& label, const QString& kind)
{
    const QString no = QString::number(optionId);
    if (dm.RowExists(QStringLiteral("OPTION_M"), QStringLiteral("OPTION_ID"), no))
        dm.ExecSql(QStringLiteral("update OPTION_M set DESP_NAME = ") + SqlQuote(label) + QStringLiteral(", ") +
                   QStringLiteral("FIELD_TYPE = ") + SqlQuote(kind) + QStringLiteral(", ") + QStringLiteral("LIST_NO = ") +
                   no + QStringLiteral(", ") + QStringLiteral("DEL_DT = null ") + QStringLiteral("where OPTION_ID = ") +
                   no);
    else
        dm.ExecSql(QStringLiteral("insert into OPTION_M (OPTION_ID, DESP_NAME, FIELD_TYPE, LIST_NO) values (") + no +
                   QStringLiteral(", ") + SqlQuote(label) + QStringLiteral(", ") + SqlQuote(kind) +
                   QStringLiteral(", ") + no + QStringLiteral(")"));
}

void DeleteOptionDef(TdmCmn& dm, int optionId, const QDateTime& now)
{
    dm.ExecSql(QStringLiteral("update OPTION_M set DEL_DT = ") + SqlDateTime(now) + QStringLiteral(" ") +
               QStringLiteral("where OPTION_ID = ") + QString::number(optionId));
}

int EntryState(TdmCmn& dm, int optionId, const QString& did)
{
    TSelect s(dm.sqlWork2, QStringLiteral("select DEL_DT from OPTION_D_M where OPTION_ID = ") +
                               QString::number(optionId) + QStringLiteral(" and DID = ") + SqlQuote(did));
    if (s.Eof()) return -1;
    return s[QStringLiteral("DEL_DT")].IsNull() ? 0 : 1;
}

void InsertEntry(TdmCmn& dm, int optionId, const QString& did, const QString& name, const QString& listId)
{
    ExecWork2(dm, QStringLiteral("insert into OPTION_D_M (OPTION_ID, DID, DNAME, LIST_ID) values (") +
                      QString::number(optionId) + QStringLiteral(", ") + SqlQuote(did) + QStringLiteral(", ") +
                      SqlQuote(name) + QStringLiteral(", ") + SqlQuote(listId) + QStringLiteral(")"));
}

void UpdateEntry(TdmCmn& dm, int optionId, const QString& did, const QString& name, const QString& listId)
{
    ExecWork2(dm, QStringLiteral("update OPTION_D_M set  DNAME = ") + SqlQuote(name) + QStringLiteral(", ") +
                      QStringLiteral(" LIST_ID = ") + SqlQuote(listId) + QStringLiteral(", ") +
                      QStringLiteral(" DEL_DT = null") + QStringLiteral(" where OPTION_ID = ") +
                      QString::number(optionId) + QStringLiteral(" and DID = ") + SqlQuote(did));
}

void DeleteEntry(TdmCmn& dm, int optionId, const QString& did, const QDateTime& now)
{
    ExecWork2(dm, QStringLiteral("update OPTION_D_M set DEL_DT = ") + SqlDateTime(now) + QStringLiteral(" ") +
                      QStringLiteral(" where OPTION_ID = ") + QString::number(optionId) + QStringLiteral(" and DID = ") +
                      SqlQuote(did));
}
} // namespace CustSql
