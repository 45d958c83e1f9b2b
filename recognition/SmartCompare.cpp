#include "recognition/SmartCompare.h"

#include "case/TextCompare.h"
#include "kb/JetFunctions.h"

#include <QCollator>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <array>
#include <bit>
#include <cstdint>
#include <utility>

namespace vardelo::recognition {

namespace {

constexpr int ClosestThreshold = 35;

bool isSeparator(QChar c)
{
    return c == u' ' || c.category() == QChar::Other_Control;
}

// Letter counts of a word over 32 buckets (a to z, then the other characters by their code). The
// common letters of two words bound their common subsequence, hence Q[n][m], from above; merging
// characters into buckets only raises the bound, so it stays safe.
constexpr int BucketCount = 32;
int bucket(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? c - u'a' : 26 + c % 6;
}

struct LetterCounts {
    std::array<int, BucketCount> count{};
    QVarLengthArray<int, BucketCount> present; // buckets with a non-zero count

    explicit LetterCounts(QStringView text)
    {
        for (const QChar c : text) {
            const int b = bucket(c.unicode());
            if (count[b]++ == 0)
                present.append(b);
        }
    }
    int common(const LetterCounts& other) const
    {
        int total = 0;
        for (const int b : present)
            total += std::min(count[b], other.count[b]);
        return total;
    }
};

// Upper bound of Q[n][m] from the lengths, the common letters and the ends of the two strings. A
// string whose first (or last) character differs from the other's first (or last) cannot align
// its first (or last) character without paying one for the gap, hence the minus one.
int valueBound(QStringView a, QStringView b, int commonLetters)
{
    if (a.isEmpty() || b.isEmpty())
        return a.size() == b.size() ? 0 : -1;
    int bound = std::min<int>({int(a.size()), int(b.size()), commonLetters});
    if (a.front() != b.front() || a.back() != b.back())
        bound -= 1;
    return std::max(bound, -1);
}

// True when the score value / length beats best value / best length (exact rational comparison).
int compareScores(int value, int length, int bestValue, int bestLength)
{
    const qint64 left = qint64(value) * bestLength;
    const qint64 right = qint64(bestValue) * length;
    return left < right ? -1 : (left > right ? 1 : 0);
}

} // namespace

int Max3(int a, int b, int c)
{
    return std::max(a, std::max(b, c));
}

int StringValue(QStringView a, QStringView b)
{
    const QChar* x = a.data();
    const QChar* y = b.data();
    return MatchValue([x, y](int i, int j) { return x[i] == y[j]; }, int(a.size()), int(b.size()));
}

double StringDistance(QStringView a, QStringView b)
{
    const QChar* x = a.data();
    const QChar* y = b.data();
    return MatchDistance([x, y](int i, int j) { return x[i] == y[j]; }, int(a.size()), int(b.size()));
}

double SimilarityScore(QStringView a, QStringView b)
{
    return (1.0 - StringDistance(a, b)) * 100.0;
}

bool ReachesThreshold(int value, int totalLength, int threshold)
{
    return 100 * qint64(value) >= qint64(threshold) * totalLength;
}

bool ReachesThreshold(QStringView a, QStringView b, int threshold)
{
    return ReachesThreshold(StringValue(a, b), int(a.size() + b.size()), threshold);
}

QStringList VocabularyWords(QStringView vocabulary)
{
    QStringList words;
    QSet<QString> seen;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= vocabulary.size(); ++i) {
        const bool separator = i == vocabulary.size() || isSeparator(vocabulary[i]);
        if (!separator) {
            if (start < 0)
                start = i;
            continue;
        }
        if (start >= 0) {
            const QStringView word = vocabulary.mid(start, i - start);
            if (!seen.contains(kb::foldCase(word))) {
                seen.insert(kb::foldCase(word));
                words.append(word.toString());
            }
            start = -1;
        }
    }
    return words;
}

