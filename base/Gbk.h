#pragma once
// Text inside the program is QString; every file of the system stores GBK.
// These helpers convert at the file boundary and measure text the way the
// stored formats count it: a character is one byte when ASCII, else two.
#include <QByteArray>
#include <QString>
#include <QStringView>

namespace zq {

// Encodes as GBK. A character GBK cannot hold becomes "?"; *lossy tells.
QByteArray toGbk(QStringView text, bool* lossy = nullptr);
// Decodes GBK. A byte sequence that is not GBK, including a lone lead byte at
// the end, becomes one U+FFFD per character and never reads past the end.
QString fromGbk(QByteArrayView bytes);

// Bytes a character takes in GBK (1 for ASCII, else 2).
inline int gbkWidth(char32_t c) { return c < 0x80 ? 1 : 2; }
// GBK byte length of a whole text.
int gbkLength(QStringView text);

// Index just past the character starting at i (a surrogate pair is one character).
qsizetype nextChar(QStringView text, qsizetype i);
// Splits a text into its characters, in order.
QStringList characters(QStringView text);
// The longest prefix of whole characters whose GBK length is at most maxBytes.
QString leftBytes(QStringView text, int maxBytes);

// ASCII-only case folding: other characters are left as they are.
QString asciiUpper(QStringView text);
QString asciiLower(QStringView text);
bool sameTextAscii(QStringView a, QStringView b);

} // namespace zq
