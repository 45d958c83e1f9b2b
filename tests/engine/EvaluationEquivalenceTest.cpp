// The in-memory evaluation against the SQL path, on thousands of generated cases: formulas with
// and, or, not, ignore and parentheses (some of them incomplete), exam lists, both sexes and every
// age band, both sort modes, learning lines, and texts with quotes, accents, letter case changes,
// LIKE wildcards and parts of knowledge lines. It runs on the bundled knowledge base and on a
// generated one made to hold what the bundled one avoids. Any difference in any output fails.

#include "case/KbLines.h"
#include "engine/CaseSession.h"
#include "engine/MemoryEvaluator.h"
#include "kb/Query.h"
#include "kb/Schema.h"
#include "kb/VersionArea.h"
#include "platform/TextFile.h"

#include <QSet>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>

using namespace vardelo;
using namespace vardelo::engine;

namespace {

#ifdef VARDELO_SANITIZED
constexpr int CaseCount = 250;
#else
constexpr int CaseCount = 2500;
#endif

class Generator {
public:
    Generator(QStringList signs, QStringList exams, QStringList names, unsigned seed)
        : signs_(std::move(signs))
        , exams_(std::move(exams))
        , names_(std::move(names))
        , random_(seed)
    {}

    int below(int n) { return n <= 1 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(random_); }
    bool chance(int percent) { return below(100) < percent; }
    template <typename T>
    const T& pick(const QList<T>& list)
    {
        return list.at(below(int(list.size())));
    }

    // A text that may or may not be found: known texts, changed in case, cut, padded as the case
    // model pads them, or odd.
    QString text(const QStringList& known)
    {
        QString t = pick(known);
        switch (below(14)) {
        case 0:
            return t.toUpper();
        case 1:
            return t.toLower();
        case 2:
            return t.left(1 + below(int(t.size())));
        case 3:
            return t.mid(below(int(t.size())));
        case 4:
            return u' ' + t;
        case 5:
            return t + QStringLiteral("  ");
        case 6:
            return u'*' + t;
        case 7:
            return t + QStringLiteral(" | ") + QString::number(below(5));
        case 8: {
            static const QStringList odd{
                QStringLiteral("l'œdème"), QStringLiteral("50%"),    QStringLiteral("_"),
                QStringLiteral("%"),       QStringLiteral("a_b"),    QStringLiteral("''"),
                QStringLiteral("3"),       QStringLiteral("ÉLEVÉE"), QStringLiteral("Fièvre\r\nToux"),
                QStringLiteral(" | "),     QStringLiteral("x\\%y"),  QStringLiteral("Inconnu"),
                QStringLiteral("ß"),       QStringLiteral("[a-z]"),  QStringLiteral("e : "),
                QStringLiteral("0"),       QStringLiteral("l’e"),    QStringLiteral("≥ 1")};
            return pick(odd);
        }
        default:
            return t;
        }
    }

    QStringList formula()
    {
        static const QStringList tokens{QStringLiteral("and"),    QStringLiteral("or"), QStringLiteral("not"),
                                        QStringLiteral("ignore"), QStringLiteral("("),  QStringLiteral(")")};
        QStringList list;
        if (chance(10)) {
            // Anything at all: the repair and the database sort it out.
            const int n = below(7);
            for (int i = 0; i < n; ++i)
                list.append(chance(50) ? pick(tokens) : text(signs_));
            return list;
        }
        const int n = below(6);
        int open = 0;
        for (int i = 0; i < n; ++i) {
            if (i > 0)
                list.append(chance(75) ? QStringLiteral("and") : QStringLiteral("or"));
            if (chance(15)) {
                list.append(QStringLiteral("("));
                ++open;
            }
            if (chance(20))
                list.append(QStringLiteral("not"));
            else if (chance(10))
                list.append(QStringLiteral("ignore"));
            list.append(text(signs_));
            if (open > 0 && chance(40)) {
                list.append(QStringLiteral(")"));
                --open;
            }
        }
        while (open-- > 0 && chance(90))
            list.append(QStringLiteral(")"));
        return list;
    }

