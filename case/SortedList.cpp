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

void SortedList::assignFromTable(std::shared_ptr<const TextTable> table,
                                 std::vector<std::pair<int, int>> entries)
{
    byKey_.clear();
    sorted_.clear();
    table_ = std::move(table);
    entries_ = std::move(entries);
    dirty_ = true;
}

void SortedList::materialize() const
{
    if (!table_)
        return;
    byKey_.reserve(qsizetype(entries_.size()));
    for (const auto& [key, text] : entries_)
        byKey_.insert(table_->keys.at(key).toString(), table_->texts.at(text).toString());
    table_.reset();
    entries_.clear();
}

bool SortedList::remove(QStringView text)
{
    materialize();
    if (byKey_.remove(caseKey(text)) == 0)
        return false;
    dirty_ = true;
    return true;
}

void SortedList::removeAll(const QStringList& texts)
{
    if (!table_) {
        for (const QString& text : texts)
            remove(text);
        return;
    }
    QStringList keys;
    for (const QString& text : texts)
        keys.append(caseKey(text));
    const auto removed =
        std::remove_if(entries_.begin(), entries_.end(), [&](const std::pair<int, int>& entry) {
            const QStringView key = table_->keys.at(entry.first);
            return std::any_of(keys.begin(), keys.end(), [&key](const QString& k) { return k == key; });
        });
    if (removed != entries_.end()) {
        entries_.erase(removed, entries_.end());
        dirty_ = true;
    }
}

bool SortedList::contains(QStringView text) const
{
    materialize();
    return byKey_.contains(caseKey(text));
}

void SortedList::clear()
{
    byKey_.clear();
    table_.reset();
    entries_.clear();
    sorted_.clear();
    dirty_ = false;
}

const QStringList& SortedList::lines() const
{
    if (dirty_) {
        // Each line's collation key is looked up once, not at every comparison.
        std::vector<std::pair<QCollatorSortKey, QString>> keyed;
        keyed.reserve(size_t(size()));
        if (table_) {
            for (const auto& entry : entries_) {
                QString line = table_->texts.at(entry.second).toString();
                keyed.emplace_back(collationKey(line), std::move(line));
            }
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
