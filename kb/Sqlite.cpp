#include "kb/Sqlite.h"

#include "kb/JetFunctions.h"
#include "kb/SqlQuote.h"

#include <cstring>
#include <sqlite3.h>

namespace vardelo::kb {

namespace {

// Another program may hold the file for a moment (the practice program writes the patient
// parameters): wait for it rather than fail at once.
constexpr int BusyTimeoutMs = 5000;

[[noreturn]] void fail(sqlite3* db, int code)
{
    const char* text = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    throw DbError(code, QString::fromUtf8(text));
}

void check(sqlite3* db, int code)
{
    if (code != SQLITE_OK && code != SQLITE_ROW && code != SQLITE_DONE)
        fail(db, code);
}

} // namespace

DbError::DbError(int code, const QString& message)
    : std::runtime_error(message.toStdString())
    , code_(code)
{}

Connection::Connection(const QString& path, Mode mode)
    : path_(path)
{
    int flags = 0;
    switch (mode) {
    case Mode::ReadOnly:
        flags = SQLITE_OPEN_READONLY;
        break;
    case Mode::ReadWrite:
        flags = SQLITE_OPEN_READWRITE;
        break;
    case Mode::Create:
        flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        break;
    }
    const QByteArray name = path.toUtf8();
    const int rc = sqlite3_open_v2(name.constData(), &db_, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString message =
            db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close(db_);
        db_ = nullptr;
        throw DbError(rc, message);
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, BusyTimeoutMs);
    try {
        registerJetFunctions(db_);
        if (mode != Mode::ReadOnly)
            execScript(QStringLiteral("PRAGMA synchronous = FULL;"));
    } catch (const DbError&) {
        // A file that is not a database fails here: the destructor will not run, close it now.
        sqlite3_close(db_);
        db_ = nullptr;
        throw;
    }
}

Connection::~Connection()
{
    kept_.clear(); // finalized before the connection closes
    sqlite3_close(db_);
}

Statement& Connection::kept(const QString& sql)
{
    auto it = kept_.find(sql);
    if (it == kept_.end())
        it = kept_.emplace(sql, std::make_unique<Statement>(*this, sql)).first;
    it->second->reset();
    return *it->second;
}

void Connection::exec(const QString& sql, const QVariantList& params)
{
    Statement statement(*this, sql);
    statement.bind(params);
    while (statement.step()) {
    }
}

void Connection::execScript(const QString& sql)
{
    char* error = nullptr;
    const int rc = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        const QString message = QString::fromUtf8(error ? error : sqlite3_errstr(rc));
        sqlite3_free(error);
        throw DbError(rc, message);
    }
}

int Connection::changes() const
{
    return sqlite3_changes(db_);
}

Statement::Statement(Connection& connection, const QString& sql)
    : connection_(connection)
{
    // A text that reaches SQLite as UTF-16 never carries an unpaired surrogate (see withPairedSurrogates).
    const QString text = withPairedSurrogates(sql);
    const int rc =
        sqlite3_prepare16_v2(connection.handle(), text.utf16(), int(text.size() * 2), &stmt_, nullptr);
    if (rc != SQLITE_OK)
        fail(connection.handle(), rc);
    if (!stmt_)
        throw DbError(SQLITE_MISUSE, QStringLiteral("Instruction SQL vide"));
}

Statement::~Statement()
{
    sqlite3_finalize(stmt_);
}

void Statement::bind(const QVariantList& params)
{
    for (int i = 0; i < params.size(); ++i)
        bind(i + 1, params[i]);
}

void Statement::bind(int index, const QVariant& value)
{
    int rc = SQLITE_OK;
    if (value.isNull()) {
        rc = sqlite3_bind_null(stmt_, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::Bool:
            rc = sqlite3_bind_int64(stmt_, index, value.toLongLong());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob(stmt_, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QString text = withPairedSurrogates(value.toString());
            rc = sqlite3_bind_text16(stmt_, index, text.utf16(), int(text.size() * 2), SQLITE_TRANSIENT);
            break;
        }
        }
    }
    check(connection_.handle(), rc);
}

bool Statement::step()
{
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    fail(connection_.handle(), rc);
}

void Statement::reset()
{
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int Statement::columnCount() const
{
    return sqlite3_column_count(stmt_);
}

QString Statement::columnName(int column) const
{
    const char* name = sqlite3_column_name(stmt_, column);
    return name ? QString::fromUtf8(name) : QString();
}

QString Statement::text(int column) const
{
    const void* data = sqlite3_column_text16(stmt_, column);
    if (!data)
        return QString();
    const int bytes = sqlite3_column_bytes16(stmt_, column);
    // Copied byte for byte: SQLite's UTF-16 text is not always at an even address.
    QString out(bytes / 2, Qt::Uninitialized);
    std::memcpy(out.data(), data, size_t(bytes / 2) * sizeof(QChar));
    return out;
}

qint64 Statement::integer(int column) const
{
    return sqlite3_column_int64(stmt_, column);
}

QByteArrayView Statement::blobView(int column) const
{
    const void* data = sqlite3_column_blob(stmt_, column);
    const int bytes = sqlite3_column_bytes(stmt_, column);
    return data ? QByteArrayView(static_cast<const char*>(data), bytes) : QByteArrayView();
}

QByteArray Statement::blob(int column) const
{
    const void* data = sqlite3_column_blob(stmt_, column);
    const int bytes = sqlite3_column_bytes(stmt_, column);
    return data ? QByteArray(static_cast<const char*>(data), bytes) : QByteArray();
}

bool Statement::isNull(int column) const
{
    return sqlite3_column_type(stmt_, column) == SQLITE_NULL;
}

Transaction::Transaction(Connection& connection)
    : connection_(connection)
{
    connection_.execScript(QStringLiteral("BEGIN IMMEDIATE"));
}

Transaction::~Transaction()
{
    if (open_) {
        try {
            connection_.execScript(QStringLiteral("ROLLBACK"));
        } catch (const DbError&) {
            // The rollback of a failed transaction has nothing left to report.
        }
    }
}

void Transaction::commit()
{
    connection_.execScript(QStringLiteral("COMMIT"));
    open_ = false;
}

} // namespace vardelo::kb
