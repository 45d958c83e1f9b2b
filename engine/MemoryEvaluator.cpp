#include "engine/MemoryEvaluator.h"

#include "case/KbLines.h"
#include "case/TextCompare.h"
#include "engine/ConcordanceTerms.h"
#include "engine/QueryCondition.h"
#include "engine/ScoreArithmetic.h"
#include "kb/JetFunctions.h"
#include "kb/SqlQuote.h"
#include "kb/VersionArea.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <sqlite3.h>
#include <stdexcept>
#include <string_view>
#include <type_traits>
#include <unordered_map>

namespace vardelo::engine {

using namespace model;

namespace {

// A set of pathologies, one bit per row of the index.
using Bits = std::vector<quint64>;

Bits emptyBits(int rows)
{
    return Bits(size_t((rows + 63) / 64), 0);
}

Bits allBits(int rows)
{
    Bits bits(size_t((rows + 63) / 64), ~quint64(0));
    if (rows % 64 != 0)
        bits.back() = (quint64(1) << (rows % 64)) - 1;
    return bits;
}

void setBit(Bits& bits, int row)
{
    bits[size_t(row) / 64] |= quint64(1) << (row % 64);
}

template <typename F>
void forEachBit(const Bits& bits, F f)
{
    for (size_t w = 0; w < bits.size(); ++w) {
        quint64 word = bits[w];
        while (word != 0) {
            f(int(w * 64 + size_t(std::countr_zero(word))));
            word &= word - 1;
        }
    }
}

// Text held as bytes, each UTF-16 code unit written on its own the way UTF-8 writes a character of
// that value (a surrogate too, alone). Latin text takes half the room of UTF-16, and because no
// unit's bytes begin inside another unit's bytes, the bytes of a text occur in a line's bytes
// exactly where its code units occur among the line's code units.
void appendUnits(std::string& out, QStringView text)
{
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80) {
            out += char(u);
        } else if (u < 0x800) {
            out += char(0xC0 | (u >> 6));
            out += char(0x80 | (u & 0x3F));
        } else {
            out += char(0xE0 | (u >> 12));
            out += char(0x80 | ((u >> 6) & 0x3F));
            out += char(0x80 | (u & 0x3F));
        }
    }
}

std::string unitBytes(QStringView text)
{
    std::string out;
    out.reserve(size_t(text.size()));
    appendUnits(out, text);
    return out;
}

// The text of bytes written by appendUnits. Other bytes (from a damaged stored index) give
// some text rather than a read past their end.
QString unitsText(std::string_view bytes)
{
    QString out;
    out.reserve(qsizetype(bytes.size()));
    for (size_t i = 0; i < bytes.size();) {
        const auto b = uchar(bytes[i]);
        const size_t length = b < 0x80 ? 1 : b < 0xE0 ? 2 : 3;
        if (i + length > bytes.size())
            break;
        char16_t u = length == 1 ? b : length == 2 ? char16_t(b & 0x1F) : char16_t(b & 0x0F);
        for (size_t k = 1; k < length; ++k)
            u = char16_t((u << 6) | (uchar(bytes[i + k]) & 0x3F));
        out += QChar(u);
        i += length;
    }
    return out;
}

// One searched column of the pathologies: its distinct lines, case-folded, each followed by a line
// feed in one text (a pattern without line breaks can only match inside one line), and the rows
// holding each line.
struct Column {
    std::string arena;              // written by appendUnits
    std::vector<qsizetype> starts;  // of each line in the arena, and the arena's size at the end
    std::vector<int> postingStarts; // rows of line k: postingRows[postingStarts[k] .. [k + 1])
    std::vector<int> postingRows;

    size_t lineCount() const { return starts.size() - 1; }
    // The folded text of line k.
    QString line(size_t k) const
    {
        return unitsText(
            std::string_view(arena).substr(size_t(starts[k]), size_t(starts[k + 1] - starts[k] - 1)));
    }
    // Calls f with each line holding the folded text, once per line and in order.
    template <typename F>
    void forEachLineHolding(QStringView folded, F f) const
    {
        const std::string needle = unitBytes(folded);
        if (needle.empty())
            return;
        const char* const base = arena.data();
        for (size_t from = 0; from < arena.size();) {
            const void* hit = memmem(base + from, arena.size() - from, needle.data(), needle.size());
            if (hit == nullptr)
                break;
            const auto next =
                std::upper_bound(starts.begin(), starts.end(), static_cast<const char*>(hit) - base);
            f(size_t(next - starts.begin()) - 1);
            from = size_t(*next);
        }
    }
};

// The condition as an expression over sets of pathologies.
struct Node {
    enum class Kind { Like, Not, And, Or } kind = Kind::Like;
    QChar column;      // S, E or I
    QString pattern;   // as written, before folding
    char16_t escape{}; // valid when hasEscape
    bool hasEscape = false;
    std::unique_ptr<Node> left;
    std::unique_ptr<Node> right;
};

// The forms of condition the diagnosis query is made of: LIKE tests on S, E and I joined by and,
// or, not and parentheses, with SQL's precedence (not above and above or). Anything else gives no
// expression, and the SQL path answers (or rejects) it as before.
class ConditionParser {
public:
    explicit ConditionParser(QStringView text)
        : text_(text)
    {}

    std::unique_ptr<Node> parse()
    {
        for (const QChar c : text_) {
            // SQLite reads no further than a zero and converts a lone surrogate its own way.
            if (c.unicode() == 0 || c.isSurrogate())
                return {};
        }
        std::unique_ptr<Node> node = orExpression();
        if (!node || peek().kind != Kind::End)
            return {};
        return node;
    }

private:
    enum class Kind { End, Open, Close, Word, String, Other };
    struct Token {
        Kind kind = Kind::End;
        QString text;
        qsizetype end = 0;
    };

