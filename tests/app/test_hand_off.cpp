#include "hand_off_u.h"

#include <gtest/gtest.h>

TEST(HandOffText, PlainNumbersAndCommands)
{
    struct Case { QString text; bool command; QString number; QString name; QString telNo; };
    const Case cases[] = {
        {"0312345678", false, "0312345678", "", ""},
        {"", false, "", "", ""},
        {"03 1234'5678", false, "03 1234'5678", "", ""},           // kept as given
        {"kuruten:Dial?TelNo=0312345678", true, "", "dial", "0312345678"},
        {"KURUTEN:DIAL?TELNO=0312345678", true, "", "dial", "0312345678"},
        {"kuruten:dial?x=1&telno=\"03 12\"", true, "", "dial", "\"03"},  // a quote inside an item does not group
        {"kuruten:dial?x=1&\"telno=03 12\"", true, "", "dial", "03 12"},
        {"kuruten:hangup", true, "", "hangup", ""},
        {"kuruten:IncAcceptCall", true, "", "incacceptcall", ""},
        {"kuruten:unknown?a=b", true, "", "unknown", ""},
        {"xkuruten:dial", false, "xkuruten:dial", "", ""},
    };
    for (const Case& c : cases) {
        const THandOffText h = THandOffText::Parse(c.text);
        EXPECT_EQ(h.IsCommand, c.command) << c.text.toStdString();
        EXPECT_EQ(h.Number, c.number) << c.text.toStdString();
        EXPECT_EQ(h.Command, c.name) << c.text.toStdString();
        EXPECT_EQ(h.Param("TelNo"), c.telNo) << c.text.toStdString();
    }
}

TEST(HandOffText, PacketBytes)
{
    QString text;
    EXPECT_TRUE(THandOffText::DecodePacket(QByteArray("0312\0garbage", 12), &text));
    EXPECT_EQ(text, "0312");
    EXPECT_TRUE(THandOffText::DecodePacket(QStringLiteral("電話").toUtf8(), &text));
    EXPECT_EQ(text, QStringLiteral("電話"));
    EXPECT_FALSE(THandOffText::DecodePacket(QByteArray("\xff\xfe\x80"), &text));
}
