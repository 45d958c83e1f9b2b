// The remembering searches against the literal ones, on the bundled knowledge and thousands of
// generated typed texts: misspellings, stop words, punctuation, digits, quotes, control characters
// and long pastes. Any difference in any list fails.

#include "kb/Query.h"
#include "kb/Schema.h"
#include "kb/Sqlite.h"
#include "recognition/Recognition.h"
#include "recognition/SmartCompare.h"
#include "tools/kb/Knowledge.h"

#include <QSet>
#include <gtest/gtest.h>
#include <random>

using namespace vardelo;
using namespace vardelo::recognition;

namespace {

// Stop words for the days when the bundled sources do not have theirs yet.
const QString FallbackStopWords =
    QStringLiteral("le la les l un une des de du d au aux a et ou en dans sur sous avec sans pour par depuis "
                   "chez tres plus moins pas ne se sa son ses mon ma mes");

// The bundled knowledge, as the compiler would write it, in a database of the test's own. The
// sources may be half written (other people are adding pathologies): whatever loads is used.
class BundledKnowledge {
public:
    BundledKnowledge()
    {
        const kbc::LoadResult loaded = kbc::loadKnowledge(QStringLiteral(VARDELO_SOURCE_DIR "/knowledge"));
        const kbc::Knowledge& k = loaded.knowledge;
        kb::createSchema(db);
        kb::Transaction transaction(db);
        for (const auto& [table, vocabulary] :
             {std::pair{QStringLiteral("SC"), &k.signs}, std::pair{QStringLiteral("EC"), &k.exams}}) {
            kb::Statement insert(
                db, QStringLiteral("insert into %1 (S, X, A, Exp, Sup) values (?, ?, ?, ?, ?)").arg(table));
            for (const kbc::VocabularyEntry& e : *vocabulary) {
                insert.bind({e.text, e.sex, e.age, e.exp, e.sup});
                insert.step();
                insert.reset();
            }
        }
        kb::Statement data(db, QStringLiteral("insert into Data (P, RP) values (?, ?)"));
        for (const kbc::Pathology& p : k.pathologies) {
            data.bind({p.name, p.search});
            data.step();
            data.reset();
        }
        const QString stop = k.stopWords.isEmpty() ? FallbackStopWords : k.stopWords.join(u' ');
        db.exec(QStringLiteral("update Prm set V = ? where T = 'MS'"), {u' ' + stop + u' '});
        transaction.commit();

        auto addEntry = [this](const QString& exp, const QString& text) {
            keywords += exp.split(u' ', Qt::SkipEmptyParts);
            texts += text.split(u' ', Qt::SkipEmptyParts);
            entries.append(exp.split(u' ', Qt::SkipEmptyParts));
            entries.append(text.split(u' ', Qt::SkipEmptyParts));
        };
        for (const auto* vocabulary : {&k.signs, &k.exams}) {
            for (const kbc::VocabularyEntry& e : *vocabulary)
                addEntry(e.exp, e.text);
        }
        for (const kbc::Pathology& p : k.pathologies)
            addEntry(p.search, p.name);
        stopWords = stop.split(u' ', Qt::SkipEmptyParts);
        signCount = int(k.signs.size());
    }

    kb::Connection db{QStringLiteral(":memory:"), kb::Connection::Mode::Create};
    QStringList keywords; // keyword words of every table
    QStringList texts;    // words of the sign, exam and pathology texts, accents and capitals
    QStringList stopWords;
    QList<QStringList> entries; // the keywords, and the words of the text, of each entry
    int signCount = 0;
};

// Texts as physicians type them, from the base's own words.
class TypedTexts {
public:
    TypedTexts(const BundledKnowledge& k, unsigned seed)
        : k_(k)
        , random_(seed)
    {}

    QString next()
    {
        const int kind = pick(100);
        if (kind < 2)
            return paste();
        if (kind < 8)
            return junk();
        QStringList words;
        const int count = 1 + pick(4);
        for (int i = 0; i < count; ++i) {
            const int source = pick(10);
            QString w = source < 6 ? any(k_.keywords) : source < 9 ? any(k_.texts) : any(k_.stopWords);
            if (pick(3) == 0)
                w = misspell(w);
            words.append(w);
        }
        QString text = words.join(any({QStringLiteral(" "), QStringLiteral(" "), QStringLiteral("  "),
                                       QStringLiteral(", "), QStringLiteral("'"), QStringLiteral("-")}));
        if (pick(8) == 0)
            text = any({QStringLiteral("l'"), QStringLiteral("d'"), QStringLiteral("mal au "),
                        QStringLiteral("(")}) +
                   text;
        if (pick(8) == 0)
            text += any({QStringLiteral(" depuis 3 jours"), QStringLiteral(" ?"), QStringLiteral(" grade 2"),
                         QStringLiteral(" b 2"), QStringLiteral(" 39,5\u00B0"), QStringLiteral(")")});
        if (pick(10) == 0)
            text = text.toUpper();
        // The exam search runs on every keystroke: texts cut anywhere.
        if (pick(8) == 0)
            text = text.left(1 + pick(int(text.size())));
        return text;
    }

