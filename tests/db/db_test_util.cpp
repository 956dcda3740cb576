#include "db_test_util.h"

#include "fb_u.h"
#include "env_test_util.h"

#include <QDir>
#include <QFile>
#include <QTcpSocket>
#include <QRegularExpression>
#include <QUuid>
#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace DbTest {

QStringList EarlierBaseTables()
{
    QStringList out;
    for (QString sql : TdmCmn::BaseTableStatements()) {
        sql.replace(QStringLiteral("MAP_URL VARCHAR(600)"), QStringLiteral("MAP_URL VARCHAR(255)"));
        sql.replace(QStringLiteral("TEL_MEMO VARCHAR(4000)"), QStringLiteral("TEL_MEMO VARCHAR(255)"));
        sql.replace(QStringLiteral("PORT_NO INTEGER"), QStringLiteral("PORT_NO SMALLINT"));
        out << sql;
    }
    return out;
}

namespace {
void SetParams(TFbDatabase& db, const QString& name)
{
    db.DatabaseName = name;
    db.Params = {QStringLiteral("user_name=SYSDBA"), QStringLiteral("password=fbkey2468"), QStringLiteral("lc_ctype=NONE")};
    db.SQLDialect = 1;
}
} // namespace

void CreateDatabase(const QString& name, const QStringList& statements)
{
    TFbDatabase db;
    SetParams(db, name);
    db.CreateDatabase(8192);
    TFbTransaction tr(db);
    TFbQuery q(db, tr);
    for (const QString& sql : statements) {
        q.SQL = sql;
        q.ExecSQL();
    }
}

void DropDatabase(const QString& name)
{
    TFbDatabase db;
    SetParams(db, name);
    try {
        db.Open();
        db.DropDatabase();
    } catch (const std::exception&) {
    }
}

QString ServerUnavailableReason()
{
    static QString reason = [] {
        QTcpSocket s;
        s.connectToHost(QStringLiteral("127.0.0.1"), 3050);
        if (!s.waitForConnected(2000)) return QStringLiteral("nothing listens on 127.0.0.1:3050");
        s.close();
        const QString name = QStringLiteral("localhost:") + ServerFolder() + QStringLiteral("/probe.fdb");
        try {
            CreateDatabase(name, {});
            DropDatabase(name);
        } catch (const std::exception& e) {
            return QStringLiteral("cannot create a database as SYSDBA: ") + ExceptionText(e);
        }
        return QString();
    }();
    return reason;
}

QString Scalar(TdmCmn& dm, const QString& sql)
{
    dm.sqlWork.SQL = sql;
    dm.sqlWork.Open();
    TFbQuery::TCloser closer(dm.sqlWork);
    return dm.sqlWork.Eof() ? QString() : dm.sqlWork.Field(0).AsString();
}

QString ServerFolder()
{
    // Outside the private test root (mode 0700), so user firebird reaches it.
    struct TFolder
    {
        QString Path;
        TFolder()
        {
            Path = QStringLiteral("/tmp/kuruten-fbsrv-") + QUuid::createUuid().toString(QUuid::Id128).left(12);
            QDir().mkpath(Path);
            QFile::setPermissions(Path, QFileDevice::Permissions(0x7777));
        }
        ~TFolder() { QDir(Path).removeRecursively(); }
    };
    static TFolder folder;
    return folder.Path;
}

} // namespace DbTest

void TDbFixture::SetUp()
{
    Root = TestEnv::FreshDataRoot();
    Rec = std::make_unique<TMsgRecorder>(mbNo);
    TEnvValues env{QStringLiteral("TESTPC"), QStringLiteral("127.0.0.1"), QStringLiteral("TESTER"), QStringLiteral("/tmp/")};
    Settings = std::make_unique<TSettings>(Root, env);
    Settings->Initialize();
    Log_ = std::make_unique<TLog>(Settings->LogFolder(), env.gComputerName);
    Log_->SetDetailed(true);
    TLog::SetCurrent(Log_.get());
}

void TDbFixture::TearDown()
{
    FDm.reset();
    TLog::SetCurrent(nullptr);
    Msg::SetDialogResponder({});
    Rec.reset();
}

void TDbFixture::SetIni(const QString& section, const QString& key, const QString& value)
{
    Settings->WriteText(section, key, value);
    Settings->LoadSettings();
}

TdmCmn& TDbFixture::NewDm()
{
    FDm.reset();
    FDm = std::make_unique<TdmCmn>(*Settings);
    return *FDm;
}

QStringList TDbFixture::NewLogLines()
{
    QFile f(Log_->CurrentFile());
    QStringList out;
    if (!f.open(QIODevice::ReadOnly)) return out;
    f.seek(FLogPos);
    const QByteArray data = f.readAll();
    FLogPos = f.pos();
    // A logged text with line breaks continues on the next lines.
    static const QRegularExpression stamp(QStringLiteral("^\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d "));
    const QStringList lines = QString::fromUtf8(data).split(QStringLiteral("\r\n"));
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (stamp.match(lines.at(i)).hasMatch() || out.isEmpty()) out << lines.at(i).mid(20);
        else out.last() += QStringLiteral("\r\n") + lines.at(i);
    }
    return out;
}

