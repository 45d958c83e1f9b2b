// The searches as the program runs them: the same answers as the literal ones (LiteralSearch.cpp),
// from what the knowledge base holds read once per connection instead of once per call.
//
// What is kept, per connection, until anything is written to the file:
// - the stop words, and the rows of SC, EC and Data that the searches read (text, keywords,
//   exclusion words), with the alphabetical rank of every sign and exam text;
// - the vocabulary of each table, sex and age band, prepared for closest-word look-ups;
// - per word, its closest vocabulary word and the rows whose keywords hold it.
// The LIKE tests of the literal searches become substring tests on case-folded keywords (the same
// folding as the database's LIKE), and the conditions become intersections of row lists.

#include "recognition/Recognition.h"

#include "case/KbLines.h"
#include "kb/JetFunctions.h"
#include "kb/Sqlite.h"
#include "kb/VersionArea.h"
#include "recognition/SearchText.h"
#include "recognition/SmartCompare.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <bit>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <sqlite3.h>
#include <string>
#include <string_view>
#include <unordered_map>

namespace vardelo::recognition {

namespace {

using Rows = std::vector<int>; // row indexes, ascending

// Remembered word results are dropped wholesale past this many, so that a long session of typing
// cannot grow them without end.
constexpr qsizetype MaxRememberedWords = 50000;

// A sign text as typed words are compared with it: case folded, accents off.
QString plainText(const QString& text)
{
    QString plain = kb::foldCase(text).normalized(QString::NormalizationForm_D);
    plain.removeIf([](QChar c) { return c.category() == QChar::Mark_NonSpacing; });
    // Typed text spells the ligatures out.
    plain.replace(u'\u0153', QStringLiteral("oe")).replace(u'\u0152', QStringLiteral("oe"));
    return plain.replace(u'\u00E6', QStringLiteral("ae")).replace(u'\u00C6', QStringLiteral("ae"));
}

// The words of a sign text, as typed words are compared with them.
QStringList plainWords(const QString& text)
{
    static const QRegularExpression separators(QStringLiteral("[^a-z0-9]+"));
    return plainText(text).split(separators, Qt::SkipEmptyParts);
}

// The test "column LIKE '%word%'". A typed word (or its correction) is matched literally; only the
// knowledge's own exclusion words keep "%" and "_" as wildcards. Without wildcards it is a substring
// test on the case-folded texts, as the database's LIKE folds both sides.
struct Pattern {
    enum class Kind { Typed, Knowledge };
    Pattern(const QString& word, Kind kind)
        : core(detail::patternCore(word))
        , folded(kb::foldCase(core))
        , wildcards(kind == Kind::Knowledge && (folded.contains(u'%') || folded.contains(u'_')))
    {}
    QString core;
    QString folded;
    bool wildcards;
};

// A keyword column (Exp, RP) read once, tested as the LIKE tests of the statements do. The folded
// texts follow one another in one buffer, each ended by a NUL that no pattern holds, so that a
// search for a word runs once over the buffer rather than once per row.
class KeywordColumn {
public:
    void add(const QString& keywords, bool isNull)
    {
        const QString folded = kb::foldCase(keywords);
        for (qsizetype i = 0; i + 3 <= folded.size(); ++i) {
            if (const int key = runKey(QStringView(folded).mid(i, 3)); key >= 0)
                runs_[size_t(key)] = true;
        }
        start_.push_back(buffer_.size());
        buffer_ += folded;
        buffer_ += QChar(0);
        null_.push_back(isNull);
    }
    int size() const { return int(start_.size()); }

    bool holds(int row, const Pattern& pattern) const
    {
        if (null_[size_t(row)])
            return false; // NULL LIKE anything is not true
        const QStringView text = rowText(row);
        if (pattern.wildcards)
            return kb::jetLike(u'%' + pattern.core + u'%', text);
        return text.contains(pattern.folded);
    }

    // The rows whose keywords hold word, remembered per word.
    std::shared_ptr<const Rows> rowsHolding(const QString& word)
    {
        const Pattern pattern(word, Pattern::Kind::Typed);
        if (const auto it = memo_.constFind(pattern.core); it != memo_.constEnd())
            return it.value();
        if (memo_.size() >= MaxRememberedWords)
            memo_.clear();
        auto rows = std::make_shared<Rows>();
        if (pattern.wildcards || pattern.folded.isEmpty()) {
            for (int r = 0; r < size(); ++r) {
                if (holds(r, pattern))
                    rows->push_back(r);
            }
        } else if (mayBeHeld(pattern.folded)) {
            const QStringView buffer(buffer_);
            qsizetype at = 0;
            while ((at = buffer.indexOf(pattern.folded, at)) >= 0) {
                const auto next = std::upper_bound(start_.begin(), start_.end(), at);
                const int row = int(next - start_.begin()) - 1;
                if (!null_[size_t(row)])
                    rows->push_back(row);
                if (next == start_.end())
                    break;
                at = *next; // the next row, past this one's other occurrences
            }
        }
        memo_.insert(pattern.core, rows);
        return rows;
    }
    void forgetWords() { memo_.clear(); }
    // The case-folded keywords of a row.
    QStringView rowText(int row) const
    {
        const qsizetype begin = start_[size_t(row)];
        const qsizetype end =
            size_t(row) + 1 < start_.size() ? start_[size_t(row) + 1] - 1 : buffer_.size() - 1;
        return QStringView(buffer_).mid(begin, end - begin);
    }

private:
    // Three characters of plain ASCII as one number, -1 for any other run.
    static int runKey(QStringView run)
    {
        const char16_t a = run[0].unicode(), b = run[1].unicode(), c = run[2].unicode();
        if (a >= 128 || b >= 128 || c >= 128)
            return -1;
        return (a << 14) | (b << 7) | c;
    }
    // False when the word holds a run of three characters that no row's keywords hold: most
    // misspelt and made-up words are then settled without reading the rows.
    bool mayBeHeld(QStringView folded) const
    {
        for (qsizetype i = 0; i + 3 <= folded.size(); ++i) {
            const int key = runKey(folded.mid(i, 3));
            if (key >= 0 && !runs_[size_t(key)])
                return false;
        }
        return true;
    }

