#pragma once

#include <QString>
#include <QTemporaryDir>

// A private PostgreSQL server for one test program: initdb into a temporary
// folder, listening only on a Unix socket there, password login, stopped and
// wiped when the program ends. Run as `nobody` when the tests run as root (the
// server refuses root). No test touches any other server.
class PgServer
{
public:
    // The program's server, started on first use. Throws std::runtime_error
    // when it cannot be started.
    static PgServer &shared();

    // A server of its own; `durable` keeps the server's syncs (the benchmark),
    // otherwise they are off, as the tests need no crash safety.
    explicit PgServer(bool durable = false);
    ~PgServer();
    PgServer(const PgServer &) = delete;
    PgServer &operator=(const PgServer &) = delete;

    // A fresh, empty database of its own.
    QString newDatabase();
    QString conninfo(const QString &database,
                     const QString &password = QStringLiteral("secret")) const;
    QString socketDir() const { return m_dir.path(); }

    static inline const QString User = QStringLiteral("vedaris");

private:
    QString run(const QString &program, const QStringList &args) const;

    QTemporaryDir m_dir;
    QString m_bin;
    bool m_asNobody = false;
    bool m_started = false;
    int m_databases = 0;
};
