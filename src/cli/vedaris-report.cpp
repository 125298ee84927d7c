// vedaris-report: one report of a data folder written as an .xlsx workbook,
// without a window. Only reads the data files.

#include "CommandLine.h"
#include "reports/ConsolidatedReport.h"
#include "reports/Reports.h"
#include "store/Clock.h"
#include "store/DataFolder.h"
#include "store/Error.h"
#include "store/Platform.h"
#include "store/TextFormats.h"

#include <QCoreApplication>
#include <QMap>
#include <QSet>
#include <cstdio>
#include <exception>
#include <new>

#ifdef VEDARIS_WITH_MIRROR
#include "mirror/Mirror.h"
#endif

using namespace vedaris;
using namespace vedaris::reports;
using vedaris::cli::print;

namespace {

enum Exit { Written = 0, NothingToReport = 1, Failure = 2 };

const char *const usage =
    "Использование: vedaris-report [--data ПАПКА] --output ФАЙЛ.xlsx ОТЧЁТ [ПАРАМЕТРЫ]\n"
    "\n"
    "Записывает один отчёт по папке данных в книгу .xlsx. Файлы данных только\n"
    "читаются, никогда не создаются и не меняются.\n"
    "\n"
    "Отчёты и их параметры:\n"
    "  expired --date Д                                  просроченные к дате Д\n"
    "  stock [--date Д]                                  наличие (Д только в заголовке, по "
    "умолчанию сегодня)\n"
    "  consumption --start Д --finish Д                  расход за период по партиям\n"
    "  purchases --start Д --finish Д                    приход за период\n"
    "  department --start Д --finish Д --department ИМЯ  расход за период в одно отделение\n"
    "  departments --start Д --finish Д                  расход за период по отделениям\n"
    "  movement --start Д --finish Д                     остатки, приход и расход по препаратам\n"
    "  issue-dates --start Д --finish Д                  каждая выдача за период с её датой\n"
    "  inventory --date Д [--blind]                      инвентаризационная опись (ф. 0504087): "
    "количество\n"
    "                                                    по данным учёта на конец дня Д; --blind "
    "оставляет\n"
    "                                                    графы учёта пустыми\n"
    "  write-off-act --start Д --finish Д                акт о списании (ф. 0504230) по причинам\n"
    "  requisition --department ИМЯ --start Д --finish Д\n"
    "                                                    требование-накладная (ф. 0504204): выдачи "
    "в одно\n"
    "                                                    отделение\n"
    "  deletions --start Д --finish Д                    партии, удалённые за период, с их "
    "выдачами\n"
    "                                                    (по журналу операций Vedaris.history)\n"
    "  consolidated --from СТРОКА --date Д               все склады, отражённые в PostgreSQL "
    "(vedaris-mirror):\n"
    "                                                    стоимость запасов, просроченные к Д, "
    "истекающие\n"
    "                                                    за 90 дней, расход за месяц Д, по складам "
    "и всего\n"
    "\n"
    "Параметры:\n"
    "  --data ПАПКА     папка файлов данных; без неё папка из VEDARIS_DATA, иначе\n"
    "                   папка программы, если в неё можно писать, иначе папка данных\n"
    "                   пользователя\n"
    "  --output ФАЙЛ    книга, которую записать\n"
    "  --from СТРОКА    строка подключения libpq к базе зеркала (только consolidated)\n"
    "  --help           эта справка\n"
    "\n"
    "Д: дд.мм.гггг или гггг-мм-дд. ИМЯ сравнивается точно, с учётом регистра.\n"
    "Код выхода: 0 книга записана; 1 отчёт пуст (файла нет);\n"
    "2 неверный вызов или сбой (файла нет).\n";

struct ReportSyntax
{
    ReportKind kind;
    QSet<QString> required;
    QSet<QString> optional;
};

const QMap<QString, ReportSyntax> &reportSyntaxes()
{
    static const QSet<QString> period{"start", "finish"};
    static const QMap<QString, ReportSyntax> syntaxes{
        {"expired", {ReportKind::Expired, {"date"}, {}}},
        {"stock", {ReportKind::Stock, {}, {"date"}}},
        {"consumption", {ReportKind::Consumption, period, {}}},
        {"purchases", {ReportKind::Purchases, period, {}}},
        {"department", {ReportKind::Department, {"start", "finish", "department"}, {}}},
        {"departments", {ReportKind::Departments, period, {}}},
        {"movement", {ReportKind::Movement, period, {}}},
        {"issue-dates", {ReportKind::IssueDates, period, {}}},
        {"inventory", {ReportKind::Inventory, {"date"}, {"blind"}}},
        {"write-off-act", {ReportKind::WriteOffAct, period, {}}},
        {"requisition", {ReportKind::Requisition, {"start", "finish", "department"}, {}}},
        {"deletions", {ReportKind::Deletions, period, {}}},
    };
    return syntaxes;
}

struct UsageError
{
    QString message;
};

struct Command
{
    bool help = false;
    QString dataDir;
    QString output;
    ReportKind kind = ReportKind::Stock;
    ReportParams params;
    QString from; // consolidated: the mirror's database
};

QDate parseDay(const QString &option, const QString &value)
{
    const QDate date = text::parseDate(value);
    if (!date.isValid())
        throw UsageError{
            QStringLiteral("--%1: «%2» — не дата (дд.мм.гггг или гггг-мм-дд)").arg(option, value)};
    return date;
}

Command parse(const QStringList &args)
{
    const auto value = [](const char *name, const char *valueName) {
        return cli::Option{QString::fromLatin1(name), QString::fromUtf8(valueName)};
    };
    const cli::Parsed given =
        cli::parse(args,
                   {cli::DataOption, value("output", "ФАЙЛ"), value("date", "Д"),
                    value("start", "Д"), value("finish", "Д"), value("department", "ИМЯ"),
                    value("from", "СТРОКА"), cli::Option{QStringLiteral("blind"), QString()}});
    if (!given.error.isEmpty())
        throw UsageError{given.error};
    Command cmd;
    if (given.help) {
        cmd.help = true;
        return cmd;
    }
    QMap<QString, QString> options = given.values;
    const QStringList &positional = given.positional;

    if (positional.size() != 1)
        throw UsageError{
            positional.isEmpty()
                ? QStringLiteral("не указан отчёт")
                : QStringLiteral("отчёт строится по одному: %1").arg(positional.join(' '))};
    if (positional[0] == QLatin1String("consolidated")) {
        if (!options.contains("output") || options.value("output").isEmpty())
            throw UsageError{QStringLiteral("нужен --output ФАЙЛ.xlsx")};
        if (options.value("from").isEmpty())
            throw UsageError{QStringLiteral("отчёту consolidated нужен --from СТРОКА")};
        if (!options.contains("date"))
            throw UsageError{QStringLiteral("отчёту consolidated нужен --date")};
        for (auto it = options.cbegin(); it != options.cend(); ++it)
            if (it.key() != QLatin1String("output") && it.key() != QLatin1String("from")
                && it.key() != QLatin1String("date"))
                throw UsageError{
                    QStringLiteral("отчёт consolidated не принимает --%1").arg(it.key())};
        cmd.output = options.value("output");
        cmd.from = options.value("from");
        cmd.params.date = parseDay("date", options.value("date"));
        return cmd;
    }
    if (options.contains("from"))
        throw UsageError{QStringLiteral("отчёт %1 не принимает --from").arg(positional[0])};
    const auto syntax = reportSyntaxes().constFind(positional[0]);
    if (syntax == reportSyntaxes().cend())
        throw UsageError{QStringLiteral("неизвестный отчёт «%1»").arg(positional[0])};
    cmd.kind = syntax->kind;

    if (!options.contains("output"))
        throw UsageError{QStringLiteral("нужен --output ФАЙЛ.xlsx")};
    cmd.output = options.take("output");
    cmd.dataDir = folders::chooseData(options.take("data")).path;
    for (const QString &r : syntax->required)
        if (!options.contains(r))
            throw UsageError{QStringLiteral("отчёту %1 нужен --%2").arg(positional[0], r)};
    for (auto it = options.cbegin(); it != options.cend(); ++it)
        if (!syntax->required.contains(it.key()) && !syntax->optional.contains(it.key()))
            throw UsageError{
                QStringLiteral("отчёт %1 не принимает --%2").arg(positional[0], it.key())};

    if (options.contains("date"))
        cmd.params.date = parseDay("date", options.value("date"));
    else
        cmd.params.date = Clock::today();
    if (options.contains("start"))
        cmd.params.start = parseDay("start", options.value("start"));
    if (options.contains("finish"))
        cmd.params.finish = parseDay("finish", options.value("finish"));
    cmd.params.department = options.value("department");
    cmd.params.blind = options.contains("blind");
    return cmd;
}

} // namespace

