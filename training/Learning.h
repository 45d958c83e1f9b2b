#pragma once
// Learning: the physician's judgement of the retained diagnosis for the signs of a case, kept as
// records of three lines in the learning file "Apprentissage.vl" beside the program:
//   the retained diagnosis / one element of the sign formula / the reliability ("+3", "-5").
// The evaluation reads them back and adds the reliabilities into the scores.

#include <QString>
#include <QStringList>

namespace vardelo::training {

inline const QString LearningFileName = QStringLiteral("Apprentissage.vl");
inline constexpr int LowestLevel = 1;
inline constexpr int HighestLevel = 5;

inline const QString NoDiagnosisMessage = QStringLiteral("Veuillez sélectionner d'abord un diagnostic");
inline const QString NoClinicalContextMessage =
    QStringLiteral("L'apprentissage est porté uniquement dans le context clinique");

struct Judgement {
    bool right = true; // "Bon " or "Mauvais"
    int level = LowestLevel;
};

// "+3" for a right judgement at level 3, "-5" for a wrong one at level 5.
QString reliabilityText(const Judgement& judgement);
// "Niveau de fiabilité : +1"
QString levelCaption(const Judgement& judgement);

struct Lesson {
    QStringList lines; // the records to append, three lines each; none when nothing is learned
    QString message;   // for the physician when the case cannot teach anything
};

// The records a judgement teaches: the first element of the formula, and every element that
// follows "and", "(" or "or". A formula of a single element teaches nothing; an empty one, or no
// diagnosis, neither, with the message that says why.
Lesson learn(const QString& diagnosis, const QStringList& formula, const Judgement& judgement);

// Appends lines to the learning file, atomically: the file holds either its old lines or the old
// ones followed by the new ones. A missing file is created. Returns false with a French reason when
// it failed (an existing file that cannot be read is left alone).
bool appendLearningLines(const QString& path, const QStringList& lines, QString* error);

} // namespace vardelo::training
