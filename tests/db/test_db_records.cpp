// Record operations against a real embedded database.
#include "cp932_u.h"
#include "db_query_u.h"
#include "db_test_util.h"

#include <QBuffer>
#include <QFile>
#include <QImage>

namespace {
QStringList SqlLines(const QStringList& lines)
{
    QStringList out;
    for (const QString& l : lines)
        if (l.startsWith(QLatin1String("strSql="))) out << l.mid(7);
    return out;
}

QDateTime At(const char* text)
{
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy/MM/dd HH:mm:ss"));
}
} // namespace

class TRecords : public TDbFixture
{
protected:
    void SetUp() override
    {
        TDbFixture::SetUp();
        UseCurrentEmbedded();
    }
};

TEST(SqlValues, Conventions)
{
    EXPECT_EQ(SqlQuote(QStringLiteral("O'Hara")), QStringLiteral("'O''Hara'"));
    EXPECT_EQ(SqlQuote(QString()), QStringLiteral("''"));
    EXPECT_EQ(SqlValueOrNull(QString()), QStringLiteral("null"));
    EXPECT_EQ(SqlValueOrNull(QStringLiteral("15")), QStringLiteral("15"));
    for (const char* bad : {"1 or 1=1", "15 ", "1.5", "abc", "0)--"})
        EXPECT_THROW(SqlValueOrNull(QString::fromLatin1(bad)), EDbError) << bad;
    EXPECT_EQ(SqlDate(At("2024/03/05 14:07:09")), QStringLiteral("'2024/03/05'"));
    EXPECT_EQ(SqlDateTime(At("2024/03/05 14:07:09")), QStringLiteral("'2024/03/05 14:07:09'"));
    EXPECT_EQ(SqlDateTimeOrNull(QDateTime()), QStringLiteral("null"));
    EXPECT_EQ(SqlFloat(0), QStringLiteral("0"));
    EXPECT_EQ(SqlFloat(1.0 / 3), QStringLiteral("0.333333333333333"));
    EXPECT_EQ(SqlFlag(true), QStringLiteral("'1'"));
    EXPECT_EQ(StripHyphen(QStringLiteral("03-1234-5678 (代)－")), QStringLiteral("0312345678 (代)－"));
}

TEST_F(TRecords, PhoneBookAndLoggedSql)
{
    TTels t;
    EXPECT_FALSE(Dm().GetTels(QStringLiteral("0312345678"), t));
    EXPECT_TRUE(t.TEL_NO.isEmpty());
    QString rep;
    EXPECT_FALSE(Dm().GetCustTelNon(QStringLiteral("0312345678"), rep));
    NewLogLines();

    EXPECT_TRUE(Dm().InsertTels({QStringLiteral("0312345678"), QString(), QStringLiteral("山田's"), QStringLiteral("やまだ")}));
    ASSERT_TRUE(Dm().GetTels(QStringLiteral("0312345678"), t));
    EXPECT_EQ(t.CALLER, QStringLiteral("山田's"));
    EXPECT_EQ(t.READ_NAME, QStringLiteral("やまだ"));
    t.CALLER = QStringLiteral("山田商店");
    t.CUST_TEL_NON = QStringLiteral("0311112222");
    Dm().UpdateTels(t);
    const QStringList lines = NewLogLines();
    EXPECT_TRUE(lines.contains(QStringLiteral("TdmCmn.InsertTels")));
    EXPECT_TRUE(lines.contains(QStringLiteral("TdmCmn.GetTels TelNo=0312345678")));
    EXPECT_EQ(SqlLines(lines),
              QStringList({QStringLiteral("insert into TELS ( TEL_NO, CUST_TEL_NON, CALLER, READ_NAME, UPDT) values "
                                          "('0312345678', '', '山田''s', 'やまだ',  CURRENT_TIMESTAMP )"),
                           QStringLiteral("select * from TELS where TEL_NO ='0312345678'"),
                           QStringLiteral("update TELS set CUST_TEL_NON = '0311112222',  CALLER = '山田商店',  "
                                          "READ_NAME = 'やまだ',  UPDT = CURRENT_TIMESTAMP  where TEL_NO = "
                                          "'0312345678'")}));
    ASSERT_TRUE(Dm().GetTels(QStringLiteral("0312345678"), t));
    EXPECT_EQ(t.CALLER, QStringLiteral("山田商店"));

    // The same number again (another copy was quicker): refused, row kept.
    EXPECT_FALSE(Dm().InsertTels({QStringLiteral("0312345678"), QString(), QStringLiteral("別名"), QString()}));
    ASSERT_TRUE(Dm().GetTels(QStringLiteral("0312345678"), t));
    EXPECT_EQ(t.CALLER, QStringLiteral("山田商店"));
}

