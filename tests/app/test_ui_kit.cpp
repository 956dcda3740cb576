#include "clock_u.h"
#include "record_tabs_u.h"
#include "string_grid_u.h"
#include "env_test_util.h"
#include "ui_kit_u.h"
#include "window_state_u.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {
struct TDialog : QDialog
{
    QLineEdit* e1 = UiKit::MakeEdit(this, "edtOne", UiKit::TIme::Off);
    QComboBox* c1 = new QComboBox(this);
    QPlainTextEdit* m1 = new QPlainTextEdit(this);
    QLineEdit* e2 = UiKit::MakeEdit(this, "edtTwo", UiKit::TIme::Hiragana);
    QPushButton* b1 = UiKit::MakeButton(this, "btnOk", "OK(&O)", "登録します。");
    TDialog()
    {
        auto* v = new QVBoxLayout(this);
        for (QWidget* w : std::initializer_list<QWidget*>{e1, c1, m1, e2, b1}) v->addWidget(w);
        c1->addItems({"a", "b"});
        UiKit::ApplyDialogRules(this);
    }
};

void PressEnter(QWidget* w)
{
    QTest::keyClick(w, Qt::Key_Return);
}
} // namespace

TEST(UiKit, ColoursAreGivenInBlueGreenRedOrder)
{
    EXPECT_EQ(UiKit::Bgr(0xC8C8FF), QColor(255, 200, 200));
    EXPECT_EQ(UiKit::kActiveTabColor, QColor(166, 202, 240));
    EXPECT_EQ(UiKit::kSaveColor, QColor(0x80, 0xFF, 0x00));
}

TEST(UiKit, EnterMovesOnAndTheFocusedBoxIsPainted)
{
    TDialog d;
    const QColor base = d.e1->palette().color(QPalette::Base);
    d.show();
    d.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
    d.e1->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(d.e1->palette().color(QPalette::Base), UiKit::kFocusColor);
    PressEnter(d.e1);
    EXPECT_EQ(QApplication::focusWidget(), d.c1);
    EXPECT_EQ(d.e1->palette().color(QPalette::Base), base); // back to the window colour
    PressEnter(d.c1);
    EXPECT_EQ(QApplication::focusWidget(), d.m1);
    PressEnter(d.m1); // a multi-line box takes Enter as a line break
    EXPECT_EQ(QApplication::focusWidget(), d.m1);
    EXPECT_EQ(d.m1->toPlainText(), "\n");
    d.e2->setFocus();
    PressEnter(d.e2);
    EXPECT_EQ(QApplication::focusWidget(), d.b1);

    EXPECT_EQ(d.e1->property("imeMode").toString(), "close");
    EXPECT_FALSE(d.e1->testAttribute(Qt::WA_InputMethodEnabled));
    EXPECT_EQ(d.e2->property("imeMode").toString(), "hira");
    EXPECT_EQ(d.b1->statusTip(), QStringLiteral("登録します。"));
}

TEST(UiKit, DialogOpensCentredOverItsParentAndKeepsItsSizeAsMinimum)
{
    QWidget parent;
    parent.setGeometry(100, 100, 800, 600);
    parent.show();
    QDialog d(&parent);
    d.resize(300, 200);
    UiKit::ApplyDialogRules(&d);
    d.show();
    EXPECT_LE((d.frameGeometry().center() - parent.frameGeometry().center()).manhattanLength(), 2);
    EXPECT_EQ(d.minimumSize(), QSize(300, 200));
}

TEST(StringGrid, KeepsOneEmptyRowAndReadsCellsByRowAndColumn)
{
    TStringGrid g(nullptr, "sgdTest", {{"番号", 80}, {"名前", 120}, {"", 0, true}});
    EXPECT_EQ(g.objectName(), "sgdTest");
    EXPECT_EQ(g.rowCount(), 1);
    EXPECT_FALSE(g.HasData());
    g.setCurrentCell(0, 0);
    EXPECT_EQ(g.SelectedRow(), -1); // the empty row is no data row
    EXPECT_TRUE(g.isColumnHidden(2));
    EXPECT_EQ(g.horizontalHeaderItem(1)->text(), QStringLiteral("名前"));

    g.AddRow({"0311112222", QStringLiteral("山田"), "7"});
    g.AddRow({"0322223333", QStringLiteral("鈴木"), "8"});
    EXPECT_EQ(g.rowCount(), 2);
    EXPECT_EQ(g.DataRowCount(), 2);
    EXPECT_EQ(g.Cell(1, 2), "8");
    g.setCurrentCell(1, 0);
    EXPECT_EQ(g.SelectedRow(), 1);
    g.SetCell(1, 1, QStringLiteral("佐藤"));
    EXPECT_EQ(g.Cell(1, 1), QStringLiteral("佐藤"));
    EXPECT_EQ(g.Cell(5, 5), QString());

    g.ClearRows();
    EXPECT_EQ(g.rowCount(), 1);
    EXPECT_EQ(g.Cell(0, 0), QString());
}

