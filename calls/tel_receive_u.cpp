#include "tel_receive_u.h"

#include "cp932_u.h"
#include "errors_u.h"
#include "log_u.h"
#include "settings_u.h"

TTelReceive::TTelReceive(TdmCmn& dm, const TSettings& settings) : FDm(dm), FSettings(settings) {}

QString TTelReceive::LookupNumber(const QString& telNo)
{
    return telNo.isEmpty() ? QStringLiteral(" ") : telNo;
}

QString TTelReceive::FitColumn(const QString& text, int maxBytes)
{
    const qsizetype whole = Cp932::ByteLength(text);
    if (whole >= 0 && whole <= maxBytes) return text;
    QString fitted;
    int bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString ch = text.mid(i, n);
        i += n - 1;
        // A character without a CP932 form stays: the write then names it.
        qsizetype size = Cp932::ByteLength(ch);
        if (size < 0) size = 2;
        if (bytes + size > maxBytes) break;
        fitted += ch;
        bytes += static_cast<int>(size);
    }
    return fitted;
}

QString TTelReceive::StoredNumber(const QString& number, bool logCut)
{
    const QString fitted = FitColumn(number, kTelNoBytes);
    if (logCut && fitted != number)
        Log::Always(QStringLiteral("TTelReceive: 電話番号を %1 バイトに切り詰めて記録します TelNo=%2 記録=%3")
                        .arg(kTelNoBytes)
                        .arg(number, fitted));
    return fitted;
}

void TTelReceive::OfferCallerName(const QString& telNo, const QString& name)
{
    // Names not taken (a client copy registers nothing) are not kept long.
    constexpr int kKept = 32;
    for (qsizetype i = 0; i < FOfferedNames.size(); ++i)
        if (FOfferedNames[i].first == telNo) {
            FOfferedNames.removeAt(i);
            break;
        }
    // A name is only shown and stored: what CP932 cannot hold becomes "?".
    QString safe;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const qsizetype n = name.at(i).isHighSurrogate() && i + 1 < name.size() ? 2 : 1;
        const QString ch = name.mid(i, n);
        i += n - 1;
        safe += Cp932::ByteLength(ch) < 0 ? QStringLiteral("?") : ch;
    }
    FOfferedNames.append({telNo, FitColumn(safe, kCallerBytes)});
    while (FOfferedNames.size() > kKept) FOfferedNames.removeFirst();
}

QString TTelReceive::TakeOfferedName(const QString& telNo)
{
    for (qsizetype i = 0; i < FOfferedNames.size(); ++i)
        if (FOfferedNames[i].first == telNo) return FOfferedNames.takeAt(i).second;
    return {};
}

QString TTelReceive::ZeroTerm()
{
    return QStringLiteral("0:00:00");
}

bool TTelReceive::GetTelsRetry(const QString& number, TTels& row)
{
    try {
        return FDm.GetTels(number, row);
    } catch (const EKuruten& e) {
        FDm.ReDBConnect(e.Message);
    }
    return FDm.GetTels(number, row);
}

TTels TTelReceive::ReadCaller(const QString& lookupNo)
{
    TTels row;
    if (!GetTelsRetry(StoredNumber(lookupNo, false), row)) {
        row = TTels();
        row.CALLER = TakeOfferedName(lookupNo);
    }
    return row;
}

TTels TTelReceive::IdentifyCaller(const QString& telNo, const QString& lookupNo, bool retryLookup)
{
    const TTels row = FindOrRegister(telNo, lookupNo, retryLookup);
    Log::Detail(QStringLiteral("CustTelNon=") + row.CUST_TEL_NON + QStringLiteral(", Caller=") + row.CALLER +
                QStringLiteral(", ReadName=") + row.READ_NAME);
    return row;
}

TTels TTelReceive::FindOrRegister(const QString& telNo, const QString& submittedNo, bool retryLookup)
{
    const QString offered = TakeOfferedName(telNo);
    const QString lookupNo = StoredNumber(submittedNo, false);
    TTels row;
    const bool found = retryLookup ? GetTelsRetry(lookupNo, row) : FDm.GetTels(lookupNo, row);
    if (found) {
        if (row.CALLER == FSettings.UnknownName && !offered.isEmpty()) {
            // Known so far only as unknown: the caller said who it is.
            try {
                QString name, kana;
                if (!FDm.GetCustInfo(telNo, name, kana)) {
                    row.CALLER = offered;
                    row.READ_NAME.clear();
                    FDm.UpdateTels(row);
                }
            } catch (const std::exception&) {
                // The row stays as it was; the call goes on.
            }
        }
        if (row.CALLER == FSettings.UnknownName) {
            try {
                QString name, kana;
                if (FDm.GetCustInfo(telNo, name, kana)) {
                    TTels upgraded = row;
                    upgraded.TEL_NO = telNo;
                    upgraded.CUST_TEL_NON = telNo;
                    upgraded.CALLER = name;
                    upgraded.READ_NAME = kana;
                    FDm.UpdateTels(upgraded);
                    row = upgraded;
                }
            } catch (const std::exception&) {
                // The row stays as it was; the call goes on.
            }
        }
        return row;
    }

    Log::Detail(QStringLiteral("not found tel"));
    QString name, kana;
    bool known = false;
    try {
        known = FDm.GetCustInfo(lookupNo, name, kana);
    } catch (const std::exception&) {
        known = false;
    }
    if (!known && !offered.isEmpty()) {
        // The caller's own name; its reading is not known.
        name = offered;
        kana.clear();
    } else if (!known) {
        name = FSettings.UnknownName;
        kana = FSettings.UnknownKana;
    }
    row.TEL_NO = lookupNo;
    row.CUST_TEL_NON = lookupNo;
    row.CALLER = name;
    row.READ_NAME = kana;
    // Another copy may have registered the number a moment ago: take its row.
    if (!FDm.InsertTels(row)) {
        TTels existing;
        if (FDm.GetTels(lookupNo, existing)) row = existing;
    }
    return row;
}

int TTelReceive::InsertCallLog(const QDateTime& start, const QString& number, const QString& telType, int portNo)
{
    TdmCmn::TLog log;
    log.DT_FROM = start;
    log.TEL_NO = StoredNumber(number, true);
    log.TEL_TYPE = telType;
    log.TEL_TERM = ZeroTerm();
    log.TEL_TIME = 0;
    log.PORT_NO = portNo;
    return FDm.InsertLog(log);
}

QString TTelReceive::GetCallerName(const QString& number)
{
    Log::Detail(QStringLiteral("GetCallerName TelNo=") + number);
    if (number.isEmpty()) return {};
    TTels row;
    if (FDm.GetTels(StoredNumber(number, false), row)) return row.CALLER;
    QString name, kana;
    if (FDm.GetCustInfo(number, name, kana)) return name;
    return FSettings.UnknownName;
}