TEST_F(TRecords, CustomersAndTheirPhoneBookLink)
{
    TCust c;
    c.CUST_NAME = QStringLiteral("髙橋 ①号店");
    c.CUST_KANA = QStringLiteral("ﾀｶﾊｼ");
    c.CUST_TEL = QStringLiteral("03-1111-2222");
    c.CUST_TEL_NON = QStringLiteral("ignored");
    c.FAX_NO = QStringLiteral("(03) 1111 3333");
    c.SEX = -1;
    c.OTHERS = QStringLiteral("長いメモ\r\n2行目");
    c.OPTION[1] = QStringLiteral("一");
    c.OPTION[20] = QStringLiteral("二十");
    NewLogLines();
    const int no = Dm().InsertCustData(c);
    EXPECT_GT(no, 0);
    const QStringList sql = SqlLines(NewLogLines());
    ASSERT_EQ(sql.size(), 2);
    EXPECT_TRUE(sql[1].startsWith(QStringLiteral("insert into CUSTOMER ( CUST_NO, CUST_NAME, CUST_KANA, BIRTH_DT, SEX, "
                                                 "CUST_TEL, CUST_TEL_NON, FAX_NO, FAX_NO_NON,")));
    EXPECT_TRUE(sql[1].contains(QStringLiteral("values (%1, '髙橋 ①号店', 'ﾀｶﾊｼ', null, -1, '03-1111-2222', "
                                               "'0311112222', '(03) 1111 3333', '(03) 1111 3333',")
                                    .arg(no)));
    EXPECT_TRUE(sql[1].endsWith(QStringLiteral("'二十',  CURRENT_TIMESTAMP )")));

    TCust r;
    ASSERT_TRUE(Dm().GetCustData(QStringLiteral("0311112222"), r));
    EXPECT_EQ(r.CUST_NO, no);
    EXPECT_EQ(r.CUST_TEL, QStringLiteral("03-1111-2222"));
    EXPECT_EQ(r.CUST_TEL_NON, QStringLiteral("0311112222"));
    EXPECT_EQ(r.FAX_NO_NON, QStringLiteral("(03) 1111 3333"));
    EXPECT_FALSE(r.BIRTH_DT.isValid());
    EXPECT_EQ(r.SEX, -1);
    EXPECT_EQ(r.OTHERS, c.OTHERS);
    EXPECT_EQ(r.OPTION[1], QStringLiteral("一"));
    EXPECT_EQ(r.OPTION[20], QStringLiteral("二十"));

    r.BIRTH_DT = At("1970/01/02 00:00:00");
    r.CUST_TEL = QStringLiteral("03-9999-0000");
    r.CUST_NAME = QStringLiteral("O'Brien");
    Dm().UpdateCustData(r);
    const QStringList upd = SqlLines(NewLogLines());
    EXPECT_TRUE(upd.last().startsWith(
        QStringLiteral("update CUSTOMER set CUST_NAME = 'O''Brien',  CUST_KANA = 'ﾀｶﾊｼ',  BIRTH_DT = '1970/01/02',  SEX = -1, ")));
    EXPECT_TRUE(upd.last().endsWith(QStringLiteral(",  UPDT =  CURRENT_TIMESTAMP where CUST_NO = %1").arg(no)));
    EXPECT_FALSE(Dm().GetCustData(QStringLiteral("0311112222"), r));
    ASSERT_TRUE(Dm().GetCustData(QStringLiteral("0399990000"), r));
    EXPECT_EQ(r.BIRTH_DT, At("1970/01/02 00:00:00"));
    EXPECT_EQ(r.CUST_NAME, QStringLiteral("O'Brien"));

    QString name, kana, rep;
    EXPECT_TRUE(Dm().GetCustInfo(QStringLiteral("0399990000"), name, kana));
    EXPECT_EQ(name, QStringLiteral("O'Brien"));
    EXPECT_FALSE(Dm().GetCustInfo(QStringLiteral("03-9999-0000"), name, kana)); // used as passed
    EXPECT_TRUE(name.isEmpty());

    // Phone book bridge: an empty representative number links to nothing,
    // even when a customer with an empty number exists.
    Dm().InsertTels({QStringLiteral("09000000001"), QStringLiteral("0399990000"), QStringLiteral("x"), QString()});
    Dm().InsertTels({QStringLiteral("09000000002"), QString(), QStringLiteral("y"), QString()});
    Dm().InsertCustData(TCust());
    EXPECT_TRUE(Dm().GetCustTelNon(QStringLiteral("09000000001"), rep));
    EXPECT_EQ(rep, QStringLiteral("0399990000"));
    EXPECT_FALSE(Dm().GetCustTelNon(QStringLiteral("09000000002"), rep));
}

