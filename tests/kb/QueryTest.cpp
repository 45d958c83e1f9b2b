#include "kb/Query.h"

#include "kb/Schema.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace vardelo::kb;

namespace {

class QueryTest : public ::testing::Test {
protected:
    void SetUp() override { createSchema(db); }
    Connection db{QStringLiteral(":memory:"), Connection::Mode::Create};
    Query query{db};
};

TEST_F(QueryTest, ParametersAreEditedAndPostedThroughTheSnapshot)
{
    query.open(QStringLiteral("select * from Prm where T = ?"), {prm::Name});
    ASSERT_EQ(query.recordCount(), 1);
    query.edit();
    query.setField(QStringLiteral("V"), QStringLiteral("D'Artagnan \"[Charles]\""));
    EXPECT_EQ(query.field(QStringLiteral("v")), QStringLiteral("D'Artagnan \"[Charles]\""));
    query.post();

    query.open(QStringLiteral("select * from Prm order by T"));
    EXPECT_EQ(query.recordCount(), 5);
    QStringList keys;
    for (query.first(); !query.eof(); query.next())
        keys.append(query.field(QStringLiteral("T")));
    EXPECT_EQ(keys, (QStringList{QStringLiteral("Age"), QStringLiteral("MS"), QStringLiteral("Nom"),
                                 QStringLiteral("PT_EXE_Path"), QStringLiteral("Sexe")}));

    query.open(QStringLiteral("select * from prm where t = 'NOM'"));
    EXPECT_EQ(query.field(QStringLiteral("V")), QStringLiteral("D'Artagnan \"[Charles]\""));
}

TEST_F(QueryTest, AppendUsesDefaultsAndTheCounter)
{
    query.open(QStringLiteral("select * from Fiche"));
    for (const char* id : {"premier", "second"}) {
        query.append();
        query.setField(QStringLiteral("ID"), QString::fromUtf8(id));
        query.post();
    }
    query.open(QStringLiteral("select * from Fiche order by N desc"));
    ASSERT_EQ(query.recordCount(), 2);
    EXPECT_EQ(query.field(QStringLiteral("ID")), QStringLiteral("second"));
    EXPECT_EQ(query.field(QStringLiteral("AP")), QStringLiteral("0"));

    query.open(QStringLiteral("select * from diagnostics_parallele"));
    query.append();
    query.setField(QStringLiteral("ID"), QStringLiteral("premier"));
    query.post();
    query.open(QStringLiteral("select * from diagnostics_parallele where save = False"));
    ASSERT_EQ(query.recordCount(), 1);
    EXPECT_EQ(query.field(QStringLiteral("D")), QString()); // NULL reads as the empty text
    query.execSql(QStringLiteral("delete from diagnostics_parallele where save = False"));
    query.open(QStringLiteral("select * from diagnostics_parallele"));
    EXPECT_TRUE(query.eof());
}

TEST_F(QueryTest, ErrorsAreRaisedNotSwallowed)
{
    EXPECT_THROW(query.open(QStringLiteral("select * from Data where (S Like '%a%'")), DbError);
    EXPECT_THROW(query.open(QStringLiteral("select * from Nowhere")), DbError);
    query.open(QStringLiteral("select count(*) as n from Data"));
    EXPECT_THROW(query.edit(), DbError); // not a single-table snapshot
    EXPECT_THROW(query.field(QStringLiteral("missing")), DbError);
    db.exec(QStringLiteral("insert into Data (P, F) values ('x', 'douze')"));
    query.open(QStringLiteral("select * from Data"));
    EXPECT_THROW(query.intField(QStringLiteral("F")), DbError);
}

TEST(Connection, NeverCreatesAMissingFileAndRejectsNonDatabases)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("Data.vdat"));
    EXPECT_THROW(Connection(missing, Connection::Mode::ReadWrite), DbError);
    EXPECT_FALSE(QFile::exists(missing));

    QFile text(dir.filePath(QStringLiteral("texte.vdat")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(4096, 'x'));
    text.close();
    EXPECT_THROW(
        {
            Connection connection(text.fileName(), Connection::Mode::ReadWrite);
            Query query(connection);
            query.open(QStringLiteral("select * from Data"));
        },
        DbError);
}

} // namespace
