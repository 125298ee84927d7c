#include "Startup.h"

#include "TFormGl.h"
#include "store/DataFiles.h"
#include "store/Error.h"
#include "store/History.h"
#include "store/Journal.h"
#include "store/WriteGate.h"
#include "widgets/Messages.h"

#include <QDir>
#include <QFileInfo>

namespace vedaris {

Session::Session(const QString &dataDir) : lock(dataDir), m_dir(dataDir) { }

Session::~Session()
{
    backup.reset(); // before the windows it shows its progress on
    writes::reset(m_dir);
}

std::unique_ptr<Session> startUp(const QString &dataDir)
{
    auto session = std::make_unique<Session>(dataDir);
    QString viewOnly; // why the folder may not be written
    switch (session->lock.take()) {
    case DataLock::State::Busy:
        Messages::info(nullptr, DataLock::busyMessage());
        return nullptr;
    case DataLock::State::Failed:
        viewOnly = session->lock.errorText();
        break;
    case DataLock::State::Taken:
        break;
    }
    if (viewOnly.isEmpty())
        viewOnly = files::notPlainFile(dataDir);
    QString undone;
    if (viewOnly.isEmpty()) {
        try {
            undone = journal::recover(dataDir);
        } catch (const Error &e) {
            // A journal that does not fit the files says itself what to do.
            viewOnly = QFileInfo(e.file()).fileName() == Transaction::FileName
                    && e.reason().startsWith(QStringLiteral("журнал"))
                ? e.reason()
                : QStringLiteral("не удалось отменить незавершённую операцию. %1").arg(e.message());
        }
    }
    QString historyCut; // a damaged end of the history, cut off
    if (viewOnly.isEmpty()) {
        try {
            historyCut = history::repairTail(dataDir);
        } catch (const Error &e) {
            historyCut = e.message();
        }
    }
    if (!viewOnly.isEmpty())
        writes::forbid(dataDir, viewOnly);

    session->forms = std::make_unique<Forms>(dataDir);
    TFormGl *main = session->forms->FormGl;
    if (!viewOnly.isEmpty())
        main->setViewOnly();
    main->show();
    if (!undone.isEmpty())
        Messages::info(
            main,
            undone
                + QStringLiteral("\nФайлы данных возвращены к состоянию до начала этой операции."));
    if (!historyCut.isEmpty())
        Messages::error(main, historyCut);
    if (!viewOnly.isEmpty()) {
        Messages::error(
            main,
            QStringLiteral(
                "Программа открыта только для просмотра: в папку данных \"%1\" "
                "ничего не будет записано, потому что %2.\nПриход, расход, "
                "списание, правка и удаление записей и изменение справочников отключены; "
                "списки, просмотр записей и отчёты работают.")
                .arg(QDir::toNativeSeparators(QDir(dataDir).absolutePath()), viewOnly));
        return session;
    }
    session->backup = std::make_unique<DailyBackup>(dataDir, main, main->statusLine());
    writes::setHook(
        dataDir, [dataDir, main, lock = &session->lock, backup = session->backup.get()] {
            if (!lock->stillHeld()) {
                const QString lost = lock->lostText();
                writes::forbid(dataDir, QStringLiteral("файл блокировки удалён или заменён"));
                main->setViewOnly();
                throw Error(QString(), lost);
            }
            backup->beforeWrite();
        });
    session->backup->atStartUp();
    return session;
}

} // namespace vedaris
