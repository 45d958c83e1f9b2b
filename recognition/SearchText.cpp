#include "recognition/SearchText.h"

#include "recognition/Recognition.h"
#include "recognition/SmartCompare.h"

#include <QHash>
#include <QSet>
#include <stdexcept>

namespace vardelo::recognition {

namespace {

// Case conversions of typed text touch the letters A to Z only: the accented capitals keep their
// form (the replacement table below maps a few of them).
void lowerAsciiLetters(QString& text)
{
    for (QChar& c : text) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(char16_t(c.unicode() + (u'a' - u'A')));
    }
}

QStringList splitAtSpaces(const QString& text)
{
    return text.split(u' ', Qt::SkipEmptyParts);
}

// The keywords spell the ligatures out: "œil" and "oeil" are the same word to the physician.
void spellLigatures(QString& text)
{
    text.replace(u'\u0153', QStringLiteral("oe")).replace(u'\u0152', QStringLiteral("oe"));
    text.replace(u'\u00E6', QStringLiteral("ae")).replace(u'\u00C6', QStringLiteral("ae"));
}

} // namespace

QStringList SignWords(QStringView typed)
{
    QString text = typed.toString();
    lowerAsciiLetters(text);
    spellLigatures(text);
    // Brackets, operators, punctuation, symbols, the digits but 2, and the double quotation mark.
    static const QString removed = QStringLiteral(u"{}[]()&_\\/-+*=:;,.?!\u00A7#%\u00B0013456789\"");
    text.removeIf([](QChar c) { return removed.contains(c); });
    // "vitamine b 2" names the B2 vitamin; any other 2 is a grade or a count, which the keywords
    // do not hold.
    text.replace(QStringLiteral("b 2"), QStringLiteral("b2"));
    if (!text.contains(QStringLiteral("b2")))
        text.remove(u'2');
    static const std::pair<char16_t, char16_t> replacements[] = {
        {u'\'', u' '},     {u'\u00E9', u'e'}, {u'\u00E8', u'e'}, {u'\u00EA', u'e'}, {u'\u00E7', u'c'},
        {u'\u00E0', u'a'}, {u'\u00E2', u'a'}, {u'\u00FB', u'u'}, {u'\u00EE', u'i'}, {u'\u00EF', u'i'},
        {u'\u00CF', u'i'}, {u'\u00F4', u'o'}, {u'\u00D6', u'o'}, {u'\u00F6', u'o'},
    };
    for (QChar& c : text) {
        for (const auto& [from, to] : replacements) {
            if (c == from) {
                c = QChar(to);
                break;
            }
        }
    }
    return splitAtSpaces(text);
}

QStringList PathologyWords(QStringView typed)
{
    QString text = typed.toString();
    for (QChar& c : text) {
        if (QStringView(u"-,;:.?!+").contains(c))
            c = u' ';
    }
    lowerAsciiLetters(text);
    spellLigatures(text);
    QStringList words = splitAtSpaces(text);
    for (QString& w : words) {
        if (w.size() >= 2 && w.at(1) == u'\'')
            w.remove(0, 2);
    }
    return words;
}

QList<QStringList> OrderCandidateGroups(const QStringList& candidates, const QString& reference)
{
    constexpr int Threshold = 10;
    // The texts are compared with their ligatures spelled out, as the physician types them.
    auto spell = [](QString text) {
        text.replace(u'\u0153', QStringLiteral("oe")).replace(u'\u0152', QStringLiteral("Oe"));
        return text.replace(u'\u00E6', QStringLiteral("ae")).replace(u'\u00C6', QStringLiteral("Ae"));
    };
    QStringList spelled;
    QHash<QString, QString> original;
    for (const QString& c : candidates) {
        spelled.append(spell(c));
        original.insert(spelled.last(), c);
    }
    const auto similarTo = [&](const QString& text, QStringList& target) {
        QStringList found;
        AddSimilarLines(spelled.join(QStringLiteral("\r\n")), text, Threshold, found);
        for (const QString& f : std::as_const(found))
            target.append(original.value(f, f));
    };
    QList<QStringList> groups(3);
    similarTo(reference, groups[0]);
    QSet<QString> seen;
    QStringList first;
    for (const QString& c : std::as_const(groups[0])) {
        if (!seen.contains(c)) {
            seen.insert(c);
            first.append(c);
        }
    }
    groups[0] = first;
    // The second reference is the best candidate of the first group. Without a first group there is
    // no best candidate to resemble, and the candidates keep their alphabetical order: comparing
    // them with some other text (the search condition, say) would favour the long ones for
    // reasons the physician cannot see.
    if (!first.isEmpty()) {
        QStringList similar;
        similarTo(spell(first.first()), similar);
        for (const QString& c : std::as_const(similar)) {
            if (!seen.contains(c)) {
                seen.insert(c);
                groups[1].append(c);
            }
        }
    }
    for (const QString& c : candidates) {
        if (!seen.contains(c)) {
            seen.insert(c);
            groups[2].append(c);
        }
    }
    return groups;
}

QStringList OrderCandidates(const QStringList& candidates, const QString& reference)
{
    QStringList result;
    for (const QStringList& group : OrderCandidateGroups(candidates, reference))
        result += group;
    return result;
}

namespace detail {

void checkTable(const QString& table)
{
    if (table != u"SC" && table != u"EC")
        throw std::invalid_argument("recognition searches the tables SC and EC only");
}

QString sexCode(QChar sex)
{
    return sex.isNull() ? QString() : QString(sex);
}

QStringList knowledgeWords(QStringView text)
{
    QStringList words;
    qsizetype start = -1;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        const bool separator =
            i == text.size() || text[i] == u' ' || text[i].category() == QChar::Other_Control;
        if (!separator) {
            if (start < 0)
                start = i;
        } else if (start >= 0) {
            words.append(text.mid(start, i - start).toString());
            start = -1;
        }
    }
    return words;
}

QString patternCore(const QString& word)
{
    QString core = word;
    core.remove(QChar(0));
    return core;
}

void limitWords(QStringList& words)
{
    QSet<QString> kept;
    words.removeIf([&](const QString& w) {
        if (kept.contains(w))
            return false;
        if (kept.size() >= MaxDistinctWords)
            return true;
        kept.insert(w);
        return false;
    });
}

bool isStopWord(const QString& stopText, const QString& closestStopWord)
{
    return stopText.contains(u' ' + closestStopWord + u' ');
}

} // namespace detail

} // namespace vardelo::recognition
