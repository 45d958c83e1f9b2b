#include "app/Appearance.h"

#include <QApplication>
#include <QFile>

// The style sheets are resources of a static library: they must be registered by hand.
static void registerStyleSheets()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(styles);
        return true;
    }();
    Q_UNUSED(registered)
}

namespace vardelo::app {

const QStringList& styleNames()
{
    static const QStringList names{QStringLiteral("Windows"), QStringLiteral("Amethyst kamri"),
                                   QStringLiteral("Aqua Light Slate"), DefaultStyleName,
                                   QStringLiteral("Obsidian")};
    return names;
}

bool applyStyle(const QString& name)
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app)
        return false;
    registerStyleSheets();
    app->setStyleSheet(QString());
    if (name == u"Windows")
        return true;
    QFile sheet(QStringLiteral(":/styles/") + name);
    if (!styleNames().contains(name) || !sheet.open(QIODevice::ReadOnly))
        return false;
    app->setStyleSheet(QString::fromUtf8(sheet.readAll()));
    return true;
}

} // namespace vardelo::app
