#include "case/SortedList.h"

#include "case/TextCompare.h"

#include <QCollator>
#include <algorithm>

namespace vardelo::model {

void SortedList::add(const QString& line)
{
    const QString key = caseKey(line);
    if (byKey_.contains(key))
        return;
    byKey_.insert(key, line);
    dirty_ = true;
}

bool SortedList::remove(QStringView text)
{
    if (byKey_.remove(caseKey(text)) == 0)
        return false;
    dirty_ = true;
    return true;
}

bool SortedList::contains(QStringView text) const
{
    return byKey_.contains(caseKey(text));
}

void SortedList::clear()
{
    byKey_.clear();
    sorted_.clear();
    dirty_ = false;
}

const QStringList& SortedList::lines() const
{
    if (dirty_) {
        sorted_ = byKey_.values();
        std::sort(sorted_.begin(), sorted_.end(),
                  [](const QString& a, const QString& b) { return compareText(a, b) < 0; });
        dirty_ = false;
    }
    return sorted_;
}

qsizetype SortedList::indexOf(QStringView text) const
{
    const auto it = byKey_.constFind(caseKey(text));
    if (it == byKey_.constEnd())
        return -1;
    const QStringList& all = lines();
    const auto pos =
        std::lower_bound(all.begin(), all.end(), it.value(),
                         [](const QString& a, const QString& b) { return compareText(a, b) < 0; });
    return pos - all.begin();
}

} // namespace vardelo::model
