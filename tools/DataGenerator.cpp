#include "DataGenerator.h"

#include "operations/StockOperations.h"
#include "store/DataFiles.h"
#include "store/Error.h"
#include "store/StockArithmetic.h"
#include "store/TextFormats.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace vedaris::gen {

using namespace Qt::StringLiterals;

namespace {

// splitmix64: small, fast, and the same everywhere (the standard distributions
// are not, across library implementations).
class Rng
{
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) { }

    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 <= result < n (n > 0)
    int below(int n) { return int((next() >> 32) * std::uint64_t(n) >> 32); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    double unit() { return double(next() >> 11) * 0x1.0p-53; }
    bool chance(double p) { return unit() < p; }
    template<class T> const T &pick(const std::vector<T> &v)
    {
        return v[size_t(below(int(v.size())))];
    }

private:
    std::uint64_t m_state;
};

using Words = std::vector<QString>;

const Words drugPrefixes = {u"Амо"_s,    u"Ампи"_s,  u"Бета"_s, u"Вино"_s,   u"Гепа"_s,  u"Дикло"_s,
                            u"Докси"_s,  u"Ибу"_s,   u"Кето"_s, u"Клари"_s,  u"Лево"_s,  u"Лора"_s,
                            u"Мета"_s,   u"Нитро"_s, u"Окса"_s, u"Пара"_s,   u"Пента"_s, u"Рани"_s,
                            u"Сульфа"_s, u"Тетра"_s, u"Фено"_s, u"Фуро"_s,   u"Цефа"_s,  u"Эри"_s,
                            u"Ази"_s,    u"Бисо"_s,  u"Вера"_s, u"Глибен"_s, u"Декса"_s, u"Кло"_s,
                            u"Лино"_s,   u"Мекси"_s, u"Ново"_s, u"Омепра"_s, u"Пира"_s,  u"Триа"_s,
                            u"Хлор"_s,   u"Эна"_s,   u"Аце"_s};
const Words drugMiddles = {QString(), QString(), u"кси"_s, u"ми"_s, u"ло"_s, u"ра"_s, u"ти"_s,
                           u"фа"_s,   u"зо"_s,   u"ни"_s,  u"ме"_s, u"до"_s, u"ка"_s, u"про"_s};
const Words drugSuffixes = {u"циллин"_s, u"мицин"_s, u"профен"_s, u"фенак"_s, u"зол"_s, u"прил"_s,
                            u"дин"_s,    u"септ"_s,  u"каин"_s,   u"тил"_s,   u"нол"_s, u"пам"_s,
                            u"фен"_s,    u"зид"_s,   u"лон"_s,    u"тин"_s,   u"сан"_s, u"цин"_s,
                            u"мет"_s,    u"форм"_s,  u"вир"_s,    u"ксон"_s};
const Words drugForms = {QString(),
                         u"табл. 0,5 г"_s,
                         u"табл. 250 мг"_s,
                         u"табл. 20 мг №30"_s,
                         u"капс. 100 мг"_s,
                         u"р-р д/ин. 2 мл"_s,
                         u"р-р д/ин. 5%"_s,
                         u"амп. 1 мл №10"_s,
                         u"мазь 30 г"_s,
                         u"сироп 100 мл"_s,
                         u"пор. д/ин. 1 г"_s,
                         u"гель 50 г"_s,
                         u"р-р д/инф. 200 мл"_s,
                         u"супп. 100 мг"_s,
                         u"капли глазн. 10 мл"_s,
                         u"лиоф. 500 мг"_s};
const Words supplies = {u"Бинт стерильный 7х14"_s,
                        u"Бинт нестерильный 5х10"_s,
                        u"Вата хирургическая 100 г"_s,
                        u"Шприц 5 мл"_s,
                        u"Шприц 10 мл"_s,
                        u"Шприц инсулиновый 1 мл"_s,
                        u"Перчатки смотровые"_s,
                        u"Перчатки хирургические стерильные"_s,
                        u"Спирт этиловый 70%"_s,
                        u"Спирт этиловый 96%"_s,
                        u"Лейкопластырь 2х500"_s,
                        u"Марля медицинская"_s,
                        u"Система для инфузий"_s,
                        u"Катетер внутривенный 20G"_s,
                        u"Перекись водорода 3%"_s,
                        u"Хлоргексидин 0,05%"_s,
                        u"Натрия хлорид 0,9%"_s,
                        u"Глюкоза 5%"_s,
                        u"Йод 5%"_s,
                        u"Бриллиантовый зелёный 1%"_s};
const Words pieceUnits = {u"уп."_s,  u"шт."_s,  u"амп."_s,  u"фл."_s,     u"табл."_s,
                          u"пач."_s, u"туб."_s, u"флак."_s, u"коробка"_s, u"капс."_s};
const Words bulkUnits = {u"кг"_s, u"л"_s};

const Words legalForms = {u"ООО"_s, u"ЗАО"_s, u"ОАО"_s, u"АО"_s, u"ИП"_s, u"ГУП"_s};
const Words firmHeads = {u"Фарма"_s, u"Медик"_s, u"Био"_s,   u"Вита"_s,  u"Рос"_s,
                         u"Сиб"_s,   u"Урал"_s,  u"Нева"_s,  u"Волга"_s, u"Альфа"_s,
                         u"Центр"_s, u"Мед"_s,   u"Север"_s, u"Дон"_s,   u"Кама"_s,
                         u"Бел"_s,   u"Оми"_s,   u"Ирис"_s,  u"Здрав"_s, u"Гален"_s};
const Words firmTails = {u"ком"_s,  u"трейд"_s, u"снаб"_s,   u"сервис"_s, u"плюс"_s, u"маркет"_s,
                         u"торг"_s, u"лайн"_s,  u"профит"_s, u"инвест"_s, u"опт"_s,  u"фарм"_s,
                         u"мед"_s,  u"лекс"_s,  u"синтез"_s, u"хим"_s,    u"пром"_s, u"лаб"_s};
const Words countries = {u"Россия"_s,  u"Беларусь"_s,  u"Индия"_s,    u"Германия"_s,
                         u"Венгрия"_s, u"Польша"_s,    u"Словения"_s, u"Франция"_s,
                         u"Китай"_s,   u"Казахстан"_s, u"Сербия"_s,   u"Израиль"_s};
const Words departmentBases = {u"Хирургическое отделение"_s,
                               u"Терапевтическое отделение"_s,
                               u"Кардиология"_s,
                               u"Неврология"_s,
                               u"Реанимация"_s,
                               u"Приёмный покой"_s,
                               u"Гинекология"_s,
                               u"Педиатрия"_s,
                               u"Травматология"_s,
                               u"Урология"_s,
                               u"Офтальмология"_s,
                               u"ЛОР-отделение"_s,
                               u"Инфекционное отделение"_s,
                               u"Эндокринология"_s,
                               u"Гастроэнтерология"_s,
                               u"Пульмонология"_s,
                               u"Нефрология"_s,
                               u"Онкология"_s,
                               u"Гематология"_s,
                               u"Родильное отделение"_s,
                               u"Процедурный кабинет"_s,
                               u"Поликлиника"_s,
                               u"Стоматология"_s,
                               u"Физиотерапия"_s,
                               u"Лаборатория"_s,
                               u"Операционный блок"_s,
                               u"Дневной стационар"_s,
                               u"Психиатрия"_s,
                               u"Дерматология"_s,
                               u"Рентгенология"_s};
const Words documentKinds = {u"Накл. №"_s, u"Накладная №"_s, u"Счёт-фактура №"_s, u"ТН №"_s};
const Words seriesLetters = {u"А"_s, u"В"_s, u"К"_s, u"М"_s, u"Н"_s, u"Р"_s, u"С"_s, u"Т"_s};

// Texts that a spreadsheet would take for numbers or dates if written as values.
const Words numberLike = {u"100"_s, u"0,5"_s, u"12.03.2020"_s, u"1E5"_s, u"-7"_s, u"007"_s};

QString capitalized(const QString &s)
{
    return s.isEmpty() ? s : s.left(1).toUpper() + s.mid(1);
}

// Distinct texts from `make`, falling back to a numbered copy when the words run out.
template<class Make> std::vector<QString> distinct(int count, QSet<QString> &seen, Make make)
{
    std::vector<QString> out;
    out.reserve(size_t(count));
    for (int tries = 0; int(out.size()) < count; ++tries) {
        QString s = make();
        if (tries > count * 20)
            s += u" №"_s + QString::number(out.size() + 1);
        if (seen.contains(s))
            continue;
        seen.insert(s);
        out.push_back(s);
    }
    return out;
}

std::vector<ReferenceEntry> entries(const std::vector<QString> &names, Rng &rng,
                                    double deletedShare)
{
    std::vector<ReferenceEntry> out;
    for (const QString &n : names) {
        ReferenceEntry e;
        e.Name = n;
        e.EntryId = qint32(out.size());
        e.Deleted = rng.chance(deletedShare) ? 1 : 0;
        out.push_back(e);
    }
    return out;
}

bool isBulk(const QString &unit)
{
    return unit == u"кг"_s || unit == u"л"_s;
}

// A quantity in steps of a tenth for bulk units, whole otherwise.
double step(const QString &unit)
{
    return isBulk(unit) ? 0.1 : 1.0;
}

double quantityOf(long long steps, const QString &unit)
{
    return isBulk(unit) ? double(steps) / 10.0 : double(steps);
}

struct Generator
{
    const Options &o;
    Rng rng;
    Data d;
    int firstDay = 0, lastDay = 0;

