#include "Pg.h"

#include "store/Error.h"

#include <QRegularExpression>
#include <libpq-fe.h>
#include <vector>

#include <cstdlib>

namespace vedaris::pg {

namespace {

QString serverText(const char *message)
{
    return QString::fromUtf8(message).trimmed();
}

// Why a connection failed, told in Russian before the server's own words.
QString connectionFailure(const QString &conninfo, const QString &detail)
{
    const QString lower = detail.toLower();
    QString why;
    if (lower.contains(QLatin1String("password authentication failed"))
        || lower.contains(QLatin1String("no password supplied"))
        || lower.contains(QLatin1String("authentication failed"))
        || lower.contains(QLatin1String("role \""))
        || lower.contains(QLatin1String("no pg_hba.conf entry")))
        why = QStringLiteral("сервер не принял имя пользователя или пароль");
    else if (lower.contains(QLatin1String("database \""))
             && lower.contains(QLatin1String("does not exist")))
        why = QStringLiteral("на сервере нет такой базы данных");
    else if (lower.contains(QLatin1String("invalid connection option"))
             || lower.contains(QLatin1String("missing \"=\""))
             || lower.contains(QLatin1String("invalid uri")))
        why = QStringLiteral("строка подключения записана неверно");
    else
        why = QStringLiteral("сервер недоступен (не запущен, неверный адрес или порт, сеть)");
    return QStringLiteral(
               "Не удалось подключиться к серверу PostgreSQL («%1»): %2.\nСообщение сервера: %3")
        .arg(conninfo, why, detail);
}

// The connection string without a password, for messages.
QString shown(const QString &conninfo)
{
    QString out = conninfo;
    static const QRegularExpression password(QStringLiteral("(password\\s*=\\s*)('[^']*'|\\S+)"),
                                             QRegularExpression::CaseInsensitiveOption);
    out.replace(password, QStringLiteral("\\1***"));
    static const QRegularExpression uriPassword(QStringLiteral("(://[^:/@]*:)[^@]*@"));
    out.replace(uriPassword, QStringLiteral("\\1***@"));
    return out;
}

// Takes every result a finished COPY leaves on the connection; a failure's
// words, in `during` ("загрузке", "чтении"), once all are taken.
void finishCopy(pg_conn *c, const char *during)
{
    bool failed = false;
    QString detail;
    while (pg_result *r = PQgetResult(c)) {
        if (PQresultStatus(r) != PGRES_COMMAND_OK) {
            failed = true;
            detail = serverText(PQresultErrorMessage(r));
        }
        PQclear(r);
    }
    if (failed)
        throw Error({},
                    QStringLiteral("Ошибка базы данных PostgreSQL при %1 (COPY): %2")
                        .arg(QString::fromUtf8(during), detail));
}

} // namespace

Result::Result(pg_result *r) : m_r(r) { }
Result::~Result()
{
    if (m_r)
        PQclear(m_r);
}
Result::Result(Result &&other) noexcept : m_r(other.m_r)
{
    other.m_r = nullptr;
}
int Result::rows() const
{
    return PQntuples(m_r);
}
int Result::columns() const
{
    return PQnfields(m_r);
}
bool Result::isNull(int row, int col) const
{
    return PQgetisnull(m_r, row, col) != 0;
}
QString Result::text(int row, int col) const
{
    if (isNull(row, col))
        return {};
    return QString::fromUtf8(PQgetvalue(m_r, row, col), PQgetlength(m_r, row, col));
}
double Result::number(int row, int col) const
{
    return std::strtod(PQgetvalue(m_r, row, col), nullptr);
}
qint64 Result::integer(int row, int col) const
{
    return std::strtoll(PQgetvalue(m_r, row, col), nullptr, 10);
}

Connection::Connection(const QString &conninfo)
{
    m_c = PQconnectdb(conninfo.toUtf8().constData());
    if (!m_c)
        throw Error({},
                    QStringLiteral("Не удалось подключиться к серверу PostgreSQL: нет памяти."));
    if (PQstatus(m_c) != CONNECTION_OK) {
        const QString detail = serverText(PQerrorMessage(m_c));
        PQfinish(m_c);
        m_c = nullptr;
        throw Error({}, connectionFailure(shown(conninfo), detail));
    }
    PQsetClientEncoding(m_c, "UTF8");
    exec(QStringLiteral("SET extra_float_digits = 3"));
    exec(QStringLiteral("SET datestyle = 'ISO, YMD'"));
    exec(QStringLiteral("SET client_min_messages = warning"));
}

Connection::~Connection()
{
    if (m_c)
        PQfinish(m_c);
}

void Connection::fail(const QString &what) const
{
    throw Error({},
                QStringLiteral("Ошибка базы данных PostgreSQL (%1): %2")
                    .arg(what, serverText(PQerrorMessage(m_c))));
}

Result Connection::exec(const QString &sql, const QStringList &params)
{
    const QByteArray query = sql.toUtf8();
    std::vector<QByteArray> values;
    std::vector<const char *> pointers;
    values.reserve(size_t(params.size()));
    for (const QString &p : params) {
        values.push_back(p.toUtf8());
        pointers.push_back(p.isNull() ? nullptr : values.back().constData());
    }
    Result r(PQexecParams(m_c, query.constData(), int(pointers.size()), nullptr, pointers.data(),
                          nullptr, nullptr, 0));
    pg_result *raw = r.raw();
    const ExecStatusType status = raw ? PQresultStatus(raw) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        const QString detail =
            raw ? serverText(PQresultErrorMessage(raw)) : serverText(PQerrorMessage(m_c));
        throw Error({},
                    QStringLiteral("Ошибка базы данных PostgreSQL: %1\nЗапрос: %2")
                        .arg(detail, sql.simplified().left(200)));
    }
    return r;
}