    static bool isSpace(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r'; }
    static bool isWordStart(QChar c)
    {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || c == u'_';
    }
    static bool isWordPart(QChar c) { return isWordStart(c) || (c >= u'0' && c <= u'9') || c == u'$'; }

    Token peek() const
    {
        qsizetype i = pos_;
        while (i < text_.size() && isSpace(text_[i]))
            ++i;
        Token t;
        if (i >= text_.size()) {
            t.end = i;
            return t;
        }
        const QChar c = text_[i];
        if (c == u'(' || c == u')') {
            t.kind = c == u'(' ? Kind::Open : Kind::Close;
            t.end = i + 1;
        } else if (c == u'\'') {
            qsizetype j = i + 1;
            for (;;) {
                if (j >= text_.size()) {
                    t.kind = Kind::Other; // unterminated
                    t.end = j;
                    return t;
                }
                if (text_[j] == u'\'') {
                    if (j + 1 < text_.size() && text_[j + 1] == u'\'') {
                        t.text += u'\'';
                        j += 2;
                        continue;
                    }
                    break;
                }
                t.text += text_[j];
                ++j;
            }
            t.kind = Kind::String;
            t.end = j + 1;
        } else if (isWordStart(c)) {
            qsizetype j = i + 1;
            while (j < text_.size() && isWordPart(text_[j]))
                ++j;
            // A letter outside ASCII would continue the word for SQLite: not a form known here.
            if (j < text_.size() && text_[j].unicode() >= 0x80) {
                t.kind = Kind::Other;
            } else {
                t.kind = Kind::Word;
                t.text = text_.mid(i, j - i).toString().toLower();
            }
            t.end = j;
        } else {
            t.kind = Kind::Other;
            t.end = i + 1;
        }
        return t;
    }
    Token take()
    {
        Token t = peek();
        pos_ = t.end;
        return t;
    }
    bool takeWord(const char* word)
    {
        const Token t = peek();
        if (t.kind != Kind::Word || t.text != QLatin1StringView(word))
            return false;
        pos_ = t.end;
        return true;
    }

    static std::unique_ptr<Node> join(Node::Kind kind, std::unique_ptr<Node> left,
                                      std::unique_ptr<Node> right)
    {
        auto node = std::make_unique<Node>();
        node->kind = kind;
        node->left = std::move(left);
        node->right = std::move(right);
        return node;
    }

    std::unique_ptr<Node> orExpression()
    {
        std::unique_ptr<Node> left = andExpression();
        while (left && takeWord("or")) {
            std::unique_ptr<Node> right = andExpression();
            if (!right)
                return {};
            left = join(Node::Kind::Or, std::move(left), std::move(right));
        }
        return left;
    }
    std::unique_ptr<Node> andExpression()
    {
        std::unique_ptr<Node> left = notExpression();
        while (left && takeWord("and")) {
            std::unique_ptr<Node> right = notExpression();
            if (!right)
                return {};
            left = join(Node::Kind::And, std::move(left), std::move(right));
        }
        return left;
    }
    std::unique_ptr<Node> notExpression()
    {
        if (takeWord("not")) {
            std::unique_ptr<Node> operand = notExpression();
            return operand ? join(Node::Kind::Not, std::move(operand), nullptr) : nullptr;
        }
        return primary();
    }
    std::unique_ptr<Node> primary()
    {
        Token t = take();
        if (t.kind == Kind::Open) {
            std::unique_ptr<Node> inner = orExpression();
            if (!inner || take().kind != Kind::Close)
                return {};
            return inner;
        }
        if (t.kind != Kind::Word || (t.text != u"s" && t.text != u"e" && t.text != u"i"))
            return {};
        auto node = std::make_unique<Node>();
        node->column = t.text.at(0).toUpper();
        const bool negated = takeWord("not");
        if (!takeWord("like"))
            return {};
        t = take();
        if (t.kind != Kind::String)
            return {};
        node->pattern = t.text;
        if (takeWord("escape")) {
            t = take();
            if (t.kind != Kind::String || t.text.size() != 1)
                return {}; // the database rejects it
            node->escape = t.text.at(0).unicode();
            node->hasEscape = true;
        }
        return negated ? join(Node::Kind::Not, std::move(node), nullptr) : std::move(node);
    }

    QStringView text_;
    qsizetype pos_ = 0;
};

// A pattern read the way the LIKE of the connection reads it: runs of "%" at both ends around a
// literal text is a substring test; the literal is returned folded. Anything else gives nothing.
struct SimplePattern {
    bool any = false; // only "%": every text matches
    QString literal;
};
std::optional<SimplePattern> simplePattern(const QString& pattern, bool hasEscape, char16_t escape)
{
    const QString p = kb::foldCase(pattern);
    const char16_t esc = hasEscape ? kb::foldUnit(escape) : char16_t(0);
    enum { Literal, AnyRun, One };
    std::vector<std::pair<int, char16_t>> tokens;
    for (qsizetype i = 0; i < p.size(); ++i) {
        const char16_t c = p[i].unicode();
        if (esc != 0 && c == esc && i + 1 < p.size())
            tokens.emplace_back(Literal, p[++i].unicode());
        else if (c == u'%')
            tokens.emplace_back(AnyRun, c);
        else if (c == u'_')
            tokens.emplace_back(One, c);
        else
            tokens.emplace_back(Literal, c);
    }
    size_t first = 0;
    while (first < tokens.size() && tokens[first].first == AnyRun)
        ++first;
    if (first == tokens.size())
        return tokens.empty() ? std::nullopt : std::optional<SimplePattern>(SimplePattern{true, {}});
    size_t last = tokens.size();
    while (last > first && tokens[last - 1].first == AnyRun)
        --last;
    if (first == 0 || last == tokens.size())
        return std::nullopt;
    SimplePattern result;
    for (size_t k = first; k < last; ++k) {
        if (tokens[k].first != Literal || tokens[k].second == u'\r' || tokens[k].second == u'\n')
            return std::nullopt;
        result.literal += QChar(tokens[k].second);
    }
    return result;
}

QString pageCaption(const QString& caption, qsizetype count, bool marked)
{
    return caption + QStringLiteral(" (") + QString::number(count) + u')' +
           (marked ? QStringLiteral(" *") : QString());
}

// Interns the distinct lines of one column while the rows are read: looked up by a view of the
// row's text, copied only when new.
class LineInterner {
public:
    // The id of line, and whether it is new.
    std::pair<int, bool> intern(QStringView line)
    {
        const std::u16string_view view(line.utf16(), size_t(line.size()));
        const auto it = ids_.find(view);
        if (it != ids_.end())
            return {it->second, false};
        lines_.push_back(line.toString());
        const QString& stored = lines_.back();
        const int id = int(lines_.size()) - 1;
        ids_.emplace(std::u16string_view(QStringView(stored).utf16(), size_t(stored.size())), id);
        return {id, true};
    }
    const std::vector<QString>& lines() const { return lines_; }

private:
    std::vector<QString> lines_; // QString keeps its characters in place when moved
    std::unordered_map<std::u16string_view, int> ids_;
};

// Calls f on each line of text, split as platform::splitLines splits it.
template <typename F>
void forEachLine(QStringView text, F f)
{
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            f(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        f(text.mid(start));
}

Column makeColumn(const std::vector<QString>& lines, const std::vector<std::vector<int>>& rowLines)
{
    Column column;
    qsizetype size = 0;
    for (const QString& line : lines)
        size += line.size() + 1;
    column.arena.reserve(size);
    column.starts.reserve(lines.size() + 1);
    for (const QString& line : lines) {
        column.starts.push_back(column.arena.size());
        appendUnits(column.arena, kb::foldCase(line));
        column.arena += '\n';
    }
    column.starts.push_back(column.arena.size());
    std::vector<int> counts(lines.size() + 1, 0);
    for (const auto& ids : rowLines)
        for (const int id : ids)
            ++counts[size_t(id) + 1];
    for (size_t k = 1; k < counts.size(); ++k)
        counts[k] += counts[k - 1];
    column.postingStarts = counts;
    column.postingRows.resize(size_t(counts.back()));
    for (size_t row = 0; row < rowLines.size(); ++row)
        for (const int id : rowLines[row])
            column.postingRows[size_t(counts[size_t(id)]++)] = int(row);
    return column;
}

// Writes and reads the index as one block of bytes, in the machine's own layout: the block is
// read only by the program that wrote it (or one of the same build), checked by its header.
class BlockWriter {
public:
    template <typename T>
    void put(const std::vector<T>& values)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        putSize(qint64(values.size()));
        bytes_.append(reinterpret_cast<const char*>(values.data()), qsizetype(values.size() * sizeof(T)));
    }
    void put(const QString& text)
    {
        putSize(text.size());
        bytes_.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    }
    void put(const std::string& bytes)
    {
        putSize(qint64(bytes.size()));
        bytes_.append(bytes.data(), qsizetype(bytes.size()));
    }
    void put(const TextPool& pool)
    {
        put(pool.chars);
        put(pool.starts);
    }
    void putSize(qint64 n) { bytes_.append(reinterpret_cast<const char*>(&n), sizeof n); }
    QByteArray take() { return std::move(bytes_); }

private:
    QByteArray bytes_;
};

// Reads a block in order, each value straight into its own storage: the stored index is read from
// the file piece by piece rather than first whole into memory, which would hold it twice at once.
class BlockReader {
public:
    // Copies n bytes from offset into target; false when they cannot be read.
    using Source = std::function<bool(char* target, qint64 n, qint64 offset)>;
    BlockReader(qint64 total, Source source)
        : total_(total)
        , source_(std::move(source))
    {}
    qint64 size()
    {
        qint64 n = 0;
        read(reinterpret_cast<char*>(&n), sizeof n);
        if (n < 0)
            throw std::runtime_error("bad index block");
        return n;
    }
    template <typename T>
    void get(std::vector<T>& values)
    {
        const qint64 n = size();
        need(qint64(sizeof(T)) * n);
        values.resize(size_t(n));
        read(reinterpret_cast<char*>(values.data()), qint64(sizeof(T)) * n);
    }
    void get(QString& text)
    {
        const qint64 n = size();
        need(2 * n);
        text.resize(qsizetype(n));
        read(reinterpret_cast<char*>(text.data()), 2 * n);
    }
    void get(std::string& bytes)
    {
        const qint64 n = size();
        need(n);
        bytes.resize(size_t(n));
        read(bytes.data(), n);
    }
    void get(TextPool& pool)
    {
        get(pool.chars);
        get(pool.starts);
        if (pool.starts.empty() || pool.starts.front() != 0 || pool.starts.back() != pool.chars.size() ||
            !std::is_sorted(pool.starts.begin(), pool.starts.end()))
            throw std::runtime_error("bad index block");
    }
    bool atEnd() const { return pos_ == total_; }

private:
    void need(qint64 n) const
    {
        if (n < 0 || pos_ + n > total_)
            throw std::runtime_error("bad index block");
    }
    void read(char* target, qint64 n)
    {
        need(n);
        if (n > 0 && !source_(target, n, pos_))
            throw std::runtime_error("bad index block");
        pos_ += n;
    }
    qint64 total_ = 0;
    Source source_;
    qint64 pos_ = 0;
};

// What marks a block of this layout: a change to the Index below changes the number.
constexpr qint64 IndexFormat = 0x5644'4c58'0002;

} // namespace