    QString buffer_;
    std::vector<qsizetype> start_; // offset of each row's text in buffer_
    std::vector<bool> null_;
    std::vector<bool> runs_ = std::vector<bool>(size_t(1) << 21); // by runKey: the run occurs in a row
    QHash<QString, std::shared_ptr<const Rows>> memo_;
};

// A vocabulary prepared for closest-word look-ups, with the answers remembered per word.
class Vocabulary {
public:
    explicit Vocabulary(const QString& text)
        : words_(text)
    {}
    QString closest(const QString& word)
    {
        if (const auto it = memo_.constFind(word); it != memo_.constEnd())
            return it.value();
        if (memo_.size() >= MaxRememberedWords)
            memo_.clear();
        const QString found = words_.closest(word);
        memo_.insert(word, found);
        return found;
    }
    // The vocabulary word nearest to word by the distance that forgives a swap of two
    // neighbouring letters, or an empty string when none is near enough; at any cost, a wrong
    // letter in a word of six or seven letters is forgiven too (see NearWords).
    QString near(const QString& word, bool atAnyCost = false)
    {
        QHash<QString, QString>& memo = atAnyCost ? nearAtAnyCostMemo_ : nearMemo_;
        if (const auto it = memo.constFind(word); it != memo.constEnd())
            return it.value();
        if (memo.size() >= MaxRememberedWords)
            memo.clear();
        if (!near_)
            near_ = std::make_unique<NearWords>(words_.words());
        const QString found = atAnyCost ? near_->nearestAtAnyCost(word) : near_->nearest(word);
        memo.insert(word, found);
        return found;
    }
    void forgetWords()
    {
        memo_.clear();
        nearMemo_.clear();
        nearAtAnyCostMemo_.clear();
    }

private:
    WordList words_;
    QHash<QString, QString> memo_;
    QHash<QString, QString> nearMemo_;
    QHash<QString, QString> nearAtAnyCostMemo_;
    std::unique_ptr<NearWords> near_; // prepared at the first look-up
};

struct EntryTable {
    std::vector<QString> text;    // S
    std::vector<QString> plain;   // S lower-cased without accents, as typed words are
    std::vector<QStringList> sup; // Sup, as words
    std::vector<int> rank;        // position of S in alphabetical order (equal texts share one)
    // How common each entry is, by text: the number of pathologies that list it, in powers of two
    // (0 for none, 1 for one, 2 for two or three, 3 for four to seven…). Read at its first use.
    QHash<QString, int> commonness;
    bool commonnessRead = false;
    KeywordColumn keywords;                                                          // Exp
    std::map<std::pair<QString, QString>, std::unique_ptr<Vocabulary>> vocabularies; // by sex, age
    std::map<QString, Rows> rowsByWord; // every keyword word, with the rows holding it; built once
    QSet<QString> names;                // every text as its typed words, space-separated; built once