int CompareWords(QStringView a, QStringView b)
{
    // The program's French order; words that differ only in case still get an order of their own.
    const int order = model::compareText(a, b);
    if (order != 0)
        return order;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

QCollatorSortKey WordSortKey(const QString& text)
{
    return model::collationKey(text);
}

QString ClosestWord(QStringView vocabulary, const QString& word)
{
    // Collation keys once per word rather than per comparison; the order is that of CompareWords.
    QStringList words = VocabularyWords(vocabulary);
    std::vector<std::pair<QCollatorSortKey, QString>> keyed;
    keyed.reserve(size_t(words.size()));
    for (const QString& w : std::as_const(words))
        keyed.emplace_back(WordSortKey(w), w);
    std::sort(keyed.begin(), keyed.end(), [](const auto& x, const auto& y) {
        const int order = x.first.compare(y.first);
        if (order != 0)
            return order < 0;
        return CompareWords(x.second, y.second) < 0;
    });

    const QString* best = nullptr;
    int bestValue = 0;
    int bestLength = 1;
    for (const auto& [key, candidate] : keyed) {
        const int value = StringValue(candidate, word);
        const int length = int(candidate.size() + word.size());
        if (!ReachesThreshold(value, length, ClosestThreshold))
            continue;
        if (best == nullptr || compareScores(value, length, bestValue, bestLength) > 0) {
            best = &candidate;
            bestValue = value;
            bestLength = length;
        }
    }
    return best ? *best : word;
}

void AddSimilarLines(QStringView lines, QStringView reference, int threshold, QStringList& target)
{
    const LetterCounts referenceCounts(reference);
    auto consider = [&](QStringView line) {
        const int length = int(line.size() + reference.size());
        // The bound settles most lines of a long reference without filling the tables.
        if (!ReachesThreshold(valueBound(line, reference, LetterCounts(line).common(referenceCounts)), length,
                              threshold))
            return;
        if (ReachesThreshold(StringValue(line, reference), length, threshold))
            target.append(line.toString());
    };
    qsizetype start = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QChar c = lines[i];
        if (c != u'\r' && c != u'\n')
            continue;
        consider(lines.mid(start, i - start));
        if (c == u'\r' && i + 1 < lines.size() && lines[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    // A last line end does not start another, empty, line.
    if (start < lines.size())
        consider(lines.mid(start));
}

static_assert(BucketCount == 32, "a word's buckets are the bits of a 32-bit mask");

WordList::WordList(QStringView vocabulary)
    : words_(VocabularyWords(vocabulary))
{
    for (qsizetype i = 0; i < words_.size(); ++i) {
        const QString& w = words_.at(i);
        Entry entry;
        entry.index = int(i);
        entry.first = w.front().unicode();
        entry.last = w.back().unicode();
        // A byte holds every count of a word of at most 255 characters.
        entry.counted = w.size() <= 255;
        std::uint32_t mask = 0;
        for (const QChar c : w) {
            const int b = bucket(c.unicode());
            mask |= 1u << b;
            if (entry.counted)
                ++entry.counts[size_t(b)];
        }
        if (size_t(w.size()) >= byLength_.size())
            byLength_.resize(size_t(w.size()) + 1);
        Group& group = byLength_[size_t(w.size())];
        group.masks.push_back(mask);
        group.entries.push_back(entry);
        exact_.insert(w, int(i));
    }
}

QString WordList::closest(const QString& word) const
{
    const int n = int(word.size());
    if (n == 0 || words_.isEmpty())
        return word;
    // Only identical strings score 50, the highest score, and a word is listed once.
    if (const auto it = exact_.constFind(word); it != exact_.constEnd())
        return words_.at(it.value());

    // 100 min(n, m) >= 35 (n + m) bounds the lengths that can reach 35 at all.
    const int shortest = (ClosestThreshold * n + (100 - ClosestThreshold) - 1) / (100 - ClosestThreshold);
    const int longest =
        std::min(((100 - ClosestThreshold) * n) / ClosestThreshold, int(byLength_.size()) - 1);

    const LetterCounts typed(word);
    std::uint32_t typedMask = 0;
    int mostRepeated = 0;
    for (const int b : typed.present) {
        typedMask |= 1u << b;
        mostRepeated = std::max(mostRepeated, typed.count[size_t(b)]);
    }
    const char16_t first = word.front().unicode();
    const char16_t last = word.back().unicode();
    int bestValue = 0;
    int bestLength = 0;
    QVarLengthArray<int, 8> ties; // words_ indexes of the best score so far

    // The least Q[n][m] a word of length m needs: 35, and the best score so far (a tie is kept,
    // the sort order settles it at the end).
    auto needed = [&](int length) {
        int need = (ClosestThreshold * length + 99) / 100;
        if (!ties.isEmpty())
            need = std::max(need, int((qint64(bestValue) * length + bestLength - 1) / bestLength));
        return need;
    };
    auto visitLength = [&](int m) {
        if (m < 1 || m < shortest || m > longest)
            return;
        const int length = n + m;
        const Group& group = byLength_[size_t(m)];
        int need = needed(length);
        for (size_t i = 0; i < group.masks.size(); ++i) {
            if (std::min(n, m) < need)
                return;
            // Common letters are at most the typed counts of the buckets both words have.
            if (std::popcount(typedMask & group.masks[i]) * mostRepeated < need)
                continue;
            const Entry& e = group.entries[i];
            int common = std::min(n, m);
            if (e.counted) {
                int total = 0;
                for (const int b : typed.present)
                    total += std::min<int>(typed.count[size_t(b)], e.counts[size_t(b)]);
                common = std::min(common, total);
            }
            const int bound = common - ((e.first != first || e.last != last) ? 1 : 0);
            if (bound < need)
                continue;
            const int value = StringValue(words_.at(e.index), word);
            if (value < need)
                continue;
            const int order = ties.isEmpty() ? 1 : compareScores(value, length, bestValue, bestLength);
            if (order < 0)
                continue;
            if (order > 0) {
                ties.clear();
                bestValue = value;
                bestLength = length;
            }
            ties.append(e.index);
            need = needed(length);
        }
    };
    // Lengths nearest the word's first: they hold the likely best, which then rules out the rest.
    visitLength(n);
    for (int d = 1; n + d <= longest || n - d >= shortest; ++d) {
        visitLength(n + d);
        visitLength(n - d);
    }
    if (ties.isEmpty())
        return word;
    int chosen = ties.front();
    for (const int index : ties) {
        if (CompareWords(words_.at(index), words_.at(chosen)) < 0)
            chosen = index;
    }
    return words_.at(chosen);
}

int SwapDistance(QStringView a, QStringView b, int limit, int substitution)
{
    const int n = int(a.size());
    const int m = int(b.size());
    if (std::abs(n - m) > limit)
        return limit + 1;
    // Three rows of the table: the swap reads two rows back.
    QVarLengthArray<int, 3 * 32> cells(3 * (m + 1));
    int* older = cells.data();
    int* previous = older + (m + 1);
    int* current = previous + (m + 1);
    for (int j = 0; j <= m; ++j)
        previous[j] = j;
    for (int i = 1; i <= n; ++i) {
        current[0] = i;
        int rowBest = current[0];
        for (int j = 1; j <= m; ++j) {
            const int cost = a[i - 1] == b[j - 1] ? 0 : substitution;
            int d = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d = std::min(d, older[j - 2] + 1);
            current[j] = d;
            rowBest = std::min(rowBest, d);
        }
        if (rowBest > limit)
            return limit + 1;
        std::swap(older, previous);
        std::swap(previous, current);
    }
    return std::min(previous[m], limit + 1);
}

namespace {

std::array<std::uint8_t, 32> letterCounts(QStringView word)
{
    std::array<std::uint8_t, 32> counts{};
    for (const QChar c : word) {
        std::uint8_t& n = counts[size_t(bucket(c.unicode()))];
        n = std::uint8_t(std::min(255, n + 1));
    }
    return counts;
}

int nearLimit(qsizetype length)
{
    return length >= 8 ? 2 : 1;
}

// A wrong letter in a short word makes another word too easily ("connue" and "conque"): below
// eight letters it costs two, past the limit; at any cost, from six letters it costs one.
int nearSubstitution(qsizetype length, bool atAnyCost)
{
    return length >= 8 || (atAnyCost && length >= 6) ? 1 : 2;
}

} // namespace

NearWords::NearWords(const QStringList& words)
{
    QSet<QString> seen;
    for (const QString& w : words) {
        if (w.size() < 4 || seen.contains(w))
            continue;
        seen.insert(w);
        if (byLength_.size() <= size_t(w.size()))
            byLength_.resize(size_t(w.size()) + 1);
        byLength_[size_t(w.size())].push_back({w, letterCounts(w)});
    }
}

QString NearWords::nearest(const QString& word) const
{
    return nearestOf(word, false);
}

QString NearWords::nearestAtAnyCost(const QString& word) const
{
    return nearestOf(word, true);
}

QString NearWords::nearestOf(const QString& word, bool atAnyCost) const
{
    const qsizetype n = word.size();
    if (n < 4)
        return {};
    const int limit = nearLimit(n);
    const auto typed = letterCounts(word);
    QString best;
    int bestDistance = limit + 1;
    for (qsizetype length = std::max<qsizetype>(4, n - limit); length <= n + limit; ++length) {
        if (size_t(length) >= byLength_.size())
            break;
        for (const Entry& e : byLength_[size_t(length)]) {
            int differing = 0;
            for (size_t b = 0; b < typed.size(); ++b)
                differing += std::abs(int(typed[b]) - int(e.counts[b]));
            if (differing > 2 * std::min(limit, bestDistance))
                continue;
            const int d =
                SwapDistance(word, e.word, std::min(limit, bestDistance), nearSubstitution(n, atAnyCost));
            if (d < bestDistance || (d == bestDistance && d <= limit && CompareWords(e.word, best) < 0)) {
                best = e.word;
                bestDistance = d;
            }
        }
    }
    return bestDistance <= limit ? best : QString();
}

QString NearestWord(const QStringList& words, const QString& word)
{
    return NearWords(words).nearest(word);
}

} // namespace vardelo::recognition