    explicit Generator(const Options &opts) : o(opts), rng(opts.seed ^ 0x56656461726973ull) { }

    void makeNames()
    {
        QSet<QString> seen;
        const int fixed = std::min<int>(int(supplies.size()), std::max(0, o.drugNames / 20));
        std::vector<QString> names(supplies.begin(), supplies.begin() + fixed);
        for (const QString &s : names)
            seen.insert(s);
        auto more = distinct(o.drugNames - fixed, seen, [&] {
            QString base = rng.pick(drugPrefixes) + rng.pick(drugMiddles) + rng.pick(drugSuffixes);
            const QString form = rng.pick(drugForms);
            return form.isEmpty() ? base : base + u' ' + form;
        });
        names.insert(names.end(), more.begin(), more.end());
        for (const QString &n : names) {
            DrugNameEntry e;
            e.Name = n;
            e.Unit = rng.chance(0.1) ? rng.pick(bulkUnits) : rng.pick(pieceUnits);
            e.EntryId = qint32(d.names.size());
            e.Deleted = rng.chance(o.deletedEntryShare) ? 1 : 0;
            d.names.push_back(e);
        }
        if (o.hostile)
            addHostileNames();
    }

    void addEntry(QString name, QString unit, bool deleted)
    {
        DrugNameEntry e;
        e.Name = std::move(name);
        e.Unit = std::move(unit);
        e.EntryId = qint32(d.names.size());
        e.Deleted = deleted ? 1 : 0;
        d.names.push_back(e);
    }

