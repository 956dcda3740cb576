#include "cp932_u.h"
#include "ini_file_u.h"
#include "env_test_util.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

namespace {
QString WriteRaw(const QByteArray& bytes)
{
    const QString path = TestEnv::FreshDataRoot() + QStringLiteral("/t.ini");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

QByteArray ReadRaw(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}
} // namespace

TEST(IniFile, ReadsAsProfileFunctionsDo)
{
    // BOM, CRLF, garbage lines, duplicate keys and sections, comments.
    const QString path = WriteRaw("\xEF\xBB\xBF"
                                  "garbage before any section\r\n"
                                  "[Basic]\r\n"
                                  "  Jouchu = 1 \r\n"
                                  "JOUCHU=2\r\n"
                                  "no equals sign here\r\n"
                                  ";FOOT=comment\r\n"
                                  "EMPTY=\r\n"
                                  "LIST=\"a b\",c,d\r\n"
                                  "[basic]\r\n"
                                  "OTHER=x\r\n"
                                  "[SPEAK]\r\n"
                                  "FOOT=、です\r\n");
    TIniFile ini(path);
    struct Case { const char* section; const char* key; QString expected; };
    const Case cases[] = {
        {"BASIC", "JOUCHU", "1"},          // names without letter case, first entry wins
        {"basic", "jouchu", "1"},
        {"BASIC", "EMPTY", ""},            // present but empty
        {"BASIC", "LIST", "\"a b\",c,d"},  // comma text kept as text
        {"BASIC", "OTHER", "<def>"},       // a later duplicate section is not read
        {"BASIC", ";FOOT", "<def>"},
        {"SPEAK", "FOOT", QStringLiteral("、です")},
        {"MISSING", "KEY", "<def>"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini.ReadString(c.section, c.key, QStringLiteral("<def>")), c.expected) << c.section << "/" << c.key;
    EXPECT_TRUE(ini.ValueExists("BASIC", "EMPTY"));
    EXPECT_FALSE(ini.ValueExists("BASIC", "NOPE"));
}

TEST(IniFile, WritesInPlaceKeepingTheRestOfTheFile)
{
    const QString path = WriteRaw("\xEF\xBB\xBF[A]\r\nKey=old\r\nKeep=1\r\n\r\n[B]\r\nX=1\r\n");
    TIniFile ini(path);
    ini.WriteString("a", "KEY", "new");
    ini.WriteString("A", "Added", "");      // an empty value is an entry, not a removal
    ini.WriteString("C", "New", "v,w x");
    ini.WriteString("B", "Multi", "line1\nline2"); // one entry, never two lines
    EXPECT_EQ(ReadRaw(path), QByteArray("\xEF\xBB\xBF[A]\r\nKey=new\r\nKeep=1\r\nAdded=\r\n\r\n[B]\r\nX=1\r\n"
                                        "Multi=line1 line2\r\n[C]\r\nNew=v,w x\r\n"));
    EXPECT_EQ(ini.ReadString("A", "ADDED", "<def>"), QString());
}

TEST(IniFile, CreatesFileOnFirstWriteAndKeepsLfFiles)
{
    const QString dir = TestEnv::FreshDataRoot();
    TIniFile ini(dir + "/new.ini");
    EXPECT_EQ(ini.ReadString("X", "Y", "d"), "d");
    ini.WriteString("HANDLE", "MAIN_FORM", "12345");
    EXPECT_EQ(ReadRaw(dir + "/new.ini"), QByteArray("[HANDLE]\nMAIN_FORM=12345\n"));

    // Every read goes to the file: an outside edit is seen at once.
    QFile f(dir + "/new.ini");
    f.open(QIODevice::WriteOnly);
    f.write("[HANDLE]\nMAIN_FORM=999\n");
    f.close();
    EXPECT_EQ(ini.ReadString("HANDLE", "MAIN_FORM"), "999");
}

TEST(IniFile, UnwritableFileIsAnError)
{
    // A plain file where the folder should be: fails even for root.
    const QString dir = TestEnv::FreshDataRoot();
    QFile blocker(dir + "/notadir");
    blocker.open(QIODevice::WriteOnly);
    blocker.close();
    TIniFile ini(dir + "/notadir/x.ini");
    EXPECT_THROW(ini.WriteString("A", "B", "C"), std::runtime_error);
    EXPECT_EQ(ini.ReadString("A", "B", "d"), "d");
}

TEST(IniFile, WindowsCodePageFileIsReadAndWrittenBackInCp932)
{
    // Written on Windows: CP932 bytes, CRLF.
    const QByteArray original = "[CALLER]\r\nUNKNOWN_NAME=" + Cp932::Encode(QStringLiteral("不明な発信者")) +
                                "\r\n[SPEAK]\r\nFOOT=" + Cp932::Encode(QStringLiteral("、です")) + "\r\n";
    ASSERT_FALSE(QString::fromUtf8(original).toUtf8() == original); // really not UTF-8
    const QString path = WriteRaw(original);
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("CALLER", "UNKNOWN_NAME"), QStringLiteral("不明な発信者"));
    EXPECT_EQ(ini.ReadString("speak", "foot"), QStringLiteral("、です"));

    ini.WriteString("CALLER", "UNKNOWN_KANA", QStringLiteral("ふめいなはっしんしゃ"));
    ini.WriteString("SPEAK", "FOOT", QStringLiteral("様〜です"));
    EXPECT_EQ(ReadRaw(path), "[CALLER]\r\nUNKNOWN_NAME=" + Cp932::Encode(QStringLiteral("不明な発信者")) +
                                 "\r\nUNKNOWN_KANA=" + Cp932::Encode(QStringLiteral("ふめいなはっしんしゃ")) +
                                 "\r\n[SPEAK]\r\nFOOT=" + Cp932::Encode(QStringLiteral("様〜です")) + "\r\n");
    EXPECT_EQ(ini.ReadString("CALLER", "UNKNOWN_KANA"), QStringLiteral("ふめいなはっしんしゃ"));

    // A character CP932 lacks is refused and the file stays as it was.
    const QByteArray before = ReadRaw(path);
    EXPECT_THROW(ini.WriteString("SPEAK", "FOOT", QStringLiteral("한국")), std::runtime_error);
    EXPECT_EQ(ReadRaw(path), before);

    // A UTF-8 file stays UTF-8.
    const QString utf8 = WriteRaw(QStringLiteral("[CALLER]\nUNKNOWN_NAME=不明\n").toUtf8());
    TIniFile u(utf8);
    u.WriteString("CALLER", "UNKNOWN_KANA", QStringLiteral("ふめい"));
    EXPECT_EQ(ReadRaw(utf8), QStringLiteral("[CALLER]\nUNKNOWN_NAME=不明\nUNKNOWN_KANA=ふめい\n").toUtf8());
}
