#pragma once
// The knowledge-base file as a whole: the hash of its knowledge, the checks made before the
// program starts on it, and the replacement of its knowledge by that of a compiled file.

#include "kb/Sqlite.h"
#include "kb/VersionArea.h"

namespace vardelo::kb {

// BLAKE2b-256, in hexadecimal, of everything an upgrade replaces but the version area: the rows of the
// knowledge tables in their stored order and the stop words. Two files with the same knowledge
// have the same hash whatever their working tables hold.
QString computeKnowledgeHash(Connection& connection);
// The hash written beside the version area when the knowledge was written.
QString storedKnowledgeHash(Connection& connection);

struct StartCheck {
    enum class Status {
        Ready,            // the file opened, its version area was read and its knowledge is intact
        Missing,          // no file
        Unreadable,       // the file exists but cannot be opened or read (rights, lock, disk)
        NotADatabase,     // not a database, or a database without the program's tables
        Damaged,          // a database whose pages are damaged
        KnowledgeAltered, // readable, but the knowledge no longer matches its hash
    };
    Status status = Status::Ready;
    KbVersion version; // read when the file could be read, whatever the status
    QString message;   // French, for every status but Ready
    // A problem with the file itself: the program cannot run on it.
    bool fileUnusable() const { return status != Status::Ready && status != Status::KnowledgeAltered; }
};

// A database failure on the knowledge-base file, in French (never SQLite's own English text).
QString fileErrorMessage(const DbError& error, const QString& path);

// What the program checks at start, without changing anything in the file but what SQLite's own
// recovery does: a write interrupted by a crash left a hot journal, which only a read-write
// connection rolls back, so the file is opened for reading and writing when it can be. The
// knowledge hash is checked only when the version is the expected one.
StartCheck checkKnowledgeBaseForStart(const QString& path);

// The knowledge as it was installed with the program, beside its Data.vdat: what altered knowledge
// is replaced with.
inline const QString BundledKnowledgeFile = QStringLiteral("Connaissance.vdat");
inline const QString RepairQuestion = QStringLiteral(
    "Voulez-vous la remplacer par la base de connaissance fournie avec le programme ? Vos fiches, vos "
    "scores et vos réglages sont conservés.");
inline const QString NoBundledKnowledge = QStringLiteral(
    "La base de connaissance fournie avec le programme est introuvable : réinstallez Vardelo.");

// Replaces the knowledge of the file at userPath (the knowledge tables, the stop words, the version
// area) by that of compiledPath in one transaction, keeping every working table and the other
// parameters. Creates the user file as a copy (temporary file, then rename) when it does not exist.
// Nothing is done when the user's knowledge already has the compiled hash; *changed tells whether
// anything was. Returns false with a French reason on failure.
bool upgradeKnowledge(const QString& compiledPath, const QString& userPath, bool* changed, QString* error);

} // namespace vardelo::kb
