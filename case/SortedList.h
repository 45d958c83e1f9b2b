#pragma once
// A list kept in French alphabetical order without regard to case, that silently ignores a line
// already present (compared without regard to case): the candidate lists of the case.
// Additions are collected and ordered once, when the list is next read, because an evaluation
// adds tens of thousands of lines.

#include <QHash>
#include <QStringList>
#include <memory>
#include <utility>
#include <vector>

namespace vardelo::model {

// Many texts in one block of characters, numbered in the order they were added.
struct TextPool {
    QString chars;
    std::vector<qint32> starts{0}; // text i is chars[starts[i] .. starts[i + 1])

    qsizetype size() const { return qsizetype(starts.size()) - 1; }
    QStringView at(qsizetype i) const
    {
        return QStringView(chars).mid(starts[size_t(i)], starts[size_t(i) + 1] - starts[size_t(i)]);
    }
    qint32 add(QStringView text)
    {
        chars += text;
        starts.push_back(qint32(chars.size()));
        return qint32(size() - 1);
    }
};

// Texts and case keys shared by many lists, each list naming its lines by their numbers here.
struct TextTable {
    TextPool texts;
    TextPool keys;
};

class SortedList {
public:
    void add(const QString& line);
    // The same, with the line's case key already made (caseKey(line)).
    void add(const QString& key, const QString& line);
    // Replaces the content with lines of a shared table, given as (key number, text number) pairs
    // that are distinct without regard to case. The lines themselves are copied, looked up and
    // sorted only when something asks for them, so that an evaluation offering tens of thousands
    // of lines pays for none of that.
    void assignFromTable(std::shared_ptr<const TextTable> table, std::vector<std::pair<int, int>> entries);
    // Removes the line equal to text without regard to case; false when there is none.
    bool remove(QStringView text);
    // Removes every line equal to one of texts without regard to case; lines given by
    // assignFromTable are left unread.
    void removeAll(const QStringList& texts);
    bool contains(QStringView text) const;
    void clear();
    qsizetype size() const { return table_ ? qsizetype(entries_.size()) : byKey_.size(); }
    bool isEmpty() const { return size() == 0; }
    // The lines in order.
    const QStringList& lines() const;
    // Position of text without regard to case, -1 when absent.
    qsizetype indexOf(QStringView text) const;

private:
    void materialize() const;

    mutable QHash<QString, QString> byKey_;
    // Lines given by assignFromTable and not yet in byKey_.
    mutable std::shared_ptr<const TextTable> table_;
    mutable std::vector<std::pair<int, int>> entries_;
    mutable QStringList sorted_;
    mutable bool dirty_ = false;
};

} // namespace vardelo::model
