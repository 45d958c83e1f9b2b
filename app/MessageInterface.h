#pragma once
// Every message box and question of the program goes through this interface, owned by the main
// window: in the program it shows a message box, in tests a scripted answerer records each text
// and returns the prepared answer.

#include <QList>
#include <QString>

class QWidget;

namespace vardelo::app {

enum class DialogType { Plain, Error, Information, Warning, Confirmation };
enum class DialogButton { Ok, Cancel, Yes, No, Closed };

class MessageInterface {
public:
    virtual ~MessageInterface() = default;
    // Shows text with the given buttons and returns the one chosen (Closed when none was).
    virtual DialogButton show(DialogType type, const QString& text, const QList<DialogButton>& buttons) = 0;

    // The file choosers: the chosen path, empty when the physician cancelled. filter is in Qt's form
    // ("PDF (*.pdf)").
    virtual QString askSaveFile(const QString& folder, const QString& fileName, const QString& filter) = 0;
    virtual QString askOpenFile(const QString& folder, const QString& filter) = 0;

    void message(const QString& text) { show(DialogType::Plain, text, {DialogButton::Ok}); }
    void error(const QString& text) { show(DialogType::Error, text, {DialogButton::Ok}); }
};

class MessageBoxes : public MessageInterface {
public:
    explicit MessageBoxes(QWidget* parent = nullptr)
        : parent_(parent)
    {}
    DialogButton show(DialogType type, const QString& text, const QList<DialogButton>& buttons) override;
    QString askSaveFile(const QString& folder, const QString& fileName, const QString& filter) override;
    QString askOpenFile(const QString& folder, const QString& filter) override;

private:
    QWidget* parent_;
};

} // namespace vardelo::app
