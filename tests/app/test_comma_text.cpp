#include "comma_text_u.h"

#include <gtest/gtest.h>

TEST(CommaText, SplitsAsTheOlderProgramsDo)
{
    const std::pair<QString, QStringList> cases[] = {
        {"", {}},
        {"a,b,c", {"a", "b", "c"}},
        {"  a , b ", {"a", "b"}},
        {"a b,c", {"a", "b", "c"}},                   // unquoted blanks separate too
        {"\"a b\",c", {"a b", "c"}},                  // quotes group
        {"\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}},
        {"a,,b", {"a", "", "b"}},
        {"a,", {"a", ""}},
        {"\"open", {"open"}},                         // an unclosed quote runs to the end
        {"telno=0312345678,x=1", {"telno=0312345678", "x=1"}},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(CommaText::Split(text), expected) << text.toStdString();
}

TEST(CommaText, ValueByNameWithoutLetterCase)
{
    const QStringList items = {"telno=03", "TelNo=04", "x"};
    EXPECT_EQ(CommaText::Value(items, "TELNO"), "03");
    EXPECT_EQ(CommaText::Value(items, "x"), QString());
}

TEST(CommaText, JoinQuotesWhatSplitWouldCut)
{
    const std::pair<QStringList, QString> cases[] = {
        {{}, ""},
        {{"a", "b"}, "a,b"},
        {{"a b", "c,d"}, "\"a b\",\"c,d\""},
        {{"say \"hi\""}, "\"say \"\"hi\"\"\""},
        {{"", "x"}, "\"\",x"},
        {{QStringLiteral("見積 100%")}, QStringLiteral("\"見積 100%\"")},
    };
    for (const auto& [items, text] : cases) {
        EXPECT_EQ(CommaText::Join(items), text) << text.toStdString();
        EXPECT_EQ(CommaText::Split(CommaText::Join(items)), items) << text.toStdString();
    }
}
