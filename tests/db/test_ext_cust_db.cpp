// The external customer database through real ODBC drivers: SQLite
// (libsqliteodbc) always, PostgreSQL (odbc-postgresql) against a server this
// test starts on localhost.
#include "db_test_util.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>

#include <unistd.h>

namespace {
// Runs statements on an ODBC data source of the test's own.
void Exec(const QString& connection, const QStringList& statements)
{
    const QString name = QStringLiteral("ext_setup");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name);
        db.setDatabaseName(connection);
        ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
        QSqlQuery q(db);
        for (const QString& s : statements) ASSERT_TRUE(q.exec(s)) << s.toStdString() << ": " << q.lastError().text().toStdString();
    }
    QSqlDatabase::removeDatabase(name);
}

const QString kFailText = QStringLiteral("外部顧客データベースへの接続に失敗しました。外部顧客DBの設定内容を確認してください。");

class ExtCustDb : public TDbFixture
{
protected:
    void SetUp() override
    {
        TDbFixture::SetUp();
        File = Root + QStringLiteral("/ext.db");
        Conn = QStringLiteral("Driver=SQLite3;Database=") + File;
        Exec(Conn, {"create table CUSTOMER (CUST_TEL_NON varchar(20), CUST_NAME varchar(60), CUST_KANA varchar(60))",
                    "insert into CUSTOMER values ('0312345678', '山田 太郎', 'ヤマダ タロウ')",
                    "insert into CUSTOMER values ('0312345678', '二人目', 'フタリメ')",
                    "insert into CUSTOMER values ('0455556666', '佐藤 花子', null)",
                    "insert into CUSTOMER values (null, '番号なし', 'バンゴウナシ')",
                    "create table \"顧客 台帳\" (\"電話 番号\" varchar(20), \"お名前\" varchar(60), \"ヨミ\" varchar(60))",
                    "insert into \"顧客 台帳\" values ('0312345678', '鈴木 一郎', 'スズキ イチロウ')"});
    }
    // The link switched on with these settings and a fresh data module.
    TdmCmn& Link(const QString& connection, const QString& table = "CUSTOMER", const QString& tel = "CUST_TEL_NON",
                 const QString& name = "CUST_NAME", const QString& kana = "CUST_KANA", const QString& quote = "")
    {
        Settings->WriteText("LINK", "CUST_DB_LINK", "1");
        Settings->WriteText("LINK", "DB_PATH", connection);
        Settings->WriteText("LINK", "TABLE_NAME", table);
        Settings->WriteText("LINK", "CUST_TEL_FNAME", tel);
        Settings->WriteText("LINK", "CUST_NAME_FNAME", name);
        Settings->WriteText("LINK", "CUST_KANA_FNAME", kana);
        Settings->WriteText("LINK", "QUOTE_STR", quote);
        Settings->LoadSettings();
        Rec->Shown.clear();
        return NewDm();
    }
    QString File, Conn;
};
} // namespace

TEST_F(ExtCustDb, TheLookupStatementQuotesNamesWithTheFirstQuoteCharacter)
{
    Settings->WriteText("LINK", "TABLE_NAME", "顧客\"台帳");
    const struct
    {
        bool Link;
        const char* Quote;
        const char* Number;
        const char* Sql;
    } cases[] = {
        {false, "\"", "0312345678",
         "select CUST_TEL_NON, CUST_NAME, CUST_KANA from CUSTOMER where CUST_TEL_NON = '0312345678'"},
        {true, "", "03'12",
         "select CUST_TEL_NON, CUST_NAME, CUST_KANA from 顧客\"台帳 where CUST_TEL_NON = '03''12'"},
        {true, "\"x", "0312345678",
         "select \"CUST_TEL_NON\", \"CUST_NAME\", \"CUST_KANA\" from \"顧客\"\"台帳\" where \"CUST_TEL_NON\" = '0312345678'"},
        {true, "[", "0312345678",
         "select [CUST_TEL_NON[, [CUST_NAME[, [CUST_KANA[ from [顧客\"台帳[ where [CUST_TEL_NON[ = '0312345678'"},
    };
    for (const auto& c : cases) {
        Settings->WriteText("LINK", "QUOTE_STR", QString::fromUtf8(c.Quote));
        Settings->LoadSettings();
        EXPECT_EQ(TdmCmn::CustInfoStatement(*Settings, c.Link, QString::fromUtf8(c.Number)), QString::fromUtf8(c.Sql))
            << c.Quote;
    }
}

