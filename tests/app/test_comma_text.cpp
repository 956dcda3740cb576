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
