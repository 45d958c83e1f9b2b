#include "kb/KnowledgeFile.h"

#include "kb/Schema.h"

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vardelo::kb;

namespace {

using Status = StartCheck::Status;

// A knowledge base of a few hundred pathologies (several pages), its hash written as the compiler does.
void writeBase(const QString& path, const QString& signPrefix = QStringLiteral("Toux"))
{
    Connection db(path, Connection::Mode::Create);
    createSchema(db);
    Transaction transaction(db);
    Statement insert(db, QStringLiteral("insert into Data (P, F, S, E, I) values (?, ?, ?, '0', 'hf')"));
    for (int i = 0; i < 400; ++i) {
        insert.bind({QStringLiteral("Pathologie %1").arg(i), i,
                     signPrefix + QStringLiteral(" %1\r\n").arg(i) + QString(300, u'x')});
        insert.step();
        insert.reset();
    }
    db.exec(QStringLiteral("update Prm set V = ' le la ' where T = 'MS'"));
    db.exec(QStringLiteral("insert into VersionArea (Area, KnowledgeHash) values (?, ?)"),
            {encodeVersionArea(CurrentKBVersion), computeKnowledgeHash(db)});
    transaction.commit();
}

void overwrite(const QString& path, qint64 offset, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(offset));
    file.write(bytes);
}

class KnowledgeFile : public ::testing::Test {
protected:
    void SetUp() override { writeBase(path); }
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Data.vdat"));
};

TEST_F(KnowledgeFile, EachFileProblemHasItsOwnFrenchMessage)
{
    struct Case {
        const char* name;
        std::function<void(const QString&)> spoil;
        Status status;
        const char* words;
    } cases[] = {
        {"sound", [](const QString&) {}, Status::Ready, ""},
        {"missing", [](const QString& p) { QFile::remove(p); }, Status::Missing, "introuvable"},
        {"not a database",
         [](const QString& p) {
             QFile::remove(p);
             QFile f(p);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.write(QByteArray(20000, 'x'));
         },
         Status::NotADatabase, "n'est pas une base de données"},
        {"another database",
         [](const QString& p) {
             QFile::remove(p);
             Connection other(p, Connection::Mode::Create);
             other.execScript(QStringLiteral("create table t (x)"));
         },
         Status::NotADatabase, "n'est pas une base de connaissance"},
        {"damaged pages",
         [](const QString& p) {
             const qint64 middlePage = QFile(p).size() / 65536 / 2;
             overwrite(p, middlePage * 65536, QByteArray(4000, '\x5a'));
         },
         Status::Damaged, "endommagé"},
        {"damaged header", [](const QString& p) { overwrite(p, 16, QByteArray(8, '\xff')); },
         Status::NotADatabase, "n'est pas une base de données"},
        {"knowledge altered",
         [](const QString& p) {
             Connection db(p, Connection::Mode::ReadWrite);
             db.exec(QStringLiteral("update Data set S = replace(S, 'Toux 7', 'Toux 8') where F = 7"));
         },
         Status::KnowledgeAltered, "altérée"},
        {"stop words altered",
         [](const QString& p) {
             Connection db(p, Connection::Mode::ReadWrite);
             db.exec(QStringLiteral("update Prm set V = ' le ' where T = 'MS'"));
         },
         Status::KnowledgeAltered, "altérée"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(path);
        writeBase(path);
        c.spoil(path);
        const StartCheck check = checkKnowledgeBaseForStart(path);
        EXPECT_EQ(check.status, c.status) << check.message.toStdString();
        EXPECT_TRUE(check.message.contains(QString::fromUtf8(c.words))) << check.message.toStdString();
        EXPECT_EQ(check.fileUnusable(), c.status != Status::Ready && c.status != Status::KnowledgeAltered);
        // SQLite's English never reaches the physician.
        for (const char* english : {"file", "database", "disk", "malformed"})
            EXPECT_FALSE(check.message.contains(QString::fromLatin1(english))) << check.message.toStdString();
        if (c.status == Status::Ready || c.status == Status::KnowledgeAltered) {
            EXPECT_EQ(check.version.display, CurrentKBVersion);
        }
    }
}

TEST_F(KnowledgeFile, AnotherVersionIsLeftToTheVersionCheck)
{
    {
        Connection db(path, Connection::Mode::ReadWrite);
        db.exec(QStringLiteral("update VersionArea set Area = ?"),
                {encodeVersionArea(QStringLiteral("2.1"))});
    }
    const StartCheck check = checkKnowledgeBaseForStart(path);
    EXPECT_EQ(check.status, Status::Ready);
    EXPECT_EQ(check.version.display, QStringLiteral("2.1"));
}

TEST_F(KnowledgeFile, AWriteInterruptedByACrashIsRolledBackAtStart)
{
    const QString before = [&] {
        Connection db(path, Connection::Mode::ReadOnly);
        return computeKnowledgeHash(db);
    }();
    // A child changes every pathology with a cache too small to hold the change, so that pages reach
    // the file before the commit, and dies in the middle: the journal stays behind, hot.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(db, "PRAGMA cache_size = 1; BEGIN; UPDATE Data SET S = 'x' || S, F = F + 1;", nullptr,
                     nullptr, nullptr);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(QFile::exists(path + QStringLiteral("-journal")));
    {
        Connection db(path, Connection::Mode::ReadOnly);
        EXPECT_THROW(computeKnowledgeHash(db), DbError); // a reader alone cannot recover
    }

    const StartCheck check = checkKnowledgeBaseForStart(path);
    EXPECT_EQ(check.status, Status::Ready) << check.message.toStdString();
    EXPECT_EQ(check.version.display, CurrentKBVersion);
    EXPECT_FALSE(QFile::exists(path + QStringLiteral("-journal")));
    Connection db(path, Connection::Mode::ReadOnly);
    EXPECT_EQ(computeKnowledgeHash(db), before);
}

TEST_F(KnowledgeFile, UpgradeRepairsAlteredKnowledgeAndKeepsTheWork)
{
    const QString bundled = dir.filePath(QStringLiteral("bundled.vdat"));
    writeBase(bundled);
    {
        Connection db(path, Connection::Mode::ReadWrite);
        db.exec(QStringLiteral("update Data set S = 'Tous' where F = 3"));
        db.exec(QStringLiteral("insert into Fiche (ID) values ('Dupont')"));
    }
    ASSERT_EQ(checkKnowledgeBaseForStart(path).status, Status::KnowledgeAltered);
    bool changed = false;
    QString error;
    ASSERT_TRUE(upgradeKnowledge(bundled, path, &changed, &error)) << error.toStdString();
    EXPECT_TRUE(changed);
    EXPECT_EQ(checkKnowledgeBaseForStart(path).status, Status::Ready);
    Connection db(path, Connection::Mode::ReadOnly);
    Statement fiche(db, QStringLiteral("select ID from Fiche"));
    ASSERT_TRUE(fiche.step());
    EXPECT_EQ(fiche.text(0), QStringLiteral("Dupont"));
    // The same knowledge again: nothing to do.
    ASSERT_TRUE(upgradeKnowledge(bundled, path, &changed, &error));
    EXPECT_FALSE(changed);
}

} // namespace
