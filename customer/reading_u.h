#pragma once
// The reading of a name: what the input method of the old program reported
// after a conversion, computed here from the text itself with MeCab, so it
// works with any input method and with pasted text.
//
//   Reading::Of("山田太郎")                  -> "ヤマダタロウ"
//   Reading::InKanaType("ヤマダ", 1)         -> "やまだ"
#include <QString>

namespace Reading {
// Full-width katakana reading of text. Kanji variants are read as their
// common form (髙 as 高); characters without a reading (latin letters,
// digits, signs) are kept as given. Without a dictionary the text comes
// back unchanged.
QString Of(const QString& text);
// A katakana reading in the form of COMMON/KANA_TYPE: 0 full-width
// katakana, 1 hiragana, 2 half-width katakana.
QString InKanaType(const QString& katakana, int kanaType);
// Whether the dictionary could be loaded.
bool Available();
}