TEST_F(TRecords, CallLogAndMemo)
{
    TdmCmn::TLog log;
    log.DT_FROM = At("2024/03/05 14:07:09");
    log.TEL_NO = QStringLiteral("0312345678");
    log.TEL_TYPE = QStringLiteral("着信");
    log.TEL_TERM = QStringLiteral("0:00:00");
    log.PORT_NO = 70000; // wider than SMALLINT
    NewLogLines();
    const int no = Dm().InsertLog(log);
    const QStringList sql = SqlLines(NewLogLines());
    EXPECT_EQ(sql.last(), QStringLiteral("insert into LOG (LOG_NO, DT_FROM, TEL_NO, TEL_TYPE, DT_TO, TEL_TERM, TEL_MEMO, "
                                         "TEL_TIME, PORT_NO) values (%1, '2024/03/05 14:07:09', '0312345678', '着信', "
                                         "null, '0:00:00', '', 0, 70000)")
                              .arg(no));
    EXPECT_EQ(Dm().InsertLog(log), no + 1);

    // A memo with quotes and line breaks, near the 4000-byte limit.
    const QString memo = QStringLiteral("It's \"fine\"\r\n") + QString(1990, QChar(0x3042));
    ASSERT_EQ(Cp932::ByteLength(memo), 3993);
    Dm().UpdateTelMemo(QString::number(no), memo);
    const QString logged = SqlLines(NewLogLines()).last();
    EXPECT_TRUE(logged.startsWith(QStringLiteral("update LOG set  TEL_MEMO = 'It''s \"fine\"\r\n") + QChar(0x3042)));
    EXPECT_TRUE(logged.endsWith(QChar(0x3042) + QStringLiteral("' where LOG_NO = %1").arg(no))) << logged.right(30).toStdString();
    EXPECT_EQ(Scalar(QStringLiteral("select TEL_MEMO from LOG where LOG_NO = %1").arg(no)), memo);
    EXPECT_EQ(Scalar(QStringLiteral("select DT_TO from LOG where LOG_NO = %1").arg(no)), QString());
    EXPECT_THROW(Dm().UpdateTelMemo(QStringLiteral("1 or 1=1"), QStringLiteral("x")), EDbError);

    // The day's history as the main window reads it.
    Dm().sqlWork.SQL = QStringLiteral(
        "select g.*, t.CUST_TEL_NON, t.CALLER, t.READ_NAME, a.ACT_NO from LOG g left join TELS t on t.TEL_NO = "
        "g.TEL_NO left join ACCEPT_T a on a.LOG_NO = g.LOG_NO where g.DT_FROM >= '2024/03/05' and g.DT_FROM < "
        "'2024/03/06' and g.TEL_TYPE = '着信' order by g.DT_FROM desc");
    Dm().sqlWork.Open();
    TFbQuery::TCloser closer(Dm().sqlWork);
    int rows = 0;
    for (; !Dm().sqlWork.Eof(); Dm().sqlWork.Next()) {
        ++rows;
        EXPECT_EQ(Dm().sqlWork.FieldByName(QStringLiteral("DT_FROM")).AsDateTime(), log.DT_FROM);
        EXPECT_EQ(Dm().sqlWork.FieldByName(QStringLiteral("PORT_NO")).AsInteger(), 70000);
        EXPECT_TRUE(Dm().sqlWork.FieldByName(QStringLiteral("CALLER")).IsNull());
        EXPECT_EQ(Dm().sqlWork.FieldByName(QStringLiteral("ACT_NO")).AsInteger(), 0);
        EXPECT_FALSE(Dm().sqlWork.FieldByName(QStringLiteral("DT_TO")).AsDateTime().isValid());
    }
    EXPECT_EQ(rows, 2);
}