    // The rows whose keywords hold a word that begins with stem and has at most maxLength letters.
    Rows rowsByStem(const QString& stem, qsizetype maxLength)
    {
        if (rowsByWord.empty()) {
            for (int r = 0; r < keywords.size(); ++r) {
                for (const QString& w : keywords.rowText(r).toString().split(u' ', Qt::SkipEmptyParts)) {
                    Rows& rows = rowsByWord[w];
                    if (rows.empty() || rows.back() != r)
                        rows.push_back(r);
                }
            }
        }
        Rows found;
        for (auto it = rowsByWord.lower_bound(stem); it != rowsByWord.end() && it->first.startsWith(stem);
             ++it) {
            if (it->first.size() <= maxLength)
                found.insert(found.end(), it->second.begin(), it->second.end());
        }
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());
        return found;
    }
};

struct PathologyTable {
    std::vector<QString> names; // P
    KeywordColumn keywords;     // RP
    std::unique_ptr<Vocabulary> vocabulary;
};

struct Snapshot {
    QString stamp; // the knowledge stamp it was read under
    bool stopLoaded = false;
    QString stopText;
    std::unique_ptr<Vocabulary> stopWords;
    QSet<QString> stopKeys; // folded stop words, for the pathology search
    std::unique_ptr<EntryTable> sc;
    std::unique_ptr<EntryTable> ec;
    std::unique_ptr<PathologyTable> data;
};

// Snapshots by connection. Never destroyed: connections closing during static destruction still
// find it. A connection's snapshot goes when the connection closes (see snapshotFor).
std::unordered_map<sqlite3*, std::unique_ptr<Snapshot>>& snapshots()
{
    static auto* map = new std::unordered_map<sqlite3*, std::unique_ptr<Snapshot>>();
    return *map;
}

void forgetConnection(void* handle)
{
    snapshots().erase(static_cast<sqlite3*>(handle));
}

void unusedFunction(sqlite3_context* context, int, sqlite3_value**)
{
    sqlite3_result_null(context);
}

Snapshot& snapshotFor(kb::Connection& connection)
{
    sqlite3* db = connection.handle();
    auto& map = snapshots();
    auto it = map.find(db);
    if (it == map.end()) {
        // A function whose destructor SQLite calls when the connection closes: a later connection
        // that happens to get the same handle address never sees this one's knowledge.
        const int rc = sqlite3_create_function_v2(db, "vardelo_recognition_snapshot", 0, SQLITE_UTF8, db,
                                                  unusedFunction, nullptr, nullptr, forgetConnection);
        if (rc != SQLITE_OK)
            throw kb::DbError(rc, QString::fromUtf8(sqlite3_errmsg(db)));
        it = map.emplace(db, std::make_unique<Snapshot>()).first;
    }
    Snapshot& snapshot = *it->second;
    const QString stamp = kb::knowledgeStamp(connection);
    if (snapshot.stamp != stamp) {
        snapshot = Snapshot();
        snapshot.stamp = stamp;
    }
    return snapshot;
}

void loadStopWords(kb::Connection& connection, Snapshot& snapshot)
{
    if (snapshot.stopLoaded)
        return;
    kb::Statement statement(connection, QStringLiteral("select V from Prm where T = ?"));
    statement.bind({detail::StopWordsKey});
    snapshot.stopText = statement.step() ? statement.text(0) : QString();
    snapshot.stopWords = std::make_unique<Vocabulary>(snapshot.stopText);
    for (const QString& w : detail::knowledgeWords(snapshot.stopText))
        snapshot.stopKeys.insert(kb::foldCase(w));
    snapshot.stopLoaded = true;
}

EntryTable& entryTable(kb::Connection& connection, Snapshot& snapshot, const QString& table)
{
    std::unique_ptr<EntryTable>& slot = table == u"SC" ? snapshot.sc : snapshot.ec;
    if (slot)
        return *slot;
    auto entries = std::make_unique<EntryTable>();
    // The rows in the order a full scan returns them, as the literal statements see them.
    kb::Statement statement(connection, QStringLiteral("select S, Exp, Sup from %1").arg(table));
    while (statement.step()) {
        entries->text.push_back(statement.text(0));
        entries->plain.push_back(plainText(statement.text(0)));
        entries->keywords.add(statement.text(1), statement.isNull(1));
        entries->sup.push_back(detail::knowledgeWords(statement.text(2)));
    }
    // Alphabetical ranks once, so that a search sorts its candidates by comparing integers.
    std::vector<int> order(entries->text.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(order.size());
    for (const QString& s : entries->text)
        keys.push_back(WordSortKey(s));
    const auto& texts = entries->text;
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const int byKey = keys[size_t(a)].compare(keys[size_t(b)]);
        if (byKey != 0)
            return byKey < 0;
        return CompareWords(texts[size_t(a)], texts[size_t(b)]) < 0;
    });
    entries->rank.assign(order.size(), 0);
    for (size_t i = 0; i < order.size(); ++i) {
        const bool same = i > 0 && texts[size_t(order[i])] == texts[size_t(order[i - 1])];
        entries->rank[size_t(order[i])] = same ? entries->rank[size_t(order[i - 1])] : int(i);
    }
    slot = std::move(entries);
    return *slot;
}

// When the typed words fit several entries equally, the one that more pathologies list is the more
// likely meant ("Dyspnée" rather than "Respiration de Kussmaul"). The knowledge lines are read as
// stored: with a cipher key set they do not name the entries, every entry counts as unlisted and
// the order is the one without this rule.
const QHash<QString, int>& entryCommonness(kb::Connection& connection, EntryTable& entries,
                                           const QString& table)
{
    if (entries.commonnessRead)
        return entries.commonness;
    QHash<QString, int> listings;
    kb::Statement statement(connection,
                            QStringLiteral("select %1 from Data").arg(table == u"SC" ? u"S" : u"E"));
    QSet<QString> listed;
    while (statement.step()) {
        listed.clear();
        for (const QString& line : statement.text(0).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts)) {
            // Exam lines are "name : result[ | weight]"; the entry is the whole line less its weight.
            listed.insert(table == u"SC" ? model::GetSC(line)
                                         : model::GetSC(line.startsWith(u'*') || line.startsWith(u'+')
                                                            ? QStringView(line).mid(1)
                                                            : QStringView(line)));
        }
        for (const QString& text : std::as_const(listed))
            ++listings[text];
    }
    for (const QString& text : entries.text)
        entries.commonness.insert(text, int(std::bit_width(unsigned(listings.value(text)))));
    entries.commonnessRead = true;
    return entries.commonness;
}

Vocabulary& entryVocabulary(kb::Connection& connection, EntryTable& entries, const QString& table,
                            const QString& sex, const QString& ageBand)
{
    auto& slot = entries.vocabularies[{sex, ageBand}];
    if (!slot) {
        kb::Statement statement(
            connection,
            QStringLiteral("select Exp from %1 where (X = '' or X = ?) AND (A = '' or A = ?)").arg(table));
        statement.bind({sex, ageBand});
        QString text;
        while (statement.step())
            text += u' ' + statement.text(0);
        slot = std::make_unique<Vocabulary>(text);
    }
    return *slot;
}

PathologyTable& pathologyTable(kb::Connection& connection, Snapshot& snapshot)
{
    if (!snapshot.data) {
        auto data = std::make_unique<PathologyTable>();
        kb::Statement statement(connection, QStringLiteral("select P, RP from Data"));
        QString text;
        while (statement.step()) {
            data->names.push_back(statement.text(0));
            data->keywords.add(statement.text(1), statement.isNull(1));
            text += u' ' + statement.text(1);
        }
        data->vocabulary = std::make_unique<Vocabulary>(text);
        snapshot.data = std::move(data);
    }
    return *snapshot.data;
}

