#include "kb/Schema.h"

#include <QStringList>

namespace vardelo::kb {

void createSchema(Connection& connection)
{
    // UTF-16 storage hands the Jet functions their text without conversion. Every text column
    // carries the JET collation so that "=" ignores letter case as the program expects.
    connection.execScript(QStringLiteral(R"SQL(
PRAGMA page_size = 65536;
PRAGMA encoding = 'UTF-16le';
PRAGMA journal_mode = DELETE;
CREATE TABLE Data (
  P  TEXT NOT NULL DEFAULT '' COLLATE JET,
  F  INTEGER NOT NULL DEFAULT 0,
  S  TEXT NOT NULL DEFAULT '' COLLATE JET,
  E  TEXT NOT NULL DEFAULT '' COLLATE JET,
  I  TEXT NOT NULL DEFAULT '' COLLATE JET,
  D  TEXT NOT NULL DEFAULT '' COLLATE JET,
  T  TEXT NOT NULL DEFAULT '' COLLATE JET,
  RP TEXT NOT NULL DEFAULT '' COLLATE JET
);
CREATE TABLE SC (
  S   TEXT NOT NULL DEFAULT '' COLLATE JET,
  X   TEXT NOT NULL DEFAULT '' COLLATE JET,
  A   TEXT NOT NULL DEFAULT '' COLLATE JET,
  Exp TEXT NOT NULL DEFAULT '' COLLATE JET,
  Sup TEXT NOT NULL DEFAULT '' COLLATE JET
);
CREATE TABLE EC (
  S   TEXT NOT NULL DEFAULT '' COLLATE JET,
  X   TEXT NOT NULL DEFAULT '' COLLATE JET,
  A   TEXT NOT NULL DEFAULT '' COLLATE JET,
  Exp TEXT NOT NULL DEFAULT '' COLLATE JET,
  Sup TEXT NOT NULL DEFAULT '' COLLATE JET
);
CREATE TABLE Prm (
  T TEXT NOT NULL UNIQUE COLLATE JET,
  V TEXT NOT NULL DEFAULT '' COLLATE JET
);
CREATE TABLE Fiche (
  ID    TEXT NOT NULL DEFAULT '' COLLATE JET,
  N     INTEGER PRIMARY KEY AUTOINCREMENT,
  S     TEXT NOT NULL DEFAULT '' COLLATE JET,
  A     TEXT NOT NULL DEFAULT '' COLLATE JET,
  SC    TEXT NOT NULL DEFAULT '' COLLATE JET,
  EC    TEXT NOT NULL DEFAULT '' COLLATE JET,
  D     TEXT NOT NULL DEFAULT '' COLLATE JET,
  Notes TEXT NOT NULL DEFAULT '' COLLATE JET,
  AP    BOOLEAN NOT NULL DEFAULT FALSE
);
CREATE TABLE diagnostics_parallele (
  ID      TEXT NOT NULL DEFAULT '' COLLATE JET,
  Analyse TEXT NOT NULL DEFAULT '' COLLATE JET,
  Save    BOOLEAN NOT NULL DEFAULT FALSE,
  S       TEXT NOT NULL DEFAULT '' COLLATE JET,
  A       TEXT NOT NULL DEFAULT '' COLLATE JET,
  SC      TEXT NOT NULL DEFAULT '' COLLATE JET,
  EC      TEXT NOT NULL DEFAULT '' COLLATE JET,
  D       TEXT COLLATE JET,
  Notes   TEXT NOT NULL DEFAULT '' COLLATE JET
);
CREATE TABLE Report (
  P TEXT NOT NULL DEFAULT '' COLLATE JET,
  F TEXT NOT NULL DEFAULT '' COLLATE JET
);
CREATE TABLE Score (
  Date_Heure TEXT NOT NULL DEFAULT '' COLLATE JET,
  J          INTEGER NOT NULL DEFAULT 0,
  T          INTEGER NOT NULL DEFAULT 0,
  S          TEXT NOT NULL DEFAULT '' COLLATE JET
);
CREATE TABLE VersionArea (
  Area          BLOB NOT NULL,
  KnowledgeHash TEXT NOT NULL DEFAULT ''
);
INSERT INTO Prm (T, V) VALUES ('Nom', ''), ('Sexe', ''), ('Age', ''), ('PT_EXE_Path', ''), ('MS', '');
)SQL"));
    addMissingKnowledgeTables(connection, QStringLiteral("main"));
}

void addMissingKnowledgeTables(Connection& connection, const QString& schema)
{
    // The pathologies that need hospital care the same day, by name.
    connection.execScript(
        QStringLiteral("CREATE TABLE IF NOT EXISTS %1.Emergency (P TEXT NOT NULL UNIQUE COLLATE JET);")
            .arg(schema));
}

bool hasTable(Connection& connection, const QString& table, const QString& schema)
{
    Statement statement(
        connection,
        QStringLiteral("select 1 from %1.sqlite_master where type = 'table' and name = ?").arg(schema));
    statement.bind({table});
    return statement.step();
}

const QStringList& knowledgeTables()
{
    static const QStringList tables{QStringLiteral("Data"), QStringLiteral("SC"), QStringLiteral("EC"),
                                    QStringLiteral("Emergency")};
    return tables;
}

} // namespace vardelo::kb
