#include "engine/ConcordanceTerms.h"

#include "case/CaseModel.h"

namespace vardelo::engine {

using namespace model;

namespace {

// Reads the formula with the precedence of the diagnosis query (not above and above or). Dangling
// operators and unbalanced parentheses are skipped rather than refused: the ranking must follow
// the formula while the physician is still typing it.
class FormulaReader {
public:
    explicit FormulaReader(const QStringList& tokens)
        : tokens_(tokens)
    {}

    std::vector<FindingTerm> topLevelTerms()
    {
        std::vector<FindingTerm> terms;
        while (pos_ < tokens_.size()) {
            std::optional<FindingTerm> term = anyOf();
            if (term) {
                // The top-level "and" terms are the findings; an "or" group is one of them.
                if (term->kind == FindingTerm::Kind::AllOf)
                    for (FindingTerm& member : term->members)
                        terms.push_back(std::move(member));
                else
                    terms.push_back(std::move(*term));
            } else {
                ++pos_; // a stray ")" or operator
            }
        }
        return terms;
    }

private:
    bool at(const QString& token) const { return pos_ < tokens_.size() && tokens_.at(pos_) == token; }

    // "not (a or b)" is "not a and not b"; "not (a and b)" is "not a or not b".
    static void negate(FindingTerm& term)
    {
        switch (term.kind) {
        case FindingTerm::Kind::Sign:
        case FindingTerm::Kind::Exam:
            term.negated = !term.negated;
            return;
        case FindingTerm::Kind::AnyOf:
        case FindingTerm::Kind::AllOf:
            term.kind =
                term.kind == FindingTerm::Kind::AnyOf ? FindingTerm::Kind::AllOf : FindingTerm::Kind::AnyOf;
            for (FindingTerm& m : term.members)
                negate(m);
            return;
        }
    }

    static FindingTerm group(FindingTerm::Kind kind, std::vector<FindingTerm> members)
    {
        if (members.size() == 1)
            return std::move(members.front());
        FindingTerm term;
        term.kind = kind;
        term.members = std::move(members);
        return term;
    }

    std::optional<FindingTerm> anyOf()
    {
        std::vector<FindingTerm> members;
        for (;;) {
            if (std::optional<FindingTerm> member = allOf())
                members.push_back(std::move(*member));
            if (!at(token::Or))
                break;
            ++pos_;
        }
        if (members.empty())
            return std::nullopt;
        return group(FindingTerm::Kind::AnyOf, std::move(members));
    }

    std::optional<FindingTerm> allOf()
    {
        std::vector<FindingTerm> members;
        for (;;) {
            if (std::optional<FindingTerm> member = unary()) {
                // "a and (b and c)" is three findings.
                if (member->kind == FindingTerm::Kind::AllOf)
                    for (FindingTerm& m : member->members)
                        members.push_back(std::move(m));
                else
                    members.push_back(std::move(*member));
            }
            if (!at(token::And))
                break;
            ++pos_;
        }
        if (members.empty())
            return std::nullopt;
        return group(FindingTerm::Kind::AllOf, std::move(members));
    }

    std::optional<FindingTerm> unary()
    {
        if (pos_ >= tokens_.size())
            return std::nullopt;
        const QString& t = tokens_.at(pos_);
        if (t == token::Not) {
            ++pos_;
            std::optional<FindingTerm> operand = unary();
            if (operand)
                negate(*operand);
            return operand;
        }
        if (t == token::Ignore) {
            ++pos_;
            if (pos_ < tokens_.size() && !isSignToken(tokens_.at(pos_)))
                ++pos_; // an undetermined sign is no finding
            return std::nullopt;
        }
        if (t == token::Open) {
            ++pos_;
            std::optional<FindingTerm> inner = anyOf();
            if (at(token::Close))
                ++pos_;
            return inner;
        }
        if (isSignToken(t))
            return std::nullopt; // an operator where a sign belongs: the caller moves on
        ++pos_;
        FindingTerm sign;
        sign.text = t;
        return sign;
    }

    const QStringList& tokens_;
    qsizetype pos_ = 0;
};

} // namespace

QString FindingTerm::label() const
{
    switch (kind) {
    case Kind::Sign:
    case Kind::Exam:
        return negated ? QStringLiteral("non ") + text : text;
    case Kind::AnyOf:
    case Kind::AllOf: {
        QStringList parts;
        for (const FindingTerm& m : members)
            parts.append(m.label());
        return u'(' + parts.join(kind == Kind::AnyOf ? QStringLiteral(" ou ") : QStringLiteral(" et ")) +
               u')';
    }
    }
    return text;
}

std::vector<FindingTerm> concordanceTerms(const QStringList& scList, const QStringList& ecList)
{
    std::vector<FindingTerm> terms = FormulaReader(scList).topLevelTerms();
    bool negated = false;
    for (const QString& e : ecList) {
        if (e == token::Not) {
            negated = true;
        } else if (e != token::And) {
            FindingTerm exam;
            exam.kind = FindingTerm::Kind::Exam;
            exam.text = e;
            exam.negated = negated;
            terms.push_back(std::move(exam));
            negated = false;
        }
    }
    return terms;
}

} // namespace vardelo::engine