TEST_F(ExtCustDb, CallerNamesComeFromTheLinkedDatabase)
{
    const struct
    {
        const char* Table;
        const char* Tel;
        const char* Name;
        const char* Kana;
        const char* Quote;
        const char* Number;
        bool Found;
        const char* FoundName;
        const char* FoundKana;
    } cases[] = {
        // The first matching row counts.
        {"CUSTOMER", "CUST_TEL_NON", "CUST_NAME", "CUST_KANA", "", "0312345678", true, "山田 太郎", "ヤマダ タロウ"},
        {"CUSTOMER", "CUST_TEL_NON", "CUST_NAME", "CUST_KANA", "\"", "0312345678", true, "山田 太郎", "ヤマダ タロウ"},
        // A null reading is an empty text.
        {"CUSTOMER", "CUST_TEL_NON", "CUST_NAME", "CUST_KANA", "", "0455556666", true, "佐藤 花子", ""},
        // Numbers match as stored: no hyphen is removed.
        {"CUSTOMER", "CUST_TEL_NON", "CUST_NAME", "CUST_KANA", "", "03-1234-5678", false, "", ""},
        {"CUSTOMER", "CUST_TEL_NON", "CUST_NAME", "CUST_KANA", "", "09000000000", false, "", ""},
        {"CUSTOMER", "CUST_TEL_NON", "CUST_NAME", "CUST_KANA", "", "0312345678' or '1'='1", false, "", ""},
        // Names with blanks need their quote character.
        {"顧客 台帳", "電話 番号", "お名前", "ヨミ", "\"", "0312345678", true, "鈴木 一郎", "スズキ イチロウ"},
        {"顧客 台帳", "電話 番号", "お名前", "ヨミ", "`", "0312345678", true, "鈴木 一郎", "スズキ イチロウ"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Table) + " " + c.Quote + " " + c.Number);
        TdmCmn& dm = Link(Conn, c.Table, c.Tel, c.Name, c.Kana, c.Quote);
        EXPECT_TRUE(Rec->Shown.empty()); // the link opened and its test lookup ran
        QString name, kana;
        EXPECT_EQ(dm.GetCustInfo(QString::fromUtf8(c.Number), name, kana), c.Found);
        EXPECT_EQ(name, QString::fromUtf8(c.FoundName));
        EXPECT_EQ(kana, QString::fromUtf8(c.FoundKana));
    }
    const QStringList log = NewLogLines();
    EXPECT_TRUE(log.contains("TdmCmn.InitCustDbLink"));
    EXPECT_TRUE(log.contains("strSql=select \"電話 番号\", \"お名前\", \"ヨミ\" from \"顧客 台帳\" where \"電話 番号\" = '0312345678'"));
}

TEST_F(ExtCustDb, ALinkThatCannotBeUsedShowsTheBoxOnceAndLookupsQuietlyFindNothing)
{
    const struct
    {
        const char* Why;
        QString Connection;
        const char* Table;
        const char* Tel;
        const char* Quote;
    } cases[] = {
        {"empty connection string", "", "CUSTOMER", "CUST_TEL_NON", ""},
        {"no such data source", "DSN=kuruten_no_such_dsn", "CUSTOMER", "CUST_TEL_NON", ""},
        {"no such driver", "Driver=NoSuchDriver;Database=x", "CUSTOMER", "CUST_TEL_NON", ""},
        {"no such table", Conn, "NO_SUCH_TABLE", "CUST_TEL_NON", ""},
        {"no such column", Conn, "CUSTOMER", "NO_SUCH_COLUMN", ""},
        {"a quote that is not one", Conn, "CUSTOMER", "CUST_TEL_NON", "["},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Why);
        TdmCmn& dm = Link(c.Connection, c.Table, c.Tel, "CUST_NAME", "CUST_KANA", c.Quote);
        ASSERT_EQ(Rec->Shown.size(), 1u);
        EXPECT_EQ(Rec->Shown[0].Kind, TMsgKind::Error);
        EXPECT_TRUE(Rec->Shown[0].Text.startsWith(kFailText + "\r\n")) << Rec->Shown[0].Text.toStdString();
        EXPECT_GT(Rec->Shown[0].Text.size(), kFailText.size() + 2); // the driver's own message follows
        QString name = "x", kana = "x";
        EXPECT_FALSE(dm.GetCustInfo("0312345678", name, kana));
        EXPECT_TRUE(name.isEmpty() && kana.isEmpty());
        EXPECT_THROW(dm.GetCustInfoBase("0312345678", name, kana), EDbError);
        EXPECT_EQ(Rec->Shown.size(), 1u);
    }
}

TEST_F(ExtCustDb, TheLinkClosesAndTheOwnTableIsReadAgain)
{
    UseCurrentEmbedded();
    Dm().ExecSql("insert into CUSTOMER (CUST_NO, CUST_NAME, CUST_KANA, CUST_TEL, CUST_TEL_NON, SEX) values "
                 "(1, '自社の顧客', 'ジシャ', '0312345678', '0312345678', 1)");
    TdmCmn& dm = Link(Conn);
    dm.InitTables();
    QString name, kana;
    ASSERT_TRUE(dm.GetCustInfo("0312345678", name, kana));
    EXPECT_EQ(name, "山田 太郎");
    Settings->CustDbLink = false;
    dm.CloseCustDbLink();
    EXPECT_FALSE(dm.ADOConnection1.Connected());
    ASSERT_TRUE(dm.GetCustInfo("0312345678", name, kana));
    EXPECT_EQ(name, "自社の顧客");
    EXPECT_TRUE(NewLogLines().contains("TdmCmn.CloseCustDbLink"));
}

