#include "dm_cmn_u.h"

#include "clock_u.h"
#include "db_query_u.h"
#include "log_u.h"
#include "msg_u.h"
#include "settings_u.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

namespace {
const QString kUnknownUser = QStringLiteral("該当者なし");

// A wait that keeps the user interface alive.
void WaitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}
} // namespace

// ------------------------------------------------------------- data module

TdmCmn::TdmCmn(TSettings& settings)
    : IBTranFnc(IBDatabase1), IBTranWork(IBDatabase1), IBTranWork2(IBDatabase1), IBTranIF(IBDatabase1),
      IBQueryFnc(IBDatabase1, IBTranFnc), sqlWork(IBDatabase1, IBTranWork), sqlWork2(IBDatabase1, IBTranWork2),
      tblInterface(IBDatabase1, IBTranIF, QStringLiteral("INTERFACE"), QStringLiteral("IF_NO")),
      FSettings(settings)
{
    // The engine reads its lock folder once, before the first attach; the
    // shared /tmp/firebird is not writable for every user.
    if (qEnvironmentVariableIsEmpty("FIREBIRD_LOCK")) {
        const QString lockDir = settings.DataFolder() + QStringLiteral("/fblock");
        QDir().mkpath(lockDir);
        qputenv("FIREBIRD_LOCK", QFile::encodeName(lockDir));
    }
    FDefaultDb = settings.GTelDbPath.isEmpty();
    IBDatabase1.DatabaseName = settings.DatabasePathInUse();
    Log::Detail(QStringLiteral("GTelDbPath=") + IBDatabase1.DatabaseName);
    // lc_ctype NONE, not ASCII: Firebird 3 refuses bytes above 127 in SQL text
    // under ASCII, and NONE passes the CP932 bytes through unchanged.
    IBDatabase1.Params = {QStringLiteral("user_name=SYSDBA"), QStringLiteral("password=fbkey2468"),
                          QStringLiteral("lc_ctype=NONE")};
    IBDatabase1.SQLDialect = 1;
    IBDatabase1.BeforeConnect = [this] { BeforeConnect(); };
    sqlWork.SQL.clear();
    sqlWork2.SQL.clear();
    IBQueryFnc.SQL.clear();
    // Before anything else touches a database.
    if (settings.CustDbLink) InitCustDbLink();
}

TdmCmn::~TdmCmn()
{
    CloseDatabase();
}

void TdmCmn::BeforeConnect()
{
    const QString path = IBDatabase1.DatabaseName;
    if (!FDefaultDb || QFileInfo::exists(path)) return;
    // The default file is made here with the base tables; the upgrade then
    // brings it up to date like any other database.
    Log::Always(QStringLiteral("TdmCmn.CreateDatabase ") + path);
    QDir().mkpath(QFileInfo(path).absolutePath());
    IBDatabase1.CreateDatabase(8192);
    try {
        TFbTransaction tr(IBDatabase1);
        TFbQuery q(IBDatabase1, tr);
        for (const QString& sql : BaseTableStatements()) {
            Log::Detail(QStringLiteral("strSql=") + sql);
            q.SQL = sql;
            q.ExecSQL();
        }
    } catch (...) {
        // Leave no half-made database behind.
        try {
            IBDatabase1.DropDatabase();
        } catch (...) {
            try {
                IBDatabase1.Close();
            } catch (...) {
            }
            QFile::remove(path);
        }
        throw;
    }
}

bool TdmCmn::OpenDatabase()
{
    try {
        IBDatabase1.Open();
        return true;
    } catch (const std::exception& e) {
        Log::Detail(QStringLiteral("TdmCmn.OpenDatabase error=") + ExceptionText(e));
        try {
            IBDatabase1.Close();
        } catch (...) {
        }
        return false;
    }
}

void TdmCmn::CloseDatabase()
{
    tblInterface.Close();
    try {
        IBDatabase1.Close();
    } catch (const std::exception& e) {
        Log::Detail(QStringLiteral("dmCmn.IBDatabase1.Close error ") + ExceptionText(e));
    }
}

void TdmCmn::ReDBConnect(const QString& errorMsg)
{
    Log::Detail(QStringLiteral("TfrmMain.ReDBConnect ErrorMsg=") + errorMsg);
    if (errorMsg.contains(QLatin1String("Error")) && errorMsg.contains(QLatin1String("connection"))) {
        for (int round = 0; round < 2; ++round) {
            try {
                IBDatabase1.Close();
            } catch (...) {
                Log::Detail(QStringLiteral("dmCmn.IBDatabase1.Close error"));
            }
            WaitMs(200);
            try {
                IBDatabase1.Open();
            } catch (...) {
                Log::Detail(QStringLiteral("dmCmn.IBDatabase1.Connected error"));
            }
            for (int i = 0; i < 5; ++i) {
                QCoreApplication::processEvents();
                WaitMs(100);
            }
        }
    }
    Log::Detail(QStringLiteral("TfrmMain.ReDBConnect end"));
}

