// A process saving case files is killed at random moments: after every kill the file is sound,
// every case whose save had returned is there whole, and no case is there in part.

#include "casefiles/CaseFileStore.h"
#include "kb/Schema.h"
#include "kb/Sqlite.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <random>
#include <signal.h>

using namespace vardelo;

namespace {

TEST(CaseCrash, AKilledSaveLeavesEveryCaseWholeOrAbsent)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Data.vdat"));
    {
        kb::Connection db(path, kb::Connection::Mode::Create);
        kb::createSchema(db);
    }
    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> delay(30, 400);
    QStringList returned;
    int kills = 0;
    QElapsedTimer clock;
    clock.start();
    for (int run = 0; run < 20 && clock.elapsed() < 120000; ++run) {
        SCOPED_TRACE(run);
        QProcess child;
        child.start(QStringLiteral(CASE_SAVER_CHILD), {path, QString::number(run)});
        ASSERT_TRUE(child.waitForStarted());
        QThread::msleep(static_cast<unsigned long>(delay(random)));
        ASSERT_EQ(child.state(), QProcess::Running) << child.readAllStandardError().toStdString();
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished(10000);
        ++kills;
        for (const QByteArray& line : child.readAllStandardOutput().split('\n'))
            if (!line.isEmpty())
                returned.append(QString::fromUtf8(line));

        kb::Connection db(path, kb::Connection::Mode::ReadWrite);
        {
            kb::Statement check(db, QStringLiteral("PRAGMA integrity_check"));
            ASSERT_TRUE(check.step());
            ASSERT_EQ(check.text(0), QStringLiteral("ok"));
        }
        casefiles::CaseFileStore store(db);
        QString error;
        const auto names = store.list(&error);
        ASSERT_TRUE(names) << error.toStdString();
        for (const QString& id : returned)
            EXPECT_TRUE(names->contains(id)) << "lost: " << id.toStdString();
        for (const QString& id : *names) {
            const auto opened = store.open(id, &error);
            ASSERT_TRUE(opened) << error.toStdString();
            const int i = id.section(u'"', 1, 1).toInt();
            EXPECT_EQ(opened->analyses.size(), i % 4 == 3 ? 2 : 0) << id.toStdString();
            EXPECT_EQ(opened->content.signs.value(0), id);
            EXPECT_EQ(opened->content.exams, QStringList{QStringLiteral("NFS : %1").arg(i)});
            EXPECT_EQ(opened->content.retained, id);
            EXPECT_TRUE(opened->content.notesRtf.endsWith(id + u'}'));
        }
    }
    EXPECT_GE(kills, 20);
    EXPECT_GE(returned.size(), 20) << "the child saved too little to prove anything";
}

} // namespace
