#include "frm_main_u.h"
#include "log_u.h"
#include "settings_u.h"
#include "test_env.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QStatusBar>
#include <QTableWidget>

namespace {
struct TMainFixture
{
    TMainFixture(const QByteArray& ini = QByteArray())
    {
        const QString root = TestEnv::FreshDataRoot();
        TEnvValues env;
        env.gComputerName = "PC01";
        env.gExeDir = TestEnv::SourceDir() + "/resources/";
        settings = std::make_unique<TSettings>(root, env);
        log = std::make_unique<TLog>(settings->LogFolder(), "PC01");
        TLog::SetCurrent(log.get());
        if (!ini.isEmpty()) {
            QDir().mkpath(settings->DataFolder());
            QFile f(settings->SettingsFile());
            f.open(QIODevice::WriteOnly);
            f.write(ini);
        }
        settings->Initialize();
        // Each fixture has a registry of its own.
        qputenv("XDG_CONFIG_HOME", (root + "/cfg").toUtf8());
        frm = std::make_unique<TfrmMain>(*settings, state);
    }
    ~TMainFixture()
    {
        frm.reset();
        TLog::SetCurrent(nullptr);
    }
    template <class T> T* Find(const QString& name) { return frm->findChild<T*>(name); }

    TAppState state;
    std::unique_ptr<TSettings> settings;
    std::unique_ptr<TLog> log;
    std::unique_ptr<TfrmMain> frm;
};
} // namespace

TEST(FrmMain, LayoutAfterCreate)
{
    TMainFixture f;
    ASSERT_TRUE(f.frm->FormCreate());
    EXPECT_EQ(f.frm->windowTitle(), QStringLiteral("くるてん３"));
    EXPECT_FALSE(f.frm->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(f.Find<QLabel>("stbPanel0")->minimumWidth(), 400);
    EXPECT_EQ(f.Find<QLabel>("stbPanel1")->minimumWidth(), 150);
    EXPECT_EQ(f.Find<QLabel>("stbPanel2")->minimumWidth(), 50);
    EXPECT_TRUE(f.Find<QLabel>("stbPanel2")->text().startsWith("Soft Phone Ver. 3.0.0.0 (ｽﾀﾝﾄﾞｱﾛﾝ) / OCX ver. "));
    EXPECT_EQ(f.settings->ReadText("HANDLE", "MAIN_FORM"), QString::number(qulonglong(f.frm->winId())));
    EXPECT_EQ(f.Find<QPushButton>("btnDial")->toolTip(), QStringLiteral("電話をかけます。"));
    auto* grid = f.Find<QTableWidget>("sgdLog");
    EXPECT_EQ(grid->rowCount(), 1);
    EXPECT_TRUE(grid->isColumnHidden(3));
    EXPECT_TRUE(grid->isColumnHidden(6)); // handling column only with the handling feature
    EXPECT_EQ(grid->columnWidth(0), 149);
    EXPECT_EQ(grid->horizontalHeaderItem(4)->text(), QStringLiteral("顧客名"));
}

TEST(FrmMain, DetailedLogMenu)
{
    TMainFixture f;
    ASSERT_TRUE(f.frm->FormCreate());
    auto* detail = f.Find<QAction>("mnuDetailLog");
    auto* open = f.Find<QAction>("mnuOpenLog");
    EXPECT_TRUE(detail->isChecked());
    EXPECT_TRUE(open->isEnabled());

    detail->trigger(); // off
    EXPECT_FALSE(f.log->Detailed());
    EXPECT_EQ(f.settings->ReadText("COMMON", "DEBUG"), "0");
    EXPECT_TRUE(QFileInfo::exists(f.log->CurrentFile()));

    detail->trigger(); // on: a fresh file
    EXPECT_TRUE(f.log->Detailed());
    EXPECT_EQ(f.settings->ReadText("COMMON", "DEBUG"), "1");
    EXPECT_FALSE(QFileInfo::exists(f.log->CurrentFile()));
    EXPECT_FALSE(open->isEnabled());

    TMsgRecorder boxes;
    open->setEnabled(true); // a menu opened before the file went away
    open->trigger();
    EXPECT_TRUE(boxes.Saw(QStringLiteral("ログファイルはありません。")));
    f.log->WriteAlways("x");
    emit f.Find<QMenu>("PopLog")->aboutToShow();
    EXPECT_TRUE(open->isEnabled());
}

TEST(FrmMain, RegistryRoundTripAndAbortedStartWritesNothing)
{
    {
        TMainFixture f;
        ASSERT_TRUE(f.frm->FormCreate());
        f.frm->ExportPaths.ExpPath = "/tmp/x.csv";
        f.frm->ExportPaths.ExportDelCrlfTai = false;
        f.frm->setGeometry(40, 50, 900, 400);
        f.frm->WriteRegistry();
        QSettings reg("hoshiba", "kuruten3");
        EXPECT_EQ(reg.value("Initialize/frmMainWidth").toString(), "900");
        EXPECT_EQ(reg.value("Initialize/ExportDelCrlfTai").toString(), "0");

        TfrmMain again(*f.settings, f.state);
        again.ReadRegistry();
        EXPECT_EQ(again.ExportPaths.ExpPath, "/tmp/x.csv");
        EXPECT_FALSE(again.ExportPaths.ExportDelCrlfTai);
        EXPECT_TRUE(again.ExportPaths.ExportDelCrlfTel);
        EXPECT_EQ(again.width(), 900);
    }
    {
        TMainFixture f;
        f.state.StartAborted = true;
        f.frm->FormDestroy();
        EXPECT_FALSE(QFileInfo::exists(qEnvironmentVariable("XDG_CONFIG_HOME") + "/hoshiba/kuruten3.conf"));
        EXPECT_FALSE(QFileInfo::exists(f.settings->SettingsFile()));
    }
}

TEST(FrmMain, ResidentModeAndCloseButtons)
{
    TMainFixture f("[BASIC]\nJOUCHU=1\n");
    ASSERT_TRUE(f.frm->FormCreate());
    auto* close = f.Find<QPushButton>("btnClose");
    EXPECT_EQ(close->text(), QStringLiteral("閉じる"));
    EXPECT_EQ(close->toolTip(), QStringLiteral("画面を閉じて待機します。"));
    f.frm->show();
    close->click();
    EXPECT_FALSE(f.frm->isVisible()); // resident: hidden, the program goes on
    f.frm->Open1Click();
    EXPECT_TRUE(f.frm->isVisible());
    f.frm->LeaveResident();
    EXPECT_EQ(close->text(), QStringLiteral("終了"));
    EXPECT_FALSE(f.frm->IconPresent());
}

TEST(FrmMain, HelpOpensTheShippedPageOrWarns)
{
    TMainFixture f;
    ASSERT_TRUE(f.frm->FormCreate());
    EXPECT_TRUE(QFileInfo::exists(TestEnv::SourceDir() + "/resources/help/index.html"));
    TMainFixture missing;
    missing.settings.reset(new TSettings(TestEnv::FreshDataRoot(), TEnvValues{"PC01", "", "", "/nonexistent/"}));
    missing.settings->Initialize();
    TfrmMain frm(*missing.settings, missing.state);
    ASSERT_TRUE(frm.FormCreate());
    TMsgRecorder boxes;
    frm.findChild<QPushButton*>("btnHelp")->click();
    EXPECT_TRUE(boxes.Saw(QStringLiteral("ヘルプファイルが見つかりません。")));
}
