#include "recognition/Recognition.h"

#include "kb/Query.h"
#include "kb/Schema.h"
#include "kb/Sqlite.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace vardelo;
using namespace vardelo::recognition;

namespace {

QStringList words(std::initializer_list<const char16_t*> list)
{
    QStringList out;
    for (const char16_t* w : list)
        out.append(QString::fromUtf16(w));
    return out;
}

struct Entry {
    const char16_t* text;
    const char16_t* exp;
    const char16_t* sup;
    const char16_t* sex;
    const char16_t* age;
};

// A small vocabulary where each search rule shows: exclusion words ("Toux" hides "Toux grasse"),
// entries reserved to one sex or age band, several entries sharing a keyword.
const Entry Signs[] = {
    {u"Fi\u00E8vre", u"fievre febrile hyperthermie temperature", u"apyrexie", u"", u""},
    {u"Apyrexie", u"apyrexie absence fievre afebrile", u"", u"", u""},
    {u"Toux", u"toux tousse", u"grasse", u"", u""},
    {u"Toux grasse", u"toux grasse productive crachats", u"", u"", u""},
    {u"Absence de toux", u"absence toux", u"", u"", u""},
    {u"Absence de crachats", u"absence crachats toux seche", u"", u"", u""},
    {u"Crachats", u"crachats expectoration toux", u"", u"", u""},
    {u"Quintes nocturnes", u"quintes quinte toux nuit nocturnes", u"", u"", u""},
    {u"Douleur d'effort", u"douleur effort", u"", u"", u""},
    {u"Douleur thoracique", u"douleur thoracique poitrine thorax", u"", u"", u""},
    {u"Douleur testiculaire", u"douleur testicule testiculaire bourse", u"", u"h", u""},
    {u"M\u00E9trorragies", u"metrorragies saignement vaginal", u"", u"f", u""},
    {u"Pleurs du nourrisson", u"pleurs nourrisson bebe", u"", u"", u"1"},
    {u"Carence en vitamine B2", u"carence vitamine b2 riboflavine", u"", u"", u""},
};

const Entry Exams[] = {
    {u"CRP : \u00C9lev\u00E9e", u"crp elevee inflammation", u"", u"", u""},
    {u"Radiographie thoracique : Opacit\u00E9 alv\u00E9olaire",
     u"radiographie thoracique opacite alveolaire radio", u"", u"", u""},
    {u"Radiographie thoracique : Normale", u"radiographie thoracique normale radio", u"", u"", u""},
    {u"Beta-HCG : Positif", u"beta hcg bhcg grossesse test", u"", u"f", u""},
};

const char16_t* const Pathologies[][2] = {
    {u"Angine", u"angine pharyngite gorge amygdalite"},
    {u"Ulc\u00E8re gastrique", u"ulcere gastrique estomac"},
    {u"Angor d'effort", u"angor angine poitrine effort"},
    {u"Gastrite", u"gastrite estomac"},
};

const QString StopWords = QStringLiteral(" le la les de des du d un une et au aux en a depuis avec ");

void fill(kb::Connection& db)
{
    kb::createSchema(db);
    for (const auto& [table, entries] :
         {std::pair{QStringLiteral("SC"), std::vector<Entry>(std::begin(Signs), std::end(Signs))},
          std::pair{QStringLiteral("EC"), std::vector<Entry>(std::begin(Exams), std::end(Exams))}}) {
        for (const Entry& e : entries)
            db.exec(QStringLiteral("insert into %1 (S, Exp, Sup, X, A) values (?, ?, ?, ?, ?)").arg(table),
                    {QString::fromUtf16(e.text), QString::fromUtf16(e.exp), QString::fromUtf16(e.sup),
                     QString::fromUtf16(e.sex), QString::fromUtf16(e.age)});
    }
    for (const auto& p : Pathologies)
        db.exec(QStringLiteral("insert into Data (P, RP) values (?, ?)"),
                {QString::fromUtf16(p[0]), QString::fromUtf16(p[1])});
    db.exec(QStringLiteral("update Prm set V = ? where T = 'MS'"), {StopWords});
}

class RecognitionTest : public ::testing::Test {
protected:
    void SetUp() override { fill(db); }

    // Both forms of the search must give the expected list.
    void expectSigns(const QString& table, const QString& text, QChar sex, const QString& age,
                     const QStringList& expected)
    {
        SCOPED_TRACE((table + u' ' + text + u' ' + sex + u' ' + age).toStdString());
        EXPECT_EQ(RechercheSC(query, table, text, sex, age), expected);
        EXPECT_EQ(literal::RechercheSC(query, table, text, sex, age), expected);
    }
    void expectPathologies(const QString& text, const QStringList& expected)
    {
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(RechercheP(query, text), expected);
        EXPECT_EQ(literal::RechercheP(query, text), expected);
    }