struct MemoryEvaluator::Index {
    QString stamp;
    bool usable = true; // false when a searched column holds NULL: three-valued logic is the SQL path's
    qint32 rowCount = 0;

    // Rows in the order of the diagnosis query: ORDER BY F DESC, rowid.
    std::vector<qint64> rowIds;
    TextPool names;
    std::vector<qint32> nameOrder; // rows by name, for the look-ups of the learning lines
    std::vector<qint64> prevalence;
    std::vector<qint8> prevalenceOk; // F read as an integer
    std::vector<qint32> signLength;  // LS
    std::vector<qint32> examLength;  // LE
    std::vector<qint32> signStart;   // sign lines of row r: signLineOf[signStart[r] .. [r + 1])
    std::vector<qint32> signLineOf;
    std::vector<qint32> examStart;
    std::vector<qint32> examLineOf;

    // Distinct sign lines: their sign text and weight.
    std::vector<qint32> lineText;
    std::vector<qint32> lineWeight;
    std::vector<qint8> lineWeightOk;
    std::vector<qint32> examLineText; // distinct exam lines: their GetSC text

    // Texts (GetSC of the lines, GetEC of the exam texts) and their case keys.
    std::shared_ptr<TextTable> table = std::make_shared<TextTable>();
    std::vector<qint32> textOrder; // for the look-ups
    std::vector<qint32> keyOrder;
    std::vector<qint32> keyOfText;
    std::vector<qint32> examNameOfText; // for the texts of exam lines; -1 otherwise
    std::vector<qint8> spellings;       // by key: whether exam names of that key are spelled two ways

    Column columns[3]; // S, E, I

    // Answers kept until the knowledge changes.
    QHash<qint64, int> rowOfId; // made when a pattern needs the database
    QHash<QString, Bits> terms;
    QHash<QString, std::vector<int>> withheldKeys; // Filtre_Sexe_Age, by other sex and age band

    // Scratch arrays by key, reset after each evaluation.
    std::vector<qint8> polarity;
    std::vector<int> firstSign;
    std::vector<int> firstExamLine;
    std::vector<int> examNameChoice;
    // The weight of each distinct exam line, read from its text when the ranking by concordance
    // first needs it (the other rankings give exam lines no weight).
    std::vector<qint32> examLineWeight;
    // For the same ranking: the distinct lines holding a finding's text, by column and folded text.
    // A node map: the ranking keeps references to its entries while adding others.
    std::map<QString, Bits> linesHolding;
    // And what it offers a patient whatever the findings: signs, exam lines and exams, by sex and
    // age band.
    QHash<QString, std::array<SortedList, 3>> offersByPatient;

    static int find(const TextPool& pool, const std::vector<qint32>& order, QStringView text)
    {
        const auto it = std::lower_bound(order.begin(), order.end(), text, [&pool](qint32 id, QStringView t) {
            return pool.at(id).compare(t) < 0;
        });
        return it != order.end() && pool.at(*it) == text ? *it : -1;
    }
    static std::vector<qint32> sortedOrder(const TextPool& pool)
    {
        std::vector<qint32> order(size_t(pool.size()));
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = qint32(i);
        std::stable_sort(order.begin(), order.end(),
                         [&pool](qint32 a, qint32 b) { return pool.at(a).compare(pool.at(b)) < 0; });
        return order;
    }
    int textId(QStringView text) const { return find(table->texts, textOrder, text); }
    int keyId(QStringView key) const { return find(table->keys, keyOrder, key); }
    int keyOf(QStringView text) const { return keyId(caseKey(text)); }
    std::pair<std::vector<qint32>::const_iterator, std::vector<qint32>::const_iterator>
    rowsNamed(QStringView name) const
    {
        const auto less = [this](qint32 row, QStringView n) { return names.at(row).compare(n) < 0; };
        const auto greater = [this](QStringView n, qint32 row) { return n.compare(names.at(row)) < 0; };
        return {std::lower_bound(nameOrder.begin(), nameOrder.end(), name, less),
                std::upper_bound(nameOrder.begin(), nameOrder.end(), name, greater)};
    }

    const Column& column(QChar name) const { return columns[name == u'S' ? 0 : name == u'E' ? 1 : 2]; }

    void build(kb::Connection& connection)
    {
        QHash<QString, int> textIds;
        QHash<QString, int> keyIds;
        auto internText = [&](const QString& text) {
            const auto it = textIds.constFind(text);
            if (it != textIds.constEnd())
                return it.value();
            const int id = table->texts.add(text);
            const QString key = caseKey(text);
            auto k = keyIds.constFind(key);
            if (k == keyIds.constEnd())
                k = keyIds.insert(key, table->keys.add(key));
            keyOfText.push_back(k.value());
            examNameOfText.push_back(-1);
            textIds.insert(text, id);
            return id;
        };

        kb::Statement rows(connection,
                           QStringLiteral("select rowid, P, F, S, E, I from Data ORDER BY F DESC, rowid"));
        LineInterner signInterner;
        LineInterner examInterner;
        LineInterner applicabilityInterner;
        std::vector<std::vector<int>> signRows;
        std::vector<std::vector<int>> examRows;
        std::vector<std::vector<int>> applicabilityRows;
        signStart.push_back(0);
        examStart.push_back(0);
        while (rows.step()) {
            if (rows.isNull(3) || rows.isNull(4) || rows.isNull(5))
                usable = false;
            ++rowCount;
            rowIds.push_back(rows.integer(0));
            names.add(rows.text(1));
            bool ok = false;
            prevalence.push_back(rows.text(2).trimmed().toLongLong(&ok));
            prevalenceOk.push_back(ok ? 1 : 0);

            const QString s = rows.text(3);
            int length = 0;
            std::vector<int>& signIds = signRows.emplace_back();
            forEachLine(s, [&](QStringView line) {
                length += int(line.size()) + 2;
                const auto [id, added] = signInterner.intern(line);
                if (added) {
                    bool weightOk = true;
                    lineText.push_back(internText(GetSC(line)));
                    lineWeight.push_back(Get_P(line, &weightOk));
                    lineWeightOk.push_back(weightOk ? 1 : 0);
                }
                signIds.push_back(id);
                signLineOf.push_back(id);
            });
            signLength.push_back(length);
            signStart.push_back(qint32(signLineOf.size()));

            const QString e = rows.text(4);
            length = 0;
            std::vector<int>& examIds = examRows.emplace_back();
            forEachLine(e, [&](QStringView line) {
                length += int(line.size()) + 2;
                const auto [id, added] = examInterner.intern(line);
                if (added) {
                    const int text = internText(GetSC(line));
                    if (examNameOfText[size_t(text)] < 0) {
                        const int name = internText(GetEC(table->texts.at(text)));
                        examNameOfText[size_t(text)] = name;
                    }
                    examLineText.push_back(text);
                }
                examIds.push_back(id);
                examLineOf.push_back(id);
            });
            examLength.push_back(length);
            examStart.push_back(qint32(examLineOf.size()));

            const QString i = rows.text(5);
            std::vector<int>& applicabilityIds = applicabilityRows.emplace_back();
            forEachLine(i, [&](QStringView line) {
                applicabilityIds.push_back(applicabilityInterner.intern(line).first);
            });
        }
        columns[0] = makeColumn(signInterner.lines(), signRows);
        columns[1] = makeColumn(examInterner.lines(), examRows);
        columns[2] = makeColumn(applicabilityInterner.lines(), applicabilityRows);
        nameOrder = sortedOrder(names);
        textOrder = sortedOrder(table->texts);
        keyOrder = sortedOrder(table->keys);
        spellings.assign(size_t(table->keys.size()), 0);
        std::vector<int> spelling(size_t(table->keys.size()), -1);
        for (const int name : examNameOfText) {
            if (name < 0)
                continue;
            int& first = spelling[size_t(keyOfText[size_t(name)])];
            if (first < 0)
                first = name;
            else if (first != name)
                spellings[size_t(keyOfText[size_t(name)])] = 1;
        }
        prepareScratch();
    }

