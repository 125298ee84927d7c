// Writes a generated set of the six data files into a folder, for the demo, the
// benchmarks and by hand.
#include "DataGenerator.h"

#include "store/DataFiles.h"
#include "store/Error.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Generates hospital store data files."));
    p.addHelpOption();
    const QCommandLineOption dir({QStringLiteral("d"), QStringLiteral("dir")},
                                 QStringLiteral("Target folder."), QStringLiteral("path"));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed (default 1)."),
                                  QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption batches(QStringLiteral("batches"), QStringLiteral("Stock records."),
                                     QStringLiteral("n"), QStringLiteral("3000"));
    const QCommandLineOption issues(QStringLiteral("issues"), QStringLiteral("Issue records."),
                                    QStringLiteral("n"), QStringLiteral("30000"));
    const QCommandLineOption names(QStringLiteral("names"), QStringLiteral("Drug names."),
                                   QStringLiteral("n"), QStringLiteral("400"));
    const QCommandLineOption suppliers(QStringLiteral("suppliers"),
                                       QStringLiteral("Supplier firms."), QStringLiteral("n"),
                                       QStringLiteral("25"));
    const QCommandLineOption makers(QStringLiteral("manufacturers"),
                                    QStringLiteral("Manufacturer firms."), QStringLiteral("n"),
                                    QStringLiteral("60"));
    const QCommandLineOption departments(QStringLiteral("departments"),
                                         QStringLiteral("Departments."), QStringLiteral("n"),
                                         QStringLiteral("20"));
    const QCommandLineOption from(QStringLiteral("from"), QStringLiteral("First date, yyyy-mm-dd."),
                                  QStringLiteral("date"), QStringLiteral("2015-01-01"));
    const QCommandLineOption to(QStringLiteral("to"), QStringLiteral("Last date, yyyy-mm-dd."),
                                QStringLiteral("date"), QStringLiteral("2024-12-31"));
    const QCommandLineOption hostile(QStringLiteral("hostile"),
                                     QStringLiteral("Add awkward names, units and departments."));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Replace data files that hold records."));
    p.addOptions({dir, seed, batches, issues, names, suppliers, makers, departments, from, to,
                  hostile, force});
    p.process(app);

    if (!p.isSet(dir)) {
        std::fprintf(stderr, "vedaris-gen: --dir is required\n");
        return 2;
    }
    const QString target = p.value(dir);
    if (!p.isSet(force)) {
        for (const QString &f : {vedaris::files::Base, vedaris::files::Rashod}) {
            const QFileInfo info(vedaris::files::path(target, f));
            if (info.exists() && info.size() > 0) {
                std::fprintf(stderr, "vedaris-gen: %s holds records; --force replaces it\n",
                             qPrintable(info.filePath()));
                return 2;
            }
        }
    }

    vedaris::gen::Options o;
    bool ok = true;
    auto number = [&](const QCommandLineOption &opt) {
        bool good = false;
        const qlonglong v = p.value(opt).toLongLong(&good);
        ok = ok && good && v >= 0;
        return v;
    };
    o.seed = quint64(number(seed));
    o.batches = int(number(batches));
    o.issues = int(number(issues));
    o.drugNames = int(number(names));
    o.suppliers = int(number(suppliers));
    o.manufacturers = int(number(makers));
    o.departments = int(number(departments));
    o.first = QDate::fromString(p.value(from), Qt::ISODate);
    o.last = QDate::fromString(p.value(to), Qt::ISODate);
    o.hostile = p.isSet(hostile);
    if (!ok || !o.first.isValid() || !o.last.isValid()) {
        std::fprintf(stderr, "vedaris-gen: bad number or date\n");
        return 2;
    }

    try {
        QElapsedTimer t;
        t.start();
        const vedaris::gen::Data data = vedaris::gen::generate(o);
        vedaris::gen::write(data, target);
        std::printf("%zu batches, %zu issues, %zu drug names, %zu departments in %s (%.1f s)\n",
                    data.stock.size(), data.issues.size(), data.names.size(),
                    data.departments.size(), qPrintable(target), double(t.elapsed()) / 1000.0);
    } catch (const vedaris::Error &e) {
        std::fprintf(stderr, "vedaris-gen: %s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