Rows unite(const Rows& a, const Rows& b)
{
    Rows out;
    out.reserve(a.size() + b.size());
    std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    return out;
}

Rows intersect(const Rows& a, const Rows& b)
{
    Rows out;
    std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    return out;
}

// Steps shared by both searches: drop the words that no row holds (directly or through their
// closest vocabulary word), and select the rows that hold every remaining word. Once the rows
// selected so far run out, no later word can bring one back, and the search answers nothing.
struct Selection {
    QStringList words; // remaining, in typed order
    Rows rows;
    bool empty() const { return words.isEmpty() || rows.empty(); }
};

Selection selectRows(QStringList words, KeywordColumn& keywords, Vocabulary& vocabulary)
{
    Selection selection;
    QHash<QString, bool> known;
    bool first = true;
    for (const QString& w : std::as_const(words)) {
        if (known.contains(w))
            continue;
        const auto direct = keywords.rowsHolding(w);
        const auto corrected = keywords.rowsHolding(vocabulary.closest(w));
        const bool holds = !direct->empty() || !corrected->empty();
        known.insert(w, holds);
        if (!holds)
            continue;
        const Rows either = unite(*direct, *corrected);
        selection.rows = first ? either : intersect(selection.rows, either);
        first = false;
        if (selection.rows.empty())
            return selection;
    }
    for (const QString& w : std::as_const(words)) {
        if (known.value(w))
            selection.words.append(w);
    }
    return selection;
}

// Words that say how, where or since when rather than what: a search never ends empty because of
// them. Also the words that say who the patient is, which the patient's sex and age band tell.
const QSet<QString>& qualifierWords()
{
    static const QSet<QString> words = [] {
        QSet<QString> set;
        const QString list = QStringLiteral(
            "brutal brutale brutales brutaux brutalement soudain soudaine soudainement subit subite "
            "violent violente violents violentes intense intenses fort forte forts fortes important "
            "importante importants importantes enorme enormes gros grosse horrible atroce atroces "
            "insupportable terrible severe severes leger legere legers legeres modere moderee "
            "petit petite petits petites aigu aigue aigus aigues recent recente recents recentes "
            "recemment progressif progressive progressivement gauche gauches droit droite droits "
            "droites bilateral bilaterale bilateraux unilateral unilaterale cote cotes haut bas "
            "depuis hier matin soir matinee soiree veille continu continue permanent permanente "
            "persistant persistante constant constante frequent frequente frequents frequentes "
            "inhabituel inhabituelle episode episodes parfois souvent beaucoup vraiment plutot "
            "patient patiente enfant enfants bebe nourrisson personne agee age dame monsieur "
            "madame homme femme ado adolescent adolescente fille garcon papy mamie "
            "chronique chroniques connu connue connus connues ancien ancienne anciens anciennes "
            "nouveau nouvelle nouveaux nouvelles habituel habituelle habituels habituelles anormal "
            "anormale anormaux anormales normal normale grave graves diffus diffuse diffuses "
            "localise localisee isole isolee rapide rapides lent lente long longue court courte "
            "total totale partiel partielle complet complete majeur majeure franc franche vif vive "
            "permanence continuel continuelle intermittent intermittente rapidement lentement "
            "brusque brusquement aggrave aggravee ameliore amelioree majore majoree etend etendu "
            "vite plus pas plaint generalise generalisee generalises generalisees tolere toleree "
            "etendue arrondi arrondie devant derriere dessus dessous moins minutes secondes fois "
            "sans raison apparente apparent particulier particuliere explication");
        for (const QString& w : list.split(u' ', Qt::SkipEmptyParts))
            set.insert(w);
        return set;
    }();
    return words;
}

// Takes the denial off the typed words ("pas de", "sans", "absence de", "aucun", "non", "ni" in front;
// "apyrexie" and its kin stand for the fever they deny; "négatif" after a sign, when signs are
// searched). Returns the denying word, empty when the words deny nothing.
QString takeNegation(QStringList& words, bool signs)
{
    static const QList<QStringList> openings = [] {
        QList<QStringList> list;
        for (const char16_t* opening :
             {u"pas de", u"pas d", u"pas du", u"pas des", u"absence de", u"absence d", u"absence du",
              u"absence des", u"pas", u"sans", u"aucun", u"aucune", u"aucuns", u"aucunes", u"non", u"ni"})
            list.append(QString::fromUtf16(opening).split(u' '));
        return list;
    }();
    for (const QStringList& opening : openings) {
        if (words.size() >= opening.size() && words.mid(0, opening.size()) == opening) {
            words.remove(0, opening.size());
            return opening.first();
        }
    }
    static const QHash<QString, QString> denials = {
        {QStringLiteral("apyrexie"), QStringLiteral("fievre")},
        {QStringLiteral("apyrexique"), QStringLiteral("fievre")},
        {QStringLiteral("apyretique"), QStringLiteral("fievre")},
        {QStringLiteral("afebrile"), QStringLiteral("fievre")},
        {QStringLiteral("anicterique"), QStringLiteral("ictere")},
        {QStringLiteral("eupneique"), QStringLiteral("dyspnee")},
    };
    for (QString& w : words) {
        if (const auto it = denials.constFind(w); it != denials.constEnd()) {
            const QString denying = w;
            w = it.value();
            return denying;
        }
    }
    // "bon état général" denies its alteration; "appétit conservé", "libido conservée" deny the
    // loss of what is kept.
    if (words.size() >= 3 && words.at(0) == u"bon" && words.at(1) == u"etat" && words.at(2) == u"general") {
        return words.takeFirst();
    }
    static const QSet<QString> kept = {QStringLiteral("conserve"), QStringLiteral("conservee"),
                                       QStringLiteral("conserves"), QStringLiteral("conservees")};
    if (words.size() >= 2 && kept.contains(words.last())) {
        return words.takeLast();
    }
    // An examination sign noted "négatif" ("Lasègue négatif", "Murphy négatif") is denied. Not for
    // the exam lines, whose results are themselves "Négatif".
    static const QSet<QString> negative = {QStringLiteral("negatif"), QStringLiteral("negative"),
                                           QStringLiteral("negatifs"), QStringLiteral("negatives")};
    if (signs && words.size() >= 2 && negative.contains(words.last())) {
        return words.takeLast();
    }
    return {};
}

