#pragma once
// A rich-text editor for the physician's notes. Its content goes in and out as RTF; its popup
// menu offers the commands each owner picks, in the owner's order: emptying, the clipboard, the
// font dialog and the list markers.

#include "dialogs/FontDialog.h"

#include <QTextEdit>
#include <functional>
#include <optional>

class QMenu;

namespace vardelo::widgets {

class NotesEditor : public QTextEdit {
    Q_OBJECT

public:
    enum class Command {
        Clear,   // "Effacer tout"
        Font,    // "Attribues": the font dialog on the selection
        Cut,     // "Couper"
        Copy,    // "Copier"
        Paste,   // "Coller"
        Markers, // "• ", "- " and the "Numérotation" submenu "1) - " to "10) - "
        Separator,
    };
    // Asks for a font; nothing when the physician cancelled. Tests put a scripted one in place.
    using FontAsker = std::function<std::optional<dialogs::FontChoice>(const dialogs::FontChoice& initial,
                                                                       QWidget* parent)>;

    explicit NotesEditor(const QString& name, QWidget* parent = nullptr);

    // The content as an RTF document.
    QString rtf() const;
    // Replaces the content by an RTF document (plain text when it is not RTF; the empty text
    // empties the editor). The loading itself cannot be undone.
    void setRtf(const QString& rtf);
    // True when the editor holds a character other than white space.
    bool holdsText() const;

    QMenu* popupMenu() const { return popupMenu_; }
    // Appends the commands' items to the popup menu, in that order.
    void addMenuCommands(std::initializer_list<Command> commands);

    // Puts the marker in place of the selection, or at the caret.
    void insertMarker(const QString& marker);
    // Runs the font dialog, which opens on the font last chosen in it, and applies the choice to
    // the selection (or to what is typed next).
    void chooseFont();
    void setFontAsker(FontAsker asker) { fontAsker_ = std::move(asker); }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void addMenuCommand(Command command);
    QAction* addItem(QMenu* menu, const QString& objectName, const QString& caption,
                     const QKeySequence& shortcut = {});

    QMenu* popupMenu_;
    FontAsker fontAsker_;
    std::optional<dialogs::FontChoice> lastFont_;
};

} // namespace vardelo::widgets
