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

#include "kb/JetFunctions.h"
#include "kb/Sqlite.h"
#include "kb/VersionArea.h"
#include "recognition/SearchText.h"
#include "recognition/SmartCompare.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <functional>
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

    QStringView rowText(int row) const
    {
        const qsizetype begin = start_[size_t(row)];
        const qsizetype end =
            size_t(row) + 1 < start_.size() ? start_[size_t(row) + 1] - 1 : buffer_.size() - 1;
        return QStringView(buffer_).mid(begin, end - begin);
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
    void forgetWords() { memo_.clear(); }

private:
    WordList words_;
    QHash<QString, QString> memo_;
};

struct EntryTable {
    std::vector<QString> text;    // S
    std::vector<QStringList> sup; // Sup, as words
    std::vector<int> rank;        // position of S in alphabetical order (equal texts share one)
    KeywordColumn keywords;       // Exp
    std::map<std::pair<QString, QString>, std::unique_ptr<Vocabulary>> vocabularies; // by sex, age
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

} // namespace

QStringList RechercheSC(kb::Query& query, const QString& table, const QString& text, QChar sex,
                        const QString& ageBand)
{
    detail::checkTable(table);
    kb::Connection& connection = query.connection();
    Snapshot& snapshot = snapshotFor(connection);
    loadStopWords(connection, snapshot);

    QStringList words = SignWords(text);
    words.removeIf([&](const QString& w) {
        return detail::isStopWord(snapshot.stopText, snapshot.stopWords->closest(w));
    });
    detail::limitWords(words);
    if (words.isEmpty())
        return {};

    EntryTable& entries = entryTable(connection, snapshot, table);
    Vocabulary& vocabulary = entryVocabulary(connection, entries, table, detail::sexCode(sex), ageBand);
    const Selection selection = selectRows(words, entries.keywords, vocabulary);
    if (selection.empty())
        return {};

    // Exclusion words of every selected row hide the selected rows whose keywords hold one.
    QSet<QString> excludedSet;
    QStringList excluded;
    for (const int r : selection.rows) {
        for (const QString& s : entries.sup[size_t(r)]) {
            if (!excludedSet.contains(s)) {
                excludedSet.insert(s);
                excluded.append(s);
            }
        }
    }
    std::vector<Pattern> hiding;
    for (const QString& s : std::as_const(excluded))
        hiding.emplace_back(s, Pattern::Kind::Knowledge);

    std::vector<int> kept;
    QSet<QString> seen;
    for (const int r : selection.rows) {
        const bool isHidden = std::any_of(hiding.begin(), hiding.end(),
                                          [&](const Pattern& p) { return entries.keywords.holds(r, p); });
        if (isHidden)
            continue;
        const QString key = kb::foldCase(entries.text[size_t(r)]);
        if (!seen.contains(key)) {
            seen.insert(key);
            kept.push_back(r);
        }
    }
    std::sort(kept.begin(), kept.end(),
              [&](int a, int b) { return entries.rank[size_t(a)] < entries.rank[size_t(b)]; });
    QStringList candidates;
    candidates.reserve(qsizetype(kept.size()));
    for (const int r : kept)
        candidates.append(entries.text[size_t(r)]);
    return OrderCandidates(candidates, selection.words.join(QString()));
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