// Records write the temperature "T°" (or "t°", "T °"): the degree sign, which the typed words
// lose, is all that tells it from a stray letter, so the notation is spelled out first.
QString spellRecordNotations(const QString& text)
{
    static const QRegularExpression temperature(QStringLiteral("(?<![\\p{L}\\d])[tT]\\s*\u00B0"));
    if (!text.contains(u'\u00B0'))
        return text;
    QString spelled = text;
    return spelled.replace(temperature, QStringLiteral("temperature "));
}

bool holdsRow(const Rows& rows, int row)
{
    return std::binary_search(rows.begin(), rows.end(), row);
}

// The strict search's answer: its three ordered parts, and the typed words it kept.
struct Ranked {
    QList<QStringList> groups; // empty when nothing was found
    QStringList words;
    // The typed words that no keyword holds as typed: the search took their closest word instead,
    // or left them out.
    QStringList dropped;
};

// One sign or exam search against the knowledge kept for the connection.
class SignSearch {
public:
    SignSearch(kb::Query& query, const QString& table, QChar sex, const QString& ageBand)
        : connection_(query.connection())
        , snapshot_(snapshotFor(connection_))
        , table_(table)
        , sex_(sex)
        , ageBand_(ageBand)
    {
        loadStopWords(connection_, snapshot_);
    }

    QStringList dropStopWords(QStringList words)
    {
        words.removeIf([&](const QString& w) {
            return detail::isStopWord(snapshot_.stopText, snapshot_.stopWords->closest(w));
        });
        detail::limitWords(words);
        return words;
    }
    QStringList typedWords(const QString& text) { return dropStopWords(SignWords(text)); }
    // The wider search keeps the words that only resemble a stop word ("tete" is close to "ete").
    QStringList dropExactStopWords(QStringList words)
    {
        words.removeIf([&](const QString& w) { return snapshot_.stopKeys.contains(kb::foldCase(w)); });
        detail::limitWords(words);
        return words;
    }

    // The search as the program always did it: every remaining word must be found.
    Ranked strict(const QStringList& words)
    {
        const Selection selection = selectRows(words, entries().keywords, vocabulary());
        if (selection.empty())
            return {};
        const std::vector<int> kept = visible(selection.rows);
        QStringList dropped;
        for (const QString& w : words) {
            if (!dropped.contains(w) && entries().keywords.rowsHolding(w)->empty())
                dropped.append(w);
        }
        return {OrderCandidateGroups(texts(kept), selection.words.join(QString())), selection.words, dropped};
    }