TEST_F(TRecords, Cp932RoundTripIsByteExact)
{
    const QString name = QStringLiteral("ﾀﾞﾐｰ髙①～'〜");
    // ﾀﾞﾐｰ, 髙 (IBM extension), ① (NEC special), ～ twice (U+301C is
    // stored as the Windows form U+FF5E), and a quote.
    const QByteArray expected = QByteArray::fromHex("c0ded0b0fbfc87408160278160");
    ASSERT_EQ(Cp932::Encode(name), expected);
    ASSERT_TRUE(Dm().InsertTels({QStringLiteral("0311110000"), QString(), name, name}));
    Dm().sqlWork.SQL = QStringLiteral("select CALLER from TELS where TEL_NO = '0311110000'");
    Dm().sqlWork.Open();
    EXPECT_EQ(Dm().sqlWork.FieldByName(QStringLiteral("CALLER")).AsBytes(), expected);
    Dm().sqlWork.Close();
    TTels t;
    ASSERT_TRUE(Dm().GetTels(QStringLiteral("0311110000"), t));
    EXPECT_EQ(t.CALLER, QStringLiteral("ﾀﾞﾐｰ髙①～'～"));
    // Finding by the text itself works too.
    EXPECT_TRUE(Dm().RowExists(QStringLiteral("TELS"), QStringLiteral("CALLER"), SqlQuote(name)));

    // The bytes are in the file exactly so.
    Dm().CloseDatabase();
    QFile f(Settings->DefaultDatabaseFile());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains(expected));
}

TEST_F(TRecords, TextWithoutCp932FormIsRefused)
{
    for (const QString& bad : {QStringLiteral("한국"), QString::fromUtf8("\xF0\x9F\x98\x80"), QStringLiteral("€")}) {
        try {
            Dm().InsertTels({QStringLiteral("0312345678"), QString(), bad, QString()});
            ADD_FAILURE() << "stored " << bad.toStdString();
        } catch (const EDbError& e) {
            EXPECT_TRUE(e.Message.contains(QStringLiteral("Shift-JIS"))) << e.Message.toStdString();
        }
    }
    TTels t;
    EXPECT_FALSE(Dm().GetTels(QStringLiteral("0312345678"), t));
}

TEST_F(TRecords, GenericHelpers)
{
    Dm().ExecSql(QStringLiteral("insert into USER_M (USERID, USERNM, DEL_DT) values ('gone', 'x', CURRENT_TIMESTAMP)"));
    const int g1 = Dm().GetGenId(QStringLiteral("SEQ_CUST_NO"));
    const int g2 = Dm().GetGenId(QStringLiteral("SEQ_CUST_NO"));
    EXPECT_EQ(g2, g1 + 1);
    EXPECT_TRUE(Dm().RowExists(QStringLiteral("USER_M"), QStringLiteral("USERID"), QStringLiteral("'admin'")));
    EXPECT_FALSE(Dm().RowExists(QStringLiteral("USER_M"), QStringLiteral("USERID"), QStringLiteral("'nobody'")));
    struct
    {
        const char* key;
        int state;
    } cases[] = {{"'admin'", 0}, {"'gone'", 1}, {"'nobody'", -1}, {"", -1}, {"'", -1}};
    for (const auto& c : cases)
        EXPECT_EQ(Dm().GetDeleteState(QStringLiteral("USER_M"), QStringLiteral("USERID"), QString::fromLatin1(c.key)),
                  c.state)
            << c.key;
    // A key value that is neither a quoted text nor an integer is refused.
    for (const char* bad : {"'a' or 1=1 --", "admin", "'it's'", "1; delete from LOG"})
        EXPECT_THROW(Dm().DeleteRows(QStringLiteral("USER_M"), QStringLiteral("USERID"), QString::fromLatin1(bad)),
                     EDbError)
            << bad;
    Dm().DeleteRows(QStringLiteral("USER_M"), QStringLiteral("USERID"), QStringLiteral("'gone'"));
    EXPECT_EQ(Scalar("select count(*) from USER_M"), QStringLiteral("1"));
    Dm().DeleteAllRows(QStringLiteral("USER_M"));
    EXPECT_EQ(Scalar("select count(*) from USER_M"), QStringLiteral("0"));
    EXPECT_THROW(Dm().ExecSql(QStringLiteral("insert into NO_SUCH_TABLE values (1)")), EDbError);
    // The statement object is free again after the error.
    EXPECT_EQ(Dm().GetDeleteState(QStringLiteral("USER_M"), QStringLiteral("USERID"), QStringLiteral("'admin'")), -1);
}

