#include "postal_import_u.h"

#include "cp932_u.h"
#include "dm_cmn_u.h"
#include "log_u.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <functional>

namespace {
constexpr int kColumns = 15;
// Bytes of rows per statement: what a PSQL text variable holds.
constexpr int kChunkBytes = 32000;

const QStringList kTables = {QStringLiteral("PREF_M"), QStringLiteral("CITY_M"), QStringLiteral("POST_M")};
const QStringList kCreate = {
    QStringLiteral("CREATE TABLE PREF_M (PREF_CD VARCHAR(2) NOT NULL, PREF_NAME VARCHAR(20), PRIMARY KEY (PREF_CD))"),
    QStringLiteral("CREATE TABLE CITY_M (CITY_CD VARCHAR(5) NOT NULL, PREF_CD VARCHAR(2), CITY_NAME VARCHAR(100), "
                   "PRIMARY KEY (CITY_CD))"),
    QStringLiteral("CREATE TABLE POST_M (POST_NO VARCHAR(7) NOT NULL, PREF_CD VARCHAR(2), CITY_CD VARCHAR(5), "
                   "AREA_NAME VARCHAR(255), PRIMARY KEY (POST_NO))")};

// One CSV line: fields separated by commas, text in double quotes with
// inner quotes doubled. False when a quote is left open.
bool SplitCsv(const QString& line, QStringList& fields)
{
    fields.clear();
    QString cur;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < line.size() && line.at(i + 1) == u'"') {
                    cur += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                cur += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            fields << cur;
            cur.clear();
        } else {
            cur += c;
        }
    }
    fields << cur;
    return !quoted;
}

bool Digits(const QString& s, int n)
{
    static const QRegularExpression re(QStringLiteral("^[0-9]+$"));
    return s.size() == n && re.match(s).hasMatch();
}

bool Flag(const QString& s, int max)
{
    return s.size() == 1 && s.at(0) >= u'0' && s.at(0) <= QChar(u'0' + max);
}

int OpenParens(const QString& s)
{
    return int(s.count(QChar(0xFF08))) - int(s.count(QChar(0xFF09)));
}

// A PSQL block inserts the rows of one chunk: each field is three digits of
// byte length and the CP932 bytes, bound as one blob. One statement per
// chunk, not per row: compiling a statement costs more than the insert.
QString ChunkBlock(const QString& table, const QStringList& columns)
{
    QString vars, reads, values;
    for (int i = 0; i < columns.size(); ++i) {
        vars += QStringLiteral("DECLARE f%1 VARCHAR(255) CHARACTER SET NONE; ").arg(i);
        reads += QStringLiteral("n = cast(substring(s from p for 3) as integer); f%1 = substring(s from p + 3 for n); "
                                "p = p + 3 + n; ")
                     .arg(i);
        values += (i ? QStringLiteral(", :f%1") : QStringLiteral(":f%1")).arg(i);
    }
    return QStringLiteral("EXECUTE BLOCK (D BLOB SUB_TYPE 0 = :CHUNK) AS DECLARE s VARCHAR(32000) CHARACTER SET NONE; "
                          "DECLARE p INTEGER = 1; DECLARE n INTEGER; ") +
           vars +
           // A binary blob read as text turns every byte above 127 into ".".
           QStringLiteral("BEGIN s = cast(:D as blob sub_type 1 character set none); "
                          "WHILE (p <= char_length(s)) DO BEGIN ") +
           reads +
           QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") + columns.join(QStringLiteral(", ")) +
           QStringLiteral(") VALUES (") + values + QStringLiteral("); END END");
}

