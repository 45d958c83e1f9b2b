#include "kb/Cipher.h"

namespace vardelo::kb {

namespace {

constexpr char16_t LineBreakMark = 0x0647;
constexpr char16_t MajorMark = 0x00A9;
constexpr char16_t SecondMark = 0x00B9;

QString buildAlphabet()
{
    QString a;
    for (char16_t c = u'a'; c <= u'z'; ++c)
        a.append(QChar(c));
    for (char16_t c = u'A'; c <= u'Z'; ++c)
        a.append(QChar(c));
    for (char16_t c = u'0'; c <= u'9'; ++c)
        a.append(QChar(c));
    a.append(QStringLiteral("éèêëàâçîïôùû"));
    // Arabic letters and marks, without U+0647, which is the stored line-break mark.
    const char16_t arabic[] = {0x0621, 0x0622, 0x0623, 0x0624, 0x0625, 0x0626, 0x0627, 0x0628, 0x0629, 0x062A,
                               0x062B, 0x062C, 0x062D, 0x062E, 0x062F, 0x0630, 0x0631, 0x0632, 0x0633, 0x0634,
                               0x0635, 0x0636, 0x0637, 0x0638, 0x0639, 0x063A, 0x0641, 0x0642, 0x0643, 0x0644,
                               0x0645, 0x0646, 0x0648, 0x0649, 0x064A, 0x064B, 0x064E, 0x064F, 0x0650};
    for (const char16_t c : arabic)
        a.append(QChar(c));
    a.append(QChar(u' '));
    a.append(QChar(u'\r'));
    a.append(QChar(char16_t(0x200E)));
    a.append(QChar(char16_t(0x200F)));
    a.append(QStringLiteral(".,;:!?"));
    return a;
}

} // namespace

const QString& cipherAlphabet()
{
    static const QString alphabet = buildAlphabet();
    return alphabet;
}

QString RotateAlphabet(const QString& alphabet, const QString& keyChar)
{
    const qsizetype p = keyChar.isEmpty() ? -1 : alphabet.indexOf(keyChar.at(0));
    if (p < 0)
        return alphabet;
    return alphabet.mid(p) + alphabet.left(p);
}

QString CipherText(int reversed, int markers, const QString& key, const QString& text)
{
    if (key.isEmpty())
        return text;
    const QString& alphabet = cipherAlphabet();
    const qsizetype size = alphabet.size();
    QString k = key;
    std::reverse(k.begin(), k.end());
    QString t = text;
    if (reversed == 1)
        std::reverse(t.begin(), t.end());

    QString out;
    out.reserve(t.size());
    qsizetype pos = 1;
    for (const QChar c : std::as_const(t)) {
        if (pos > k.size())
            pos = 1;
        const char16_t u = c.unicode();
        const qsizetype position = alphabet.indexOf(c);
        if (u != MajorMark && u != SecondMark && position >= 0) {
            const qsizetype r = alphabet.indexOf(k.at(pos - 1));
            // A key character outside the alphabet has no rotation: the character passes unchanged.
            if (r < 0)
                out.append(c);
            else
                out.append(alphabet.at(((position - r) % size + size) % size));
        } else if (u != MajorMark && u != SecondMark && u != LineBreakMark) {
            out.append(c);
        }
        ++pos;
        if (u == LineBreakMark) {
            out.append(u'\n');
            if (reversed != 1)
                pos = 1;
        } else if (u == MajorMark) {
            if (reversed == 0)
                pos = 1;
            if (markers == 1)
                out.append(u'*');
        } else if (u == SecondMark) {
            if (reversed == 0)
                pos = 1;
            if (markers == 1)
                out.append(u'+');
        }
    }
    return out;
}

} // namespace vardelo::kb
