#include "PgServer.h"

#include "mirror/Pg.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QVersionNumber>
#include <pwd.h>
#include <stdexcept>
#include <unistd.h>

namespace {

// The newest server installed the Debian way.
QString serverBin()
{
    QDir root(QStringLiteral("/usr/lib/postgresql"));
    QString best;
    QVersionNumber bestVersion;
    for (const QString &v : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QVersionNumber n = QVersionNumber::fromString(v);
        if (QFile::exists(root.filePath(v + QStringLiteral("/bin/pg_ctl"))) && n > bestVersion) {
            bestVersion = n;
            best = root.filePath(v + QStringLiteral("/bin"));
        }
    }
    if (best.isEmpty())
        throw std::runtime_error(
            "no PostgreSQL server in /usr/lib/postgresql/*/bin (scripts/install-deps installs it)");
    return best;
}

} // namespace

PgServer &PgServer::shared()
{
    static PgServer server;
    return server;
}

PgServer::PgServer(bool durable) : m_bin(serverBin())
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot create a temporary folder for the server");
    m_asNobody = ::geteuid() == 0;
    if (m_asNobody) {
        const passwd *nobody = ::getpwnam("nobody");
        if (!nobody
            || ::chown(QFile::encodeName(m_dir.path()).constData(), nobody->pw_uid, nobody->pw_gid)
                != 0)
            throw std::runtime_error("cannot hand the server's folder to the user nobody");
    }
    const QString pwfile = m_dir.filePath(QStringLiteral("pw"));
    {
        QFile f(pwfile);
        if (!f.open(QIODevice::WriteOnly) || f.write("secret\n") != 7)
            throw std::runtime_error("cannot write the password file");
    }
    if (m_asNobody) {
        const passwd *nobody = ::getpwnam("nobody");
        if (::chown(QFile::encodeName(pwfile).constData(), nobody->pw_uid, nobody->pw_gid) != 0)
            throw std::runtime_error("cannot hand the password file to nobody");
    }
    const QString data = m_dir.filePath(QStringLiteral("data"));
    run(m_bin + QStringLiteral("/initdb"),
        {QStringLiteral("-D"), data, QStringLiteral("-U"), User,
         QStringLiteral("--pwfile=") + pwfile, QStringLiteral("--auth=scram-sha-256"),
         QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C"),
         QStringLiteral("--no-sync")});
    run(m_bin + QStringLiteral("/pg_ctl"),
        {QStringLiteral("-D"), data, QStringLiteral("-l"),
         m_dir.filePath(QStringLiteral("server.log")), QStringLiteral("-w"), QStringLiteral("-o"),
         QStringLiteral("-c listen_addresses='' -c unix_socket_directories='%1'%2")
             .arg(m_dir.path(),
                  durable ? QString()
                          : QStringLiteral(
                              " -c fsync=off -c synchronous_commit=off -c full_page_writes=off")),
         QStringLiteral("start")});
    m_started = true;
}

PgServer::~PgServer()
{
    if (!m_started)
        return;
    try {
        run(m_bin + QStringLiteral("/pg_ctl"),
            {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-m"),
             QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")});
    } catch (const std::exception &) {
        // The folder goes anyway; the server then finds its data gone and ends.
    }
}

QString PgServer::run(const QString &program, const QStringList &args) const
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setWorkingDirectory(m_dir.path());
    if (m_asNobody)
        p.start(QStringLiteral("runuser"),
                QStringList{QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"),
                            program}
                    + args);
    else
        p.start(program, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        const QByteArray out = p.readAll();
        QFile log(m_dir.filePath(QStringLiteral("server.log")));
        const QByteArray logText = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
        throw std::runtime_error(
            ("server command failed: " + program + " " + args.join(' ') + "\n").toStdString()
            + out.toStdString() + logText.toStdString());
    }
    return QString::fromUtf8(p.readAll());
}

QString PgServer::newDatabase()
{
    const QString name = QStringLiteral("t%1").arg(++m_databases);
    vedaris::pg::Connection db(conninfo(QStringLiteral("postgres")));
    db.exec(QStringLiteral("CREATE DATABASE %1").arg(name));
    return name;
}

QString PgServer::conninfo(const QString &database, const QString &password) const
{
    return QStringLiteral("host=%1 dbname=%2 user=%3 password=%4")
        .arg(m_dir.path(), database, User, password);
}