void TdmCmn::ExecFnc(const QString& sql)
{
    Log::Detail(QStringLiteral("strSql=") + sql);
    IBQueryFnc.SQL = sql;
    IBQueryFnc.ExecSQL();
}

bool TdmCmn::Exists(const QString& sql)
{
    TSelect sel(IBQueryFnc, sql);
    return !IBQueryFnc.Eof();
}

void TdmCmn::CheckKeyValue(const QString& keyValue) const
{
    // Key values arrive already in SQL form: an integer or a quoted text
    // with every inner quote doubled. Anything else would be SQL of its own.
    if (IsSqlInteger(keyValue)) return;
    if (keyValue.size() >= 2 && keyValue.startsWith(u'\'') && keyValue.endsWith(u'\'')) {
        const QString inner = keyValue.mid(1, keyValue.size() - 2);
        if (!QString(inner).replace(QLatin1String("''"), QString()).contains(u'\'')) return;
    }
    throw EDbError(QStringLiteral("キーの値が正しくありません: %1").arg(keyValue));
}

// ---------------------------------------------------------------- generator

int TdmCmn::GetGenId(const QString& generator)
{
    Log::Detail(QStringLiteral("TdmCmn.GetGenId"));
    const QString sql = QStringLiteral("select gen_id(") + generator + QStringLiteral(",1) as GENID FROM RDB$DATABASE");
    TSelect sel(IBQueryFnc, sql);
    return IBQueryFnc.FieldByName(QStringLiteral("GENID")).AsInteger();
}

// --------------------------------------------------------------- phone book

bool TdmCmn::GetTels(const QString& telNo, TTels& tels)
{
    Log::Detail(QStringLiteral("TdmCmn.GetTels TelNo=") + telNo);
    tels = TTels();
    const QString sql = QStringLiteral("select * from TELS where TEL_NO =") + SqlQuote(telNo);
    TSelect sel(IBQueryFnc, sql);
    if (IBQueryFnc.Eof()) return false;
    tels.TEL_NO = IBQueryFnc.FieldByName(QStringLiteral("TEL_NO")).AsString();
    tels.CUST_TEL_NON = IBQueryFnc.FieldByName(QStringLiteral("CUST_TEL_NON")).AsString();
    tels.CALLER = IBQueryFnc.FieldByName(QStringLiteral("CALLER")).AsString();
    tels.READ_NAME = IBQueryFnc.FieldByName(QStringLiteral("READ_NAME")).AsString();
    return true;
}

bool TdmCmn::InsertTels(const TTels& tels)
{
    Log::Detail(QStringLiteral("TdmCmn.InsertTels"));
    const QString sql = QStringLiteral("insert into TELS ( TEL_NO, CUST_TEL_NON, CALLER, READ_NAME, UPDT) values (") +
                        SqlQuote(tels.TEL_NO) + QStringLiteral(", ") + SqlQuote(tels.CUST_TEL_NON) +
                        QStringLiteral(", ") + SqlQuote(tels.CALLER) + QStringLiteral(", ") +
                        SqlQuote(tels.READ_NAME) + QStringLiteral(", ") + QStringLiteral(" CURRENT_TIMESTAMP") +
                        QStringLiteral(" )");
    try {
        ExecFnc(sql);
    } catch (const EDbError& e) {
        // Another copy registered the same number after our lookup.
        if (!e.IsDuplicateKey()) throw;
        Log::Detail(QStringLiteral("TdmCmn.InsertTels already registered TelNo=") + tels.TEL_NO);
        return false;
    }
    return true;
}

void TdmCmn::UpdateTels(const TTels& tels)
{
    Log::Detail(QStringLiteral("TdmCmn.UpdateTels"));
    ExecFnc(QStringLiteral("update TELS set CUST_TEL_NON = ") + SqlQuote(tels.CUST_TEL_NON) + QStringLiteral(", ") +
            QStringLiteral(" CALLER = ") + SqlQuote(tels.CALLER) + QStringLiteral(", ") +
            QStringLiteral(" READ_NAME = ") + SqlQuote(tels.READ_NAME) + QStringLiteral(", ") +
            QStringLiteral(" UPDT = CURRENT_TIMESTAMP ") + QStringLiteral(" where TEL_NO = ") + SqlQuote(tels.TEL_NO));
}

// ---------------------------------------------------------------- customers

