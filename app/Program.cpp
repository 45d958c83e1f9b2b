#include "app/Program.h"

#include "app/Appearance.h"
#include "app/MainWindow.h"
#include "app/MessageTexts.h"
#include "app/SplashScreen.h"
#include "kb/KnowledgeFile.h"
#include "platform/TextFile.h"

#include <QApplication>
#include <QFileInfo>
#include <QLocale>

namespace vardelo::app {

Program::Program(const Environment& environment)
    : env_(environment)
{}

Program::~Program() = default;

void Program::start()
{
    // The appearance: created with the default style on the first start.
    const QString appearanceFile = env_.workingFile(QStringLiteral("Apparence.app"));
    QStringList appearance;
    if (const auto lines = platform::readTextLines(appearanceFile)) {
        appearance = *lines;
    } else {
        appearance = {DefaultStyleName};
        QString error;
        if (!platform::writeTextLines(appearanceFile, appearance, &error))
            env_.messages->error(error);
    }
    appearance_ = appearance.value(0);
    // An empty file names no style: the plain look, without complaint.
    styleApplied_ = !appearance_.isEmpty() && applyStyle(appearance_);
    if (!appearance_.isEmpty() && !styleApplied_)
        env_.messages->error(QStringLiteral("Le style « %1 » n'existe pas.").arg(appearance_));

    // Dates with "/" and decimals with ",", as French practice writes them.
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));

    const QString dataFile = env_.programFile(QStringLiteral("Data.vdat"));
    if (!checkKnowledgeBase(dataFile))
        return;
    SplashScreen splash(dataFile);
    if (!splash.version().error.isEmpty())
        env_.messages->error(splash.version().error);
    splash.show();
    splash.repaint();
    QApplication::processEvents();
    QApplication::setApplicationName(ProductName);
    QApplication::setApplicationDisplayName(ProductName);

    mainWindow_ = std::make_unique<MainWindow>(env_, splash.version());
    mainWindow_->setAppearance(appearance_);
    mainWindow_->start();
    splash.hide();
}

bool Program::checkKnowledgeBase(const QString& dataFile)
{
    const kb::StartCheck check = kb::checkKnowledgeBaseForStart(dataFile);
    if (check.fileUnusable()) {
        env_.messages->error(check.message);
        startFailed_ = true;
        return false;
    }
    if (check.status == kb::StartCheck::Status::KnowledgeAltered) {
        const QString bundled = env_.programFile(kb::BundledKnowledgeFile);
        if (!QFileInfo::exists(bundled)) {
            env_.messages->show(DialogType::Warning,
                                check.message + QStringLiteral("\r\n\r\n") + kb::NoBundledKnowledge,
                                {DialogButton::Ok});
        } else if (env_.messages->show(DialogType::Confirmation,
                                       check.message + QStringLiteral("\r\n\r\n") + kb::RepairQuestion,
                                       {DialogButton::Yes, DialogButton::No}) == DialogButton::Yes) {
            bool changed = false;
            QString error;
            if (!kb::upgradeKnowledge(bundled, dataFile, &changed, &error))
                env_.messages->error(error);
        }
    }
    return true;
}

int Program::run()
{
    if (startFailed_)
        return 1;
    if (mainWindow_->endRequested())
        return 0;
    mainWindow_->show();
    return QApplication::exec();
}

} // namespace vardelo::app
