#include "recognition/SmartCompare.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <tuple>

using namespace vardelo::recognition;

namespace {

struct Reference {
    const char16_t* a;
    const char16_t* b;
    int value; // Q[n][m]
    double score;
};

// Scores of the measure for pairs whose alignment is easy to follow by hand.
const Reference References[] = {
    {u"abc", u"abc", 3, 50},
    {u"a", u"a", 1, 50},
    {u"douleur", u"douleurs", 6, 40},
    {u"vomissement", u"vomissements", 10, 43.48},
    {u"cephalee", u"cephalees", 7, 41.18},
    {u"toux", u"touxe", 3, 33.33},
    {u"fievre", u"fiever", 3, 25},
    {u"abcd", u"abce", 2, 25},
    {u"de", u"des", 1, 20},
    {u"abc", u"abd", 1, 16.67},
    {u"le", u"la", 0, 0},
    {u"abc", u"xyz", -1, -16.67},
    {u"ab", u"ba", -1, -25},
    {u"abc", u"", -1, -33.33},
};

TEST(SmartCompare, ReferenceScoresInBothArgumentOrders)
{
    for (const Reference& r : References) {
        const QString a = QString::fromUtf16(r.a);
        const QString b = QString::fromUtf16(r.b);
        SCOPED_TRACE(a.toStdString() + " / " + b.toStdString());
        EXPECT_EQ(StringValue(a, b), r.value);
        EXPECT_EQ(StringValue(b, a), r.value);
        EXPECT_NEAR(SimilarityScore(a, b), r.score, 0.005);
        EXPECT_NEAR(SimilarityScore(b, a), r.score, 0.005);
        EXPECT_NEAR(StringDistance(a, b), 1.0 - r.score / 100.0, 0.00005);
    }
}

TEST(SmartCompare, IdenticalStringsScoreFiftyAndAnEmptyOneMinusHundredOverLength)
{
    for (const QString& s : {QStringLiteral("x"), QStringLiteral("douleur thoracique"), QString(300, u'a')}) {
        EXPECT_DOUBLE_EQ(SimilarityScore(s, s), 50.0);
        EXPECT_NEAR(SimilarityScore(s, QString()), -100.0 / double(s.size()), 1e-9);
    }
    // Two empty strings count as identical rather than dividing by zero.
    EXPECT_DOUBLE_EQ(SimilarityScore(QString(), QString()), 50.0);
}

TEST(SmartCompare, MatchDistanceTakesAnyPredicate)
{
    // Words instead of characters: "douleur" and "thoracique" line up, "aigue" is an extra gap.
    const QStringList a{QStringLiteral("douleur"), QStringLiteral("thoracique")};
    const QStringList b{QStringLiteral("douleur"), QStringLiteral("thoracique"), QStringLiteral("aigue")};
    const auto match = [&](int i, int j) { return a.at(i) == b.at(j); };
    EXPECT_EQ(MatchValue(match, 2, 3), 1);
    EXPECT_DOUBLE_EQ(MatchDistance(match, 2, 3), 4.0 / 5.0);
}

TEST(SmartCompare, ThresholdsAreInclusiveAtTheExactScore)
{
    // Q = 7 over lengths adding up to 20 is exactly 35; Q = 2 over 20 exactly 10.
    EXPECT_EQ(StringValue(u"abcdefgh", u"abcdefghijkl"), 7);
    EXPECT_TRUE(ReachesThreshold(u"abcdefgh", u"abcdefghijkl", 35));
    EXPECT_FALSE(ReachesThreshold(u"abcdefgh", u"abcdefghijklm", 35));
    EXPECT_TRUE(ReachesThreshold(u"abc", u"abcdefghijklmnopq", 10));
    EXPECT_FALSE(ReachesThreshold(u"abc", u"abcdefghijklmnopqr", 10));
}

struct Closest {
    const char16_t* vocabulary;
    const char16_t* word;
    const char16_t* expected;
    const char* why;
};

const Closest ClosestCases[] = {
    {u"toux douleur fievre", u"douleurs", u"douleur", "40 passes"},
    {u"toux douleur fievre", u"touxe", u"touxe", "33.33 is below 35: the word itself"},
    {u"abcdefghijkl", u"abcdefgh", u"abcdefghijkl", "exactly 35 passes"},
    {u"abcdefghijklm", u"abcdefgh", u"abcdefgh", "34.8 does not"},
    {u"", u"fievre", u"fievre", "empty vocabulary"},
    {u" \t\r\n ", u"fievre", u"fievre", "separators only"},
    {u"douleurx douleura", u"douleurs", u"douleura", "a tie goes to the word that sorts first"},
    {u"digestion digestive digestifs", u"digestiv", u"digestive", "a lower score after the best is no tie"},
    {u"flanesque \u00E9lanesque", u"xlanesque", u"\u00E9lanesque", "French order: \u00E9 sorts with e"},
    {u"Douleur douleur", u"douleur", u"Douleur", "case variants are one word, the first kept"},
    {u"fievre\tdouleur\x01toux", u"douleurs", u"douleur", "control characters separate words"},
    {u"\"douleur\" douleurs", u"douleur", u"douleurs", "quotation marks belong to the word"},
};

TEST(SmartCompare, ClosestWordCases)
{
    for (const Closest& c : ClosestCases) {
        SCOPED_TRACE(c.why);
        const QString vocabulary = QString::fromUtf16(c.vocabulary);
        const QString word = QString::fromUtf16(c.word);
        EXPECT_EQ(ClosestWord(vocabulary, word), QString::fromUtf16(c.expected));
        EXPECT_EQ(WordList(vocabulary).closest(word), QString::fromUtf16(c.expected));
    }
}

TEST(SmartCompare, AddSimilarLinesKeepsLineOrderAndAppends)
{
    QStringList target{QStringLiteral("already there")};
    // Every kind of line end; "abcdefghijklmnopq" scores exactly 10 against "abc".
    AddSimilarLines(u"abcdefghijklmnopqr\r\nabd\nxyz\rabcdefghijklmnopq\r\n", u"abc", 10, target);
    EXPECT_EQ(target, (QStringList{QStringLiteral("already there"), QStringLiteral("abd"),
                                   QStringLiteral("abcdefghijklmnopq")}));

    QStringList empty;
    AddSimilarLines(u"", u"abc", 10, empty);
    AddSimilarLines(u"\r\n\r\n", u"abc", -100, empty);
    EXPECT_EQ(empty, (QStringList{QString(), QString()}));
}

TEST(SwapDistance, ASwapOfNeighboursCostsOneEdit)
{
    const std::tuple<const char16_t*, const char16_t*, int, int> cases[] = {
        {u"fievre", u"fievre", 2, 0},    {u"fievre", u"fiever", 2, 1}, {u"abcd", u"acbd", 2, 1},
        {u"vertige", u"vertiges", 2, 1}, {u"toux", u"tox", 2, 1},      {u"kitten", u"sitting", 5, 3},
        {u"abcdef", u"badcfe", 2, 3}, // three swaps: past the limit
        {u"abc", u"abcdefg", 2, 3},      {u"", u"ab", 2, 2},
    };
    for (const auto& [a, b, limit, expected] : cases) {
        const QString x = QString::fromUtf16(a);
        const QString y = QString::fromUtf16(b);
        EXPECT_EQ(SwapDistance(x, y, limit), expected) << x.toStdString() << " / " << y.toStdString();
        EXPECT_EQ(SwapDistance(y, x, limit), expected);
    }
    // A substitution may cost more than the other edits.
    EXPECT_EQ(SwapDistance(u"connue", u"conque", 2, 2), 2);
    EXPECT_EQ(SwapDistance(u"connue", u"connu", 2, 2), 1);
}

TEST(NearestWord, OneEditUpToSevenLettersTwoFromEight)
{
    const QStringList words = {QStringLiteral("fievre"),   QStringLiteral("fiches"),
                               QStringLiteral("vertiges"), QStringLiteral("toux"),
                               QStringLiteral("tous"),     QStringLiteral("amenorrhee")};
    const std::pair<const char16_t*, const char16_t*> cases[] = {
        {u"fiever", u"fievre"},
        {u"vertgies", u"vertiges"},
        {u"amneorhree", u"amenorrhee"},
        {u"fievrre", u"fievre"},
        {u"touxs", u"tous"}, // ties: the word that sorts first
        {u"fivre", u"fievre"},
        {u"fvierre", u""}, // two edits for seven letters: too far
        {u"touc", u""},
        {u"amenorrhea", u"amenorrhee"}, // a wrong letter: from eight letters only
        {u"tox", u""},
        {u"xyzxyz", u""}, // under four letters: never corrected
    };
    for (const auto& [typed, expected] : cases)
        EXPECT_EQ(NearestWord(words, QString::fromUtf16(typed)), QString::fromUtf16(expected))
            << QString::fromUtf16(typed).toStdString();
    EXPECT_EQ(NearestWord({}, QStringLiteral("fiever")), QString());
    // At any cost, a wrong letter is forgiven from six letters.
    const NearWords near(words);
    EXPECT_EQ(near.nearest(QStringLiteral("fievde")), QString());
    EXPECT_EQ(near.nearestAtAnyCost(QStringLiteral("fievde")), QStringLiteral("fievre"));
    EXPECT_EQ(near.nearestAtAnyCost(QStringLiteral("touc")), QString());
    EXPECT_EQ(near.nearestAtAnyCost(QStringLiteral("fiever")), QStringLiteral("fievre"));
}

} // namespace