bool TdmCmn::GetCustTelNon(const QString& telNo, QString& custTelNon)
{
    Log::Detail(QStringLiteral("TdmCmn.GetCustTelNon TelNo=") + telNo);
    custTelNon.clear();
    const QString sql = QStringLiteral("select c.CUST_TEL_NON from CUSTOMER c, TELS t where t.TEL_NO =") +
                        SqlQuote(telNo) + QStringLiteral(" and t.CUST_TEL_NON = c.CUST_TEL_NON");
    TSelect sel(IBQueryFnc, sql);
    if (IBQueryFnc.Eof()) return false;
    custTelNon = IBQueryFnc.FieldByName(QStringLiteral("CUST_TEL_NON")).AsString();
    return !custTelNon.isEmpty();
}

namespace {
QString OptionCol(int i)
{
    return QStringLiteral("OPTION_%1").arg(i, 2, 10, QLatin1Char('0'));
}

// Column and value pairs of a customer, in the column order of the insert
// (after CUST_NO). The two numbers without "-" come from the typed ones.
QList<QPair<QString, QString>> CustValues(const TCust& c)
{
    QList<QPair<QString, QString>> v{
        {QStringLiteral("CUST_NAME"), SqlQuote(c.CUST_NAME)},
        {QStringLiteral("CUST_KANA"), SqlQuote(c.CUST_KANA)},
        {QStringLiteral("BIRTH_DT"), SqlDateOrNull(c.BIRTH_DT)},
        {QStringLiteral("SEX"), QString::number(c.SEX)},
        {QStringLiteral("CUST_TEL"), SqlQuote(c.CUST_TEL)},
        {QStringLiteral("CUST_TEL_NON"), SqlQuote(StripHyphen(c.CUST_TEL))},
        {QStringLiteral("FAX_NO"), SqlQuote(c.FAX_NO)},
        {QStringLiteral("FAX_NO_NON"), SqlQuote(StripHyphen(c.FAX_NO))},
        {QStringLiteral("ZIP_CD"), SqlQuote(c.ZIP_CD)},
        {QStringLiteral("ADDRESS"), SqlQuote(c.ADDRESS)},
        {QStringLiteral("MAP_URL"), SqlQuote(c.MAP_URL)},
        {QStringLiteral("EMAIL"), SqlQuote(c.EMAIL)},
        {QStringLiteral("HP_URL"), SqlQuote(c.HP_URL)},
        {QStringLiteral("USERID"), SqlQuote(c.USERID)},
        {QStringLiteral("OTHERS"), SqlQuote(c.OTHERS)},
    };
    for (int i = 1; i <= 20; ++i) v.append({OptionCol(i), SqlQuote(c.OPTION[size_t(i)])});
    return v;
}
} // namespace

bool TdmCmn::GetCustData(const QString& custTelNon, TCust& cust)
{
    Log::Detail(QStringLiteral("TdmCmn.GetCustData CustTelNon=") + custTelNon);
    cust = TCust();
    const QString sql = QStringLiteral("select * from CUSTOMER where CUST_TEL_NON =") + SqlQuote(custTelNon);
    TSelect sel(IBQueryFnc, sql);
    if (IBQueryFnc.Eof()) return false;
    auto s = [this](const char* col) { return IBQueryFnc.FieldByName(QString::fromLatin1(col)).AsString(); };
    cust.CUST_TEL = s("CUST_TEL");
    cust.CUST_TEL_NON = s("CUST_TEL_NON");
    cust.CUST_NAME = s("CUST_NAME");
    cust.CUST_KANA = s("CUST_KANA");
    cust.FAX_NO = s("FAX_NO");
    cust.FAX_NO_NON = s("FAX_NO_NON");
    cust.ZIP_CD = s("ZIP_CD");
    cust.ADDRESS = s("ADDRESS");
    cust.MAP_URL = s("MAP_URL");
    cust.EMAIL = s("EMAIL");
    cust.HP_URL = s("HP_URL");
    cust.BIRTH_DT = IBQueryFnc.FieldByName(QStringLiteral("BIRTH_DT")).AsDateTime();
    cust.SEX = qint16(IBQueryFnc.FieldByName(QStringLiteral("SEX")).AsInteger());
    cust.OTHERS = s("OTHERS");
    cust.CUST_NO = IBQueryFnc.FieldByName(QStringLiteral("CUST_NO")).AsInteger();
    cust.USERID = s("USERID");
    for (int i = 1; i <= 20; ++i) cust.OPTION[size_t(i)] = IBQueryFnc.FieldByName(OptionCol(i)).AsString();
    return true;
}