void Connection::script(const QString &sql)
{
    Result r(PQexec(m_c, sql.toUtf8().constData()));
    const ExecStatusType status = r.raw() ? PQresultStatus(r.raw()) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        fail(QStringLiteral("схема"));
}

void Connection::copyIn(const QString &copySql, const std::function<bool(QByteArray &)> &produce)
{
    Result start(PQexec(m_c, copySql.toUtf8().constData()));
    pg_result *raw = start.raw();
    if (!raw || PQresultStatus(raw) != PGRES_COPY_IN)
        fail(QStringLiteral("COPY"));
    QByteArray buffer;
    constexpr int Chunk = 1 << 20;
    buffer.reserve(Chunk + 65536);
    bool more = true;
    while (more) {
        more = produce(buffer);
        if (buffer.size() >= Chunk || (!more && !buffer.isEmpty())) {
            if (PQputCopyData(m_c, buffer.constData(), int(buffer.size())) != 1)
                fail(QStringLiteral("COPY"));
            buffer.clear();
        }
    }
    if (PQputCopyEnd(m_c, nullptr) != 1)
        fail(QStringLiteral("COPY"));
    finishCopy(m_c, "загрузке");
}

void Connection::copyOut(const QString &copySql, const std::function<void(const char *, int)> &line)
{
    Result start(PQexec(m_c, copySql.toUtf8().constData()));
    pg_result *raw = start.raw();
    if (!raw || PQresultStatus(raw) != PGRES_COPY_OUT)
        fail(QStringLiteral("COPY"));
    char *buffer = nullptr;
    int n = 0;
    while ((n = PQgetCopyData(m_c, &buffer, 0)) > 0) {
        int length = n;
        if (length > 0 && buffer[length - 1] == '\n')
            --length;
        line(buffer, length);
        PQfreemem(buffer);
    }
    if (n == -2)
        fail(QStringLiteral("COPY"));
    finishCopy(m_c, "чтении");
}

QString Connection::literal(const QString &text) const
{
    const QByteArray utf8 = text.toUtf8();
    char *quoted = PQescapeLiteral(m_c, utf8.constData(), size_t(utf8.size()));
    if (!quoted)
        fail(QStringLiteral("escape"));
    QString out = QString::fromUtf8(quoted);
    PQfreemem(quoted);
    return out;
}

void appendCopyText(QByteArray &out, QByteArrayView utf8)
{
    for (char c : utf8) {
        switch (c) {
        case '\\':
            out.append("\\\\", 2);
            break;
        case '\t':
            out.append("\\t", 2);
            break;
        case '\n':
            out.append("\\n", 2);
            break;
        case '\r':
            out.append("\\r", 2);
            break;
        default:
            out.append(c);
        }
    }
}

} // namespace vedaris::pg