TEST_F(TRecords, NestedUseOfAQueryBeingReadIsRefusedAndTheReadGoesOn)
{
    for (const char* no : {"0311110001", "0311110002", "0311110003"})
        ASSERT_TRUE(Dm().InsertTels({QString::fromLatin1(no), QString(), QStringLiteral("名前"), QString()}));
    QStringList read;
    {
        TSelect outer(Dm().sqlWork, QStringLiteral("select TEL_NO from TELS order by TEL_NO"));
        read << outer[QStringLiteral("TEL_NO")].AsString();
        // What a nested event loop would do with the same statement object.
        EXPECT_THROW(TSelect(Dm().sqlWork, QStringLiteral("select * from LOG")), EDbError);
        EXPECT_THROW(Dm().sqlWork.ExecSQL(), EDbError);
        for (outer.Next(); !outer.Eof(); outer.Next()) read << outer[QStringLiteral("TEL_NO")].AsString();
    }
    EXPECT_EQ(read, QStringList({"0311110001", "0311110002", "0311110003"}));
    EXPECT_TRUE(NewLogLines().contains(QStringLiteral("strSql=select TEL_NO from TELS order by TEL_NO")));
    // Read to the end, or closed: free again.
    EXPECT_EQ(Scalar("select count(*) from TELS"), "3");
    EXPECT_EQ(Scalar("select count(*) from TELS"), "3");
}

