#include "engine/MemoryEvaluator.h"

#include "case/KbLines.h"
#include "case/TextCompare.h"
#include "kb/JetFunctions.h"
#include "kb/VersionArea.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <bit>
#include <string_view>
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

// One searched column of the pathologies: its distinct lines, case-folded, each followed by a line
// feed in one text (a pattern without line breaks can only match inside one line), and the rows
// holding each line.
struct Column {
    QString arena;
    std::vector<qsizetype> starts;  // of each line in the arena, and the arena's size at the end
    std::vector<int> postingStarts; // rows of line k: postingRows[postingStarts[k] .. [k + 1])
    std::vector<int> postingRows;
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
        column.arena += kb::foldCase(line);
        column.arena += u'\n';
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

} // namespace

struct MemoryEvaluator::Index {
    QString stamp;
    bool usable = true; // false when a searched column holds NULL: three-valued logic is the SQL path's
    int rowCount = 0;

    // Rows in the order of the diagnosis query: ORDER BY F DESC, rowid.
    std::vector<qint64> rowIds;
    QHash<qint64, int> rowOfId;
    std::vector<QString> names;
    std::vector<qint64> prevalence;
    std::vector<char> prevalenceOk; // F read as an integer
    std::vector<int> signLength;    // LS
    std::vector<int> examLength;    // LE
    std::vector<int> signStart;     // sign lines of row r: signLineOf[signStart[r] .. [r + 1])
    std::vector<int> signLineOf;
    std::vector<int> examStart;
    std::vector<int> examLineOf;
    QHash<QString, std::vector<int>> rowsByName;

    // Distinct sign lines: their sign text and weight.
    struct SignLine {
        int text = 0;
        int weight = 0;
        bool weightOk = true;
    };
    std::vector<SignLine> signLines;
    std::vector<int> examLineText; // distinct exam lines: their GetSC text

    // Texts (GetSC of the lines, GetEC of the exam texts) and their case keys.
    std::shared_ptr<TextTable> table = std::make_shared<TextTable>();
    std::vector<QString>& texts = table->texts;
    std::vector<QString>& keys = table->keys;
    std::vector<int> keyOfText;
    std::vector<int> examNameOfText; // for the texts of exam lines; -1 otherwise
    std::vector<char> spellings;     // by key: whether exam names of that key are spelled two ways
    QHash<QString, int> textIds;
    QHash<QString, int> keyIds;

    Column columns[3]; // S, E, I

    // Answers kept until the knowledge changes.
    QHash<QString, Bits> terms;
    QHash<QString, std::vector<int>> withheldKeys; // Filtre_Sexe_Age, by other sex and age band

    // Scratch arrays by key, reset after each evaluation.
    mutable std::vector<qint8> polarity;
    mutable std::vector<int> firstSign;
    mutable std::vector<int> firstExamLine;
    mutable std::vector<int> examNameChoice;

    int internText(const QString& text)
    {
        const auto it = textIds.constFind(text);
        if (it != textIds.constEnd())
            return it.value();
        const int id = int(texts.size());
        texts.push_back(text);
        const QString key = caseKey(text);
        auto k = keyIds.constFind(key);
        if (k == keyIds.constEnd()) {
            k = keyIds.insert(key, int(keys.size()));
            keys.push_back(key);
        }
        keyOfText.push_back(k.value());
        examNameOfText.push_back(-1);
        textIds.insert(text, id);
        return id;
    }

    int keyOf(const QString& text) const { return keyIds.value(caseKey(text), -1); }

    const Column& column(QChar name) const { return columns[name == u'S' ? 0 : name == u'E' ? 1 : 2]; }

