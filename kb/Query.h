#pragma once
// The shared query object: one statement at a time, its result a static snapshot that knows its
// record count, is walked row by row to the end, and whose current row can be edited and posted.
// A new statement closes the previous result. Values always come in as bound parameters.

#include "kb/Sqlite.h"

#include <QHash>
#include <QStringList>
#include <QVariant>
#include <optional>
#include <vector>

namespace vardelo::kb {

class Query {
public:
    explicit Query(Connection& connection);

    // Runs a SELECT and loads its rows. A statement of the form "select * from <table> ..." can
    // then be edited and appended to.
    void open(const QString& sql, const QVariantList& params = {});
    // Runs a statement that returns no rows (INSERT, UPDATE, DELETE) and closes the result.
    void execSql(const QString& sql, const QVariantList& params = {});
    void close();

    int recordCount() const { return int(rows_.size()); }
    bool eof() const { return current_ >= rows_.size(); }
    void first() { current_ = 0; }
    void next();

    bool hasField(const QString& name) const;
    // The current row's value of a column, by name without regard to case; NULL reads as "".
    QString field(const QString& name) const;
    // Same, read as a decimal integer; a text that is not one raises DbError.
    int intField(const QString& name) const;

    // Edit and post the current row, or append a new one.
    void edit();
    void append();
    void setField(const QString& name, const QVariant& value);
    void post();
    void cancel();

    Connection& connection() { return connection_; }

private:
    struct Row {
        qint64 rowId = 0;
        QStringList values;
    };
    int columnIndex(const QString& name) const;

    Connection& connection_;
    QString table_;
    QStringList columns_;
    QHash<QString, int> columnByName_;
    std::vector<Row> rows_;
    size_t current_ = 0;
    enum class EditState { Browse, Edit, Insert } state_ = EditState::Browse;
    QHash<int, QVariant> pending_;
};

} // namespace vardelo::kb
