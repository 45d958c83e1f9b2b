#include "dialogs/ModalRunner.h"

namespace vardelo::dialogs {

void centreOn(QDialog& dialog, const QWidget* window)
{
    dialog.adjustSize();
    if (window)
        dialog.move(window->geometry().center() - dialog.rect().center());
}

} // namespace vardelo::dialogs
