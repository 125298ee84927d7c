// The mirror at hospital size: a store of 100,000 batches and 1,000,000 issues
// (generated once, cached) loaded by vedaris-mirror into a private PostgreSQL
// server with its syncs on; then 100 operations (receipts, issues, edits,
// deletions) and the incremental run after them; then a run with nothing
// changed. Each run is the real program as a child process, timed on the wall
// and by its own processor time (the server's work is not in the latter).
// Prints a table; exit 1 when a run fails.
#include "DataGenerator.h"
#include "mirror/PgServer.h"

#include "operations/StockOperations.h"
#include "store/DataFiles.h"
#include "store/RecordFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

#include <sys/resource.h>

using namespace vedaris;

namespace {

struct Timed
{
    double ms = 0;
    double cpuMs = 0; // the program's own processor time, which a busy machine disturbs less
    int exitCode = -1;
    QString out;
};

Timed mirror(const QString &dir, const QString &conninfo)
{
    QElapsedTimer t;
    t.start();
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    // Each run's phases with their times, printed after the table.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VEDARIS_MIRROR_PROFILE"), QStringLiteral("1"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VEDARIS_DIST_DIR "/vedaris-mirror"),
            {QStringLiteral("--data"), dir, QStringLiteral("--store"),
             QStringLiteral("Больница №1"), QStringLiteral("--to"), conninfo});
    rusage before{}, after{};
    getrusage(RUSAGE_CHILDREN, &before);
    p.waitForFinished(-1);
    getrusage(RUSAGE_CHILDREN, &after);
    auto ms = [](const timeval &tv) { return double(tv.tv_sec) * 1e3 + double(tv.tv_usec) / 1e3; };
    const double cpu =
        ms(after.ru_utime) + ms(after.ru_stime) - ms(before.ru_utime) - ms(before.ru_stime);
    return {double(t.elapsed()), cpu, p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAll())};
}

QString cached(const QString &root, const gen::Options &o)
{
    const QString dir = QDir(root).filePath(QStringLiteral("mirror-hospital"));
    const QByteArray signature = QStringLiteral("seed %1 batches %2 issues %3 v1")
                                     .arg(o.seed)
                                     .arg(o.batches)
                                     .arg(o.issues)
                                     .toUtf8();
    QFile mark(QDir(dir).filePath(QStringLiteral("complete")));
    if (mark.open(QIODevice::ReadOnly) && mark.readAll() == signature)
        return dir;
    mark.close();
    std::printf("generating %d batches, %d issues ...\n", o.batches, o.issues);
    std::fflush(stdout);
    gen::write(gen::generate(o), dir);
    if (mark.open(QIODevice::WriteOnly))
        mark.write(signature);
    return dir;
}

// 100 operations as a store-keeper's busy day makes them.
void operations(const QString &dir)
{
    std::vector<qint32> withStock;
    {
        TypedFile<StockRecord> base(files::path(dir, files::Base), RecordFile::ReadOnly);
        base.forEach([&](qint64, const StockRecord &r) {
            if (r.Deleted != 1 && r.Quantity >= 10 && withStock.size() < 200)
                withStock.push_back(r.RecordId);
            return true;
        });
    }
    ops::BatchInput in;
    in.drugName = QStringLiteral("Новый препарат");
    in.manufacturer = QStringLiteral("Фармстандарт");
    in.supplier = QStringLiteral("Аптечный склад");
    in.receiptDocument = QStringLiteral("Накл. 1");
    in.series = QStringLiteral("A1");
    in.receiptDate = QDate(2024, 12, 1);
    in.unit = QStringLiteral("уп.");
    in.quantityText = QStringLiteral("100");
    in.priceText = QStringLiteral("10,5");
    in.expiryDate = QDate(2026, 12, 1);
    std::vector<qint32> received;
    for (int i = 0; i < 30; ++i)
        received.push_back(ops::storeReceipt(dir, in).record.RecordId);
    for (int i = 0; i < 50; ++i) {
        const qint32 id = withStock[size_t(i)];
        ops::storeIssue(dir, id, ops::readBatch(dir, id), QStringLiteral("1"),
                        QStringLiteral("Хирургия"), QDate(2024, 12, 2));
    }
    in.quantityText = QStringLiteral("90");
    for (int i = 0; i < 10; ++i)
        ops::storeEdit(dir, received[size_t(i)], in);
    for (int i = 0; i < 10; ++i)
        ops::deleteBatch(dir, withStock[size_t(100 + i)]);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString cache = qEnvironmentVariableIsSet("VEDARIS_BENCH_CACHE")
        ? qEnvironmentVariable("VEDARIS_BENCH_CACHE")
        : QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("data"));
    gen::Options o;
    o.seed = 1;
    o.batches = 100000;
    o.issues = 1000000;
    o.drugNames = 5000;
    const QString source = cached(cache, o);

    QTemporaryDir work;
    for (const QString &f : files::All)
        QFile::copy(files::path(source, f), files::path(work.path(), f));

    std::printf("mirror into PostgreSQL (a private server, syncs on) ...\n");
    std::fflush(stdout);
    PgServer server(true);
    const QString conninfo = server.conninfo(server.newDatabase());

    struct Line
    {
        const char *what;
        Timed run;
        double targetMs;
    };
    std::vector<Line> lines;
    lines.push_back(
        {"first mirror, 100,000 batches / 1,000,000 issues", mirror(work.path(), conninfo), 60000});
    QElapsedTimer t;
    t.start();
    operations(work.path());
    const double opsMs = double(t.elapsed());
    lines.push_back({"incremental after 100 operations", mirror(work.path(), conninfo), 2000});
    lines.push_back({"run with nothing changed", mirror(work.path(), conninfo), 2000});

    std::printf("\n%-52s %10s %10s %10s\n", "measurement", "time, ms", "target", "CPU, ms");
    std::printf("%s\n", QByteArray(85, '-').constData());
    int failed = 0;
    for (const Line &l : lines) {
        std::printf("%-52s %10.0f %10.0f %10.0f  %s\n", l.what, l.run.ms, l.targetMs, l.run.cpuMs,
                    l.run.exitCode != 0          ? "FAILED"
                        : l.run.ms <= l.targetMs ? "ok"
                                                 : "SLOW");
        if (l.run.exitCode != 0) {
            ++failed;
            std::printf("%s\n", qPrintable(l.run.out));
        }
    }
    std::printf("(the 100 operations themselves took %.0f ms)\n", opsMs);
    for (const Line &l : lines)
        std::printf("\n%s:\n%s", l.what, qPrintable(l.run.out));
    return failed ? 1 : 0;
}
