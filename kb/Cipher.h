#pragma once
// The character-substitution cipher through which stored knowledge texts are read. Only the
// deciphering direction exists. With the empty key the text comes back unchanged.

#include <QString>

namespace vardelo::kb {

// 123 distinct characters; only their order matters.
const QString& cipherAlphabet();

// The alphabet rotated to start at the first occurrence of keyChar.
QString RotateAlphabet(const QString& alphabet, const QString& keyChar);

QString CipherText(int reversed, int markers, const QString& key, const QString& text);

} // namespace vardelo::kb
