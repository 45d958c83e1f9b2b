#include "kb/VersionArea.h"

#include "kb/Schema.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vardelo::kb;

namespace {

TEST(VersionArea, CharactersAreStoredRaisedByTwentyAtEverySecondByte)
{
    const QByteArray area = encodeVersionArea(QStringLiteral("1.0"));
    ASSERT_EQ(area.size(), VersionAreaSize);
    EXPECT_EQ(area.left(7), QByteArray("E\0B\0D\0\0", 7));
    const KbVersion version = decodeVersionArea(area);
    EXPECT_EQ(version.display, QStringLiteral("1.0"));
    EXPECT_EQ(version.raw, ExpectedKBVersionRaw);
    EXPECT_TRUE(version.error.isEmpty());
}

TEST(VersionArea, EmptyAndShortAreas)
{
    const KbVersion empty = decodeVersionArea(QByteArray(VersionAreaSize, '\0'));
    EXPECT_TRUE(empty.display.isEmpty());
    EXPECT_TRUE(empty.error.isEmpty());

    // Cut after two characters: what was read stays, and the error is reported.
    const KbVersion shortArea = decodeVersionArea(QByteArray("E\0B\0", 4));
    EXPECT_EQ(shortArea.raw, QStringLiteral("EB"));
    EXPECT_FALSE(shortArea.error.isEmpty());
    EXPECT_NE(shortArea.raw, ExpectedKBVersionRaw);

    // A full area with no zero byte reads all 56 positions.
    const KbVersion full = decodeVersionArea(QByteArray(VersionAreaSize, 'E'));
    EXPECT_EQ(full.display, QString(VersionPositions, u'1'));
}

TEST(VersionArea, ReadFromFiles)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Data.vdat"));
    EXPECT_FALSE(readKbVersion(path).error.isEmpty());
    EXPECT_FALSE(QFile::exists(path));
    {
        Connection db(path, Connection::Mode::Create);
        createSchema(db);
        db.exec(QStringLiteral("insert into VersionArea (Area) values (?)"),
                {encodeVersionArea(QStringLiteral("2.1"))});
    }
    const KbVersion version = readKbVersion(path);
    EXPECT_EQ(version.display, QStringLiteral("2.1"));
    EXPECT_NE(version.raw, ExpectedKBVersionRaw);
}

// Caches of the knowledge survive writes to the working tables of a file that has a knowledge hash;
// without a hash, any write may have changed the knowledge.
TEST(VersionArea, KnowledgeStampChangesWithTheHashOnly)
{
    Connection db(QStringLiteral(":memory:"), Connection::Mode::Create);
    createSchema(db);
    const QString unhashed = knowledgeStamp(db);
    db.exec(QStringLiteral("insert into Score (S) values ('x')"));
    EXPECT_NE(knowledgeStamp(db), unhashed);

    db.exec(QStringLiteral("insert into VersionArea (Area, KnowledgeHash) values (?, 'abc')"),
            {encodeVersionArea(CurrentKBVersion)});
    const QString hashed = knowledgeStamp(db);
    db.exec(QStringLiteral("insert into Score (S) values ('y')"));
    db.exec(QStringLiteral("insert into Fiche (SC) values ('Fièvre')"));
    EXPECT_EQ(knowledgeStamp(db), hashed);
    db.exec(QStringLiteral("update VersionArea set KnowledgeHash = 'abd'"));
    EXPECT_NE(knowledgeStamp(db), hashed);
}

} // namespace