int main(int argc, char **argv)
{
    platform::prepareConsole();
    QCoreApplication app(argc, argv);
    Command cmd;
    try {
        cmd = parse(QCoreApplication::arguments());
    } catch (const UsageError &e) {
        return cli::usageError(QStringLiteral("vedaris-report"), e.message);
    }
    if (cmd.help) {
        std::fputs(usage, stdout);
        return Written;
    }

    try {
        if (!cmd.from.isEmpty()) {
#ifdef VEDARIS_WITH_MIRROR
            QVector<ConsolidatedLine> lines;
            for (const mirror::StoreFigures &f : mirror::consolidated(cmd.from, cmd.params.date))
                lines.push_back(
                    {f.store, f.stockValue, f.expiredValue, f.expiringValue, f.monthConsumption});
            if (lines.isEmpty()) {
                print(stderr, NoStores);
                return NothingToReport;
            }
            consolidatedWorkbook(cmd.params.date, lines).saveXlsx(cmd.output);
            return Written;
#else
            print(stderr,
                  QStringLiteral(
                      "vedaris-report: эта сборка без поддержки PostgreSQL (consolidated)"));
            return Failure;
#endif
        }
        Outcome out = runReport(cmd.kind, cmd.dataDir, cmd.params);
        if (out.empty()) {
            print(stderr, out.emptyMessage);
            return NothingToReport;
        }
        out.workbook->saveXlsx(cmd.output);
        if (out.oddValues > 0)
            print(
                stderr,
                QStringLiteral("vedaris-report: предупреждение: в данных встретились не числа или "
                               "невозможные даты (повреждённые записи): %1; книга записана. "
                               "Найти эти записи поможет vedaris-check.")
                    .arg(out.oddValues));
        return Written;
    } catch (const Error &e) {
        print(stderr, QStringLiteral("vedaris-report: %1").arg(e.message()));
    } catch (const std::bad_alloc &) {
        print(stderr, QStringLiteral("vedaris-report: не хватило памяти"));
    } catch (const std::exception &e) {
        print(stderr, QStringLiteral("vedaris-report: %1").arg(QString::fromUtf8(e.what())));
    }
    return Failure;
}
