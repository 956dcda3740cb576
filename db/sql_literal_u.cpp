#include "sql_literal_u.h"

#include "fb_u.h"

QString SqlQuote(const QString& text)
{
    QString s = text;
    s.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

bool IsSqlInteger(const QString& text)
{
    bool ok = false;
    text.toLongLong(&ok);
    // toLongLong accepts surrounding blanks; SQL text gets none of them.
    return ok && text == text.trimmed();
}

QString SqlQuoteName(const QString& name, const QString& quote)
{
    if (quote.isEmpty()) return name;
    const QChar q = quote.at(0);
    return q + QString(name).replace(q, QString(2, q)) + q;
}

QString SqlValueOrNull(const QString& text)
{
    if (text.isEmpty()) return QStringLiteral("null");
    if (!IsSqlInteger(text)) throw EDbError(QStringLiteral("数値ではありません: %1").arg(text));
    return text;
}

QString SqlDate(const QDateTime& dt)
{
    return SqlQuote(dt.toString(QStringLiteral("yyyy/MM/dd")));
}

QString SqlDateTime(const QDateTime& dt)
{
    return SqlQuote(dt.toString(QStringLiteral("yyyy/MM/dd HH:mm:ss")));
}

QString SqlDateOrNull(const QDateTime& dt)
{
    return dt.isValid() ? SqlDate(dt) : QStringLiteral("null");
}

QString SqlDateTimeOrNull(const QDateTime& dt)
{
    return dt.isValid() ? SqlDateTime(dt) : QStringLiteral("null");
}

QString SqlFloat(double v)
{
    if (v == 0) return QStringLiteral("0");
    return QString::number(v, 'g', 15);
}

QString SqlFlag(bool on)
{
    return SqlQuote(on ? QStringLiteral("1") : QStringLiteral("0"));
}

QString StripHyphen(const QString& number)
{
    QString s = number;
    s.remove(QLatin1Char('-'));
    return s;
}

