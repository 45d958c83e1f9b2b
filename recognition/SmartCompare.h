#pragma once
// Fuzzy string matching for free-text recognition.
//
// The score is the program's own alignment measure, not an edit distance: identical strings score
// 50 (the highest possible score), unrelated strings can score below zero, and the thresholds used
// with it (35 for a closest word, 10 for a similar line) are set on that scale. Characters match
// when their UTF-16 code units are equal: callers normalise case and accents beforehand.

#include <QCollator>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVarLengthArray>
#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace vardelo::recognition {

int Max3(int a, int b, int c);

// The alignment value Q[n][m] of two sequences of lengths n and m, given only whether element i of
// the first matches element j of the second (0-based). Two rows of the P and Q tables suffice
// because each cell reads only its own row and the one before. Q[n][m] lies between -1 and
// min(n, m); two empty sequences give 0.
template <class Match>
int MatchValue(const Match& match, int n, int m)
{
    if (n == 0 || m == 0)
        return n == m ? 0 : -1;
    QVarLengthArray<int, 4 * 64> cells(4 * (m + 1));
    int* prevP = cells.data();
    int* prevQ = prevP + (m + 1);
    int* curP = prevQ + (m + 1);
    int* curQ = curP + (m + 1);
    std::fill(prevP, prevP + m + 1, 0);
    std::fill(prevQ, prevQ + m + 1, -1);
    prevQ[0] = 0;
    for (int i = 1; i <= n; ++i) {
        curP[0] = 0;
        curQ[0] = -1;
        for (int j = 1; j <= m; ++j) {
            const bool matched = match(i - 1, j - 1);
            const int diagonal = matched ? prevQ[j - 1] + 1 : prevP[j - 1];
            curP[j] = Max3(diagonal, curP[j - 1], prevP[j]);
            curQ[j] = Max3(matched ? diagonal : prevP[j - 1] - 1, curP[j - 1] - 1, prevP[j] - 1);
        }
        std::swap(prevP, curP);
        std::swap(prevQ, curQ);
    }
    return prevQ[m];
}

// The alignment distance (n + m - Q[n][m]) / (n + m). Two empty sequences count as identical
// strings, whose distance is 0.5 whatever their length.
template <class Match>
double MatchDistance(const Match& match, int n, int m)
{
    if (n + m == 0)
        return 0.5;
    return double(n + m - MatchValue(match, n, m)) / double(n + m);
}

int StringValue(QStringView a, QStringView b);
double StringDistance(QStringView a, QStringView b);
// (1 - StringDistance) x 100: 50 for identical strings, down to -100.
double SimilarityScore(QStringView a, QStringView b);

// The "at least" rule in integers: 100 x Q[n][m] >= threshold x (n + m). A score held as a float
// lets an exact 35 or 10 through a strict comparison, so the thresholds are inclusive.
bool ReachesThreshold(int value, int totalLength, int threshold);
bool ReachesThreshold(QStringView a, QStringView b, int threshold);

// The vocabulary word most similar to word (score at least 35), or word itself. Ties keep the word
// that sorts first. The vocabulary is split at spaces and control characters; quotation marks are
// ordinary characters of a word.
QString ClosestWord(QStringView vocabulary, const QString& word);

// Appends to target every line of lines (ended by CR LF, LF or CR) whose score with reference is
// at least threshold, in line order; target is not cleared.
void AddSimilarLines(QStringView lines, QStringView reference, int threshold, QStringList& target);

// Edit distance where a swap of two neighbouring letters costs one, like an insertion or a
// deletion ("fiever" is one from "fievre"); a substitution costs substitution. Stops counting past
// limit: any result above limit means "more than limit".
int SwapDistance(QStringView a, QStringView b, int limit, int substitution = 1);

// The word of words nearest to word by SwapDistance: within one swap, insertion or deletion for
// words of four to seven characters, two edits of any kind from eight on, none below four (too
// many short words are one edit apart). Ties keep the word that sorts first. An empty string when
// no word is near enough.
QString NearestWord(const QStringList& words, const QString& word);

// The same look-up prepared once for many words: the words are grouped by length, and a word whose
// letter counts differ too much from the typed word's is passed over without computing the
// distance (each edit changes the counts by at most two).
class NearWords {
public:
    NearWords() = default;
    explicit NearWords(const QStringList& words);
    QString nearest(const QString& word) const;
    // The same, but a wrong letter in a word of six or seven letters costs one edit as from eight:
    // for a last attempt, when the alternative is to find nothing.
    QString nearestAtAnyCost(const QString& word) const;

private:
    QString nearestOf(const QString& word, bool atAnyCost) const;
    struct Entry {
        QString word;
        std::array<std::uint8_t, 32> counts{};
    };
    std::vector<std::vector<Entry>> byLength_;
};

// The words of a vocabulary text: split at spaces and control characters, each kept once (the first
// of the forms that differ only in letter case), in text order.
QStringList VocabularyWords(QStringView vocabulary);

// Order of the sorted lists: French alphabetical order without regard to letter case, made total
// by the code units for the texts the collator cannot tell apart.
int CompareWords(QStringView a, QStringView b);
// The collation key of a text: keys compare as CompareWords does, but for the texts the collator
// cannot tell apart.
QCollatorSortKey WordSortKey(const QString& text);

// A vocabulary prepared once for many ClosestWord look-ups, with the same answers. Words whose
// score cannot reach 35 or the best score so far, judged by their length and letter counts, are
// not compared character by character, and ties are settled by the sort order at the end, so the
// vocabulary need not be sorted.
class WordList {
public:
    WordList() = default;
    explicit WordList(QStringView vocabulary);

    QString closest(const QString& word) const;
    const QStringList& words() const { return words_; }
    bool isEmpty() const { return words_.isEmpty(); }

private:
    static constexpr int Buckets = 32;
    struct Entry {
        int index = 0; // in words_
        char16_t first = 0;
        char16_t last = 0;
        bool counted = false;                       // every letter count fits its byte
        std::array<std::uint8_t, Buckets> counts{}; // letters per bucket
    };
    // The words of one length; masks[i] has a bit per bucket present in entries[i], so that most
    // words are ruled out from four bytes read in sequence.
    struct Group {
        std::vector<std::uint32_t> masks;
        std::vector<Entry> entries;
    };
    QStringList words_;
    std::vector<Group> byLength_; // by word length
    QHash<QString, int> exact_;   // words_ index of each word
};

} // namespace vardelo::recognition
