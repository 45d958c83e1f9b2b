// The recognition offered to the physician: the strict search when it finds something, the wider
// search when it does not, and denials read as "not" and the sign.

#include "kb/Query.h"
#include "kb/Schema.h"
#include "kb/Sqlite.h"
#include "recognition/Recognition.h"

#include <gtest/gtest.h>

using namespace vardelo;
using namespace vardelo::recognition;

namespace {

// Signs sharing words the way the bundled vocabulary does: a general sign and its variants, two
// signs of one region, a sign named with a denying word.
const char16_t* const Signs[][2] = {
    {u"Fi\u00E8vre", u"fievre febrile temperature"},
    {u"Fi\u00E8vre prolong\u00E9e", u"fievre prolongee persistante"},
    {u"Dissociation pouls-temp\u00E9rature", u"dissociation pouls temperature fievre"},
    {u"Syncope", u"syncope perte connaissance"},
    {u"C\u00E9phal\u00E9es brutales", u"cephalees brutales brutale coup tonnerre"},
    {u"Lombalgie", u"lombalgie dos lombaire douleur"},
    {u"Douleur fosse lombaire", u"douleur fosse lombaire rein colique"},
    {u"Douleur du genou", u"douleur genou"},
    {u"Douleur thoracique d'effort", u"douleur thoracique effort marche"},
    {u"Troubles de la marche", u"troubles marche"},
    {u"Toux", u"toux tousse"},
    {u"Vertiges", u"vertiges vertige tourne"},
    {u"Am\u00E9norrh\u00E9e", u"amenorrhee absence regles"},
    {u"Alt\u00E9ration de l'\u00E9tat g\u00E9n\u00E9ral", u"alteration etat general aeg"},
    {u"Anorexie", u"anorexie appetit"},
    {u"Dysphagie", u"dysphagie avaler gene"},
    {u"Rigidit\u00E9 g\u00E9n\u00E9ralis\u00E9e", u"rigidite generalisee"},
    {u"Dyspn\u00E9e", u"dyspnee essouffle respiration"},
    {u"Respiration de Kussmaul", u"respiration kussmaul ample"},
    {u"Signe de Las\u00E8gue", u"signe lasegue"},
    {u"Douleur abdominale", u"douleur abdominale ventre"},
};

// How many pathologies list a sign breaks ties: "Dyspnée" is listed twice, Kussmaul's breathing once.
const char16_t* const Pathologies[][2] = {
    {u"Insuffisance cardiaque", u"Dyspn\u00E9e | 3\r\nToux | 1"},
    {u"Acidoc\u00E9tose", u"Respiration de Kussmaul | 4\r\nDyspn\u00E9e | 2"},
};

QStringList texts(std::initializer_list<const char16_t*> list)
{
    QStringList out;
    for (const char16_t* t : list)
        out.append(QString::fromUtf16(t));
    return out;
}

class WiderSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        kb::createSchema(db);
        for (const auto& [text, exp] : Signs)
            db.exec(QStringLiteral("insert into SC (S, Exp) values (?, ?)"),
                    {QString::fromUtf16(text), QString::fromUtf16(exp)});
        for (const auto& [name, signs] : Pathologies)
            db.exec(QStringLiteral("insert into Data (P, S) values (?, ?)"),
                    {QString::fromUtf16(name), QString::fromUtf16(signs)});
        db.exec(QStringLiteral("update Prm set V = ? where T = 'MS'"),
                {QStringLiteral(" le la les de des du d un une et au aux en a dans entre ni ")});
    }
    Recognized recognize(const char16_t* text)
    {
        return Recognize(query, QStringLiteral("SC"), QString::fromUtf16(text), u'f', {});
    }

    kb::Connection db{QStringLiteral(":memory:"), kb::Connection::Mode::Create};
    kb::Query query{db};
};