    QStringList examList()
    {
        QStringList list;
        const int n = chance(50) ? 0 : 1 + below(3);
        for (int i = 0; i < n; ++i) {
            list.append(chance(70) ? QStringLiteral("and") : QStringLiteral("not"));
            list.append(text(exams_));
        }
        if (chance(3))
            list.append(QStringLiteral("not")); // incomplete
        return list;
    }

    QStringList learning()
    {
        QStringList lines;
        if (chance(60))
            return lines;
        const int n = 1 + below(6);
        for (int i = 0; i < n; ++i) {
            lines.append(pick(names_));
            lines.append(pick(signs_));
            static const QStringList values{QStringLiteral("+3"), QStringLiteral("-2"), QStringLiteral("+40"),
                                            QStringLiteral("0"), QStringLiteral("-15")};
            lines.append(chance(3) ? QStringLiteral("beaucoup") : pick(values));
        }
        return lines;
    }

    // Now and then a whole condition in place of the formula's.
    QString pathologie()
    {
        if (!chance(4))
            return QString();
        static const QStringList conditions{QStringLiteral("(S Like '%%s%') or not E like '%%e%'"),
                                            QStringLiteral("s LIKE '%%s%'"),
                                            QStringLiteral("S Like '%s'"),
                                            QStringLiteral("I Like 'hf123'"),
                                            QStringLiteral("(P = '%s')"),
                                            QStringLiteral("S Like '%%s%' and"),
                                            QStringLiteral("not not S Like '%%*%s%'"),
                                            QStringLiteral("S not like '%%s%'")};
        QString c = pick(conditions);
        return c.replace(QStringLiteral("%s"), QString(text(signs_)).replace(u'\'', QStringLiteral("''")))
            .replace(QStringLiteral("%e"), QString(text(exams_)).replace(u'\'', QStringLiteral("''")));
    }

private:
    QStringList signs_;
    QStringList exams_;
    QStringList names_;
    std::mt19937 random_;
};

// Two sessions on one connection, one for each path, given the same cases.
class Twins {
public:
    explicit Twins(kb::Connection& db)
        : query_(db)
        , memory_(query_)
        , sql_(query_)
    {
        memory_.setWelcomeAccepted(true);
        sql_.setWelcomeAccepted(true);
        sql_.evaluator().setPath(EvaluationPath::Sql);
    }

    // Knowledge texts for the generator: sign texts, exam lines, names.
    void vocabulary(QStringList* signs, QStringList* exams, QStringList* names)
    {
        QSet<QString> s;
        QSet<QString> e;
        query_.open(QStringLiteral("select P, S, E from Data"));
        for (; !query_.eof(); query_.next()) {
            names->append(query_.field(QStringLiteral("P")));
            for (const QString& line : platform::splitLines(query_.field(QStringLiteral("S"))))
                s.insert(model::GetSC(line));
            for (const QString& line : platform::splitLines(query_.field(QStringLiteral("E"))))
                e.insert(model::GetSC(line));
        }
        query_.close();
        *signs = QStringList(s.begin(), s.end());
        *exams = QStringList(e.begin(), e.end());
        signs->sort();
        exams->sort();
    }

