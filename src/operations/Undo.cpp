#include "Undo.h"

#include "store/DataFiles.h"
#include "store/Error.h"
#include "store/Journal.h"
#include "store/RecordFile.h"
#include "store/Records.h"

#include <QFileInfo>
#include <QSet>
#include <map>
#include <memory>

namespace vedaris::ops {

namespace {

QString when(const history::Entry &e)
{
    return e.when.toLocalTime().toString(QStringLiteral("dd.MM.yyyy hh:mm"));
}

QString named(const history::Entry &e)
{
    return QStringLiteral("\"%1\" (%2)").arg(e.title(), when(e));
}

bool touches(const history::Entry &e, const QString &file, qint64 index, bool length)
{
    for (const history::RecordChange &r : e.records)
        if (r.file == file && r.index == index)
            return true;
    if (length)
        if (const history::FileLength *f = e.lengthOf(file); f && f->before != f->after)
            return true;
    return false;
}

// What changed `file` (its record `index`, or its length) after `target`: the
// earliest later operation of the history that touched it, else another program.
QString changedSince(history::Reader &reader, const history::Entry &target, const QString &file,
                     qint64 index, bool length)
{
    std::optional<history::Entry> found;
    reader.newestFirst([&](const history::Entry &e) {
        if (e.offset <= target.offset)
            return false;
        if (touches(e, file, index, length))
            found = e;
        return true;
    });
    const QString what = length ? QStringLiteral("длина файла %1").arg(file)
                                : QStringLiteral("запись %1 файла %2").arg(index).arg(file);
    if (found)
        return QStringLiteral("после неё %1 изменена операцией %2").arg(what, named(*found));
    return QStringLiteral("после неё %1 изменена другой программой или восстановлена из копии")
        .arg(what);
}

bool liveIssueOf(const QString &dataDir, qint64 recordId)
{
    RecordFile rashod(files::path(dataDir, files::Rashod), IssueRecord::Size, RecordFile::ReadOnly);
    bool found = false;
    rashod.scan([&](qint64, const char *bytes) {
        found = !field::isDeleted(bytes, IssueRecord::DeletedOffset)
            && field::int32(bytes, IssueRecord::StockRecordIdOffset) == recordId;
        return !found;
    });
    return found;
}

bool isLive(const QByteArray &record, int deletedOffset)
{
    return record.size() > deletedOffset && !field::isDeleted(record.constData(), deletedOffset);
}

} // namespace

std::optional<history::Entry> lastUndoable(const QString &dataDir)
{
    history::Reader reader(dataDir);
    QSet<qint64> undone;
    std::optional<history::Entry> out;
    reader.newestFirst([&](const history::Entry &e) {
        if (e.undoes >= 0)
            undone.insert(e.undoes);
        else if (!undone.contains(e.offset))
            out = e;
        return !out;
    });
    return out;
}

QString undoRefusal(const QString &dataDir, const history::Entry &e)
{
    // The count stays posted: a posting is put right by another count.
    if (e.kind == history::kind::Stocktake)
        return QStringLiteral("проведённую инвентаризацию исправляет новая инвентаризация");
    history::Reader reader(dataDir);
    for (const history::FileLength &f : e.lengths) {
        if (f.file == history::FileName || f.before == f.after)
            continue;
        if (QFileInfo(files::path(dataDir, f.file)).size() != f.after)
            return changedSince(reader, e, f.file, -1, true);
    }
    std::map<QString, std::unique_ptr<RecordFile>> open;
    for (const history::RecordChange &r : e.records) {
        auto &file = open[r.file];
        if (!file)
            file = std::make_unique<RecordFile>(files::path(dataDir, r.file),
                                                history::recordSize(r.file), RecordFile::ReadOnly);
        const int size = history::recordSize(r.file);
        if (file->bytesAt(r.index * size, size) != r.after)
            return changedSince(reader, e, r.file, r.index, false);
        // A batch this operation brought to life must have no issues left.
        if (r.file == files::Base && isLive(r.after, StockRecord::DeletedOffset)
            && !isLive(r.before, StockRecord::DeletedOffset) && liveIssueOf(dataDir, r.index))
            return QStringLiteral("из партии \"%1\" (запись %2) уже есть выдачи")
                .arg(field::text(r.after.constData(), layout::Stock::DrugName))
                .arg(r.index);
    }
    return {};
}

UndoResult undoLast(const QString &dataDir)
{
    Transaction tx(dataDir);
    UndoResult out;
    out.entry = lastUndoable(dataDir);
    if (!out.entry) {
        out.text = QStringLiteral("В истории нет операций, которые можно отменить.");
        return out;
    }
    const history::Entry &e = *out.entry;
    if (const QString why = undoRefusal(dataDir, e); !why.isEmpty()) {
        out.text = QStringLiteral("Операцию %1 отменить нельзя: %2.").arg(named(e), why);
        return out;
    }

    std::map<QString, std::unique_ptr<RecordFile>> open;
    auto fileOf = [&](const QString &name) -> RecordFile & {
        auto &file = open[name];
        if (!file)
            file =
                std::make_unique<RecordFile>(files::path(dataDir, name), history::recordSize(name));
        return *file;
    };
    // Records back in file order, so a record cut off by a restore follows
    // the one before it; then the files the operation lengthened are cut.
    std::vector<const history::RecordChange *> order;
    for (const history::RecordChange &r : e.records)
        order.push_back(&r);
    std::sort(order.begin(), order.end(), [](auto *a, auto *b) {
        return a->file != b->file ? a->file < b->file : a->index < b->index;
    });
    for (const history::RecordChange *r : order)
        if (!r->before.isEmpty())
            tx.keepBytes(fileOf(r->file), r->index * history::recordSize(r->file), r->before);
    for (const history::FileLength &f : e.lengths)
        if (f.file != history::FileName && f.before < f.after)
            tx.keepLength(fileOf(f.file), f.before);
    tx.undoes(e.offset);
    tx.begin(QStringLiteral("Отмена операции \"%1\" не была завершена и отменена.").arg(e.title()),
             history::kind::Undo);
    for (const history::RecordChange *r : order)
        if (!r->before.isEmpty())
            fileOf(r->file).writeAt(r->index * history::recordSize(r->file), r->before);
    for (const history::FileLength &f : e.lengths)
        if (f.file != history::FileName && f.before < f.after)
            fileOf(f.file).cutTo(f.before);
    tx.commit();
    for (auto &[name, file] : open)
        file->close();
    out.done = true;
    out.text = QStringLiteral("Операция %1 отменена.").arg(named(e));
    return out;
}

} // namespace vedaris::ops
