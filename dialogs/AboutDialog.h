#pragma once
// The about window: product and version, the version status, credits and addresses.

#include <QDialog>

class QLabel;
class QPushButton;

namespace vardelo::platform {
class Desktop;
}

namespace vardelo::dialogs {

struct AboutInfo {
    QString productName; // the window title
    QString title;       // "Vardelo Version 1.0"
    QString tagline;
    QString versionStatus; // "[Version à jour]", ...
    QString publicationDate;
};

class AboutDialog : public QDialog {
    Q_OBJECT

public:
    // The addresses open through desktop.
    AboutDialog(const AboutInfo& info, platform::Desktop& desktop, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    platform::Desktop& desktop_;
    QLabel* titleLabel_;
    QLabel* subtitleLabel_;
    QLabel* versionStatusLabel_;
    QLabel* designedByLabel_;
    QLabel* authorLabel_;
    QLabel* roleLabel_;
    QLabel* webCaptionLabel_;
    QLabel* webLabel_;
    QLabel* socialPageLabel_;
    QLabel* videoLabel_;
    QLabel* emailCaptionLabel_;
    QLabel* emailLabel_;
    QLabel* publishedCaptionLabel_;
    QLabel* publishedLabel_;
    QPushButton* okButton_;
};

} // namespace vardelo::dialogs
