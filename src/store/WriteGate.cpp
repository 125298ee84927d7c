#include "WriteGate.h"

#include "Error.h"

#include <QDir>
#include <QHash>

namespace vedaris::writes {

namespace {

struct Gate
{
    QString forbidden; // the reason, when it is shut
    std::function<void()> hook;
};

QHash<QString, Gate> &gates()
{
    static QHash<QString, Gate> all;
    return all;
}

QString key(const QString &dataDir)
{
    return QDir::cleanPath(QDir(dataDir).absolutePath());
}

} // namespace

void enter(const QString &dataDir)
{
    const auto it = gates().constFind(key(dataDir));
    if (it == gates().cend())
        return;
    if (!it->forbidden.isEmpty())
        throw Error(QString(),
                    QStringLiteral("Данные открыты только для просмотра: %1.").arg(it->forbidden));
    // A copy: the hook may change the gates.
    if (const std::function<void()> hook = it->hook)
        hook();
}

bool allowed(const QString &dataDir)
{
    return gates().value(key(dataDir)).forbidden.isEmpty();
}

void forbid(const QString &dataDir, const QString &reason)
{
    gates()[key(dataDir)].forbidden = reason;
}

void setHook(const QString &dataDir, std::function<void()> hook)
{
    gates()[key(dataDir)].hook = std::move(hook);
}

void reset(const QString &dataDir)
{
    gates().remove(key(dataDir));
}

} // namespace vedaris::writes
