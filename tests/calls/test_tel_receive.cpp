// The call pipeline's database side on a real embedded database: numbers too
// long for their column are cut and logged, never lost; a caller's own name
// stands for a number the phone book does not know yet.
#include "db_test_util.h"
#include "tel_receive_u.h"

class TelReceiveTest : public TDbFixture
{
protected:
    void SetUp() override
    {
        TDbFixture::SetUp();
        UseCurrentEmbedded();
        Receive = std::make_unique<TTelReceive>(Dm(), *Settings);
    }
    void TearDown() override
    {
        Receive.reset();
        TDbFixture::TearDown();
    }
    // What the pipeline does for an incoming call.
    void Call(const QString& telNo)
    {
        const QString lookup = TTelReceive::LookupNumber(telNo);
        Receive->IdentifyCaller(telNo, lookup, true);
        Receive->InsertCallLog(QDateTime::currentDateTime(), lookup, QStringLiteral("着信"), 1);
    }
    std::unique_ptr<TTelReceive> Receive;
};

TEST(FitColumnTest, CutsAtACharacterBoundaryInCp932Bytes)
{
    struct Case { const char* Name; QString Text; int Bytes; QString Expected; };
    const Case cases[] = {
        {"fits", QString(30, QLatin1Char('9')), 30, QString(30, QLatin1Char('9'))},
        {"one byte too many", QString(31, QLatin1Char('9')), 30, QString(30, QLatin1Char('9'))},
        {"double-byte at the edge", QString(29, QLatin1Char('1')) + QStringLiteral("あ"), 30, QString(29, QLatin1Char('1'))},
        {"full-width digits", QString(16, QChar(0xFF10)), 30, QString(15, QChar(0xFF10))},
        // Kept, so that the write names it.
        {"no CP932 form", QStringLiteral("03\U0001F600"), 30, QStringLiteral("03\U0001F600")},
        {"no CP932 form past the edge", QStringLiteral("0312\U0001F600"), 5, QStringLiteral("0312")},
        {"empty", QString(), 30, QString()},
    };
    for (const auto& c : cases) EXPECT_EQ(TTelReceive::FitColumn(c.Text, c.Bytes), c.Expected) << c.Name;
}

TEST_F(TelReceiveTest, NumberTooLongForItsColumnIsCutLoggedAndWritten)
{
    const QString longNumber = QStringLiteral("0312345678") + QString(37, QLatin1Char('9'));
    Call(longNumber);
    const QString stored = longNumber.left(30);
    EXPECT_EQ(Scalar("select count(*) from LOG where TEL_NO = '" + stored + "'"), "1");
    EXPECT_EQ(Scalar("select count(*) from TELS where TEL_NO = '" + stored + "'"), "1");
    EXPECT_TRUE(NewLogLines().join('\n').contains(
        QStringLiteral("TTelReceive: 電話番号を 30 バイトに切り詰めて記録します TelNo=%1 記録=%2").arg(longNumber, stored)));
    // The same caller again finds its row.
    Call(longNumber);
    EXPECT_EQ(Scalar("select count(*) from LOG where TEL_NO = '" + stored + "'"), "2");
    EXPECT_EQ(Scalar("select count(*) from TELS"), "1");
    EXPECT_TRUE(Rec->Shown.empty());
}

TEST_F(TelReceiveTest, CallerNameStandsForANumberNotKnownYet)
{
    const QString name = QStringLiteral("田中商事 営業部 山田太郎様 (代表番号からの転送)");
    // A new number: the caller's own name, stored, and shown by the lookup.
    Receive->OfferCallerName("0312345678", name);
    Call("0312345678");
    EXPECT_EQ(Scalar("select CALLER from TELS where TEL_NO = '0312345678'"), name);
    EXPECT_EQ(Receive->GetCallerName("0312345678"), name);
    EXPECT_EQ(Scalar("select count(*) from LOG where TEL_NO = '0312345678'"), "1");

    // A number the phone book knows keeps its name.
    ASSERT_TRUE(Dm().InsertTels({"0699990000", "0699990000", QStringLiteral("大阪支店"), QStringLiteral("おおさか")}));
    Receive->OfferCallerName("0699990000", QStringLiteral("Reception"));
    Call("0699990000");
    EXPECT_EQ(Scalar("select CALLER from TELS where TEL_NO = '0699990000'"), QStringLiteral("大阪支店"));

    // Known only as the unknown caller: the caller's name replaces that.
    Call("0455556666");
    EXPECT_EQ(Scalar("select CALLER from TELS where TEL_NO = '0455556666'"), Settings->UnknownName);
    Receive->OfferCallerName("0455556666", QStringLiteral("横浜営業所"));
    Call("0455556666");
    EXPECT_EQ(Scalar("select CALLER from TELS where TEL_NO = '0455556666'"), QStringLiteral("横浜営業所"));

    // What CP932 cannot hold in a name becomes "?".
    Receive->OfferCallerName("0488889999", QStringLiteral("山田\U0001F600商店"));
    Call("0488889999");
    EXPECT_EQ(Scalar("select CALLER from TELS where TEL_NO = '0488889999'"), QStringLiteral("山田?商店"));

    // A name longer than its column is cut, the call is still logged.
    const QString longName = QString(60, QChar(0x540D)); // 名 x 60: 120 bytes
    Receive->OfferCallerName("0477778888", longName);
    Call("0477778888");
    EXPECT_EQ(Scalar("select CALLER from TELS where TEL_NO = '0477778888'"), longName.left(50));
    EXPECT_EQ(Scalar("select count(*) from LOG"), "6");
    EXPECT_TRUE(Rec->Shown.empty());
}