    void run(Generator& g, int count)
    {
        for (int i = 0; i < count && !::testing::Test::HasFailure(); ++i) {
            const QStringList formula = g.formula();
            const QStringList exams = g.examList();
            const QChar sex = g.chance(50) ? u'h' : u'f';
            const QString age = QStringLiteral(" 123").mid(g.below(4), 1).trimmed();
            const SortMode mode = g.chance(50) ? SortMode::Prevalence : SortMode::Probability;
            const QStringList learning = g.learning();
            const EvaluationMode dg = g.chance(70) ? EvaluationMode::Rank : EvaluationMode::RefreshOffers;
            const QString pathologie = g.pathologie();
            SCOPED_TRACE(QStringLiteral("case %1: [%2] [%3] %4%5 dg=%6 mode=%7 learning=[%8] condition=%9")
                             .arg(i)
                             .arg(formula.join(QStringLiteral("|")), exams.join(QStringLiteral("|")))
                             .arg(sex)
                             .arg(age)
                             .arg(int(dg))
                             .arg(int(mode))
                             .arg(learning.join(QStringLiteral("|")), pathologie)
                             .toStdString());
            std::optional<EvaluationResult> results[2];
            QString conditions[2];
            CaseSession* sessions[2] = {&memory_, &sql_};
            const bool keep = g.chance(50);
            for (int k = 0; k < 2; ++k) {
                CaseSession& s = *sessions[k];
                s.setLearningList(learning);
                s.setPatient(Patient{QStringLiteral("Dupont"), sex, age});
                s.setRankingMode(mode);
                s.setFormula(formula);
                s.setExamLines(exams);
                s.setRetainedDiagnosis(QStringLiteral("Alpha"));
                s.keepRetainedDiagnosisOnce(keep);
                conditions[k] = s.queryCondition();
                results[k] = s.evaluate(dg, conditions[k], pathologie);
            }
            ASSERT_EQ(conditions[0], conditions[1]);
            ASSERT_TRUE(results[0] && results[1]);
            const EvaluationResult& a = *results[0];
            const EvaluationResult& b = *results[1];
            ASSERT_EQ(a.failed, b.failed);
            ASSERT_EQ(a.header, b.header);
            ASSERT_EQ(a.rows, b.rows);
            ASSERT_EQ(a.signsPageCaption, b.signsPageCaption);
            ASSERT_EQ(a.examsPageCaption, b.examsPageCaption);
            ASSERT_EQ(a.progressMaximum, b.progressMaximum);
            ASSERT_EQ(a.progressPosition, b.progressPosition);
            ASSERT_EQ(memory_.state().CandidateSigns.lines(), sql_.state().CandidateSigns.lines());
            ASSERT_EQ(memory_.state().CandidateExamLines.lines(), sql_.state().CandidateExamLines.lines());
            ASSERT_EQ(memory_.state().CandidateExams.lines(), sql_.state().CandidateExams.lines());
            ASSERT_EQ(memory_.state().SCList, sql_.state().SCList);
            ASSERT_EQ(memory_.keepsRetainedDiagnosis(), sql_.keepsRetainedDiagnosis());
            ASSERT_EQ(memory_.retainedDiagnosis(), sql_.retainedDiagnosis());
            failures_ += a.failed ? 1 : 0;
            rows_ += a.rows.empty() ? 0 : 1;
        }
    }

    // Both outcomes must be well represented, or the comparison proves little.
    void expectVariety(int count)
    {
        EXPECT_GT(failures_, count / 50);
        EXPECT_GT(rows_, count / 8);
        // The failures go to the SQL path by design; the rest must be answered from memory.
        EXPECT_GT(memory_.evaluator().answeredInMemory(), count - failures_ - count / 10);
        std::printf("%d cases: %d answered in memory, %d failed\n", count,
                    memory_.evaluator().answeredInMemory(), failures_);
    }

