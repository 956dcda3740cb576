// The national postal-code file into PREF_M, CITY_M and POST_M, and the
// lookup on it; from the library and from the command line.
#include "cust_fixture.h"
#include "postal_import_u.h"

#include <QProcess>
#include <QTemporaryDir>

namespace {
QString Sample()
{
    return TestEnv::SourceDir() + "/tests/customer/data/ken_all_sample.csv";
}

QByteArray SampleBytes()
{
    QFile f(Sample());
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}
} // namespace

TEST(Postal, ImportAndLookup)
{
    TCustFixture f;
    ASSERT_TRUE(f.started);
    EXPECT_FALSE(f.dm->PostalLookup);
    TPostalImport imp;
    int lastDone = 0;
    imp.OnProgress = [&](int done, int) { lastDone = done; };
    imp.Parse(Sample());
    EXPECT_EQ(imp.Lines(), 13);
    EXPECT_EQ(lastDone, 13);
    imp.Store(*f.dm);
    EXPECT_TRUE(f.dm->PostalLookup);
    EXPECT_EQ(f.Count("select count(*) from POST_M"), 10); // continued and repeated codes once each
    EXPECT_EQ(f.Count("select count(*) from CITY_M"), 7);
    EXPECT_EQ(f.Count("select count(*) from PREF_M"), 5);
    struct Case { const char* code; const char* address; } cases[] = {
        {"1000005", "東京都千代田区丸の内"},     // the note in parentheses is not part of the address
        {"100-0005", "東京都千代田区丸の内"},
        {"100－0005", "東京都千代田区丸の内"},
        {"0660005", "北海道千歳市協和"},          // an area name continued over three lines
        {"0600000", "北海道札幌市中央区"},        // "以下に掲載がない場合"
        {"3890100", "長野県北佐久郡軽井沢町"},    // "…一円"
        {"4520961", "愛知県清須市"},              // one code, two areas
        {"0640941", "北海道札幌市中央区旭ケ丘"},
        {"9999999", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(f.dm->GetPostAddress(QString::fromUtf8(c.code)), QString::fromUtf8(c.address)) << c.code;

    // Importing again replaces the rows; a bad line changes nothing.
    TPostalImport one;
    one.ParseBytes(SampleBytes().split('\n').at(6).trimmed() + "\r\n");
    one.Store(*f.dm);
    EXPECT_EQ(f.Count("select count(*) from POST_M"), 1);
    QByteArray bad = SampleBytes();
    bad.replace("\"1000005\"", "\"100005\"");
    TPostalImport broken;
    try {
        broken.ParseBytes(bad);
        FAIL() << "a bad line was accepted";
    } catch (const EPostalFormat& e) {
        EXPECT_EQ(e.Line, 8);
        EXPECT_EQ(e.Message, QStringLiteral("8行目: 郵便番号が7桁の数字ではありません。"));
    }
    for (const QByteArray& line : {QByteArray("01101,\"060\",\"0600000\"\r\n"), QByteArray("\x82\r\n")}) {
        TPostalImport p;
        EXPECT_THROW(p.ParseBytes(line), EPostalFormat);
    }
    EXPECT_EQ(f.Count("select count(*) from POST_M"), 1);
}

TEST(Postal, CommandLine)
{
    const QString root = TestEnv::FreshDataRoot();
    QTemporaryDir dir;
    QFile bad(dir.filePath("bad.csv"));
    bad.open(QIODevice::WriteOnly);
    bad.write(SampleBytes() + "13101,\"100  \",\"1000006\",\"x\",\"y\",\"z\",\"Tokyo\",\"Chiyoda\",\"Yurakucho\",0,0\r\n");
    bad.close();
    auto run = [&](const QStringList& args, QString* err) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("KURUTEN_COMMON_APPDATA", root);
        env.remove("DISPLAY");
        p.setProcessEnvironment(env);
        p.start(TestEnv::ProgramPath(), args);
        p.waitForFinished(120000);
        *err = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitCode();
    };
    QString err;
    EXPECT_EQ(run({"--import-postal", dir.filePath("bad.csv")}, &err), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("14行目: 列の数が11です(15列のはずです)。"))) << err.toStdString();
    EXPECT_EQ(run({"--import-postal", Sample()}, &err), 0);
    EXPECT_TRUE(err.contains(QStringLiteral("郵便番号データ 登録: "))) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("13行から郵便番号10件を登録しました。"))) << err.toStdString();
    EXPECT_EQ(run({"--import-postal"}, &err), 1);
    EXPECT_TRUE(err.contains("--import-postal"));
}
