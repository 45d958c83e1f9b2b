#include "TestSupport.h"
#include "app/Appearance.h"
#include "app/MainWindow.h"
#include "app/MessageTexts.h"
#include "app/Program.h"
#include "kb/KnowledgeFile.h"
#include "kb/Query.h"
#include "kb/Schema.h"
#include "platform/Network.h"
#include "platform/TextFile.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>
#include <sqlite3.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace vardelo;
using namespace vardelo::testing;

class StartupTest : public QObject {
    Q_OBJECT

    // The colour of an item's text: its pixel farthest from the item's background.
    static QRgb textColour(const QImage& item)
    {
        const QRgb background = item.pixel(item.width() - 4, item.height() / 2);
        auto distance = [background](QRgb c) {
            return std::abs(qRed(c) - qRed(background)) + std::abs(qGreen(c) - qGreen(background)) +
                   std::abs(qBlue(c) - qBlue(background));
        };
        QRgb text = background;
        for (int y = 0; y < item.height(); ++y) {
            for (int x = 0; x < item.width(); ++x) {
                if (distance(item.pixel(x, y)) > distance(text))
                    text = item.pixel(x, y);
            }
        }
        return text;
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void firstStartCreatesTheAppearanceFileAndRunsTheFirstQuery()
    {
        ProgramFolder folder;
        app::Program program(folder.environment(deadUrl()));
        program.start();
        app::MainWindow* form = program.mainWindow();
        QVERIFY(!form->endRequested());
        QFile appearance(folder.file(QStringLiteral("Apparence.app")));
        QVERIFY(appearance.open(QIODevice::ReadOnly));
        QCOMPARE(appearance.readAll(), QByteArray("Cyan Dusk\r\n"));
        QVERIFY(program.styleApplied());
        QVERIFY(child<QAction>(form, QStringLiteral("cyanDuskStyleAction"))->isChecked());
        QVERIFY(!child<QAction>(form, QStringLiteral("windowsStyleAction"))->isChecked());
        // The welcome message comes first, with the version status on its third line.
        QCOMPARE(folder.messages.shown.size(), 1);
        QCOMPARE(folder.messages.shown.front().type, app::DialogType::Information);
        const QStringList lines = folder.messages.shown.front().text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.at(0), QStringLiteral("Vardelo Version 1.0"));
        QCOMPARE(lines.at(2), app::NoConnectionStatus);
        QVERIFY(lines.last().startsWith(
            QStringLiteral("Date de publication de cette version : 12 Septembre 2025")));
        // The vocabulary of the empty case fills the sign entry; the window title carries the version.
        QVERIFY(child<QComboBox>(form, QStringLiteral("signInput"))->count() > 0);
        QCOMPARE(form->windowTitle(), QStringLiteral("Vardelo 1.0"));
        // Centred on the screen, in the window's 13-pixel font.
        const QPoint offCentre =
            form->geometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center();
        QVERIFY2(offCentre.manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1, %2").arg(offCentre.x()).arg(offCentre.y())));
        QCOMPARE(form->font().pixelSize(), 13);
        QCOMPARE(child<QComboBox>(form, QStringLiteral("pathologyCombo"))->count(), 4);
    }

    void versionStatus_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("updaterMissing");
        QTest::newRow("up to date") << 200 << QByteArray("1.0") << app::UpToDateStatus << false;
        QTest::newRow("newer") << 200 << QByteArray("1.1")
                               << QStringLiteral("[Une nouvelle version 1.1 est disponible]") << true;
        QTest::newRow("line break kept")
            << 200 << QByteArray("1.0\r\n") << QStringLiteral("[Une nouvelle version 1.0\r\n est disponible]")
            << true;
        // An error page is no version: it must not be handed to the updater.
        QTest::newRow("error page") << 404 << QByteArray("<html>introuvable</html>")
                                    << app::NoConnectionStatus << false;
        // Only a version number is a version: not a page, and nothing past 64 KB.
        QTest::newRow("page") << 200 << QByteArray("<html>1.1</html>") << app::NoConnectionStatus << false;
        QTest::newRow("over 64 KB") << 200 << QByteArray("1.1") + QByteArray(70000, ' ')
                                    << app::NoConnectionStatus << false;
        QTest::newRow("20 MB") << 200 << QByteArray(20 << 20, '1') << app::NoConnectionStatus << false;
    }

    void aSilentNameServiceEndsWithTheWait()
    {
        QElapsedTimer elapsed;
        elapsed.start();
        const QString content =
            platform::getContent(QStringLiteral("https://version.invalid/v.vl"), 500,
                                 [](const QString&) -> std::optional<QHostAddress> {
                                     std::this_thread::sleep_for(std::chrono::seconds(30));
                                     return std::nullopt;
                                 });
        QVERIFY(content.isEmpty());
        QVERIFY2(elapsed.elapsed() < 3000, qPrintable(QString::number(elapsed.elapsed())));
    }

