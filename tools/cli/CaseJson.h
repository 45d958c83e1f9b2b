#pragma once
// The case JSON that the commands take: {"sex", "age", "mode", "dg", "signs", "exams", "retained"},
// and "notes" where a case file is saved.

#include "engine/Evaluation.h"

#include <QByteArray>
#include <QStringList>
#include <optional>

namespace vardelo::cli {

struct CaseInput {
    QChar sex = u'f';
    QString age;
    engine::SortMode mode = engine::SortMode::Prevalence;
    engine::EvaluationMode evaluation = engine::EvaluationMode::Rank;
    QStringList signs;
    QStringList exams;
    QString retained;
    QString notes; // the case notes, as RTF text
};

// "prevalence", "probability" or "concordance"; on another name, *error says why in French.
std::optional<engine::SortMode> parseSortMode(const QString& name, QString* error);

// Reads a case; on a bad one, *error says why in French. "notes" is accepted only when withNotes.
std::optional<CaseInput> parseCase(const QByteArray& json, QString* error, bool withNotes = false);

} // namespace vardelo::cli