int TdmCmn::InsertCustData(const TCust& cust)
{
    const int no = GetGenId(QStringLiteral("SEQ_CUST_NO"));
    const auto values = CustValues(cust);
    Log::Detail(QStringLiteral("TdmCmn.InsertCustData"));
    QStringList cols{QStringLiteral("CUST_NO")}, vals{QString::number(no)};
    // The insert lists CUST_TEL before CUST_TEL_NON and the name first.
    for (const auto& [col, val] : values) {
        cols << col;
        vals << val;
    }
    cols << QStringLiteral("UPDT");
    ExecFnc(QStringLiteral("insert into CUSTOMER ( ") + cols.join(QStringLiteral(", ")) + QStringLiteral(") values (") +
            vals.join(QStringLiteral(", ")) + QStringLiteral(", ") + QStringLiteral(" CURRENT_TIMESTAMP") +
            QStringLiteral(" )"));
    return no;
}

void TdmCmn::UpdateCustData(const TCust& cust)
{
    const auto values = CustValues(cust);
    Log::Detail(QStringLiteral("TdmCmn.UpdateCustData"));
    QString sql = QStringLiteral("update CUSTOMER set CUST_NAME = ") + values.at(0).second;
    for (qsizetype i = 1; i < values.size(); ++i)
        sql += QStringLiteral(", ") + QLatin1Char(' ') + values.at(i).first + QStringLiteral(" = ") + values.at(i).second;
    sql += QStringLiteral(", ") + QStringLiteral(" UPDT = ") + QStringLiteral(" CURRENT_TIMESTAMP") +
           QStringLiteral(" where CUST_NO = ") + QString::number(cust.CUST_NO);
    ExecFnc(sql);
}

QString TdmCmn::CustInfoStatement(const TSettings& settings, bool link, const QString& telNo)
{
    QString tel = QStringLiteral("CUST_TEL_NON"), name = QStringLiteral("CUST_NAME"), kana = QStringLiteral("CUST_KANA"),
            table = QStringLiteral("CUSTOMER");
    if (link) {
        const QString& q = settings.LinkQuoteStr;
        tel = SqlQuoteName(settings.LinkCustTelFName, q);
        name = SqlQuoteName(settings.LinkCustNameFName, q);
        kana = SqlQuoteName(settings.LinkCustKanaFName, q);
        table = SqlQuoteName(settings.LinkTableName, q);
    }
    return QStringLiteral("select ") + tel + QStringLiteral(", ") + name + QStringLiteral(", ") + kana +
           QStringLiteral(" from ") + table + QStringLiteral(" where ") + tel + QStringLiteral(" = ") + SqlQuote(telNo);
}

bool TdmCmn::GetCustInfoBase(const QString& telNo, QString& name, QString& kana)
{
    Log::Detail(QStringLiteral("TdmCmn.GetCustInfoBase ") + telNo);
    name.clear();
    kana.clear();
    // The number is used exactly as the caller passes it.
    const bool link = FSettings.CustDbLink;
    const QString sql = CustInfoStatement(FSettings, link, telNo);
    if (link) {
        Log::Detail(QStringLiteral("strSql=") + sql);
        const TOdbcConnection::TResult r = ADOConnection1.Select(sql, 1);
        if (r.Rows.isEmpty() || r.Rows[0].value(0).isNull()) return false;
        name = r.Rows[0].value(1).toString();
        kana = r.Rows[0].value(2).toString();
        return true;
    }
    TSelect sel(IBQueryFnc, sql);
    if (IBQueryFnc.Eof() || IBQueryFnc.FieldByName(QStringLiteral("CUST_TEL_NON")).IsNull()) return false;
    name = IBQueryFnc.FieldByName(QStringLiteral("CUST_NAME")).AsString();
    kana = IBQueryFnc.FieldByName(QStringLiteral("CUST_KANA")).AsString();
    return true;
}

bool TdmCmn::GetCustInfo(const QString& telNo, QString& name, QString& kana)
{
    Log::Detail(QStringLiteral("TdmCmn.GetCustInfo"));
    name.clear();
    kana.clear();
    try {
        return GetCustInfoBase(telNo, name, kana);
    } catch (const std::exception& e) {
        Log::Detail(QStringLiteral("TdmCmn.GetCustInfo error=") + ExceptionText(e));
        name.clear();
        kana.clear();
        return false;
    }
}

void TdmCmn::InitCustDbLink(QWidget* parent)
{
    Log::Detail(QStringLiteral("TdmCmn.InitCustDbLink"));
    ADOConnection1.Close();
    // Handed to the driver unchanged; the driver never prompts.
    ADOConnection1.ConnectionString = FSettings.LinkDbPath;
    try {
        QString name, kana;
        GetCustInfoBase(QStringLiteral("117"), name, kana);
    } catch (const std::exception& e) {
        Log::Always(QStringLiteral("TdmCmn.InitCustDbLink Error:") + ExceptionText(e));
        Msg::Error(QStringLiteral("外部顧客データベースへの接続に失敗しました。外部顧客DBの設定内容を確認してください。\r\n") +
                       ExceptionText(e),
                   parent);
    }
}

void TdmCmn::CloseCustDbLink()
{
    Log::Detail(QStringLiteral("TdmCmn.CloseCustDbLink"));
    ADOConnection1.Close();
}

