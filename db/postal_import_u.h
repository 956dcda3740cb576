#pragma once
// Postal data from the national postal-code file (KEN_ALL.CSV as Japan Post
// publishes it: CP932, 15 columns, one line per area, long area names
// continued on further lines of the same code) into the three tables the
// postal lookup reads: PREF_M, CITY_M and POST_M.
//
//   TPostalImport imp;
//   imp.Parse(path);                  // whole file first; EPostalFormat on a bad line
//   imp.Store(dm);                    // one transaction, earlier rows replaced
#include "errors_u.h"

#include <QList>
#include <QString>
#include <functional>

class TdmCmn;

// A line of the file that is not in the published form; nothing is stored.
class EPostalFormat : public EKuruten
{
public:
    EPostalFormat(int line, const QString& why);
    int Line;
};

struct TPostalRow
{
    QString PostNo;   // seven digits
    QString PrefCd;   // two digits
    QString CityCd;   // five digits (local government code)
    QString PrefName;
    QString CityName;
    QString AreaName; // empty where the code stands for the whole city or several areas
};

class TPostalImport
{
public:
    // Called now and then with the lines read (or rows stored) and the total.
    std::function<void(int done, int total)> OnProgress;

    // Reads and checks the whole file. Throws EPostalFormat naming the first
    // bad line, or EKuruten when the file cannot be read.
    void Parse(const QString& path);
    void ParseBytes(const QByteArray& data);
    // Creates the tables when missing, then replaces their rows in one
    // transaction. The data module offers the lookup afterwards.
    void Store(TdmCmn& dm);

    const QList<TPostalRow>& Rows() const { return FRows; }
    int Lines() const { return FLines; }
    // The area as the lookup shows it: notes in full-width parentheses and
    // the file's stand-ins for "no area" removed.
    static QString CleanArea(const QString& area);

private:
    QList<TPostalRow> FRows;
    int FLines = 0;
};
