#include "comma_text_u.h"

namespace CommaText {

QStringList Split(const QString& text)
{
    QStringList items;
    const qsizetype n = text.size();
    qsizetype p = 0;
    auto blank = [&](qsizetype i) { return i < n && text.at(i).unicode() <= u' '; };
    while (blank(p)) ++p;
    while (p < n) {
        QString item;
        if (text.at(p) == QLatin1Char('"')) {
            ++p;
            while (p < n) {
                if (text.at(p) == QLatin1Char('"')) {
                    if (p + 1 < n && text.at(p + 1) == QLatin1Char('"')) {
                        item += QLatin1Char('"');
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                item += text.at(p++);
            }
        } else {
            const qsizetype start = p;
            while (p < n && text.at(p).unicode() > u' ' && text.at(p) != QLatin1Char(',')) ++p;
            item = text.mid(start, p - start);
        }
        items.append(item);
        while (blank(p)) ++p;
        if (p < n && text.at(p) == QLatin1Char(',')) {
            if (p + 1 >= n) items.append(QString());
            do {
                ++p;
            } while (blank(p));
        }
    }
    return items;
}

QString Join(const QStringList& items)
{
    QStringList out;
    for (const QString& item : items) {
        bool quote = item.isEmpty();
        for (const QChar c : item)
            if (c.unicode() <= u' ' || c == QLatin1Char(',') || c == QLatin1Char('"')) quote = true;
        out << (quote ? QLatin1Char('"') + QString(item).replace(QLatin1String("\""), QLatin1String("\"\"")) +
                            QLatin1Char('"')
                      : item);
    }
    return out.join(QLatin1Char(','));
}

QString Value(const QStringList& items, const QString& name)
{
    for (const QString& item : items) {
        const qsizetype eq = item.indexOf(QLatin1Char('='));
        if (eq >= 0 && item.left(eq).compare(name, Qt::CaseInsensitive) == 0) return item.mid(eq + 1);
    }
    return {};
}

} // namespace CommaText
