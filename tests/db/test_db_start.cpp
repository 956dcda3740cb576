// The database step of the start-up: roles, the wait dialog, failures that
// write nothing, and the reconnection after a lost connection.
#include "db_start_u.h"
#include "db_test_util.h"
#include "frm_wait_db_connect_u.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {
const QString kFailPrefix = QStringLiteral("データベースへの接続に失敗しました。\r\nkuruten3.iniファイルの設定を確認してください。\r\n");

QByteArray FileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}
} // namespace

class TStart : public TDbFixture
{
protected:
    void Role(const char* lan, const char* client, const QString& dbPath)
    {
        SetIni(QStringLiteral("KURUTEN_DB"), QStringLiteral("DB_PATH"), dbPath);
        SetIni(QStringLiteral("KURUTEN_DB"), QStringLiteral("LAN"), QString::fromLatin1(lan));
        SetIni(QStringLiteral("KURUTEN_DB"), QStringLiteral("CLIENT"), QString::fromLatin1(client));
    }
};

TEST_F(TStart, StandAloneAndClientFailuresShowTheBoxAndWriteNothing)
{
    const QString junk = Root + QStringLiteral("/junk.fdb");
    {
        QFile f(junk);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(20000, 'x'));
    }
    const QByteArray junkHash = FileHash(junk);
    struct
    {
        const char* lan;
        const char* client;
        QString path;
    } cases[] = {
        {"0", "0", Root + QStringLiteral("/missing/KURUDB.FDB")}, // points to nothing
        {"0", "0", junk},                                          // not a database
        {"1", "1", QStringLiteral("127.0.0.1/3059:/srv/kuruten/KURUDB.FDB")}, // server down
    };
    for (const auto& c : cases) {
        Role(c.lan, c.client, c.path);
        Rec->Shown.clear();
        TdmCmn& dm = NewDm();
        EXPECT_FALSE(dm.UsesDefaultDatabase());
        EXPECT_FALSE(ConnectDatabaseAtStart(dm, *Settings)) << c.path.toStdString();
        ASSERT_EQ(Rec->Shown.size(), 1u);
        EXPECT_EQ(Rec->Shown[0].Kind, TMsgKind::Error);
        EXPECT_TRUE(Rec->Shown[0].Text.startsWith(kFailPrefix)) << Rec->Shown[0].Text.toStdString();
        EXPECT_GT(Rec->Shown[0].Text.size(), kFailPrefix.size()); // the error's own text follows
        EXPECT_FALSE(dm.IBDatabase1.Connected());
    }
    EXPECT_FALSE(QFileInfo::exists(Root + QStringLiteral("/missing")));
    EXPECT_EQ(FileHash(junk), junkHash);
    EXPECT_FALSE(QFileInfo::exists(Settings->DefaultDatabaseFile()));
}

TEST_F(TStart, ServerCopyWaitsAndTheUserEndsTheStart)
{
    Role("1", "0", QStringLiteral("127.0.0.1/3059:/srv/kuruten/KURUDB.FDB"));
    int shown = 0;
    Msg::SetDialogResponder([&](QDialog& d) {
        ++shown;
        auto* w = qobject_cast<TfrmWaitDbConnect*>(&d);
        EXPECT_NE(w, nullptr);
        if (!w) return int(QDialog::Rejected);
        EXPECT_EQ(w->windowTitle(), QStringLiteral("くるてん3 サーバ の データベース接続エラー"));
        EXPECT_EQ(w->tmrConnect.interval(), 2000);
        EXPECT_TRUE(w->tmrConnect.isActive());
        auto* btn = w->findChild<QPushButton*>(QStringLiteral("btnClose"));
        EXPECT_EQ(btn->text(), QStringLiteral("終了する"));
        QTimer::singleShot(50, btn, &QPushButton::click);
        return w->exec();
    });
    TdmCmn& dm = NewDm();
    EXPECT_FALSE(ConnectDatabaseAtStart(dm, *Settings));
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(Rec->Shown.empty()); // no error box for a server copy
    EXPECT_FALSE(dm.IBDatabase1.Connected());
}

TEST_F(TStart, ServerCopyGoesOnOnceTheDatabaseAnswers)
{
    const QString path = Root + QStringLiteral("/later.fdb");
    Role("1", "0", path);
    QElapsedTimer clock;
    Msg::SetDialogResponder([&](QDialog& d) {
        // The database turns up while the dialog waits.
        QTimer::singleShot(300, [&] { DbTest::CreateDatabase(path, DbTest::EarlierBaseTables()); });
        clock.start();
        return d.exec();
    });
    TdmCmn& dm = NewDm();
    EXPECT_TRUE(ConnectDatabaseAtStart(dm, *Settings));
    EXPECT_GE(clock.elapsed(), 1900);
    EXPECT_TRUE(dm.IBDatabase1.Connected());
    EXPECT_EQ(Scalar("select count(*) from ACCEPT_TYPE"), QStringLiteral("2")); // upgraded
}

TEST_F(TStart, ServerCopyOpensAtOnceWhenTheDatabaseIsThere)
{
    const QString path = Root + QStringLiteral("/here.fdb");
    DbTest::CreateDatabase(path, DbTest::EarlierBaseTables());
    Role("1", "0", path);
    bool waited = false;
    Msg::SetDialogResponder([&](QDialog&) {
        waited = true;
        return int(QDialog::Rejected);
    });
    EXPECT_TRUE(ConnectDatabaseAtStart(NewDm(), *Settings));
    EXPECT_FALSE(waited);
}

TEST_F(TStart, ReDBConnectOnlyForLostConnections)
{
    UseCurrentEmbedded();
    const QString id = Scalar("select CURRENT_CONNECTION from RDB$DATABASE");
    NewLogLines();
    Dm().ReDBConnect(QStringLiteral("Dynamic SQL Error\nTable unknown"));
    EXPECT_EQ(NewLogLines(), QStringList({QStringLiteral("TfrmMain.ReDBConnect ErrorMsg=Dynamic SQL Error\nTable unknown"),
                                          QStringLiteral("TfrmMain.ReDBConnect end")}));
    EXPECT_EQ(Scalar("select CURRENT_CONNECTION from RDB$DATABASE"), id);

    Dm().ReDBConnect(QStringLiteral("Error reading data from the connection."));
    EXPECT_NE(Scalar("select CURRENT_CONNECTION from RDB$DATABASE"), id);
    TTels t;
    EXPECT_FALSE(Dm().GetTels(QStringLiteral("1"), t));
}
