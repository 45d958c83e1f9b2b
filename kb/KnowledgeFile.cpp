#include "kb/KnowledgeFile.h"

#include "kb/Schema.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cstdio>
#include <memory>
#include <sqlite3.h>

namespace vardelo::kb {

namespace {

// Every value with its type and length, so that no two different contents hash alike. The bytes are
// read where SQLite keeps them: the file stores UTF-16, so texts need no conversion.
void addValue(QCryptographicHash& hash, sqlite3_stmt* statement, int column)
{
    const int type = sqlite3_column_type(statement, column);
    const char tag = char(type);
    hash.addData(QByteArrayView(&tag, 1));
    QByteArrayView data;
    qint64 integer = 0;
    QByteArray number;
    switch (type) {
    case SQLITE_INTEGER:
        integer = qToLittleEndian(qint64(sqlite3_column_int64(statement, column)));
        data = QByteArrayView(reinterpret_cast<const char*>(&integer), sizeof integer);
        break;
    case SQLITE_FLOAT:
        number = QByteArray::number(sqlite3_column_double(statement, column), 'g', 17);
        data = number;
        break;
    case SQLITE_BLOB: {
        const void* bytes = sqlite3_column_blob(statement, column);
        data = QByteArrayView(static_cast<const char*>(bytes), sqlite3_column_bytes(statement, column));
        break;
    }
    case SQLITE_TEXT: {
        const void* text = sqlite3_column_text16(statement, column);
        data = QByteArrayView(static_cast<const char*>(text), sqlite3_column_bytes16(statement, column));
        break;
    }
    default:
        break;
    }
    const quint32 size = qToLittleEndian(quint32(data.size()));
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(&size), sizeof size));
    hash.addData(data);
}

void addRows(QCryptographicHash& hash, Connection& connection, const QString& sql, const QVariantList& params)
{
    Statement statement(connection, sql);
    statement.bind(params);
    while (statement.step()) {
        hash.addData(QByteArrayView("\1", 1));
        for (int c = 0; c < statement.columnCount(); ++c)
            addValue(hash, statement.handle(), c);
    }
    hash.addData(QByteArrayView("\2", 1));
}

QString fileMessage(const QString& path, const QString& problem)
{
    return QStringLiteral("Le fichier de la base de connaissance « %1 » %2")
        .arg(QDir::toNativeSeparators(path), problem);
}

StartCheck failure(StartCheck::Status status, const QString& path, const QString& problem)
{
    StartCheck check;
    check.status = status;
    check.message = fileMessage(path, problem);
    return check;
}

// SQLite's codes as the physician's words: SQLite's own English text never reaches the screen.
StartCheck classify(const DbError& e, const QString& path)
{
    using Status = StartCheck::Status;
    switch (e.code() & 0xff) {
    case SQLITE_NOTADB:
        return failure(Status::NotADatabase, path, QStringLiteral("n'est pas une base de données."));
    case SQLITE_CORRUPT:
        return failure(Status::Damaged, path,
                       QStringLiteral("est endommagé. Remplacez-le par une sauvegarde, ou réinstallez "
                                      "la base de connaissance."));
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return failure(Status::Unreadable, path,
                       QStringLiteral("est verrouillé par un autre programme. Fermez-le, puis relancez "
                                      "Vardelo."));
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return failure(Status::Unreadable, path, QStringLiteral("ne peut pas être lu : accès refusé."));
    case SQLITE_READONLY:
        return failure(Status::Unreadable, path,
                       QStringLiteral("ne peut pas être réparé : une écriture interrompue doit être annulée, "
                                      "mais le fichier ou son dossier n'est pas modifiable."));
    case SQLITE_IOERR:
    case SQLITE_FULL:
        return failure(Status::Unreadable, path,
                       QStringLiteral("ne peut pas être lu : erreur de lecture ou d'écriture du disque."));
    case SQLITE_CANTOPEN:
        return failure(Status::Unreadable, path, QStringLiteral("ne peut pas être ouvert."));
    case SQLITE_ERROR:
        // A sound database without the program's tables.
        return failure(Status::NotADatabase, path,
                       QStringLiteral("n'est pas une base de connaissance de Vardelo."));
    default:
        return failure(Status::Unreadable, path,
                       QStringLiteral("ne peut pas être lu (erreur %1).").arg(e.code()));
    }
}

std::unique_ptr<Connection> openForStart(const QString& path)
{
    try {
        return std::make_unique<Connection>(path, Connection::Mode::ReadWrite);
    } catch (const DbError& e) {
        // A read-only file or folder: read it as it is (a hot journal then fails as SQLITE_READONLY).
        const int code = e.code() & 0xff;
        if (code != SQLITE_READONLY && code != SQLITE_CANTOPEN && code != SQLITE_PERM)
            throw;
        return std::make_unique<Connection>(path, Connection::Mode::ReadOnly);
    }
}

} // namespace

QString fileErrorMessage(const DbError& error, const QString& path)
{
    return classify(error, path).message;
}

QString computeKnowledgeHash(Connection& connection)
{
    QCryptographicHash hash(QCryptographicHash::Blake2b_256);
    for (const QString& table : knowledgeTables()) {
        // A table that files made by earlier versions lack counts as empty.
        if (!hasTable(connection, table))
            continue;
        hash.addData(table.toUtf8());
        addRows(hash, connection, QStringLiteral("select * from %1 order by _rowid_").arg(table), {});
    }
    addRows(hash, connection, QStringLiteral("select V from Prm where T = ?"), {prm::StopWords});
    return QString::fromLatin1(hash.result().toHex());
}

