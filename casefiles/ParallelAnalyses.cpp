#include "casefiles/ParallelAnalyses.h"

#include "case/CaseModel.h"
#include "kb/Sqlite.h"

namespace vardelo::casefiles {

using kb::DbError;
using kb::Statement;
using kb::Transaction;

namespace {

// The first row of an analysis: with the same name twice, every statement acts on the older one.
const QString FirstRow = QStringLiteral(
    "(select rowid from diagnostics_parallele where ID = ? and Analyse = ? order by rowid limit 1)");

QVariantList contentParams(const CaseContent& c)
{
    return {c.sex.isNull() ? QString() : QString(c.sex), c.ageBand, model::listToText(c.signs),
            model::listToText(c.exams), c.notesRtf};
}

bool analysisExists(kb::Connection& db, const QString& caseId, const QString& name)
{
    Statement s(db,
                QStringLiteral("select 1 from diagnostics_parallele where ID = ? and Analyse = ? limit 1"));
    s.bind({caseId, name});
    return s.step();
}

} // namespace

std::optional<QString> firstAnalysisEntry(const QStringList& signs, const QStringList& exams)
{
    if (!signs.isEmpty()) {
        for (const QString& s : signs) {
            if (s != u"(")
                return u'[' + s + u']';
        }
        return std::nullopt;
    }
    for (const QString& e : exams) {
        if (e != u"not" && e != u"and")
            return u'[' + e + u']';
    }
    return std::nullopt;
}

ParallelAnalyses::ParallelAnalyses(kb::Connection& connection)
    : db_(connection)
{}

std::optional<QString> ParallelAnalyses::create(const QString& caseId, const QString& bracketedEntry,
                                                const CaseContent& content, bool withDiagnosis,
                                                QString* error)
{
    try {
        Transaction transaction(db_);
        const QString base = AnalysisPrefix + bracketedEntry;
        QString name = base;
        for (int n = 2; analysisExists(db_, caseId, name); ++n)
            name = base + QStringLiteral(" (%1)").arg(n);
        QVariantList params{caseId, name};
        params << contentParams(content) << (withDiagnosis ? QVariant(content.retained) : QVariant());
        db_.exec(QStringLiteral("insert into diagnostics_parallele (ID, Analyse, S, A, SC, EC, Notes, D) "
                                "values (?, ?, ?, ?, ?, ?, ?, ?)"),
                 params);
        transaction.commit();
        return name;
    } catch (const DbError& e) {
        *error = databaseErrorMessage(e.message());
        return std::nullopt;
    }
}

Outcome ParallelAnalyses::writeBack(const QString& caseId, const QString& analysis,
                                    const CaseContent& content, bool withDiagnosis)
{
    if (analysis.isEmpty())
        return {};
    try {
        QVariantList params = contentParams(content);
        QString sql =
            QStringLiteral("update diagnostics_parallele set S = ?, A = ?, SC = ?, EC = ?, Notes = ?");
        if (withDiagnosis) {
            sql += QStringLiteral(", D = ?");
            params << content.retained;
        }
        params << caseId << analysis;
        db_.exec(sql + QStringLiteral(" where rowid = ") + FirstRow, params);
        return {};
    } catch (const DbError& e) {
        return {databaseErrorMessage(e.message())};
    }
}

std::optional<QStringList> ParallelAnalyses::confirmed(const QString& caseId, QString* error)
{
    try {
        Statement s(db_,
                    QStringLiteral("select Analyse from diagnostics_parallele where ID = ? and Save = TRUE "
                                   "order by rowid"));
        s.bind(1, caseId);
        QStringList names;
        while (s.step())
            names.append(s.text(0));
        return names;
    } catch (const DbError& e) {
        *error = databaseErrorMessage(e.message());
        return std::nullopt;
    }
}

std::optional<CaseContent> ParallelAnalyses::load(const QString& caseId, const QString& analysis,
                                                  QString* error)
{
    try {
        Statement s(
            db_, QStringLiteral("select S, A, SC, EC, D, Notes from diagnostics_parallele where rowid = ") +
                     FirstRow);
        s.bind({caseId, analysis});
        if (!s.step())
            return std::nullopt;
        CaseContent c;
        const QString sex = s.text(0);
        c.sex = sex.isEmpty() ? QChar() : sex.at(0);
        c.ageBand = s.text(1);
        c.signs = model::listFromText(s.text(2));
        c.exams = model::listFromText(s.text(3));
        c.retained = s.text(4);
        c.notesRtf = s.text(5);
        return c;
    } catch (const DbError& e) {
        *error = databaseErrorMessage(e.message());
        return std::nullopt;
    }
}

ParallelAnalyses::RemoveResult ParallelAnalyses::remove(const QString& caseId, const QStringList& items,
                                                        const QString& analysis)
{
    RemoveResult result;
    const qsizetype index = items.indexOf(analysis);
    if (index < 0) {
        result.analyses = items;
        return result;
    }
    QStringList remaining = items;
    remaining.removeAt(index);
    try {
        Transaction transaction(db_);
        if (remaining.size() == 1) {
            std::optional<CaseContent> kept = load(caseId, remaining.first(), &result.error);
            if (!result.error.isEmpty())
                return result;
            db_.exec(QStringLiteral("delete from diagnostics_parallele where ID = ?"), {caseId});
            if (kept) {
                // A saved split case holds nothing but its header: give it the remaining content now.
                QVariantList params{kept->sex.isNull() ? QString() : QString(kept->sex),
                                    kept->ageBand,
                                    model::listToText(kept->signs),
                                    model::listToText(kept->exams),
                                    kept->retained,
                                    kept->notesRtf,
                                    caseId};
                db_.exec(QStringLiteral(
                             "update Fiche set S = ?, A = ?, SC = ?, EC = ?, D = ?, Notes = ?, AP = FALSE "
                             "where N = (select N from Fiche where ID = ? order by N limit 1)"),
                         params);
            }
            result.becomes = kept;
            remaining.clear();
        } else {
            db_.exec(QStringLiteral("delete from diagnostics_parallele where rowid = ") + FirstRow,
                     {caseId, analysis});
            if (!remaining.isEmpty()) {
                result.becomes = load(caseId, remaining.first(), &result.error);
                if (!result.error.isEmpty())
                    return result;
            }
        }
        transaction.commit();
        result.analyses = remaining;
    } catch (const DbError& e) {
        result.error = databaseErrorMessage(e.message());
        result.analyses = items;
        result.becomes.reset();
    }
    return result;
}

Outcome ParallelAnalyses::purgeUnconfirmed()
{
    try {
        db_.exec(QStringLiteral("delete from diagnostics_parallele where save = False"));
        return {};
    } catch (const DbError& e) {
        return {databaseErrorMessage(e.message())};
    }
}

ParallelAnalyses::BranchResult
ParallelAnalyses::branch(const QString& caseId, const QStringList& items, const CaseContent& current,
                         const QString& bracketedEntry,
                         const std::function<bool(const CaseContent&)>& takesEntry)
{
    BranchResult result;
    result.analyses = items;
    if (result.analyses.isEmpty()) {
        // The case as it stands becomes the first analysis, with its retained diagnosis.
        if (const std::optional<QString> first = firstAnalysisEntry(current.signs, current.exams)) {
            const std::optional<QString> name = create(caseId, *first, current, true, &result.error);
            if (!name)
                return result;
            result.analyses.append(*name);
        }
    }
    for (int i = 0; i < result.analyses.size(); ++i) {
        const std::optional<CaseContent> analysis = load(caseId, result.analyses.at(i), &result.error);
        if (!result.error.isEmpty())
            return result;
        if (!analysis)
            continue;
        // Only the entries and notes of an analysis are tried; the patient stays as on screen.
        CaseContent tried = current;
        tried.signs = analysis->signs;
        tried.exams = analysis->exams;
        tried.notesRtf = analysis->notesRtf;
        if (takesEntry(tried)) {
            result.selected = i;
            result.load = tried;
            return result;
        }
    }
    CaseContent empty = current;
    empty.signs.clear();
    empty.exams.clear();
    empty.notesRtf.clear();
    const std::optional<QString> name = create(caseId, bracketedEntry, empty, false, &result.error);
    if (!name)
        return result;
    result.analyses.append(*name);
    result.selected = int(result.analyses.size() - 1);
    result.created = true;
    result.load = empty;
    return result;
}

ParallelAnalyses::BranchResult
ParallelAnalyses::branchForSign(const QString& caseId, const QStringList& items, const CaseContent& current,
                                const QString& sign,
                                const std::function<bool(const CaseContent&)>& offersSign)
{
    return branch(caseId, items, current, u'[' + sign + u']', offersSign);
}

ParallelAnalyses::BranchResult
ParallelAnalyses::branchForExamLine(const QString& caseId, const QStringList& items,
                                    const CaseContent& current, const QString& examLine,
                                    const std::function<bool(const CaseContent&)>& offersExamLine)
{
    return branch(caseId, items, current, u'[' + examLine + u']', offersExamLine);
}

} // namespace vardelo::casefiles
