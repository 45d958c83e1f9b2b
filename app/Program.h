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

    TForm1* mainWindow() const { return form1_.get(); }
    QString appearance() const { return appearance_; }
    bool styleApplied() const { return styleApplied_; }

private:
    Environment env_;
    QString appearance_;
    bool styleApplied_ = false;
    std::unique_ptr<TForm1> form1_;
};

} // namespace vardelo::app