TEST_F(TRecords, PicturesAsBitmapOrJpeg)
{
    TCust c;
    c.CUST_TEL = QStringLiteral("0300000001");
    const int no = Dm().InsertCustData(c);
    const QString key = QString::number(no);
    QImage img(16, 8, QImage::Format_RGB32);
    img.fill(Qt::red);
    QImage out(1, 1, QImage::Format_RGB32);
    EXPECT_FALSE(Dm().LoadImageField(QStringLiteral("CUSTOMER"), QStringLiteral("AVATER"), key, QStringLiteral("CUST_NO"), out));
    EXPECT_TRUE(out.isNull());
    NewLogLines();
    Dm().SaveImageField(QStringLiteral("CUSTOMER"), QStringLiteral("AVATER"), key, QStringLiteral("CUST_NO"), img);
    EXPECT_EQ(SqlLines(NewLogLines()),
              QStringList{QStringLiteral("update CUSTOMER set AVATER = :AVATER where CUST_NO = %1").arg(no)});
    Dm().sqlWork.SQL = QStringLiteral("select AVATER from CUSTOMER where CUST_NO = ") + key;
    Dm().sqlWork.Open();
    EXPECT_TRUE(Dm().sqlWork.FieldByName(QStringLiteral("AVATER")).AsBytes().startsWith("BM"));
    Dm().sqlWork.Close();
    ASSERT_TRUE(Dm().LoadImageField(QStringLiteral("CUSTOMER"), QStringLiteral("AVATER"), key, QStringLiteral("CUST_NO"), out));
    EXPECT_EQ(out.size(), img.size());
    EXPECT_EQ(out.pixelColor(3, 3), QColor(Qt::red));

    // A JPEG written by another program.
    QByteArray jpeg;
    QBuffer buf(&jpeg);
    buf.open(QIODevice::WriteOnly);
    QImage blue(20, 10, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    ASSERT_TRUE(blue.save(&buf, "JPEG"));
    Dm().sqlWork2.SQL = QStringLiteral("update CUSTOMER set AVATER = :PIC where CUST_NO = ") + key;
    Dm().sqlWork2.SetBlobParam(QStringLiteral("PIC"), jpeg);
    Dm().sqlWork2.ExecSQL();
    Dm().sqlWork2.ClearParams();
    ASSERT_TRUE(Dm().LoadImageField(QStringLiteral("CUSTOMER"), QStringLiteral("AVATER"), key, QStringLiteral("CUST_NO"), out));
    EXPECT_EQ(out.size(), QSize(20, 10));
    EXPECT_GT(out.pixelColor(5, 5).blue(), 200);

    // An empty picture clears the column.
    Dm().SaveImageField(QStringLiteral("CUSTOMER"), QStringLiteral("AVATER"), key, QStringLiteral("CUST_NO"), QImage());
    EXPECT_EQ(Scalar(QStringLiteral("select count(*) from CUSTOMER where AVATER is null and CUST_NO = ") + key), "1");
    EXPECT_FALSE(Dm().LoadImageField(QStringLiteral("CUSTOMER"), QStringLiteral("AVATER"), key, QStringLiteral("CUST_NO"), out));
}

TEST_F(TRecords, HandlingRecords)
{
    Dm().SignedInUser.USERID = QStringLiteral("admin");
    TAccept a;
    a.ACT_DT = At("2024/03/05 10:00:00");
    a.USERID = QStringLiteral("admin");
    a.TYPE_ID = QStringLiteral("0001");
    a.RESULT_ID = QStringLiteral("0002");
    a.TITLE = QStringLiteral("件名'");
    a.CONTENT = QStringLiteral("内容");
    NewLogLines();
    const int n1 = Dm().InsertAccept(a);
    EXPECT_EQ(SqlLines(NewLogLines()).last(),
              QStringLiteral("insert into ACCEPT_T (ACT_NO, ACT_DT, USERID, TYPE_ID, RESULT_ID, TITLE, CONTENT, LOG_NO, "
                             "CUST_NO, UPUSERID, UPDT) values (%1, '2024/03/05 10:00:00', 'admin', '0001', '0002', "
                             "'件名''', '内容', null, null, 'admin', CURRENT_TIMESTAMP)")
                  .arg(n1));
    a.LOG_NO = QStringLiteral("15");
    a.CUST_NO = QStringLiteral("7");
    const int n2 = Dm().InsertAccept(a);
    EXPECT_EQ(n2, n1 + 1);
    a.LOG_NO = QStringLiteral("15; drop table LOG");
    EXPECT_THROW(Dm().InsertAccept(a), EDbError);

    TAccept r;
    ASSERT_TRUE(Dm().GetAcceptData(n2, r));
    EXPECT_EQ(r.ACT_NO, n2);
    EXPECT_EQ(r.LOG_NO, QStringLiteral("15"));
    EXPECT_EQ(r.CUST_NO, QString()); // filled by the editor
    EXPECT_EQ(r.TITLE, QStringLiteral("件名'"));
    r.LOG_NO = QStringLiteral("99");
    r.CUST_NO = QString();
    r.CONTENT = QStringLiteral("変更");
    Dm().UpdateAccept(r);
    ASSERT_TRUE(Dm().GetAcceptData(n2, r));
    EXPECT_EQ(r.LOG_NO, QStringLiteral("15"));
    EXPECT_EQ(r.CONTENT, QStringLiteral("変更"));
    EXPECT_EQ(Scalar(QStringLiteral("select coalesce(CUST_NO, -1) from ACCEPT_T where ACT_NO = %1").arg(n2)), QStringLiteral("-1"));
    EXPECT_EQ(Scalar(QStringLiteral("select coalesce(LOG_NO, -1) from ACCEPT_T where ACT_NO = %1").arg(n1)), QStringLiteral("-1"));
    EXPECT_FALSE(Dm().GetAcceptData(99999, r));
    EXPECT_EQ(r.ACT_NO, -1);
}

TEST_F(TRecords, LoginDateBoundariesAndUserNames)
{
    const QString today = SqlQuote(QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd")));
    const QString tomorrow = SqlQuote(QDate::currentDate().addDays(1).toString(QStringLiteral("yyyy/MM/dd")));
    const QString yesterday = SqlQuote(QDate::currentDate().addDays(-1).toString(QStringLiteral("yyyy/MM/dd")));
    struct
    {
        QString id, from, to, del;
        bool ok;
    } cases[] = {
        {"u1", "null", "null", "null", true},     {"u2", today, "null", "null", true},
        {"u3", "null", today, "null", false},     {"u4", tomorrow, "null", "null", false},
        {"u5", yesterday, tomorrow, "null", true}, {"u6", "null", "null", "CURRENT_TIMESTAMP", false},
    };
    for (const auto& c : cases)
        Dm().ExecSql(QStringLiteral("insert into USER_M (USERID, USERNM, PASSWD, AUTH, FROMDT, TODT, DEL_DT) values "
                                    "('%1', '名前%1', 'pw''1', 1, %2, %3, %4)")
                         .arg(c.id, c.from, c.to, c.del));
    NewLogLines();
    for (const auto& c : cases) {
        TUser u;
        EXPECT_EQ(Dm().LoginUser(c.id, QStringLiteral("pw'1"), u), c.ok) << c.id.toStdString();
        if (c.ok) {
            EXPECT_EQ(u.USERNM, QStringLiteral("名前") + c.id);
            EXPECT_EQ(u.AUTH, 1);
        } else {
            EXPECT_TRUE(u.USERID.isEmpty());
            EXPECT_EQ(u.AUTH, 0);
        }
    }
    TUser u;
    EXPECT_FALSE(Dm().LoginUser(QStringLiteral("u1"), QStringLiteral("wrong"), u));
    // The sign-in statement carries the password: never logged.
    for (const QString& l : NewLogLines()) EXPECT_FALSE(l.contains(QStringLiteral("PASSWD"))) << l.toStdString();

    Log_->SetDetailed(false);
    EXPECT_EQ(Dm().GetUserName(QStringLiteral("   ")), QStringLiteral("該当者なし"));
    EXPECT_EQ(Dm().GetUserName(QString()), QStringLiteral("該当者なし"));
    EXPECT_EQ(Dm().GetUserName(QStringLiteral("nobody")), QStringLiteral("該当者なし"));
    EXPECT_EQ(Dm().GetUserName(QStringLiteral("u6")), QStringLiteral("名前u6")); // deleted users too
    const QStringList lines = NewLogLines();
    EXPECT_EQ(lines, QStringList({QStringLiteral("TdmCmn.GetUserName UserId=   "), QStringLiteral("TdmCmn.GetUserName UserId="),
                                  QStringLiteral("TdmCmn.GetUserName UserId=nobody"),
                                  QStringLiteral("TdmCmn.GetUserName UserId=u6")}));
}

TEST_F(TRecords, AccountReplacedWholeOrNotAtAll)
{
    TAccount a;
    EXPECT_FALSE(Dm().GetAccount(a));
    a.UserId = QStringLiteral("200");
    a.Password = QStringLiteral("p'w");
    a.SipProxy = QStringLiteral("192.0.2.1");
    a.OutProxy = QStringLiteral("192.0.2.2");
    a.RegistProxy = false;
    a.Codecs = QStringLiteral("2,3,0");
    a.EchoCancel = true;
    a.NoDisturb = true;
    Dm().ReplaceAccount(a);
    TAccount r;
    ASSERT_TRUE(Dm().GetAccount(r));
    EXPECT_EQ(r.UserId, a.UserId);
    EXPECT_EQ(r.Password, a.Password);
    EXPECT_EQ(r.OutProxy, a.OutProxy);
    EXPECT_FALSE(r.RegistProxy);
    EXPECT_TRUE(r.EchoCancel);
    EXPECT_FALSE(r.Agc);
    EXPECT_TRUE(r.NoDisturb);
    EXPECT_EQ(r.Codecs, a.Codecs);
    EXPECT_EQ(Scalar("select CHNUM from ACCOUNT"), QStringLiteral("1"));

    // The insert fails after the delete ran: the old row must survive.
    TAccount bad = a;
    bad.UserId = QString(61, QLatin1Char('x'));
    EXPECT_THROW(Dm().ReplaceAccount(bad), EDbError);
    EXPECT_FALSE(Dm().IBTranIF.InTransaction());
    ASSERT_TRUE(Dm().GetAccount(r));
    EXPECT_EQ(r.UserId, QStringLiteral("200"));
    EXPECT_EQ(Scalar("select count(*) from ACCOUNT"), QStringLiteral("1"));

    a.UserId = QStringLiteral("201");
    Dm().ReplaceAccount(a);
    EXPECT_EQ(Scalar("select list(USERID) from ACCOUNT"), QStringLiteral("201"));
}

TEST_F(TRecords, PrintPortAndInterface)
{
    Dm().InsertPrint({QStringLiteral("0312345678"), QStringLiteral("山田"), 12});
    EXPECT_EQ(Scalar("select TOTAL from PRINT1 where CALLER = '山田'"), QStringLiteral("12"));
    Dm().InsertPort(7);
    EXPECT_EQ(Scalar("select count(*) from PORT_T where PORT_NO = 7"), QStringLiteral("1"));

    TFbTable& t = Dm().tblInterface;
    t.Open();
    EXPECT_EQ(t.RecordCount(), 0);
    for (int no : {2, 1}) {
        t.Append();
        t.SetValue(QStringLiteral("IF_NO"), no);
        t.SetValue(QStringLiteral("IF_NAME"), QStringLiteral("販売管理%1").arg(no));
        t.SetValue(QStringLiteral("IF_TYPE"), QStringLiteral("EXE"));
        t.SetValue(QStringLiteral("START_REQ"), QStringLiteral("5"));
        t.SetValue(QStringLiteral("TEXT_PORT"), QStringLiteral("1"));
        t.Post();
    }
    t.Append();
    t.SetValue(QStringLiteral("IF_NO"), 3);
    t.Cancel();
    EXPECT_EQ(t.RecordCount(), 2);
    t.First();
    EXPECT_EQ(t.AsInteger(QStringLiteral("IF_NO")), 1); // IF_NO order
    ASSERT_TRUE(t.Locate(QStringLiteral("IF_NO"), 2));
    t.Edit();
    t.SetValue(QStringLiteral("COMMAND"), QStringLiteral("/tel "));
    t.SetValue(QStringLiteral("END_REQ"), QStringLiteral("x"));
    EXPECT_THROW(t.Post(), EDbError); // not a number
    t.SetValue(QStringLiteral("END_REQ"), 9);
    t.Post();
    // An entry without a required value is refused by the database.
    t.Append();
    t.SetValue(QStringLiteral("IF_NO"), 4);
    EXPECT_THROW(t.Post(), EDbError);
    t.Cancel();

    TInterfaceInfo info;
    ASSERT_TRUE(Dm().GetInterfaceInfo(QStringLiteral("2"), info));
    EXPECT_EQ(info.IF_NAME, QStringLiteral("販売管理2"));
    EXPECT_EQ(info.COMMAND, QStringLiteral("/tel "));
    EXPECT_EQ(info.START_REQ, 5);
    EXPECT_EQ(info.END_REQ, 9);
    EXPECT_EQ(info.TEXT_PORT, QStringLiteral("1"));
    EXPECT_EQ(info.TEXT_DT, QString());
    EXPECT_FALSE(Dm().GetInterfaceInfo(QStringLiteral("5"), info));
    EXPECT_TRUE(info.IF_NAME.isEmpty());
    NewLogLines();
    EXPECT_FALSE(Dm().GetInterfaceInfo(QStringLiteral("1 or 1=1"), info));
    EXPECT_TRUE(SqlLines(NewLogLines()).isEmpty());

    ASSERT_TRUE(t.Locate(QStringLiteral("IF_NO"), 1));
    t.Delete();
    EXPECT_EQ(t.RecordCount(), 1);
    Dm().ExecSql(QStringLiteral("insert into INTERFACE (IF_NO, IF_TYPE) values (8, 'TXT')"));
    t.Refresh();
    EXPECT_EQ(t.RecordCount(), 2);
    EXPECT_EQ(t.AsInteger(QStringLiteral("IF_NO")), 2); // stays on its row
}
