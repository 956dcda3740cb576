#include "reading_u.h"

#include "log_u.h"

#include <QHash>
#include <QStringList>
#include <mecab.h>
#include <memory>
#include <unicode/translit.h>
#include <unicode/unistr.h>

namespace {
// Kanji variants that are usual in names but absent from the dictionary,
// mapped to the common form it knows.
const QHash<QChar, QChar>& Variants()
{
    static const QHash<QChar, QChar> map = [] {
        const char16_t* pairs[] = {u"髙高", u"﨑崎", u"嵜崎", u"德徳", u"濵浜", u"濱浜", u"邉辺", u"邊辺",
                                   u"齋斎", u"齊斉", u"嶋島", u"嶌島", u"栁柳", u"櫻桜", u"國国", u"澤沢",
                                   u"廣広", u"眞真", u"實実", u"藏蔵", u"惠恵", u"淺浅", u"瀨瀬", u"冨富",
                                   u"槗橋", u"桒桑", u"峯峰", u"增増", u"曻昇", u"傳伝", u"壽寿"};
        QHash<QChar, QChar> m;
        for (const char16_t* p : pairs) {
            const QString s = QString::fromUtf16(p);
            m.insert(s.at(0), s.at(1));
        }
        return m;
    }();
    return map;
}

QString CommonForms(QString text)
{
    // 𠮷 lies outside the basic plane: one pair of surrogates.
    text.replace(QString::fromUtf16(u"𠮷"), QStringLiteral("吉"));
    for (QChar& c : text) c = Variants().value(c, c);
    return text;
}

// Kanji, kana and the marks used inside Japanese words: the characters
// MeCab is asked about. Everything else is kept as typed.
bool NeedsReading(const QString& text, qsizetype i)
{
    const char16_t c = text.at(i).unicode();
    if (QChar::isHighSurrogate(c) || QChar::isLowSurrogate(c)) return true; // CJK extension B and later
    return (c >= 0x3040 && c <= 0x30FF) || (c >= 0x31F0 && c <= 0x31FF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF66 && c <= 0xFF9F) ||
           c == 0x3005 || c == 0x3006 || c == 0x3007;
}

QString Transliterate(const QString& text, const char* id)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Transliterator> t(
        icu::Transliterator::createInstance(icu::UnicodeString::fromUTF8(id), UTRANS_FORWARD, status));
    if (U_FAILURE(status) || !t) return text;
    icu::UnicodeString u(reinterpret_cast<const UChar*>(text.utf16()), int32_t(text.size()));
    t->transliterate(u);
    return QString(reinterpret_cast<const QChar*>(u.getBuffer()), u.length());
}

class TTagger
{
public:
    static TTagger& Instance()
    {
        static TTagger t;
        return t;
    }
    bool Ok() const { return FTagger != nullptr; }

    // Katakana reading of a run of Japanese text.
    QString Read(const QString& run)
    {
        const QByteArray utf8 = run.toUtf8();
        QString out;
        for (const MeCab::Node* n = FTagger->parseToNode(utf8.constData(), utf8.size()); n; n = n->next) {
            if (n->stat == MECAB_BOS_NODE || n->stat == MECAB_EOS_NODE) continue;
            const QString surface = QString::fromUtf8(n->surface, int(n->length));
            // Features: part of speech (6 fields), base form, reading, pronunciation.
            const QStringList f = QString::fromUtf8(n->feature).split(QLatin1Char(','));
            const QString reading = f.size() > 7 ? f.at(7) : QString();
            out += (reading.isEmpty() || reading == QLatin1String("*")) ? Transliterate(surface, "Hiragana-Katakana")
                                                                          : reading;
        }
        return out;
    }

private:
    TTagger()
    {
        // /etc/mecabrc names the dictionary; the Debian one as a fall-back.
        FTagger.reset(MeCab::createTagger(""));
        if (!FTagger) FTagger.reset(MeCab::createTagger("-d /var/lib/mecab/dic/ipadic-utf8"));
        if (!FTagger) Log::Always(QStringLiteral("MeCab: ") + QString::fromUtf8(MeCab::getTaggerError()));
    }
    std::unique_ptr<MeCab::Tagger> FTagger;
};
} // namespace

namespace Reading {

bool Available()
{
    return TTagger::Instance().Ok();
}

QString Of(const QString& text)
{
    TTagger& tagger = TTagger::Instance();
    if (!tagger.Ok()) return text;
    QString out;
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype j = i;
        const bool japanese = NeedsReading(text, i);
        while (j < text.size() && NeedsReading(text, j) == japanese) ++j;
        const QString run = text.mid(i, j - i);
        out += japanese ? tagger.Read(CommonForms(run).normalized(QString::NormalizationForm_KC)) : run;
        i = j;
    }
    return out;
}

QString InKanaType(const QString& katakana, int kanaType)
{
    switch (kanaType) {
    case 1: return Transliterate(katakana, "Katakana-Hiragana");
    case 2: return Transliterate(katakana, "Fullwidth-Halfwidth");
    default: return katakana;
    }
}
} // namespace Reading