QList<QStringList> TdmCmn::ExtCustRows(const QString& sql, const QStringList& fields)
{
    const TOdbcConnection::TResult r = ADOConnection1.Select(sql);
    QList<int> at;
    for (const QString& f : fields) at << r.IndexOf(f);
    QList<QStringList> rows;
    for (const QVariantList& row : r.Rows) {
        QStringList cells;
        for (int i : at) cells << (i < 0 ? QString() : row.value(i).toString());
        rows << cells;
    }
    return rows;
}

// ----------------------------------------------------------------- call log

int TdmCmn::InsertLog(const TLog& log)
{
    Log::Detail(QStringLiteral("TdmCmn.InsertLog"));
    const int no = GetGenId(QStringLiteral("SEQ_LOG_NO"));
    const QStringList vals{QString::number(no),
                           SqlDateTime(log.DT_FROM),
                           SqlQuote(log.TEL_NO),
                           SqlQuote(log.TEL_TYPE),
                           SqlDateTimeOrNull(log.DT_TO),
                           SqlQuote(log.TEL_TERM),
                           SqlQuote(log.TEL_MEMO),
                           SqlFloat(log.TEL_TIME),
                           QString::number(log.PORT_NO)};
    ExecFnc(QStringLiteral("insert into LOG (LOG_NO, DT_FROM, TEL_NO, TEL_TYPE, DT_TO, TEL_TERM, TEL_MEMO, TEL_TIME, "
                           "PORT_NO) values (") +
            vals.join(QStringLiteral(", ")) + QStringLiteral(")"));
    return no;
}

void TdmCmn::UpdateTelMemo(const QString& logNo, const QString& memo)
{
    Log::Detail(QStringLiteral("TdmCmn.UpdateTelMemo"));
    // The memo is quoted like every text; the number must be one.
    if (!IsSqlInteger(logNo)) throw EDbError(QStringLiteral("数値ではありません: %1").arg(logNo));
    ExecFnc(QStringLiteral("update LOG set  TEL_MEMO = ") + SqlQuote(memo) + QStringLiteral(" where LOG_NO = ") + logNo);
}

// ---------------------------------------------------------- generic helpers

bool TdmCmn::RowExists(const QString& table, const QString& keyField, const QString& keyValue)
{
    CheckKeyValue(keyValue);
    return Exists(QStringLiteral("select 1 from ") + table + QStringLiteral(" where ") + keyField +
                  QStringLiteral(" = ") + keyValue);
}

int TdmCmn::GetDeleteState(const QString& table, const QString& keyField, const QString& keyValue)
{
    if (keyValue.isEmpty() || keyValue == QLatin1String("'")) return -1;
    CheckKeyValue(keyValue);
    const QString sql = QStringLiteral("select DEL_DT from ") + table + QStringLiteral(" where ") + keyField +
                        QStringLiteral(" = ") + keyValue;
    TSelect sel(IBQueryFnc, sql);
    if (IBQueryFnc.Eof()) return -1;
    return IBQueryFnc.FieldByName(QStringLiteral("DEL_DT")).IsNull() ? 0 : 1;
}

void TdmCmn::DeleteRows(const QString& table, const QString& keyField, const QString& keyValue)
{
    CheckKeyValue(keyValue);
    ExecFnc(QStringLiteral("delete from ") + table + QStringLiteral(" where ") + keyField + QStringLiteral(" = ") +
            keyValue);
}

void TdmCmn::DeleteAllRows(const QString& table)
{
    ExecFnc(QStringLiteral("delete from ") + table);
}

void TdmCmn::ExecSql(const QString& sql)
{
    ExecFnc(sql);
}

void TdmCmn::SaveImageField(const QString& table, const QString& field, const QString& keyValue,
                            const QString& keyField, const QImage& image)
{
    CheckKeyValue(keyValue);
    const QString sql = QStringLiteral("update ") + table + QStringLiteral(" set ") + field + QStringLiteral(" = :") +
                        field + QStringLiteral(" where ") + keyField + QStringLiteral(" = ") + keyValue;
    Log::Detail(QStringLiteral("strSql=") + sql);
    IBQueryFnc.ClearParams();
    // Pictures are stored as Windows bitmaps; no picture stores null.
    if (image.isNull()) {
        IBQueryFnc.SetNullParam(field);
    } else {
        QByteArray bytes;
        QBuffer buf(&bytes);
        buf.open(QIODevice::WriteOnly);
        if (!image.save(&buf, "BMP")) throw EKuruten(QStringLiteral("画像を保存できません。"));
        IBQueryFnc.SetBlobParam(field, bytes);
    }
    IBQueryFnc.SQL = sql;
    try {
        IBQueryFnc.ExecSQL();
    } catch (...) {
        IBQueryFnc.ClearParams();
        throw;
    }
    IBQueryFnc.ClearParams();
}

