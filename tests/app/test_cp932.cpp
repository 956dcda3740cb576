#include "cp932_u.h"

#include <gtest/gtest.h>

TEST(Cp932, ErrorNamesTheFirstCharacterWithoutACp932Form)
{
    struct Case { QString text; QString bad; QString message; };
    const Case cases[] = {
        {QStringLiteral("山田한국"), QStringLiteral("한"), QStringLiteral("文字「한」(U+D55C)はShift-JIS(CP932)で保存できません。")},
        {QStringLiteral("café"), QStringLiteral("é"), QStringLiteral("文字「é」(U+00E9)はShift-JIS(CP932)で保存できません。")},
        {QStringLiteral("価格€"), QStringLiteral("€"), QStringLiteral("文字「€」(U+20AC)はShift-JIS(CP932)で保存できません。")},
        {QStringLiteral("ｱ") + QString::fromUtf8("\xF0\x9F\x98\x80"), QString::fromUtf8("\xF0\x9F\x98\x80"),
         QStringLiteral("文字「") + QString::fromUtf8("\xF0\x9F\x98\x80") + QStringLiteral("」(U+1F600)はShift-JIS(CP932)で保存できません。")},
        {QStringLiteral("番号") + QChar(0xFFFD), QString(QChar(0xFFFD)), QStringLiteral("文字「\uFFFD」(U+FFFD)はShift-JIS(CP932)で保存できません。")},
    };
    for (const Case& c : cases) {
        QByteArray out;
        QString bad;
        EXPECT_FALSE(Cp932::TryEncode(c.text, &out, &bad)) << c.text.toStdString();
        EXPECT_EQ(bad, c.bad) << c.text.toStdString();
        try {
            Cp932::Encode(c.text);
            ADD_FAILURE() << "encoded " << c.text.toStdString();
        } catch (const ECp932Error& e) {
            EXPECT_EQ(e.BadChar, c.bad);
            EXPECT_EQ(QString::fromUtf8(e.what()), c.message);
        }
    }
    // Text with a CP932 form (the Windows forms of 〜 and − included) encodes.
    EXPECT_EQ(Cp932::Encode(QStringLiteral("〜−ｱ")), QByteArray::fromHex("8160817cb1"));
}
