#include "app/MessageInterface.h"
#include "app/Program.h"
#include "platform/Deployment.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The desktop entry and its icon, as the system menus and the task bar know them.
    QGuiApplication::setDesktopFileName(QStringLiteral("fr.vardelo.Vardelo"));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("fr.vardelo.Vardelo"),
                         QIcon(QCoreApplication::applicationDirPath() + QStringLiteral("/vardelo.png"))));
    // The standard dialogs and buttons speak French.
    QTranslator qtFrench;
    if (qtFrench.load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtFrench);

    vardelo::app::MessageBoxes messages;
    vardelo::platform::Desktop desktop;
    vardelo::app::Environment env;
    env.programDir = QCoreApplication::applicationDirPath();
#ifdef VARDELO_SYSTEM_PACKAGE
    // Installed by the system's package manager: the program's folder belongs to the system and is
    // replaced by every update, so the physician's files live in their own data folder.
    env.workingDir =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/vardelo");
#else
    env.workingDir = env.programDir;
#endif
    env.versionUrl = vardelo::platform::deployment::versionUrl();
    env.messages = &messages;
    env.desktop = &desktop;
    vardelo::app::Program program(env);
    program.start();
    return program.run();
}
