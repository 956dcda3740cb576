#include "version_u.h"

#include <QStringList>

const TVersion& TVersion::Current()
{
    static const TVersion v = [] {
        TVersion r;
        r.Text = QStringLiteral(KURUTEN_VERSION_TEXT);
        const QStringList parts = r.Text.split(QLatin1Char('.'));
        int* fields[] = {&r.Major, &r.Minor, &r.Release, &r.Build};
        for (int i = 0; i < 4 && i < parts.size(); ++i) *fields[i] = parts[i].toInt();
        return r;
    }();
    return v;
}
