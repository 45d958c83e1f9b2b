#include "kb/Query.h"

#include <QRegularExpression>
#include <sqlite3.h>

namespace vardelo::kb {

namespace {

const QString RowIdColumn = QStringLiteral("vardelo_rowid");

// "select * from <table> ..." names the one table whose rows can be edited.
QString editableTable(const QString& sql)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^\s*select\s+\*\s+from\s+([A-Za-z_][A-Za-z0-9_]*)\b)"),
        QRegularExpression::CaseInsensitiveOption);
    const auto match = pattern.match(sql);
    return match.hasMatch() ? match.captured(1) : QString();
}

} // namespace

Query::Query(Connection& connection)
    : connection_(connection)
{}

void Query::close()
{
    table_.clear();
    columns_.clear();
    columnByName_.clear();
    rows_.clear();
    current_ = 0;
    state_ = EditState::Browse;
    pending_.clear();
}

void Query::open(const QString& sql, const QVariantList& params)
{
    close();
    const QString table = editableTable(sql);
    QString text = sql;
    if (!table.isEmpty()) {
        // Keep the row identity beside the selected columns so that edit and post find the row.
        static const QRegularExpression star(QStringLiteral(R"(^\s*select\s+\*)"),
                                             QRegularExpression::CaseInsensitiveOption);
        text.replace(star, QStringLiteral("select _rowid_ as %1, *").arg(RowIdColumn));
    }
    Statement statement(connection_, text);
    statement.bind(params);
    const int offset = table.isEmpty() ? 0 : 1;
    const int count = statement.columnCount();
    for (int c = offset; c < count; ++c) {
        const QString name = statement.columnName(c);
        columns_.append(name);
        columnByName_.insert(name.toLower(), c - offset);
    }
    while (statement.step()) {
        Row row;
        if (offset)
            row.rowId = statement.integer(0);
        row.values.reserve(count - offset);
        for (int c = offset; c < count; ++c)
            row.values.append(statement.text(c));
        rows_.push_back(std::move(row));
    }
    table_ = table;
}

void Query::execSql(const QString& sql, const QVariantList& params)
{
    close();
    connection_.exec(sql, params);
}

void Query::next()
{
    if (current_ < rows_.size())
        ++current_;
}

int Query::columnIndex(const QString& name) const
{
    const auto it = columnByName_.constFind(name.toLower());
    if (it == columnByName_.constEnd())
        throw DbError(SQLITE_ERROR, QStringLiteral("Colonne inconnue : %1").arg(name));
    return it.value();
}

bool Query::hasField(const QString& name) const
{
    return columnByName_.contains(name.toLower());
}

QString Query::field(const QString& name) const
{
    const int column = columnIndex(name);
    if (state_ != EditState::Browse && pending_.contains(column))
        return pending_.value(column).toString();
    if (state_ == EditState::Insert || eof())
        return QString();
    return rows_[current_].values[column];
}

int Query::intField(const QString& name) const
{
    const QString text = field(name).trimmed();
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok)
        throw DbError(SQLITE_MISMATCH,
                      QStringLiteral("Valeur non entière dans la colonne %1 : « %2 »").arg(name, text));
    return value;
}

void Query::edit()
{
    if (table_.isEmpty() || eof())
        throw DbError(SQLITE_MISUSE, QStringLiteral("Aucune ligne courante à modifier"));
    state_ = EditState::Edit;
    pending_.clear();
}

void Query::append()
{
    if (table_.isEmpty())
        throw DbError(SQLITE_MISUSE, QStringLiteral("Cette requête ne permet pas d'ajouter une ligne"));
    state_ = EditState::Insert;
    pending_.clear();
}

void Query::setField(const QString& name, const QVariant& value)
{
    if (state_ == EditState::Browse)
        throw DbError(SQLITE_MISUSE, QStringLiteral("La ligne n'est pas en cours de modification"));
    pending_.insert(columnIndex(name), value);
}

void Query::cancel()
{
    state_ = EditState::Browse;
    pending_.clear();
}

void Query::post()
{
    if (state_ == EditState::Browse)
        return;
    QStringList names;
    QVariantList values;
    for (auto it = pending_.constBegin(); it != pending_.constEnd(); ++it) {
        names.append(columns_[it.key()]);
        values.append(it.value());
    }
    if (state_ == EditState::Edit) {
        if (!names.isEmpty()) {
            QStringList assignments;
            for (const QString& name : std::as_const(names))
                assignments.append(name + QStringLiteral(" = ?"));
            values.append(rows_[current_].rowId);
            connection_.exec(
                QStringLiteral("update %1 set %2 where _rowid_ = ?").arg(table_, assignments.join(u", ")),
                values);
            for (auto it = pending_.constBegin(); it != pending_.constEnd(); ++it)
                rows_[current_].values[it.key()] = it.value().toString();
        }
    } else {
        QString sql;
        if (names.isEmpty()) {
            sql = QStringLiteral("insert into %1 default values").arg(table_);
        } else {
            QStringList marks;
            for (qsizetype i = 0; i < names.size(); ++i)
                marks.append(QStringLiteral("?"));
            sql = QStringLiteral("insert into %1 (%2) values (%3)")
                      .arg(table_, names.join(u", "), marks.join(u", "));
        }
        connection_.exec(sql, values);
        Row row;
        row.rowId = sqlite3_last_insert_rowid(connection_.handle());
        for (qsizetype c = 0; c < columns_.size(); ++c)
            row.values.append(pending_.value(int(c)).toString());
        rows_.push_back(std::move(row));
        current_ = rows_.size() - 1;
    }
    state_ = EditState::Browse;
    pending_.clear();
}

} // namespace vardelo::kb