    // The candidates that resemble nothing typed keep only the alphabetical order, which says
    // nothing of relevance. Among them, those whose text names more of the typed words (or their
    // closest vocabulary words) come first, and of those, the ones of fewer words: the general
    // sign before its variants ("Fièvre" before "Fièvre prolongée" and before "Fébricule"); between
    // those, the sign more pathologies list first.
    QStringList generalFirst(const QStringList& rest, const QStringList& words)
    {
        if (rest.size() < 2)
            return rest;
        QList<std::pair<QString, QString>> forms;
        for (const QString& w : words)
            forms.append({w, vocabulary().closest(w)});
        const QHash<QString, int>& commonness = entryCommonness(connection_, entries(), table_);
        struct Keyed {
            QString text;
            int named;
            qsizetype length;
            int commonness = 0;
        };
        std::vector<Keyed> keyed;
        for (const QString& c : rest) {
            // A line naming an associated pathology names a disease, not the sign typed.
            if (c.startsWith(QStringLiteral("Pathologie : "))) {
                keyed.push_back({c, 0, std::numeric_limits<qsizetype>::max()});
                continue;
            }
            const QStringList textWords = plainWords(c);
            int named = 0;
            for (const auto& [typed, closest] : forms)
                named += textWords.contains(typed) || textWords.contains(closest) ? 1 : 0;
            keyed.push_back({c, named, textWords.size(), commonness.value(c)});
        }
        std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
            if (a.named != b.named)
                return a.named > b.named;
            if (a.commonness != b.commonness)
                return a.commonness > b.commonness;
            return a.length < b.length;
        });
        QStringList out;
        for (const Keyed& k : keyed)
            out.append(k.text);
        return out;
    }

    // The strict search's three parts as one list, the last one ordered as generalFirst does.
    QStringList joined(const Ranked& ranked)
    {
        if (ranked.groups.isEmpty())
            return {};
        // Within each part, whose own order is alphabetical, the candidates whose keywords hold
        // more of the typed words as words of their own come first; those that hold a typed word
        // only inside a longer word ("tique" in "posttraumatique", "fa" in "fatigue") follow. A
        // typed word that no keyword holds as typed counts by its nearest keyword ("geou" of "mal
        // au geou" is "genou" with a letter missing, while its closest word by the strict search's
        // measure may be a short word found everywhere).
        QStringList named = ranked.words;
        for (const QString& w : ranked.dropped) {
            const QString nearWord = vocabulary().near(w);
            if (!nearWord.isEmpty() && !named.contains(nearWord))
                named.append(nearWord);
        }
        const QHash<QString, int> held = heldAsWords(named);
        // Resemblance to an abbreviation of three letters or fewer says nothing ("ait" resembles
        // "lait", which holds it): the parts are then one, ordered as the last one is.
        if (ranked.words.join(QString()).size() <= 3)
            return wordsFirst(
                generalFirst(ranked.groups.at(0) + ranked.groups.at(1) + ranked.groups.at(2), ranked.words),
                held);
        return wordsFirst(ranked.groups.at(0), held) + wordsFirst(ranked.groups.at(1), held) +
               wordsFirst(generalFirst(ranked.groups.at(2), ranked.words), held);
    }

    // How many of the words each text's keywords hold as words of their own, or as their
    // inflection (a word each begins, at most two letters longer). A word of three letters or
    // fewer counts only as it is: mostly an abbreviation ("fa", "ait", "rot"), whose letters begin
    // many other words ("coup" is not "cou").
    QHash<QString, int> heldAsWords(const QStringList& words)
    {
        EntryTable& table = entries();
        QHash<QString, int> held;
        for (const QString& w : words) {
            QSet<QString> holding;
            for (const int r : table.rowsByStem(kb::foldCase(w), w.size() <= 3 ? w.size() : w.size() + 2))
                holding.insert(table.text[size_t(r)]);
            for (const QString& text : std::as_const(holding))
                ++held[text];
        }
        return held;
    }
    // The candidates, those holding more of the words first, each group in its order.
    static QStringList wordsFirst(QStringList candidates, const QHash<QString, int>& held)
    {
        if (held.isEmpty() || candidates.size() < 2)
            return candidates;
        std::stable_sort(candidates.begin(), candidates.end(),
                         [&](const QString& a, const QString& b) { return held.value(a) > held.value(b); });
        return candidates;
    }

    // Whether the words, as typed, are the text of an entry ("douleur thoracique").
    bool isEntryName(const QStringList& words)
    {
        EntryTable& table = entries();
        if (table.names.isEmpty()) {
            for (const QString& text : table.text)
                table.names.insert(plainWords(text).join(u' '));
        }
        return !words.isEmpty() && table.names.contains(words.join(u' '));
    }

    // Whether the keywords of the entry of that text hold word as one of their words.
    bool keywordsHold(const QString& text, const QString& word)
    {
        EntryTable& table = entries();
        const QString folded = kb::foldCase(word);
        for (size_t r = 0; r < table.text.size(); ++r) {
            if (table.text[r] == text &&
                table.keywords.rowText(int(r)).split(u' ', Qt::SkipEmptyParts).contains(folded))
                return true;
        }
        return false;
    }

    // The search when the strict one found nothing, in three steps, the first that finds something
    // answering: without the qualifying words; on the most telling words only; with the words
    // that no keyword holds corrected for a swapped, missing, extra or wrong letter.
    QStringList wider(const QStringList& words)
    {
        QStringList found = widerOn(words);
        if (!found.isEmpty())
            return found;
        QStringList corrected = words;
        bool changed = false;
        for (QString& w : corrected) {
            if (!wideRowsOf(w).empty())
                continue;
            // The last step: a word that nothing else explains may have a wrong letter.
            QString nearWord = vocabulary().near(w);
            if (nearWord.isEmpty())
                nearWord = vocabulary().near(w, true);
            if (!nearWord.isEmpty()) {
                w = nearWord;
                changed = true;
            }
        }
        if (!changed)
            return {};
        // Every corrected word first, read from the keyword index as the other steps are.
        QStringList known;
        for (const QString& w : std::as_const(corrected)) {
            if (!known.contains(w) && !wideRowsOf(w).empty())
                known.append(w);
        }
        if (known.isEmpty())
            return {};
        Rows rows = wideRowsOf(known.first());
        for (qsizetype i = 1; i < known.size() && !rows.empty(); ++i)
            rows = intersect(rows, wideRowsOf(known.at(i)));
        return rows.empty() ? widerOn(corrected) : rank(rows, known, known);
    }