QString storedKnowledgeHash(Connection& connection)
{
    Statement statement(connection, QStringLiteral("select KnowledgeHash from VersionArea"));
    return statement.step() ? statement.text(0) : QString();
}

StartCheck checkKnowledgeBaseForStart(const QString& path)
{
    using Status = StartCheck::Status;
    const QFileInfo info(path);
    if (!info.exists())
        return failure(Status::Missing, path, QStringLiteral("est introuvable."));
    if (!info.isFile())
        return failure(Status::NotADatabase, path, QStringLiteral("n'est pas un fichier."));
    if (!info.isReadable())
        return failure(Status::Unreadable, path, QStringLiteral("ne peut pas être lu : accès refusé."));
    StartCheck check;
    try {
        const std::unique_ptr<Connection> connection = openForStart(path);
        {
            Statement integrity(*connection, QStringLiteral("PRAGMA quick_check"));
            if (!integrity.step() || integrity.text(0) != u"ok")
                return classify(DbError(SQLITE_CORRUPT, QString()), path);
        }
        Statement area(*connection, QStringLiteral("select Area from VersionArea"));
        if (!area.step()) {
            check.version.error = fileMessage(path, QStringLiteral("ne contient pas de zone de version."));
            return check;
        }
        check.version = decodeVersionArea(area.blob(0));
        if (!check.version.error.isEmpty()) {
            check.version.error = fileMessage(
                path, QStringLiteral("a une zone de version illisible : %1.").arg(check.version.error));
            return check;
        }
        if (check.version.raw != ExpectedKBVersionRaw)
            return check;
        const QString stored = storedKnowledgeHash(*connection);
        if (computeKnowledgeHash(*connection) != stored) {
            check.status = Status::KnowledgeAltered;
            check.message = QStringLiteral("La base de connaissance de « %1 » a été altérée : son contenu ne "
                                           "correspond plus à sa somme de contrôle. Les signes, examens et "
                                           "pathologies affichés pourraient être faux.")
                                .arg(QDir::toNativeSeparators(path));
        }
        return check;
    } catch (const DbError& e) {
        StartCheck failed = classify(e, path);
        failed.version = check.version;
        return failed;
    }
}

namespace {

// A copy written beside the target and renamed over it once complete.
bool copyAtomically(const QString& from, const QString& to, QString* error)
{
    const QString temporary = to + QStringLiteral(".tmp");
    QFile::remove(temporary);
    if (!QFile::copy(from, temporary)) {
        *error = QStringLiteral("Copie vers « %1 » impossible").arg(to);
        return false;
    }
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(to).constData()) != 0) {
        QFile::remove(temporary);
        *error = QStringLiteral("Impossible de remplacer « %1 »").arg(to);
        return false;
    }
    return true;
}

} // namespace

bool upgradeKnowledge(const QString& compiledPath, const QString& userPath, bool* changed, QString* error)
{
    *changed = false;
    if (!QFileInfo::exists(compiledPath)) {
        *error = QStringLiteral("Base compilée « %1 » introuvable").arg(compiledPath);
        return false;
    }
    if (!QFileInfo::exists(userPath)) {
        if (!copyAtomically(compiledPath, userPath, error))
            return false;
        *changed = true;
        return true;
    }
    try {
        QString compiledHash;
        {
            Connection compiled(compiledPath, Connection::Mode::ReadOnly);
            compiledHash = storedKnowledgeHash(compiled);
        }
        Connection user(userPath, Connection::Mode::ReadWrite);
        // The user's knowledge as it is, not as its hash says: damaged knowledge is replaced too.
        if (computeKnowledgeHash(user) == compiledHash && storedKnowledgeHash(user) == compiledHash)
            return true;
        user.exec(QStringLiteral("attach database ? as compiled"), {compiledPath});
        {
            Transaction transaction(user);
            // A file made before a knowledge table existed gets it here.
            addMissingKnowledgeTables(user, QStringLiteral("main"));
            for (const QString& table : knowledgeTables()) {
                user.execScript(
                    QStringLiteral("delete from main.%1; insert into main.%1 select * from compiled.%1;")
                        .arg(table));
            }
            // The evaluation's index of the compiled knowledge comes with it; an index of the old
            // knowledge would only be ignored.
            user.execScript(QStringLiteral("CREATE TABLE IF NOT EXISTS main.EvaluationIndex (KnowledgeHash "
                                           "TEXT NOT NULL, Data BLOB NOT NULL);"
                                           "DELETE FROM main.EvaluationIndex;"));
            if (hasTable(user, QStringLiteral("EvaluationIndex"), QStringLiteral("compiled")))
                user.execScript(QStringLiteral(
                    "insert into main.EvaluationIndex select * from compiled.EvaluationIndex;"));
            user.execScript(QStringLiteral(
                "update main.Prm set V = (select V from compiled.Prm where T = 'MS') where T = 'MS';"
                "delete from main.VersionArea; insert into main.VersionArea select * from "
                "compiled.VersionArea;"));
            transaction.commit();
        }
        user.execScript(QStringLiteral("detach database compiled"));
        *changed = true;
        return true;
    } catch (const DbError& e) {
        *error = QStringLiteral("Mise à jour de « %1 » impossible : %2").arg(userPath, e.message());
        return false;
    }
}

} // namespace vardelo::kb
