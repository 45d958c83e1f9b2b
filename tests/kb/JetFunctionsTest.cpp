#include "kb/JetFunctions.h"

#include "kb/Query.h"
#include "kb/Schema.h"
#include "kb/SqlQuote.h"

#include <gtest/gtest.h>

using namespace vardelo::kb;

namespace {

struct LikeCase {
    const char16_t* pattern;
    const char16_t* text;
    bool expected;
};

TEST(JetLike, FoldsCaseForAllOfUnicodeWithPercentAndUnderscore)
{
    const LikeCase cases[] = {
        {u"%fièvre%", u"*FIÈVRE | 3", true},
        {u"%Œdème%", u"œdème des membres inférieurs", true},
        {u"%fievre%", u"Fièvre", false}, // accents are not folded
        {u"%*Toux%", u"Toux | 2\r\n*Toux grasse | 4", true},
        {u"%*Toux sèche%", u"Toux sèche | 2", false},
        {u"%douleur d'effort%", u"Douleur d'effort | 1", true},
        {u"%%", u"", true},
        {u"%%", u"anything", true},
        {u"_oux", u"Toux", true},
        {u"_oux", u"oux", false},
        {u"a%c", u"abbbc", true},
        {u"a%c", u"abbbcd", false},
        {u"%a%b%c%", u"xaxbxcx", true},
        {u"abc", u"ABC", true},
        {u"ab", u"abc", false},
    };
    for (const LikeCase& c : cases) {
        EXPECT_EQ(jetLike(QStringView(c.pattern), QStringView(c.text)), c.expected)
            << QString::fromUtf16(c.pattern).toStdString() << " / "
            << QString::fromUtf16(c.text).toStdString();
    }
}

TEST(JetCompare, EqualExactlyWhenEqualIgnoringCase)
{
    EXPECT_EQ(jetCompare(u"Fièvre", u"FIÈVRE"), 0);
    EXPECT_NE(jetCompare(u"Fièvre", u"Fievre"), 0);
    // Accented letters sort among their base letter, not after "z".
    EXPECT_LT(jetCompare(u"Érythème", u"Fièvre"), 0);
    EXPECT_GT(jetCompare(u"Érythème", u"Eczéma"), 0);
    EXPECT_LT(jetCompare(u"abc", u"abcd"), 0);
}

TEST(QuoteSql, DoublesSingleQuotesAndDropsNul)
{
    EXPECT_EQ(quoteSql(u"Douleur d'effort"), QStringLiteral("'Douleur d''effort'"));
    EXPECT_EQ(quoteSql(u""), QStringLiteral("''"));
    EXPECT_EQ(quoteSql(u"''"), QStringLiteral("''''''"));
    EXPECT_EQ(quoteSql(QStringView(u"a\0b", 3)), QStringLiteral("'ab'"));
}

class JetSql : public ::testing::Test {
protected:
    void SetUp() override { createSchema(db); }
    Connection db{QStringLiteral(":memory:"), Connection::Mode::Create};
    Query query{db};
};

TEST_F(JetSql, LikeEqualsAndLenInStatements)
{
    db.exec(QStringLiteral("insert into SC (S, X, A) values (?, ?, ?)"),
            {QStringLiteral("Fièvre"), QString(), QString()});
    db.exec(QStringLiteral("insert into SC (S, X, A) values (?, ?, ?)"),
            {QStringLiteral("Douleur d'effort"), QStringLiteral("h"), QStringLiteral("3")});

    query.open(QStringLiteral("select * from SC where S = ?"), {QStringLiteral("FIÈVRE")});
    EXPECT_EQ(query.recordCount(), 1);
    query.open(QStringLiteral("select * from sc where s like ") + quoteSql(u"%D'EFFORT%"));
    ASSERT_EQ(query.recordCount(), 1);
    EXPECT_EQ(query.field(QStringLiteral("S")), QStringLiteral("Douleur d'effort"));
    query.open(QStringLiteral("select * from SC where LEN(S) = 6"));
    EXPECT_EQ(query.recordCount(), 1);
    // An empty restriction stays an empty text: "%%" matches it.
    query.open(QStringLiteral("select * from SC where A like '%%'"));
    EXPECT_EQ(query.recordCount(), 2);
}

TEST_F(JetSql, HostileTextsTravelThroughQuotingAndParameters)
{
    const QString hostile = QStringLiteral("x' or 1=1; drop table SC; -- \"[%_]");
    db.exec(QStringLiteral("insert into SC (S) values (?)"), {hostile});
    query.open(QStringLiteral("select * from SC where S like ") + quoteSql(hostile));
    ASSERT_EQ(query.recordCount(), 1);
    EXPECT_EQ(query.field(QStringLiteral("S")), hostile);
    query.open(QStringLiteral("select * from SC where S = ") + quoteSql(u"x' or '1'='1"));
    EXPECT_EQ(query.recordCount(), 0);
}

TEST_F(JetSql, UnpairedSurrogatesNeverSwallowTheNextCharacter)
{
    const QString high = QString(QChar(0xD800));
    const QString low = QString(QChar(0xDC00));
    const QString pair = QString::fromUtf16(u"\U0001F600");
    const QString replacement = QString(QChar(QChar::ReplacementCharacter));
    // Quoted: the doubled quotation mark stays whole, and the literal ends where it should.
    EXPECT_EQ(quoteSql(high + u'\''), u'\'' + replacement + QStringLiteral("'''"));
    EXPECT_EQ(quoteSql(pair + low + high), u'\'' + pair + replacement + replacement + u'\'');
    query.open(QStringLiteral("select ") + quoteSql(high + QStringLiteral("' || 'x")) +
               QStringLiteral(" as v"));
    EXPECT_EQ(query.field(QStringLiteral("v")), replacement + QStringLiteral("' || 'x"));
    // Bound: the text arrives whole, with the lone surrogate replaced.
    db.exec(QStringLiteral("insert into SC (S, X) values (?, ?)"), {high + QStringLiteral("'b"), pair});
    query.open(QStringLiteral("select * from SC"));
    ASSERT_EQ(query.recordCount(), 1);
    EXPECT_EQ(query.field(QStringLiteral("S")), replacement + QStringLiteral("'b"));
    EXPECT_EQ(query.field(QStringLiteral("X")), pair);
}

} // namespace
