// The LAN role: the same database work against a real Firebird server on
// localhost. Skipped without a server unless KURUTEN_REQUIRE_FB_SERVER=1.
#include "cp932_u.h"
#include "db_start_u.h"
#include "db_test_util.h"

#include <QLockFile>
#include <QProcess>
#include <QTcpSocket>
#include <QUuid>
#include <unistd.h>

namespace {
bool PortOpen()
{
    QTcpSocket s;
    s.connectToHost(QStringLiteral("127.0.0.1"), 3050);
    return s.waitForConnected(500);
}

int Script(const char* action)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    p.start(TestEnv::SourceDir() + QStringLiteral("/scripts/firebird-server.sh"), {QString::fromLatin1(action)});
    p.waitForFinished(60000);
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}
} // namespace

class TServer : public TDbFixture
{
protected:
    void SetUp() override
    {
        TDbFixture::SetUp();
        // Server tests run one at a time (one of them restarts the server).
        FLock.setStaleLockTime(0);
        ASSERT_TRUE(FLock.tryLock(600000));
    }
    void TearDown() override
    {
        FDm.reset();
        for (const QString& n : FDbs) DbTest::DropDatabase(n);
        TDbFixture::TearDown();
        FLock.unlock();
    }
    QString NewName()
    {
        FDbs << QStringLiteral("localhost:") + DbTest::ServerFolder() + QStringLiteral("/") +
                    QUuid::createUuid().toString(QUuid::Id128).left(12) + QStringLiteral(".fdb");
        return FDbs.last();
    }
    // A current database on the server, opened as a client copy.
    void UseCurrentOnServer()
    {
        const QString name = NewName();
        DbTest::CreateDatabase(name, TdmCmn::BaseTableStatements());
        SetIni(QStringLiteral("KURUTEN_DB"), QStringLiteral("DB_PATH"), name);
        SetIni(QStringLiteral("KURUTEN_DB"), QStringLiteral("LAN"), QStringLiteral("1"));
        SetIni(QStringLiteral("KURUTEN_DB"), QStringLiteral("CLIENT"), QStringLiteral("1"));
        ASSERT_TRUE(ConnectDatabaseAtStart(NewDm(), *Settings));
        Rec->Shown.clear();
    }

    QLockFile FLock{QStringLiteral("/tmp/kuruten-fbserver-tests.lock")};
    QStringList FDbs;
};

TEST_F(TServer, UpgradesEarlierDatabaseOnTheServer)
{
    REQUIRE_FB_SERVER();
    CheckUpgradeOf(NewName());
}

TEST_F(TServer, RecordsAndCp932ThroughTheServer)
{
    REQUIRE_FB_SERVER();
    UseCurrentOnServer();
    EXPECT_FALSE(Dm().UsesDefaultDatabase());
    const QString name = QStringLiteral("ﾀﾞﾐｰ髙①～'");
    ASSERT_TRUE(Dm().InsertTels({QStringLiteral("0312345678"), QString(), name, QString()}));
    Dm().sqlWork.SQL = QStringLiteral("select CALLER from TELS");
    Dm().sqlWork.Open();
    EXPECT_EQ(Dm().sqlWork.FieldByName(QStringLiteral("CALLER")).AsBytes(), Cp932::Encode(name));
    Dm().sqlWork.Close();
    TdmCmn::TLog log;
    log.DT_FROM = QDateTime::currentDateTime();
    log.TEL_NO = QStringLiteral("0312345678");
    log.TEL_TYPE = QStringLiteral("着信");
    const int no = Dm().InsertLog(log);
    Dm().UpdateTelMemo(no, QStringLiteral("折り返し'要"));
    EXPECT_EQ(Scalar(QStringLiteral("select TEL_MEMO from LOG where LOG_NO = %1").arg(no)), QStringLiteral("折り返し'要"));
    TAccount a;
    a.UserId = QStringLiteral("200");
    a.SipProxy = QStringLiteral("127.0.0.1");
    Dm().ReplaceAccount(a);
    a.UserId = QString(61, QLatin1Char('x'));
    EXPECT_THROW(Dm().ReplaceAccount(a), EDbError);
    ASSERT_TRUE(Dm().GetAccount(a));
    EXPECT_EQ(a.UserId, QStringLiteral("200"));
}

TEST_F(TServer, TwoCopiesRegisterTheSameNumber)
{
    REQUIRE_FB_SERVER();
    UseCurrentOnServer();
    TdmCmn other(*Settings);
    TTels t;
    EXPECT_FALSE(Dm().GetTels(QStringLiteral("0312345678"), t));
    EXPECT_FALSE(other.GetTels(QStringLiteral("0312345678"), t));
    EXPECT_TRUE(Dm().InsertTels({QStringLiteral("0312345678"), QString(), QStringLiteral("先"), QString()}));
    // The second copy is refused by the key and reads the row instead.
    EXPECT_FALSE(other.InsertTels({QStringLiteral("0312345678"), QString(), QStringLiteral("後"), QString()}));
    ASSERT_TRUE(other.GetTels(QStringLiteral("0312345678"), t));
    EXPECT_EQ(t.CALLER, QStringLiteral("先"));
}

TEST_F(TServer, ReconnectsAfterTheServerWasRestarted)
{
    REQUIRE_FB_SERVER();
    if (geteuid() != 0) GTEST_SKIP() << "restarting the server needs root";
    UseCurrentOnServer();
    TTels t;
    EXPECT_FALSE(Dm().GetTels(QStringLiteral("1"), t));
    ASSERT_EQ(Script("stop"), 0);
    if (PortOpen()) GTEST_SKIP() << "the server was not started by scripts/firebird-server.sh; not restarting it";
    ASSERT_EQ(Script("start"), 0);

    // The next operation fails on the dead attachment; the error goes to
    // the handler, which reconnects; later operations work.
    QString message;
    try {
        Dm().GetTels(QStringLiteral("1"), t);
        ADD_FAILURE() << "no error after the restart";
    } catch (const EDbError& e) {
        message = e.Message;
    }
    EXPECT_TRUE(message.contains(QLatin1String("Error")) && message.contains(QLatin1String("connection")))
        << message.toStdString();
    Dm().ReDBConnect(message);
    EXPECT_TRUE(Dm().InsertTels({QStringLiteral("1"), QString(), QStringLiteral("x"), QString()}));
    EXPECT_TRUE(Dm().GetTels(QStringLiteral("1"), t));
}
