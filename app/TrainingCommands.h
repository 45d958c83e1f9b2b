#pragma once
// The main window's training commands: the clinical-cases window and the learning judgement.

#include "training/ClinicalCases.h"

#include <QString>

class QWidget;

namespace vardelo::kb {
class Query;
}
namespace vardelo::engine {
class CaseSession;
}

namespace vardelo::app {

class MessageInterface;

// Opens the clinical-cases window, modal, centred on the window.
void openClinicalCases(QWidget* window, kb::Query& query, training::RandomEngine& random,
                       MessageInterface& messages);

// Asks the physician's judgement of the retained diagnosis for the case's signs and appends what it
// teaches both to the file at learningPath, at once, and to the session's learning lines, which
// the next evaluation reads.
void learnFromCase(QWidget* window, engine::CaseSession& session, const QString& learningPath,
                   MessageInterface& messages);

} // namespace vardelo::app
