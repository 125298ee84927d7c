// Fills the stock list from a Base.dat of hospital size and times a search
// keystroke. `bench_stocklist [count]` measures generated data (default 100000
// batches), `bench_stocklist --dir DIR` the data files in DIR;
// `bench_stocklist --write DIR COUNT` only writes sample data files into DIR.
#include "app/Forms.h"
#include "app/ListView.h"
#include "app/Messages.h"
#include "app/TFormGl.h"
#include "store/DataFiles.h"
#include "store/Records.h"
#include "store/ReferenceLists.h"
#include "store/TextFormats.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>
#include <ctime>

using namespace vedaris;

namespace {

const char *const drugs[] = {
    "Анальгин",     "Аспирин",       "Амоксициллин", "Ампициллин",  "Бромгексин",   "Валидол",
    "Валериана",    "Гепарин",       "Дибазол",      "Диклофенак",  "Димедрол",     "Зелёнка",
    "Йод",          "Ибупрофен",     "Кальция глюконат", "Кетанов", "Корвалол",     "Лидокаин",
    "Магнезия",     "Мезим",         "Метронидазол", "Но-шпа",      "Новокаин",     "Нитроглицерин",
    "Омепразол",    "Парацетамол",   "Пенициллин",   "Перекись водорода", "Преднизолон", "Регидрон",
    "Сальбутамол",  "Смекта",        "Спирт этиловый", "Супрастин", "Тетрациклин",  "Уголь активированный",
    "Фуросемид",    "Фурацилин",     "Хлоргексидин", "Цефтриаксон", "Цитрамон",     "Эуфиллин",
};
const char *const suppliers[] = {"Фармкомплект", "Медснаб", "Здоровье-Опт", "Аптечный склад №2"};
const char *const makers[] = {"Фармзавод", "Биохим", "Медпрепараты", "Lekar Pharma", "Vita Labs"};
const char *const units[] = {"Таблетки", "Ампулы", "Флаконы", "Упаковки", "Капсулы"};
const char *const departments[] = {"Хирургия", "Терапия", "Кардиология", "Неврология", "Педиатрия"};

template<size_t N>
QString pick(const char *const (&list)[N], quint32 n)
{
    return QString::fromUtf8(list[n % N]);
}

void writeData(const QString &dirPath, int count)
{
    QDir().mkpath(dirPath);
    files::ensureExist(dirPath);
    QRandomGenerator random(4321);
    QByteArray bytes(qsizetype(count) * StockRecord::Size, '\0');
    const QDate first(2022, 1, 10);
    for (int i = 0; i < count; ++i) {
        StockRecord r;
        r.DrugName = pick(drugs, random.generate()) + QStringLiteral(" %1").arg(random.bounded(1, 500));
        const QDate received = first.addDays(random.bounded(1000));
        r.ReceiptDate = text::dateToSerial(received);
        r.Unit = pick(units, random.generate());
        r.Supplier = pick(suppliers, random.generate());
        r.ReceiptDocument = QStringLiteral("ТН-%1").arg(1000 + i);
        r.Manufacturer = pick(makers, random.generate());
        r.Series = QStringLiteral("%1%2").arg(QChar(u'A' + random.bounded(26))).arg(random.bounded(10000, 99999));
        r.ReceivedQuantity = random.bounded(1, 200);
        r.Quantity = r.ReceivedQuantity - random.bounded(int(r.ReceivedQuantity));
        r.UnitPrice = random.bounded(100, 50000) / 100.0;
        r.TotalSum = r.Quantity * r.UnitPrice;
        r.ReceivedSum = r.ReceivedQuantity * r.UnitPrice;
        r.ExpiryDate = text::dateToSerial(received.addDays(random.bounded(180, 1500)));
        r.RecordId = i;
        encode(r, bytes.data() + qsizetype(i) * StockRecord::Size);
    }
    QFile base(files::path(dirPath, files::Base));
    if (!base.open(QIODevice::WriteOnly | QIODevice::Truncate) || base.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write Base.dat");
    base.close();

    const ReferenceList names(dirPath, RefKind::DrugNames);
    for (const char *d : drugs)
        names.add(QString::fromUtf8(d), pick(units, quint32(qHash(QByteArray(d)))));
    for (const char *s : suppliers)
        ReferenceList(dirPath, RefKind::Suppliers).add(QString::fromUtf8(s));
    for (const char *m : makers)
        ReferenceList(dirPath, RefKind::Manufacturers).add(QString::fromUtf8(m));
    for (const char *d : departments)
        ReferenceList(dirPath, RefKind::Departments).add(QString::fromUtf8(d));
}

double msSince(const QElapsedTimer &t)
{
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && QByteArray(argv[1]) == "--write") {
        QCoreApplication app(argc, argv);
        writeData(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
        return 0;
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    QApplication app(argc, argv);
    // `--dir DIR` measures an existing data folder instead of a generated one.
    const bool existing = argc == 3 && QByteArray(argv[1]) == "--dir";
    const int count = existing ? -1 : argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    QTemporaryDir temporary;
    const QString dataDir = existing ? QString::fromLocal8Bit(argv[2]) : temporary.path();
    if (!existing)
        writeData(dataDir, count);
    Messages::startRecording();
    Forms forms(dataDir);
    TFormGl *gl = forms.FormGl;

    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuStart = std::clock();
    gl->show();
    QApplication::processEvents();
    const double fill = msSince(timer);
    // Processor time too: the wall clock suffers when the machine is shared.
    const double fillCpu = double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC;

    auto keystroke = [&](const QString &text) {
        gl->RzEditSearch->setText(text);
        QElapsedTimer t;
        t.start();
        gl->RzEditSearchKeyUp();
        QApplication::processEvents();
        return msSince(t);
    };
    const double hitEarly = keystroke(QStringLiteral("ан"));
    const double hitLate = keystroke(QStringLiteral("  ЭУФ"));
    const double miss = keystroke(QStringLiteral("нет такого препарата"));

    timer.restart();
    gl->insertStockRow(gl->RzListView1->cells(0));
    const double insert = msSince(timer);

    std::printf("stock list, %d batches shown\n", gl->RzListView1->rowCount() - 1);
    std::printf("  fill + sort + show     %8.1f ms (%.1f ms processor time)\n", fill, fillCpu);
    std::printf("  search keystroke, hit near the top   %6.2f ms\n", hitEarly);
    std::printf("  search keystroke, hit near the end   %6.2f ms\n", hitLate);
    std::printf("  search keystroke, no match           %6.2f ms\n", miss);
    std::printf("  receipt row insert + re-sort         %6.2f ms\n", insert);
    const QStringList errors = Messages::takeRecordedTexts();
    if (!errors.isEmpty())
        std::printf("  messages: %s\n", qPrintable(errors.join(u"; ")));
    return 0;
}
