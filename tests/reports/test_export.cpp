// The four exports: CSV bytes, .xls and .xlsx read back by independent
// readers, the window, and the files that must not be left behind.
#include "report_fixture.h"

#include "cp932_u.h"
#include "data_export_u.h"
#include "frm_export_u.h"
#include "xls_writer_u.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QJsonArray>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace {
QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A day of calls with the awkward values: quotes, line breaks, formula-like
// names, a number not in the phone book, a null end time.
void FillCalls(TReportFixture& f)
{
    f.Sql("SET GENERATOR SEQ_LOG_NO TO 100");
    f.Tel("0312345678", "山田\"太郎\"");
    f.Tel("0398765432", "=HYPERLINK(\"http://x\")");
    f.Tel("0311112222", "-2+3");
    f.Sql("insert into LOG (LOG_NO, DT_FROM, TEL_NO, TEL_TYPE, DT_TO, TEL_MEMO, PORT_NO) values "
          "(1, '2024/01/15 10:00:00', '0312345678', '着信', '2024/01/15 10:05:30', '折り返し\r\n要連絡', 1)");
    f.Sql("insert into LOG (LOG_NO, DT_FROM, TEL_NO, TEL_TYPE, DT_TO, TEL_MEMO, PORT_NO) values "
          "(2, '2024/01/15 23:59:59', '0398765432', '発信', null, '@SUM(1)', 2)");
    f.Sql("insert into LOG (LOG_NO, DT_FROM, TEL_NO, TEL_TYPE, DT_TO, TEL_MEMO, PORT_NO) values "
          "(3, '2024/01/15 12:00:00', '0311112222', '着信', null, '+81-3-1234-5678', 1)");
    f.Sql("insert into LOG (LOG_NO, DT_FROM, TEL_NO, TEL_TYPE, DT_TO, TEL_MEMO, PORT_NO) values "
          "(4, '2024/01/15 13:00:00', '0400000000', '着信', null, '-12.5', 1)");
    f.Sql("insert into LOG (LOG_NO, DT_FROM, TEL_NO, TEL_TYPE, DT_TO, TEL_MEMO, PORT_NO) values "
          "(5, '2024/01/16 00:00:00', '0312345678', '着信', null, 'next day', 1)");
}

QString Ref(const QString& name)
{
    return TestEnv::SourceDir() + "/tests/reports/ref/" + name;
}

QJsonArray Cell(const QJsonObject& sheet, int row, int col)
{
    return sheet["cells"].toObject()[QStringLiteral("%1,%2").arg(row).arg(col)].toArray();
}
} // namespace

TEST(Export, CallLogCsvMatchesReferenceBytes)
{
    TReportFixture f;
    ASSERT_TRUE(f.Created);
    FillCalls(f);
    const QString dir = TestEnv::FreshDataRoot();
    TDataExport e(*f.dm, nullptr);
    ASSERT_TRUE(e.ExportLog(dir + "/log.csv", QDate(2024, 1, 15), QDate(2024, 1, 15), true));
    const QByteArray got = ReadAll(dir + "/log.csv");
    EXPECT_TRUE(got.startsWith(Cp932::Encode("発着信日時,電話番号,発着信区分,ポート,顧客名,通話終了日時,メモ\r\n")));
    EXPECT_EQ(got, ReadAll(Ref("log_delcrlf.csv"))) << Cp932::Decode(got).toStdString();

    // Line breaks kept inside the quoted memo; ".doc" is text as well.
    ASSERT_TRUE(e.ExportLog(dir + "/log.doc", QDate(2024, 1, 15), QDate(2024, 1, 15), false));
    EXPECT_TRUE(ReadAll(dir + "/log.doc").contains(Cp932::Encode("\"折り返し\r\n要連絡\"")));
    // A start after the end: the header only.
    ASSERT_TRUE(e.ExportLog(dir + "/none.txt", QDate(2024, 1, 16), QDate(2024, 1, 15), true));
    EXPECT_EQ(Cp932::Decode(ReadAll(dir + "/none.txt")).count("\r\n"), 1);
}

