#include "dialogs/InterrogationQuestionDialog.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

namespace vardelo::dialogs {

InterrogationQuestionDialog::InterrogationQuestionDialog(const QString& hypothesis, const QString& sign,
                                                         QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("interrogationQuestionDialog"));
    setWindowTitle(QStringLiteral("Interrogatoire Vardelo"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    questionView_ = new QTextEdit(this);
    questionView_->setObjectName(QStringLiteral("questionView"));
    questionView_->setReadOnly(true);
    questionView_->setFocusPolicy(Qt::NoFocus);
    questionView_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    questionView_->setFixedSize(392, 137);
    QFont font = questionView_->font();
    font.setPixelSize(13);
    questionView_->setFont(font);

    // Each part with its own format: the hypothesis in bold blue, the sign in bold green.
    QTextCursor cursor(questionView_->document());
    const auto append = [&cursor](const QString& text, bool bold, bool italic, const QColor& color) {
        QTextCharFormat format;
        format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(italic);
        if (color.isValid())
            format.setForeground(color);
        cursor.insertText(text, format);
    };
    const QString lineBreak = QStringLiteral("\n");
    append(QStringLiteral("Hypothèse diagnostic :") + lineBreak, false, false, {});
    append(u'"' + hypothesis + u'"' + lineBreak + lineBreak, true, false, QColor(0, 0, 255));
    append(QStringLiteral("Voulez vous la rejetée ?") + lineBreak + lineBreak, false, true, {});
    append(QStringLiteral("Si cette hypothèse est retenue, y a-t-il :") + lineBreak, false, false, {});
    append(sign + QStringLiteral(" ?"), true, false, QColor(0, 128, 0));

    auto* buttons = new QHBoxLayout;
    const auto addButton = [this, buttons](const char* name, const QString& caption, Answer answer) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, answer] { done(answer); });
        buttons->addWidget(button);
        return button;
    };
    yesButton_ = addButton("yesButton", QStringLiteral("&Oui"), Yes);
    addButton("noButton", QStringLiteral("&Non"), No);
    addButton("ignoreButton", QStringLiteral("&Ignorer"), Ignore);
    QPushButton* reject = addButton("rejectButton", QStringLiteral("&Rejeter"), Reject);
    QPalette blue = reject->palette();
    blue.setColor(QPalette::ButtonText, QColor(0, 0, 255));
    reject->setPalette(blue);
    addButton("stopButton", QStringLiteral("&Arrtêter"), Stop);
    yesButton_->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(questionView_, 0, Qt::AlignHCenter);
    layout->addLayout(buttons);
    setFixedSize(417, 196);
}

void InterrogationQuestionDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    yesButton_->setFocus();
}

} // namespace vardelo::dialogs
