#include "up_table_u.h"

#include <array>

namespace {
// Wire order of the flags.
constexpr std::array<bool TUpTable::*, TUpTable::kFlagCount> kFlags = {
    &TUpTable::UpLog,      &TUpTable::UpTels,       &TUpTable::UpAccept,
    &TUpTable::UpUser,     &TUpTable::UpActType,    &TUpTable::UpActResult,
    &TUpTable::UpCustOption, &TUpTable::UpCustOptionData, &TUpTable::UpSpare,
};
} // namespace

QString TUpTable::FlagText() const
{
    QString text;
    text.reserve(kFlagCount);
    for (bool TUpTable::*flag : kFlags) text += (this->*flag) ? QLatin1Char('1') : QLatin1Char('0');
    return text;
}

QString TUpTable::ToNotice() const
{
    return MSG_NOT_TEL_HEAD + FlagText();
}

TUpTable TUpTable::FromFlagText(const QString& flags)
{
    TUpTable up;
    if (flags.size() != kFlagCount) return up;
    for (int i = 0; i < kFlagCount; ++i) up.*kFlags[i] = flags.at(i) == QLatin1Char('1');
    return up;
}
