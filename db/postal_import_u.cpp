#include "postal_import_u.h"

#include "cp932_u.h"
#include "dm_cmn_u.h"
#include "log_u.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

namespace {
constexpr int kColumns = 15;
// Statement text stays well below the engine's 64 KB limit.
constexpr int kBatchBytes = 30000;

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

QString Quote(const QString& s)
{
    return QLatin1Char('\'') + QString(s).replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
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
    QStringList statements;
    QSet<QString> prefs, cities;
    for (const TPostalRow& r : FRows) {
        if (!prefs.contains(r.PrefCd)) {
            prefs.insert(r.PrefCd);
            statements << QStringLiteral("insert into PREF_M (PREF_CD, PREF_NAME) values (%1, %2);")
                              .arg(Quote(r.PrefCd), Quote(r.PrefName));
        }
        if (!cities.contains(r.CityCd)) {
            cities.insert(r.CityCd);
            statements << QStringLiteral("insert into CITY_M (CITY_CD, PREF_CD, CITY_NAME) values (%1, %2, %3);")
                              .arg(Quote(r.CityCd), Quote(r.PrefCd), Quote(r.CityName));
        }
    }
    for (const TPostalRow& r : FRows)
        statements << QStringLiteral("insert into POST_M (POST_NO, PREF_CD, CITY_CD, AREA_NAME) values (%1, %2, %3, %4);")
                          .arg(Quote(r.PostNo), Quote(r.PrefCd), Quote(r.CityCd), Quote(r.AreaName));

    TFbTransaction tr(db);
    TFbQuery q(db, tr);
    tr.StartTransaction();
    try {
        for (const QString& t : {QStringLiteral("POST_M"), QStringLiteral("CITY_M"), QStringLiteral("PREF_M")}) {
            q.SQL = QStringLiteral("delete from ") + t;
            q.ExecSQL();
        }
        // Many inserts per statement: one round trip each, not one per row.
        int done = 0;
        QString block;
        int blockBytes = 0;
        auto flush = [&] {
            if (block.isEmpty()) return;
            q.SQL = QStringLiteral("EXECUTE BLOCK AS BEGIN ") + block + QStringLiteral(" END");
            q.ExecSQL();
            block.clear();
            blockBytes = 0;
            if (OnProgress) OnProgress(done, int(statements.size()));
        };
        for (const QString& s : statements) {
            const int bytes = int(s.size()) * 2;
            if (blockBytes + bytes > kBatchBytes) flush();
            block += s;
            blockBytes += bytes;
            ++done;
        }
        flush();
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