TEST_F(WiderSearchTest, TheWiderSearchRunsOnlyWhenTheStrictOneFindsNothing)
{
    struct Case {
        const char16_t* typed;
        QStringList expected;
    };
    const Case cases[] = {
        // The strict search finds something: its answer stands.
        {u"toux", texts({u"Toux"})},
        {u"douleur lombaire", texts({u"Douleur fosse lombaire", u"Lombalgie"})},
        // Step one: a qualifying word that some keyword holds ("brutale") no longer empties it.
        {u"syncope brutale", texts({u"Syncope"})},
        {u"douleur lombaire brutale", texts({u"Douleur fosse lombaire", u"Lombalgie"})},
        // A short word stands for itself and its inflections only: "gene" is not "generalisee".
        {u"gene brutale", texts({u"Dysphagie"})},
        // Step two: the rows holding the most words; those whose text names them first.
        {u"douleur genou marche", texts({u"Douleur du genou", u"Douleur thoracique d'effort"})},
        // Step three: a swap of neighbouring letters is forgiven; the general sign comes first.
        {u"fiever",
         texts({u"Fi\u00E8vre", u"Fi\u00E8vre prolong\u00E9e", u"Dissociation pouls-temp\u00E9rature"})},
        {u"vertgies", texts({u"Vertiges"})},
        // Nothing near: nothing found.
        {u"zzqx wwkj", {}},
        {u"brutale gauche", texts({u"C\u00E9phal\u00E9es brutales"})}, // only qualifiers: the strict search
        // A word the strict search leaves out for resembling a stop word ("entre").
        {u"ventre", texts({u"Douleur abdominale"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.typed).toStdString());
        const Recognized found = recognize(c.typed);
        EXPECT_EQ(found.candidates, c.expected);
        EXPECT_FALSE(found.negated);
        const QStringList strict =
            RechercheSC(query, QStringLiteral("SC"), QString::fromUtf16(c.typed), u'f', {});
        if (!strict.isEmpty()) {
            EXPECT_EQ(found.candidates, strict);
        }
    }
}

TEST_F(WiderSearchTest, AmongCandidatesLikeNothingTypedTheGeneralSignComesFirst)
{
    // "fievr" resembles none of the texts: the strict order leaves them alphabetical, and the sign
    // named "Fièvre" comes before its variants and the signs that only list the word.
    const QStringList strict = RechercheSC(query, QStringLiteral("SC"), QStringLiteral("fievr"), u'f', {});
    EXPECT_EQ(strict.first(), QStringLiteral("Dissociation pouls-temp\u00E9rature"));
    const Recognized found = recognize(u"fievr");
    EXPECT_EQ(found.candidates,
              texts({u"Fi\u00E8vre", u"Fi\u00E8vre prolong\u00E9e", u"Dissociation pouls-temp\u00E9rature"}));
}

TEST_F(WiderSearchTest, AmongCandidatesLikeNothingTypedTheSignMorePathologiesListComesFirst)
{
    // "ample" resembles neither text, so the strict order is alphabetical. Once Kussmaul's
    // breathing is listed by two pathologies and "Dyspnée" by one, it comes first, although its
    // text is the longer one.
    db.exec(QStringLiteral("update SC set Exp = Exp || ' ample' where S = ?"),
            {QStringLiteral("Dyspn\u00E9e")});
    db.exec(QStringLiteral("update Data set S = 'Toux | 1' where P = 'Insuffisance cardiaque'"));
    db.exec(QStringLiteral(
        "insert into Data (P, S) values ('Insuffisance r\u00E9nale', 'Respiration de Kussmaul | 2')"));
    ForgetKnowledge();
    EXPECT_EQ(RechercheSC(query, QStringLiteral("SC"), QStringLiteral("ample"), u'f', {}),
              texts({u"Dyspn\u00E9e", u"Respiration de Kussmaul"}));
    EXPECT_EQ(recognize(u"ample").candidates, texts({u"Respiration de Kussmaul", u"Dyspn\u00E9e"}));
}

TEST_F(WiderSearchTest, AnExclusionWordHidesOnlyWhatExplainsNoMoreOfTheTypedWords)
{
    // "Lombalgie" hides "Douleur fosse lombaire" when only its own words are typed.
    db.exec(QStringLiteral("update SC set Sup = 'fosse' where S = 'Lombalgie'"));
    ForgetKnowledge();
    struct Case {
        const char16_t* typed;
        QStringList expected;
    };
    const Case cases[] = {
        // The strict search: every exclusion word applies.
        {u"douleur lombaire", texts({u"Lombalgie"})},
        {u"douleur fosse lombaire", texts({u"Douleur fosse lombaire"})},
        // The wider search: both explain the same typed words, the exclusion word applies.
        {u"douleur lombaire brutale", texts({u"Lombalgie"})},
        // "fosse" is explained by the variant alone: it stays, and names more of the typed words.
        {u"dos fosse lombaire", texts({u"Douleur fosse lombaire", u"Lombalgie"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.typed).toStdString());
        EXPECT_EQ(recognize(c.typed).candidates, c.expected);
    }
}

TEST_F(WiderSearchTest, EntriesHoldingATypedWordAsAWordComeBeforeThoseHoldingItInsideAnother)
{
    // "fa" lies inside "fatigue" and "faciale", "tique" inside "posttraumatique": the entries
    // holding them as words (or, for "tique", its inflection "tiques") sort last alphabetically.
    db.exec(QStringLiteral("insert into SC (S, Exp) values ('Asth\u00E9nie', 'asthenie fatigue'), "
                           "('Douleur faciale', 'douleur faciale face'), "
                           "('Pathologie : Fibrillation atriale', 'fibrillation atriale pathologie fa'), "
                           "('Amn\u00E9sie post-traumatique', 'amnesie posttraumatique'), "
                           "('Piq\u00FBre de tique', 'piqure tiques'), "
                           "('Cro\u00FBtes de lait', 'croutes lait'), "
                           "('D\u00E9ficit neurologique transitoire', 'deficit transitoire ait')"));
    ForgetKnowledge();
    struct Case {
        const char16_t* typed;
        const char16_t* strictQuery;
        const char16_t* first;
    };
    const Case cases[] = {
        {u"en FA", u"fa", u"Pathologie : Fibrillation atriale"},
        {u"tique", u"tique", u"Piq\u00FBre de tique"},
        {u"AIT", u"ait", u"D\u00E9ficit neurologique transitoire"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.typed).toStdString());
        const QStringList strict =
            RechercheSC(query, QStringLiteral("SC"), QString::fromUtf16(c.strictQuery), u'f', {});
        const Recognized found = recognize(c.typed);
        ASSERT_GT(strict.size(), 1);
        EXPECT_NE(strict.first(), QString::fromUtf16(c.first));
        EXPECT_EQ(found.candidates.value(0), QString::fromUtf16(c.first));
        // The set the strict search finds is kept whole.
        QStringList sortedFound = found.candidates;
        QStringList sortedStrict = strict;
        sortedFound.sort();
        sortedStrict.sort();
        EXPECT_EQ(sortedFound, sortedStrict);
    }
    // The temperature of a record, "T°", is read as the word, not as a stray "t".
    for (const char16_t* typed : {u"T\u00B0 39,5", u"t\u00B0 38", u"fi\u00E8vre T \u00B0 40"}) {
        SCOPED_TRACE(QString::fromUtf16(typed).toStdString());
        EXPECT_EQ(recognize(typed).candidates, recognize(u"temperature").candidates);
    }
    // A mistyped word, held as a word by no entry, keeps the order it had.
    EXPECT_EQ(recognize(u"fievr").candidates.first(), QStringLiteral("Fi\u00E8vre"));
}

TEST_F(WiderSearchTest, ADenialFindsTheSignItDenies)
{
    struct Case {
        const char16_t* typed;
        const char16_t* first; // nullptr: nothing found
        bool negated;
    };
    const Case cases[] = {
        {u"pas de fi\u00E8vre", u"Fi\u00E8vre", true},
        {u"Pas de fievre", u"Fi\u00E8vre", true},
        {u"sans toux", u"Toux", true},
        {u"aucune toux", u"Toux", true},
        {u"absence de toux", u"Toux", true},
        {u"pas d'vertiges", u"Vertiges", true},
        {u"non fievre", u"Fi\u00E8vre", true},
        {u"apyrexie", u"Fi\u00E8vre", true},
        {u"afebrile depuis hier", u"Fi\u00E8vre", true},
        {u"pas de toux ni fievre", u"Toux", true}, // the first denied sign
        {u"ni toux ni fievre", u"Toux", true},
        {u"bon \u00E9tat g\u00E9n\u00E9ral", u"Alt\u00E9ration de l'\u00E9tat g\u00E9n\u00E9ral", true},
        {u"app\u00E9tit conserv\u00E9", u"Anorexie", true},
        {u"pas de syncope brutale", u"Syncope", true}, // through the wider search
        {u"Las\u00E8gue n\u00E9gatif", u"Signe de Las\u00E8gue", true},
        // A sign named with the denying word is that sign, not its denial.
        {u"absence de r\u00E8gles", u"Am\u00E9norrh\u00E9e", false},
        // A denial of nothing known denies nothing.
        {u"sans", nullptr, false},
        {u"pas de zzqx", nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.typed).toStdString());
        const Recognized found = recognize(c.typed);
        if (!c.first) {
            EXPECT_TRUE(found.candidates.isEmpty());
        } else {
            ASSERT_FALSE(found.candidates.isEmpty());
            EXPECT_EQ(found.candidates.first(), QString::fromUtf16(c.first));
        }
        EXPECT_EQ(found.negated, c.negated);
    }
}

TEST_F(WiderSearchTest, ADenialOfASignByItsNameDeniesItWhateverSignHoldsTheDenyingWord)
{
    db.exec(QStringLiteral("insert into SC (S, Exp) values ('Infection sans fi\u00E8vre', "
                           "'infection sans fievre apyretique')"));
    ForgetKnowledge();
    for (const char16_t* typed : {u"sans fi\u00E8vre", u"apyr\u00E9tique", u"pas de fievre prolong\u00E9e"}) {
        SCOPED_TRACE(QString::fromUtf16(typed).toStdString());
        const Recognized found = recognize(typed);
        EXPECT_TRUE(found.negated);
        ASSERT_FALSE(found.candidates.isEmpty());
        EXPECT_TRUE(found.candidates.first().startsWith(QStringLiteral("Fi\u00E8vre")));
    }
    // Typed with what it names, the sign holding the denial is found as it is.
    const Recognized infection = recognize(u"infection sans fi\u00E8vre");
    EXPECT_FALSE(infection.negated);
    EXPECT_EQ(infection.candidates.value(0), QStringLiteral("Infection sans fi\u00E8vre"));
}

} // namespace