void TDbFixture::UseCurrentEmbedded()
{
    NewDm().InitTables();
    Rec->Shown.clear();
    NewLogLines();
}

QString TDbFixture::Scalar(const QString& sql)
{
    TFbQuery& q = Dm().sqlWork;
    q.SQL = sql;
    q.Open();
    TFbQuery::TCloser closer(q);
    return q.Eof() ? QStringLiteral("<no row>") : q.Field(0).AsString();
}

namespace {
// Counts showings of the index notice window.
class TNoticeSpy : public QObject
{
public:
    TNoticeSpy() { qApp->installEventFilter(this); }
    ~TNoticeSpy() override { qApp->removeEventFilter(this); }
    int Shown = 0;
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Show) {
            auto* w = qobject_cast<QWidget*>(o);
            if (w && w->isWindow() && w->windowTitle() == QStringLiteral("くるてん  データベース処理")) ++Shown;
        }
        return false;
    }
};

QStringList Changes(const QStringList& lines)
{
    QStringList out;
    for (const QString& l : lines)
        if (l.startsWith(QLatin1String("strSql=")) && !l.mid(7).startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive))
            out << l.mid(7);
    return out;
}
} // namespace

void TDbFixture::CheckUpgradeOf(const QString& name)
{
    DbTest::CreateDatabase(name, DbTest::EarlierBaseTables());
    SetIni(QStringLiteral("KURUTEN_DB"), QStringLiteral("DB_PATH"), name);
    SetIni(QStringLiteral("KURUTEN_DB"), QStringLiteral("LAN"), QStringLiteral("0"));
    SetIni(QStringLiteral("RS232C"), QStringLiteral("PORT_NO_2"), QStringLiteral("abc"));
    SetIni(QStringLiteral("RS232C"), QStringLiteral("PORT_NO_3"), QStringLiteral("3"));
    Rec->Answer = mbYes;
    Settings->UseAccept = false;
    TNoticeSpy spy;
    TdmCmn& dm = NewDm();
    NewLogLines();
    dm.InitTables();

    const QStringList expected = {
        "ALTER TABLE CUSTOMER ALTER COLUMN MAP_URL TYPE VARCHAR(600)",
        "insert into USER_M (USERID, USERNM, PASSWD, AUTH) values ('admin', '管理者', '', 9999)",
        "CREATE TABLE ACCEPT_TYPE",
        "insert into ACCEPT_TYPE (TYPE_ID, TYPE_NAME, LIST_ID) values ('0001', '区分１(ﾀﾞﾐｰ)', '0001')",
        "insert into ACCEPT_TYPE (TYPE_ID, TYPE_NAME, LIST_ID) values ('0002', '区分２(ﾀﾞﾐｰ)', '0002')",
        "CREATE TABLE ACCEPT_RESULT",
        "insert into ACCEPT_RESULT (RESULT_ID, RESULT_NAME, LIST_ID) values ('0001', '結果１(ﾀﾞﾐｰ)', '0001')",
        "insert into ACCEPT_RESULT (RESULT_ID, RESULT_NAME, LIST_ID) values ('0002', '結果２(ﾀﾞﾐｰ)', '0002')",
        "create generator SEQ_ACCEPT_NO",
        "CREATE TABLE ACCEPT_T",
        "CREATE INDEX IDX_ACCEPT_T_LOG_NO ON ACCEPT_T (LOG_NO)",
        "CREATE TABLE OPTION_D_M",
        "CREATE TABLE PORT_T",
        "insert into PORT_T (PORT_NO) values (1)",
        "insert into PORT_T (PORT_NO) values (3)",
        "CREATE TABLE ACCOUNT",
        "ALTER TABLE ACCOUNT ADD OUTPLOXY VARCHAR(100)",
        "CREATE TABLE CTRL_T",
        "insert into CTRL_T (CH_NUM, UPDT) values (0, CURRENT_TIMESTAMP)",
        "ALTER TABLE PORT_T ADD REC_FLG CHAR(1)",
        "ALTER TABLE PORT_T ADD ABSENCE_FLG CHAR(1)",
        "ALTER TABLE PORT_T ADD TRANS_FLG CHAR(1)",
        "ALTER TABLE PORT_T ADD SPEEK_FLG CHAR(1)",
        "ALTER TABLE PORT_T ADD ABSENCE_FILE BLOB",
        "CREATE TABLE OUT_PLAN_T",
        "create generator SEQ_PLAN_ID;",
        "CREATE TABLE OUT_FILE_M",
        "create generator SEQ_FILE_ID;",
        "ALTER TABLE LOG ALTER COLUMN PORT_NO TYPE integer",
        "CREATE INDEX IDX_LOG_DT_FROM ON LOG(DT_FROM)",
        "CREATE INDEX IDX_LOG_TEL_NO ON LOG(TEL_NO)",
        "CREATE INDEX IDX_TELS_CUST_TEL_NON ON TELS(CUST_TEL_NON)",
        "CREATE INDEX IDX_ACCEPT_T_ACT_DT ON ACCEPT_T(ACT_DT)",
        "CREATE INDEX IDX_ACCEPT_T_CUST_NO ON ACCEPT_T(CUST_NO)",
        "CREATE INDEX IDX_ACCEPT_T_RESULT_ID ON ACCEPT_T(RESULT_ID)",
        "CREATE INDEX IDX_ACCEPT_T_TYPE_ID ON ACCEPT_T(TYPE_ID)",
        "CREATE INDEX IDX_ACCEPT_T_USERID ON ACCEPT_T(USERID)",
        "ALTER TABLE INTERFACE ADD TEXT_PORT CHAR(1)",
        "ALTER TABLE INTERFACE ADD TEXT_DT CHAR(1)",
        "ALTER TABLE LOG ALTER COLUMN TEL_MEMO TYPE VARCHAR(4000)",
    };
    const QStringList ran = Changes(NewLogLines());
    ASSERT_EQ(ran.size(), expected.size()) << ran.join(QLatin1Char('\n')).toStdString();
    for (qsizetype i = 0; i < ran.size(); ++i)
        EXPECT_TRUE(ran.at(i).startsWith(expected.at(i))) << i << ": " << ran.at(i).toStdString();

    // The question, once; Yes switches the handling records on, also for the
    // next start.
    ASSERT_EQ(Rec->Shown.size(), 1u);
    EXPECT_EQ(Rec->Shown[0].Buttons, mbYes | mbNo);
    EXPECT_TRUE(Rec->Shown[0].Text.startsWith(QStringLiteral("対応内容登録が機能追加されました。")));
    EXPECT_TRUE(Settings->UseAccept);
    EXPECT_EQ(Settings->ReadText(QStringLiteral("BASIC"), QStringLiteral("USE_ACCEPT")), QStringLiteral("1"));
    EXPECT_EQ(spy.Shown, 1);
    EXPECT_FALSE(dm.PostalLookup);

    // The result, read back.
    EXPECT_EQ(Scalar("select USERNM from USER_M where USERID = 'admin'"), QStringLiteral("管理者"));
    EXPECT_EQ(Scalar("select AUTH from USER_M where USERID = 'admin'"), QStringLiteral("9999"));
    EXPECT_EQ(Scalar("select TYPE_NAME from ACCEPT_TYPE where TYPE_ID = '0002'"), QStringLiteral("区分２(ﾀﾞﾐｰ)"));
    EXPECT_EQ(Scalar("select RESULT_NAME from ACCEPT_RESULT where RESULT_ID = '0001'"), QStringLiteral("結果１(ﾀﾞﾐｰ)"));
    EXPECT_EQ(Scalar("select list(PORT_NO) from (select PORT_NO from PORT_T order by PORT_NO)"), QStringLiteral("1,3"));
    EXPECT_EQ(Scalar("select count(*) from CTRL_T where CH_NUM = 0"), QStringLiteral("1"));
    EXPECT_EQ(Scalar("select f.RDB$FIELD_TYPE from RDB$RELATION_FIELDS r join RDB$FIELDS f on r.RDB$FIELD_SOURCE = "
                     "f.RDB$FIELD_NAME where r.RDB$RELATION_NAME = 'LOG' and r.RDB$FIELD_NAME = 'PORT_NO'"),
              QStringLiteral("8"));
    EXPECT_EQ(Scalar("select f.RDB$FIELD_LENGTH from RDB$RELATION_FIELDS r join RDB$FIELDS f on r.RDB$FIELD_SOURCE = "
                     "f.RDB$FIELD_NAME where r.RDB$RELATION_NAME = 'CUSTOMER' and r.RDB$FIELD_NAME = 'MAP_URL'"),
              QStringLiteral("600"));
    EXPECT_EQ(Scalar("select count(*) from RDB$INDICES where RDB$INDEX_NAME starting with 'IDX_LOG_' or "
                     "RDB$INDEX_NAME starting with 'IDX_ACCEPT_T_' or RDB$INDEX_NAME = 'IDX_TELS_CUST_TEL_NON'"),
              QStringLiteral("9"));
    EXPECT_EQ(Scalar("select gen_id(SEQ_ACCEPT_NO, 0) + gen_id(SEQ_PLAN_ID, 0) + gen_id(SEQ_FILE_ID, 0) from "
                     "RDB$DATABASE"),
              QStringLiteral("0"));

    // A second start: nothing is changed or asked.
    Rec->Shown.clear();
    TdmCmn& again = NewDm();
    NewLogLines();
    again.InitTables();
    EXPECT_EQ(Changes(NewLogLines()), QStringList());
    EXPECT_TRUE(Rec->Shown.empty());
    EXPECT_EQ(spy.Shown, 1);
}
