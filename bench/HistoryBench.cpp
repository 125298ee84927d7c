// The history: bytes per entry of each kind of operation, and the window
// "Журнал операций" opened over 1,000,000 entries (target: under 0.5 s, read
// from the end). `bench_history [entries]`.
#include "dialogs/TFormHistory.h"
#include "operations/StockOperations.h"
#include "operations/Undo.h"
#include "store/DataFiles.h"
#include "store/DiskIo.h"
#include "store/History.h"
#include "store/ReferenceLists.h"
#include "widgets/Messages.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdio>
#include <ctime>
#include <functional>

using namespace vedaris;

namespace {

ops::BatchInput input(const QString &name)
{
    ops::BatchInput in;
    in.drugName = name;
    in.unit = QStringLiteral("уп");
    in.supplier = QStringLiteral("ООО \"Фармацевтическая компания\"");
    in.manufacturer = QStringLiteral("Завод медицинских препаратов");
    in.receiptDocument = QStringLiteral("Накладная № 12345 от 10.01.2024");
    in.series = QStringLiteral("AB1234567");
    in.quantityText = QStringLiteral("100");
    in.priceText = QStringLiteral("12,5");
    in.receiptDate = QDate(2024, 1, 10);
    in.expiryDate = QDate(2027, 1, 1);
    return in;
}

qint64 historySize(const QString &dir)
{
    return QFileInfo(files::path(dir, history::FileName)).size();
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const qint64 total = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    Messages::startRecording();
    disk::skipSyncs(true);

    // Bytes per entry, each kind measured over 20 operations on a store of 200 batches.
    QTemporaryDir small;
    const QString dir = small.path();
    for (const QString &f : files::All) {
        QFile file(files::path(dir, f));
        file.open(QIODevice::WriteOnly);
    }
    for (int i = 0; i < 200; ++i)
        ops::storeReceipt(dir, input(QStringLiteral("Препарат %1").arg(i)));
    ReferenceList(dir, RefKind::Departments).add(QStringLiteral("Хирургическое отделение"));
    struct Kind
    {
        const char *name;
        std::function<void(int)> run;
    };
    const Kind kinds[] = {
        {"receipt",
         [&](int i) { ops::storeReceipt(dir, input(QStringLiteral("Новый %1").arg(i))); }},
        {"issue",
         [&](int i) {
             ops::storeIssue(dir, i, ops::readBatch(dir, i), QStringLiteral("2"),
                             QStringLiteral("Хирургическое отделение"), QDate(2024, 2, 1));
         }},
        {"write-off",
         [&](int i) {
             ops::storeWriteOff(dir, 20 + i, ops::readBatch(dir, 20 + i), QStringLiteral("1"),
                                QStringLiteral("Повреждение"), QDate(2024, 2, 1));
         }},
        {"edit",
         [&](int i) { ops::storeEdit(dir, 100 + i, input(QStringLiteral("Правка %1").arg(i))); }},
        {"delete (batch and 1 issue)", [&](int i) { ops::deleteBatch(dir, i); }},
        {"reference add",
         [&](int i) {
             ReferenceList(dir, RefKind::Suppliers).add(QStringLiteral("Поставщик %1").arg(i));
         }},
        {"undo", [&](int) { ops::undoLast(dir); }},
    };
    bool ok = true;
    for (const Kind &k : kinds) {
        const qint64 before = historySize(dir);
        for (int i = 0; i < 20; ++i)
            k.run(i);
        const double per = double(historySize(dir) - before) / 20;
        std::printf("history bytes per entry, %-28s %7.0f%s\n", k.name, per,
                    QByteArray(k.name) == "issue" && per > 2048 ? "  OVER 2 KiB" : "");
        if (QByteArray(k.name) == "issue" && per > 2048)
            ok = false;
    }

    // A history of `total` entries: the issue entries above, renumbered.
    QTemporaryDir big;
    std::vector<history::Entry> samples;
    {
        history::Reader r(dir);
        r.newestFirst([&](const history::Entry &e) {
            if (e.kind != history::kind::Undo)
                samples.push_back(e);
            return samples.size() < 100;
        });
    }
    {
        QElapsedTimer t;
        t.start();
        QFile out(files::path(big.path(), history::FileName));
        out.open(QIODevice::WriteOnly);
        QByteArray buffer;
        const QDateTime start(QDate(2020, 1, 1), QTime(8, 0));
        for (qint64 n = 1; n <= total; ++n) {
            history::Entry e = samples[size_t(n % qint64(samples.size()))];
            e.number = quint64(n);
            e.undoes = -1;
            e.when = start.addSecs(n * 120);
            buffer += history::encode(e, n == 1);
            if (buffer.size() > (8 << 20)) {
                out.write(buffer);
                buffer.clear();
            }
        }
        out.write(buffer);
        out.close();
        std::printf("history of %lld entries: %.1f MiB written in %.1f s (%.0f bytes per entry)\n",
                    total, double(historySize(big.path())) / (1 << 20), double(t.elapsed()) / 1000,
                    double(historySize(big.path())) / double(total));
    }
    for (const QString &f : files::All) {
        QFile file(files::path(big.path(), f));
        file.open(QIODevice::WriteOnly);
    }

    for (int round = 0; round < 3; ++round) {
        QElapsedTimer t;
        t.start();
        const std::clock_t cpu = std::clock();
        TFormHistory window(big.path());
        window.load();
        window.show();
        QApplication::processEvents();
        const double ms = double(t.nsecsElapsed()) / 1e6;
        const double cpuMs = double(std::clock() - cpu) * 1000.0 / CLOCKS_PER_SEC;
        const int rows =
            window.findChild<QTreeWidget *>(QStringLiteral("ListEntries"))->topLevelItemCount();
        std::printf(
            "history window open at %lld entries: %7.1f ms (processor %.1f ms), %d rows%s\n", total,
            ms, cpuMs, rows, ms > 500 ? "  OVER 0.5 s" : "");
        if (ms > 500)
            ok = false;
    }
    return ok ? 0 : 1;
}
