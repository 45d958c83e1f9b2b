#pragma once
// Where a sign picked among the suggestions for a typed text goes: into the case, into a new case
// file for another sex or age band, or into a parallel analysis. Deciding it needs no window; the
// window runs the questions and the entry that follow.

#include "case/CaseModel.h"
#include "kb/Query.h"

#include <QString>

namespace vardelo::dialogue {

// Whether a sign restricted to the age bands of ageField (band digits, empty when unrestricted)
// suits a patient of that band; a patient of unknown band (empty) suits every sign.
bool ageCompatible(const QString& band, const QString& ageField);

enum class SuggestionRoute {
    AlreadyEntered,      // the sign is in the formula already
    OfferedPart,         // a part of an offered sign's text: entered as it is
    Offered,             // an offered sign, typed in another letter case maybe
    OtherSex,            // reserved to the other sex
    OtherAgeBand,        // reserved to age bands that exclude the patient's
    OutsideDifferential, // suits the patient, but none of the evoked pathologies has it
};

struct SuggestionDecision {
    SuggestionRoute route;
    QString sign; // what to enter: the offered sign as it is written, or the picked sign
};

// The route of sign for the case in state, whose offered signs are state.CandidateSigns. Reads the
// sign's restrictions in table SC; database errors throw kb::DbError.
SuggestionDecision routeSuggestion(kb::Query& query, const model::CaseState& state, const QString& sign);

} // namespace vardelo::dialogue
