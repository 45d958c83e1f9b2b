#include "case/SortedList.h"

#include "case/TextCompare.h"

#include <QCollator>
#include <algorithm>
#include <vector>

namespace vardelo::model {

void SortedList::add(const QString& line)
{
    add(caseKey(line), line);
}

void SortedList::add(const QString& key, const QString& line)
{
    materialize();
    if (byKey_.contains(key))
        return;
    byKey_.insert(key, line);
    dirty_ = true;
}

void SortedList::assignDistinct(QStringList keys, QStringList lines)
{
    Q_ASSERT(keys.size() == lines.size());
    byKey_.clear();
    sorted_.clear();
    pendingKeys_ = std::move(keys);
    pendingLines_ = std::move(lines);
    pending_ = true;
    dirty_ = true;
}

void SortedList::materialize() const
{
    if (!pending_)
        return;
    byKey_.reserve(pendingKeys_.size());
    for (qsizetype i = 0; i < pendingKeys_.size(); ++i)
        byKey_.insert(pendingKeys_.at(i), pendingLines_.at(i));
    pendingKeys_.clear();
    pendingLines_.clear();
    pending_ = false;
}

bool SortedList::remove(QStringView text)
{
    materialize();
    if (byKey_.remove(caseKey(text)) == 0)
        return false;
    dirty_ = true;
    return true;
}

bool SortedList::contains(QStringView text) const
{
    materialize();
    return byKey_.contains(caseKey(text));
}

void SortedList::clear()
{
    byKey_.clear();
    pendingKeys_.clear();
    pendingLines_.clear();
    pending_ = false;
    sorted_.clear();
    dirty_ = false;
}

const QStringList& SortedList::lines() const
{
    if (dirty_) {
        // Each line's collation key is looked up once, not at every comparison.
        std::vector<std::pair<QCollatorSortKey, QString>> keyed;
        keyed.reserve(size_t(size()));
        if (pending_) {
            for (const QString& line : std::as_const(pendingLines_))
                keyed.emplace_back(collationKey(line), line);
        } else {
            for (const QString& line : std::as_const(byKey_))
                keyed.emplace_back(collationKey(line), line);
        }
        std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
            const int order = a.first.compare(b.first);
            return order != 0 ? order < 0 : compareText(a.second, b.second) < 0;
        });
        sorted_.clear();
        sorted_.reserve(qsizetype(keyed.size()));
        for (auto& entry : keyed)
            sorted_.append(std::move(entry.second));
        dirty_ = false;
    }
    return sorted_;
}

qsizetype SortedList::indexOf(QStringView text) const
{
    materialize();
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
