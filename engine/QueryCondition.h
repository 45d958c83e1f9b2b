#pragma once
// From the case to the condition of the diagnosis query: each sign a LIKE test on the pathology's
// sign lines, each exam line a LIKE test on its exam lines, each operator the SQL operator of the
// same name, and the patient an applicability test. The database does the boolean evaluation.

#include <QStringList>

namespace vardelo::engine {

// Builds the condition (without "where"). A leading "and" of the passed sign list is deleted from
// it, permanently. The repair and display of the case's own formula are the caller's, before this.
QString buildQueryCondition(QStringList& scList, const QStringList& ecList, QChar patientSex,
                            const QString& patientAgeBand);

} // namespace vardelo::engine
