// The settings dialog on a real main window: what it shows, its enable and
// exclusion rules, and its OK sequence (the keys written, the restart
// prompt, the two warnings, the startup entry, read-out, resident mode, the
// banner picture, the client copy).
#include "main_fixture.h"
#include "template_db_test_util.h"
#include "set_u.h"
#include "speech_u.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTemporaryDir>

namespace {
const QString kRestart = QStringLiteral("この変更には再起動が必要です。当ソフトを再起動してよろしいですか？");

struct TSetFixture : TMainFixture
{
    explicit TSetFixture(const QByteArray& ini = QByteArray()) : TMainFixture(ini)
    {
        TemplateDb::CopyTo(settings->DefaultDatabaseFile());
        Created = frm->FormCreate();
        dm->ExecSql("insert into INTERFACE (IF_NO, IF_NAME, IF_TYPE) values (1, 'Access顧客', 'EXE')");
        dm->ExecSql("insert into INTERFACE (IF_NO, IF_NAME, IF_TYPE) values (4, 'Web台帳', 'URL')");
        rec.Shown.clear();
        rec.Decide = nullptr; // the tests answer with rec.Answer
        rec.Answer = mbOK;
    }
    std::unique_ptr<TfrmSet> Open()
    {
        auto set = std::make_unique<TfrmSet>(*frm);
        set->FormShow();
        return set;
    }
    QString Key(const char* section, const char* key) const
    {
        return settings->ReadText(section, key, "<none>");
    }
    bool Created = false;
};

QStringList Enabled(const QList<QWidget*>& widgets)
{
    QStringList out;
    for (QWidget* w : widgets) out << (w->isEnabled() ? "on" : "off");
    return out;
}
} // namespace

TEST(FrmSet, ShowsTheStoredSettings)
{
    TSetFixture f("[LINK]\nENABLED=1\nAUTO_LAUNCH=1\nIF_NO=4\nCUST_DB_LINK=1\nDB_PATH=DSN=x\nQUOTE_STR=\"\n"
                  "[BASIC]\nUSE_ACCEPT=1\nLOGIN_AUTH=0\nBRING=0\nJOUCHU=2\nJOUCHU_OPEN=1\nAUTO_BACKUP=1\n"
                  "AUTO_BACKUP_PATH=/srv/bk\n[SPEAK]\nENABLED=1\nSPEED=220\nFOOT=さまです\nFOOT2=二つ目\n"
                  "[COMMON]\nKANA_TYPE=2\n");
    ASSERT_TRUE(f.Created);
    auto set = f.Open();
    EXPECT_EQ(set->windowTitle(), "環境設定");
    EXPECT_EQ(set->PageControl1->tabText(0), "基本設定");
    EXPECT_EQ(set->PageControl1->tabText(1), "外部連携");
    EXPECT_EQ(set->PageControl1->currentIndex(), 0);
    EXPECT_EQ(set->cbxCustProgName->currentText(), "Web台帳");
    EXPECT_TRUE(set->chkCustLink->isChecked());
    EXPECT_TRUE(set->chkAutoKido->isChecked());
    EXPECT_TRUE(set->cbxCustDbLink->isChecked());
    EXPECT_EQ(set->edtCustDbLinkPath->text(), "DSN=x");
    EXPECT_EQ(set->edtCustDbLinkTableName->text(), "CUSTOMER");
    EXPECT_EQ(set->edtCustDbLinkQuoteStr->text(), "\"");
    EXPECT_TRUE(set->cbxUseAccept->isChecked());
    EXPECT_FALSE(set->chkBring->isChecked());
    EXPECT_EQ(set->cbxJouchu->currentText(), "画面最小化する");
    EXPECT_TRUE(set->chkJouchuOpen->isChecked());
    EXPECT_TRUE(set->chkSoundCall->isChecked());
    EXPECT_EQ(set->TrackBarSpeed->value(), 220);
    EXPECT_EQ(set->cbxName1->currentText(), "(発信者名)");
    EXPECT_EQ(set->edtRead1->text(), "さまです");
    EXPECT_EQ(set->edtRead2->text(), "二つ目");
    EXPECT_TRUE(set->cbxName2->isHidden() && set->edtRead2->isHidden());
    EXPECT_EQ(set->cbxKanaType->currentText(), "半角ｶﾅ");
    EXPECT_TRUE(set->cbxBackup->isChecked());
    EXPECT_EQ(set->editBackup->text(), "/srv/bk");
    EXPECT_TRUE(set->btnImgStretch->isChecked()); // stretched unless BANNER/STRETCH says not
    EXPECT_TRUE(set->btnOk->isEnabled());
}

