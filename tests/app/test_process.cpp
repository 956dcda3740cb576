// The real program in two processes: single instance and hand-off.
#include "program_fixture.h"
#include "single_instance_u.h"
#include "startup_u.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace ProgramTest;

TEST(Process, SecondStartHandsOverOrWarns)
{
    TSession s;
    auto first = s.Start();
    ASSERT_TRUE(s.WaitForLog("TfrmMain.FormCreate"));
    ASSERT_TRUE(s.WaitForLog("Soft Phone Ver. "));

    // A plain number, "/S" in any letter case.
    EXPECT_EQ(s.Run({"/S", "0312345678"}), 0);
    EXPECT_TRUE(s.WaitForLog("★TelReceiveProc TelNo=0312345678 LogNo= PortNo=1 CalledReadName="));

    // Not a hand-off: no parameters, or three.
    EXPECT_EQ(s.Run({}), 1);
    EXPECT_EQ(s.Run({"/s", "0312345678", "extra"}), 1);
    EXPECT_EQ(s.Messages().count(QStringLiteral("warning\tくるてんはすでに実行しています。")), 2);

    // Commands, odd texts and a 5000-byte number: the first copy keeps running.
    EXPECT_EQ(s.Run({"/s", "kuruten:unknown?x=1"}), 0);
    EXPECT_EQ(s.Run({"/s", "03'12 34\"56"}), 0);
    EXPECT_EQ(s.Run({"/s", QString(5000, QChar('9'))}), 0);
    EXPECT_TRUE(s.WaitForLog("★TelReceiveProc TelNo=03'12 34\"56 LogNo="));
    EXPECT_TRUE(s.WaitForLog("★TelReceiveProc TelNo=" + QString(4096, QChar('9')) + " LogNo="));

    // A peer that sends garbage, and one that sends nothing, are dropped.
    const QString sock = s.Root + "/rt/" + TSingleInstance::InstanceName("kuruten3") + ".sock";
    {
        QLocalSocket garbage;
        garbage.connectToServer(sock);
        ASSERT_TRUE(garbage.waitForConnected(2000));
        garbage.write("this is not a packet at all");
        garbage.waitForBytesWritten(1000);
        garbage.waitForDisconnected(5000);
    }
    {
        QLocalSocket silent;
        silent.connectToServer(sock);
        ASSERT_TRUE(silent.waitForConnected(2000));
        EXPECT_TRUE(silent.waitForDisconnected(TSingleInstance::kIdleMs + 3000));
    }
    EXPECT_TRUE(s.WaitForLog("hand-off packet malformed"));
    EXPECT_EQ(s.Run({"/s", "0399999999"}), 0);
    EXPECT_TRUE(s.WaitForLog("★TelReceiveProc TelNo=0399999999 "));
    EXPECT_EQ(first->state(), QProcess::Running);
    Stop(*first);
}

TEST(Process, KilledCopyDoesNotBlockTheNextStart)
{
    TSession s;
    // The program itself is killed: a supervisor would start it again, and
    // its child dies only after the supervisor is gone.
    s.Extra.insert("KURUTEN_NO_SUPERVISOR", "1");
    auto first = s.Start();
    ASSERT_TRUE(s.WaitForLog("Soft Phone Ver. "));
    first->kill(); // SIGKILL: no clean-up at all
    first->waitForFinished(5000);

    auto second = s.Start();
    QThread::msleep(300);
    EXPECT_TRUE(s.WaitForLog("TfrmMain.ReadRegistry"));
    EXPECT_EQ(s.Run({"/s", "0311112222"}), 0);
    EXPECT_TRUE(s.WaitForLog("★TelReceiveProc TelNo=0311112222 "));
    EXPECT_FALSE(s.Messages().contains(QStringLiteral("すでに実行しています")));
    Stop(*second);
}

