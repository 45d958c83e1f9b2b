#include "tools/cli/CaseJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vardelo::cli {

namespace {

// A text member: absent gives the default; any other type is an error naming the key.
std::optional<QString> stringMember(const QJsonObject& o, const char* key, const QString& fallback,
                                    QString* error)
{
    const QJsonValue value = o.value(QLatin1StringView(key));
    if (value.isUndefined())
        return fallback;
    if (!value.isString()) {
        *error = QStringLiteral("« %1 » doit être un texte").arg(QLatin1StringView(key));
        return std::nullopt;
    }
    return value.toString();
}

std::optional<QStringList> stringArray(const QJsonValue& value)
{
    if (value.isUndefined())
        return QStringList();
    if (!value.isArray())
        return std::nullopt;
    QStringList list;
    for (const QJsonValue& item : value.toArray()) {
        if (!item.isString())
            return std::nullopt;
        list.append(item.toString());
    }
    return list;
}

} // namespace

// Reads a case; on a bad one, *error says why in French.
std::optional<engine::SortMode> parseSortMode(const QString& name, QString* error)
{
    if (name == u"prevalence")
        return engine::SortMode::Prevalence;
    if (name == u"probability")
        return engine::SortMode::Probability;
    if (name == u"concordance")
        return engine::SortMode::Concordance;
    *error =
        QStringLiteral("mode « %1 » invalide : « prevalence », « probability » ou « concordance »").arg(name);
    return std::nullopt;
}

std::optional<CaseInput> parseCase(const QByteArray& json, QString* error, bool withNotes)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        *error =
            QStringLiteral("cas invalide : un objet JSON est attendu (%1)").arg(parseError.errorString());
        return std::nullopt;
    }
    const QJsonObject o = document.object();
    QStringList known{QStringLiteral("sex"),     QStringLiteral("age"),   QStringLiteral("mode"),
                      QStringLiteral("dg"),      QStringLiteral("signs"), QStringLiteral("exams"),
                      QStringLiteral("retained")};
    if (withNotes)
        known.append(QStringLiteral("notes"));
    for (const QString& key : o.keys()) {
        if (!known.contains(key)) {
            *error = QStringLiteral("clé inconnue « %1 » (clés admises : %2)").arg(key, known.join(u", "));
            return std::nullopt;
        }
    }
    CaseInput c;
    const auto sexMember = stringMember(o, "sex", QStringLiteral("f"), error);
    const auto ageMember = stringMember(o, "age", QString(), error);
    const auto modeMember = stringMember(o, "mode", QStringLiteral("prevalence"), error);
    if (!sexMember || !ageMember || !modeMember)
        return std::nullopt;
    const QString sex = *sexMember;
    if (sex != u"h" && sex != u"f") {
        *error = QStringLiteral("sexe « %1 » invalide : « h » ou « f »").arg(sex);
        return std::nullopt;
    }
    c.sex = sex.at(0);
    c.age = *ageMember;
    if (!c.age.isEmpty() && c.age != u"1" && c.age != u"2" && c.age != u"3") {
        *error = QStringLiteral("tranche d'âge « %1 » invalide : \"\", \"1\", \"2\" ou \"3\"").arg(c.age);
        return std::nullopt;
    }
    const std::optional<engine::SortMode> mode = parseSortMode(*modeMember, error);
    if (!mode)
        return std::nullopt;
    c.mode = *mode;
    const QJsonValue dg = o.value(QStringLiteral("dg"));
    if (!dg.isUndefined() && !(dg.isDouble() && (dg.toDouble() == 0 || dg.toDouble() == 1))) {
        *error = QStringLiteral("dg invalide : 1 (évaluation complète) ou 0 (vocabulaire)");
        return std::nullopt;
    }
    c.evaluation = dg.isUndefined() || dg.toInt() == 1 ? engine::EvaluationMode::Rank
                                                       : engine::EvaluationMode::RefreshOffers;
    const auto signs = stringArray(o.value(QStringLiteral("signs")));
    const auto exams = stringArray(o.value(QStringLiteral("exams")));
    if (!signs || !exams) {
        *error = QStringLiteral("« %1 » doit être une liste de textes").arg(signs ? u"exams" : u"signs");
        return std::nullopt;
    }
    c.signs = *signs;
    c.exams = *exams;
    const QJsonValue retained = o.value(QStringLiteral("retained"));
    if (!retained.isUndefined() && !retained.isString()) {
        *error = QStringLiteral("« retained » doit être un texte");
        return std::nullopt;
    }
    c.retained = retained.toString();
    const auto notes = stringMember(o, "notes", QString(), error);
    if (!notes)
        return std::nullopt;
    c.notes = *notes;
    return c;
}

} // namespace vardelo::cli