bool TdmCmn::LoadImageField(const QString& table, const QString& field, const QString& keyValue,
                            const QString& keyField, QImage& image)
{
    CheckKeyValue(keyValue);
    const QString sql = QStringLiteral("select ") + field + QStringLiteral(" from ") + table +
                        QStringLiteral(" where ") + keyField + QStringLiteral(" = ") + keyValue;
    QByteArray bytes;
    {
        TSelect sel(IBQueryFnc, sql);
        if (!IBQueryFnc.Eof()) bytes = IBQueryFnc.FieldByName(field).AsBytes();
    }
    if (bytes.isEmpty()) {
        image = QImage();
        return false;
    }
    // "BM" starts a Windows bitmap; anything else is taken for a JPEG.
    const char* format = bytes.startsWith("BM") ? "BMP" : "JPEG";
    QImage decoded;
    if (!decoded.loadFromData(bytes, format)) throw EKuruten(QStringLiteral("画像を読み込めません。"));
    image = decoded;
    return true;
}

QString TdmCmn::GetPostAddress(const QString& postNo)
{
    Log::Detail(QStringLiteral("TdmCmn.GetPostAddress PostNo=") + postNo);
    QString code = postNo;
    code.remove(QLatin1Char('-'));
    code.remove(QChar(0xFF0D));
    const QString sql = QStringLiteral("select z.AREA_NAME, c.CITY_NAME, p.PREF_NAME from POST_M z, CITY_M c, PREF_M p "
                                       "where z.POST_NO = ") +
                        SqlQuote(code) + QStringLiteral(" and z.CITY_CD = c.CITY_CD") +
                        QStringLiteral(" and z.PREF_CD = p.PREF_CD");
    TSelect sel(IBQueryFnc, sql);
    if (IBQueryFnc.Eof()) return QString();
    return IBQueryFnc.FieldByName(QStringLiteral("PREF_NAME")).AsString() +
           IBQueryFnc.FieldByName(QStringLiteral("CITY_NAME")).AsString() +
           IBQueryFnc.FieldByName(QStringLiteral("AREA_NAME")).AsString();
}

// --------------------------------------------------------- handling records

int TdmCmn::InsertAccept(const TAccept& a)
{
    Log::Detail(QStringLiteral("TdmCmn.InsertAccept"));
    const QString logNo = SqlValueOrNull(a.LOG_NO);
    const QString custNo = SqlValueOrNull(a.CUST_NO);
    const int no = GetGenId(QStringLiteral("SEQ_ACCEPT_NO"));
    const QStringList vals{QString::number(no), SqlDateTime(a.ACT_DT), SqlQuote(a.USERID), SqlQuote(a.TYPE_ID),
                           SqlQuote(a.RESULT_ID), SqlQuote(a.TITLE), SqlQuote(a.CONTENT), logNo, custNo,
                           SqlQuote(SignedInUser.USERID), QStringLiteral("CURRENT_TIMESTAMP")};
    ExecFnc(QStringLiteral("insert into ACCEPT_T (ACT_NO, ACT_DT, USERID, TYPE_ID, RESULT_ID, TITLE, CONTENT, LOG_NO, "
                           "CUST_NO, UPUSERID, UPDT) values (") +
            vals.join(QStringLiteral(", ")) + QStringLiteral(")"));
    return no;
}

void TdmCmn::UpdateAccept(const TAccept& a)
{
    Log::Detail(QStringLiteral("TdmCmn.UpdateAccept"));
    ExecFnc(QStringLiteral("update ACCEPT_T set ACT_DT = ") + SqlDateTime(a.ACT_DT) + QStringLiteral(", ") +
            QStringLiteral(" USERID = ") + SqlQuote(a.USERID) + QStringLiteral(", ") + QStringLiteral(" TYPE_ID = ") +
            SqlQuote(a.TYPE_ID) + QStringLiteral(", ") + QStringLiteral(" RESULT_ID = ") + SqlQuote(a.RESULT_ID) +
            QStringLiteral(", ") + QStringLiteral(" TITLE = ") + SqlQuote(a.TITLE) + QStringLiteral(", ") +
            QStringLiteral(" CONTENT = ") + SqlQuote(a.CONTENT) + QStringLiteral(", ") +
            QStringLiteral(" CUST_NO = ") + SqlValueOrNull(a.CUST_NO) + QStringLiteral(", ") +
            QStringLiteral(" UPUSERID = ") + SqlQuote(SignedInUser.USERID) + QStringLiteral(", ") +
            QStringLiteral(" UPDT = CURRENT_TIMESTAMP") + QStringLiteral(" where ACT_NO = ") +
            QString::number(a.ACT_NO));
}