void InsertRows(TFbQuery& q, const QString& table, const QStringList& columns, const QList<QStringList>& rows,
                int& done, int total, const std::function<void(int, int)>& progress)
{
    const QString block = ChunkBlock(table, columns);
    QByteArray chunk;
    auto flush = [&] {
        if (chunk.isEmpty()) return;
        q.ClearParams();
        q.SetBlobParam(QStringLiteral("CHUNK"), chunk);
        q.SQL = block;
        q.ExecSQL();
        q.ClearParams();
        chunk.clear();
        if (progress) progress(done, total);
    };
    for (const QStringList& row : rows) {
        QByteArray record;
        for (QString field : row) {
            // A column holds 255 bytes; a longer name is cut at a character.
            QByteArray bytes = Cp932::Encode(field);
            while (bytes.size() > 255) {
                field.chop(1);
                bytes = Cp932::Encode(field);
            }
            record += QByteArray::number(bytes.size()).rightJustified(3, '0') + bytes;
        }
        if (chunk.size() + record.size() > kChunkBytes) flush();
        chunk += record;
        ++done;
    }
    flush();
}
} // namespace

EPostalFormat::EPostalFormat(int line, const QString& why)
    : EKuruten(QStringLiteral("%1行目: %2").arg(line).arg(why)), Line(line)
{
}

QString TPostalImport::CleanArea(const QString& area)
{
    if (area == QStringLiteral("以下に掲載がない場合") || area.endsWith(QStringLiteral("の次に番地がくる場合")) ||
        area.endsWith(QStringLiteral("一円")))
        return QString();
    static const QRegularExpression notes(QStringLiteral("（[^）]*）?"));
    return QString(area).remove(notes).trimmed();
}

void TPostalImport::Parse(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw EKuruten(QStringLiteral("ファイルを開けません: %1 (%2)").arg(path, f.errorString()));
    ParseBytes(f.readAll());
}

void TPostalImport::ParseBytes(const QByteArray& data)
{
    FRows.clear();
    QList<QByteArray> lines = data.split('\n');
    if (!lines.isEmpty() && lines.last().trimmed().isEmpty()) lines.removeLast();
    FLines = int(lines.size());
    QHash<QString, qsizetype> byCode; // postal code -> index in FRows
    QSet<QString> ambiguous;          // codes that stand for several areas
    QString openCode;                 // code whose area name goes on in the next line
    QStringList f;
    for (int n = 0; n < FLines; ++n) {
        const int lineNo = n + 1;
        QByteArray raw = lines.at(n);
        if (raw.endsWith('\r')) raw.chop(1);
        const QString line = Cp932::Decode(raw);
        if (line.contains(QChar(QChar::ReplacementCharacter)))
            throw EPostalFormat(lineNo, QStringLiteral("Shift-JIS(CP932)として読めない文字があります。"));
        if (!SplitCsv(line, f)) throw EPostalFormat(lineNo, QStringLiteral("引用符が閉じていません。"));
        if (f.size() != kColumns)
            throw EPostalFormat(lineNo, QStringLiteral("列の数が%1です(%2列のはずです)。").arg(f.size()).arg(kColumns));
        if (!Digits(f[0], 5)) throw EPostalFormat(lineNo, QStringLiteral("地方公共団体コードが5桁の数字ではありません。"));
        if (!Digits(f[2], 7)) throw EPostalFormat(lineNo, QStringLiteral("郵便番号が7桁の数字ではありません。"));
        if (f[6].isEmpty() || f[7].isEmpty())
            throw EPostalFormat(lineNo, QStringLiteral("都道府県名または市区町村名がありません。"));
        for (int c = 9; c < 13; ++c)
            if (!Flag(f[c], 1)) throw EPostalFormat(lineNo, QStringLiteral("%1列目が0か1ではありません。").arg(c + 1));
        if (!Flag(f[13], 2) || !Flag(f[14], 6))
            throw EPostalFormat(lineNo, QStringLiteral("更新の表示が正しくありません。"));

        const QString code = f[2];
        if (code == openCode) {
            // A long area name goes on until its parenthesis closes.
            TPostalRow& r = FRows[byCode.value(code)];
            r.AreaName += f[8];
            if (OpenParens(r.AreaName) <= 0) openCode.clear();
        } else if (byCode.contains(code)) {
            // The same code for another area: the lookup cannot tell which.
            ambiguous.insert(code);
            openCode = OpenParens(f[8]) > 0 ? code : QString();
        } else {
            byCode.insert(code, FRows.size());
            FRows << TPostalRow{code, f[0].left(2), f[0], f[6], f[7], f[8]};
            openCode = OpenParens(f[8]) > 0 ? code : QString();
        }
        if (OnProgress && lineNo % 5000 == 0) OnProgress(lineNo, FLines);
    }
    for (TPostalRow& r : FRows) r.AreaName = ambiguous.contains(r.PostNo) ? QString() : CleanArea(r.AreaName);
    if (OnProgress) OnProgress(FLines, FLines);
}