    void prepareScratch()
    {
        const size_t keys = size_t(table->keys.size());
        polarity.assign(keys, -1);
        firstSign.assign(keys, -1);
        firstExamLine.assign(keys, -1);
        examNameChoice.assign(keys, -1);
    }

    QByteArray save() const
    {
        BlockWriter w;
        w.putSize(IndexFormat);
        w.putSize(usable ? 1 : 0);
        w.putSize(rowCount);
        w.put(rowIds);
        w.put(names);
        for (const auto* v :
             {&nameOrder, &signLength, &examLength, &signStart, &signLineOf, &examStart, &examLineOf,
              &lineText, &lineWeight, &examLineText, &textOrder, &keyOrder, &keyOfText, &examNameOfText})
            w.put(*v);
        w.put(prevalence);
        w.put(prevalenceOk);
        w.put(lineWeightOk);
        w.put(spellings);
        w.put(table->texts);
        w.put(table->keys);
        for (const Column& c : columns) {
            w.put(c.arena);
            w.put(c.starts);
            w.put(c.postingStarts);
            w.put(c.postingRows);
        }
        return w.take();
    }

    // Reads a block written by save(); false when it is not one of this layout.
    bool load(BlockReader& r)
    {
        if (r.size() != IndexFormat)
            return false;
        usable = r.size() == 1;
        rowCount = qint32(r.size());
        r.get(rowIds);
        r.get(names);
        for (auto* v :
             {&nameOrder, &signLength, &examLength, &signStart, &signLineOf, &examStart, &examLineOf,
              &lineText, &lineWeight, &examLineText, &textOrder, &keyOrder, &keyOfText, &examNameOfText})
            r.get(*v);
        r.get(prevalence);
        r.get(prevalenceOk);
        r.get(lineWeightOk);
        r.get(spellings);
        r.get(table->texts);
        r.get(table->keys);
        for (Column& c : columns) {
            r.get(c.arena);
            r.get(c.starts);
            r.get(c.postingStarts);
            r.get(c.postingRows);
        }
        if (!r.atEnd() || !consistent())
            return false;
        prepareScratch();
        return true;
    }

    // Every number of a block read from the file points inside what it numbers: a damaged block is
    // rejected rather than read out of bounds.
    bool consistent() const
    {
        const auto within = [](const std::vector<qint32>& values, qint64 limit, bool allowNone = false) {
            return std::all_of(values.begin(), values.end(),
                               [&](qint32 v) { return (v >= 0 && v < limit) || (allowNone && v == -1); });
        };
        const auto ranges = [](const std::vector<qint32>& starts, size_t count, qint64 total) {
            return starts.size() == count + 1 && starts.front() == 0 && starts.back() == total &&
                   std::is_sorted(starts.begin(), starts.end());
        };
        const size_t rows = size_t(rowCount);
        const qint64 texts = table->texts.size();
        const qint64 keys = table->keys.size();
        if (rowCount < 0 || rowIds.size() != rows || names.size() != rowCount || prevalence.size() != rows ||
            prevalenceOk.size() != rows || signLength.size() != rows || examLength.size() != rows ||
            nameOrder.size() != rows || !within(nameOrder, rowCount) ||
            !ranges(signStart, rows, qint64(signLineOf.size())) ||
            !ranges(examStart, rows, qint64(examLineOf.size())) ||
            !within(signLineOf, qint64(lineText.size())) || lineWeight.size() != lineText.size() ||
            lineWeightOk.size() != lineText.size() || !within(lineText, texts) ||
            !within(examLineOf, qint64(examLineText.size())) || !within(examLineText, texts) ||
            keyOfText.size() != size_t(texts) || !within(keyOfText, keys) ||
            examNameOfText.size() != size_t(texts) || !within(examNameOfText, texts, true) ||
            textOrder.size() != size_t(texts) || !within(textOrder, texts) ||
            keyOrder.size() != size_t(keys) || !within(keyOrder, keys) || spellings.size() != size_t(keys))
            return false;
        for (const qint32 text : examLineText)
            if (examNameOfText[size_t(text)] < 0)
                return false;
        for (const Column& c : columns) {
            if (c.starts.empty() || c.starts.front() != 0 || c.starts.back() != qsizetype(c.arena.size()) ||
                !std::is_sorted(c.starts.begin(), c.starts.end()) ||
                !ranges(c.postingStarts, c.starts.size() - 1, qint64(c.postingRows.size())) ||
                !within(c.postingRows, rowCount))
                return false;
        }
        return true;
    }

    // The rows whose column matches a LIKE pattern, each distinct pattern worked out once.
    const Bits& term(kb::Connection& connection, const Node& like)
    {
        const QString cacheKey = QString(like.column) + QChar(like.hasEscape ? u'1' : u'0') +
                                 QChar(like.hasEscape ? like.escape : u' ') + like.pattern;
        auto it = terms.constFind(cacheKey);
        if (it != terms.constEnd())
            return it.value();
        Bits bits;
        const std::optional<SimplePattern> simple = simplePattern(like.pattern, like.hasEscape, like.escape);
        if (simple && simple->any) {
            bits = allBits(rowCount);
        } else if (simple) {
            bits = emptyBits(rowCount);
            const Column& c = column(like.column);
            c.forEachLineHolding(simple->literal, [&](size_t line) {
                for (int k = c.postingStarts[line]; k < c.postingStarts[line + 1]; ++k)
                    setBit(bits, c.postingRows[size_t(k)]);
            });
        } else {
            // Runs of "_" or "%" inside, or line breaks: the connection's own LIKE answers, once.
            if (rowOfId.isEmpty()) {
                for (int row = 0; row < rowCount; ++row)
                    rowOfId.insert(rowIds[size_t(row)], row);
            }
            bits = emptyBits(rowCount);
            kb::Statement statement(connection,
                                    QStringLiteral("select rowid from Data where %1 like ?%2")
                                        .arg(like.column)
                                        .arg(like.hasEscape ? QStringLiteral(" escape ?") : QString()));
            QVariantList params{like.pattern};
            if (like.hasEscape)
                params.append(QString(QChar(like.escape)));
            statement.bind(params);
            while (statement.step()) {
                const auto row = rowOfId.constFind(statement.integer(0));
                if (row == rowOfId.constEnd())
                    throw std::runtime_error("the knowledge changed under the index");
                setBit(bits, row.value());
            }
        }
        return terms.insert(cacheKey, std::move(bits)).value();
    }