TEST(Process, HandleThatIsNotANumberIsAnError)
{
    TSession s;
    auto first = s.Start();
    ASSERT_TRUE(s.WaitForLog("Soft Phone Ver. "));
    QFile ini(s.DataFolder() + "/kuruten3.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write(TestEnv::LoopbackUdpIni() + "[HANDLE]\nMAIN_FORM=not-a-number\n");
    ini.close();
    EXPECT_EQ(s.Run({"/s", "0312345678"}), 1);
    EXPECT_TRUE(s.Messages().contains(QStringLiteral("error\tくるてんのハンドルを取得できませんでした。")));
    Stop(*first);
}

TEST(Process, UnusableDataRootEndsTheStartWithAClearError)
{
    TSession s;
    QDir(s.Root + "/hoshiba").removeRecursively();
    QFile blocker(s.Root + "/hoshiba");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_EQ(s.Run({}), 2);
    EXPECT_TRUE(s.Messages().contains(s.Root + "/hoshiba")) << s.Messages().toStdString();
}

TEST(Process, StartThatFailsAtTheDatabaseWritesNothing)
{
    TSession s(TestEnv::LoopbackUdpIni() + "[KURUTEN_DB]\nDB_PATH=/nonexistent/folder/KURUDB.FDB\nLAN=0\n");
    EXPECT_EQ(s.Run({}), 1);
    EXPECT_TRUE(s.Messages().contains(QStringLiteral("error\tデータベースへの接続に失敗しました。")))
        << s.Messages().toStdString();
    EXPECT_TRUE(s.Messages().contains(QStringLiteral("kuruten3.iniファイルの設定を確認してください。")));
    QFile ini(s.DataFolder() + "/kuruten3.ini");
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_FALSE(ini.readAll().contains("AUDIO_OUT_VOL"));
    EXPECT_FALSE(QFileInfo::exists(s.Root + "/cfg/hoshiba/kuruten3.conf"));
}

TEST(Process, TwoParametersWithoutARunningCopy)
{
    // With sign-in required they are a user ID and a password: unknown here.
    {
        TSession s(TestEnv::LoopbackUdpIni() + "[BASIC]\nLOGIN_AUTH=1\n");
        EXPECT_EQ(s.Run({"/s", "0312345678"}), 1);
        EXPECT_TRUE(s.Messages().contains(
            QStringLiteral("warning\tユーザIDかパスワードが無効です。もしくは有効期限が過ぎています。")));
        EXPECT_TRUE(s.LogText().contains("reboot Halt"));
        EXPECT_FALSE(QFileInfo::exists(s.Root + "/cfg/hoshiba/kuruten3.conf"));
    }
    // Without sign-in the program starts normally and the number is not a call.
    {
        TSession s;
        auto p = s.Start({"/s", "0312345678"});
        ASSERT_TRUE(s.WaitForLog("Soft Phone Ver. "));
        QThread::msleep(300);
        EXPECT_FALSE(s.LogText().contains("★TelReceiveProc"));
        Stop(*p);
    }
}

TEST(Process, CopyStartedHiddenStillSetsUpItsSoftphone)
{
    TSession s(TestEnv::LoopbackUdpIni() + "[BASIC]\nJOUCHU=1\nJOUCHU_KIDOU=1\n");
    auto p = s.Start();
    ASSERT_TRUE(s.WaitForLog("Soft Phone Ver. "));
    // No account yet: the first-show step asks for the communication settings.
    QElapsedTimer t;
    t.start();
    while (!s.Messages().contains(QStringLiteral("通信のための設定されていません")) && t.elapsed() < 15000)
        QThread::msleep(50);
    EXPECT_TRUE(s.Messages().contains(QStringLiteral("通信のための設定されていません")));
    EXPECT_TRUE(s.LogText().contains("LoadSIPAccount"));
    Stop(*p);
}

namespace {
const QString kNoAccountBox = QStringLiteral("通信のための設定されていません");

// Lines of the message log that begin so.
qsizetype Lines(const TSession& s, const QString& head)
{
    const QStringList lines = s.Messages().split('\n');
    return std::count_if(lines.begin(), lines.end(), [&](const QString& l) { return l.startsWith(head); });
}

// Stops the program with SIGTERM; true when it then ended by itself with 0.
bool StopsCleanly(QProcess& p, int ms = 60000)
{
    p.terminate();
    if (!p.waitForFinished(ms)) {
        p.kill();
        p.waitForFinished(5000);
        return false;
    }
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}
} // namespace

TEST(Process, HandOffThatOpensABoxIsAnsweredAndTheCopyLivesOn)
{
    // Every box stays open 5 s, longer than a silent peer may take.
    TSession s;
    s.Extra["KURUTEN_MSG_HOLD_MS"] = "5000";
    auto first = s.Start();
    ASSERT_TRUE(s.WaitForMessage("closed\t" + kNoAccountBox, 30000)) << s.Messages().toStdString();

    // Without a registration a dial ends in an error box; a hang-up without
    // a call does nothing.
    const struct { const char* Command; bool Box; } commands[] = {
        {"kuruten:HangUp", false},
        {"kuruten:Dial?TelNo=0312345678", true},
    };
    for (const auto& c : commands) {
        SCOPED_TRACE(c.Command);
        const qsizetype boxes = Lines(s, "error\t");
        const qsizetype closed = Lines(s, "closed\t");
        EXPECT_EQ(s.Run({"/s", c.Command}), 0);
        ASSERT_EQ(first->state(), QProcess::Running);
        if (!c.Box) {
            EXPECT_EQ(Lines(s, "error\t"), boxes) << s.Messages().toStdString();
            continue;
        }
        // The sender had its answer while the box was still open.
        EXPECT_GT(Lines(s, "error\t"), boxes) << s.Messages().toStdString();
        EXPECT_EQ(Lines(s, "closed\t"), closed);
        ASSERT_TRUE(TSession::WaitUntil([&] { return Lines(s, "closed\t") > closed; }, 20000));
        ASSERT_EQ(first->state(), QProcess::Running);
    }
    // The copy goes on taking hand-offs.
    EXPECT_EQ(s.Run({"/s", "0312345678"}), 0);
    EXPECT_TRUE(s.WaitForLog("★TelReceiveProc TelNo=0312345678 "));
    EXPECT_TRUE(StopsCleanly(*first));
}

TEST(Process, StopSignalWhileABoxIsOpenEndsTheProgram)
{
    // Boxes stay open: a box during the start (the new database's question),
    // at the window's first show, and in the message loop (a copy started
    // hidden asks for the missing account from there).
    struct Case
    {
        const char* name;
        QByteArray ini;
        bool databaseExists;
        QString box;
    };
    const Case cases[] = {
        {"during the start", QByteArray(), false, QStringLiteral("info\t対応内容登録が機能追加されました。")},
        {"at the first show", QByteArray(), true, "error\t" + kNoAccountBox},
        {"in the message loop", "[BASIC]\nJOUCHU=1\nJOUCHU_KIDOU=1\n", true, "error\t" + kNoAccountBox},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TSession s(TestEnv::LoopbackUdpIni() + c.ini);
        if (c.databaseExists) {
            auto first = s.Start();
            ASSERT_TRUE(s.WaitForLog("LoadSIPAccount", 60000));
            ASSERT_TRUE(StopsCleanly(*first));
        }
        s.Extra["KURUTEN_MSG_HOLD_MS"] = "600000";
        const qsizetype shutdowns = s.LogText().count("TfrmMain.HeapFreeProc");
        const qsizetype asked = Lines(s, c.box);
        auto p = s.Start();
        ASSERT_TRUE(s.WaitUntil([&] { return Lines(s, c.box) > asked; }, 60000)) << s.Messages().toStdString();
        EXPECT_TRUE(StopsCleanly(*p, 20000));
        // The box closed and the normal shutdown ran.
        EXPECT_EQ(Lines(s, "closed\t"), 1) << s.Messages().toStdString();
        EXPECT_EQ(s.LogText().count("TfrmMain.HeapFreeProc"), shutdowns + 1);
        EXPECT_TRUE(QFileInfo::exists(s.Root + "/cfg/hoshiba/kuruten3.conf"));
    }
}

TEST(Process, StopSignalAtAnyMomentOfTheStartEndsCleanly)
{
    // The moments: as the program's first line is written, while the
    // database is being created, while the window is set up, just before the
    // message loop. (Earlier, while the system still loads the program, the
    // system's own default ends it: nothing has been written then.)
    const char* moments[] = {"GTelDbPath=", "CREATE TABLE", "TfrmMain.InitNMUDP", "Soft Phone Ver. "};
    for (const char* moment : moments) {
        SCOPED_TRACE(moment);
        TSession s;
        auto p = s.Start();
        ASSERT_TRUE(s.WaitUntil([&] { return s.LogText().contains(QString::fromLatin1(moment)); }, 60000));
        EXPECT_TRUE(StopsCleanly(*p)) << s.LogText().right(2000).toStdString();
        EXPECT_FALSE(s.LogText().contains("InitTables error"));

        // Nothing was left half-written: the next start runs and logs a call.
        const qsizetype started = s.LogText().count("Soft Phone Ver. ");
        auto again = s.Start();
        ASSERT_TRUE(s.WaitForLogCount("Soft Phone Ver. ", started + 1, 60000)) << s.Messages().toStdString();
        EXPECT_EQ(s.Run({"/s", "0312345678"}), 0);
        EXPECT_TRUE(s.WaitForLog("LogNo1="));
        EXPECT_FALSE(s.Messages().contains(QStringLiteral("データベースへの接続に失敗しました")));
        EXPECT_TRUE(StopsCleanly(*again));
    }
}

TEST(Process, WithoutASessionFolderTheLockAndSocketArePrivate)
{
    TSession s;
    const QString tmp = s.Root + "/tmp";
    QDir().mkpath(tmp);
    ::chmod(QFile::encodeName(tmp).constData(), 01777);
    s.Removed << "XDG_RUNTIME_DIR";
    s.Extra["TMPDIR"] = tmp;
    auto first = s.Start();
    ASSERT_TRUE(s.WaitForLog("Soft Phone Ver. ", 60000));
    const QString dir = tmp + "/kuruten3-" + QString::number(::geteuid());
    struct stat st{};
    ASSERT_EQ(::stat(QFile::encodeName(dir).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700u);
    EXPECT_EQ(st.st_uid, ::geteuid());
    EXPECT_TRUE(QFileInfo::exists(dir + "/" + TSingleInstance::InstanceName("kuruten3") + ".sock"));
    EXPECT_TRUE(QFileInfo::exists(dir + "/" + TSingleInstance::InstanceName("kuruten3") + ".lock"));
    // Nothing of ours directly in the shared folder.
    EXPECT_EQ(QDir(tmp).entryList({"kuruten3*"}, QDir::AllEntries | QDir::System), QStringList{dir.mid(tmp.size() + 1)});
    EXPECT_EQ(s.Run({"/s", "0312345678"}), 0);
    EXPECT_TRUE(s.WaitForLog("★TelReceiveProc TelNo=0312345678 "));
    EXPECT_TRUE(StopsCleanly(*first));
}

TEST(Process, FailedRestartIsAnExecErrorNotACrash)
{
    TMsgRecorder boxes;
    const QString dir = TestEnv::FreshDataRoot();
    QFile notExecutable(dir + "/kuruten3");
    ASSERT_TRUE(notExecutable.open(QIODevice::WriteOnly));
    notExecutable.close();
    struct Case { QString exe; int code; };
    const Case cases[] = {{dir + "/missing/kuruten3", ENOENT}, {dir + "/kuruten3", EACCES}};
    for (const Case& c : cases) {
        bool started = true;
        EXPECT_NO_THROW(started = RestartProgram(c.exe, {"admin", "secret"}));
        EXPECT_FALSE(started);
        EXPECT_TRUE(boxes.Saw(QStringLiteral("Exec Error %1").arg(c.code))) << c.exe.toStdString();
    }
}

TEST(Process, WithoutANotificationAreaASecondStartRaisesTheRunningWindow)
{
    // Offscreen there is no notification area: the resident copy that starts
    // hidden could not be reached otherwise.
    TSession s(TestEnv::LoopbackUdpIni() + "[BASIC]\nJOUCHU=1\nJOUCHU_KIDOU=1\n");
    auto first = s.Start();
    ASSERT_TRUE(s.WaitForMessage(kNoAccountBox, 60000)) << s.Messages().toStdString();
    EXPECT_FALSE(s.LogText().contains("TfrmMain.Open1Click end"));
    EXPECT_EQ(s.Run({}), 1);
    EXPECT_TRUE(s.Messages().contains(QStringLiteral("warning\tくるてんはすでに実行しています。")));
    EXPECT_TRUE(s.WaitForLog("TfrmMain.Open1Click end"));
    EXPECT_TRUE(StopsCleanly(*first));
}
