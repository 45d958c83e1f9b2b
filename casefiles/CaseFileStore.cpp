#include "casefiles/CaseFileStore.h"

#include "case/CaseModel.h"
#include "kb/Sqlite.h"

#include <QLocale>

namespace vardelo::casefiles {

using kb::DbError;
using kb::Statement;
using kb::Transaction;

namespace {

const QString Separator = QStringLiteral("   [");

QString sexText(QChar sex)
{
    return sex.isNull() ? QString() : QString(sex);
}

CaseContent readContent(const Statement& row, int first)
{
    CaseContent c;
    const QString sex = row.text(first);
    c.sex = sex.isEmpty() ? QChar() : sex.at(0);
    c.ageBand = row.text(first + 1);
    c.signs = model::listFromText(row.text(first + 2));
    c.exams = model::listFromText(row.text(first + 3));
    c.retained = row.text(first + 4);
    c.notesRtf = row.text(first + 5);
    return c;
}

QVariantList contentParams(const CaseContent& c)
{
    return {sexText(c.sex), c.ageBand, model::listToText(c.signs), model::listToText(c.exams),
            c.retained,     c.notesRtf};
}

bool nameTaken(kb::Connection& db, const QString& name)
{
    Statement s(db, QStringLiteral("select 1 from Fiche where ID = ?1 union all "
                                   "select 1 from diagnostics_parallele where ID = ?1 limit 1"));
    s.bind(1, name);
    return s.step();
}

bool fileExists(kb::Connection& db, const QString& id)
{
    Statement s(db, QStringLiteral("select 1 from Fiche where ID = ? limit 1"));
    s.bind(1, id);
    return s.step();
}

} // namespace

QString databaseErrorMessage(const QString& detail)
{
    return QStringLiteral("Erreur de la base de données, les fiches n'ont pas été modifiées : %1")
        .arg(detail);
}

QString caseName(const QString& patientName, const QDateTime& when)
{
    return patientName + Separator + when.toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral("  ") +
           when.toString(QStringLiteral("HH:mm:ss")) + u']';
}

QString patientNameOf(const QString& caseName)
{
    const qsizetype at = caseName.indexOf(Separator);
    return at < 0 ? caseName : caseName.left(at);
}

CaseFileStore::CaseFileStore(kb::Connection& connection)
    : db_(connection)
{}

std::optional<QStringList> CaseFileStore::list(QString* error)
{
    try {
        Statement s(db_, QStringLiteral("select ID from Fiche ORDER BY N DESC"));
        QStringList names;
        while (s.step())
            names.append(s.text(0));
        return names;
    } catch (const DbError& e) {
        *error = databaseErrorMessage(e.message());
        return std::nullopt;
    }
}

bool CaseFileStore::isSaved(const QString& id, QString* error)
{
    try {
        return fileExists(db_, id);
    } catch (const DbError& e) {
        *error = databaseErrorMessage(e.message());
        return false;
    }
}

std::optional<QString> CaseFileStore::newCaseName(const QString& patientName, const QDateTime& when,
                                                  QString* error)
{
    try {
        const QString base = caseName(patientName, when);
        QString name = base;
        for (int n = 2; nameTaken(db_, name); ++n)
            name = base + QStringLiteral(" (%1)").arg(n);
        return name;
    } catch (const DbError& e) {
        *error = databaseErrorMessage(e.message());
        return std::nullopt;
    }
}

CaseFileStore::SaveResult CaseFileStore::save(const SaveRequest& request)
{
    SaveResult result;
    const CaseContent& c = request.content;
    if (c.signs.isEmpty() && c.exams.isEmpty()) {
        result.error = NothingToSaveMessage;
        return result;
    }
    try {
        Transaction transaction(db_);
        QString id = request.id;
        if (request.isNew && fileExists(db_, id)) {
            // Another case was saved under this name since it was chosen: take the next free
            // name, and move this case's unconfirmed analyses with it.
            for (int n = 2; nameTaken(db_, id); ++n)
                id = request.id + QStringLiteral(" (%1)").arg(n);
            db_.exec(QStringLiteral("update diagnostics_parallele set ID = ? where ID = ? and Save = FALSE"),
                     {id, request.id});
        }
        db_.exec(QStringLiteral("update diagnostics_parallele set Save = TRUE where ID = ?"), {id});
        if (!request.currentAnalysis.isEmpty()) {
            QVariantList params = contentParams(c);
            params << id << request.currentAnalysis;
            db_.exec(QStringLiteral(
                         "update diagnostics_parallele set S = ?, A = ?, SC = ?, EC = ?, D = ?, Notes = ? "
                         "where rowid = (select rowid from diagnostics_parallele "
                         "where ID = ? and Analyse = ? order by rowid limit 1)"),
                     params);
        }
        bool split = false;
        {
            Statement s(db_, QStringLiteral("select 1 from diagnostics_parallele where ID = ? limit 1"));
            s.bind(1, id);
            split = s.step();
        }
        QVariantList params =
            split ? QVariantList{QString(), QString(), QString(), QString(), QString(), QString()}
                  : contentParams(c);
        params << split;
        qint64 row = -1;
        if (!request.isNew) {
            Statement s(db_, QStringLiteral("select N from Fiche where ID = ? order by N limit 1"));
            s.bind(1, id);
            if (s.step())
                row = s.integer(0);
        }
        if (row >= 0) {
            params << row;
            db_.exec(QStringLiteral("update Fiche set S = ?, A = ?, SC = ?, EC = ?, D = ?, Notes = ?, AP = ? "
                                    "where N = ?"),
                     params);
        } else {
            // An open case file that was deleted meanwhile is written again rather than lost.
            params.prepend(id);
            db_.exec(
                QStringLiteral(
                    "insert into Fiche (ID, S, A, SC, EC, D, Notes, AP) values (?, ?, ?, ?, ?, ?, ?, ?)"),
                params);
        }
        transaction.commit();
        result.savedAs = id;
        result.split = split;
    } catch (const DbError& e) {
        result.error = databaseErrorMessage(e.message());
    }
    return result;
}

std::optional<OpenedCase> CaseFileStore::open(const QString& id, QString* error)
{
    try {
        // One read transaction, so that a save by another process is seen whole or not at all.
        db_.execScript(QStringLiteral("BEGIN"));
        struct EndRead {
            kb::Connection& db;
            ~EndRead()
            {
                try {
                    db.execScript(QStringLiteral("COMMIT"));
                } catch (const DbError&) {
                }
            }
        } endRead{db_};
        OpenedCase opened;
        std::optional<CaseContent> last;
        {
            Statement s(db_,
                        QStringLiteral("select Analyse, S, A, SC, EC, D, Notes from diagnostics_parallele "
                                       "where ID = ? and Save = TRUE order by rowid"));
            s.bind(1, id);
            while (s.step()) {
                opened.analyses.append(s.text(0));
                last = readContent(s, 1);
            }
        }
        if (last) {
            opened.content = *last;
            return opened;
        }
        Statement s(
            db_, QStringLiteral("select S, A, SC, EC, D, Notes from Fiche where ID = ? order by N limit 1"));
        s.bind(1, id);
        if (!s.step()) {
            *error = QStringLiteral("La fiche « %1 » n'existe pas").arg(id);
            return std::nullopt;
        }
        opened.content = readContent(s, 0);
        return opened;
    } catch (const DbError& e) {
        *error = databaseErrorMessage(e.message());
        return std::nullopt;
    }
}

Outcome CaseFileStore::remove(const QString& id)
{
    try {
        Transaction transaction(db_);
        qint64 row = -1;
        {
            Statement s(db_, QStringLiteral("select N from Fiche where ID = ? order by N limit 1"));
            s.bind(1, id);
            if (!s.step())
                return {NotSavedMessage};
            row = s.integer(0);
        }
        db_.exec(QStringLiteral("delete from Fiche where N = ?"), {row});
        db_.exec(QStringLiteral("delete from diagnostics_parallele where ID = ? and Save = TRUE"), {id});
        transaction.commit();
        return {};
    } catch (const DbError& e) {
        return {databaseErrorMessage(e.message())};
    }
}

Outcome CaseFileStore::removeAll()
{
    try {
        Transaction transaction(db_);
        {
            Statement s(db_, QStringLiteral("select 1 from Fiche limit 1"));
            if (!s.step())
                return {NothingToDeleteMessage};
        }
        db_.exec(QStringLiteral("DELETE from Fiche"));
        db_.exec(QStringLiteral("DELETE from diagnostics_parallele"));
        transaction.commit();
        return {};
    } catch (const DbError& e) {
        return {databaseErrorMessage(e.message())};
    }
}

} // namespace vardelo::casefiles
