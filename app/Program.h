#pragma once

#include "app/Environment.h"

#include <memory>

namespace vardelo::app {

class TForm1;
class TForm6;

// The program's start: appearance, splash and knowledge-base version, then the windows.
class Program {
public:
    explicit Program(const Environment& environment);
    ~Program();

    // Runs every start step up to the first showing of the main window.
    void start();
    // Shows the main window and runs the message loop, unless the start asked for the end.
    int run();

    // Null when the start failed on the knowledge-base file.
    TForm1* mainWindow() const { return form1_.get(); }
    QString appearance() const { return appearance_; }
    bool styleApplied() const { return styleApplied_; }

private:
    // The knowledge-base file before anything reads it: recovered after a crash, its problems
    // named, altered knowledge offered for repair. False when the program cannot run on it.
    bool checkKnowledgeBase(const QString& dataFile);

    Environment env_;
    bool startFailed_ = false;
    QString appearance_;
    bool styleApplied_ = false;
    std::unique_ptr<TForm1> form1_;
};

} // namespace vardelo::app