    kb::Connection db{QStringLiteral(":memory:"), kb::Connection::Mode::Create};
    kb::Query query{db};
};

TEST(RecognitionText, SignWords)
{
    const std::pair<const char16_t*, QStringList> cases[] = {
        {u"Vitamine B 2", words({u"vitamine", u"b2"})},
        {u"vitamine B2 grade 2", words({u"vitamine", u"b2", u"grade", u"2"})}, // a b2 keeps every 2
        {u"Grade 2", words({u"grade"})},
        {u"12", {}},
        {u"Douleur d'effort", words({u"douleur", u"d", u"effort"})},
        {u"Fi\u00E8vre (39,5\u00B0C) !", words({u"fievre", u"c"})},
        {u"\u00C9PAULE \u00CFle \u00D6DEME", words({u"\u00C9paule", u"ile", u"odeme"})}, // A to Z only
        {u"mal   au  \"ventre\"", words({u"mal", u"au", u"ventre"})},
        {u"c\u0153ur \u0152d\u00E8me \u00E6",
         words({u"coeur", u"oedeme", u"ae"})}, // ligatures as keywords write them
        {u"{[(&_\\/-+*=:;,.?!\u00A7#%\u00B0013456789\")]}", {}},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(SignWords(QString::fromUtf16(text)), expected) << QString::fromUtf16(text).toStdString();
}

TEST(RecognitionText, PathologyWords)
{
    const std::pair<const char16_t*, QStringList> cases[] = {
        {u"Douleur d'effort", words({u"douleur", u"effort"})},
        {u"l'estomac, ulc\u00E8re-gastrique!", words({u"estomac", u"ulc\u00E8re", u"gastrique"})},
        {u"Vitamine B 2", words({u"vitamine", u"b", u"2"})},
        {u"(Angine)", words({u"(angine)"})},
        {u"\u0152d\u00E8me aigu", words({u"oed\u00E8me", u"aigu"})},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(PathologyWords(QString::fromUtf16(text)), expected)
            << QString::fromUtf16(text).toStdString();
}

TEST_F(RecognitionTest, SignsFoundThroughKeywordsStopWordsAndClosestWords)
{
    const QString sc = QStringLiteral("SC");
    const QChar h = u'h';
    expectSigns(sc, QStringLiteral("fievre"), h, {}, words({u"Fi\u00E8vre"})); // "Apyrexie" hidden
    expectSigns(sc, QStringLiteral("FIEVRE"), h, {}, words({u"Fi\u00E8vre"}));
    // Lower-casing stops at Z: "fi\u00C8vre" is neither a keyword nor close enough to "fievre".
    expectSigns(sc, QStringLiteral("FI\u00C8VRE"), h, {}, {});
    expectSigns(sc, QStringLiteral("fievr"), h, {}, words({u"Fi\u00E8vre"}));
    // "depuiss" is close to the stop word "depuis"; "le la des" are stop words only.
    expectSigns(sc, QStringLiteral("le la des"), h, {}, {});
    expectSigns(sc, QStringLiteral("toux grasse depuiss"), h, {}, words({u"Toux grasse"}));
    // An unknown word is dropped and does not block the others.
    expectSigns(sc, QStringLiteral("fievre zzzkw"), h, {}, words({u"Fi\u00E8vre"}));
    // Two words: only the entries holding both.
    expectSigns(sc, QStringLiteral("Douleur d'effort"), h, {}, words({u"Douleur d'effort"}));
    expectSigns(sc, QStringLiteral("Vitamine B 2"), h, {}, words({u"Carence en vitamine B2"}));
    expectSigns(sc, QStringLiteral("Grade 2"), h, {}, {});
}

TEST_F(RecognitionTest, ExclusionWordsApplyOnlyFromMatchingEntries)
{
    // "Toux" hides "Toux grasse" when only "toux" is typed; typing "crachats" does not match
    // "Toux", so "Toux grasse" comes back; "toux grasse" finds it too.
    expectSigns(QStringLiteral("SC"), QStringLiteral("toux grasse"), u'h', {}, words({u"Toux grasse"}));
    expectSigns(QStringLiteral("SC"), QStringLiteral("crachats"), u'h', {},
                words({u"Absence de crachats", u"Crachats", u"Toux grasse"}));
}

TEST_F(RecognitionTest, CandidatesLikeTheTypedWordsComeFirstThenLikeTheBestThenTheRest)
{
    // Alphabetical: Absence de crachats, Absence de toux, Crachats, Quintes nocturnes, Toux.
    // "Absence de toux" and "Toux" resemble "toux"; "Absence de crachats" resembles
    // "Absence de toux" (the best); the rest keeps its order.
    expectSigns(
        QStringLiteral("SC"), QStringLiteral("toux"), u'h', {},
        words({u"Absence de toux", u"Toux", u"Absence de crachats", u"Crachats", u"Quintes nocturnes"}));
}

TEST_F(RecognitionTest, SexAndAgeBandChooseTheCorrectingVocabularyOnly)
{
    const QString sc = QStringLiteral("SC");
    // The misspelt word is corrected only against the entries that apply to the patient...
    expectSigns(sc, QStringLiteral("testiculiare"), u'h', {}, words({u"Douleur testiculaire"}));
    expectSigns(sc, QStringLiteral("testiculiare"), u'f', {}, {});
    expectSigns(sc, QStringLiteral("nourisson"), u'h', QStringLiteral("1"), words({u"Pleurs du nourrisson"}));
    expectSigns(sc, QStringLiteral("nourisson"), u'h', QStringLiteral("2"), {});
    expectSigns(sc, QStringLiteral("nourisson"), u'h', {}, {}); // no band: unrestricted entries only
    // ...but a word the keywords hold finds every entry; the exam dialog checks sex and age after.
    expectSigns(sc, QStringLiteral("douleur testiculiare"), u'f', {},
                words({u"Douleur d'effort", u"Douleur testiculaire", u"Douleur thoracique"}));
    expectSigns(QStringLiteral("EC"), QStringLiteral("beta hcg"), u'h', {}, words({u"Beta-HCG : Positif"}));
    expectSigns(QStringLiteral("EC"), QStringLiteral("radio thoracique"), u'f', {},
                words({u"Radiographie thoracique : Normale",
                       u"Radiographie thoracique : Opacit\u00E9 alv\u00E9olaire"}));
}

TEST_F(RecognitionTest, BadInputGivesAnEmptyOrSoundResult)
{
    const QString paste = QStringLiteral("douleur thoracique depuis trois jours avec toux, ").repeated(40);
    const QString inputs[] = {
        QString(),
        QStringLiteral("   "),
        QStringLiteral("12 %% ?! ..."),
        QStringLiteral("'; drop table SC; --"),
        QStringLiteral("fi\u00E8vre' OR '1'='1"),
        QStringLiteral("toux\t\x01\x02\r\n"),
        QString(QChar(0)) + QStringLiteral("toux"),
        paste,
        QString(2000, u'x'),
    };
    for (const QString& text : inputs) {
        SCOPED_TRACE(text.left(40).toStdString());
        for (const QString& table : {QStringLiteral("SC"), QStringLiteral("EC")}) {
            const QStringList fast = RechercheSC(query, table, text, u'f', QStringLiteral("3"));
            EXPECT_EQ(fast, literal::RechercheSC(query, table, text, u'f', QStringLiteral("3")));
        }
        EXPECT_EQ(RechercheP(query, text), literal::RechercheP(query, text));
    }
    for (const QString& text : {QString(), QStringLiteral("   "), QStringLiteral("12 %% ?! ...")})
        EXPECT_EQ(RechercheSC(query, QStringLiteral("SC"), text, u'f', {}), QStringList());
    // A NUL character never reaches the SQL text, in either form of the search.
    EXPECT_EQ(
        RechercheSC(query, QStringLiteral("SC"), QString(QChar(0)) + QStringLiteral("quintes"), u'f', {}),
        words({u"Quintes nocturnes"}));
    query.open(QStringLiteral("select * from SC"));
    EXPECT_EQ(query.recordCount(), int(std::size(Signs)));
    EXPECT_THROW(RechercheSC(query, QStringLiteral("Data"), QStringLiteral("toux"), u'f', {}),
                 std::invalid_argument);
    EXPECT_THROW(RechercheSC(query, QStringLiteral("SC; drop table SC"), QStringLiteral("toux"), u'f', {}),
                 std::invalid_argument);
}

TEST_F(RecognitionTest, APasteIsReadUpToSixteenDistinctWords)
{
    // Sixteen made-up words that no keyword holds: a word after them is not read, one among them is.
    QStringList madeUp;
    for (char16_t c = u'a'; c < u'a' + 16; ++c)
        madeUp.append(QStringLiteral("zzq") + QChar(c) + QChar(c));
    const QString stopWords = QStringLiteral(" le la les de ").repeated(20);
    expectSigns(QStringLiteral("SC"), madeUp.join(u' ') + stopWords + QStringLiteral(" quintes"), u'h', {},
                {});
    expectSigns(QStringLiteral("SC"), QStringLiteral("quintes ") + madeUp.join(u' ') + stopWords, u'h', {},
                words({u"Quintes nocturnes"}));
    expectPathologies(madeUp.join(u' ') + QStringLiteral(" gastrite"), {});
    expectPathologies(madeUp.mid(1).join(u' ') + QStringLiteral(" gastrite gastrite"), words({u"Gastrite"}));
}

TEST_F(RecognitionTest, PathologiesByNameInTheOrderOfTheBase)
{
    expectPathologies(QStringLiteral("l'estomac"), words({u"Ulc\u00E8re gastrique", u"Gastrite"}));
    expectPathologies(QStringLiteral("Douleur d'effort"), words({u"Angor d'effort"})); // "douleur" unknown
    expectPathologies(QStringLiteral("angine de poitrine"), words({u"Angor d'effort"}));
    expectPathologies(QStringLiteral("angin"), words({u"Angine", u"Angor d'effort"}));
    expectPathologies(QStringLiteral("la, des."), {});
    // Typed wildcard characters are characters: no pathology name holds them.
    for (const char* typed : {"%", "_", "%%", "%_%"})
        expectPathologies(QString::fromLatin1(typed), {});
    // Accents stay in this search: "ulcère" is neither a keyword nor close enough to "ulcere".
    expectPathologies(QStringLiteral("ulc\u00E8re gastrique"), words({u"Ulc\u00E8re gastrique"}));
}

TEST_F(RecognitionTest, WithoutAStopWordRowNoWordIsAStopWord)
{
    // "la" is a stop word, and also part of the keyword "testiculaire".
    expectSigns(QStringLiteral("SC"), QStringLiteral("toux la nuit"), u'h', {},
                words({u"Quintes nocturnes"}));
    db.exec(QStringLiteral("delete from Prm where T = 'MS'"));
    expectSigns(QStringLiteral("SC"), QStringLiteral("toux la nuit"), u'h', {}, {});
}

TEST_F(RecognitionTest, KnowledgeWrittenAfterASearchIsSeenByTheNext)
{
    const QString sc = QStringLiteral("SC");
    EXPECT_EQ(RechercheSC(query, sc, QStringLiteral("vertiges"), u'h', {}), QStringList());
    db.exec(QStringLiteral("insert into SC (S, Exp) values ('Vertiges', 'vertiges vertige tete tourne')"));
    EXPECT_EQ(RechercheSC(query, sc, QStringLiteral("vertige"), u'h', {}), words({u"Vertiges"}));
    EXPECT_EQ(RechercheSC(query, sc, QStringLiteral("vertiges"), u'h', {}), words({u"Vertiges"}));
}

TEST(RecognitionEmptyBase, FindsNothingWithoutFailing)
{
    kb::Connection db(QStringLiteral(":memory:"), kb::Connection::Mode::Create);
    kb::createSchema(db);
    kb::Query query(db);
    for (const QString& table : {QStringLiteral("SC"), QStringLiteral("EC")}) {
        EXPECT_EQ(RechercheSC(query, table, QStringLiteral("douleur thoracique"), u'h', {}), QStringList());
        EXPECT_EQ(literal::RechercheSC(query, table, QStringLiteral("douleur thoracique"), u'h', {}),
                  QStringList());
    }
    EXPECT_EQ(RechercheP(query, QStringLiteral("angine")), QStringList());
    EXPECT_EQ(literal::RechercheP(query, QStringLiteral("angine")), QStringList());
}

TEST(RecognitionConnections, EachConnectionSeesItsOwnKnowledge)
{
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("first.vdat"));
    const QString second = dir.filePath(QStringLiteral("second.vdat"));
    {
        kb::Connection db(first, kb::Connection::Mode::Create);
        fill(db);
    }
    {
        kb::Connection db(second, kb::Connection::Mode::Create);
        fill(db);
        db.exec(QStringLiteral("update SC set S = 'Toux sèche' where S = 'Toux'"));
    }
    // One connection after the other, as a program that reopens its file does: a handle address
    // used again must not bring back the previous file's knowledge.
    for (int round = 0; round < 3; ++round) {
        for (const auto& [path, expected] : {std::pair{first, QStringLiteral("Toux")},
                                             std::pair{second, QStringLiteral("Toux s\u00E8che")}}) {
            kb::Connection db(path, kb::Connection::Mode::ReadOnly);
            kb::Query query(db);
            const QStringList found =
                RechercheSC(query, QStringLiteral("SC"), QStringLiteral("tousse"), u'h', {});
            EXPECT_EQ(found, QStringList{expected});
        }
    }
}

} // namespace
