#include "dialogue/SuggestionRoute.h"

#include "kb/SqlQuote.h"

namespace vardelo::dialogue {

bool ageCompatible(const QString& band, const QString& ageField)
{
    return band.isEmpty() || ageField.contains(band);
}

SuggestionDecision routeSuggestion(kb::Query& query, const model::CaseState& state, const QString& sign)
{
    if (model::Entree(state.SCList, sign) >= 0)
        return {SuggestionRoute::AlreadyEntered, sign};
    const QStringList& offered = state.CandidateSigns.lines();
    const qsizetype index = state.CandidateSigns.indexOf(sign);
    if (index >= 0)
        return {SuggestionRoute::Offered, offered.at(index)};
    // The start of a longer offered sign (or any part of one) is entered as it was picked.
    if (offered.join(u'\n').contains(sign))
        return {SuggestionRoute::OfferedPart, sign};

    // The first sign of the base whose text holds every line of the picked one carries the
    // restrictions.
    QStringList conditions;
    for (const QString& line : sign.split(u'\n'))
        conditions.append(kb::likeLiteral(u"S", u"%", line, u"%"));
    query.open(QStringLiteral("select * from SC where ") + conditions.join(QStringLiteral(" and ")));
    const QString sex = query.eof() ? QString() : query.field(QStringLiteral("X"));
    const QString ages = query.eof() ? QString() : query.field(QStringLiteral("A"));
    query.close();
    if (!sex.isEmpty() && sex != QString(state.PatientSex))
        return {SuggestionRoute::OtherSex, sign};
    if (!ages.isEmpty() && !ageCompatible(state.PatientAgeBand, ages))
        return {SuggestionRoute::OtherAgeBand, sign};
    return {SuggestionRoute::OutsideDifferential, sign};
}

} // namespace vardelo::dialogue
