#include "dialogue/Interrogation.h"

#include "case/KbLines.h"
#include "case/SortedList.h"
#include "case/TextCompare.h"
#include "kb/Cipher.h"

#include <QRegularExpression>
#include <algorithm>

namespace vardelo::dialogue {

Interrogation::Interrogation(kb::Query& query, engine::Evaluator& evaluator)
    : query_(query)
    , evaluator_(evaluator)
{}

void Interrogation::start()
{
    rejected_.clear();
    passedOver_.clear();
    cursor_ = 0;
}

QStringList Interrogation::hypothesisSigns(const QString& pathology, QChar sex, const QString& ageBand)
{
    // With several rows of that name, the one of lowest frequency counts.
    query_.open(QStringLiteral("select S from Data where P = ? ORDER BY F DESC"), {pathology});
    QString text;
    for (; !query_.eof(); query_.next())
        text = kb::CipherText(0, 1, QString(), query_.field(QStringLiteral("S")));
    query_.close();
    QStringList signs;
    model::SortedList kept;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")))) {
        const QString sign = model::GetSC(line);
        if (sign.isEmpty())
            continue;
        signs.append(sign);
        kept.add(sign);
    }
    evaluator_.Filtre_Sexe_Age(kept, sex, ageBand, QString());
    signs.removeIf([&kept](const QString& sign) { return !kept.contains(sign); });
    return signs;
}

Decision Interrogation::next(const QStringList& rows, const model::CaseState& state, bool continueSingle)
{
    const int count = int(rows.size());
    if (count == 0)
        return {NextStep::NoDiagnosis, {}, {}};
    if (count == 1 && !continueSingle)
        return {NextStep::SingleDiagnosis, rows.first(), {}};
    // A loop, not a chain of calls: a long interrogation never grows the stack.
    cursor_ = std::clamp(cursor_, 0, count - 1);
    for (;;) {
        const QString& hypothesis = rows.at(cursor_);
        for (const QString& sign : hypothesisSigns(hypothesis, state.PatientSex, state.PatientAgeBand)) {
            if (passedOver_.contains(sign.toLower()))
                continue;
            bool asked = false;
            for (const QString& element : state.SCList)
                asked = asked || model::sameText(element, sign);
            if (!asked)
                return {NextStep::Ask, hypothesis, sign};
        }
        if (cursor_ + 1 < count) {
            ++cursor_;
            continue;
        }
        cursor_ = 0;
        return {count == 1 ? NextStep::SingleDone : NextStep::AllAsked,
                count == 1 ? rows.first() : QString(),
                {}};
    }
}

void Interrogation::selectHypothesis(const QStringList& rows)
{
    cursor_ = std::max(0, int(rows.size()) - 1);
    for (int i = 0; i < rows.size(); ++i) {
        if (!rejected_.contains(rows.at(i))) {
            cursor_ = i;
            return;
        }
    }
}

bool Interrogation::reject(const QString& hypothesis, const QStringList& rows)
{
    rejected_.append(hypothesis);
    selectHypothesis(rows);
    // Every row rejected, counting only the names still in the list: a name rejected earlier that
    // an answer took out of the list does not count.
    const bool allRejected =
        std::all_of(rows.begin(), rows.end(), [this](const QString& row) { return rejected_.contains(row); });
    if (allRejected) {
        rejected_.removeLast();
        selectHypothesis(rows);
        return false;
    }
    return true;
}

} // namespace vardelo::dialogue
