#pragma once
// The interrogation mode (F9): the program asks about the signs of its leading hypotheses, one
// modal question after the other, until one diagnosis remains or nothing is left to ask.

#include "dialogue/Interrogation.h"

#include <QObject>
#include <functional>

class QWidget;

namespace vardelo::engine {
class CaseSession;
}
namespace vardelo::dialogs {
class ModalRunner;
}

namespace vardelo::app {

class MessageInterface;

class InterrogationFlow : public QObject {
    Q_OBJECT

public:
    struct Hooks {
        std::function<void()> showSignsPage;
        // The pathology names of the diagnosis list, in the order shown.
        std::function<QStringList()> diagnoses;
        // Enters the answer: op ("and", "not", "ignore") then the sign.
        std::function<void(const QString& sign, const QString& op)> enterSign;
        // Shows the exams page with its list of exams open.
        std::function<void()> showExams;
    };

    InterrogationFlow(engine::CaseSession& session, kb::Query& query, MessageInterface& messages,
                      dialogs::ModalRunner& modals, QWidget* window, QObject* parent = nullptr);
    void setHooks(Hooks hooks) { hooks_ = std::move(hooks); }

    // Runs one interrogation to its end.
    void run();

    const dialogue::Interrogation& interrogation() const { return interrogation_; }

private:
    // The offer of the exams at an end; the question is asked only when exams are offered.
    void offerExams(const QString& question);

    engine::CaseSession& session_;
    MessageInterface& messages_;
    dialogs::ModalRunner& modals_;
    QWidget* window_;
    dialogue::Interrogation interrogation_;
    Hooks hooks_;
    bool running_ = false;
};

} // namespace vardelo::app
