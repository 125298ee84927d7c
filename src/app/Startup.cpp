#include "Startup.h"

#include "TFormGl.h"
#include "store/Backup.h"
#include "widgets/Messages.h"

namespace vedaris {

std::unique_ptr<Session> startUp(const QString &dataDir)
{
    auto session = std::make_unique<Session>(dataDir);
    switch (session->lock.take()) {
    case DataLock::State::Busy:
        Messages::info(nullptr, DataLock::busyMessage());
        return nullptr;
    case DataLock::State::Failed:
        // Without a lock file the folder is likely read-only; the data can
        // still be looked at.
        Messages::error(nullptr, session->lock.errorText());
        break;
    case DataLock::State::Taken:
        break;
    }
    session->forms = std::make_unique<Forms>(dataDir);
    const QString backupFailure = backup::makeDaily(dataDir);
    session->forms->FormGl->show();
    if (!backupFailure.isEmpty())
        Messages::error(session->forms->FormGl, backupFailure);
    return session;
}

} // namespace vedaris
