// The search dialog: statements per mode, matching, the settings it keeps,
// and the rows LIKE finds on CP932 bytes that do not hold the value.
#include "cust_fixture.h"
#include "cust_sql_u.h"
#include "frm_search_u.h"

#include <QHeaderView>
#include <QRadioButton>

namespace {
QStringList Column(const TfrmSearch& s, int column)
{
    QStringList out;
    for (int r = 0; r < s.sgdSearch->DataRowCount(); ++r) out << s.sgdSearch->Cell(r, column);
    return out;
}

QStringList Search(TfrmSearch& s, int item, const QString& value, bool partial, int column)
{
    s.cbxItem->setCurrentIndex(item);
    s.edtValue->setText(value);
    (partial ? s.rbPart : s.rbLeft)->setChecked(true);
    s.btnSearchClick();
    return Column(s, column);
}
} // namespace

TEST(SearchDialog, StatementsPerMode)
{
    TCustFixture f("[LINK]\nTABLE_NAME=顧客 台帳\nQUOTE_STR=\"\n");
    ASSERT_TRUE(f.started);
    const TSettings& s = *f.settings;
    const QString cust = "select CUST_TEL_NON, CUST_NAME, CUST_KANA, FAX_NO_NON, ZIP_CD, ADDRESS, EMAIL, "
                         "left(OTHERS,50) OTHERS, CUST_NO from CUSTOMER";
    struct Case { TSearchMode mode; int item; QString value; bool partial; QString sql; } cases[] = {
        {TSearchMode::Tels, 0, "03", false, "select * from TELS where TEL_NO like '03%' order by TEL_NO"},
        {TSearchMode::Tels, 2, "O'Hara ", true, "select * from TELS where CALLER like '%O''Hara %' order by CALLER"},
        {TSearchMode::Tels, 0, "  ", false, "select * from TELS where TEL_NO = '-999' order by TEL_NO"},
        {TSearchMode::Interface, 1, "CRM", false, "select * from INTERFACE where IF_NAME like 'CRM%' order by IF_NAME"},
        {TSearchMode::Interface, 0, "", false, "select * from INTERFACE order by IF_NO"},
        {TSearchMode::Cust, 7, "50%", true, cust + " where OTHERS like '%50%%' order by OTHERS"},
        {TSearchMode::Cust, 2, "", false, cust + " where CUST_NO = -999 order by CUST_TEL_NON"},
        {TSearchMode::OutCust, 1, "山", false,
         QStringLiteral("select * from \"顧客 台帳\" where \"CUST_NAME\" like '山%' order by \"CUST_NAME\"")},
        {TSearchMode::OutCust, 0, "", false, QStringLiteral("select * from \"顧客 台帳\" order by \"CUST_TEL_NON\"")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CustSql::SearchStatement(c.mode, c.item, c.value, c.partial, s), c.sql) << c.sql.toStdString();
    EXPECT_EQ(CustSql::QuoteName("a]b", "["), "[a]b[");
    EXPECT_EQ(CustSql::QuoteName("a\"b", "\""), "\"a\"\"b\"");
    EXPECT_EQ(CustSql::QuoteName("CUSTOMER", ""), "CUSTOMER");
}

TEST(SearchDialog, ModesMatchingAndLiteralValues)
{
    TCustFixture f;
    ASSERT_TRUE(f.started);
    const QStringList names = {QStringLiteral("ダイヤ商事"), QStringLiteral("チーズ工房"), "50%off", "500 shop",
                               "a_b", "axb", "O'Hara"};
    for (int i = 0; i < names.size(); ++i) f.Tels(QStringLiteral("0310%1").arg(i, 4, 10, QLatin1Char('0')), "", names[i]);
    f.Tels("0420000000", "", QStringLiteral("大阪"));
    f.Customer("0399990000", QStringLiteral("備考の会社"));
    f.dm->ExecSql(QStringLiteral("update CUSTOMER set OTHERS = '%1' || 'まだ続く目印'").arg(QString(40, QChar(0x3042))));

    TfrmSearch tels(*f.dm, *f.settings, TSearchMode::Tels);
    EXPECT_EQ(tels.windowTitle(), QStringLiteral("電話帳検索"));
    EXPECT_EQ(tels.sgdSearch->DataRowCount(), 0); // opened without a search: empty
    EXPECT_EQ(tels.sgdSearch->columnWidth(3), 161);
    // Left-anchored and partial.
    EXPECT_EQ(Search(tels, 0, "031", false, 0).size(), names.size());
    EXPECT_EQ(Search(tels, 0, "20000", true, 0), QStringList{"0420000000"});
    EXPECT_EQ(Search(tels, 0, "20000", false, 0), QStringList{});
    // LIKE on CP932 bytes finds チーズ for ダ (trail byte "_"): only the true row is listed.
    EXPECT_EQ(Search(tels, 2, QStringLiteral("ダ"), false, 2), QStringList{QStringLiteral("ダイヤ商事")});
    // Percent, underscore and quote are the user's text, not patterns or SQL.
    EXPECT_EQ(Search(tels, 2, "50%", false, 2), QStringList{"50%off"});
    EXPECT_EQ(Search(tels, 2, "_", true, 2), QStringList{"a_b"});
    EXPECT_EQ(Search(tels, 2, "'", true, 2), QStringList{"O'Hara"});
    EXPECT_EQ(Search(tels, 2, QString(1000, u'x'), true, 2), QStringList{});
    EXPECT_EQ(Search(tels, 2, "500 ", false, 2), QStringList{"500 shop"}); // the blank stays in the pattern

    TfrmSearch ifs(*f.dm, *f.settings, TSearchMode::Interface);
    EXPECT_EQ(ifs.windowTitle(), QStringLiteral("外部接続検索"));

    TfrmSearch cust(*f.dm, *f.settings, TSearchMode::Cust);
    EXPECT_EQ(cust.windowTitle(), QStringLiteral("顧客情報検索"));
    EXPECT_EQ(cust.cbxItem->currentIndex(), 2); // the reading, by default
    EXPECT_EQ(cust.sgdSearch->horizontalHeaderItem(2)->text(), QStringLiteral("顧客カナ"));
    EXPECT_TRUE(cust.sgdSearch->isColumnHidden(8));
    EXPECT_EQ(Search(cust, 1, QStringLiteral("備考"), false, 1), QStringList{QStringLiteral("備考の会社")});
    EXPECT_EQ(Search(cust, 1, "  ", false, 1), QStringList{}); // empty value: the empty list again
    // The list shows the first 50 bytes of the notes; the match lies beyond them.
    const QStringList notes = Search(cust, 7, QStringLiteral("目印"), true, 7);
    ASSERT_EQ(notes.size(), 1);
    EXPECT_EQ(notes[0], QString(25, QChar(0x3042)));
    EXPECT_EQ(cust.Cell(8), QString::number(1));
}

TEST(SearchDialog, RemembersPerModeSortsAndConfirms)
{
    TCustFixture f;
    ASSERT_TRUE(f.started);
    for (const char* n : {"0330000003", "0330000001", "0330000002"}) f.Tels(n, "", QStringLiteral("名前") + n);
    {
        TfrmSearch s(*f.dm, *f.settings, TSearchMode::Tels);
        Search(s, 0, "033", true, 0);
        s.sgdSearch->setColumnWidth(1, 77);
        s.resize(700, 500);
        // Sorting by a header click, twice for the other way round.
        emit s.sgdSearch->horizontalHeader()->sectionClicked(0);
        EXPECT_EQ(Column(s, 0), (QStringList{"0330000001", "0330000002", "0330000003"}));
        emit s.sgdSearch->horizontalHeader()->sectionClicked(0);
        EXPECT_EQ(Column(s, 0).first(), "0330000003");
        // A double-click confirms the row.
        s.sgdSearch->setCurrentCell(1, 0);
        emit s.sgdSearch->cellDoubleClicked(1, 0);
        EXPECT_EQ(s.result(), QDialog::Accepted);
        EXPECT_EQ(s.Cell(0), "0330000002");
    }
    EXPECT_EQ(f.settings->ReadText("SEARCH", "TEL_INDEX"), "0");
    EXPECT_EQ(f.settings->ReadText("SEARCH", "TEL_PART_INDEX"), "1");
    EXPECT_EQ(f.settings->ReadText("SEARCH", "WIDTH"), "700");
    EXPECT_TRUE(f.settings->ReadText("SEARCH", "COL_WIDTH_TEL").startsWith("111,77,"));
    f.settings->WriteText("SEARCH", "COL_WIDTH_INCUST", "90,x,,55,1,2,3,4,5,6,7,8");
    f.settings->WriteText("SEARCH", "LEFT", "40");
    f.settings->WriteText("SEARCH", "TOP", "50");
    TfrmSearch again(*f.dm, *f.settings, TSearchMode::Tels);
    EXPECT_TRUE(again.rbPart->isChecked());
    EXPECT_EQ(again.sgdSearch->columnWidth(1), 77);
    EXPECT_EQ(again.width(), 700);
    again.show(); // where it was, not centred
    EXPECT_EQ(again.pos(), QPoint(40, 50));
    again.reject();
    TfrmSearch cust(*f.dm, *f.settings, TSearchMode::Cust);
    EXPECT_EQ(cust.sgdSearch->columnWidth(0), 90);  // widths of one mode only
    EXPECT_EQ(cust.sgdSearch->columnWidth(1), 161); // not a number: skipped
    EXPECT_EQ(cust.sgdSearch->columnWidth(3), 55);
    EXPECT_TRUE(cust.rbLeft->isChecked());
    cust.reject(); // cancel keeps item and matching, writes the bounds
    EXPECT_EQ(f.settings->ReadText("SEARCH", "IN_CUST_INDEX", "<none>"), "<none>");
}
