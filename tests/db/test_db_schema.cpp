// Creation of the default database and the schema upgrade, embedded.
#include "db_test_util.h"
#include "db_start_u.h"

#include <QFile>
#include <QFileInfo>

TEST_F(TDbFixture, UpgradesEarlierDatabaseOnceAndThenLeavesItAlone)
{
    CheckUpgradeOf(Root + QStringLiteral("/old.fdb"));
}

TEST_F(TDbFixture, CreatesTheDefaultDatabaseWhenMissing)
{
    const QString file = Settings->DefaultDatabaseFile();
    ASSERT_FALSE(QFileInfo::exists(file));
    TdmCmn& dm = NewDm();
    EXPECT_TRUE(dm.UsesDefaultDatabase());
    ASSERT_TRUE(ConnectDatabaseAtStart(dm, *Settings));
    EXPECT_TRUE(QFileInfo::exists(file));
    EXPECT_EQ(Scalar("select MON$SQL_DIALECT from MON$DATABASE"), QStringLiteral("1"));
    EXPECT_EQ(Scalar("select MON$PAGE_SIZE from MON$DATABASE"), QStringLiteral("8192"));
    EXPECT_EQ(Scalar("select coalesce(RDB$CHARACTER_SET_NAME, 'NONE') from RDB$DATABASE"), QStringLiteral("NONE"));
    // TEL_NO is the primary key of the phone book.
    EXPECT_EQ(Scalar("select trim(s.RDB$FIELD_NAME) from RDB$RELATION_CONSTRAINTS c join RDB$INDEX_SEGMENTS s on "
                     "s.RDB$INDEX_NAME = c.RDB$INDEX_NAME where c.RDB$RELATION_NAME = 'TELS' and "
                     "c.RDB$CONSTRAINT_TYPE = 'PRIMARY KEY'"),
              QStringLiteral("TEL_NO"));
    EXPECT_EQ(Scalar("select count(*) from RDB$RELATIONS where RDB$RELATION_NAME in ('POST_M', 'CITY_M', 'PREF_M')"),
              QStringLiteral("0"));
    // The upgrade ran as on any database: the question came (LINK off).
    EXPECT_EQ(Rec->Shown.size(), 1u);
    EXPECT_EQ(Scalar("select count(*) from ACCEPT_TYPE"), QStringLiteral("2"));

    // Next start: a current database is opened and left untouched.
    Rec->Shown.clear();
    TdmCmn& again = NewDm();
    ASSERT_TRUE(ConnectDatabaseAtStart(again, *Settings));
    EXPECT_TRUE(Rec->Shown.empty());
}

TEST_F(TDbFixture, FirstStartAnswerAboutHandlingRecordsIsKept)
{
    // Answered No on a new database, the feature stays off at the next start.
    Rec->Answer = mbNo;
    ASSERT_TRUE(ConnectDatabaseAtStart(NewDm(), *Settings));
    ASSERT_EQ(Rec->Shown.size(), 1u);
    EXPECT_EQ(Settings->ReadText(QStringLiteral("BASIC"), QStringLiteral("USE_ACCEPT")), QStringLiteral("0"));
    Settings->LoadSettings();
    EXPECT_FALSE(Settings->UseAccept);
    // Answered Yes (another new database), it is on at the next start.
    Dm().CloseDatabase();
    QFile::remove(Settings->DefaultDatabaseFile());
    Rec->Answer = mbYes;
    ASSERT_TRUE(ConnectDatabaseAtStart(NewDm(), *Settings));
    Settings->UseAccept = false;
    Settings->LoadSettings();
    EXPECT_TRUE(Settings->UseAccept);
}

TEST_F(TDbFixture, NoQuestionWhenTheProgramLinkIsOn)
{
    SetIni(QStringLiteral("LINK"), QStringLiteral("ENABLED"), QStringLiteral("1"));
    Settings->UseAccept = true;
    NewDm().InitTables();
    EXPECT_TRUE(Rec->Shown.empty());
    EXPECT_TRUE(Settings->UseAccept);
}

TEST_F(TDbFixture, FailingStatementStopsTheRemainingSteps)
{
    const QString name = Root + QStringLiteral("/admin.fdb");
    QStringList tables = DbTest::EarlierBaseTables();
    tables << QStringLiteral("insert into USER_M (USERID, USERNM) values ('admin', 'x')");
    DbTest::CreateDatabase(name, tables);
    SetIni(QStringLiteral("KURUTEN_DB"), QStringLiteral("DB_PATH"), name);
    TdmCmn& dm = NewDm();
    EXPECT_THROW(dm.InitTables(), EDbError);
    // The statement before it stays committed; nothing after it ran.
    EXPECT_EQ(Scalar("select f.RDB$FIELD_LENGTH from RDB$RELATION_FIELDS r join RDB$FIELDS f on r.RDB$FIELD_SOURCE = "
                     "f.RDB$FIELD_NAME where r.RDB$RELATION_NAME = 'CUSTOMER' and r.RDB$FIELD_NAME = 'MAP_URL'"),
              QStringLiteral("600"));
    EXPECT_EQ(Scalar("select count(*) from RDB$RELATIONS where RDB$RELATION_NAME in ('ACCEPT_TYPE', 'ACCOUNT')"),
              QStringLiteral("0"));
    EXPECT_TRUE(Rec->Shown.empty());
}

TEST_F(TDbFixture, PostalLookupFollowsPrefTable)
{
    UseCurrentEmbedded();
    EXPECT_FALSE(Dm().PostalLookup);
    for (const char* sql : {"CREATE TABLE PREF_M (PREF_CD VARCHAR(2), PREF_NAME VARCHAR(20))",
                            "CREATE TABLE CITY_M (CITY_CD VARCHAR(5), CITY_NAME VARCHAR(40))",
                            "CREATE TABLE POST_M (POST_NO VARCHAR(7), AREA_NAME VARCHAR(60), CITY_CD VARCHAR(5), "
                            "PREF_CD VARCHAR(2))",
                            "insert into PREF_M values ('13', '東京都')",
                            "insert into CITY_M values ('13101', '千代田区')",
                            "insert into POST_M values ('1000001', '千代田', '13101', '13')"})
        Dm().ExecSql(QString::fromUtf8(sql));
    TdmCmn& dm = NewDm();
    dm.InitTables();
    EXPECT_TRUE(dm.PostalLookup);
    for (const char* code : {"100-0001", "100－0001", "1000001"})
        EXPECT_EQ(dm.GetPostAddress(QString::fromUtf8(code)), QStringLiteral("東京都千代田区千代田")) << code;
    EXPECT_EQ(dm.GetPostAddress(QStringLiteral("9999999")), QString());
}