    Bits evaluate(kb::Connection& connection, const Node& node)
    {
        switch (node.kind) {
        case Node::Kind::Like:
            return term(connection, node);
        case Node::Kind::Not: {
            Bits bits = evaluate(connection, *node.left);
            const Bits all = allBits(rowCount);
            for (size_t w = 0; w < bits.size(); ++w)
                bits[w] = ~bits[w] & all[w];
            return bits;
        }
        case Node::Kind::And:
        case Node::Kind::Or: {
            Bits bits = evaluate(connection, *node.left);
            const Bits right = evaluate(connection, *node.right);
            for (size_t w = 0; w < bits.size(); ++w)
                bits[w] = node.kind == Node::Kind::And ? (bits[w] & right[w]) : (bits[w] | right[w]);
            return bits;
        }
        }
        return {};
    }

    // Keys of the signs Filtre_Sexe_Age withholds for this patient.
    const std::vector<int>& withheld(kb::Connection& connection, QChar patientSex, const QString& ageBand)
    {
        const QString otherSex = patientSex == u'f' ? QStringLiteral("h") : QStringLiteral("f");
        const QString cacheKey = otherSex + u'|' + ageBand;
        auto it = withheldKeys.constFind(cacheKey);
        if (it != withheldKeys.constEnd())
            return it.value();
        std::vector<int> found;
        kb::Statement statement(
            connection,
            QStringLiteral("select S from SC where (X <> '' and X = ?) or (A <> '' and A not like ?)"));
        statement.bind({otherSex, u'%' + ageBand + u'%'});
        while (statement.step()) {
            const int key = keyOf(statement.text(0));
            if (key >= 0)
                found.push_back(key);
        }
        return withheldKeys.insert(cacheKey, std::move(found)).value();
    }
};

MemoryEvaluator::MemoryEvaluator(kb::Connection& connection)
    : connection_(connection)
{}

MemoryEvaluator::~MemoryEvaluator() = default;

namespace {

// Calls read with a reader of the stored index of the file's knowledge, when there is one for its
// hash; false when there is none. The block is read from the file as the reader asks for it.
template <typename F>
bool withStoredIndex(kb::Connection& connection, const QString& stamp, F read)
{
    if (!stamp.startsWith(u'#'))
        return false;
    qint64 rowId = 0;
    try {
        kb::Statement statement(connection,
                                QStringLiteral("select rowid from EvaluationIndex where KnowledgeHash = ?"));
        statement.bind({stamp.mid(1)});
        if (!statement.step())
            return false;
        rowId = statement.integer(0);
    } catch (const kb::DbError&) {
        return false; // a file without the table
    }
    sqlite3_blob* blob = nullptr;
    if (sqlite3_blob_open(connection.handle(), "main", "EvaluationIndex", "Data", rowId, 0, &blob) !=
        SQLITE_OK) {
        sqlite3_blob_close(blob);
        return false;
    }
    const std::unique_ptr<sqlite3_blob, int (*)(sqlite3_blob*)> closing(blob, sqlite3_blob_close);
    BlockReader reader(sqlite3_blob_bytes(blob), [blob](char* target, qint64 n, qint64 offset) {
        // sqlite3_blob_read takes an int: large values come in pieces.
        constexpr qint64 Piece = qint64(1) << 30;
        for (qint64 done = 0; done < n; done += Piece) {
            const int part = int(std::min(Piece, n - done));
            if (sqlite3_blob_read(blob, target + done, part, int(offset + done)) != SQLITE_OK)
                return false;
        }
        return true;
    });
    read(reader);
    return true;
}

} // namespace

const MemoryEvaluator::Index& MemoryEvaluator::index()
{
    const QString stamp = kb::knowledgeStamp(connection_);
    if (!index_ || index_->stamp != stamp) {
        index_.reset();
        std::unique_ptr<Index> index = std::make_unique<Index>();
        bool loaded = false;
        withStoredIndex(connection_, stamp, [&](BlockReader& reader) {
            try {
                loaded = index->load(reader);
            } catch (const std::runtime_error&) {
                loaded = false;
            }
        });
        if (!loaded)
            index.reset();
        if (!index) {
            index = std::make_unique<Index>();
            index->build(connection_);
        }
        index->stamp = stamp;
        index_ = std::move(index);
    }
    return *index_;
}

void MemoryEvaluator::storeIndex(kb::Connection& connection)
{
    const QString stamp = kb::knowledgeStamp(connection);
    if (!stamp.startsWith(u'#'))
        return; // knowledge without a hash may change at any time: nothing to tag an index with
    Index index;
    index.build(connection);
    kb::Transaction transaction(connection);
    connection.execScript(QStringLiteral(
        "CREATE TABLE IF NOT EXISTS EvaluationIndex (KnowledgeHash TEXT NOT NULL, Data BLOB NOT NULL);"
        "DELETE FROM EvaluationIndex;"));
    connection.exec(QStringLiteral("insert into EvaluationIndex (KnowledgeHash, Data) values (?, ?)"),
                    {stamp.mid(1), index.save()});
    transaction.commit();
}

bool MemoryEvaluator::hasStoredIndex(kb::Connection& connection)
{
    return withStoredIndex(connection, kb::knowledgeStamp(connection), [](BlockReader&) {});
}

QString MemoryEvaluator::stamp() const
{
    return index_ ? index_->stamp : QString();
}

void MemoryEvaluator::prepare()
{
    index();
}