    void versionStatus()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, expected);
        QFETCH(bool, updaterMissing);
        VersionServer server(status, body);
        ProgramFolder folder;
        app::Program program(folder.environment(server.url()));
        program.start();
        QCOMPARE(program.mainWindow()->versionStatus(), expected);
        QVERIFY(folder.messages.shown.front().text.contains(expected));
        QCOMPARE(folder.messages.texts().contains(app::UpdaterMissing), updaterMissing);
        QVERIFY(!program.mainWindow()->endRequested());
        QVERIFY(folder.desktop.started.isEmpty());
    }

    void newVersionIsHandedToTheUpdater()
    {
        VersionServer server(200, "1.1");
        ProgramFolder folder;
        QFile updater(folder.file(QStringLiteral("Update.exe")));
        QVERIFY(updater.open(QIODevice::WriteOnly));
        updater.close();
        app::Program program(folder.environment(server.url()));
        program.start();
        QVERIFY(program.mainWindow()->endRequested());
        QCOMPARE(folder.desktop.started, QStringList{folder.file(QStringLiteral("Update.exe"))});
        QCOMPARE(platform::readTextLines(folder.file(QStringLiteral("Update.tmp"))),
                 QStringList{QStringLiteral("1.1")});
        // The first query ran before the hand-off.
        QVERIFY(child<QComboBox>(program.mainWindow(), QStringLiteral("signInput"))->count() > 0);
    }

    void refusedWelcomeEndsWithoutQuerying()
    {
        ProgramFolder folder;
        folder.messages.answers.push_back(app::DialogButton::Closed);
        app::Program program(folder.environment(deadUrl()));
        program.start();
        app::MainWindow* form = program.mainWindow();
        QVERIFY(form->endRequested());
        QVERIFY(!form->session().welcomeAccepted());
        QCOMPARE(child<QComboBox>(form, QStringLiteral("signInput"))->count(), 0);
        QVERIFY(form->menuBar()->actions().isEmpty());
        QCOMPARE(program.run(), 0);
    }

    void badKnowledgeBaseFiles_data()
    {
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QString>("message");
        QTest::newRow("other version") << QStringLiteral("version") << app::IncompatibleVersion;
        QTest::newRow("missing") << QStringLiteral("missing") << QStringLiteral("est introuvable.");
        QTest::newRow("not a database")
            << QStringLiteral("garbage") << QStringLiteral("n'est pas une base de données.");
    }

    void badKnowledgeBaseFiles()
    {
        QFETCH(QString, problem);
        QFETCH(QString, message);
        ProgramFolder folder(problem == u"version" ? QStringLiteral("2.1") : QString());
        const QString data = folder.file(QStringLiteral("Data.vdat"));
        if (problem == u"missing") {
            QFile::remove(data);
        } else if (problem == u"garbage") {
            QFile file(data);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(QByteArray(20000, 'x'));
        }
        const QByteArray before = QFile::exists(data) ? [&] {
            QFile f(data);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }() : QByteArray();
        app::Program program(folder.environment(deadUrl()));
        program.start();
        // Only one error box, naming the problem: no welcome message, never the version message for
        // a file that could not be read.
        QCOMPARE(folder.messages.shown.size(), 1);
        QCOMPARE(folder.messages.shown.last().type, app::DialogType::Error);
        QVERIFY2(folder.messages.texts().last().endsWith(message),
                 qPrintable(folder.messages.texts().last()));
        if (problem == u"version") {
            QVERIFY(program.mainWindow()->endRequested());
        } else {
            QVERIFY(!program.mainWindow());
            QCOMPARE(program.run(), 1);
        }
        QCOMPARE(QFile::exists(data), problem != u"missing");
        if (QFile::exists(data)) {
            QFile f(data);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), before);
        }
    }

    void startsAfterACrashDuringAWrite()
    {
        ProgramFolder folder;
        const QString data = folder.file(QStringLiteral("Data.vdat"));
        // A writer that dies mid-transaction, its changes spilt to the file: the journal stays hot.
        const pid_t child = fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            sqlite3* db = nullptr;
            sqlite3_open_v2(data.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
            sqlite3_exec(
                db, "PRAGMA cache_size = 1; BEGIN; UPDATE Data SET S = 'x' || S; UPDATE SC SET S = 'x' || S;",
                nullptr, nullptr, nullptr);
            _exit(0);
        }
        waitpid(child, nullptr, 0);
        QVERIFY(QFile::exists(data + QStringLiteral("-journal")));
        app::Program program(folder.environment(deadUrl()));
        program.start();
        QVERIFY(!program.mainWindow()->endRequested());
        QCOMPARE(folder.messages.shown.size(), 1);
        QCOMPARE(folder.messages.shown.front().type, app::DialogType::Information);
        QVERIFY(testing::child<QComboBox>(program.mainWindow(), QStringLiteral("signInput"))->count() > 0);
        QVERIFY(!QFile::exists(data + QStringLiteral("-journal")));
    }

    void alteredKnowledgeIsOfferedForRepair()
    {
        ProgramFolder folder;
        const QString data = folder.file(QStringLiteral("Data.vdat"));
        QVERIFY(QFile::copy(data, folder.file(kb::BundledKnowledgeFile)));
        {
            kb::Connection db(data, kb::Connection::Mode::ReadWrite);
            db.exec(QStringLiteral("update Data set S = replace(S, 'Fièvre', 'Fièvrf')"));
        }
        folder.messages.answers.push_back(app::DialogButton::Yes);
        app::Program program(folder.environment(deadUrl()));
        program.start();
        QCOMPARE(folder.messages.shown.size(), 2);
        QCOMPARE(folder.messages.shown.front().type, app::DialogType::Confirmation);
        QVERIFY(folder.messages.shown.front().text.contains(QStringLiteral("altérée")));
        QVERIFY(folder.messages.shown.front().text.endsWith(kb::RepairQuestion));
        QVERIFY(!program.mainWindow()->endRequested());
        QCOMPARE(kb::checkKnowledgeBaseForStart(data).status, kb::StartCheck::Status::Ready);
    }

    void systemInstallationKeepsTheWorkInTheUserFolder()
    {
        // The program's folder holds only the installed knowledge; the physician's files go apart.
        ProgramFolder folder;
        QVERIFY(
            QFile::rename(folder.file(QStringLiteral("Data.vdat")), folder.file(kb::BundledKnowledgeFile)));
        const QString userFolder = folder.file(QStringLiteral("user/vardelo"));
        app::Environment env = folder.environment(deadUrl());
        env.workingDir = userFolder;

        const QString userData = userFolder + QStringLiteral("/Data.vdat");
        {
            app::Program program(env);
            program.start();
            QVERIFY(program.mainWindow() && !program.mainWindow()->endRequested());
            QVERIFY(QFile::exists(userFolder + QStringLiteral("/Apparence.app")));
        }
        QVERIFY(!QFile::exists(folder.file(QStringLiteral("Data.vdat"))));
        {
            kb::Connection db(userData, kb::Connection::Mode::ReadWrite);
            db.exec(QStringLiteral("insert into Fiche (ID, S) values ('Dupont 10/12/2026', 'h')"));
        }
        // An update of the package brings other knowledge: the user's file takes it, keeps the case.
        {
            kb::Connection installed(folder.file(kb::BundledKnowledgeFile), kb::Connection::Mode::ReadWrite);
            installed.exec(QStringLiteral("update Data set T = 'Traitement revu' where rowid = 1"));
            installed.exec(QStringLiteral("update VersionArea set KnowledgeHash = ?"),
                           {kb::computeKnowledgeHash(installed)});
        }
        folder.messages.shown.clear();
        {
            app::Program program(env);
            program.start();
            QVERIFY(program.mainWindow() && !program.mainWindow()->endRequested());
            QCOMPARE(folder.messages.shown.size(), 1); // the welcome only: no repair question
        }
        kb::Connection db(userData, kb::Connection::Mode::ReadOnly);
        kb::Statement knowledge(db, QStringLiteral("select T from Data where rowid = 1"));
        QVERIFY(knowledge.step());
        QCOMPARE(knowledge.text(0), QStringLiteral("Traitement revu"));
        kb::Statement cases(db, QStringLiteral("select count(*) from Fiche where ID = 'Dupont 10/12/2026'"));
        QVERIFY(cases.step());
        QCOMPARE(cases.text(0), QStringLiteral("1"));
    }

    void appearanceFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("error");
        QTest::addColumn<QString>("checked");
        QTest::newRow("empty") << QByteArray() << false << QString();
        QTest::newRow("unknown") << QByteArray("Arc-en-ciel\r\n") << true << QString();
        QTest::newRow("obsidian") << QByteArray("Obsidian\r\n") << false
                                  << QStringLiteral("obsidianStyleAction");
    }

    void appearanceFiles()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, error);
        QFETCH(QString, checked);
        ProgramFolder folder;
        QFile file(folder.file(QStringLiteral("Apparence.app")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        app::Program program(folder.environment(deadUrl()));
        program.start();
        QCOMPARE(folder.messages.shown.first().type == app::DialogType::Error, error);
        QVERIFY(!program.mainWindow()->endRequested());
        for (QAction* item : program.mainWindow()->findChildren<QAction*>()) {
            if (item->isCheckable())
                QCOMPARE(item->isChecked(), item->objectName() == checked);
        }
    }

    // A disabled item must not be drawn like an enabled one, whatever the style.
    // Every command of the main menu is available from the start: none waits for a later version.
    void everyMenuCommandIsAvailable()
    {
        ProgramFolder folder;
        app::Program program(folder.environment(deadUrl()));
        program.start();
        QStringList unavailable;
        const auto menus = program.mainWindow()->menuBar()->actions();
        for (QAction* top : menus) {
            QList<QAction*> items{top};
            if (top->menu())
                items += top->menu()->actions();
            for (QAction* a : items) {
                if (!a->isSeparator() &&
                    (!a->isEnabled() || a->toolTip().contains(QStringLiteral("prochaine version"))))
                    unavailable.append(a->text() + QStringLiteral(" : ") + a->toolTip());
            }
        }
        QVERIFY2(unavailable.isEmpty(), qPrintable(unavailable.join(QStringLiteral(", "))));
    }

    void disabledMenuItemsLookDisabledInEveryStyle()
    {
        for (const QString& style : app::styleNames()) {
            QVERIFY(app::applyStyle(style));
            QMenu menu;
            QAction* enabled = menu.addAction(QStringLiteral("Supprimer Fiche"));
            QAction* disabled = menu.addAction(QStringLiteral("Supprimer Fiche"));
            disabled->setEnabled(false);
            menu.ensurePolished();
            menu.adjustSize();
            const QImage image = menu.grab().toImage();
            QVERIFY2(textColour(image.copy(menu.actionGeometry(enabled))) !=
                         textColour(image.copy(menu.actionGeometry(disabled))),
                     qPrintable(style));
        }
        app::applyStyle(QString());
    }

    void shutdownClearsThePatientAndUnconfirmedAnalyses()
    {
        ProgramFolder folder;
        {
            kb::Connection db(folder.file(QStringLiteral("Data.vdat")), kb::Connection::Mode::ReadWrite);
            for (const auto& [key, value] :
                 {std::pair{kb::prm::Name, QStringLiteral("D'Artagnan")},
                  std::pair{kb::prm::Sex, QStringLiteral("h")}, std::pair{kb::prm::Age, QStringLiteral("3")},
                  std::pair{kb::prm::PratiloPath, QStringLiteral("/opt/pratilo")}})
                db.exec(QStringLiteral("update Prm set V = ? where T = ?"), {value, key});
            db.exec(QStringLiteral(
                "insert into diagnostics_parallele (ID, Analyse, Save) values ('a', 'x', FALSE), "
                "('b', 'y', TRUE)"));
        }
        // An existing learning file stays as it is when the list is empty.
        QFile learning(folder.file(QStringLiteral("Apprentissage.vl")));
        QVERIFY(learning.open(QIODevice::WriteOnly));
        learning.close();
        const QDateTime stamp = QFileInfo(learning).lastModified();

        app::Program program(folder.environment(deadUrl()));
        program.start();
        app::MainWindow* form = program.mainWindow();
        QVERIFY(form->session().learningList().isEmpty());
        form->saveStateOnExit(true);
        QCOMPARE(QFileInfo(learning).lastModified(), stamp);
        QCOMPARE(QFileInfo(learning).size(), 0);
        QVERIFY(folder.messages.texts().last().startsWith(
            QStringLiteral("Merci d'avoir utiliser le logiciel Vardelo,\r\n")));
        QVERIFY(folder.messages.texts().last().contains(QStringLiteral("\r\nE-Mail   : ")));

        kb::Query& q = form->query();
        q.open(QStringLiteral("select * from Prm order by T"));
        for (; !q.eof(); q.next()) {
            const QString key = q.field(QStringLiteral("T"));
            if (key == kb::prm::PratiloPath)
                QCOMPARE(q.field(QStringLiteral("V")), QStringLiteral("/opt/pratilo"));
            else if (key != kb::prm::StopWords)
                QCOMPARE(q.field(QStringLiteral("V")), QString());
        }
        q.open(QStringLiteral("select * from diagnostics_parallele"));
        QCOMPARE(q.recordCount(), 1);
        QCOMPARE(q.field(QStringLiteral("ID")), QStringLiteral("b"));

        // With learning lines, the file is rewritten whole.
        form->session().setLearningList(
            {QStringLiteral("Grippe"), QStringLiteral("Fièvre"), QStringLiteral("+3")});
        form->saveStateOnExit(false);
        QCOMPARE(platform::readTextLines(learning.fileName()), form->session().learningList());
    }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
