#pragma once
// The splash window shown while the program starts: it reads the knowledge-base version.

#include "kb/VersionArea.h"

#include <QWidget>

class QLabel;

namespace vardelo::app {

class SplashScreen : public QWidget {
    Q_OBJECT

public:
    // Reads the version area of the knowledge-base file in the program's folder.
    explicit SplashScreen(const QString& dataFile);
    const kb::KbVersion& version() const { return version_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    kb::KbVersion version_;
    QLabel* titleLabel_;
    QLabel* taglineLabel_;
};

} // namespace vardelo::app
