#pragma once
// How the patient's sex and age band read in the patient banner, the patient sheet and the report.

#include <QString>

namespace vardelo::engine {

inline QString sexCaption(QChar sex)
{
    return sex == u'h' ? QStringLiteral("Masculin") : QStringLiteral("Féminin");
}

inline QString ageBandCaption(const QString& band)
{
    if (band == u"1")
        return QStringLiteral("Inférieur a 15 ans");
    if (band == u"2")
        return QStringLiteral("Entre 15 et 45 ans");
    if (band == u"3")
        return QStringLiteral("Supérieur a 45 ans");
    return QStringLiteral("Sans précision");
}

} // namespace vardelo::engine