    void addHostileNames()
    {
        if (d.names.empty())
            return;
        const int n = int(d.names.size());
        for (int i = 0; i < std::max(1, n / 8); ++i) {
            const DrugNameEntry src = d.names[size_t(rng.below(n))];
            switch (rng.below(5)) {
            case 0: // the same name in other letter case
                addEntry(rng.chance(0.5) ? src.Name.toUpper() : src.Name.toLower(), src.Unit,
                         false);
                break;
            case 1: // the same name under another unit, or the unit in other case
                addEntry(src.Name, rng.chance(0.5) ? rng.pick(pieceUnits) : capitalized(src.Unit),
                         false);
                break;
            case 2: // a second entry with the same name and unit, live or deleted
                addEntry(src.Name, src.Unit, rng.chance(0.5));
                break;
            case 3: // a trailing blank
                addEntry(src.Name + u' ', src.Unit, false);
                break;
            default:
                addEntry(rng.pick(numberLike), rng.pick(pieceUnits), false);
                break;
            }
        }
    }

    void makeFirms()
    {
        QSet<QString> seen;
        auto suppliers = distinct(o.suppliers, seen, [&] {
            return rng.pick(legalForms) + u" \""_s + rng.pick(firmHeads) + rng.pick(firmTails)
                + u'"';
        });
        auto makers = distinct(o.manufacturers, seen, [&] {
            return rng.pick(firmHeads) + rng.pick(firmTails) + u" ("_s + rng.pick(countries) + u')';
        });
        if (o.hostile && !suppliers.empty())
            suppliers.back() = rng.pick(numberLike);
        d.suppliers = entries(suppliers, rng, o.deletedEntryShare);
        d.manufacturers = entries(makers, rng, o.deletedEntryShare);
    }

    void makeDepartments()
    {
        QSet<QString> seen;
        int round = 0;
        auto names = distinct(o.departments, seen, [&] {
            const QString base = rng.pick(departmentBases);
            ++round;
            if (round <= int(departmentBases.size()) * 2 && rng.chance(0.7))
                return base;
            return base + u" №"_s + QString::number(rng.between(1, 9));
        });
        if (o.hostile) {
            const int n = int(names.size());
            for (int i = 0; i < std::max(1, n / 4) && n > 0; ++i) {
                const QString src = names[size_t(rng.below(n))];
                names.push_back(rng.chance(0.5) ? src.toLower() : src + u' ');
            }
        }
        d.departments = entries(names, rng, o.deletedEntryShare);
        for (const ReferenceEntry &e : d.departments)
            d.departmentTexts << e.Name;
        if (o.hostile)
            d.departmentTexts << QString() << u"Склад"_s; // none chosen, and one never listed
    }

