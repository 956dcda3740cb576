#include "autostart_u.h"
#include "errors_u.h"
#include "ini_file_u.h"
#include "log_u.h"
#include "settings_u.h"
#include "env_test_util.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

namespace {
TEnvValues TestEnvValues()
{
    TEnvValues e;
    e.gComputerName = "PC01";
    e.gIpAddress = "127.0.0.1";
    e.gWindowsUserName = "USER";
    e.gExeDir = "/opt/kuruten3/";
    return e;
}

// Settings over a fresh data root whose INI holds the given text.
std::unique_ptr<TSettings> Load(const QByteArray& ini)
{
    const QString root = TestEnv::FreshDataRoot();
    auto s = std::make_unique<TSettings>(root, TestEnvValues());
    QDir().mkpath(s->DataFolder());
    if (!ini.isNull()) {
        QFile f(s->SettingsFile());
        f.open(QIODevice::WriteOnly);
        f.write(ini);
    }
    s->Initialize();
    return s;
}
} // namespace

TEST(Settings, MissingFileGivesEveryDefaultAndCreatesFolders)
{
    auto s = Load(QByteArray());
    for (const QString& f : {s->DataFolder(), s->LogFolder(), s->RecFolder(), s->PlayFolder(), s->WorkFolder()})
        EXPECT_TRUE(QFileInfo(f).isDir()) << f.toStdString();
    EXPECT_FALSE(QFileInfo::exists(s->SettingsFile()));
    EXPECT_EQ(s->Role(), TRole::StandAlone);
    EXPECT_EQ(s->DatabasePathInUse(), s->SharedFolder() + "/KURUDB.FDB");
    EXPECT_EQ(s->UdpServerPort, 5601);
    EXPECT_EQ(s->UdpClientPort, 5600);
    EXPECT_FALSE(s->LinkEnabled);
    EXPECT_EQ(s->LinkIfNo, 1);
    EXPECT_EQ(s->LinkTableName, "CUSTOMER");
    EXPECT_EQ(s->LinkCustTelFName, "CUST_TEL_NON");
    EXPECT_TRUE(s->Bring);
    EXPECT_TRUE(s->ShowBalloon);
    EXPECT_TRUE(s->KeepAlive);
    EXPECT_TRUE(s->BannerStretch);
    EXPECT_EQ(s->GJouchuIdx, 0);
    EXPECT_EQ(s->SpeakSpeed, 140);
    EXPECT_EQ(s->SpeakFoot, QStringLiteral("、です"));
    EXPECT_EQ(s->WatchIntervalSec, 3900);
    EXPECT_EQ(s->UnknownName, QStringLiteral("発信者不明"));
    EXPECT_EQ(s->UnknownKana, QStringLiteral("はっしんしゃふめい"));
    EXPECT_EQ(s->KanaLabel("x"), QStringLiteral("顧客カナ"));
}

TEST(Settings, RoleTable)
{
    struct Case { const char* ini; TRole role; };
    const Case cases[] = {
        {"", TRole::StandAlone},
        {"[KURUTEN_DB]\nDB_PATH=srv:/db/KURUDB.FDB\n", TRole::Server},          // DB_PATH alone: LAN on
        {"[KURUTEN_DB]\nDB_PATH=srv:/db/KURUDB.FDB\nLAN=0\n", TRole::StandAlone},
        {"[KURUTEN_DB]\nDB_PATH=srv:/db/KURUDB.FDB\nCLIENT=1\n", TRole::Client},
        {"[KURUTEN_DB]\nLAN=1\nCLIENT=1\n", TRole::Client},
        {"[KURUTEN_DB]\nLAN=0\nCLIENT=1\n", TRole::StandAlone},                  // client needs LAN
        {"[KURUTEN_DB]\nLAN=true\nDB_PATH=x\n", TRole::StandAlone},              // only "1" is on
    };
    for (const Case& c : cases) EXPECT_EQ(Load(c.ini)->Role(), c.role) << c.ini;
}

TEST(Settings, ValuesThatAreNotWhatTheyShouldBe)
{
    auto s = Load("[BASIC]\nJOUCHU=abc\nBRING=true\nSHOW_BALLOON=0\n"
                  "[LINK]\nENABLED=0\nAUTO_LAUNCH=1\nIF_NO=x\n"
                  "[UDP]\nSERVER_PORT=\nCLIENT_PORT=port\n"
                  "[SPEAK]\nSPEED=fast\nFOOT=\n"
                  "[SIP]\nAUDIO_OUT_VOL=loud\nAUDIO_IN_VOL=9999999999\n"
                  "[WATCH]\nINTERVAL_SEC=\n[CUST_FRAME]\nACT_WIDTH=wide\n[COMMON]\nKANA_TYPE=7\nDEBUG=0\n");
    EXPECT_EQ(s->GJouchuIdx, 0);
    EXPECT_FALSE(s->Bring);           // "true" is not "1"
    EXPECT_FALSE(s->ShowBalloon);
    EXPECT_FALSE(s->LinkAutoLaunch);  // only read while the link is enabled
    EXPECT_EQ(s->LinkIfNo, 1);
    EXPECT_EQ(s->UdpServerPort, 5601);
    EXPECT_EQ(s->UdpClientPort, 5600);
    EXPECT_EQ(s->SpeakSpeed, 140);
    EXPECT_EQ(s->SpeakFoot, QString());  // present and empty stays empty
    EXPECT_EQ(s->AudioOutVol, 0);
    EXPECT_EQ(s->AudioInVol, 9999999999LL);
    EXPECT_EQ(s->WatchIntervalSec, 3900);
    EXPECT_EQ(s->ActWidth, 0);
    EXPECT_EQ(s->KanaLabel(QStringLiteral("元")), QStringLiteral("元"));
    EXPECT_EQ(s->KanaInputMode(), TKanaMode::None);
}