    // A word of the base, always misspelt or cut short.
    QString misspeltWord() { return misspell(pick(2) ? any(k_.keywords) : any(k_.texts)); }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    QString any(const QStringList& list)
    {
        return list.isEmpty() ? QString() : list.at(pick(int(list.size())));
    }

    QString misspell(QString w)
    {
        if (w.isEmpty())
            return w;
        static const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyz\u00E9\u00E8");
        const int at = pick(int(w.size()));
        switch (pick(7)) {
        case 0:
            w.remove(at, 1);
            break;
        case 1:
            w.insert(at, letters.at(pick(int(letters.size()))));
            break;
        case 2:
            w[at] = letters.at(pick(int(letters.size())));
            break;
        case 3:
            if (at + 1 < w.size())
                std::swap(w[at], w[at + 1]);
            break;
        case 4:
            w.insert(at, w.at(at));
            break;
        case 5:
            w = w.left(std::max(1, at));
            break;
        default:
            w.replace(u'e', u'\u00E9');
            break;
        }
        return w;
    }

    QString junk()
    {
        static const QString pieces[] = {
            QStringLiteral("%"),  QStringLiteral("_"),  QStringLiteral("'"),    QStringLiteral("\""),
            QStringLiteral("''"), QStringLiteral("12"), QStringLiteral("\t"),   QString(QChar(1)),
            QString(QChar(0)),    QStringLiteral("?!"), QStringLiteral("b2"),   QStringLiteral("\u00A7"),
            QStringLiteral(" "),  QStringLiteral("le"), QStringLiteral("\r\n"),
        };
        QString text;
        const int count = 1 + pick(6);
        for (int i = 0; i < count; ++i)
            text += pick(3) == 0 ? any(k_.keywords) : pieces[pick(int(std::size(pieces)))];
        return text;
    }

    // A long paste: prose made of the base's words, or one endless word.
    QString paste()
    {
        if (pick(4) == 0)
            return QString(2000, QChar(u'a' + pick(26)));
        QStringList words;
        while (words.join(u' ').size() < 2000)
            words.append(pick(2) ? any(k_.keywords) : any(k_.stopWords));
        return words.join(u' ').left(2000);
    }