bool TdmCmn::GetAcceptData(int actNo, TAccept& a)
{
    Log::Detail(QStringLiteral("TdmCmn.GetAcceptData Accept=") + QString::number(actNo));
    a = TAccept();
    const QString sql = QStringLiteral("select * from ACCEPT_T where ACT_NO =") + QString::number(actNo);
    TSelect sel(IBQueryFnc, sql);
    if (IBQueryFnc.Eof()) return false;
    a.ACT_NO = IBQueryFnc.FieldByName(QStringLiteral("ACT_NO")).AsInteger();
    a.ACT_DT = IBQueryFnc.FieldByName(QStringLiteral("ACT_DT")).AsDateTime();
    a.USERID = IBQueryFnc.FieldByName(QStringLiteral("USERID")).AsString();
    a.TYPE_ID = IBQueryFnc.FieldByName(QStringLiteral("TYPE_ID")).AsString();
    a.RESULT_ID = IBQueryFnc.FieldByName(QStringLiteral("RESULT_ID")).AsString();
    a.TITLE = IBQueryFnc.FieldByName(QStringLiteral("TITLE")).AsString();
    a.CONTENT = IBQueryFnc.FieldByName(QStringLiteral("CONTENT")).AsString();
    a.LOG_NO = IBQueryFnc.FieldByName(QStringLiteral("LOG_NO")).AsString();
    return true;
}

// -------------------------------------------------------------------- users

bool TdmCmn::LoginUser(const QString& userId, const QString& password, TUser& user)
{
    user = TUser();
    const QString d = SqlQuote(Clock::Today().toString(QStringLiteral("yyyy/MM/dd")));
    // Not logged: it carries the password.
    IBQueryFnc.SQL = QStringLiteral("select * from USER_M where USERID = ") + SqlQuote(userId) +
                     QStringLiteral(" and PASSWD = ") + SqlQuote(password) + QStringLiteral(" and DEL_DT  is null") +
                     QStringLiteral(" and (FROMDT is null or FROMDT <= ") + d + QStringLiteral(" )") +
                     QStringLiteral(" and (TODT is null or TODT > ") + d + QStringLiteral(" )");
    IBQueryFnc.Open();
    TFbQuery::TCloser closer(IBQueryFnc);
    if (IBQueryFnc.Eof()) return false;
    user.USERID = IBQueryFnc.FieldByName(QStringLiteral("USERID")).AsString();
    user.USERNM = IBQueryFnc.FieldByName(QStringLiteral("USERNM")).AsString();
    user.PASSWD = IBQueryFnc.FieldByName(QStringLiteral("PASSWD")).AsString();
    user.AUTH = IBQueryFnc.FieldByName(QStringLiteral("AUTH")).AsInteger();
    return true;
}

QString TdmCmn::GetUserName(const QString& userId)
{
    QString result = kUnknownUser;
    Log::Always(QStringLiteral("TdmCmn.GetUserName UserId=") + userId);
    if (userId.trimmed().isEmpty()) return result;
    const QString sql = QStringLiteral("select USERNM from USER_M where USERID = ") + SqlQuote(userId);
    {
        TSelect sel(IBQueryFnc, sql);
        if (!IBQueryFnc.Eof()) {
            result = IBQueryFnc.FieldByName(QStringLiteral("USERNM")).AsString();
            Log::Detail(QStringLiteral("USERNM=") + result);
        }
    }
    Log::Detail(QStringLiteral("TdmCmn.GetUserName end"));
    return result;
}

// -------------------------------------------------------------- SIP account

bool TdmCmn::GetAccount(TAccount& a)
{
    Log::Detail(QStringLiteral("TdmCmn.GetAccount"));
    a = TAccount();
    const QString sql = QStringLiteral("select * from ACCOUNT");
    TSelect sel(IBQueryFnc, sql);
    if (IBQueryFnc.Eof()) return false;
    auto s = [this](const char* col) { return IBQueryFnc.FieldByName(QString::fromLatin1(col)).AsString(); };
    auto f = [&s](const char* col) { return s(col) == QLatin1String("1"); };
    a.UserId = s("USERID");
    a.DispName = s("DISPNM");
    a.LoginId = s("LOGINID");
    a.Password = s("PASSWD");
    a.SipProxy = s("SIPPLOXY");
    a.OutProxy = s("OUTPLOXY");
    a.RegistProxy = f("REGIST_PROXY");
    a.DomainName = s("DOMAINNM");
    a.AudioOutName = s("AUDIO_OUT_NAME");
    a.AudioInName = s("AUDIO_IN_NAME");
    a.CountryCd = s("COUNTRY_CD");
    a.Codecs = s("CODECS");
    a.EchoCancel = f("ECHO_CANCEL_FLG");
    a.Agc = f("AGC_FLG");
    a.MicBoost = f("MICBOOST_FLG");
    a.NoDisturb = f("NODISTURB_FLG");
    a.ForceInbandDtmf = f("FORCE_INDTMF_FLG");
    a.ChNum = s("CHNUM");
    return true;
}

