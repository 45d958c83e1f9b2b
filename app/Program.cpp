#include "app/Program.h"

#include "app/Appearance.h"
#include "app/MainWindow.h"
#include "app/MessageTexts.h"
#include "app/SplashScreen.h"
#include "kb/KnowledgeFile.h"
#include "platform/TextFile.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>

namespace vardelo::app {

Program::Program(const Environment& environment)
    : env_(environment)
{}

Program::~Program() = default;

void Program::start()
{
    if (env_.keepsWorkApart() && !prepareWorkingFolder()) {
        startFailed_ = true;
        return;
    }
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

    const QString dataFile = env_.workingFile(QStringLiteral("Data.vdat"));
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

namespace {

// Whether the knowledge installed with the program is another than the one the physician's file
// was last given. Unreadable files count as the same: the start check names their problem.
bool installedKnowledgeDiffers(const QString& bundled, const QString& dataFile)
{
    try {
        kb::Connection installed(bundled, kb::Connection::Mode::ReadOnly);
        kb::Connection user(dataFile, kb::Connection::Mode::ReadOnly);
        return kb::storedKnowledgeHash(installed) != kb::storedKnowledgeHash(user);
    } catch (const kb::DbError&) {
        return false;
    }
}

} // namespace

bool Program::prepareWorkingFolder()
{
    if (!QDir().mkpath(env_.workingDir)) {
        env_.messages->error(
            QStringLiteral("Impossible de créer le dossier de vos données « %1 ».").arg(env_.workingDir));
        return false;
    }
    // The physician's Data.vdat is made from the installed knowledge on the first start, and takes
    // the knowledge of every update afterwards; its case files, scores and settings stay.
    const QString bundled = env_.programFile(kb::BundledKnowledgeFile);
    if (!QFileInfo::exists(bundled))
        return true; // the start check reports a missing or unusable Data.vdat
    const QString dataFile = env_.workingFile(QStringLiteral("Data.vdat"));
    if (QFileInfo::exists(dataFile) && !installedKnowledgeDiffers(bundled, dataFile))
        return true; // altered knowledge is the start check's to offer for repair
    bool changed = false;
    QString error;
    if (!kb::upgradeKnowledge(bundled, dataFile, &changed, &error)) {
        env_.messages->error(error);
        return false;
    }
    return true;
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
