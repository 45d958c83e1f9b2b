#pragma once
// How a modal dialog is run. The program runs it with exec(); tests put a scripted runner in its
// place that drives the dialog's widgets and returns as the physician would, with no nested loop.

#include <QDialog>

namespace vardelo::dialogs {

class ModalRunner {
public:
    virtual ~ModalRunner() = default;
    // Shows dialog modally until it closes; returns its result (QDialog::Rejected when it was
    // closed without one of its buttons).
    virtual int run(QDialog& dialog) = 0;
};

class ExecRunner : public ModalRunner {
public:
    int run(QDialog& dialog) override { return dialog.exec(); }
};

// Puts dialog in the middle of the window over it.
void centreOn(QDialog& dialog, const QWidget* window);

} // namespace vardelo::dialogs