void TdmCmn::InsertAccount(const TAccount& a)
{
    Log::Detail(QStringLiteral("TdmCmn.InsertAccount"));
    const QStringList vals{SqlQuote(a.UserId),      SqlQuote(a.DispName),     SqlQuote(a.LoginId),
                           SqlQuote(a.Password),    SqlQuote(a.SipProxy),     SqlQuote(a.OutProxy),
                           SqlFlag(a.RegistProxy),  SqlQuote(a.DomainName),   SqlQuote(a.AudioOutName),
                           SqlQuote(a.AudioInName), SqlQuote(a.CountryCd),    SqlQuote(a.Codecs),
                           SqlFlag(a.EchoCancel),   SqlFlag(a.Agc),           SqlFlag(a.MicBoost),
                           SqlFlag(a.NoDisturb),    SqlFlag(a.ForceInbandDtmf)};
    ExecFnc(QStringLiteral("insert into ACCOUNT ( USERID, DISPNM, LOGINID, PASSWD, SIPPLOXY, OUTPLOXY, REGIST_PROXY, "
                           "DOMAINNM, AUDIO_OUT_NAME, AUDIO_IN_NAME,  COUNTRY_CD, CODECS, ECHO_CANCEL_FLG, AGC_FLG, "
                           "MICBOOST_FLG, NODISTURB_FLG, FORCE_INDTMF_FLG, UPDT) values (") +
            vals.join(QStringLiteral(", ")) + QStringLiteral(", CURRENT_TIMESTAMP") + QStringLiteral(" )"));
}

void TdmCmn::ReplaceAccount(const TAccount& account)
{
    IBTranIF.StartTransaction();
    IBQueryFnc.SetTransaction(&IBTranIF);
    try {
        DeleteAllRows(QStringLiteral("ACCOUNT"));
        InsertAccount(account);
        IBQueryFnc.SetTransaction(&IBTranFnc);
        IBTranIF.Commit();
    } catch (...) {
        IBQueryFnc.SetTransaction(&IBTranFnc);
        try {
            IBTranIF.Rollback();
        } catch (const std::exception& e) {
            Log::Detail(QStringLiteral("TdmCmn.ReplaceAccount rollback error=") + ExceptionText(e));
        }
        throw;
    }
}

// ------------------------------------------------------------- other tables

void TdmCmn::InsertPrint(const TPrint& p)
{
    Log::Detail(QStringLiteral("TdmCmn.InsertPrint"));
    ExecFnc(QStringLiteral("insert into PRINT1 (TEL_NO, CALLER, TOTAL) values (") + SqlQuote(p.TEL_NO) +
            QStringLiteral(", ") + SqlQuote(p.CALLER) + QStringLiteral(", ") + QString::number(p.TOTAL) +
            QStringLiteral(")"));
}

void TdmCmn::InsertPort(int portNo)
{
    Log::Detail(QStringLiteral("TdmCmn.InsertPort"));
    ExecFnc(QStringLiteral("insert into PORT_T (PORT_NO) values (") + QString::number(portNo) + QStringLiteral(")"));
}

bool TdmCmn::GetInterfaceInfo(const QString& ifNo, TInterfaceInfo& info)
{
    info = TInterfaceInfo();
    Log::Detail(QStringLiteral("TdmCmn.GetInterfaceInfo InterfaceNo=") + ifNo);
    // The number is written unquoted, so it must be one.
    if (!IsSqlInteger(ifNo)) return false;
    const QString sql = QStringLiteral("select * from INTERFACE where IF_NO = ") + ifNo;
    TSelect sel(IBQueryFnc, sql);
    if (IBQueryFnc.Eof()) return false;
    auto s = [this](const char* col) { return IBQueryFnc.FieldByName(QString::fromLatin1(col)).AsString(); };
    info.IF_NAME = s("IF_NAME");
    info.IF_TYPE = s("IF_TYPE");
    info.EXEC_PATH = s("EXEC_PATH");
    info.TEXT_PATH = s("TEXT_PATH");
    info.COMMAND = s("COMMAND");
    info.CAPTION = s("CAPTION");
    info.START_REQ = IBQueryFnc.FieldByName(QStringLiteral("START_REQ")).AsInteger();
    info.END_REQ = IBQueryFnc.FieldByName(QStringLiteral("END_REQ")).AsInteger();
    info.EVERY_CLOSE = s("EVERY_CLOSE");
    info.TEXT_PORT = s("TEXT_PORT");
    info.TEXT_DT = s("TEXT_DT");
    return true;
}
