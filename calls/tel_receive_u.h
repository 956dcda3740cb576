#pragma once
// The database side of a call: who is calling (phone book, then customer
// data), registering an unknown number, and the call-log rows. The main
// window runs these steps and shows the result.
#include "dm_cmn_u.h"

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>

class TSettings;

class TTelReceive
{
public:
    TTelReceive(TdmCmn& dm, const TSettings& settings);

    // Withheld numbers are looked up and stored as a single space.
    static QString LookupNumber(const QString& telNo);
    // Column sizes in CP932 bytes: TEL_NO of TELS and LOG, CALLER of TELS.
    static constexpr int kTelNoBytes = 30;
    static constexpr int kCallerBytes = 100;
    // The text as a column of maxBytes CP932 bytes holds it: cut at a
    // character boundary, a character with no CP932 form as "?".
    static QString FitColumn(const QString& text, int maxBytes);

    // The caller's own name for the number (a SIP display name that is not
    // a number): stored and shown when the number is not known yet.
    void OfferCallerName(const QString& telNo, const QString& name);
    // The zero call duration as the log writes it.
    static QString ZeroTerm();

    // Phone-book lookup with one reconnection and one retry; a second
    // failure propagates.
    bool GetTelsRetry(const QString& number, TTels& row);

    // Finds the caller's row, upgrading an unknown name once a customer with
    // the number exists, or registers the number with the name found (or the
    // unknown caller's name). lookupNo is what is stored; telNo what the
    // customer lookup for an upgrade uses.
    TTels IdentifyCaller(const QString& telNo, const QString& lookupNo, bool retryLookup);
    // Reads without writing (client copies): an empty row when unknown.
    TTels ReadCaller(const QString& lookupNo);

    int InsertCallLog(const QDateTime& start, const QString& number, const QString& telType, int portNo);

    // Name for the caller panel: phone book, customer data, or unknown.
    QString GetCallerName(const QString& number);

private:
    TTels FindOrRegister(const QString& telNo, const QString& lookupNo, bool retryLookup);
    QString TakeOfferedName(const QString& telNo);
    // A call is never lost to a number too long for its column: it is cut,
    // and the log says so when asked to.
    static QString StoredNumber(const QString& number, bool logCut);

    TdmCmn& FDm;
    const TSettings& FSettings;
    QList<QPair<QString, QString>> FOfferedNames; // number, name; newest last
};
