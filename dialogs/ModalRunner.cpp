#include "dialogs/ModalRunner.h"

namespace vardelo::dialogs {

void centreOn(QDialog& dialog, const QWidget* window)
{
    // A dialog given its own size keeps it; the others take the size their content asks for.
    if (!dialog.testAttribute(Qt::WA_Resized))
        dialog.adjustSize();
    if (window)
        dialog.move(window->geometry().center() - dialog.rect().center());
}

} // namespace vardelo::dialogs
