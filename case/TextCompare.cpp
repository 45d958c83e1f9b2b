#include "case/TextCompare.h"

#include "kb/JetFunctions.h"

#include <QCollator>
#include <QHash>

namespace vardelo::model {

namespace {

const QCollator& frenchCollator()
{
    static const QCollator collator = [] {
        QCollator c{QLocale(QLocale::French, QLocale::France)};
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}

// The texts compared are the knowledge base's few thousand sign and exam texts, over and over:
// their collation keys are made once (returned by value: the table may grow during a comparison).
} // namespace

QCollatorSortKey collationKey(const QString& text)
{
    static QHash<QString, QCollatorSortKey> keys;
    auto it = keys.find(text);
    if (it == keys.end())
        it = keys.insert(text, frenchCollator().sortKey(text));
    return it.value();
}

QString caseKey(QStringView text)
{
    return kb::foldCase(text);
}

bool sameText(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (kb::foldUnit(a[i].unicode()) != kb::foldUnit(b[i].unicode()))
            return false;
    }
    return true;
}

int compareText(QStringView a, QStringView b)
{
    if (sameText(a, b))
        return 0;
    const int order = collationKey(a.toString()).compare(collationKey(b.toString()));
    if (order != 0)
        return order < 0 ? -1 : 1;
    // The collator may see distinct texts as equal (ignorable characters): keep a total order.
    const int jet = kb::jetCompare(a, b);
    if (jet != 0)
        return jet;
    return a < b ? -1 : 1;
}

} // namespace vardelo::model
