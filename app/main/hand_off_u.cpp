#include "hand_off_u.h"

#include "comma_text_u.h"

#include <QStringDecoder>

namespace {
const QString kPrefix = QStringLiteral("kuruten:");
}

QString THandOffText::Param(const QString& name) const
{
    return CommaText::Value(Params, name);
}

THandOffText THandOffText::Parse(const QString& text)
{
    THandOffText h;
    if (!text.startsWith(kPrefix, Qt::CaseInsensitive)) {
        h.Number = text;
        return h;
    }
    h.IsCommand = true;
    const QString rest = text.mid(kPrefix.size()).toLower();
    const qsizetype q = rest.indexOf(QLatin1Char('?'));
    h.Command = q < 0 ? rest : rest.left(q);
    QString params = q < 0 ? rest : rest.mid(q + 1);
    params.replace(QLatin1Char('&'), QLatin1Char(','));
    h.Params = CommaText::Split(params);
    return h;
}

bool THandOffText::DecodePacket(const QByteArray& data, QString* text)
{
    const qsizetype nul = data.indexOf('\0');
    const QByteArray bytes = nul < 0 ? data : data.left(nul);
    QStringDecoder dec(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
    const QString s = dec.decode(bytes);
    if (dec.hasError()) return false;
    *text = s;
    return true;
}