TEST(Export, FormulaLikeCsvValues)
{
    const struct
    {
        QString In, Out;
    } cases[] = {
        {"=1+2", "'=1+2"},          {"@SUM(A1)", "'@SUM(A1)"}, {"+cmd|' /C calc'!A0", "'+cmd|' /C calc'!A0"},
        {"-2+3", "'-2+3"},          {"+81-3-1234-5678", "+81-3-1234-5678"}, {"-12.5", "-12.5"},
        {"+1e5", "+1e5"},           {"-", "'-"},                {"03-1234-5678", "03-1234-5678"},
        {"山田", "山田"},           {"", ""},                  {"-(03) 1234", "-(03) 1234"},
        {"=", "'="},                {"-A", "'-A"},
    };
    for (const auto& c : cases) EXPECT_EQ(TDataExport::CsvSafe(c.In), c.Out) << c.In.toStdString();
}

TEST(Export, CallLogSpreadsheetsReadBack)
{
    TReportFixture f;
    ASSERT_TRUE(f.Created);
    FillCalls(f);
    TClockOverride clock(QDateTime(QDate(2024, 2, 1), QTime(9, 30, 0)));
    const QString dir = TestEnv::FreshDataRoot();
    TDataExport e(*f.dm, nullptr);
    for (const QString ext : {"xls", "xlsx"}) {
        const QString path = dir + "/log." + ext;
        ASSERT_TRUE(e.ExportLog(path, QDate(2024, 1, 15), QDate(2024, 1, 15), true));
        const QJsonObject s = TReportFixture::Sheet(path);
        SCOPED_TRACE(ext.toStdString());
        EXPECT_EQ(Cell(s, 1, 1)[1].toString(),
                  "発着信履歴データ（2024年01月15日～2024年01月15日）   作成日時：2024/02/01 09:30:00");
        EXPECT_TRUE(Cell(s, 2, 1).isEmpty());
        const QStringList heads = QString("発着信日時,電話番号,発着信区分,ポート,顧客名,通話終了日時,メモ").split(',');
        for (int c = 0; c < heads.size(); ++c) EXPECT_EQ(Cell(s, 3, c + 1)[1].toString(), heads[c]);
        EXPECT_EQ(s["rows"].toInt(), 7);
        EXPECT_EQ(Cell(s, 4, 1), QJsonArray({"date", "2024/01/15 10:00:00", "yyyy/mm/dd hh:mm:ss"}));
        EXPECT_EQ(Cell(s, 4, 2), QJsonArray({"text", "0312345678", "@"}));
        EXPECT_EQ(Cell(s, 4, 4)[0].toString(), "number");
        EXPECT_EQ(Cell(s, 4, 4)[1].toDouble(), 1);
        EXPECT_EQ(Cell(s, 4, 5)[1].toString(), "山田\"太郎\"");
        EXPECT_EQ(Cell(s, 4, 7)[1].toString(), "折り返し\r\n要連絡"); // line breaks stay in sheets
        EXPECT_EQ(Cell(s, 5, 5), QJsonArray({"text", "=HYPERLINK(\"http://x\")", "General"}));
        EXPECT_EQ(Cell(s, 5, 7)[0].toString(), "text");
        EXPECT_TRUE(Cell(s, 5, 6).isEmpty()); // null end time
        EXPECT_EQ(s["formats"].toObject()["2"].toString(), "@");
        const QJsonObject w = s["widths"].toObject();
        EXPECT_NEAR(w["1"].toDouble(), 16, 1);
        EXPECT_NEAR(w["2"].toDouble(), 14, 1);
        EXPECT_NEAR(w["5"].toDouble(), 20, 1);
        EXPECT_NEAR(w["7"].toDouble(), 30, 1);
    }
}