TEST(FrmSet, EnableRules)
{
    TSetFixture f;
    ASSERT_TRUE(f.Created);
    auto set = f.Open();
    const QList<QWidget*> watched = {set->cbxCustProgName, set->chkAutoKido,    set->cbxCustDbLink,
                                     set->edtCustDbLinkPath, set->edtCustDbLinkQuoteStr, set->TrackBarSpeed,
                                     set->edtRead1,        set->cbxName1,       set->chkJouchuOpen,
                                     set->chkJouchuKidou,  set->chkShowBalloon};
    const struct
    {
        bool CustLink, DbLink, Sound;
        int Jouchu;
        bool Open;
        QStringList Expected;
    } cases[] = {
        {false, false, false, 0, false, {"off", "off", "off", "off", "off", "off", "off", "off", "off", "off", "off"}},
        {true, false, false, 1, false, {"on", "on", "on", "off", "off", "off", "off", "off", "on", "on", "on"}},
        {true, true, true, 1, true, {"on", "on", "on", "on", "on", "on", "on", "off", "on", "on", "off"}},
        // The database boxes need both switches.
        {false, true, true, 2, false, {"off", "off", "off", "off", "off", "on", "on", "off", "on", "off", "off"}},
        {true, true, false, 2, true, {"on", "on", "on", "on", "on", "off", "off", "off", "on", "off", "off"}},
    };
    for (const auto& c : cases) {
        set->chkCustLink->setChecked(c.CustLink);
        set->cbxCustDbLink->setChecked(c.DbLink);
        set->chkSoundCall->setChecked(c.Sound);
        set->cbxJouchu->setCurrentIndex(c.Jouchu);
        set->chkJouchuOpen->setChecked(c.Open);
        EXPECT_EQ(Enabled(watched), c.Expected) << c.CustLink << c.DbLink << c.Sound << c.Jouchu << c.Open;
    }
    // A second ending set to "(なし)" is disabled and emptied.
    set->chkSoundCall->setChecked(true);
    set->edtRead2->setText("です");
    set->cbxName2->setCurrentText("(発信者名)");
    EXPECT_TRUE(set->edtRead2->isEnabled());
    set->cbxName2->setCurrentText("(なし)");
    EXPECT_FALSE(set->edtRead2->isEnabled());
    EXPECT_TRUE(set->edtRead2->text().isEmpty());
}

TEST(FrmSet, OpeningTheOwnCustomerViewAndTheExternalDatabaseExcludeEachOther)
{
    TSetFixture f;
    ASSERT_TRUE(f.Created);
    auto set = f.Open();
    set->chkCustLink->setChecked(true);
    set->cbxCustDbLink->setChecked(true);
    set->chkAutoCustInfo->setChecked(true);
    EXPECT_FALSE(set->cbxCustDbLink->isChecked());
    EXPECT_FALSE(set->edtCustDbLinkPath->isEnabled());
    EXPECT_TRUE(f.rec.Saw("外部顧客データベースの参照は無効にしました。"));
    f.rec.Shown.clear();
    set->cbxCustDbLink->setChecked(true);
    EXPECT_FALSE(set->chkAutoCustInfo->isChecked());
    EXPECT_TRUE(f.rec.Shown.empty());
}

