// The reading of names, computed with MeCab from the text itself.
#include "reading_u.h"

#include <gtest/gtest.h>

TEST(Reading, NamesAndTextWithoutReading)
{
    ASSERT_TRUE(Reading::Available());
    struct Case { const char* text; const char* reading; } cases[] = {
        {"山田太郎", "ヤマダタロウ"},
        {"髙橋商店", "タカハシショウテン"},      // variant kanji read as the common form
        {"株式会社日本電気", "カブシキガイシャニホンデンキ"},
        {"﨑山", "サキヤマ"},
        {"さくら", "サクラ"},
        {"ｻｸﾗ", "サクラ"},                       // half-width katakana
        {"ABC商事", "ABCショウジ"},              // latin letters stay as typed
        {"Smith & Co.", "Smith & Co."},
        {"ＮＥＣ", "ＮＥＣ"},
        {"第3営業部", "ダイ3エイギョウブ"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Reading::Of(QString::fromUtf8(c.text)), QString::fromUtf8(c.reading)) << c.text;
}

TEST(Reading, KanaTypes)
{
    struct Case { int type; const char* out; } cases[] = {
        {0, "ヤマダタロウ ABC"}, {1, "やまだたろう ABC"}, {2, "ﾔﾏﾀﾞﾀﾛｳ ABC"}, {9, "ヤマダタロウ ABC"}};
    for (const Case& c : cases)
        EXPECT_EQ(Reading::InKanaType(QStringLiteral("ヤマダタロウ ABC"), c.type), QString::fromUtf8(c.out)) << c.type;
}
