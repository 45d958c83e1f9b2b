#include "kb/Cipher.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace vardelo::kb;

namespace {

const QString& A = cipherAlphabet();

TEST(Cipher, AlphabetMakeUp)
{
    EXPECT_EQ(A.size(), 123);
    EXPECT_EQ(QSet<QChar>(A.begin(), A.end()).size(), 123);
    for (const char16_t c : {char16_t(0x0647), char16_t(0x00A9), char16_t(0x00B9), u'*', u'+', u'\n'})
        EXPECT_FALSE(A.contains(QChar(c)));
    for (const char16_t c : {u' ', u'\r', char16_t(0x200E), char16_t(0x200F), u'a', u'Z', u'9', u'é'})
        EXPECT_TRUE(A.contains(QChar(c)));
    int arabic = 0;
    for (const QChar c : A)
        arabic +=
            c.script() == QChar::Script_Arabic || (c.unicode() >= 0x0600 && c.unicode() <= 0x06FF) ? 1 : 0;
    EXPECT_EQ(arabic, 39);
}

TEST(Cipher, EmptyKeyOrTextChangesNothing)
{
    const QString stored = QStringLiteral("*Fièvre | 3\r\n") + QChar(0x0647) + QChar(0x00A9) + QChar(0x00B9);
    for (int reversed : {0, 1})
        for (int markers : {0, 1})
            EXPECT_EQ(CipherText(reversed, markers, QString(), stored), stored);
    EXPECT_EQ(CipherText(0, 1, QStringLiteral("k"), QString()), QString());
}

TEST(Cipher, OneCharacterKeyShiftsEveryAlphabetCharacter)
{
    const QString key = QStringLiteral("d");
    const qsizetype r = A.indexOf(u'd');
    for (qsizetype k = 0; k < A.size(); ++k) {
        const QString out = CipherText(0, 1, key, QString(A.at(k)));
        ASSERT_EQ(out.size(), 1);
        EXPECT_EQ(out.at(0), A.at(((k - r) % 123 + 123) % 123));
    }
    EXPECT_EQ(CipherText(0, 1, key, key), QString(A.at(0)));
    EXPECT_EQ(RotateAlphabet(A, key).left(1), key);
    EXPECT_EQ(RotateAlphabet(A, key).size(), 123);
}

TEST(Cipher, ReversedRunsOverTheWholeTextBackwards)
{
    const QString key = QStringLiteral("ab"); // used from its last character
    const QString text = QStringLiteral("xyz");
    QString expected;
    const QString k = QStringLiteral("ba");
    const QString t = QStringLiteral("zyx");
    for (int i = 0; i < 3; ++i) {
        const qsizetype c = A.indexOf(t.at(i));
        const qsizetype r = A.indexOf(k.at(i % 2));
        expected.append(A.at(((c - r) % 123 + 123) % 123));
    }
    EXPECT_EQ(CipherText(1, 0, key, text), expected);
}

TEST(Cipher, MarksAndOutsiders)
{
    const QString key = QStringLiteral("b");
    const QChar heh(char16_t(0x0647));
    const QChar major(char16_t(0x00A9));
    const QChar second(char16_t(0x00B9));
    EXPECT_EQ(CipherText(0, 0, key, QString(heh)), QStringLiteral("\n"));
    EXPECT_EQ(CipherText(1, 1, key, QString(heh)), QStringLiteral("\n"));
    EXPECT_EQ(CipherText(0, 0, key, QString(major) + second), QString());
    EXPECT_EQ(CipherText(0, 1, key, QString(major) + second), QStringLiteral("*+"));
    // Outsiders pass through and still advance the key: with "ab" (used as "b", "a"), the
    // apostrophe takes the "b" position and "a" is deciphered with key "a".
    EXPECT_EQ(CipherText(0, 1, QStringLiteral("ab"), QStringLiteral("'a")), QStringLiteral("'") + A.at(0));
    // A line-break mark restarts the key in the non-reversed form.
    const QString twice =
        CipherText(0, 1, QStringLiteral("ab"), QStringLiteral("a") + heh + QStringLiteral("a"));
    EXPECT_EQ(twice.at(0), twice.at(2));
}

} // namespace
