#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

struct pg_conn;
struct pg_result;

// A thin layer over libpq: one connection, statements, COPY in and out. Every
// failure throws vedaris::Error with a Russian reason and the server's own text.
namespace vedaris::pg {

class Result
{
public:
    explicit Result(pg_result *r);
    ~Result();
    Result(Result &&other) noexcept;
    Result &operator=(Result &&) = delete;

    int rows() const;
    int columns() const;
    bool isNull(int row, int col) const;
    QString text(int row, int col) const;
    double number(int row, int col) const;
    qint64 integer(int row, int col) const;
    pg_result *raw() const { return m_r; }

private:
    pg_result *m_r;
};

class Connection
{
public:
    // Connects with a libpq connection string; the session speaks UTF-8 and
    // prints doubles exactly.
    explicit Connection(const QString &conninfo);
    ~Connection();
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Statements with $1.. parameters passed as texts (a null QString is NULL).
    Result exec(const QString &sql, const QStringList &params = {});
    // Several statements without parameters at once.
    void script(const QString &sql);
    // COPY ... FROM STDIN: `produce(buffer)` appends lines to the buffer and
    // returns false when done; the buffer is sent whenever it grows large.
    void copyIn(const QString &copySql, const std::function<bool(QByteArray &buffer)> &produce);
    // COPY ... TO STDOUT: `line` sees each line without its newline.
    void copyOut(const QString &copySql,
                 const std::function<void(const char *line, int length)> &line);
    QString literal(const QString &text) const; // quoted and escaped for SQL text

private:
    [[noreturn]] void fail(const QString &what) const;
    pg_conn *m_c = nullptr;
};

// A text as COPY's text format takes it: backslash, tab, newline and carriage
// return escaped.
void appendCopyText(QByteArray &out, QByteArrayView utf8);

} // namespace vedaris::pg
