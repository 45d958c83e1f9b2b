#include "widgets/NotesEditor.h"

#include "rtf/RtfDocument.h"

#include <QContextMenuEvent>
#include <QFontInfo>
#include <QMenu>
#include <QTextCharFormat>

namespace vardelo::widgets {

NotesEditor::NotesEditor(const QString& name, QWidget* parent)
    : QTextEdit(parent)
    , popupMenu_(new QMenu(this))
    , fontAsker_(&dialogs::FontDialog::ask)
{
    setObjectName(name);
    popupMenu_->setObjectName(name + QStringLiteral("Menu"));
    setAcceptRichText(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

QString NotesEditor::rtf() const
{
    return rtf::documentRtf(*document());
}

void NotesEditor::setRtf(const QString& rtf)
{
    document()->setUndoRedoEnabled(false);
    rtf::setDocumentRtf(*document(), rtf);
    document()->setUndoRedoEnabled(true);
    moveCursor(QTextCursor::Start);
}

bool NotesEditor::holdsText() const
{
    return !toPlainText().trimmed().isEmpty();
}

QAction* NotesEditor::addItem(QMenu* menu, const QString& objectName, const QString& caption,
                              const QKeySequence& shortcut)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(objectName);
    // Shown in the menu only: the editor handles these keys itself.
    action->setShortcut(shortcut);
    action->setShortcutContext(Qt::WidgetShortcut);
    return action;
}

void NotesEditor::addMenuCommands(std::initializer_list<Command> commands)
{
    for (const Command command : commands)
        addMenuCommand(command);
}

void NotesEditor::addMenuCommand(Command command)
{
    switch (command) {
    case Command::Separator:
        popupMenu_->addSeparator();
        break;
    case Command::Clear:
        connect(addItem(popupMenu_, QStringLiteral("clearAction"), QStringLiteral("Effacer tout")),
                &QAction::triggered, this, &QTextEdit::clear);
        break;
    case Command::Font:
        connect(addItem(popupMenu_, QStringLiteral("fontAction"), QStringLiteral("Attribues")),
                &QAction::triggered, this, &NotesEditor::chooseFont);
        break;
    case Command::Cut:
        connect(addItem(popupMenu_, QStringLiteral("cutAction"), QStringLiteral("Couper"), QKeySequence::Cut),
                &QAction::triggered, this, &QTextEdit::cut);
        break;
    case Command::Copy:
        connect(
            addItem(popupMenu_, QStringLiteral("copyAction"), QStringLiteral("Copier"), QKeySequence::Copy),
            &QAction::triggered, this, &QTextEdit::copy);
        break;
    case Command::Paste:
        connect(
            addItem(popupMenu_, QStringLiteral("pasteAction"), QStringLiteral("Coller"), QKeySequence::Paste),
            &QAction::triggered, this, &QTextEdit::paste);
        break;
    case Command::Markers: {
        const auto markerItem = [this](QMenu* menu, const QString& objectName, const QString& marker) {
            connect(addItem(menu, objectName, marker), &QAction::triggered, this,
                    [this, marker] { insertMarker(marker); });
        };
        markerItem(popupMenu_, QStringLiteral("bulletAction"), QStringLiteral("• "));
        markerItem(popupMenu_, QStringLiteral("dashAction"), QStringLiteral("- "));
        QMenu* numbering = popupMenu_->addMenu(QStringLiteral("Numérotation"));
        numbering->setObjectName(QStringLiteral("numberingMenu"));
        for (int n = 1; n <= 10; ++n)
            markerItem(numbering, QStringLiteral("number%1Action").arg(n), QStringLiteral("%1) - ").arg(n));
        break;
    }
    }
}

void NotesEditor::insertMarker(const QString& marker)
{
    setFocus();
    insertPlainText(marker);
}

void NotesEditor::chooseFont()
{
    dialogs::FontChoice initial;
    // The font really used: a generic name ("Sans Serif") means nothing to another word processor,
    // and the window's font is sized in pixels where the dialog speaks points.
    const QFontInfo used(font());
    initial.font = QFont(used.family());
    initial.font.setPointSizeF(used.pointSizeF());
    const std::optional<dialogs::FontChoice> chosen = fontAsker_(lastFont_.value_or(initial), this);
    if (!chosen)
        return;
    lastFont_ = chosen;
    QTextCharFormat format;
    format.setFontFamilies({chosen->font.family()});
    format.setFontWeight(chosen->font.bold() ? QFont::Bold : QFont::Normal);
    format.setFontItalic(chosen->font.italic());
    format.setFontUnderline(chosen->font.underline());
    format.setFontStrikeOut(chosen->font.strikeOut());
    if (chosen->font.pointSizeF() > 0)
        format.setFontPointSize(chosen->font.pointSizeF());
    format.setForeground(chosen->color);
    mergeCurrentCharFormat(format);
}

void NotesEditor::contextMenuEvent(QContextMenuEvent* event)
{
    popupMenu_->exec(event->globalPos());
}

} // namespace vardelo::widgets
