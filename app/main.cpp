#include "app/MessageInterface.h"
#include "app/Program.h"
#include "platform/Deployment.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The standard dialogs and buttons speak French.
    QTranslator qtFrench;
    if (qtFrench.load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtFrench);

    vardelo::app::MessageBoxes messages;
    vardelo::platform::Desktop desktop;
    vardelo::app::Environment env;
    env.programDir = QCoreApplication::applicationDirPath();
    env.workingDir = QDir::currentPath();
    env.versionUrl = vardelo::platform::deployment::versionUrl();
    env.messages = &messages;
    env.desktop = &desktop;
    vardelo::app::Program program(env);
    program.start();
    return program.run();
}
