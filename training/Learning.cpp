#include "training/Learning.h"

#include "platform/TextFile.h"

#include <QFileInfo>

namespace vardelo::training {

QString reliabilityText(const Judgement& judgement)
{
    return QString(judgement.right ? u'+' : u'-') + QString::number(judgement.level);
}

QString levelCaption(const Judgement& judgement)
{
    return QStringLiteral("Niveau de fiabilité : ") + reliabilityText(judgement);
}

Lesson learn(const QString& diagnosis, const QStringList& formula, const Judgement& judgement)
{
    Lesson lesson;
    if (diagnosis.isEmpty()) {
        lesson.message = NoDiagnosisMessage;
        return lesson;
    }
    if (formula.isEmpty()) {
        lesson.message = NoClinicalContextMessage;
        return lesson;
    }
    if (formula.size() == 1)
        return lesson;
    const QString reliability = reliabilityText(judgement);
    for (qsizetype i = 0; i < formula.size(); ++i) {
        // Only what joins the case positively is learned: an element after "not", a sign or ")"
        // is not.
        if (i > 0) {
            const QString& previous = formula.at(i - 1);
            if (previous != u"and" && previous != u"(" && previous != u"or")
                continue;
        }
        lesson.lines << diagnosis << formula.at(i) << reliability;
    }
    return lesson;
}

bool appendLearningLines(const QString& path, const QStringList& lines, QString* error)
{
    QStringList all;
    if (QFileInfo::exists(path)) {
        const auto old = platform::readTextLines(path);
        if (!old) {
            if (error)
                *error =
                    QStringLiteral("Le fichier d'apprentissage %1 est illisible : rien n'y a été ajouté.")
                        .arg(path);
            return false;
        }
        all = *old;
    }
    all += lines;
    return platform::writeTextLines(path, all, error);
}

} // namespace vardelo::training
