#pragma once

#include "app/Environment.h"

#include <memory>

namespace vardelo::app {

class MainWindow;

// The program's start: appearance, splash and knowledge-base version, then the main window.
class Program {
public:
    explicit Program(const Environment& environment);
    ~Program();

    // Runs every start step up to the first showing of the main window.
    void start();
    // Shows the main window and runs the message loop, unless the start asked for the end.
    int run();

    // Null when the start failed on the knowledge-base file.
    MainWindow* mainWindow() const { return mainWindow_.get(); }
    bool styleApplied() const { return styleApplied_; }

private:
    // A system installation keeps the physician's files in their own folder: it is created, and
    // its Data.vdat is made or given the installed knowledge. False when that failed.
    bool prepareWorkingFolder();
    // The knowledge-base file before anything reads it: recovered after a crash, its problems
    // named, altered knowledge offered for repair. False when the program cannot run on it.
    bool checkKnowledgeBase(const QString& dataFile);

    Environment env_;
    bool startFailed_ = false;
    QString appearance_;
    bool styleApplied_ = false;
    std::unique_ptr<MainWindow> mainWindow_;
};

} // namespace vardelo::app