    kb::Query& query() { return query_; }

private:
    kb::Query query_;
    CaseSession memory_;
    CaseSession sql_;
    int failures_ = 0;
    int rows_ = 0;
};

TEST(EvaluationEquivalence, BundledKnowledgeBase)
{
    kb::Connection db(QStringLiteral(VARDELO_DATA_FILE), kb::Connection::Mode::ReadOnly);
    // The compiler stores the index with the knowledge: this run reads it back from the file.
    EXPECT_TRUE(MemoryEvaluator::hasStoredIndex(db));
    Twins twins(db);
    QStringList signs, exams, names;
    twins.vocabulary(&signs, &exams, &names);
    ASSERT_FALSE(signs.isEmpty());
    Generator g(signs, exams, names, 17);
    twins.run(g, CaseCount);
    twins.expectVariety(CaseCount);
}

// A base full of what the bundled one avoids: names with quotes, the same sign spelled in two
// cases, signs that are parts of others, "%" and "_" in texts, markers, missing or bad weights,
// lines ended in every way, pathologies without signs or exams, a prevalence that is not a number.
class GeneratedBase {
public:
    explicit GeneratedBase(unsigned seed)
        : random_(seed)
    {
        kb::createSchema(db);
        static const char* const signTexts[] = {"Fièvre",
                                                "fièvre",
                                                "Toux",
                                                "Toux grasse",
                                                "Douleur d'effort",
                                                "Douleur",
                                                "Céphalées",
                                                "CÉPHALÉES",
                                                "Saturation < 90 %",
                                                "Taux_bas",
                                                "Œdème",
                                                "Nausées",
                                                "Pleurs",
                                                "Rare",
                                                "Douleur testiculaire",
                                                "Éruption",
                                                "Prurit",
                                                "Asthénie",
                                                "Vertiges",
                                                "Dyspnée d'effort",
                                                "Douleur à l’effort",
                                                "PAS ≥ 180 mmHg",
                                                "3",
                                                "Signe piège",
                                                "Fatigue | 2",
                                                "A",
                                                "Toux sèche"};
        static const char* const examTexts[] = {
            "CRP : Élevée",          "crp : Basse",   "CRP : Normale",     "ECG : Sus-décalage",
            "Radio : 50% d'opacité", "IRM : Normale", "Bilan_1 : Positif", "ECG : normal"};
        for (const char* s : signTexts)
            signs_.append(QString::fromUtf8(s));
        for (const char* e : examTexts)
            exams_.append(QString::fromUtf8(e));
        static const char* const namePool[] = {"Alpha", "L'angine", "Grippe", "Zona", "Œdème aigu", "Gale"};
        for (int i = 0; i < 300; ++i)
            addPathology(QString::fromUtf8(namePool[i % 6]) + u' ' + QString::number(i / 6));
        addPathology(QStringLiteral("Alpha 0")); // the same name twice
        // A prevalence that is not a number, reached only through its own sign.
        db.exec(
            QStringLiteral("insert into Data (P, F, S, E, I) values ('Piège', 'souvent', ?, '0', 'hf123')"),
            {QStringLiteral("Signe piège | 1")});
        db.exec(QStringLiteral("insert into Data (P, F, S, E, I) values ('Vide', 4, '', '', 'hf123')"));
        const QStringList sexes{QString(), QStringLiteral("h"), QStringLiteral("f")};
        const QStringList ages{QString(), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
        for (const QString& s : std::as_const(signs_))
            db.exec(QStringLiteral("insert into SC (S, X, A) values (?, ?, ?)"),
                    {s, sexes.at(below(3)), ages.at(below(4))});
    }

    void addPathology(const QString& name)
    {
        static const QStringList separators{QStringLiteral("\r\n"), QStringLiteral("\r\n"),
                                            QStringLiteral("\n")};
        const QString separator = separators.at(below(3));
        QStringList lines;
        const int n = below(8);
        for (int k = 0; k < n; ++k) {
            static const QStringList markers{QString(), QString(), QStringLiteral("*"), QStringLiteral("+"),
                                             QStringLiteral("*+")};
            QString weight = QString::number(below(11));
            if (below(40) == 0)
                weight = below(2) ? QString() : QStringLiteral("x");
            lines.append(markers.at(below(5)) + signs_.at(below(int(signs_.size()) - 1)) +
                         QStringLiteral(" | ") + weight);
        }
        QStringList examLines;
        const int m = below(4);
        for (int k = 0; k < m; ++k)
            examLines.append((below(4) == 0 ? QStringLiteral("*") : QString()) +
                             exams_.at(below(int(exams_.size()))) + QStringLiteral(" | ") +
                             QString::number(below(9)));
        QString applicability;
        for (const QChar c : QStringLiteral("fh321"))
            if (below(5) != 0)
                applicability.insert(below(int(applicability.size()) + 1), c);
        const QString s = lines.join(separator) + (below(5) == 0 ? separator : QString());
        const QString e = examLines.isEmpty() ? QStringLiteral("0") : examLines.join(separator);
        db.exec(QStringLiteral("insert into Data (P, F, S, E, I) values (?, ?, ?, ?, ?)"),
                {name, below(21), s, e, applicability});
    }

    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

    kb::Connection db{QStringLiteral(":memory:"), kb::Connection::Mode::Create};

private:
    std::mt19937 random_;
    QStringList signs_;
    QStringList exams_;
};

TEST(EvaluationEquivalence, GeneratedKnowledgeBase)
{
    GeneratedBase base(5);
    Twins twins(base.db);
    QStringList signs, exams, names;
    twins.vocabulary(&signs, &exams, &names);
    Generator g(signs, exams, names, 23);
    twins.run(g, CaseCount / 2);
    // The knowledge of a file without a hash may change under the evaluator: it must notice.
    base.addPathology(QStringLiteral("Nouvelle"));
    base.db.exec(QStringLiteral("update Data set S = 'Toux | 9' where P = 'Zona 1'"));
    twins.run(g, CaseCount / 2);
    twins.expectVariety(CaseCount);
}

// With a knowledge hash, the index (stored in the file or made in memory) is kept across writes
// until the hash changes: a change made to the knowledge behind the hash's back is not seen, an
// upgrade (a new hash) is.
TEST(EvaluationEquivalence, TheIndexIsKeyedOnTheKnowledgeHash)
{
    GeneratedBase base(7);
    base.db.exec(QStringLiteral("insert into VersionArea (Area, KnowledgeHash) values (?, 'v1')"),
                 {kb::encodeVersionArea(kb::CurrentKBVersion)});
    MemoryEvaluator::storeIndex(base.db);
    EXPECT_TRUE(MemoryEvaluator::hasStoredIndex(base.db));
    kb::Query query(base.db);
    CaseSession session(query);
    session.setWelcomeAccepted(true);
    auto names = [&session] {
        session.setFormula(QStringList{QStringLiteral("Nouveau signe")});
        const auto result = session.evaluate(EvaluationMode::Rank, session.queryCondition());
        QStringList out;
        for (const auto& row : result->rows)
            out.append(row.name);
        return out;
    };
    EXPECT_TRUE(names().isEmpty());
    base.db.exec(
        QStringLiteral("insert into Data (P, F, S, E, I) values ('Nouvelle', 3, 'Nouveau signe | 2', '0', "
                       "'hf123')"));
    base.db.exec(QStringLiteral("insert into Score (S) values ('1/1')"));
    EXPECT_TRUE(names().isEmpty());
    base.db.exec(QStringLiteral("update VersionArea set KnowledgeHash = 'v2'"));
    EXPECT_FALSE(MemoryEvaluator::hasStoredIndex(base.db)); // the stored one is of other knowledge
    EXPECT_EQ(names(), QStringList{QStringLiteral("Nouvelle")});
}

// A stored index that is cut short or whose numbers point outside what they number is not used:
// the knowledge is read again, and the results stay those of the SQL path.
TEST(EvaluationEquivalence, ADamagedStoredIndexIsNotUsed)
{
    const QString ones = QString(128, u'F');
    for (const QString& damage : {QStringLiteral("substr(Data, 1, length(Data) / 2)"),
                                  QStringLiteral("substr(Data, 1, length(Data) - 64) || x'%1'").arg(ones)}) {
        SCOPED_TRACE(damage.toStdString());
        GeneratedBase base(9);
        base.db.exec(QStringLiteral("insert into VersionArea (Area, KnowledgeHash) values (?, 'v1')"),
                     {kb::encodeVersionArea(kb::CurrentKBVersion)});
        MemoryEvaluator::storeIndex(base.db);
        base.db.exec(QStringLiteral("update EvaluationIndex set Data = %1").arg(damage));
        Twins twins(base.db);
        QStringList signs, exams, names;
        twins.vocabulary(&signs, &exams, &names);
        Generator g(signs, exams, names, 31);
        twins.run(g, CaseCount / 10);
    }
}

} // namespace
