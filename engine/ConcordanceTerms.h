#pragma once
// The findings of a case as the ranking by concordance weighs them: each term joined by "and" is
// one finding that a pathology explains or lacks, instead of a filter. A group joined by "or"
// is one finding explained by any of its members; "ignore" takes a sign out of the case.

#include <QStringList>
#include <optional>
#include <vector>

namespace vardelo::engine {

struct FindingTerm {
    enum class Kind {
        Sign,  // text is a sign of the formula
        Exam,  // text is an exam line "exam : result"
        AnyOf, // members joined by "or": explained when one of them is
        AllOf, // members joined by "and" inside an "or" group: explained when all of them are
    };
    Kind kind = Kind::Sign;
    QString text;
    bool negated = false; // "not": the finding is absent
    std::vector<FindingTerm> members;

    // How the finding reads in the reasons given for a pathology: "Fièvre", "non Toux",
    // "(Toux ou Dyspnée)".
    QString label() const;
    friend bool operator==(const FindingTerm&, const FindingTerm&) = default;
};

// The terms of a sign formula and exam lines. A formula left incomplete while it is being typed
// (a trailing operator, an unclosed parenthesis) gives the terms of what is complete.
std::vector<FindingTerm> concordanceTerms(const QStringList& scList, const QStringList& ecList);

} // namespace vardelo::engine