private:
    EntryTable& entries() { return entryTable(connection_, snapshot_, table_); }
    Vocabulary& vocabulary()
    {
        if (!vocabulary_)
            vocabulary_ = &entryVocabulary(connection_, entries(), table_, detail::sexCode(sex_), ageBand_);
        return *vocabulary_;
    }

    // The rows holding a word, directly or through its closest vocabulary word.
    const Rows& rowsOf(const QString& word)
    {
        if (const auto it = rows_.find(word); it != rows_.end())
            return it->second;
        const auto direct = entries().keywords.rowsHolding(word);
        const auto corrected = entries().keywords.rowsHolding(vocabulary().closest(word));
        return rows_.emplace(word, unite(*direct, *corrected)).first->second;
    }

    // What the wider search takes a word to name: the rows holding a keyword that begins with its
    // stem (a beginning of at least five characters that leaves out no more than its last two:
    // "deforme" finds "deformation", "matinales" finds "matinale"). Read from the keywords' words
    // rather than by a scan of their text. The closest word of the strict search is left out: what
    // it brings, a word of a few common letters, is too loose once the strict search has failed.
    const Rows& wideRowsOf(const QString& word)
    {
        if (const auto it = wideRows_.find(word); it != wideRows_.end())
            return it->second;
        // A short word stands for itself and its inflections ("vomi", "vomis", "vomir"), not for
        // the longer words it begins ("gene" is not "generalise", "plus" not "plusieurs").
        const bool isShort = word.size() <= 5;
        const QString stem = isShort ? word : word.left(std::max<qsizetype>(5, word.size() - 2));
        Rows rows = entries().rowsByStem(kb::foldCase(stem), isShort ? word.size() + 2 : qsizetype(1) << 20);
        return wideRows_.emplace(word, std::move(rows)).first->second;
    }

    // Steps one and two on the given words.
    QStringList widerOn(const QStringList& words)
    {
        QStringList known;
        QStringList core;
        for (const QString& w : words) {
            if (known.contains(w) || wideRowsOf(w).empty())
                continue;
            known.append(w);
            if (!qualifierWords().contains(w))
                core.append(w);
        }
        if (core.isEmpty())
            return {};
        // The rows holding every word but the qualifying ones; or, when a single word was typed,
        // the rows holding it: the strict search may have left it out for resembling a stop word
        // ("dependant" is near "pendant").
        if (core.size() < known.size() || (words.size() == 1 && core.size() == 1)) {
            Rows rows = wideRowsOf(core.first());
            for (qsizetype i = 1; i < core.size() && !rows.empty(); ++i)
                rows = intersect(rows, wideRowsOf(core.at(i)));
            if (!rows.empty())
                return rank(rows, core, known);
        }
        if (core.size() < 2)
            return {};
        // The rows holding the largest number of the words, whichever they are; the rarer the
        // words a row holds, the more they tell.
        const double total = double(entries().keywords.size());
        std::vector<double> weight;
        for (const QString& w : core)
            weight.push_back(std::log(total / double(wideRowsOf(w).size())));
        std::map<int, std::uint32_t> masks; // by row
        for (qsizetype i = 0; i < core.size(); ++i) {
            for (const int r : wideRowsOf(core.at(i)))
                masks[r] |= std::uint32_t(1) << i;
        }
        int bestCount = 0;
        for (const auto& [row, mask] : masks)
            bestCount = std::max(bestCount, std::popcount(mask));
        Rows rows;
        QHash<int, double> rarity;
        for (const auto& [row, mask] : masks) {
            if (std::popcount(mask) != bestCount)
                continue;
            rows.push_back(row);
            double w = 0;
            for (qsizetype i = 0; i < core.size(); ++i)
                w += (mask >> i) & 1u ? weight[size_t(i)] : 0.0;
            rarity.insert(row, w);
        }
        return rank(rows, core, known, rarity);
    }

    // Whether the text of a sign names the typed word: one of its words is the word or shares its
    // stem.
    bool names(const QStringList& textWords, const QString& word)
    {
        const QStringView stem = QStringView(word).left(std::max<qsizetype>(5, word.size() - 2));
        return std::any_of(textWords.begin(), textWords.end(), [&](const QString& t) {
            return t == word || (word.size() >= 5 && t.startsWith(stem));
        });
    }

    // The candidates of the wider search: those explaining more of the typed words first; then
    // those whose text names more of them; then those holding the rarer words; then in the strict
    // search's order of similarity.
    QStringList rank(const Rows& rows, const QStringList& searched, const QStringList& typed,
                     const QHash<int, double>& rarity = {})
    {
        const std::vector<int> kept = visible(rows, typed);
        const QStringList candidates = texts(kept);
        struct Key {
            int explained = 0;
            int named = 0;
            double rarity = 0;
        };
        QHash<QString, Key> keys;
        for (size_t i = 0; i < kept.size(); ++i) {
            Key key;
            const QStringList textWords = plainWords(candidates.at(qsizetype(i)));
            for (const QString& w : typed) {
                key.explained += holdsRow(wideRowsOf(w), kept[i]) ? 1 : 0;
                key.named += names(textWords, w) ? 1 : 0;
            }
            key.rarity = rarity.value(kept[i]);
            keys.insert(candidates.at(qsizetype(i)), key);
        }
        QStringList ordered =
            joined({OrderCandidateGroups(candidates, searched.join(QString())), searched, {}});
        std::stable_sort(ordered.begin(), ordered.end(), [&](const QString& a, const QString& b) {
            const Key& x = keys[a];
            const Key& y = keys[b];
            if (x.explained != y.explained)
                return x.explained > y.explained;
            if (x.named != y.named)
                return x.named > y.named;
            return x.rarity > y.rarity;
        });
        return ordered;
    }

    // The rows left once the exclusion words of every one of them have hidden those whose keywords
    // hold one, each text once, in alphabetical order.
    //
    // In the wider search the rows explain only some of the typed words (typed). An entry's exclusion
    // words are there to hide its specific variants when the physician typed no more than the
    // entry itself: they hide a row only when that row explains none of the typed words the entry
    // does not. "mal fosse lombaire" keeps "Douleur fosse lombaire" beside "Lombalgie", whose
    // exclusion word is "fosse", because "fosse" is explained by the one and not by the other. In
    // the strict search every row explains every word, and every exclusion word applies.
    std::vector<int> visible(const Rows& rows, const QStringList& typed = {})
    {
        EntryTable& table = entries();
        struct Hider {
            std::uint32_t explained = 0;
            std::vector<Pattern> patterns;
        };
        std::vector<Hider> hiders;
        QHash<int, std::uint32_t> explained; // by row, a bit per typed word
        if (!typed.isEmpty()) {
            for (const int r : rows) {
                std::uint32_t mask = 0;
                for (qsizetype i = 0; i < typed.size() && i < 32; ++i)
                    mask |= holdsRow(wideRowsOf(typed.at(i)), r) ? std::uint32_t(1) << i : 0u;
                explained.insert(r, mask);
                if (table.sup[size_t(r)].isEmpty())
                    continue;
                Hider hider{mask, {}};
                for (const QString& s : table.sup[size_t(r)])
                    hider.patterns.emplace_back(s, Pattern::Kind::Knowledge);
                hiders.push_back(std::move(hider));
            }
        } else {
            QSet<QString> excludedSet;
            Hider all;
            for (const int r : rows) {
                for (const QString& s : table.sup[size_t(r)]) {
                    if (!excludedSet.contains(s)) {
                        excludedSet.insert(s);
                        all.patterns.emplace_back(s, Pattern::Kind::Knowledge);
                    }
                }
            }
            hiders.push_back(std::move(all));
        }
        const auto isHidden = [&](int r) {
            const std::uint32_t own = explained.value(r);
            return std::any_of(hiders.begin(), hiders.end(), [&](const Hider& h) {
                if ((own & ~h.explained) != 0)
                    return false;
                return std::any_of(h.patterns.begin(), h.patterns.end(),
                                   [&](const Pattern& p) { return table.keywords.holds(r, p); });
            });
        };
        std::vector<int> kept;
        QSet<QString> seen;
        for (const int r : rows) {
            if (isHidden(r))
                continue;
            const QString key = kb::foldCase(table.text[size_t(r)]);
            if (!seen.contains(key)) {
                seen.insert(key);
                kept.push_back(r);
            }
        }
        std::sort(kept.begin(), kept.end(),
                  [&](int a, int b) { return table.rank[size_t(a)] < table.rank[size_t(b)]; });
        return kept;
    }

    QStringList texts(const std::vector<int>& rows)
    {
        QStringList out;
        out.reserve(qsizetype(rows.size()));
        for (const int r : rows)
            out.append(entries().text[size_t(r)]);
        return out;
    }

    kb::Connection& connection_;
    Snapshot& snapshot_;
    QString table_;
    QChar sex_;
    QString ageBand_;
    Vocabulary* vocabulary_ = nullptr;
    std::map<QString, Rows> rows_;
    std::map<QString, Rows> wideRows_;
};

} // namespace