std::optional<EvaluationResult> MemoryEvaluator::evaluate(CaseState& state, EvaluationMode mode,
                                                          const QString& formule, const QString& pathologie,
                                                          const EvaluationOptions& options)
{
    if (!options.cipherKey.isEmpty())
        return std::nullopt;
    const QString& condition = pathologie.isEmpty() ? formule : pathologie;
    // Without a sign the statement has no space after "where": the condition must not run into it.
    if (state.SCList.isEmpty() && !condition.startsWith(u'(') && !condition.startsWith(u' '))
        return std::nullopt;
    const std::unique_ptr<Node> expression = ConditionParser(condition).parse();
    if (!expression)
        return std::nullopt;

    try {
        index();
        Index& ix = *index_;
        if (!ix.usable)
            return std::nullopt;
        const Bits matched = ix.evaluate(connection_, *expression);
        std::vector<int> rows;
        forEachBit(matched, [&rows](int row) { rows.push_back(row); });

        std::vector<int> signOrder; // keys of the offered signs, in the order first met
        std::vector<int> examLineOrder;
        // Whatever the walk marked is unmarked on every way out.
        struct Reset {
            Index& ix;
            std::vector<int>& signs;
            std::vector<int>& examLines;
            std::vector<int> polarKeys;
            ~Reset()
            {
                for (const int k : signs)
                    ix.firstSign[size_t(k)] = -1;
                for (const int k : examLines)
                    ix.firstExamLine[size_t(k)] = -1;
                for (const int k : polarKeys)
                    ix.polarity[size_t(k)] = -1;
            }
        } reset{ix, signOrder, examLineOrder, {}};

        auto markRow = [&](int row) {
            for (int k = ix.signStart[size_t(row)]; k < ix.signStart[size_t(row) + 1]; ++k) {
                const int text = ix.lineText[size_t(ix.signLineOf[size_t(k)])];
                const int key = ix.keyOfText[size_t(text)];
                if (ix.firstSign[size_t(key)] < 0) {
                    ix.firstSign[size_t(key)] = text;
                    signOrder.push_back(key);
                }
            }
            for (int k = ix.examStart[size_t(row)]; k < ix.examStart[size_t(row) + 1]; ++k) {
                const int text = ix.examLineText[size_t(ix.examLineOf[size_t(k)])];
                const int key = ix.keyOfText[size_t(text)];
                if (ix.firstExamLine[size_t(key)] < 0) {
                    ix.firstExamLine[size_t(key)] = text;
                    examLineOrder.push_back(key);
                }
            }
        };

        EvaluationResult result;
        if (mode == EvaluationMode::Rank) {
            const qsizetype count = qsizetype(rows.size());
            result.header = diagnosesHeader(count);

            const bool probability = options.sortMode == SortMode::Probability;
            std::vector<qint64> signLengths; // of the signs of the formula, for the specificity
            for (const QString& x : std::as_const(state.SCList))
                if (!isSignToken(x))
                    signLengths.push_back(qint64(GetSC(x).size()));
            std::vector<qint64> examLengths;
            for (const QString& y : std::as_const(state.EC_List))
                if (!isExamOperator(y))
                    examLengths.push_back(qint64(GetSC(y).size()));
            QSet<QString> seen;
            for (const QString& e : std::as_const(state.SCList)) {
                const QString key = caseKey(e);
                if (seen.contains(key))
                    continue;
                seen.insert(key);
                const int id = ix.keyId(key);
                if (id >= 0) {
                    ix.polarity[size_t(id)] = qint8(Entree(state.SCList, e));
                    reset.polarKeys.push_back(id);
                }
            }

            // Learning bonuses by (row, sign text); a reliability that is not an integer fails
            // the evaluation wherever its pathology has that sign line.
            QHash<quint64, qint64> bonuses;
            std::vector<std::pair<int, int>> invalid; // row, text
            const QStringList* learning = options.learningList;
            if (learning && learning->size() > 2) {
                for (qsizetype u = 1; u + 1 < learning->size(); ++u) {
                    const auto [first, last] = ix.rowsNamed(learning->at(u - 1));
                    const int text = ix.textId(learning->at(u));
                    if (first == last || text < 0)
                        continue;
                    bool ok = false;
                    const qint64 value = learning->at(u + 1).trimmed().toLongLong(&ok);
                    for (auto row = first; row != last; ++row) {
                        if (ok) {
                            qint64& bonus = bonuses[(quint64(*row) << 32) | quint32(text)];
                            bonus = saturatingAdd(bonus, value);
                        } else
                            invalid.emplace_back(*row, text);
                    }
                }
            }
            for (const auto& [row, text] : invalid) {
                if (!(matched[size_t(row) / 64] & (quint64(1) << (row % 64))))
                    continue;
                for (int k = ix.signStart[size_t(row)]; k < ix.signStart[size_t(row) + 1]; ++k)
                    if (ix.lineText[size_t(ix.signLineOf[size_t(k)])] == text)
                        return std::nullopt;
            }

            std::vector<std::pair<qint64, int>> scored; // score and row, in query order
            scored.reserve(rows.size());
            for (const int row : rows) {
                if (!ix.prevalenceOk[size_t(row)])
                    return std::nullopt;
                qint64 score = ix.prevalence[size_t(row)];
                qint64 sum = 0;
                for (const qint64 length : signLengths) {
                    if (ix.signLength[size_t(row)] == 0)
                        return std::nullopt;
                    sum += (length * 100) / ix.signLength[size_t(row)];
                }
                if (probability && sum != 0)
                    score = saturatingMultiply(score, sum);
                if (!reset.polarKeys.empty()) {
                    for (int k = ix.signStart[size_t(row)]; k < ix.signStart[size_t(row) + 1]; ++k) {
                        const size_t line = size_t(ix.signLineOf[size_t(k)]);
                        const qint32 text = ix.lineText[line];
                        if (ix.polarity[size_t(ix.keyOfText[size_t(text)])] != 1)
                            continue;
                        if (!ix.lineWeightOk[line])
                            return std::nullopt;
                        const qint64 bonus =
                            bonuses.isEmpty() ? 0 : bonuses.value((quint64(row) << 32) | quint32(text), 0);
                        score = saturatingAdd(score, saturatingAdd(ix.lineWeight[line], bonus));
                    }
                }
                qint64 sum2 = 0;
                for (const qint64 length : examLengths) {
                    if (ix.examLength[size_t(row)] == 0)
                        return std::nullopt;
                    sum2 += (length * 100) / ix.examLength[size_t(row)];
                }
                if (probability && sum2 != 0)
                    score = saturatingMultiply(score, sum2);
                scored.emplace_back(score, row);
                markRow(row);
            }
            std::stable_sort(scored.begin(), scored.end(),
                             [](const auto& a, const auto& b) { return a.first > b.first; });
            if (!scored.empty()) {
                const qint64 top = scored.front().first;
                if (top == 0 && scored.size() > 1)
                    return std::nullopt;
                result.rows.reserve(scored.size());
                result.rows.push_back({QStringLiteral("99"), ix.names.at(scored.front().second).toString()});
                for (size_t i = 1; i < scored.size(); ++i)
                    result.rows.push_back({QString::number(saturatingMultiply(scored[i].first, 99) / top),
                                           ix.names.at(scored[i].second).toString()});
                result.progressMaximum = int(scored.size());
                result.progressPosition = 1;
            }
        } else {
            result.header = CaptionDiagnoses;
            result.progressPosition = 0;
            for (const int row : rows)
                markRow(row);
        }

        // What the case holds and what does not suit the patient is not offered.
        auto exclude = [](std::vector<int>& first, int key) {
            if (key >= 0 && first[size_t(key)] >= 0)
                first[size_t(key)] = -2; // Reset clears it with the rest
        };
        for (const QString& e : std::as_const(state.SCList))
            exclude(ix.firstSign, ix.keyOf(e));
        for (const int key : ix.withheld(connection_, state.PatientSex, state.PatientAgeBand))
            exclude(ix.firstSign, key);
        std::vector<std::pair<int, int>> signs;
        signs.reserve(signOrder.size());
        for (const int key : signOrder) {
            const int text = ix.firstSign[size_t(key)];
            if (text >= 0)
                signs.emplace_back(key, text);
        }
        for (const QString& e : std::as_const(state.EC_List))
            exclude(ix.firstExamLine, ix.keyOf(e));
        std::vector<std::pair<int, int>> examLines;
        examLines.reserve(examLineOrder.size());
        // Exams are taken from the exam lines in their sorted order, the first spelling of a name
        // kept; where two spellings of a name compete, the earlier line in that order wins.
        std::vector<int> examNames;
        for (const int key : examLineOrder) {
            const int text = ix.firstExamLine[size_t(key)];
            if (text < 0)
                continue;
            examLines.emplace_back(key, text);
            const int name = ix.examNameOfText[size_t(text)];
            const int nameKey = ix.keyOfText[size_t(name)];
            int& choice = ix.examNameChoice[size_t(nameKey)];
            if (choice < 0) {
                choice = text;
                examNames.push_back(nameKey);
            } else if (ix.spellings[size_t(nameKey)] &&
                       compareText(ix.table->texts.at(text), ix.table->texts.at(choice)) < 0) {
                choice = text;
            }
        }
        std::vector<std::pair<int, int>> exams;
        exams.reserve(examNames.size());
        const int zero = ix.keyId(u"0");
        for (const int nameKey : examNames) {
            const int line = ix.examNameChoice[size_t(nameKey)];
            ix.examNameChoice[size_t(nameKey)] = -1;
            if (nameKey != zero)
                exams.emplace_back(nameKey, ix.examNameOfText[size_t(line)]);
        }

        state.CandidateSigns.assignFromTable(ix.table, std::move(signs));
        state.CandidateExamLines.assignFromTable(ix.table, std::move(examLines));
        state.CandidateExams.assignFromTable(ix.table, std::move(exams));
        const bool hasRows = !result.rows.empty();
        result.signsPageCaption =
            pageCaption(CaptionSigns, state.CandidateSigns.size(), !state.SCList.isEmpty() && hasRows);
        result.examsPageCaption =
            pageCaption(CaptionExams, state.CandidateExams.size(), !state.EC_List.isEmpty() && hasRows);
        return result;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

// ---- Ranking by concordance.

namespace {

// What one finding says of one pathology.
enum class Fit {
    Explains,    // the pathology has the finding
    Lacks,       // it has not
    Contradicts, // the finding is negated and the pathology has the sign
    Excludes,    // the finding is negated and the sign is major for the pathology
    Neutral,     // the finding is negated and the pathology has not the sign
};
struct Outcome {
    Fit fit = Fit::Lacks;
    qint64 weight = 0;
};

// What a finding left unexplained costs a pathology, on the scale of the sign weights (1 to 10):
// as much as a strong sign, so that explaining one finding more outweighs a few weight points.
constexpr qint64 LackCost = 10;

} // namespace

// The findings of one case answered against the index: each sign or exam line is two sets of
// pathologies (those having it, those having it as major), each worked out once.
class MemoryEvaluator::Concordance {
public:
    // A finding with the sets it is answered by, resolved once for the whole ranking.
    struct Term {
        const FindingTerm* finding = nullptr;
        int leaf = -1; // for a sign or an exam line
        std::vector<Term> members;
    };

    Concordance(kb::Connection& connection, Index& ix, const CaseState& state,
                const EvaluationOptions& options)
        : connection_(connection)
        , ix_(ix)
        , findings_(concordanceTerms(state.SCList, state.EC_List))
    {
        for (const FindingTerm& finding : findings_)
            terms_.push_back(compile(finding));
        const QStringList* learning = options.learningList;
        if (learning && learning->size() > 2) {
            // As the other rankings read the learning lines; an unreadable reliability counts 0.
            for (qsizetype u = 1; u + 1 < learning->size(); ++u) {
                const auto [first, last] = ix_.rowsNamed(learning->at(u - 1));
                const int text = ix_.textId(learning->at(u));
                bool ok = false;
                const qint64 value = learning->at(u + 1).trimmed().toLongLong(&ok);
                if (first == last || text < 0 || !ok)
                    continue;
                for (auto row = first; row != last; ++row) {
                    qint64& bonus = bonuses_[(quint64(*row) << 32) | quint32(text)];
                    bonus = saturatingAdd(bonus, value);
                }
            }
        }
        if (ix_.examLineWeight.empty()) {
            const Column& exams = ix_.column(u'E');
            ix_.examLineWeight.resize(exams.lineCount());
            for (size_t k = 0; k < exams.lineCount(); ++k)
                ix_.examLineWeight[k] = Get_P(exams.line(k));
        }
    }

    const std::vector<Term>& terms() const { return terms_; }

    // Whether any finding is present (not negated): then only the pathologies explaining one of
    // them are listed.
    bool hasPresentFinding() const
    {
        return std::any_of(leaves_.begin(), leaves_.end(), [](const Leaf& l) { return !l.negated; });
    }

    // What every pathology pays for the findings it might lack, when it explains none of them:
    // added to the scores, it leaves each the weight of what it explains.
    qint64 lackOfAll() const
    {
        qint64 count = 0;
        for (const Term& term : terms_)
            count += holdsPresentFinding(term) ? 1 : 0;
        return count * LackCost;
    }

    // The pathologies that explain at least one present finding.
    Bits explainingAny() const
    {
        Bits bits = emptyBits(ix_.rowCount);
        for (const Leaf& leaf : leaves_) {
            if (!leaf.negated)
                for (size_t w = 0; w < bits.size(); ++w)
                    bits[w] |= leaf.has[w];
        }
        return bits;
    }

    Outcome outcome(int row, const Term& term) const
    {
        if (term.leaf >= 0) {
            const Leaf& leaf = leaves_[size_t(term.leaf)];
            if (!test(leaf.has, row))
                return {leaf.negated ? Fit::Neutral : Fit::Lacks, 0};
            if (leaf.negated && test(leaf.major, row))
                return {Fit::Excludes, 0};
            return {leaf.negated ? Fit::Contradicts : Fit::Explains, weightIn(row, leaf)};
        }
        if (term.finding->kind == FindingTerm::Kind::AnyOf) {
            Outcome best{Fit::Lacks, 0};
            for (const Term& m : term.members) {
                const Outcome o = outcome(row, m);
                if (o.fit == Fit::Explains && (best.fit != Fit::Explains || o.weight > best.weight))
                    best = o;
                else if (o.fit == Fit::Neutral && best.fit == Fit::Lacks)
                    best = o;
            }
            return best;
        }
        Outcome all{Fit::Neutral, 0};
        for (const Term& m : term.members) {
            const Outcome o = outcome(row, m);
            if (o.fit == Fit::Excludes)
                return o;
            if (o.fit == Fit::Lacks || o.fit == Fit::Contradicts)
                all.fit = Fit::Lacks;
            else if (o.fit == Fit::Explains && all.fit != Fit::Lacks)
                all.fit = Fit::Explains;
            if (o.fit == Fit::Explains)
                all.weight = saturatingAdd(all.weight, o.weight);
        }
        if (all.fit != Fit::Explains)
            all.weight = 0;
        return all;
    }

    // The score of a row, or nothing when a negated major sign excludes it.
    std::optional<qint64> score(int row) const
    {
        qint64 score = 0;
        for (const Term& term : terms_) {
            const Outcome o = outcome(row, term);
            switch (o.fit) {
            case Fit::Explains:
                score = saturatingAdd(score, saturatingAdd(o.weight, LackCost));
                break;
            case Fit::Contradicts:
                score = saturatingAdd(score, -o.weight);
                break;
            case Fit::Lacks:
                // The same cost for every pathology; it keeps the scores of those explaining
                // little below zero, which the percentages show.
                score = saturatingAdd(score, -LackCost);
                break;
            case Fit::Excludes:
                return std::nullopt;
            case Fit::Neutral:
                break;
            }
        }
        return score;
    }

private:
    struct Leaf {
        QString text;
        bool exam = false;
        bool negated = false;
        Bits has;
        Bits major;
        const Bits* lines = nullptr; // the distinct lines of its column that hold the text
        int key = -1;                // its case key in the index, -1 when the knowledge lacks the text
    };

    static bool test(const Bits& bits, int row) { return (bits[size_t(row) / 64] >> (row % 64)) & 1; }
    bool holdsPresentFinding(const Term& term) const
    {
        if (term.leaf >= 0)
            return !leaves_[size_t(term.leaf)].negated;
        return std::any_of(term.members.begin(), term.members.end(),
                           [this](const Term& m) { return holdsPresentFinding(m); });
    }

    // The pathologies whose column matches the finding the way the diagnosis query matches it.
    Bits matching(QStringView column, QStringView prefix, const QString& text)
    {
        const std::unique_ptr<Node> like =
            ConditionParser(kb::likeLiteral(column, prefix, text, u"%")).parse();
        if (!like || like->kind != Node::Kind::Like)
            return emptyBits(ix_.rowCount); // a text SQLite would not read as typed
        return ix_.term(connection_, *like);
    }

    // The lines of a column holding a folded text, found as the sets of pathologies are; kept
    // with the index.
    const Bits& linesHolding(QChar columnName, const QString& folded)
    {
        const QString cacheKey = columnName + folded;
        if (const auto it = ix_.linesHolding.find(cacheKey); it != ix_.linesHolding.end())
            return it->second;
        const Column& c = ix_.column(columnName);
        Bits lines = emptyBits(int(c.lineCount()));
        c.forEachLineHolding(folded, [&lines](size_t line) { setBit(lines, int(line)); });
        return ix_.linesHolding.emplace(cacheKey, std::move(lines)).first->second;
    }

    Term compile(const FindingTerm& finding)
    {
        Term term;
        term.finding = &finding;
        if (finding.kind == FindingTerm::Kind::AnyOf || finding.kind == FindingTerm::Kind::AllOf) {
            for (const FindingTerm& m : finding.members)
                term.members.push_back(compile(m));
            return term;
        }
        const bool exam = finding.kind == FindingTerm::Kind::Exam;
        for (size_t i = 0; i < leaves_.size(); ++i) {
            const Leaf& l = leaves_[i];
            if (l.exam == exam && l.negated == finding.negated && l.text == finding.text) {
                term.leaf = int(i);
                return term;
            }
        }
        const QStringView column = exam ? u"E" : u"S";
        Leaf leaf;
        leaf.text = finding.text;
        leaf.exam = exam;
        leaf.negated = finding.negated;
        leaf.has = matching(column, u"%", finding.text);
        if (finding.negated)
            leaf.major = matching(column, u"%*", finding.text);
        leaf.key = ix_.keyOf(finding.text);
        leaf.lines = &linesHolding(exam ? u'E' : u'S', kb::foldCase(finding.text));
        leaves_.push_back(std::move(leaf));
        term.leaf = int(leaves_.size()) - 1;
        return term;
    }

    // The weight the finding brings to a row that has it: that of the line of the same text, or,
    // when only a longer line holds the text, the strongest such line.
    qint64 weightIn(int row, const Leaf& leaf) const
    {
        const std::vector<qint32>& starts = leaf.exam ? ix_.examStart : ix_.signStart;
        const std::vector<qint32>& lines = leaf.exam ? ix_.examLineOf : ix_.signLineOf;
        const auto weightOf = [&](size_t line) {
            qint64 weight = leaf.exam ? ix_.examLineWeight[line] : ix_.lineWeight[line];
            if (!leaf.exam && !bonuses_.isEmpty()) {
                const quint32 text = quint32(ix_.lineText[line]);
                weight = saturatingAdd(weight, bonuses_.value((quint64(row) << 32) | text, 0));
            }
            return weight;
        };
        const auto textOf = [&](size_t line) {
            return leaf.exam ? ix_.examLineText[line] : ix_.lineText[line];
        };
        std::optional<qint64> best;
        if (leaf.key >= 0) {
            for (int k = starts[size_t(row)]; k < starts[size_t(row) + 1]; ++k) {
                const size_t line = size_t(lines[size_t(k)]);
                if (ix_.keyOfText[size_t(textOf(line))] == leaf.key)
                    best = std::max(best.value_or(weightOf(line)), weightOf(line));
            }
            if (best)
                return *best;
        }
        for (int k = starts[size_t(row)]; k < starts[size_t(row) + 1]; ++k) {
            const size_t line = size_t(lines[size_t(k)]);
            if (test(*leaf.lines, int(line)))
                best = std::max(best.value_or(weightOf(line)), weightOf(line));
        }
        return best.value_or(0);
    }

    kb::Connection& connection_;
    Index& ix_;
    std::vector<FindingTerm> findings_;
    std::vector<Leaf> leaves_;
    std::vector<Term> terms_;
    QHash<quint64, qint64> bonuses_; // by (row, sign text)
};

std::optional<EvaluationResult> MemoryEvaluator::evaluateConcordance(CaseState& state, EvaluationMode mode,
                                                                     const EvaluationOptions& options)
{
    // The offers are those of the pathologies suiting the patient: no finding filters them.
    QStringList noSigns;
    const QString patientCondition =
        buildQueryCondition(noSigns, QStringList(), state.PatientSex, state.PatientAgeBand);
    if (!options.cipherKey.isEmpty())
        return std::nullopt;
    try {
        index();
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (!index_->usable)
        return std::nullopt;
    // Worked out once per patient; what the case holds is then left out.
    const QString patientKey = state.PatientSex + state.PatientAgeBand;
    std::array<SortedList, 3>* offered = nullptr;
    std::optional<EvaluationResult> offers;
    if (auto it = index_->offersByPatient.find(patientKey); it != index_->offersByPatient.end()) {
        offered = &it.value();
        offers.emplace();
        offers->header = CaptionDiagnoses;
    } else {
        CaseState patientOnly;
        patientOnly.PatientSex = state.PatientSex;
        patientOnly.PatientAgeBand = state.PatientAgeBand;
        offers = evaluate(patientOnly, EvaluationMode::RefreshOffers, patientCondition, QString(), options);
        if (!offers)
            return std::nullopt;
        offered = &index_->offersByPatient
                       .insert(patientKey, {std::move(patientOnly.CandidateSigns),
                                            std::move(patientOnly.CandidateExamLines),
                                            std::move(patientOnly.CandidateExams)})
                       .value();
    }
    offers->progressPosition = 0;
    state.CandidateSigns = (*offered)[0];
    state.CandidateSigns.removeAll(state.SCList);
    state.CandidateExamLines = (*offered)[1];
    state.CandidateExamLines.removeAll(state.EC_List);
    state.CandidateExams = (*offered)[2];
    offers->signsPageCaption = pageCaption(CaptionSigns, state.CandidateSigns.size(), false);
    offers->examsPageCaption = pageCaption(CaptionExams, state.CandidateExams.size(), false);
    EvaluationResult result = std::move(*offers);
    if (mode == EvaluationMode::Rank) {
        try {
            Index& ix = *index_;
            const std::unique_ptr<Node> patient = ConditionParser(patientCondition).parse();
            if (!patient)
                return std::nullopt;
            Bits rows = ix.evaluate(connection_, *patient);
            const Concordance concordance(connection_, ix, state, options);
            if (concordance.hasPresentFinding()) {
                const Bits explaining = concordance.explainingAny();
                for (size_t w = 0; w < rows.size(); ++w)
                    rows[w] &= explaining[w];
            }
            std::vector<std::pair<qint64, int>> scored; // in query order: decreasing prevalence
            forEachBit(rows, [&](int row) {
                if (const std::optional<qint64> score = concordance.score(row))
                    scored.emplace_back(*score, row);
            });
            // Equal scores keep the query order, so prevalence decides between them.
            std::stable_sort(scored.begin(), scored.end(),
                             [](const auto& a, const auto& b) { return a.first > b.first; });
            result.header = diagnosesHeader(qsizetype(scored.size()));
            result.rows.reserve(scored.size());
            // On the scale of the other rankings, 99 for the best, of the weight each pathology
            // explains: the cost of the findings it lacks is the same for all and is left out.
            const qint64 shift = concordance.lackOfAll();
            const qint64 top = scored.empty() ? 0 : saturatingAdd(scored.front().first, shift);
            for (const auto& [score, row] : scored) {
                const qint64 explained = saturatingAdd(score, shift);
                const qint64 percent =
                    explained == top
                        ? 99
                        : (top > 0 ? std::max<qint64>(0, saturatingMultiply(explained, 99) / top) : 0);
                result.rows.push_back({QString::number(percent), ix.names.at(row).toString()});
            }
            if (!scored.empty()) {
                result.progressMaximum = int(scored.size());
                result.progressPosition = 1;
            }
            const bool hasRows = !result.rows.empty();
            result.signsPageCaption =
                pageCaption(CaptionSigns, state.CandidateSigns.size(), !state.SCList.isEmpty() && hasRows);
            result.examsPageCaption =
                pageCaption(CaptionExams, state.CandidateExams.size(), !state.EC_List.isEmpty() && hasRows);
        } catch (const std::exception&) {
            return std::nullopt;
        }
    }
    return result;
}

std::optional<FindingReasons> MemoryEvaluator::reasons(const CaseState& state, const QString& pathology,
                                                       const EvaluationOptions& options)
{
    if (!options.cipherKey.isEmpty())
        return std::nullopt;
    try {
        index();
        Index& ix = *index_;
        if (!ix.usable)
            return std::nullopt;
        const auto [first, last] = ix.rowsNamed(pathology);
        if (first == last)
            return std::nullopt;
        const Concordance concordance(connection_, ix, state, options);
        FindingReasons reasons;
        for (const Concordance::Term& term : concordance.terms()) {
            const Outcome o = concordance.outcome(*first, term);
            if (o.fit == Fit::Explains)
                reasons.explains.push_back({term.finding->label(), o.weight});
            else if (o.fit == Fit::Lacks || o.fit == Fit::Contradicts || o.fit == Fit::Excludes)
                reasons.lacks.append(term.finding->label());
        }
        return reasons;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace vardelo::engine
