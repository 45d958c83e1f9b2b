#pragma once
// The about window: product and version, the version status, credits and addresses.

#include <QDialog>

class QLabel;
class QPushButton;

namespace vardelo::app {

class TForm1;

class TForm15 : public QDialog {
    Q_OBJECT

public:
    explicit TForm15(TForm1* mainWindow);

    QLabel* JvNavPanelHeader1 = nullptr;
    QLabel* JvNavPanelHeader2 = nullptr;
    QLabel* JvLabel1 = nullptr;
    QLabel* JvgLabel4 = nullptr;
    QLabel* JvgLabel5 = nullptr;
    QLabel* JvgLabel9 = nullptr;
    QLabel* JvgLabel8 = nullptr;
    QLabel* JvgLabel7 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* JvgLabel10 = nullptr;
    QLabel* JvgLabel11 = nullptr;
    QLabel* JvgLabel2 = nullptr;
    QLabel* JvgLabel1 = nullptr;
    QPushButton* Button1 = nullptr;

    // Downloads the version file again and fills the labels.
    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TForm1* main_;
};

} // namespace vardelo::app