QStringList RechercheSC(kb::Query& query, const QString& table, const QString& text, QChar sex,
                        const QString& ageBand)
{
    detail::checkTable(table);
    SignSearch search(query, table, sex, ageBand);
    const QStringList words = search.typedWords(text);
    if (words.isEmpty())
        return {};
    QStringList result;
    for (const QStringList& group : search.strict(words).groups)
        result += group;
    return result;
}

Recognized Recognize(kb::Query& query, const QString& table, const QString& text, QChar sex,
                     const QString& ageBand)
{
    detail::checkTable(table);
    Recognized result;
    const QStringList typed = SignWords(spellRecordNotations(text));
    QStringList words = typed;
    const QString denying = takeNegation(words, table == u"SC");
    result.negated = !denying.isEmpty() && !words.isEmpty(); // "sans" alone denies nothing
    if (!result.negated)
        words = typed;
    else if (const qsizetype nor = words.indexOf(QStringLiteral("ni")); nor > 0)
        words.resize(nor); // "pas de céphalées ni vomissements": the first denied sign

    SignSearch search(query, table, sex, ageBand);
    // Some signs are named with a denial ("absence de règles", "pas de selles"): when the whole
    // text finds first a sign whose keywords hold the denying word, it names that sign. Not when
    // what is denied is the very name of a sign ("sans fièvre", "pas de douleur thoracique"): the
    // text denies that sign, whatever sign holds the denial among its words ("Infection sans
    // fièvre chez le sujet âgé").
    if (result.negated && !search.isEntryName(words)) {
        const QStringList whole = search.dropStopWords(typed);
        const QStringList named = whole.isEmpty() ? QStringList() : search.joined(search.strict(whole));
        if (!named.isEmpty() && search.keywordsHold(named.first(), denying)) {
            result.negated = false;
            result.candidates = named;
            return result;
        }
    }
    const QStringList strictWords = search.dropStopWords(words);
    if (!strictWords.isEmpty())
        result.candidates = search.joined(search.strict(strictWords));
    if (!result.candidates.isEmpty())
        return result;
    result.candidates = search.wider(search.dropExactStopWords(words));
    if (result.candidates.isEmpty())
        result.negated = false;
    return result;
}

QStringList RechercheP(kb::Query& query, const QString& text)
{
    kb::Connection& connection = query.connection();
    Snapshot& snapshot = snapshotFor(connection);
    loadStopWords(connection, snapshot);

    QStringList words = PathologyWords(text);
    words.removeIf([&](const QString& w) { return snapshot.stopKeys.contains(kb::foldCase(w)); });
    detail::limitWords(words);
    if (words.isEmpty())
        return {};

    PathologyTable& data = pathologyTable(connection, snapshot);
    const Selection selection = selectRows(words, data.keywords, *data.vocabulary);
    if (selection.empty())
        return {};
    QStringList names;
    names.reserve(qsizetype(selection.rows.size()));
    for (const int r : selection.rows)
        names.append(data.names[size_t(r)]);
    return names;
}

void ForgetWordResults()
{
    for (auto& [handle, snapshot] : snapshots()) {
        if (snapshot->stopWords)
            snapshot->stopWords->forgetWords();
        for (EntryTable* entries : {snapshot->sc.get(), snapshot->ec.get()}) {
            if (!entries)
                continue;
            entries->keywords.forgetWords();
            for (auto& [key, vocabulary] : entries->vocabularies)
                vocabulary->forgetWords();
        }
        if (snapshot->data) {
            snapshot->data->keywords.forgetWords();
            snapshot->data->vocabulary->forgetWords();
        }
    }
}

void ForgetKnowledge()
{
    for (auto& [handle, snapshot] : snapshots())
        *snapshot = Snapshot();
}

} // namespace vardelo::recognition
