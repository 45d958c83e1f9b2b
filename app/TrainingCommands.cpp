#include "app/TrainingCommands.h"

#include "app/MessageInterface.h"
#include "dialogs/ClinicalCasesDialog.h"
#include "dialogs/LearningDialog.h"
#include "engine/CaseSession.h"
#include "training/Learning.h"

namespace vardelo::app {

namespace {

void centreOn(QWidget* dialog, QWidget* window)
{
    dialog->move(window->geometry().center() - dialog->rect().center());
}

} // namespace

void openClinicalCases(QWidget* window, kb::Query& query, training::RandomEngine& random,
                       MessageInterface& messages)
{
    dialogs::ClinicalCasesDialog::Messages talk{
        [&messages](const QString& text) {
            return messages.show(DialogType::Confirmation, text, {DialogButton::Yes, DialogButton::No}) ==
                   DialogButton::Yes;
        },
        [&messages](const QString& text) { messages.error(text); }};
    dialogs::ClinicalCasesDialog dialog(query, random, talk, window);
    centreOn(&dialog, window);
    dialog.exec();
}

void learnFromCase(QWidget* window, engine::CaseSession& session, const QString& learningPath,
                   MessageInterface& messages)
{
    if (session.retainedDiagnosis().isEmpty()) {
        messages.message(training::NoDiagnosisMessage);
        return;
    }
    dialogs::LearningDialog dialog(window);
    dialog.adjustSize();
    centreOn(&dialog, window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const training::Lesson lesson =
        training::learn(session.retainedDiagnosis(), session.state().SCList, dialog.judgement());
    if (!lesson.message.isEmpty()) {
        messages.message(lesson.message);
        return;
    }
    if (lesson.lines.isEmpty())
        return;
    // On disk first, so that a crash or a power cut loses nothing the physician confirmed; the
    // lines are learned for this run even when the file could not take them.
    QString error;
    if (!training::appendLearningLines(learningPath, lesson.lines, &error))
        messages.error(error);
    session.setLearningList(session.learningList() + lesson.lines);
}

} // namespace vardelo::app
