#include "tel_receive_u.h"

#include "errors_u.h"
#include "log_u.h"
#include "settings_u.h"

TTelReceive::TTelReceive(TdmCmn& dm, const TSettings& settings) : FDm(dm), FSettings(settings) {}

QString TTelReceive::LookupNumber(const QString& telNo)
{
    return telNo.isEmpty() ? QStringLiteral(" ") : telNo;
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
    if (!GetTelsRetry(lookupNo, row)) row = TTels();
    return row;
}

TTels TTelReceive::IdentifyCaller(const QString& telNo, const QString& lookupNo, bool retryLookup)
{
    const TTels row = FindOrRegister(telNo, lookupNo, retryLookup);
    Log::Detail(QStringLiteral("CustTelNon=") + row.CUST_TEL_NON + QStringLiteral(", Caller=") + row.CALLER +
                QStringLiteral(", ReadName=") + row.READ_NAME);
    return row;
}

TTels TTelReceive::FindOrRegister(const QString& telNo, const QString& lookupNo, bool retryLookup)
{
    TTels row;
    const bool found = retryLookup ? GetTelsRetry(lookupNo, row) : FDm.GetTels(lookupNo, row);
    if (found) {
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
    if (!known) {
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
    log.TEL_NO = number;
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
    if (FDm.GetTels(number, row)) return row.CALLER;
    QString name, kana;
    if (FDm.GetCustInfo(number, name, kana)) return name;
    return FSettings.UnknownName;
}