    QString series()
    {
        switch (rng.below(4)) {
        case 0:
            return QString::number(rng.between(10000, 999999));
        case 1: // leading zeros: digits that must stay text
            return u"00"_s + QString::number(rng.between(100, 9999));
        default:
            return rng.pick(seriesLetters) + rng.pick(seriesLetters)
                + QString::number(rng.between(1000, 99999));
        }
    }

    void makeBatches()
    {
        const int n = o.batches;
        // Receipt days ascend with the slot, as they do when receipts are entered
        // as deliveries arrive; a delivery brings several batches on one paper.
        std::vector<int> days(static_cast<size_t>(n));
        for (int &day : days)
            day = rng.between(firstDay, lastDay);
        std::sort(days.begin(), days.end());

        // Entries deleted since keep their batches: a receipt may predate the deletion.
        std::vector<int> suppliers, makers;
        for (int i = 0; i < int(d.suppliers.size()); ++i)
            suppliers.push_back(i);
        for (int i = 0; i < int(d.manufacturers.size()); ++i)
            makers.push_back(i);

        d.stock.resize(size_t(n));
        int deliveryLeft = 0;
        QString supplier, document;
        int deliveryDay = 0;
        for (int i = 0; i < n; ++i) {
            StockRecord &r = d.stock[size_t(i)];
            if (deliveryLeft == 0) {
                deliveryLeft = rng.between(1, 8);
                deliveryDay = days[size_t(i)];
                supplier =
                    suppliers.empty() ? QString() : d.suppliers[size_t(rng.pick(suppliers))].Name;
                document = rng.pick(documentKinds) + QString::number(rng.between(1, 99999));
                if (o.hostile && rng.chance(0.1))
                    document = QString::number(rng.between(1, 500));
            }
            --deliveryLeft;
            // Popular drugs are received more often.
            const double u = rng.unit();
            const DrugNameEntry name = d.names.empty()
                ? DrugNameEntry{}
                : d.names[size_t(
                    std::min<double>(double(d.names.size() - 1), u * u * double(d.names.size())))];
            r.DrugName = name.Name;
            r.Unit = name.Unit;
            if (o.hostile && rng.chance(0.03))
                r.Unit = r.Unit.toUpper(); // matches no drug-name entry
            r.Supplier = supplier;
            r.ReceiptDocument = document;
            r.Manufacturer =
                makers.empty() ? QString() : d.manufacturers[size_t(rng.pick(makers))].Name;
            r.Series = series();
            r.ReceiptDate = deliveryDay;
            r.ExpiryDate = deliveryDay + rng.between(90, 1800);
            const long long steps = isBulk(r.Unit)
                ? rng.between(5, 500)
                : std::llround(1 + std::pow(rng.unit(), 2) * 999);
            r.ReceivedQuantity = r.Quantity = quantityOf(steps, r.Unit);
            r.UnitPrice = double(rng.between(10, 500000)) / 100.0;
            r.ReceivedSum = r.TotalSum = product(r.Quantity, r.UnitPrice);
            r.RecordId = i;
            r.Deleted = 0;
        }
    }

