// The statistics window: statements, warnings, options, the top-N cut, and
// both reports printed to PDF and read back.
#include "report_fixture.h"

#include "frm_search_u.h"
#include "frm_total_u.h"
#include "print_preview_u.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QImage>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <gtest/gtest.h>

namespace {
template <class T> T* Child(QWidget* w, const char* name)
{
    T* c = w->findChild<T*>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

struct TOptions
{
    int Value, Item, Kubun;
    bool TelAll;
    QString TelNo;
    bool CustAll;
    QString CustTel;
};

void Apply(TfrmTotal& t, const TOptions& o)
{
    Child<QComboBox>(&t, "cbxValue")->setCurrentIndex(o.Value);
    Child<QComboBox>(&t, "cbxItem")->setCurrentIndex(o.Item);
    Child<QRadioButton>(&t, QStringLiteral("rbKubun%1").arg(o.Kubun).toLatin1())->setChecked(true);
    Child<QLineEdit>(&t, "edtTelNo")->setText(o.TelNo);
    Child<QRadioButton>(&t, o.TelAll ? "rbTelAll" : "rbTelOne")->setChecked(true);
    Child<QLineEdit>(&t, "edtCustTel")->setText(o.CustTel);
    Child<QRadioButton>(&t, o.CustAll ? "rbCustAll" : "rbCustOne")->setChecked(true);
    t.SetPeriod(QDate(2024, 1, 31), QDate(2024, 2, 29));
}
} // namespace

TEST(Total, StatementForEachOptionSet)
{
    TReportFixture f;
    ASSERT_TRUE(f.Created);
    f.Tel("0312345678", "山田");
    f.Cust(1, "0312345678", "山田商店");
    const QString head = "from log g, tels t\r\nwhere g.TEL_NO=t.TEL_NO\r\n"
                         "and g.DT_FROM between '01/31/24' and '02/29/24 23:59:59'\r\n";
    const struct
    {
        TOptions Options;
        QString Sql;
    } cases[] = {
        {{1, 0, 0, true, "", true, ""},
         "select t.TEL_NO, max(t.CALLER) CALLER, \r\ncount(g.TEL_NO) TOTAL\r\n" + head +
             "and g.TEL_TYPE='着信'\r\ngroup by t.TEL_NO\r\norder by count(g.LOG_NO) desc"},
        {{1, 1, 1, true, "", true, ""},
         "select t.CUST_TEL_NON, max(t.CALLER) CALLER, \r\ncount(g.TEL_NO) TOTAL\r\n" + head +
             "and g.TEL_TYPE='発信'\r\ngroup by t.CUST_TEL_NON\r\norder by count(g.LOG_NO) desc"},
        {{0, 0, 2, true, "", true, ""}, "select g.*, t.CALLER\r\n" + head + "order by g.LOG_NO"},
        {{0, 0, 0, false, "0312345678", true, ""},
         "select g.*, t.CALLER\r\n" + head + "and g.TEL_NO='0312345678'\r\nand g.TEL_TYPE='着信'\r\norder by g.LOG_NO"},
    };
    for (const auto& c : cases) {
        TfrmTotal t(*f.frm);
        Apply(t, c.Options);
        EXPECT_EQ(t.GetSqlStr(), c.Sql);
    }
    EXPECT_TRUE(f.rec.Shown.empty());
}

TEST(Total, WarningsStopTheReport)
{
    TReportFixture f;
    ASSERT_TRUE(f.Created);
    f.Tel("0312345678", "山田");
    const struct
    {
        TOptions Options;
        int TelNum, CustNum;
        QString Warning;
        const char* Focus;
    } cases[] = {
        {{0, 0, 0, false, "", true, ""}, 10, 10, "発着信電話番号を指定してください。", "edtTelNo"},
        {{0, 0, 0, false, "0399999999", true, ""}, 10, 10, "登録されている電話番号を指定してください。", "edtTelNo"},
        {{1, 0, 0, true, "", true, ""}, 0, 10, "上位表示件数を１以上で設定してください。", "edtTelNum"},
        {{1, 1, 0, true, "", true, ""}, 10, 0, "上位表示件数を１以上で設定してください。", "edtCustNum"},
    };
    for (const auto& c : cases) {
        TfrmTotal t(*f.frm);
        t.show();
        Apply(t, c.Options);
        Child<QSpinBox>(&t, "edtTelNum")->setValue(c.TelNum);
        Child<QSpinBox>(&t, "edtCustNum")->setValue(c.CustNum);
        TMsgRecorder boxes;
        EXPECT_EQ(t.GetSqlStr(), QString());
        ASSERT_EQ(boxes.Shown.size(), 1u);
        EXPECT_EQ(boxes.Shown[0].Text, c.Warning);
        EXPECT_EQ(boxes.Shown[0].Kind, TMsgKind::Warning);
        EXPECT_EQ(t.focusWidget(), t.findChild<QWidget*>(c.Focus)) << c.Focus;
    }
    // Customer cases need the list of own customers' numbers.
    {
        TfrmTotal t(*f.frm);
        Apply(t, {1, 1, 0, true, "", true, ""});
        // In count mode the single choice is off; enable it as list mode would.
        Child<QRadioButton>(&t, "rbCustOne")->setEnabled(true);
        Child<QRadioButton>(&t, "rbCustOne")->setChecked(true);
        TMsgRecorder boxes;
        EXPECT_EQ(t.GetSqlStr(), QString());
        EXPECT_TRUE(boxes.Saw("顧客を指定してください。"));
        Child<QLineEdit>(&t, "edtCustTel")->setText("0312345678");
        EXPECT_EQ(t.GetSqlStr(), QString());
        EXPECT_TRUE(boxes.Saw("登録されている顧客を指定してください。"));
    }
}

TEST(Total, OptionsDefaultsEnablingAndRoundTrip)
{
    TReportFixture f;
    ASSERT_TRUE(f.Created);
    {
        TfrmTotal t(*f.frm);
        EXPECT_EQ(t.windowTitle(), "集計印刷");
        EXPECT_EQ(Child<QComboBox>(&t, "cbxValue")->currentText(), "通話回数");
        EXPECT_EQ(Child<QComboBox>(&t, "cbxItem")->currentText(), "発着信電話番号別");
        EXPECT_TRUE(Child<QRadioButton>(&t, "rbKubun0")->isChecked());
        EXPECT_TRUE(Child<QRadioButton>(&t, "rbTelAll")->isChecked());
        EXPECT_FALSE(Child<QCheckBox>(&t, "chkTelTop")->isChecked());
        EXPECT_EQ(Child<QSpinBox>(&t, "edtTelNum")->value(), 10);
        EXPECT_FALSE(Child<QLineEdit>(&t, "edtTelNo")->isEnabled());
        EXPECT_FALSE(Child<QWidget>(&t, "grpCust")->isEnabled());
        // List mode: by number only, no top-N, single numbers allowed.
        Child<QComboBox>(&t, "cbxValue")->setCurrentIndex(0);
        EXPECT_FALSE(Child<QComboBox>(&t, "cbxItem")->isEnabled());
        EXPECT_FALSE(Child<QCheckBox>(&t, "chkTelTop")->isEnabled());
        EXPECT_TRUE(Child<QLineEdit>(&t, "edtTelNo")->isEnabled());
        Child<QComboBox>(&t, "cbxValue")->setCurrentIndex(1);
        Child<QComboBox>(&t, "cbxItem")->setCurrentIndex(1);
        EXPECT_TRUE(Child<QWidget>(&t, "grpCust")->isEnabled());
        EXPECT_FALSE(Child<QWidget>(&t, "grpTel")->isEnabled());
        Child<QCheckBox>(&t, "chkCustTop")->setChecked(true);
        Child<QSpinBox>(&t, "edtCustNum")->setValue(-5);
        Child<QRadioButton>(&t, "rbKubun2")->setChecked(true);
        t.reject();
    }
    EXPECT_EQ(f.settings->ReadText("TOTAL", "ITEM"), "1");
    EXPECT_EQ(f.settings->ReadText("TOTAL", "CUST_NUM"), "-5");
    TfrmTotal again(*f.frm);
    EXPECT_EQ(Child<QComboBox>(&again, "cbxItem")->currentIndex(), 1);
    EXPECT_TRUE(Child<QCheckBox>(&again, "chkCustTop")->isChecked());
    EXPECT_EQ(Child<QSpinBox>(&again, "edtCustNum")->value(), -5);
    EXPECT_TRUE(Child<QRadioButton>(&again, "rbKubun2")->isChecked());
}

TEST(Total, ReferenceButtonsAndNames)
{
    TReportFixture f;
    ASSERT_TRUE(f.Created);
    f.Tel("0312345678", "山田");
    f.Cust(1, "0355554444", "鈴木商事");
    TfrmTotal t(*f.frm);
    Child<QComboBox>(&t, "cbxValue")->setCurrentIndex(0);
    QList<int> modes;
    t.SearchPick = [&](QWidget*, int mode) {
        modes << mode;
        return QStringLiteral("0312345678");
    };
    Child<QPushButton>(&t, "btnTelRef")->click();
    EXPECT_EQ(Child<QLineEdit>(&t, "edtTelNo")->text(), "0312345678");
    EXPECT_EQ(Child<QLabel>(&t, "lblTelName")->text(), "山田");
    EXPECT_TRUE(Child<QRadioButton>(&t, "rbTelOne")->isChecked());
    // Customers are picked in mode 2 (3 with the external customer database).
    Child<QWidget>(&t, "grpCust")->setEnabled(true);
    Child<QPushButton>(&t, "btnCustRef")->setEnabled(true);
    Child<QPushButton>(&t, "btnCustRef")->click();
    EXPECT_EQ(modes, (QList<int>{0, 2}));
    auto* cust = Child<QLineEdit>(&t, "edtCustTel");
    cust->setText("0355554444");
    emit cust->textEdited(cust->text());
    EXPECT_EQ(Child<QLabel>(&t, "lblCustName")->text(), "鈴木商事");
}

// The reference buttons open the real search dialog in the phone-book or
// customer mode and take the chosen row's number; cancel leaves the box alone.
TEST(Total, ReferenceButtonsPickThroughTheSearchDialog)
{
    TReportFixture f;
    ASSERT_TRUE(f.Created);
    f.Tel("0312345678", "山田");
    f.Cust(1, "0355554444", "鈴木商事");
    TfrmTotal t(*f.frm);
    Child<QComboBox>(&t, "cbxValue")->setCurrentIndex(0);
    QList<TSearchMode> modes;
    bool accept = true;
    Msg::SetDialogResponder([&](QDialog& d) {
        auto* s = qobject_cast<TfrmSearch*>(&d);
        if (!s) return int(QDialog::Rejected);
        modes << s->Mode();
        s->cbxItem->setCurrentIndex(0);
        s->rbLeft->setChecked(true);
        s->edtValue->setText(QStringLiteral("03"));
        s->btnSearch->click();
        s->sgdSearch->setCurrentCell(0, 0);
        return int(accept ? QDialog::Accepted : QDialog::Rejected);
    });
    Child<QPushButton>(&t, "btnTelRef")->click();
    EXPECT_EQ(Child<QLineEdit>(&t, "edtTelNo")->text(), "0312345678");
    EXPECT_EQ(Child<QLabel>(&t, "lblTelName")->text(), "山田");
    Child<QWidget>(&t, "grpCust")->setEnabled(true);
    Child<QPushButton>(&t, "btnCustRef")->setEnabled(true);
    Child<QPushButton>(&t, "btnCustRef")->click();
    EXPECT_EQ(Child<QLabel>(&t, "lblCustName")->text(), "鈴木商事");
    accept = false;
    Child<QLineEdit>(&t, "edtTelNo")->setText("0399999999");
    Child<QPushButton>(&t, "btnTelRef")->click();
    Msg::SetDialogResponder({});
    EXPECT_EQ(Child<QLineEdit>(&t, "edtTelNo")->text(), "0399999999");
    EXPECT_EQ(modes, (QList<TSearchMode>{TSearchMode::Tels, TSearchMode::Cust, TSearchMode::Tels}));
}

TEST(Total, TopNCutAndOthersRow)
{
    TReportFixture f;
    ASSERT_TRUE(f.Created);
    const int counts[] = {9, 7, 5, 2, 1};
    for (int i = 0; i < 5; ++i) {
        const QString no = QStringLiteral("03000000%1").arg(i);
        f.Tel(no, QStringLiteral("発信者%1").arg(i));
        f.Calls(no, counts[i]);
    }
    f.Calls("0399999999", 4); // not in the phone book: never counted
    TfrmTotal t(*f.frm);
    t.SetPeriod(QDate(2024, 1, 15), QDate(2024, 1, 15));
    const QString sql = t.GetSqlStr();
    const struct
    {
        int N;
        QStringList Rows;
    } cases[] = {
        {3, {"030000000/発信者0/9", "030000001/発信者1/7", "030000002/発信者2/5", "-/その他/3"}},
        {5, {"030000000/発信者0/9", "030000001/発信者1/7", "030000002/発信者2/5", "030000003/発信者3/2",
             "030000004/発信者4/1"}},
        {-1, {"030000000/発信者0/9", "030000001/発信者1/7", "030000002/発信者2/5", "030000003/発信者3/2",
              "030000004/発信者4/1"}},
    };
    for (const auto& c : cases) {
        QStringList got;
        for (const TPrint& p : t.TotalTops(c.N, sql)) got << p.TEL_NO + "/" + p.CALLER + "/" + QString::number(p.TOTAL);
        EXPECT_EQ(got, c.Rows) << c.N;
        EXPECT_EQ(f.Scalar("select count(*) from PRINT1"), QString::number(c.Rows.size()));
    }
    EXPECT_EQ(f.Scalar("select TOTAL from PRINT1 where CALLER = 'その他'"), "");
    t.TotalTops(3, sql);
    EXPECT_EQ(f.Scalar("select TOTAL from PRINT1 where TEL_NO = '-'"), "3");

    // By customer: numbers without a customer form one group, key "　".
    Child<QComboBox>(&t, "cbxItem")->setCurrentIndex(1);
    QStringList keys;
    for (const TPrint& p : t.TotalTops(-1, t.GetSqlStr())) keys << p.TEL_NO;
    EXPECT_EQ(keys, QStringList{"　"});
}

TEST(Total, CountReportPrintsPagesWithJapaneseText)
{
    TReportFixture f;
    ASSERT_TRUE(f.Created);
    // 31 numbers: 30 rows fill page 1, the 31st and the sum go to page 2.
    for (int i = 0; i < 31; ++i) {
        const QString no = QStringLiteral("0312%1").arg(i, 6, 10, QLatin1Char('0'));
        f.Tel(no, QStringLiteral("株式会社テスト%1").arg(i));
        f.Calls(no, 40 - i);
    }
    f.Calls("0312000000", 1, "2024/01/15 23:59:59"); // the end day counts whole
    f.Calls("0312000000", 1, "2024/01/16 00:00:00");
    TClockOverride clock(QDateTime(QDate(2024, 2, 1), QTime(9, 30, 0)));
    const QString dir = TestEnv::FreshDataRoot();
    TPrintRecorder printed(dir);
    TfrmTotal t(*f.frm);
    t.SetPeriod(QDate(2024, 1, 15), QDate(2024, 1, 15));
    Child<QPushButton>(&t, "btnPrint")->click();
    ASSERT_EQ(printed.Files.size(), 1);
    EXPECT_EQ(printed.Actions.at(0), Printing::TAction::Preview);
    const QString text = TReportFixture::PdfText(printed.Files.at(0));
    const QStringList pages = text.split(QChar('\f'), Qt::SkipEmptyParts);
    ASSERT_EQ(pages.size(), 2) << text.toStdString();
    for (int p = 0; p < 2; ++p) {
        EXPECT_TRUE(pages[p].contains("発着信電話番号別"));
        EXPECT_TRUE(pages[p].contains("2024/02/01 09:30:00"));
        EXPECT_TRUE(pages[p].contains(QRegularExpression(QStringLiteral("\\b%1\\s*ページ").arg(p + 1))));
        EXPECT_TRUE(pages[p].contains("電話番号"));
        EXPECT_TRUE(pages[p].contains("通話回数[回]"));
    }
    EXPECT_TRUE(pages[0].contains(QRegularExpression("1\\s+0312000000\\s+株式会社テスト0\\s+41")));
    EXPECT_TRUE(pages[1].contains(QRegularExpression("31\\s+0312000030\\s+株式会社テスト30\\s+10")));
    EXPECT_TRUE(pages[1].contains(QRegularExpression("合計：\\s+776")));
    EXPECT_FALSE(pages[0].contains("合計："));

    // Japanese glyphs are drawn: the title area of page 1 has dark pixels.
    const QString png = dir + "/page";
    TReportFixture::Run("pdftoppm", {"-r", "50", "-f", "1", "-l", "1", "-png", printed.Files.at(0), png});
    QImage img(png + "-1.png");
    ASSERT_FALSE(img.isNull());
    int dark = 0;
    for (int y = int(img.height() * 0.03); y < int(img.height() * 0.08); ++y)
        for (int x = img.width() / 3; x < img.width() * 2 / 3; ++x) dark += qGray(img.pixel(x, y)) < 128;
    EXPECT_GT(dark, 20);
    EXPECT_TRUE(TReportFixture::Run("pdffonts", {printed.Files.at(0)}).contains("IPA"));
}

TEST(Total, CallListReportIsLandscapeWithMemoOnOneLine)
{
    TReportFixture f;
    ASSERT_TRUE(f.Created);
    f.Tel("0312345678", "山田太郎");
    f.Calls("0312345678", 2, "2024/01/15 10:00:00", "発信", "折り返し\r\n連絡");
    f.Calls("0399999999", 1); // not in the phone book
    TPrintRecorder printed(TestEnv::FreshDataRoot());
    TfrmTotal t(*f.frm);
    Child<QComboBox>(&t, "cbxValue")->setCurrentIndex(0);
    Child<QRadioButton>(&t, "rbKubun2")->setChecked(true);
    t.SetPeriod(QDate(2024, 1, 1), QDate(2024, 1, 31));
    Child<QPushButton>(&t, "btnPrint")->click();
    ASSERT_EQ(printed.Files.size(), 1);
    const QString text = TReportFixture::PdfText(printed.Files.at(0));
    EXPECT_TRUE(text.contains("発着信日時"));
    EXPECT_TRUE(text.contains("発着信区分"));
    EXPECT_EQ(text.count("折り返し連絡"), 2);
    EXPECT_TRUE(text.contains(QRegularExpression("2024/01/15 10:00:01\\s+0312345678\\s+山田太郎\\s+発信\\s+1")));
    EXPECT_FALSE(text.contains("0399999999"));
    EXPECT_TRUE(TReportFixture::Run("pdfinfo", {printed.Files.at(0)}).contains("842 x 595"));
}

TEST(Preview, PagesZoomPrintRangeAndPdf)
{
    const QString dir = TestEnv::FreshDataRoot();
    QList<TPrint> rows;
    for (int i = 0; i < 65; ++i) rows << TPrint{QStringLiteral("03%1").arg(i), QStringLiteral("名前%1").arg(i), 100 - i};
    TfrmPrint1 report;
    const TPrintJob job = report.Job(rows, QDateTime(QDate(2024, 2, 1), QTime(9, 0)));
    TFileDialogRecorder files({dir + "/saved.pdf"});
    bool ran = false;
    Msg::SetDialogResponder([&](QDialog& d) {
        if (auto* print = qobject_cast<QPrintDialog*>(&d)) {
            print->printer()->setOutputFormat(QPrinter::PdfFormat);
            print->printer()->setOutputFileName(dir + "/printed.pdf");
            print->printer()->setPrintRange(QPrinter::PageRange);
            print->printer()->setPageRanges(QPageRanges::fromString("2"));
            return int(QDialog::Accepted);
        }
        auto* p = qobject_cast<TfrmPreview*>(&d);
        if (!p) return int(QDialog::Rejected);
        ran = true;
        p->show();
        EXPECT_EQ(p->PageCount(), 3);
        EXPECT_EQ(p->CurrentPage(), 1);
        p->findChild<QPushButton*>("btnLast")->click();
        EXPECT_EQ(p->CurrentPage(), 3);
        p->findChild<QPushButton*>("btnPrior")->click();
        EXPECT_EQ(p->CurrentPage(), 2);
        p->findChild<QPushButton*>("btnFirst")->click();
        p->findChild<QPushButton*>("btnNext")->click();
        EXPECT_EQ(p->CurrentPage(), 2);
        EXPECT_EQ(p->findChild<QLabel*>("lblPage")->text(), "2 / 3");
        for (const char* zoom : {"btnZoom100", "btnZoomWidth", "btnZoomPage"}) p->findChild<QPushButton*>(zoom)->click();
        p->findChild<QPushButton*>("btnPrint")->click();
        p->findChild<QPushButton*>("btnSavePdf")->click();
        return int(QDialog::Rejected);
    });
    Printing::Preview(nullptr, job);
    Msg::SetDialogResponder({});
    ASSERT_TRUE(ran);
    const QString printed = TReportFixture::PdfText(dir + "/printed.pdf");
    EXPECT_EQ(printed.count(QChar('\f')), 1) << printed.toStdString(); // one page: page 2 only
    EXPECT_TRUE(printed.contains(QRegularExpression("\\b2\\s*ページ")));
    EXPECT_FALSE(printed.contains(QRegularExpression("\\b1\\s*ページ")));
    const QString saved = TReportFixture::PdfText(dir + "/saved.pdf");
    EXPECT_EQ(saved.count(QChar('\f')), 3);
    EXPECT_TRUE(saved.contains("合計："));
}
