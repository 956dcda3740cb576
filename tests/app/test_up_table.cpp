#include "up_table_u.h"

#include <gtest/gtest.h>

#include <array>

TEST(UpTable, StartsWithNothingToRefreshAndEveryView)
{
    const TUpTable up;
    EXPECT_EQ(up.FlagText(), QStringLiteral("000000000"));
    EXPECT_EQ(up.ToNotice(), QStringLiteral("OTH000000000"));
    EXPECT_TRUE(up.CustTel.isEmpty());
    EXPECT_EQ(up.CustNo, -1);
    EXPECT_EQ(up.ActNo, -1);
}

TEST(UpTable, EachFlagHasItsPlaceOnTheWireAndComesBack)
{
    const std::array<bool TUpTable::*, 9> order = {
        &TUpTable::UpLog,      &TUpTable::UpTels,       &TUpTable::UpAccept,
        &TUpTable::UpUser,     &TUpTable::UpActType,    &TUpTable::UpActResult,
        &TUpTable::UpCustOption, &TUpTable::UpCustOptionData, &TUpTable::UpSpare,
    };
    for (int i = 0; i < 9; ++i) {
        TUpTable up;
        up.*order[i] = true;
        QString expected(9, QLatin1Char('0'));
        expected[i] = QLatin1Char('1');
        EXPECT_EQ(up.FlagText(), expected) << i;
        EXPECT_EQ(TUpTable::FromFlagText(up.FlagText()), up) << i;
    }
}

TEST(UpTable, RebuiltRequestRefreshesEveryViewAndIgnoresWrongLengths)
{
    TUpTable sent;
    sent.UpLog = sent.UpTels = sent.UpSpare = true;
    sent.CustTel = QStringLiteral("0312345678");
    sent.CustNo = 12;
    sent.ActNo = 34;
    const TUpTable got = TUpTable::FromFlagText(sent.FlagText());
    EXPECT_EQ(got.FlagText(), QStringLiteral("110000001"));
    // Number and integers are not carried: the client refreshes every view.
    EXPECT_TRUE(got.CustTel.isEmpty());
    EXPECT_EQ(got.CustNo, -1);
    EXPECT_EQ(got.ActNo, -1);

    for (const QString& flags : {QStringLiteral("11111111"), QStringLiteral("1111111111"), QString(),
                                 QStringLiteral("222x2 2-2")})
        EXPECT_EQ(TUpTable::FromFlagText(flags), TUpTable()) << flags.toStdString();
}