    void makeIssues()
    {
        const int n = int(d.stock.size());
        if (n == 0 || o.issues <= 0)
            return;
        struct Event
        {
            int batch;
            int day;
            int department;
        };
        std::vector<Event> events(size_t(o.issues));
        for (Event &e : events) {
            e.batch = rng.below(n);
            const int received = int(d.stock[size_t(e.batch)].ReceiptDate);
            // Most of a batch goes out within months of its receipt.
            const double u = rng.unit();
            e.day = std::min(lastDay, received + int(u * u * u * 900));
            e.department = rng.below(int(d.departmentTexts.size()));
        }
        std::stable_sort(events.begin(), events.end(),
                         [](const Event &a, const Event &b) { return a.day < b.day; });

        // Deleted batches took their issues with them; the quantity they had left
        // stays in the record as it stood.
        std::vector<bool> deleted(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            deleted[size_t(i)] = rng.chance(o.deletedBatchShare);

        d.issues.reserve(events.size());
        for (const Event &e : events) {
            // A batch with nothing left hands the issue to another received no later.
            // Receipt days ascend with the slot, so those are a prefix of the file.
            const int received = int(std::upper_bound(d.stock.begin(), d.stock.end(), double(e.day),
                                                      [](double day, const StockRecord &r) {
                                                          return day < r.ReceiptDate;
                                                      })
                                     - d.stock.begin());
            int b = -1;
            for (int attempt = 0; attempt < 8 && b < 0 && received > 0; ++attempt) {
                int c = attempt == 0 ? e.batch : rng.below(received);
                for (int probe = 0; probe < 64; ++probe, c = (c + 1) % received) {
                    if (c < received && ops::shownValue(d.stock[size_t(c)].Quantity) > 0) {
                        b = c;
                        break;
                    }
                }
            }
            if (b < 0)
                continue;
            StockRecord &r = d.stock[size_t(b)];
            const double available = ops::shownValue(r.Quantity);

            double issued;
            const double unitStep = step(r.Unit);
            if (rng.chance(0.06)) {
                issued = available; // the rest, typed as shown
            } else {
                const long long most = std::llround(std::floor(available / unitStep * 0.4));
                issued = quantityOf(
                    std::max<long long>(1, rng.between(1, int(std::max<long long>(1, most)))),
                    r.Unit);
                if (issued > available)
                    issued = available;
            }
            const double price = ops::shownValue(r.UnitPrice);

            Issue is;
            is.batch = b;
            is.department = e.department;
            is.quantity = issued;
            is.price = price;
            is.sum = product(price, issued);
            is.date = e.day;
            if (rng.chance(o.failedIssueShare)) {
                is.deleted = true;
            } else {
                const double left = difference(available, issued);
                r.Quantity = left;
                r.TotalSum = product(price, left);
                is.deleted = deleted[size_t(b)];
            }
            d.issues.push_back(is);
        }
        for (int i = 0; i < n; ++i)
            if (deleted[size_t(i)])
                d.stock[size_t(i)].Deleted = 1;
    }

    Data run()
    {
        firstDay = int(text::dateToSerial(o.first));
        lastDay = std::max(firstDay, int(text::dateToSerial(o.last)));
        makeNames();
        makeFirms();
        makeDepartments();
        makeBatches();
        makeIssues();
        return std::move(d);
    }
};

template<class Record, class Source>
void writeFile(const QString &path, std::size_t count, Source recordAt)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Error(path, f.errorString());
    constexpr std::size_t chunk = 4096;
    QByteArray buffer;
    for (std::size_t first = 0; first < count; first += chunk) {
        const std::size_t n = std::min(chunk, count - first);
        buffer.resize(qsizetype(n * Record::Size));
        for (std::size_t i = 0; i < n; ++i)
            encode(recordAt(first + i), buffer.data() + i * Record::Size);
        if (f.write(buffer) != buffer.size())
            throw Error(path, f.errorString());
    }
    f.close();
    if (f.error() != QFileDevice::NoError)
        throw Error(path, f.errorString());
}

template<class Record> void writeAll(const QString &path, const std::vector<Record> &records)
{
    writeFile<Record>(path, records.size(),
                      [&](std::size_t i) -> const Record & { return records[i]; });
}

} // namespace

IssueRecord Data::issueRecord(std::size_t slot) const
{
    const Issue &is = issues[slot];
    const StockRecord &b = stock[size_t(is.batch)];
    IssueRecord r = issueFromBatch(b);
    r.Department = departmentTexts.value(is.department);
    r.IssuedQuantity = is.quantity;
    r.UnitPrice = is.price;
    r.IssuedSum = is.sum;
    r.IssueDate = is.date;
    r.StockRecordId = is.batch;
    r.Deleted = is.deleted ? 1 : 0;
    return r;
}

Data generate(const Options &options)
{
    return Generator(options).run();
}

void write(const Data &data, const QString &dataDir)
{
    if (!QDir().mkpath(dataDir))
        throw Error(dataDir, QStringLiteral("cannot create the folder"));
    writeAll(files::path(dataDir, files::Base), data.stock);
    writeFile<IssueRecord>(files::path(dataDir, files::Rashod), data.issues.size(),
                           [&](std::size_t i) { return data.issueRecord(i); });
    writeAll(files::path(dataDir, files::NamePreparat), data.names);
    writeAll(files::path(dataDir, files::FirmaPostav), data.suppliers);
    writeAll(files::path(dataDir, files::Izgotovitel), data.manufacturers);
    writeAll(files::path(dataDir, files::Otdelenie), data.departments);
}

} // namespace vedaris::gen