void TPostalImport::Store(TdmCmn& dm)
{
    Log::Always(QStringLiteral("TPostalImport.Store rows=%1").arg(FRows.size()));
    TFbDatabase& db = dm.IBDatabase1;
    if (!db.Connected()) db.Open();
    {
        // Tables are made first: the engine does not insert into a table
        // created in the same transaction.
        TFbTransaction ddl(db);
        TFbQuery q(db, ddl);
        for (int i = 0; i < kTables.size(); ++i) {
            q.SQL = QStringLiteral("select 1 from RDB$RELATIONS where RDB$RELATION_NAME = '%1'").arg(kTables[i]);
            q.Open();
            const bool exists = !q.Eof();
            q.Close();
            if (exists) continue;
            Log::Detail(QStringLiteral("strSql=") + kCreate[i]);
            q.SQL = kCreate[i];
            q.ExecSQL();
        }
    }

    // Prefectures and cities once each, in the order of the file.
    QList<QStringList> prefs, cities, posts;
    QSet<QString> seenPrefs, seenCities;
    for (const TPostalRow& r : FRows) {
        if (!seenPrefs.contains(r.PrefCd)) {
            seenPrefs.insert(r.PrefCd);
            prefs << QStringList{r.PrefCd, r.PrefName};
        }
        if (!seenCities.contains(r.CityCd)) {
            seenCities.insert(r.CityCd);
            cities << QStringList{r.CityCd, r.PrefCd, r.CityName};
        }
        posts << QStringList{r.PostNo, r.PrefCd, r.CityCd, r.AreaName};
    }
    const int total = int(prefs.size() + cities.size() + posts.size());

    TFbTransaction tr(db);
    TFbQuery q(db, tr);
    tr.StartTransaction();
    try {
        for (const QString& t : {QStringLiteral("POST_M"), QStringLiteral("CITY_M"), QStringLiteral("PREF_M")}) {
            q.SQL = QStringLiteral("delete from ") + t;
            q.ExecSQL();
        }
        int done = 0;
        InsertRows(q, QStringLiteral("PREF_M"), {QStringLiteral("PREF_CD"), QStringLiteral("PREF_NAME")}, prefs, done,
                   total, OnProgress);
        InsertRows(q, QStringLiteral("CITY_M"),
                   {QStringLiteral("CITY_CD"), QStringLiteral("PREF_CD"), QStringLiteral("CITY_NAME")}, cities, done,
                   total, OnProgress);
        InsertRows(q, QStringLiteral("POST_M"),
                   {QStringLiteral("POST_NO"), QStringLiteral("PREF_CD"), QStringLiteral("CITY_CD"),
                    QStringLiteral("AREA_NAME")},
                   posts, done, total, OnProgress);
        tr.Commit();
    } catch (...) {
        try {
            tr.Rollback();
        } catch (const std::exception& e) {
            Log::Detail(QStringLiteral("TPostalImport.Store rollback error=") + ExceptionText(e));
        }
        throw;
    }
    dm.PostalLookup = true;
}
