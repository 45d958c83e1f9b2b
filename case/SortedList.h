#pragma once
// A list kept in French alphabetical order without regard to case, that silently ignores a line
// already present (compared without regard to case): the candidate lists of the case.
// Additions are collected and ordered once, when the list is next read, because an evaluation
// adds tens of thousands of lines.

#include <QHash>
#include <QStringList>

namespace vardelo::model {

class SortedList {
public:
    void add(const QString& line);
    // The same, with the line's case key already made (caseKey(line)).
    void add(const QString& key, const QString& line);
    // Replaces the content with lines that are already distinct without regard to case, each with
    // its case key. The look-up table is made only when something asks for it, so that an
    // evaluation offering tens of thousands of lines pays for neither hashing nor sorting them.
    void assignDistinct(QStringList keys, QStringList lines);
    // Removes the line equal to text without regard to case; false when there is none.
    bool remove(QStringView text);
    bool contains(QStringView text) const;
    void clear();
    qsizetype size() const { return pending_ ? pendingLines_.size() : byKey_.size(); }
    bool isEmpty() const { return size() == 0; }
    // The lines in order.
    const QStringList& lines() const;
    // Position of text without regard to case, -1 when absent.
    qsizetype indexOf(QStringView text) const;

private:
    void materialize() const;

    mutable QHash<QString, QString> byKey_;
    // Lines given by assignDistinct and not yet in byKey_.
    mutable QStringList pendingKeys_;
    mutable QStringList pendingLines_;
    mutable bool pending_ = false;
    mutable QStringList sorted_;
    mutable bool dirty_ = false;
};

} // namespace vardelo::model
