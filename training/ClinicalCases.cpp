#include "training/ClinicalCases.h"

#include "case/KbLines.h"
#include "kb/Query.h"
#include "platform/TextFile.h"

#include <array>
#include <utility>

namespace vardelo::training {

namespace {

int uniform(RandomEngine& random, int highest)
{
    return std::uniform_int_distribution<int>(0, highest)(random);
}

QString sexText(QChar sex)
{
    return sex == u'h' ? QStringLiteral("Patient de sexe Masculin ")
                       : QStringLiteral("Patiente de sexe Féminin ");
}

QString ageText(const QString& ageBand)
{
    if (ageBand == u"1")
        return QStringLiteral("inférieur à 15 ans");
    if (ageBand == u"2")
        return QStringLiteral("entre 15 et 45 ans");
    return QStringLiteral("supérieur à 45 ans");
}

const QString AssociatedMark = QStringLiteral("Pathologie : ");

} // namespace

QString associatedPathologiesCaption(qsizetype count)
{
    return count == 1 ? QStringLiteral("Pathologie associée") : QStringLiteral("Pathologies associées");
}

ClinicalCase describeCase(kb::Query& query, const QString& pathology, const QString& signField,
                          const QString& examField, QChar sex, const QString& ageBand)
{
    ClinicalCase c;
    c.pathology = pathology;
    c.sex = sex;
    c.ageBand = ageBand;
    c.patientText = sexText(sex) + QStringLiteral("avec l'âge ") + ageText(ageBand);

    for (const QString& line : platform::splitLines(signField)) {
        const QString text = model::GetSC(line);
        if (text.contains(AssociatedMark)) {
            // The name starts two characters after the last colon.
            c.associatedPathologies.prepend(text.mid(text.lastIndexOf(u':') + 2));
        } else if (!text.isEmpty()) {
            c.signs.append(text);
        }
    }
    // The base marks a pathology without exams with the single line "0".
    for (const QString& line : platform::splitLines(examField)) {
        const QString text = model::GetSC(line);
        if (!text.isEmpty())
            c.exams.append(text);
    }
    if (!c.exams.isEmpty() && c.exams.first() == u"0")
        c.exams.clear();

    // A sign reserved to the other sex, or to another age band, is not the patient's; a sign the
    // vocabulary does not hold stays.
    for (qsizetype i = c.signs.size() - 1; i >= 0; --i) {
        query.open(QStringLiteral("select * from SC where S = ?"), {c.signs.at(i)});
        if (query.eof())
            continue;
        const QString reservedSex = query.field(QStringLiteral("X"));
        const QString reservedAge = query.field(QStringLiteral("A"));
        if ((!reservedSex.isEmpty() && reservedSex != QString(sex)) ||
            (!reservedAge.isEmpty() && reservedAge != ageBand))
            c.signs.removeAt(i);
    }
    query.close();
    return c;
}

std::optional<ClinicalCase> drawCase(kb::Query& query, RandomEngine& random, QString* error)
{
    struct Patient {
        QChar sex;
        QString ageBand;
    };
    std::vector<Patient> untried;
    for (QChar sex : {u'h', u'f'})
        for (const char* band : {"1", "2", "3"})
            untried.push_back({sex, QString::fromLatin1(band)});

    // The first patient: a sex, then an age band, each drawn uniformly.
    const int sex = uniform(random, 1);
    const int band = uniform(random, 2);
    size_t pick = size_t(sex * 3 + band);
    while (true) {
        const Patient patient = untried.at(pick);
        // An empty applicability field restricts nothing.
        query.open(QStringLiteral("select P, S, E from Data where ((I = '') or ((I Like ?) and (I Like ?)))"),
                   {QString(u'%' + QString(patient.sex) + u'%'), QString(u'%' + patient.ageBand + u'%')});
        struct Row {
            QString name, signs, exams;
        };
        std::vector<Row> rows;
        for (query.first(); !query.eof(); query.next())
            rows.push_back({query.field(QStringLiteral("P")), query.field(QStringLiteral("S")),
                            query.field(QStringLiteral("E"))});
        query.close();
        if (!rows.empty()) {
            // The row drawn is shown as it is: looking it up again by name could find another
            // pathology whose name contains this one.
            const Row& row = rows.at(size_t(uniform(random, int(rows.size()) - 1)));
            return describeCase(query, row.name, row.signs, row.exams, patient.sex, patient.ageBand);
        }
        untried.erase(untried.begin() + qsizetype(pick));
        if (untried.empty())
            break;
        pick = size_t(uniform(random, int(untried.size()) - 1));
    }
    if (error)
        *error = QStringLiteral("Aucune pathologie de la base de connaissance ne convient à un patient : "
                                "aucun cas clinique ne peut être tiré.");
    return std::nullopt;
}

QStringList allPathologyNames(kb::Query& query)
{
    QStringList names;
    query.open(QStringLiteral("select P from Data"));
    for (query.first(); !query.eof(); query.next())
        names.append(query.field(QStringLiteral("P")));
    query.close();
    return names;
}

QString formatScore(int percent)
{
    return QStringLiteral("%1,0 %").arg(percent, 2, 10, QLatin1Char('0'));
}

QString Series::progressText() const
{
    return QStringLiteral("%1/%2").arg(drawn_).arg(length_);
}

void Series::restart(int length)
{
    length_ = std::max(length, 0);
    drawn_ = 0;
    correct_ = 0;
    current_.reset();
    currentChecked_ = false;
}

void Series::addCase(ClinicalCase drawn)
{
    if (!canDraw())
        return;
    current_ = std::move(drawn);
    currentChecked_ = false;
    ++drawn_;
}

bool Series::check(const QString& chosen, const QString& typed)
{
    if (!current_)
        return false;
    const bool right = chosen == current_->pathology || typed == current_->pathology;
    if (!currentChecked_ && right)
        ++correct_;
    currentChecked_ = true;
    return right;
}

} // namespace vardelo::training