TEST_F(ExtCustDb, RowsForTheSearchComeByColumnName)
{
    TdmCmn& dm = Link(Conn);
    const QList<QStringList> rows =
        dm.ExtCustRows("select * from CUSTOMER where CUST_TEL_NON is not null order by CUST_TEL_NON",
                       {"cust_tel_non", "CUST_NAME", "CUST_KANA", "NO_SUCH"});
    ASSERT_EQ(rows.size(), 3);
    EXPECT_EQ(rows[0], QStringList({"0312345678", "山田 太郎", "ヤマダ タロウ", ""}));
    EXPECT_EQ(rows[2], QStringList({"0455556666", "佐藤 花子", "", ""}));
    EXPECT_THROW(dm.ExtCustRows("select * from NO_SUCH_TABLE", {"A"}), EDbError);
}

// ---------------------------------------------------------------- PostgreSQL

namespace {
// A PostgreSQL server of this test, on a free port of 127.0.0.1, run as the
// user postgres in a temporary folder.
class TPgServer
{
public:
    static QString Bin(const QString& tool)
    {
        for (const QString& v : QDir("/usr/lib/postgresql").entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed)) {
            const QString p = "/usr/lib/postgresql/" + v + "/bin/" + tool;
            if (QFileInfo(p).isExecutable()) return p;
        }
        return QString();
    }
    QString Unavailable()
    {
        if (Bin("initdb").isEmpty()) return "PostgreSQL is not installed (package postgresql)";
        if (::geteuid() != 0) return "the server is started as user postgres, which needs root";
        if (QStandardPaths::findExecutable("runuser").isEmpty()) return "runuser is missing";
        return QString();
    }
    bool Start()
    {
        if (!Dir.isValid()) return false;
        QProcess::execute("chown", {"postgres", Dir.path()});
        if (Run("initdb", {"-N", "-D", Dir.path() + "/data", "-A", "trust", "-U", "postgres", "-E", "UTF8",
                           "--locale=C.UTF-8"}) != 0)
            return false;
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        Port = probe.serverPort();
        probe.close();
        return Up();
    }
    bool Up()
    {
        return Run("pg_ctl", {"-D", Dir.path() + "/data", "-l", Dir.path() + "/log", "-w", "-o",
                              QString("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off").arg(Port).arg(Dir.path()),
                              "start"}) == 0;
    }
    void Down() { Run("pg_ctl", {"-D", Dir.path() + "/data", "-m", "immediate", "-w", "stop"}); }
    ~TPgServer()
    {
        if (Port) Down();
    }
    QString Connection() const
    {
        return QString("Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=%1;Database=postgres;Uid=postgres;").arg(Port);
    }

private:
    int Run(const QString& tool, const QStringList& args)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start("runuser", QStringList{"-u", "postgres", "--", Bin(tool)} + args);
        p.waitForFinished(60000);
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    QTemporaryDir Dir{"/tmp/kuruten-pg-XXXXXX"};
    int Port = 0;
};
} // namespace

TEST_F(ExtCustDb, PostgreSqlServerThatGoesAwayAndComesBack)
{
    TPgServer pg;
    const QString why = pg.Unavailable();
    if (!why.isEmpty()) GTEST_SKIP() << why.toStdString();
    ASSERT_TRUE(pg.Start());
    Exec(pg.Connection(), {"create table \"顧客\" (\"電話\" varchar(20), \"名前\" varchar(60), \"カナ\" varchar(60))",
                           "insert into \"顧客\" values ('0312345678', '山田 太郎', 'ヤマダ タロウ')"});
    TdmCmn& dm = Link(pg.Connection(), "顧客", "電話", "名前", "カナ", "\"");
    EXPECT_TRUE(Rec->Shown.empty());
    QString name, kana;
    ASSERT_TRUE(dm.GetCustInfo("0312345678", name, kana));
    EXPECT_EQ(name, "山田 太郎");
    EXPECT_EQ(kana, "ヤマダ タロウ");

    // Gone: lookups find nothing, without a box; while it stays away the
    // next lookups do not even wait for it.
    pg.Down();
    EXPECT_FALSE(dm.GetCustInfo("0312345678", name, kana));
    EXPECT_FALSE(dm.GetCustInfo("0312345678", name, kana));
    EXPECT_TRUE(Rec->Shown.empty());

    // Back: the next lookup after the pause opens the link again.
    ASSERT_TRUE(pg.Up());
    EXPECT_FALSE(dm.GetCustInfo("0312345678", name, kana)); // still within the pause
    dm.ADOConnection1.RetryAfterFailMs = 0;
    ASSERT_TRUE(dm.GetCustInfo("0312345678", name, kana));
    EXPECT_EQ(name, "山田 太郎");
}