    void build(kb::Connection& connection)
    {
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
            const int row = rowCount++;
            rowIds.push_back(rows.integer(0));
            rowOfId.insert(rowIds.back(), row);
            names.push_back(rows.text(1));
            rowsByName[names.back()].push_back(row);
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
                    SignLine sign;
                    sign.text = internText(GetSC(line));
                    sign.weight = Get_P(line, &sign.weightOk);
                    signLines.push_back(sign);
                }
                signIds.push_back(id);
                signLineOf.push_back(id);
            });
            signLength.push_back(length);
            signStart.push_back(int(signLineOf.size()));

            const QString e = rows.text(4);
            length = 0;
            std::vector<int>& examIds = examRows.emplace_back();
            forEachLine(e, [&](QStringView line) {
                length += int(line.size()) + 2;
                const auto [id, added] = examInterner.intern(line);
                if (added) {
                    const int text = internText(GetSC(line));
                    if (examNameOfText[size_t(text)] < 0) {
                        const int name = internText(GetEC(texts[size_t(text)]));
                        examNameOfText[size_t(text)] = name;
                    }
                    examLineText.push_back(text);
                }
                examIds.push_back(id);
                examLineOf.push_back(id);
            });
            examLength.push_back(length);
            examStart.push_back(int(examLineOf.size()));

            const QString i = rows.text(5);
            std::vector<int>& applicabilityIds = applicabilityRows.emplace_back();
            forEachLine(i, [&](QStringView line) {
                applicabilityIds.push_back(applicabilityInterner.intern(line).first);
            });
        }
        columns[0] = makeColumn(signInterner.lines(), signRows);
        columns[1] = makeColumn(examInterner.lines(), examRows);
        columns[2] = makeColumn(applicabilityInterner.lines(), applicabilityRows);
        spellings.assign(keys.size(), 0);
        std::vector<int> spelling(keys.size(), -1);
        for (const int name : examNameOfText) {
            if (name < 0)
                continue;
            int& first = spelling[size_t(keyOfText[size_t(name)])];
            if (first < 0)
                first = name;
            else if (first != name)
                spellings[size_t(keyOfText[size_t(name)])] = 1;
        }
        polarity.assign(keys.size(), -1);
        firstSign.assign(keys.size(), -1);
        firstExamLine.assign(keys.size(), -1);
        examNameChoice.assign(keys.size(), -1);
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
            const QStringView arena(c.arena);
            qsizetype from = 0;
            for (;;) {
                const qsizetype at = arena.indexOf(simple->literal, from);
                if (at < 0)
                    break;
                const auto next = std::upper_bound(c.starts.begin(), c.starts.end(), at);
                const size_t line = size_t(next - c.starts.begin()) - 1;
                for (int k = c.postingStarts[line]; k < c.postingStarts[line + 1]; ++k)
                    setBit(bits, c.postingRows[size_t(k)]);
                from = *next;
            }
        } else {
            // Runs of "_" or "%" inside, or line breaks: the connection's own LIKE answers, once.
            bits = emptyBits(rowCount);
            kb::Statement statement(connection,
                                    QStringLiteral("select rowid from Data where %1 like ?%2")
                                        .arg(like.column)
                                        .arg(like.hasEscape ? QStringLiteral(" escape ?") : QString()));
            QVariantList params{like.pattern};
            if (like.hasEscape)
                params.append(QString(QChar(like.escape)));
            statement.bind(params);
            while (statement.step())
                setBit(bits, rowOfId.value(statement.integer(0)));
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

const MemoryEvaluator::Index& MemoryEvaluator::index()
{
    const QString stamp = kb::knowledgeStamp(connection_);
    if (!index_ || index_->stamp != stamp) {
        index_.reset();
        auto index = std::make_unique<Index>();
        index->build(connection_);
        index->stamp = stamp;
        index_ = std::move(index);
    }
    return *index_;
}

void MemoryEvaluator::prepare()
{
    index();
}

std::optional<EvaluationResult> MemoryEvaluator::evaluate(CaseState& state, int dg, const QString& formule,
                                                          const QString& pathologie,
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
                const int text = ix.signLines[size_t(ix.signLineOf[size_t(k)])].text;
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
        if (dg == 1) {
            const qsizetype count = qsizetype(rows.size());
            if (count == 0)
                result.header = QStringLiteral("Pas de diagnostic !");
            else if (count == 1)
                result.header = QStringLiteral("1   Diagnostic évoqué");
            else
                result.header = QString::number(count) + QStringLiteral("   ") + CaptionDiagnoses;

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
                const int id = ix.keyIds.value(key, -1);
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
                    const auto rowsOfName = ix.rowsByName.constFind(learning->at(u - 1));
                    const auto text = ix.textIds.constFind(learning->at(u));
                    if (rowsOfName == ix.rowsByName.constEnd() || text == ix.textIds.constEnd())
                        continue;
                    bool ok = false;
                    const qint64 value = learning->at(u + 1).trimmed().toLongLong(&ok);
                    for (const int row : rowsOfName.value()) {
                        if (ok)
                            bonuses[(quint64(row) << 32) | quint32(text.value())] += value;
                        else
                            invalid.emplace_back(row, text.value());
                    }
                }
            }
            for (const auto& [row, text] : invalid) {
                if (!(matched[size_t(row) / 64] & (quint64(1) << (row % 64))))
                    continue;
                for (int k = ix.signStart[size_t(row)]; k < ix.signStart[size_t(row) + 1]; ++k)
                    if (ix.signLines[size_t(ix.signLineOf[size_t(k)])].text == text)
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
                    score *= sum;
                if (!reset.polarKeys.empty()) {
                    for (int k = ix.signStart[size_t(row)]; k < ix.signStart[size_t(row) + 1]; ++k) {
                        const Index::SignLine& line = ix.signLines[size_t(ix.signLineOf[size_t(k)])];
                        if (ix.polarity[size_t(ix.keyOfText[size_t(line.text)])] != 1)
                            continue;
                        if (!line.weightOk)
                            return std::nullopt;
                        score += line.weight;
                        if (!bonuses.isEmpty())
                            score += bonuses.value((quint64(row) << 32) | quint32(line.text), 0);
                    }
                }
                qint64 sum2 = 0;
                for (const qint64 length : examLengths) {
                    if (ix.examLength[size_t(row)] == 0)
                        return std::nullopt;
                    sum2 += (length * 100) / ix.examLength[size_t(row)];
                }
                if (probability && sum2 != 0)
                    score *= sum2;
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
                result.rows.push_back({QStringLiteral("99"), ix.names[size_t(scored.front().second)]});
                for (size_t i = 1; i < scored.size(); ++i)
                    result.rows.push_back(
                        {QString::number((scored[i].first * 99) / top), ix.names[size_t(scored[i].second)]});
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
                       compareText(ix.texts[size_t(text)], ix.texts[size_t(choice)]) < 0) {
                choice = text;
            }
        }
        std::vector<std::pair<int, int>> exams;
        exams.reserve(examNames.size());
        const int zero = ix.keyIds.value(QStringLiteral("0"), -1);
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

} // namespace vardelo::engine