TEST(Export, HandlingCustomersAndPhoneBook)
{
    TReportFixture f;
    ASSERT_TRUE(f.Created);
    f.Sql("insert into USER_M (USERID, USERNM) values ('u1', '佐藤')");
    f.Cust(1, "0312345678", "山田商店");
    f.Sql("update CUSTOMER set CUST_KANA = 'ヤマダ', BIRTH_DT = '1980/04/01', OTHERS = '備考1\r\n備考2', USERID = 'u1', "
          "OPTION_01 = 'A1', OPTION_02 = 'x' where CUST_NO = 1");
    f.Cust(2, "0698765432", "鈴木");
    f.Sql("update CUSTOMER set DEL_DT = CURRENT_TIMESTAMP where CUST_NO = 2");
    f.Sql("insert into OPTION_M (OPTION_ID, DESP_NAME, FIELD_TYPE) values (1, '', 'm')");
    f.Sql("insert into OPTION_M (OPTION_ID, DESP_NAME, FIELD_TYPE) values (2, '趣味', 't')");
    f.Sql("insert into OPTION_D_M (OPTION_ID, DID, DNAME) values (1, 'A1', '得意先')");
    f.Sql("insert into ACCEPT_T (ACT_NO, ACT_DT, USERID, TYPE_ID, RESULT_ID, TITLE, CONTENT, LOG_NO, CUST_NO) values "
          "(1, '2024/01/15 11:00:00', 'u1', '0001', '0002', '見積', '内容\r\nです', null, 1)");
    f.Tel("0312345678", "山田", "0312345678");
    const QString dir = TestEnv::FreshDataRoot();
    TDataExport e(*f.dm, nullptr);

    ASSERT_TRUE(e.ExportAccept(dir + "/acc.csv", QDate(2024, 1, 15), QDate(2024, 1, 15), true));
    EXPECT_EQ(Cp932::Decode(ReadAll(dir + "/acc.csv")),
              "顧客名,代表番号,着信番号,日時,区分,結果,対応者,件名,内容\r\n"
              "\"山田商店\",\"0312345678\",\"\",\"2024/01/15 11:00:00\",\"区分１(ﾀﾞﾐｰ)\",\"結果２(ﾀﾞﾐｰ)\",\"佐藤\",\"見積\","
              "\"内容です\"\r\n");

    ASSERT_TRUE(e.ExportCust(dir + "/cust.csv", true));
    EXPECT_EQ(Cp932::Decode(ReadAll(dir + "/cust.csv")),
              "顧客名,顧客カナ,生年月日,性別,代表番号,FAX番号,郵便番号,住所,地図URL,電子メール,ＨＰ,担当,備考,項目01,趣味\r\n"
              "\"山田商店\",\"ヤマダ\",\"1980/04/01 00:00:00\",\"男\",\"0312345678\",\"\",\"\",\"\",\"\",\"\",\"\",\"佐藤\","
              "\"備考1備考2\",\"得意先\",\"x\"\r\n");

    ASSERT_TRUE(e.OutTels(dir + "/tels.xlsx"));
    const QJsonObject s = TReportFixture::Sheet(dir + "/tels.xlsx");
    EXPECT_TRUE(Cell(s, 1, 1)[1].toString().startsWith("電話帳リスト  作成日時："));
    EXPECT_EQ(Cell(s, 4, 1), QJsonArray({"text", "0312345678", "@"}));
    EXPECT_EQ(Cell(s, 4, 3)[1].toString(), "山田");

    // Existing file: Cancel keeps it, OK replaces it.
    TMsgRecorder boxes(mbCancel);
    EXPECT_FALSE(e.OutTels(dir + "/tels.xlsx"));
    EXPECT_TRUE(boxes.Saw("同名のファイルが存在します。削除してよろしいですか？"));
    boxes.Answer = mbOK;
    EXPECT_TRUE(e.OutTels(dir + "/tels.xlsx"));
}

TEST(Export, CustomerBlocksOfTenThousand)
{
    const QStringList three = TReportSql::CustDataSql({}, 25000);
    ASSERT_EQ(three.size(), 3);
    EXPECT_TRUE(three[0].endsWith(" where c.DEL_DT is null and c.CUST_NO between 0 and 9999 order by c.CUST_NO"));
    EXPECT_TRUE(three[1].endsWith(" where c.DEL_DT is null and c.CUST_NO between 10000 and 19999 order by c.CUST_NO"));
    EXPECT_TRUE(three[2].endsWith(" where c.DEL_DT is null and c.CUST_NO >= 20000 order by c.CUST_NO"));
    const QStringList one = TReportSql::CustDataSql({{1, "項目01", "m"}}, 10000);
    ASSERT_EQ(one.size(), 1);
    EXPECT_TRUE(one[0].contains(", d01.DNAME as OPTION_01 from CUSTOMER c left join USER_M u on u.USERID = c.USERID "
                                "left join OPTION_D_M d01 on d01.OPTION_ID = 1 and d01.DID = c.OPTION_01 where"));
}

