#include "case/CaseModel.h"

#include "case/TextCompare.h"
#include "platform/TextFile.h"

namespace vardelo::model {

bool isOperator(const QString& e)
{
    return e == token::And || e == token::Not || e == token::Or;
}

bool isSignToken(const QString& e)
{
    return isOperator(e) || e == token::Ignore || e == token::Open || e == token::Close;
}

bool isExamOperator(const QString& e)
{
    return e == token::And || e == token::Not;
}

int Entree(const QStringList& scList, QStringView str)
{
    for (qsizetype i = 0; i < scList.size(); ++i) {
        if (!sameText(scList.at(i), str))
            continue;
        if (i == 0)
            return 1;
        const QString& before = scList.at(i - 1);
        if (before == token::Not)
            return 0;
        if (before == token::Ignore)
            return 2;
        return 1;
    }
    return -1;
}

QString Texte_SC(QString element)
{
    if (element.startsWith(u' '))
        element.remove(0, 1);
    if (element.size() >= 2 && element.endsWith(QStringLiteral("  ")))
        element.chop(2);
    return element;
}

Repair Corrige_SC(QStringList& list)
{
    for (qsizetype p = 1; p < list.size(); ++p) {
        const QString& e = list.at(p);
        const QString& before = list.at(p - 1);
        if (isOperator(e) && isOperator(before)) {
            list.removeAt(p - 1);
            return Repair::Deleted;
        }
        if (isOperator(e) && before == token::Open) {
            list.removeAt(p);
            return Repair::Deleted;
        }
        if (e == token::Open && !isOperator(before) && before != token::Open) {
            list.removeAt(p);
            return Repair::Deleted;
        }
        if (e == token::Close && (isOperator(before) || before == token::Open)) {
            list.removeAt(p);
            return Repair::Deleted;
        }
        if (e == token::Open && (before == token::Not || before == token::Or)) {
            list.removeAt(p);
            return Repair::DeletedWithWarning;
        }
    }
    return Repair::None;
}

bool Corrige_EC(QStringList& list)
{
    for (qsizetype p = 1; p < list.size(); ++p) {
        if (isExamOperator(list.at(p)) && isExamOperator(list.at(p - 1))) {
            list.removeAt(p - 1);
            return true;
        }
    }
    return false;
}

QString listToText(const QStringList& list)
{
    QString text;
    for (const QString& e : list)
        text += e + QStringLiteral("\r\n");
    return text;
}

QStringList listFromText(const QString& text)
{
    return platform::splitLines(text);
}

std::vector<FormattedRun> Affiche_SC(const QStringList& list)
{
    std::vector<FormattedRun> runs;
    auto shownText = [&runs] {
        QString all;
        for (const FormattedRun& r : runs)
            all += r.text;
        return all;
    };
    for (const QString& e : list) {
        if (isOperator(e) || e == token::Ignore) {
            runs.push_back({e + u' ', true, true});
        } else if (e == token::Open) {
            runs.push_back({e, true, true});
        } else if (e == token::Close) {
            if (shownText().endsWith(u'('))
                runs.push_back({QStringLiteral(" "), false, false});
            // The parenthesis goes before the space that ends the previous item, against it.
            FormattedRun space;
            bool hasSpace = false;
            if (!runs.empty() && runs.back().text.endsWith(u' ')) {
                space = runs.back();
                space.text = QStringLiteral(" ");
                runs.back().text.chop(1);
                if (runs.back().text.isEmpty())
                    runs.pop_back();
                hasSpace = true;
            }
            runs.push_back({token::Close, true, true});
            if (hasSpace)
                runs.push_back(space);
        } else {
            runs.push_back({Texte_SC(e) + u' ', false, false});
        }
    }
    return runs;
}

std::vector<ExamParagraph> Affiche_EC(const QStringList& list)
{
    std::vector<ExamParagraph> paragraphs;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QString& e = list.at(i);
        if (e == token::And || e == token::Not) {
            ExamParagraph paragraph;
            paragraph.bullet = true;
            if (e == token::Not)
                paragraph.runs.push_back({QStringLiteral("not "), true, true});
            paragraphs.push_back(paragraph);
        } else {
            if (paragraphs.empty())
                paragraphs.emplace_back();
            paragraphs.back().runs.push_back({e, false, false});
        }
    }
    return paragraphs;
}

} // namespace vardelo::model
