#pragma once

#include "kb/Sqlite.h"

namespace vardelo::kb {

// Keys of the parameter table Prm; every knowledge-base file holds exactly these rows.
namespace prm {
inline const QString Name = QStringLiteral("Nom");
inline const QString Sex = QStringLiteral("Sexe");
inline const QString Age = QStringLiteral("Age");
inline const QString PratiloPath = QStringLiteral("PT_EXE_Path");
inline const QString StopWords = QStringLiteral("MS");
} // namespace prm

// Creates every table of the file (knowledge, working tables, version area) and the five Prm rows.
// The connection must be on a new, empty file.
void createSchema(Connection& connection);

// Creates, in the attached schema given ("main" for the file itself), the knowledge tables that
// files made by earlier versions lack.
void addMissingKnowledgeTables(Connection& connection, const QString& schema);

// Whether the table exists, in the file itself or in the attached schema given (a fixed name).
bool hasTable(Connection& connection, const QString& table, const QString& schema = QStringLiteral("main"));

// The tables that hold the knowledge proper; an upgrade replaces exactly these.
const QStringList& knowledgeTables();

} // namespace vardelo::kb
