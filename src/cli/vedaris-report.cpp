// vedaris-report: one report of a data folder written as an .xlsx workbook,
// without a window. Only reads the data files.

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

namespace {

enum Exit { Written = 0, NothingToReport = 1, Failure = 2 };

const char *const usage =
    "Usage: vedaris-report [--data DIR] --output FILE.xlsx REPORT [PARAMS]\n"
    "\n"
    "Writes one report of the data folder as an .xlsx workbook. The data files\n"
    "are only read, never created or changed.\n"
    "\n"
    "Reports and their parameters:\n"
    "  expired --date D                                  stock expired by D\n"
    "  stock [--date D]                                  stock in hand (D only in the title, default today)\n"
    "  consumption --start D --finish D                  issues of a period, per stock line\n"
    "  purchases --start D --finish D                    receipts of a period\n"
    "  department --start D --finish D --department NAME issues of a period to one department\n"
    "  departments --start D --finish D                  issues of a period, per department\n"
    "  movement --start D --finish D                     opening, receipts, issues and closing per drug\n"
    "  issue-dates --start D --finish D                  every issue of a period with its date\n"
    "  inventory --date D [--blind]                      count sheet (ф. 0504087): book quantities at the end of D;\n"
    "                                                    --blind leaves the book columns empty\n"
    "  write-off-act --start D --finish D                write-off act (ф. 0504230), grouped by reason\n"
    "  requisition --department NAME --start D --finish D\n"
    "                                                    requisition-invoice (ф. 0504204): issues to one department\n"
    "  consolidated --from CONNINFO --date D             all stores mirrored into PostgreSQL (vedaris-mirror):\n"
    "                                                    stock value, expired by D, expiring within 90 days,\n"
    "                                                    consumption of D's month, per store and overall\n"
    "\n"
    "Options:\n"
    "  --data DIR       the folder with the data files (default: $VEDARIS_DATA, else\n"
    "                   the program's folder when writable, else the user's data folder)\n"
    "  --output FILE    the workbook to write\n"
    "  --from CONNINFO  the libpq connection string of the mirror's database (consolidated only)\n"
    "  --help           this text\n"
    "\n"
    "D is dd.mm.yyyy or yyyy-mm-dd. NAME is compared exactly, letter case included.\n"
    "Exit status: 0 the workbook was written; 1 nothing to report (no file);\n"
    "2 bad usage or a failure (no file).\n";

void print(FILE *to, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
    std::fputc('\n', to);
    std::fflush(to);
}

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
        throw UsageError{QStringLiteral("--%1: '%2' is not a date (dd.mm.yyyy or yyyy-mm-dd)").arg(option, value)};
    return date;
}

Command parse(const QStringList &args)
{
    static const QSet<QString> known{"data", "output", "date", "start", "finish", "department", "from", "blind"};
    Command cmd;
    QMap<QString, QString> options;
    QStringList positional;
    for (int i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            cmd.help = true;
            return cmd;
        }
        if (!arg.startsWith(QLatin1String("--")) || arg == QLatin1String("--")) {
            positional << arg;
            continue;
        }
        QString name = arg.mid(2);
        QString value;
        const qsizetype eq = name.indexOf(QLatin1Char('='));
        if (eq >= 0) {
            value = name.mid(eq + 1);
            name.truncate(eq);
        } else if (name == QLatin1String("blind")) {
            // a switch: takes no value
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            throw UsageError{QStringLiteral("--%1 needs a value").arg(name)};
        }
        if (!known.contains(name))
            throw UsageError{QStringLiteral("unknown option --%1").arg(name)};
        if (options.contains(name))
            throw UsageError{QStringLiteral("--%1 given twice").arg(name)};
        options.insert(name, value);
    }

    if (positional.size() != 1)
        throw UsageError{positional.isEmpty() ? QStringLiteral("no report named")
                                              : QStringLiteral("one report at a time: %1").arg(positional.join(' '))};
    if (positional[0] == QLatin1String("consolidated")) {
        if (!options.contains("output") || options.value("output").isEmpty())
            throw UsageError{QStringLiteral("--output FILE.xlsx is required")};
        if (options.value("from").isEmpty())
            throw UsageError{QStringLiteral("consolidated needs --from CONNINFO")};
        if (!options.contains("date"))
            throw UsageError{QStringLiteral("consolidated needs --date")};
        for (auto it = options.cbegin(); it != options.cend(); ++it)
            if (it.key() != QLatin1String("output") && it.key() != QLatin1String("from") &&
                it.key() != QLatin1String("date"))
                throw UsageError{QStringLiteral("consolidated takes no --%1").arg(it.key())};
        cmd.output = options.value("output");
        cmd.from = options.value("from");
        cmd.params.date = parseDay("date", options.value("date"));
        return cmd;
    }
    if (options.contains("from"))
        throw UsageError{QStringLiteral("%1 takes no --from").arg(positional[0])};
    const auto syntax = reportSyntaxes().constFind(positional[0]);
    if (syntax == reportSyntaxes().cend())
        throw UsageError{QStringLiteral("unknown report '%1'").arg(positional[0])};
    cmd.kind = syntax->kind;

    if (!options.contains("output") || options.value("output").isEmpty())
        throw UsageError{QStringLiteral("--output FILE.xlsx is required")};
    cmd.output = options.take("output");
    cmd.dataDir = folders::chooseData(options.take("data")).path;
    for (const QString &r : syntax->required)
        if (!options.contains(r))
            throw UsageError{QStringLiteral("%1 needs --%2").arg(positional[0], r)};
    for (auto it = options.cbegin(); it != options.cend(); ++it)
        if (!syntax->required.contains(it.key()) && !syntax->optional.contains(it.key()))
            throw UsageError{QStringLiteral("%1 takes no --%2").arg(positional[0], it.key())};

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
        print(stderr, QStringLiteral("vedaris-report: %1\nTry 'vedaris-report --help'.").arg(e.message));
        return Failure;
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
                lines.push_back({f.store, f.stockValue, f.expiredValue, f.expiringValue, f.monthConsumption});
            if (lines.isEmpty()) {
                print(stderr, NoStores);
                return NothingToReport;
            }
            consolidatedWorkbook(cmd.params.date, lines).saveXlsx(cmd.output);
            return Written;
#else
            print(stderr, QStringLiteral("vedaris-report: this build has no PostgreSQL support (consolidated)"));
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
            print(stderr, QStringLiteral("vedaris-report: warning: the data held %1 value(s) that are not finite "
                                         "numbers or possible dates (damaged records); the workbook was written. "
                                         "Run vedaris-check to find the records.")
                              .arg(out.oddValues));
        return Written;
    } catch (const Error &e) {
        print(stderr, QStringLiteral("vedaris-report: %1").arg(e.message()));
    } catch (const std::bad_alloc &) {
        print(stderr, QStringLiteral("vedaris-report: out of memory"));
    } catch (const std::exception &e) {
        print(stderr, QStringLiteral("vedaris-report: %1").arg(QString::fromUtf8(e.what())));
    }
    return Failure;
}
