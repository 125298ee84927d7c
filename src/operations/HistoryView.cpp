#include "HistoryView.h"

#include "store/DataFiles.h"
#include "store/Records.h"
#include "store/TextFormats.h"

#include <algorithm>

namespace vedaris::ops {

namespace {

using Fields = std::vector<std::pair<QString, QString>>;

QString number(double v)
{
    return text::formatNumber(v);
}

Fields fieldsOf(const QString &file, const QByteArray &bytes, QString &what)
{
    Fields f;
    if (bytes.size() != history::recordSize(file))
        return f;
    const char *b = bytes.constData();
    if (file == files::Base) {
        StockRecord r;
        decode(b, r);
        what = QStringLiteral("Партия \"%1\"").arg(r.DrugName);
        f = {{QStringLiteral("Наименование"), r.DrugName},
             {QStringLiteral("Дата прихода"), text::formatDate(r.ReceiptDate)},
             {QStringLiteral("Ед. изм."), r.Unit},
             {QStringLiteral("Поставщик"), r.Supplier},
             {QStringLiteral("Документ"), r.ReceiptDocument},
             {QStringLiteral("Изготовитель"), r.Manufacturer},
             {QStringLiteral("Серия"), r.Series},
             {QStringLiteral("Количество"), number(r.Quantity)},
             {QStringLiteral("Получено"), number(r.ReceivedQuantity)},
             {QStringLiteral("Цена"), number(r.UnitPrice)},
             {QStringLiteral("Сумма"), number(r.TotalSum)},
             {QStringLiteral("Сумма прихода"), number(r.ReceivedSum)},
             {QStringLiteral("Срок годности"), text::formatDate(r.ExpiryDate)},
             {QStringLiteral("Номер записи"), QString::number(r.RecordId)},
             {QStringLiteral("Удалена"), QString::number(r.Deleted)}};
    } else if (file == files::Rashod) {
        IssueRecord r;
        decode(b, r);
        what = QStringLiteral("Выдача \"%1\"").arg(r.DrugName);
        f = {{QStringLiteral("Наименование"), r.DrugName},
             {QStringLiteral("Отделение"), r.Department},
             {QStringLiteral("Дата выдачи"), text::formatDate(r.IssueDate)},
             {QStringLiteral("Количество"), number(r.IssuedQuantity)},
             {QStringLiteral("Цена"), number(r.UnitPrice)},
             {QStringLiteral("Сумма"), number(r.IssuedSum)},
             {QStringLiteral("Ед. изм."), r.Unit},
             {QStringLiteral("Серия"), r.Series},
             {QStringLiteral("Дата прихода"), text::formatDate(r.ReceiptDate)},
             {QStringLiteral("Поставщик"), r.Supplier},
             {QStringLiteral("Документ"), r.ReceiptDocument},
             {QStringLiteral("Изготовитель"), r.Manufacturer},
             {QStringLiteral("Партия (запись)"), QString::number(r.StockRecordId)},
             {QStringLiteral("Удалена"), QString::number(r.Deleted)}};
    } else if (file == files::NamePreparat) {
        DrugNameEntry r;
        decode(b, r);
        what = QStringLiteral("Препарат \"%1\"").arg(r.Name);
        f = {{QStringLiteral("Наименование"), r.Name},
             {QStringLiteral("Ед. изм."), r.Unit},
             {QStringLiteral("Номер"), QString::number(r.EntryId)},
             {QStringLiteral("Удалён"), QString::number(r.Deleted)}};
    } else {
        ReferenceEntry r;
        decode(b, r);
        const QString list = file == files::FirmaPostav ? QStringLiteral("Поставщик")
            : file == files::Izgotovitel                ? QStringLiteral("Изготовитель")
                                                        : QStringLiteral("Отделение");
        what = QStringLiteral("%1 \"%2\"").arg(list, r.Name);
        f = {{QStringLiteral("Наименование"), r.Name},
             {QStringLiteral("Номер"), QString::number(r.EntryId)},
             {QStringLiteral("Удалён"), QString::number(r.Deleted)}};
    }
    return f;
}

bool deleted(const QString &file, const QByteArray &bytes)
{
    const int size = history::recordSize(file);
    return bytes.size() == size && field::isDeleted(bytes.constData(), size - 4);
}

} // namespace

std::vector<RecordView> recordViews(const history::Entry &e)
{
    std::vector<RecordView> out;
    // The batches first, then the issues, then the lists, each in file order.
    std::vector<const history::RecordChange *> order;
    for (const history::RecordChange &r : e.records)
        order.push_back(&r);
    std::stable_sort(order.begin(), order.end(), [](auto *a, auto *b) {
        const int fa = int(files::All.indexOf(a->file)), fb = int(files::All.indexOf(b->file));
        return fa != fb ? fa < fb : a->index < b->index;
    });
    for (const history::RecordChange *change : order) {
        const history::RecordChange &r = *change;
        RecordView v;
        QString whatBefore, whatAfter;
        const Fields before = fieldsOf(r.file, r.before, whatBefore);
        const Fields after = fieldsOf(r.file, r.after, whatAfter);
        v.what = QStringLiteral("%1 (%2, запись %3)")
                     .arg(whatAfter.isEmpty() ? whatBefore : whatAfter, r.file)
                     .arg(r.index);
        const bool was = !r.before.isEmpty() && !deleted(r.file, r.before);
        const bool is = !r.after.isEmpty() && !deleted(r.file, r.after);
        v.change = was && is ? QStringLiteral("изменена")
            : !was && is     ? (r.before.isEmpty() ? QStringLiteral("добавлена")
                                                   : QStringLiteral("добавлена на место удалённой"))
            : was && !is
            ? (r.after.isEmpty() ? QStringLiteral("отрезана") : QStringLiteral("удалена"))
            : QStringLiteral("изменена удалённая");
        const size_t n = std::max(before.size(), after.size());
        for (size_t i = 0; i < n; ++i) {
            FieldChange c;
            c.field = i < after.size() ? after[i].first : before[i].first;
            if (i < before.size())
                c.before = before[i].second;
            if (i < after.size())
                c.after = after[i].second;
            // An edit shows what changed; an addition or a deletion the whole
            // record, on the side where it is, and what else changed.
            if (c.before == c.after) {
                if (was && is)
                    continue;
                (was ? c.after : c.before).clear();
            }
            v.fields.push_back(c);
        }
        out.push_back(std::move(v));
    }
    return out;
}

QStringList drugsOf(const history::Entry &e)
{
    QStringList out;
    for (const history::RecordChange &r : e.records) {
        if (r.file != files::Base && r.file != files::Rashod && r.file != files::NamePreparat)
            continue;
        for (const QByteArray *b : {&r.before, &r.after}) {
            if (b->size() != history::recordSize(r.file))
                continue;
            const QString name = field::text(b->constData(), layout::Batch::DrugName);
            if (!out.contains(name))
                out << name;
        }
    }
    return out;
}

bool HistoryFilter::matches(const history::Entry &e) const
{
    const QDate day = e.when.toLocalTime().date();
    if (from.isValid() && day < from)
        return false;
    if (to.isValid() && day > to)
        return false;
    if (!kind.isEmpty() && e.kind != kind)
        return false;
    if (!drug.isEmpty()) {
        const QStringList names = drugsOf(e);
        return std::any_of(names.begin(), names.end(),
                           [&](const QString &n) { return n.contains(drug, Qt::CaseInsensitive); });
    }
    return true;
}

std::vector<DeletedRecord> deletions(const QString &dataDir, const QDate &from, const QDate &to)
{
    std::vector<DeletedRecord> out;
    history::Reader reader(dataDir);
    reader.newestFirst([&](const history::Entry &e) {
        const QDate day = e.when.toLocalTime().date();
        if (from.isValid() && day < from)
            return false;
        if ((to.isValid() && day > to) || e.kind != history::kind::Delete)
            return true;
        std::vector<DeletedRecord> these;
        for (const history::RecordChange &r : e.records) {
            if ((r.file != files::Base && r.file != files::Rashod) || deleted(r.file, r.before)
                || !deleted(r.file, r.after))
                continue;
            DeletedRecord d;
            d.when = e.when.toLocalTime();
            d.entry = e.number;
            d.index = r.index;
            if (r.file == files::Base) {
                StockRecord s;
                decode(r.before.constData(), s);
                d.drugName = s.DrugName;
                d.unit = s.Unit;
                d.series = s.Series;
                d.quantity = s.Quantity;
                d.sum = s.TotalSum;
                d.date = s.ReceiptDate;
            } else {
                IssueRecord s;
                decode(r.before.constData(), s);
                d.issue = true;
                d.drugName = s.DrugName;
                d.unit = s.Unit;
                d.series = s.Series;
                d.department = s.Department;
                d.quantity = s.IssuedQuantity;
                d.sum = s.IssuedSum;
                d.date = s.IssueDate;
            }
            these.push_back(d);
        }
        // The batch first, then its issues.
        std::stable_sort(these.begin(), these.end(),
                         [](const auto &a, const auto &b) { return !a.issue && b.issue; });
        out.insert(out.begin(), these.begin(), these.end());
        return true;
    });
    return out;
}

} // namespace vedaris::ops
