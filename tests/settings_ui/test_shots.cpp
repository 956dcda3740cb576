// Pictures of the settings dialog (both pages) and the registration window
// for a person to look at: only when KURUTEN_SHOT_DIR names a folder
// (scripts/screenshot-settings.sh runs it on a private X display).
#include "frm_interface_u.h"
#include "main_fixture.h"
#include "screen_shot_test_util.h"
#include "set_u.h"
#include "template_db_test_util.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QPushButton>
#include <QTabWidget>

TEST(Screens, SettingsWindows)
{
    const QString dir = qEnvironmentVariable("KURUTEN_SHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "KURUTEN_SHOT_DIR not set";
    TMainFixture f("[LINK]\nENABLED=1\nIF_NO=2\nCUST_DB_LINK=0\n[BASIC]\nJOUCHU=1\nAUTO_BACKUP_PATH=/srv/backup\n[SPEAK]\nENABLED=1\n"
                   "[COMMON]\nKANA_TYPE=1\n");
    TemplateDb::CopyTo(f.settings->DefaultDatabaseFile());
    f.rec.Decide = nullptr;
    ASSERT_TRUE(f.frm->FormCreate());
    f.dm->ExecSql("insert into INTERFACE (IF_NO, IF_NAME, IF_TYPE, EXEC_PATH, COMMAND, CAPTION, END_REQ, EVERY_CLOSE, "
                  "TEXT_PORT, TEXT_DT) values (1, '顧客台帳（デスクトップ）', 'EXE', '/opt/daicho/daicho', '--tel=', "
                  "'顧客台帳', 5, '0', '0', '0')");
    f.dm->ExecSql("insert into INTERFACE (IF_NO, IF_NAME, IF_TYPE, EXEC_PATH, COMMAND, CAPTION, TEXT_PATH, START_REQ, "
                  "END_REQ, EVERY_CLOSE, TEXT_PORT, TEXT_DT) values (2, '受付メモ（テキスト連携）', 'TXT', "
                  "'/opt/uketsuke/uketsuke', '', '受付メモ', '/srv/link/tel.txt', 7, 8, '0', '1', '1')");
    QImage banner(225, 35, QImage::Format_RGB32);
    banner.fill(QColor(40, 90, 160));
    banner.save(f.settings->BannerFile(), "BMP");
    {
        TfrmSet set(*f.frm);
        ShootWindow(set, dir + "/frmSet-basic.png");
        set.cbxCustDbLink->setChecked(true);
        set.PageControl1->setCurrentIndex(1);
        ShootWindow(set, dir + "/frmSet-link.png");
    }
    {
        TfrmInterface frm(*f.dm);
        ShootWindow(frm, dir + "/frmInterface-browse.png");
        frm.btnNext->click();
        frm.btnEditClick();
        ShootWindow(frm, dir + "/frmInterface-edit.png");
        frm.btnCancelClick();
    }
}