    const BundledKnowledge& k_;
    std::mt19937 random_;
};

class Equivalence : public ::testing::Test {
protected:
    static void SetUpTestSuite() { knowledge = new BundledKnowledge(); }
    static void TearDownTestSuite()
    {
        delete knowledge;
        knowledge = nullptr;
    }
    static BundledKnowledge* knowledge;
};
BundledKnowledge* Equivalence::knowledge = nullptr;

// The literal searches run real SQL at every step: under the sanitizers, which slow them several
// times, a quarter of the texts still compares thousands of searches.
#ifdef VARDELO_SANITIZED
constexpr int Share = 4;
#else
constexpr int Share = 1;
#endif

TEST_F(Equivalence, SignAndExamSearchesGiveTheLiteralListsOnThousandsOfTypedTexts)
{
    ASSERT_GT(knowledge->signCount, 100) << "the bundled vocabulary did not load";
    kb::Query query(knowledge->db);
    TypedTexts texts(*knowledge, 20240611);
    const QChar sexes[] = {u'h', u'f'};
    const QString ages[] = {QString(), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
    int nonEmpty = 0;
    constexpr int Count = 3000 / Share;
    for (int i = 0; i < Count; ++i) {
        const QString text = texts.next();
        const QString table = i % 3 == 2 ? QStringLiteral("EC") : QStringLiteral("SC");
        const QChar sex = sexes[i % 2];
        const QString age = ages[(i / 2) % 4];
        const QStringList fast = RechercheSC(query, table, text, sex, age);
        const QStringList reference = literal::RechercheSC(query, table, text, sex, age);
        ASSERT_EQ(fast, reference) << "case " << i << " " << table.toStdString() << " "
                                   << QString(sex).toStdString() << " " << age.toStdString() << " \""
                                   << text.toStdString() << "\"";
        nonEmpty += fast.isEmpty() ? 0 : 1;
        // The remembered word results must not be what makes the lists agree.
        if (i % 500 == 499)
            ForgetWordResults();
    }
    // Many generated texts mix words of unrelated entries and rightly find nothing; enough must
    // find something for the comparison to prove much.
    EXPECT_GT(nonEmpty, Count / 4);
}

TEST_F(Equivalence, PathologySearchGivesTheLiteralListsOnThousandsOfTypedTexts)
{
    kb::Query query(knowledge->db);
    query.open(QStringLiteral("select * from Data"));
    if (query.recordCount() == 0)
        GTEST_SKIP() << "the bundled sources hold no pathology yet";
    TypedTexts texts(*knowledge, 7);
    int nonEmpty = 0;
    constexpr int Count = 1500 / Share;
    for (int i = 0; i < Count; ++i) {
        const QString text = texts.next();
        const QStringList fast = RechercheP(query, text);
        ASSERT_EQ(fast, literal::RechercheP(query, text))
            << "case " << i << " \"" << text.toStdString() << "\"";
        nonEmpty += fast.isEmpty() ? 0 : 1;
    }
    EXPECT_GT(nonEmpty, Count / 4);
}

TEST_F(Equivalence, PreparedVocabularyGivesTheClosestWordOfTheLiteralOne)
{
    kb::Query query(knowledge->db);
    query.open(QStringLiteral("select * from SC"));
    QString vocabulary;
    for (query.first(); !query.eof(); query.next())
        vocabulary += u' ' + query.field(QStringLiteral("Exp"));
    const WordList prepared(vocabulary);
    TypedTexts texts(*knowledge, 99);
    int corrected = 0;
    for (int i = 0; i < 4000 / Share; ++i) {
        const QString w = texts.misspeltWord();
        const QString expected = ClosestWord(vocabulary, w);
        ASSERT_EQ(prepared.closest(w), expected) << "\"" << w.toStdString() << "\"";
        corrected += expected != w ? 1 : 0;
    }
    EXPECT_GT(corrected, 1000 / Share);
}

// Variants of one word over a tiny alphabet make ties and near-ties common: the pruning by length
// and letter counts, and the settling of ties by the sort order, are checked where they matter.
TEST(PreparedVocabulary, SameAnswersOnVariantsOfOneWordFullOfTies)
{
    std::mt19937 random(5);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    const QString letters = QStringLiteral("abcA\u00E9");
    auto variant = [&](QString w) {
        for (int edits = 1 + pick(3); edits > 0; --edits) {
            const int at = pick(int(w.size()) + 1);
            const QChar c = letters.at(pick(int(letters.size())));
            switch (pick(3)) {
            case 0:
                w.insert(at, c);
                break;
            case 1:
                if (at < w.size())
                    w[at] = c;
                break;
            default:
                if (w.size() > 1 && at < w.size())
                    w.remove(at, 1);
                break;
            }
        }
        return w;
    };
    int corrected = 0;
    for (int round = 0; round < 10000; ++round) {
        QString base;
        for (int length = 3 + pick(8); length > 0; --length)
            base += letters.at(pick(int(letters.size())));
        QStringList vocabulary;
        for (int count = pick(30); count > 0; --count)
            vocabulary.append(variant(base));
        const QString text = vocabulary.join(pick(2) ? QStringLiteral(" ") : QStringLiteral(" \t "));
        const WordList prepared(text);
        for (int i = 0; i < 10; ++i) {
            const QString w = variant(base);
            const QString expected = ClosestWord(text, w);
            ASSERT_EQ(prepared.closest(w), expected)
                << "\"" << w.toStdString() << "\" in \"" << text.toStdString() << "\"";
            corrected += expected != w ? 1 : 0;
        }
    }
    EXPECT_GT(corrected, 25000);
}

// AddSimilarLines skips the lines whose letters alone rule them out; every threshold must keep
// exactly the lines a full comparison keeps.
TEST(SimilarLines, BoundSkipsOnlyLinesThatCannotPass)
{
    std::mt19937 random(11);
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
    const QString letters = QStringLiteral("abcdA \u00E9");
    auto text = [&](int longest) {
        QString t;
        for (int length = pick(longest); length > 0; --length)
            t += letters.at(pick(int(letters.size())));
        return t;
    };
    int kept = 0;
    for (int round = 0; round < 5000; ++round) {
        const QString reference = text(round % 10 == 0 ? 200 : 20);
        QStringList lines;
        for (int count = pick(10); count > 0; --count)
            lines.append(text(30));
        const int threshold = pick(7) * 10 - 10; // -10 to 50
        QStringList expected;
        for (const QString& line : std::as_const(lines)) {
            if (ReachesThreshold(line, reference, threshold))
                expected.append(line);
        }
        // A line end after the last line starts no other line; an empty last line needs one.
        QString joined = lines.join(QStringLiteral("\r\n"));
        if (!lines.isEmpty() && (lines.last().isEmpty() || pick(2)))
            joined += QStringLiteral("\r\n");
        QStringList target;
        AddSimilarLines(joined, reference, threshold, target);
        ASSERT_EQ(target, expected) << "reference \"" << reference.toStdString() << "\"";
        kept += int(target.size());
    }
    EXPECT_GT(kept, 2000);
}

} // namespace
