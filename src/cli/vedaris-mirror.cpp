// vedaris-mirror: loads one store's six data files into PostgreSQL (schema
// vedaris), only what changed since the last run. Never writes to the data
// folder and takes no lock, so it may run while the program is open.

#include "CommandLine.h"
#include "mirror/Mirror.h"
#include "store/Error.h"
#include "store/Platform.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <cstdio>
#include <exception>
#include <new>

using vedaris::cli::print;

namespace {

const char *const usage =
    "Использование: vedaris-mirror --data ПАПКА --store ИМЯ --to СТРОКА_ПОДКЛЮЧЕНИЯ [--replace]\n"
    "\n"
    "Загружает шесть файлов данных склада в базу PostgreSQL (схема vedaris), строки\n"
    "склада помечаются его именем; в одной базе может быть много складов. Повторный\n"
    "запуск загружает только изменившиеся, новые и вновь удалённые записи; если\n"
    "ничего не изменилось, в базу ничего не пишется. Файлы данных только читаются,\n"
    "без блокировки папки: программа может быть открыта. Пока в папке есть журнал\n"
    "операции (Vedaris.journal) или файлы меняются во время чтения, чтение\n"
    "повторяется несколько раз.\n"
    "\n"
    "Параметры:\n"
    "  --data ПАПКА    папка с файлами данных склада\n"
    "  --store ИМЯ     имя склада в базе, например \"ЦРБ аптека\"\n"
    "  --to СТРОКА     строка подключения libpq, например\n"
    "                  \"host=db.example dbname=vedaris user=mirror\" или\n"
    "                  \"postgresql://mirror@db.example/vedaris\"; пароль — в ~/.pgpass\n"
    "  --replace       склад с этим именем уже загружен из другой папки: заменить его\n"
    "  --help          эта справка\n"
    "\n"
    "Код выхода: 0 загружено (или изменений нет); 2 ошибка — ничего не записано, или\n"
    "в файлах найдены повреждённые записи (они загружены как есть и перечислены).\n";

QString countsLine(const vedaris::mirror::FileCounts &c)
{
    QStringList parts;
    auto add = [&](qint64 n, const char *what) {
        if (n > 0)
            parts << QStringLiteral("%1 %2").arg(QString::fromUtf8(what)).arg(n);
    };
    add(c.added, "новых");
    add(c.changed, "изменённых");
    add(c.deleted, "удалённых");
    add(c.reused, "занятых новой записью");
    add(c.vanished, "исчезнувших за концом файла");
    return QStringLiteral("  %1: записей %2%3")
        .arg(c.file)
        .arg(c.records)
        .arg(parts.isEmpty() ? QStringLiteral(", без изменений")
                             : QStringLiteral("; ") + parts.join(QStringLiteral(", ")));
}

} // namespace

int main(int argc, char **argv)
{
    vedaris::platform::prepareConsole();
    QCoreApplication app(argc, argv);
    namespace cli = vedaris::cli;
    const QString program = QStringLiteral("vedaris-mirror");
    const cli::Parsed cmd = cli::parse(QCoreApplication::arguments(),
                                       {cli::DataOption,
                                        {QStringLiteral("store"), QStringLiteral("ИМЯ")},
                                        {QStringLiteral("to"), QStringLiteral("СТРОКА")},
                                        {QStringLiteral("replace"), QString()}});
    if (!cmd.error.isEmpty())
        return cli::usageError(program, cmd.error);
    if (cmd.help) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (!cmd.positional.isEmpty())
        return cli::usageError(program,
                               QStringLiteral("лишний аргумент %1").arg(cmd.positional.first()));
    vedaris::mirror::Options options;
    options.dataDir = cmd.value(QStringLiteral("data"));
    options.store = cmd.value(QStringLiteral("store"));
    options.conninfo = cmd.value(QStringLiteral("to"));
    options.replace = cmd.has(QStringLiteral("replace"));
    if (options.dataDir.isEmpty() || options.store.trimmed().isEmpty()
        || options.conninfo.isEmpty()) {
        print(
            stderr,
            QStringLiteral(
                "vedaris-mirror: нужны --data ПАПКА, --store ИМЯ и --to СТРОКА_ПОДКЛЮЧЕНИЯ, каждый "
                "один раз и с непустым значением. Справка: vedaris-mirror --help"));
        return 2;
    }
    options.retry.waiting = [](const QString &why) {
        print(stderr, QStringLiteral("vedaris-mirror: %1; повторяю чтение…").arg(why));
    };

    try {
        QElapsedTimer timer;
        timer.start();
        const vedaris::mirror::Outcome out = vedaris::mirror::run(options);
        const QString folder = QDir::toNativeSeparators(QDir(options.dataDir).absolutePath());
        if (!out.wrote) {
            print(stdout,
                  QStringLiteral("Склад «%1» (%2): изменений нет, в базу ничего не записано.")
                      .arg(options.store, folder));
        } else {
            print(stdout,
                  QStringLiteral("Склад «%1» (%2): %3 за %4 с.")
                      .arg(options.store, folder,
                           out.firstLoad ? QStringLiteral("загружен полностью")
                                         : QStringLiteral("загружены изменения"))
                      .arg(double(timer.elapsed()) / 1000.0, 0, 'f', 1));
            for (const auto &c : out.files)
                print(stdout, countsLine(c));
        }
        if (!out.findings.isEmpty()) {
            for (const QString &line : out.findings)
                print(stderr, line);
            print(
                stderr,
                QStringLiteral(
                    "vedaris-mirror: в файлах склада найдено нарушений: %1 (так же их перечисляет "
                    "vedaris-check). Записи загружены как есть; проверьте файлы командой "
                    "vedaris-check --data %2.")
                    .arg(out.findings.size())
                    .arg(folder));
            return 2;
        }
        return 0;
    } catch (const vedaris::Error &e) {
        print(stderr, QStringLiteral("vedaris-mirror: %1").arg(e.message()));
    } catch (const std::bad_alloc &) {
        print(stderr, QStringLiteral("vedaris-mirror: не хватило памяти; ничего не записано."));
    } catch (const std::exception &e) {
        print(stderr, QStringLiteral("vedaris-mirror: %1").arg(QString::fromUtf8(e.what())));
    }
    return 2;
}