TEST(FrmSet, OkWritesEveryKeyInOrderAndAsksForARestartWhereNeeded)
{
    QTemporaryDir dir;
    const QString conn = "Driver=SQLite3;Database=" + dir.filePath("ext.db");
    const struct
    {
        const char* Why;
        std::function<void(TfrmSet&)> Change;
        int Answer;           // to the restart prompt
        bool Prompt;
        QList<std::array<QString, 3>> Keys; // section, key, value after
    } cases[] = {
        {"nothing that needs a restart",
         [](TfrmSet& s) {
             s.chkBring->setChecked(false);
             s.cbxKanaType->setCurrentIndex(1);
             s.cbxCustProgName->setCurrentIndex(1);
         },
         mbOK, false,
         {{"LINK", "ENABLED", "0"}, {"BASIC", "USE_ACCEPT", "0"}, {"LINK", "AUTO_LAUNCH", "0"},
          {"LINK", "IF_NO", "4"}, {"LINK", "CUST_DB_LINK", "0"}, {"LINK", "DB_PATH", "<none>"},
          {"BASIC", "LOGIN_AUTH", "0"}, {"BASIC", "STARTUP", "0"}, {"SPEAK", "ENABLED", "0"},
          {"SPEAK", "SPEED", "<none>"}, {"BASIC", "AUTO_CUST_INFO", "0"}, {"BASIC", "BRING", "0"},
          {"BASIC", "JOUCHU", "0"}, {"BASIC", "JOUCHU_OPEN", "0"}, {"BASIC", "JOUCHU_KIDOU", "0"},
          {"BASIC", "SHOW_BALLOON", "1"}, {"BASIC", "AUTO_BACKUP", "0"}, {"BASIC", "AUTO_BACKUP_PATH", ""},
          {"COMMON", "KANA_TYPE", "1"}, {"BANNER", "STRETCH", "1"}}},
        {"handling records on, restart accepted", [](TfrmSet& s) { s.cbxUseAccept->setChecked(true); }, mbOK, true,
         {{"BASIC", "USE_ACCEPT", "1"}}},
        {"handling records on, restart cancelled", [](TfrmSet& s) { s.cbxUseAccept->setChecked(true); }, mbCancel,
         true, {{"BASIC", "USE_ACCEPT", "<none>"}, {"LINK", "ENABLED", "<none>"}, {"BASIC", "BRING", "<none>"}}},
        {"external database on",
         [conn](TfrmSet& s) {
             s.chkCustLink->setChecked(true);
             s.cbxCustDbLink->setChecked(true);
             s.edtCustDbLinkPath->setText(conn);
             s.edtCustDbLinkTableName->setText("顧客");
             s.edtCustDbLinkQuoteStr->setText("\"");
         },
         mbOK, true,
         {{"LINK", "ENABLED", "1"}, {"LINK", "CUST_DB_LINK", "1"}, {"LINK", "DB_PATH", conn},
          {"LINK", "TABLE_NAME", "顧客"}, {"LINK", "CUST_TEL_FNAME", "CUST_TEL_NON"}, {"LINK", "QUOTE_STR", "\""}}},
        {"the database box without the link", [](TfrmSet& s) { s.cbxCustDbLink->setChecked(true); }, mbOK, true,
         {{"LINK", "CUST_DB_LINK", "0"}, {"LINK", "DB_PATH", "<none>"}}},
        {"automatic launch without the link", [](TfrmSet& s) { s.chkAutoKido->setChecked(true); }, mbOK, false,
         {{"LINK", "AUTO_LAUNCH", "0"}}},
        {"automatic launch with the link",
         [](TfrmSet& s) {
             s.chkCustLink->setChecked(true);
             s.chkAutoKido->setChecked(true);
         },
         mbOK, false, {{"LINK", "ENABLED", "1"}, {"LINK", "AUTO_LAUNCH", "1"}}},
        {"no program chosen", [](TfrmSet& s) { s.cbxCustProgName->setCurrentIndex(-1); }, mbOK, false,
         {{"LINK", "IF_NO", "-1"}}},
        {"read-out on", [](TfrmSet& s) {
             s.chkSoundCall->setChecked(true);
             s.TrackBarSpeed->setValue(200);
             s.edtRead1->setText("さまからです");
         },
         mbOK, false, {{"SPEAK", "ENABLED", "1"}, {"SPEAK", "SPEED", "200"}, {"SPEAK", "FOOT", "さまからです"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Why);
        TSetFixture f;
        ASSERT_TRUE(f.Created);
        {
            // The external table exists for the test lookup of the link.
            QSqlDatabase db = QSqlDatabase::addDatabase("QODBC", "setup");
            db.setDatabaseName(conn);
            ASSERT_TRUE(db.open());
            QSqlQuery(db).exec("create table 顧客 (CUST_TEL_NON varchar(20), CUST_NAME varchar(60), CUST_KANA varchar(60))");
        }
        QSqlDatabase::removeDatabase("setup");
        auto set = f.Open();
        c.Change(*set);
        f.rec.Shown.clear();
        f.rec.Answer = c.Answer;
        set->btnOkClick();
        EXPECT_EQ(f.rec.Saw(kRestart), c.Prompt);
        const bool completed = c.Answer == mbOK;
        EXPECT_EQ(set->result(), completed ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(set->RestartRequested(), c.Prompt && completed);
        EXPECT_TRUE(set->btnOk->isEnabled());
        for (const auto& k : c.Keys)
            EXPECT_EQ(f.Key(k[0].toUtf8(), k[1].toUtf8()), k[2]) << k[0].toStdString() << "/" << k[1].toStdString();
        // No error box: the external database opened and answered.
        for (const auto& m : f.rec.Shown) EXPECT_NE(m.Kind, TMsgKind::Error) << m.Text.toStdString();
    }
}

TEST(FrmSet, TakesEffectAtOnce)
{
    TSetFixture f;
    ASSERT_TRUE(f.Created);
    auto* close = f.Find<QPushButton>("btnClose");
    const struct
    {
        int Jouchu;
        bool Sound;
        bool Accept;
        const char* CloseCaption;
    } cases[] = {{1, true, true, "閉じる"}, {0, false, false, "終了"}, {2, true, true, "終了"}};
    for (const auto& c : cases) {
        auto set = f.Open();
        set->cbxJouchu->setCurrentIndex(c.Jouchu);
        set->chkSoundCall->setChecked(c.Sound);
        set->cbxUseAccept->setChecked(c.Accept);
        set->btnOkClick();
        EXPECT_EQ(close->text(), c.CloseCaption);
        EXPECT_EQ(f.settings->GJouchuIdx, c.Jouchu);
        EXPECT_EQ(f.settings->UseAccept, c.Accept);
        EXPECT_EQ(f.Find<QTabWidget>("PageMain")->isTabVisible(1), c.Accept);
        EXPECT_EQ(f.settings->SpeakEnabled, c.Sound);
        if (c.Sound) {
            // The engine was created on demand and reads a call aloud.
            ASSERT_NE(f.frm->Speech(), nullptr);
            EXPECT_TRUE(f.frm->Speech()->EngineExists());
            f.frm->TelReceiveProc("0312345678", "", 1, "");
            EXPECT_EQ(f.frm->Speech()->LastText(), "はっしんしゃふめい、です");
        }
    }
}

TEST(FrmSet, TheTwoWarningsStopBeforeAnythingIsWritten)
{
    TSetFixture f;
    ASSERT_TRUE(f.Created);
    const struct
    {
        const char* Text;
        std::function<void(TfrmSet&)> Change;
    } cases[] = {
        {"「着信時に当ソフトの顧客情報を開く」と「外部連携」の両方を選択できません。",
         [](TfrmSet& s) {
             s.chkCustLink->setChecked(true);
             s.chkAutoCustInfo->setChecked(true);
             const QSignalBlocker block(s.cbxCustDbLink); // both ticked, as an old file may have them
             s.cbxCustDbLink->setChecked(true);
         }},
        {"バックアップ先が無効です。バックアップ先を指定してください。",
         [](TfrmSet& s) {
             s.cbxBackup->setChecked(true);
             s.editBackup->setText("/no/such/folder");
         }},
    };
    for (const auto& c : cases) {
        auto set = f.Open();
        c.Change(*set);
        f.rec.Shown.clear();
        set->btnOkClick();
        ASSERT_EQ(f.rec.Shown.size(), 1u);
        EXPECT_EQ(f.rec.Shown[0].Text, QString::fromUtf8(c.Text));
        EXPECT_EQ(f.rec.Shown[0].Kind, TMsgKind::Warning);
        EXPECT_EQ(set->result(), 0);
        EXPECT_TRUE(set->btnOk->isEnabled());
        EXPECT_EQ(f.Key("LINK", "ENABLED"), "<none>");
    }
}

TEST(FrmSet, TheStartupEntryIsCreatedAndDeletedWithItsLogLines)
{
    TSetFixture f;
    ASSERT_TRUE(f.Created);
    const QString path = f.settings->StartupShortcutPath();
    const struct
    {
        bool On;
        QString Line;
        bool Exists;
    } cases[] = {
        {true, "ショートカットを作成しました ShortCutFileName=" + path, true},
        {true, "ショートカットは作成済み ShortCutFileName=" + path, true},
        {false, "ショートカットを削除しました", false},
        {false, "ショートカットはなし", false},
    };
    for (const auto& c : cases) {
        auto set = f.Open();
        set->cbxStartup->setChecked(c.On);
        set->btnOkClick();
        EXPECT_TRUE(f.LogText().contains(c.Line)) << c.Line.toStdString();
        EXPECT_EQ(QFileInfo::exists(path), c.Exists);
        EXPECT_EQ(f.Key("BASIC", "STARTUP"), c.On ? "1" : "0");
    }
    // A folder that cannot be made: logged, everything else stored.
    QFile blocker(TSettings::StartupFolder());
    QDir(TSettings::StartupFolder()).removeRecursively();
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto set = f.Open();
    set->cbxStartup->setChecked(true);
    set->chkBring->setChecked(false);
    set->btnOkClick();
    EXPECT_TRUE(f.LogText().contains("ショートカットの作成に失敗しました=" + path));
    EXPECT_EQ(f.Key("BASIC", "BRING"), "0");
    QFile::remove(TSettings::StartupFolder());
}

TEST(FrmSet, TheBannerPictureIsLoadedClearedAndStretched)
{
    QTemporaryDir dir;
    QImage jpg(120, 30, QImage::Format_RGB32);
    jpg.fill(Qt::red);
    ASSERT_TRUE(jpg.save(dir.filePath("logo.jpg"), "JPG"));
    TSetFixture f;
    ASSERT_TRUE(f.Created);
    const QString banner = f.settings->BannerFile();
    const struct
    {
        const char* Why;
        std::function<void(TfrmSet&)> Do;
        bool FileAfter;
        const char* Stretch;
    } cases[] = {
        {"load a JPEG", [&](TfrmSet& s) {
             TFileDialogRecorder files({dir.filePath("logo.jpg")});
             s.btnImgLoad->click();
             EXPECT_EQ(files.Asked.at(0).Filter, "JPEG イメージファイル (*.jpg);;ビットマップ (*.bmp)");
         },
         true, "1"},
        {"not stretched", [](TfrmSet& s) { s.btnImgStretch->click(); }, true, "0"},
        {"a cancelled file dialog still counts", [](TfrmSet& s) {
             TFileDialogRecorder files;
             s.btnImgLoad->click();
         },
         true, "0"},
        {"clear", [](TfrmSet& s) { s.btnImgClear->click(); }, false, "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Why);
        auto set = f.Open();
        EXPECT_FALSE(set->BannerChanged());
        c.Do(*set);
        EXPECT_TRUE(set->BannerChanged());
        f.rec.Shown.clear();
        set->btnOkClick();
        EXPECT_TRUE(f.rec.Saw(kRestart));
        EXPECT_EQ(QFileInfo::exists(banner), c.FileAfter);
        EXPECT_EQ(f.Key("BANNER", "STRETCH"), c.Stretch);
        if (c.FileAfter) {
            QFile file(banner);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.read(2), "BM"); // kept as a bitmap
            EXPECT_EQ(QImage(banner).size(), QSize(120, 30));
        }
    }
}

TEST(FrmSet, AClientCopyKeepsItsBackupSettingsUntouched)
{
    TSetFixture f("[BASIC]\nAUTO_BACKUP=0\nAUTO_BACKUP_PATH=/srv/bk\n");
    ASSERT_TRUE(f.Created);
    for (const bool client : {false, true}) {
        f.settings->LanMode = f.settings->ClientMode = client;
        auto set = f.Open();
        for (QWidget* w : QList<QWidget*>{set->cbxBackup, set->editBackup, set->btnBackupRef,
                                          set->findChild<QLabel*>("lblBackup"), set->findChild<QLabel*>("lblBackupNote")})
            EXPECT_EQ(w->isEnabled(), !client) << w->objectName().toStdString();
        set->btnOkClick();
        EXPECT_EQ(f.Key("BASIC", "AUTO_BACKUP_PATH"), "/srv/bk");
    }
}

TEST(FrmSet, ShowSettingsTellsTheMainWindowToRestart)
{
    TSetFixture f;
    ASSERT_TRUE(f.Created);
    const struct
    {
        bool Toggle; // handling records switched
        int Answer;  // to the restart prompt
        bool Restart;
    } cases[] = {{false, mbOK, false}, {true, mbOK, true}, {true, mbCancel, false}};
    for (const auto& c : cases) {
        f.rec.Answer = c.Answer;
        Msg::SetDialogResponder([&](QDialog& d) {
            auto& set = static_cast<TfrmSet&>(d);
            set.FormShow();
            if (c.Toggle) set.cbxUseAccept->setChecked(!f.settings->UseAccept);
            set.btnOkClick();
            return set.result();
        });
        EXPECT_EQ(ShowSettings(*f.frm), c.Restart);
        Msg::SetDialogResponder({});
    }
}
