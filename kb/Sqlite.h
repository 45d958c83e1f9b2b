#pragma once
// A small RAII layer over the SQLite C API: one place where every return code is checked.

#include <QByteArrayView>
#include <QString>
#include <QVariant>
#include <map>
#include <memory>
#include <stdexcept>

struct sqlite3;
struct sqlite3_stmt;

namespace vardelo::kb {

class Statement;

// Every database failure surfaces as this one type, with SQLite's code and message.
class DbError : public std::runtime_error {
public:
    DbError(int code, const QString& message);
    int code() const { return code_; }
    QString message() const { return QString::fromUtf8(what()); }

private:
    int code_;
};

class Connection {
public:
    enum class Mode { ReadWrite, ReadOnly, Create };

    // Opens the file (never creates it unless Mode::Create) and registers the Jet functions.
    Connection(const QString& path, Mode mode);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* handle() const { return db_; }
    QString path() const { return path_; }

    // Runs one statement with bound parameters (QVariant null binds NULL).
    void exec(const QString& sql, const QVariantList& params = {});
    // Runs a script of several statements without parameters (schema creation).
    void execScript(const QString& sql);
    int changes() const;
    // A statement prepared once and kept with the connection, reset: for the small queries made
    // before every search, whose preparing would read the schema again after each write. Reset it
    // again once read, so that it holds no read lock between uses.
    Statement& kept(const QString& sql);

private:
    sqlite3* db_ = nullptr;
    QString path_;
    std::map<QString, std::unique_ptr<Statement>> kept_;
};

class Statement {
public:
    Statement(Connection& connection, const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    sqlite3_stmt* handle() const { return stmt_; }
    void bind(const QVariantList& params);
    void bind(int index, const QVariant& value); // 1-based, as SQLite counts
    // Advances to the next row; false at the end.
    bool step();
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    // NULL reads as the empty text.
    QString text(int column) const;
    qint64 integer(int column) const;
    QByteArray blob(int column) const;
    // The same without a copy: valid until the statement moves on or is reset.
    QByteArrayView blobView(int column) const;
    bool isNull(int column) const;

private:
    Connection& connection_;
    sqlite3_stmt* stmt_ = nullptr;
};

// Rolls back unless committed: a failure half-way never leaves half the change in the file.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    Connection& connection_;
    bool open_ = true;
};

} // namespace vardelo::kb