TEST(Settings, KanaTypeTable)
{
    const std::pair<const char*, std::pair<QString, TKanaMode>> cases[] = {
        {"0", {QStringLiteral("顧客カナ"), TKanaMode::FullKatakana}},
        {"1", {QStringLiteral("顧客かな"), TKanaMode::Hiragana}},
        {"2", {QStringLiteral("顧客ｶﾅ"), TKanaMode::HalfKatakana}},
    };
    for (const auto& [v, expected] : cases) {
        auto s = Load(QByteArray("[COMMON]\nKANA_TYPE=") + v + "\n");
        EXPECT_EQ(s->KanaLabel("x"), expected.first);
        EXPECT_EQ(s->KanaInputMode(), expected.second);
    }
}

TEST(Settings, StartupFlagNeedsTheAutostartFile)
{
    auto s = Load("[BASIC]\nSTARTUP=1\n");
    EXPECT_FALSE(s->Startup); // the entry was never made (or was deleted by hand)
    ASSERT_TRUE(Autostart::CreateShortcut(QCoreApplication::applicationFilePath(), TSettings::StartupFolder(), ""));
    EXPECT_TRUE(QFileInfo::exists(s->StartupShortcutPath()));
    EXPECT_TRUE(s->StartupShortcutPath().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME") + "/autostart/"));
    s->LoadSettings();
    EXPECT_TRUE(s->Startup);
    Autostart::DeleteShortcut(QCoreApplication::applicationFilePath(), TSettings::StartupFolder());
    s->LoadSettings();
    EXPECT_FALSE(s->Startup);
}

TEST(Settings, WriteGoesStraightToTheFile)
{
    auto s = Load(QByteArray());
    s->WriteText("HANDLE", "MAIN_FORM", "42");
    s->WriteFlag("COMMON", "DEBUG", false);
    TIniFile raw(s->SettingsFile());
    EXPECT_EQ(raw.ReadString("HANDLE", "MAIN_FORM"), "42");
    EXPECT_EQ(raw.ReadString("COMMON", "DEBUG"), "0");
    EXPECT_EQ(s->ReadInt("HANDLE", "MAIN_FORM", -1), 42);
}

TEST(Settings, UncreatableDataRootIsAnErrorNamingTheFolder)
{
    // A plain file where the data root should be: no folder can be made below it.
    const QString root = TestEnv::FreshDataRoot() + "/file";
    QFile f(root);
    f.open(QIODevice::WriteOnly);
    f.close();
    TSettings s(root, TestEnvValues());
    try {
        s.Initialize();
        FAIL() << "expected EInOutError";
    } catch (const EInOutError& e) {
        EXPECT_TRUE(e.Message.contains(root + "/hoshiba")) << e.Message.toStdString();
    }
}

TEST(Settings, LogFolderAndFilesAreForTheUserUnlessTheDataRootIsShared)
{
    const auto mode = [](const QString& path) {
        struct stat st{};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
    };
    struct Case
    {
        const char* name;
        bool shared;        // the data root is a group's folder (2770)
        bool earlierFiles;  // a log folder and file left world-readable by an earlier version
        int folderMode, fileMode;
    };
    const Case cases[] = {
        {"private, new", false, false, 0700, 0600},
        {"private, earlier files", false, true, 0700, 0600},
        {"shared by a group", true, false, 02770, 0660},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString root = TestEnv::FreshDataRoot();
        if (c.shared) {
            ASSERT_EQ(::chmod(QFile::encodeName(root).constData(), 02770), 0);
        }
        TSettings s(root, TestEnvValues());
        const QString old = s.LogFolder() + "/log_PC01_20240101_000000.txt";
        if (c.earlierFiles) {
            ASSERT_TRUE(QDir().mkpath(s.LogFolder()));
            ::chmod(QFile::encodeName(s.LogFolder()).constData(), 0755);
            QFile f(old);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("0312345678\r\n");
            f.close();
            ::chmod(QFile::encodeName(old).constData(), 0644);
        }
        TLog log(s.LogFolder(), "PC01");
        TLog::SetCurrent(&log);
        s.Initialize();
        log.WriteAlways("TfrmMain.FormCreate");
        TLog::SetCurrent(nullptr);
        EXPECT_EQ(s.SharedDataRoot(), c.shared);
        EXPECT_EQ(mode(s.LogFolder()), c.folderMode);
        EXPECT_EQ(mode(log.CurrentFile()), c.fileMode);
        if (c.earlierFiles) {
            EXPECT_EQ(mode(old), c.fileMode);
        }
        if (c.shared) {
            EXPECT_EQ(mode(s.DataFolder()), 02770); // every user of the group writes here
        }
    }
}
