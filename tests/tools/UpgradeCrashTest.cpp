// vardelo-kb upgrade killed at random points: after every kill the file opens, every working row is
// there, and the knowledge is wholly the old or wholly the new, never a mixture.

#include "kb/KnowledgeFile.h"
#include "kb/Sqlite.h"
#include "tools/kb/Knowledge.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <random>
#include <signal.h>

using namespace vardelo;

namespace {

// Everything but the knowledge, as one hash.
QByteArray workingRows(kb::Connection& db)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const char* sql :
         {"select * from Fiche order by N", "select * from diagnostics_parallele order by _rowid_",
          "select * from Score order by _rowid_", "select * from Report order by _rowid_",
          "select * from Prm where T <> 'MS' order by T"}) {
        kb::Statement statement(db, QString::fromLatin1(sql));
        while (statement.step()) {
            for (int c = 0; c < statement.columnCount(); ++c)
                hash.addData(statement.text(c).toUtf8() + '\0');
        }
    }
    return hash.result();
}

QString knowledgeHash(const QString& path)
{
    kb::Connection db(path, kb::Connection::Mode::ReadOnly);
    return kb::computeKnowledgeHash(db);
}

TEST(UpgradeCrash, AKilledUpgradeLeavesTheOldOrTheNewKnowledge)
{
    QTemporaryDir dir;
    const QString small = dir.filePath(QStringLiteral("small.vdat"));
    const QString large = QStringLiteral(VARDELO_DATA_FILE);
    const QString user = dir.filePath(QStringLiteral("Data.vdat"));
    QString error;
    ASSERT_TRUE(kbc::writeDatabase(
        kbc::loadKnowledge(QStringLiteral(VARDELO_FIXTURES "/knowledge")).knowledge, small, &error))
        << error.toStdString();
    ASSERT_TRUE(QFile::copy(small, user));
    QByteArray work;
    {
        kb::Connection db(user, kb::Connection::Mode::ReadWrite);
        kb::Transaction transaction(db);
        for (int i = 0; i < 300; ++i) {
            db.exec(QStringLiteral("insert into Fiche (ID, S, SC, Notes) values (?, 'h', ?, ?)"),
                    {QStringLiteral("Patient %1 [01/02/2026 10:00:00]").arg(i), QStringLiteral("Fièvre\r\n"),
                     QString(500, u'n')});
            db.exec(
                QStringLiteral("insert into diagnostics_parallele (ID, Analyse, Save, S, SC, D, Notes) "
                               "values (?, 'Analyse Parallèle [Fièvre]', ?, 'h', 'Fièvre\r\n', NULL, ?)"),
                {QStringLiteral("Patient %1 [01/02/2026 10:00:00]").arg(i), i % 2 == 0, QString(300, u'a')});
            db.exec(
                QStringLiteral("insert into Score (Date_Heure, J, T, S) values ('01/02/2026', ?, 10, 'x')"),
                {i});
        }
        db.exec(QStringLiteral("update Prm set V = 'Dupont' where T = 'Nom'"));
        transaction.commit();
        work = workingRows(db);
    }
    const QStringList hashes{knowledgeHash(small), knowledgeHash(large)};

    // One whole upgrade each way, to learn how long one takes.
    QElapsedTimer clock;
    clock.start();
    for (const QString& from : {large, small}) {
        QProcess process;
        process.start(QStringLiteral(VARDELO_KB), {QStringLiteral("upgrade"), from, user});
        ASSERT_TRUE(process.waitForFinished(60000));
        ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    }
    const qint64 span = std::max<qint64>(20, clock.elapsed() / 2 * 5 / 4);

    std::mt19937 random(20261210);
    std::uniform_int_distribution<qint64> delay(0, span);
    int interrupted = 0;
    QElapsedTimer total;
    total.start();
    for (int kill = 0; kill < 20 && total.elapsed() < 120000; ++kill) {
        const QString current = knowledgeHash(user);
        const QString target = current == hashes[0] ? large : small;
        QProcess process;
        process.start(QStringLiteral(VARDELO_KB), {QStringLiteral("upgrade"), target, user});
        ASSERT_TRUE(process.waitForStarted());
        QThread::msleep(static_cast<unsigned long>(delay(random)));
        if (process.state() != QProcess::NotRunning) {
            ::kill(pid_t(process.processId()), SIGKILL);
            ++interrupted;
        }
        process.waitForFinished(60000);

        SCOPED_TRACE(kill);
        const kb::StartCheck check = kb::checkKnowledgeBaseForStart(user);
        ASSERT_EQ(check.status, kb::StartCheck::Status::Ready) << check.message.toStdString();
        EXPECT_EQ(check.version.display, kb::CurrentKBVersion);
        kb::Connection db(user, kb::Connection::Mode::ReadOnly);
        EXPECT_TRUE(hashes.contains(kb::computeKnowledgeHash(db)));
        EXPECT_EQ(workingRows(db), work);
    }
    // Most kills must have landed while the upgrade ran, or the test proves little.
    EXPECT_GE(interrupted, 10);
}

} // namespace
