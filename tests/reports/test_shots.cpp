// Pictures of the report windows for a person to look at: only when
// KURUTEN_SHOT_DIR names a folder (scripts/screenshot-reports.sh runs it on a
// private X display).
#include "report_fixture.h"

#include "frm_export_u.h"
#include "frm_total_u.h"
#include "print_preview_u.h"
#include "screen_shot_test_util.h"

#include <QComboBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

TEST(Screens, ReportWindows)
{
    const QString dir = qEnvironmentVariable("KURUTEN_SHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "KURUTEN_SHOT_DIR not set";
    TReportFixture f;
    ASSERT_TRUE(f.Created);
    f.settings->UseAccept = true;
    for (int i = 0; i < 35; ++i) {
        const QString no = QStringLiteral("0312%1").arg(i, 6, 10, QLatin1Char('0'));
        f.Tel(no, QStringLiteral("株式会社サンプル商事%1").arg(i));
        f.Calls(no, 40 - i, "2024/01/15 09:00:00", "着信", "見積の件で折り返し");
    }
    f.frm->SetHistoryDate(QDate(2024, 1, 15));
    {
        TfrmTotal t(*f.frm);
        t.SetPeriod(QDate(2024, 1, 15), QDate(2024, 1, 15));
        ShootWindow(t, dir + "/frmTotal.png");
        t.findChild<QComboBox*>("cbxValue")->setCurrentIndex(0);
        ShootWindow(t, dir + "/frmTotal-list.png");
        t.findChild<QComboBox*>("cbxValue")->setCurrentIndex(1);
        // The preview of the count report, then the PDF of both reports.
        Msg::SetDialogResponder([&](QDialog& d) {
            if (auto* p = qobject_cast<TfrmPreview*>(&d)) {
                p->resize(1000, 760);
                ShootWindow(*p, dir + "/frmPreview.png");
                p->findChild<QPushButton*>("btnZoomWidth")->click();
                ShootWindow(*p, dir + "/frmPreview-width.png");
            }
            return int(QDialog::Rejected);
        });
        t.btnPrintClick();
        Msg::SetDialogResponder({});
        TPrintRecorder pdf(dir);
        t.btnPrintClick();
        t.findChild<QComboBox*>("cbxValue")->setCurrentIndex(0);
        t.btnPrintClick();
    }
    TfrmExport e(*f.frm);
    e.SetPeriod(QDate(2024, 1, 15));
    ShootWindow(e, dir + "/frmExport.png");
}