TEST(Export, PathProblems)
{
    const QString dir = TestEnv::FreshDataRoot();
    const struct
    {
        QString Path, Problem;
    } cases[] = {
        {"", "出力先を入力してください。"},
        {"log.csv", "出力先ディレクトリが見つかりません。"},
        {dir + "/missing/log.csv", "出力先ディレクトリが見つかりません。"},
        {dir + "/", "ファイル名を入力してください。"},
        {dir + "/log", "拡張子を入力してください。"},
        {dir + "/log.csv", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(TDataExport::PathProblem(c.Path), c.Problem) << c.Path.toStdString();
}

TEST(Export, FailuresLeaveNoFile)
{
    TReportFixture f;
    ASSERT_TRUE(f.Created);
    FillCalls(f);
    TDataExport e(*f.dm, nullptr);
    const QString dir = TestEnv::FreshDataRoot();

    // A folder nobody may write in (not even root).
    EXPECT_THROW(e.ExportLog("/proc/log.csv", QDate(2024, 1, 15), QDate(2024, 1, 15), true), EExportError);

    // Bytes with no Shift-JIS character: the row and the column are named.
    f.Sql("insert into TELS (TEL_NO, CALLER) values ('0377777777', x'41817F42')");
    f.Calls("0377777777", 1, "2024/01/15 15:00:00");
    try {
        e.ExportLog(dir + "/bad.csv", QDate(2024, 1, 15), QDate(2024, 1, 15), true);
        ADD_FAILURE() << "no error: " << Cp932::Decode(ReadAll(dir + "/bad.csv")).toStdString();
    } catch (const EExportError& err) {
        EXPECT_TRUE(err.Message.startsWith("5件目のデータ（ファイルの6行目）の「顧客名」に")) << err.Message.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(dir + "/bad.csv"));
    EXPECT_EQ(QDir(dir).entryList(QDir::Files).size(), 0);
    f.Sql("delete from TELS where TEL_NO = '0377777777'");

    // The disk fills while the file is written (a file-size limit stands in
    // for a full disk, set once every row is read): an error, no file.
    const QString memo = QString(300, QChar(u'あ'));
    f.Sql(QStringLiteral("execute block as declare i integer = 0; begin while (i < 1000) do begin "
                         "insert into LOG (LOG_NO, DT_FROM, TEL_NO, TEL_TYPE, TEL_MEMO, PORT_NO) values "
                         "(1000 + :i, '2024/01/15 16:00:00', '0312345678', '着信', '%1', 1); i = i + 1; end end")
              .arg(memo));
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    qint64 rows = 0;
    e.OnMaximum = [&](qint64 n) { rows = n; };
    e.OnProgress = [&](qint64 done) {
        if (done < rows) return;
        rlimit small{rlim_t(100 * 1024), old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &small);
    };
    bool failed = false;
    try {
        e.ExportLog(dir + "/full.csv", QDate(2024, 1, 15), QDate(2024, 1, 15), true);
    } catch (const EExportError& err) {
        failed = err.Message.startsWith("ファイルを書き込めませんでした。");
    }
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_TRUE(failed);
    EXPECT_EQ(QDir(dir).entryList(QDir::Files), QStringList());
}

TEST(Export, SpreadsheetRowLimit)
{
    TReportFixture f;
    ASSERT_TRUE(f.Created);
    f.Sql("execute block as declare i integer = 0; begin while (i < 65534) do begin "
          "insert into TELS (TEL_NO, CALLER) values ('03' || lpad(:i, 8, '0'), 'x'); i = i + 1; end end");
    const QString dir = TestEnv::FreshDataRoot();
    TDataExport e(*f.dm, nullptr);
    TMsgRecorder boxes;
    EXPECT_FALSE(e.OutTels(dir + "/tels.xls"));
    EXPECT_TRUE(boxes.Saw("最大行数(65536行)に収まりません。ＣＳＶファイルとして出力してください。\r\n"
                          "(出力先ファイルの拡張子を.xlsから.csvに変更してください。)"));
    EXPECT_FALSE(QFileInfo::exists(dir + "/tels.xls"));
    EXPECT_TRUE(e.OutTels(dir + "/tels.xlsx")); // no such limit
    EXPECT_EQ(TReportFixture::Sheet(dir + "/tels.xlsx", 5)["rows"].toInt(), 65537);
}

TEST(XlsWriter, LongStringsOverManySectors)
{
    // Strings split over CONTINUE records and a file needing DIFAT sectors.
    const QString dir = TestEnv::FreshDataRoot();
    TXlsWriter w(dir + "/big.xls");
    w.SetColumn(0, 10, true);
    for (int i = 0; i < 2200; ++i) w.WriteText(i, 0, QString(2000, QChar(0x3042 + i % 80)) + QString::number(i));
    w.WriteNumber(2200, 1, 3.25);
    w.Save();
    EXPECT_GT(QFileInfo(dir + "/big.xls").size(), 8 << 20);
    const QJsonObject s = TReportFixture::Sheet(dir + "/big.xls", 3000);
    EXPECT_EQ(s["rows"].toInt(), 2201);
    EXPECT_EQ(Cell(s, 2200, 1)[1].toString(), QString(2000, QChar(0x3042 + 2199 % 80)) + "2199");
    EXPECT_EQ(Cell(s, 2201, 2)[1].toDouble(), 3.25);
}

TEST(Export, WindowPagesPathsAndProgress)
{
    TReportFixture f("[BASIC]\nUSE_ACCEPT=0\n");
    ASSERT_TRUE(f.Created);
    FillCalls(f);
    const QString dir = TestEnv::FreshDataRoot();
    f.frm->ExportPaths().ExpPath = dir + "/old.xls";
    f.frm->ExportPaths().ExportDelCrlfTai = false;
    f.frm->SetHistoryDate(QDate(2024, 1, 15));
    TfrmExport w(*f.frm);
    w.SetPeriod(f.frm->HistoryDate());
    w.show();
    auto* pages = w.findChild<QTabWidget*>("PageControl1");
    EXPECT_TRUE(pages->isTabVisible(0));
    EXPECT_FALSE(pages->isTabVisible(1));
    EXPECT_TRUE(pages->isTabVisible(2));
    EXPECT_TRUE(pages->isTabVisible(3));
    EXPECT_FALSE(w.findChild<QCheckBox*>("cbxDelCrlfTai")->isChecked());
    EXPECT_FALSE(w.findChild<QProgressBar*>("ProgressBar1")->isVisible());
    EXPECT_EQ(w.findChild<QDateEdit*>("dtToTel")->date(), QDate(2024, 1, 15));

    TFileDialogRecorder files({dir + "/new.csv"});
    w.findChild<QPushButton*>("BtnPath")->click();
    ASSERT_EQ(files.Asked.size(), 1u);
    EXPECT_EQ(files.Asked[0].FilterIndex, 3); // from ".xls"
    EXPECT_EQ(w.findChild<QLineEdit*>("edtPath")->text(), dir + "/new.csv");
    EXPECT_EQ(f.frm->ExportPaths().ExpPath, dir + "/new.csv");

    int maxSeen = 0;
    auto* bar = w.findChild<QProgressBar*>("ProgressBar1");
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int v) {
        maxSeen = qMax(maxSeen, v);
        EXPECT_FALSE(w.findChild<QPushButton*>("btnOk")->isEnabled());
    });
    TMsgRecorder boxes;
    w.findChild<QPushButton*>("btnOk")->click();
    EXPECT_TRUE(boxes.Saw("ファイル出力完了しました。"));
    EXPECT_EQ(maxSeen, 4);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_TRUE(w.findChild<QPushButton*>("btnOk")->isEnabled());
    EXPECT_TRUE(QFileInfo::exists(dir + "/new.csv"));

    // A path typed by hand is used but not remembered.
    w.findChild<QLineEdit*>("edtPath")->setText("nofolder.csv");
    boxes.Shown.clear();
    w.findChild<QPushButton*>("btnOk")->click();
    EXPECT_TRUE(boxes.Saw("出力先ディレクトリが見つかりません。"));
    EXPECT_EQ(f.frm->ExportPaths().ExpPath, dir + "/new.csv");
    w.findChild<QCheckBox*>("cbxDelCrlfTel")->setChecked(false);
    w.reject();
    EXPECT_FALSE(f.frm->ExportPaths().ExportDelCrlfTel);

    TReportFixture linked("[LINK]\nCUST_DB_LINK=1\n");
    linked.settings->UseAccept = true;
    TfrmExport w2(*linked.frm);
    EXPECT_TRUE(w2.findChild<QTabWidget*>("PageControl1")->isTabVisible(1));
    EXPECT_FALSE(w2.findChild<QTabWidget*>("PageControl1")->isTabVisible(2));
}