TEST(StringGrid, MarkColumnDrawsTheMarkInsteadOfTheNumber)
{
    TStringGrid g(nullptr, "sgdMark", {{"日時", 60}, {"対応", 40}});
    g.SetMarkColumn(1, UiKit::MarkPixmap(UiKit::kMarkEdit));
    g.AddRow({"a", "17"});
    g.AddRow({"b", ""});
    g.resize(200, 120);
    auto markPixels = [&](int row) {
        const QRect cell = g.visualItemRect(g.item(row, 1));
        const QImage img = g.viewport()->grab(cell).toImage();
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (QColor(img.pixel(x, y)).red() > 150 && QColor(img.pixel(x, y)).blue() < 80) ++n;
        return n;
    };
    EXPECT_GT(markPixels(0), 5);
    EXPECT_EQ(markPixels(1), 0);
    g.SetMarkColumnEnabled(false);
    EXPECT_EQ(markPixels(0), 0);
}

TEST(RecordTabs, FreeingARecordPageActivatesItsLeftNeighbour)
{
    // A customer view's pages: calls, handling list, then handling records.
    TRecordPages pages(2);
    for (const char* c : {"電話履歴", "対応履歴", "No.1          B", "No.2          B", " 新 規        E"})
        pages.addTab(new QWidget, QString::fromUtf8(c));
    pages.setCurrentIndex(2);
    pages.FreeRecordPage(3, 1); // not the active one
    EXPECT_EQ(pages.count(), 4);
    EXPECT_EQ(pages.currentIndex(), 2);
    pages.FreeRecordPage(2, 1);
    EXPECT_EQ(pages.currentIndex(), 1);
    pages.FreeRecordPage(2, 1); // the only record page left
    EXPECT_EQ(pages.count(), 2);
    EXPECT_EQ(pages.currentIndex(), 1);
    pages.FreeRecordPage(1, 1); // not a record page
    EXPECT_EQ(pages.count(), 2);
}

TEST(Registry, BoundsAndColumnWidthsComeBack)
{
    TestEnv::FreshDataRoot();
    qputenv("XDG_CONFIG_HOME", (TestEnv::Root() + "/cfg-ui").toUtf8());
    QWidget w;
    w.setGeometry(30, 40, 500, 300);
    TStringGrid g(nullptr, "sgdW", {{"a", 50}, {"b", 60}});
    g.setColumnWidth(1, 99);
    {
        TRegistry reg;
        reg.WriteBounds(&w, "frmTels");
        reg.WriteColumnWidths(&g, "frmTelsCol");
        reg.WriteInt("frmTelsLeft", 30000); // a monitor that is gone
        reg.Sync();
    }
    QWidget again;
    TStringGrid g2(nullptr, "sgdW", {{"a", 50}, {"b", 60}});
    TRegistry reg;
    reg.ReadBounds(&again, "frmTels", QSize(400, 250), QSize(400, 250));
    reg.ReadColumnWidths(&g2, "frmTelsCol");
    EXPECT_EQ(again.pos(), QPoint(0, 0));
    EXPECT_EQ(again.size(), QSize(500, 300));
    EXPECT_EQ(g2.columnWidth(1), 99);
    EXPECT_EQ(reg.ReadText("frmTelsWindowState"), "1");
    EXPECT_TRUE(reg.ReadFlag("NoSuchFlag", true));
}

TEST(Seams, ShellFileDialogsPrintingAndClockAnswerTests)
{
    {
        TShellRecorder shell(false);
        EXPECT_FALSE(Shell::OpenUrl(QUrl("https://example.jp/?q=1")));
        EXPECT_FALSE(Shell::StartProgram("/bin/echo", {"; rm -rf ~", "$(id)"}));
        ASSERT_EQ(shell.Requests.size(), 2u);
        EXPECT_EQ(shell.Requests[1].Arguments, QStringList({"; rm -rf ~", "$(id)"}));
    }
    {
        TFileDialogRecorder files({"/tmp/a.csv"});
        EXPECT_EQ(FileDlg::SaveFile(nullptr, QStringLiteral("名前を付けて保存"), "/tmp", "CSV (*.csv)"), "/tmp/a.csv");
        EXPECT_EQ(FileDlg::Folder(nullptr, QStringLiteral("フォルダ")), QString()); // cancelled
        ASSERT_EQ(files.Asked.size(), 2u);
        EXPECT_EQ(files.Asked[1].Kind, TFileDialogRequest::TKind::Folder);
    }
    {
        TPrintRecorder printed(TestEnv::FreshDataRoot());
        TPrintJob job{QStringLiteral("集計印刷"), QPageLayout::Landscape, [](QPrinter& p) {
                          QPainter painter(&p);
                          painter.drawText(100, 100, QStringLiteral("発着信"));
                      }};
        Printing::Preview(nullptr, job);
        ASSERT_EQ(printed.Files.size(), 1);
        QFile pdf(printed.Files[0]);
        ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
        EXPECT_TRUE(pdf.read(4) == "%PDF");
    }
    {
        TClockOverride clock(QDateTime(QDate(2026, 2, 28), QTime(23, 59, 59)));
        EXPECT_EQ(Clock::Today(), QDate(2026, 2, 28));
        clock.Set(QDateTime(QDate(2026, 3, 1), QTime(0, 0)));
        EXPECT_EQ(Clock::Today(), QDate(2026, 3, 1));
    }
    EXPECT_EQ(Clock::Today(), QDate::currentDate());
}
