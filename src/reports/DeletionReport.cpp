#include "DeletionReport.h"

#include "operations/HistoryView.h"
#include "store/TextFormats.h"

#include <cmath>

namespace vedaris::reports {

Outcome deletionsReport(const QString &dataDir, const QDate &start, const QDate &finish)
{
    using L = ops::DeletedRecord;
    const auto money = [](double v) {
        CellData c = numberCell(std::isfinite(v) ? text::roundSum(v) : v);
        return c;
    };
    const Columns<L> columns = {
        {QStringLiteral("№ п/п"), 6, {}},
        {QStringLiteral("Удалено"), 17,
         [](const L &l) { return textCell(l.when.toString(QStringLiteral("dd.MM.yyyy hh:mm"))); }},
        {QStringLiteral("Что"), 9,
         [](const L &l) {
             return textCell(l.issue ? QStringLiteral("выдача") : QStringLiteral("партия"));
         }},
        {QStringLiteral("Наименование"), 35, [](const L &l) { return textCell(l.drugName); }},
        {QStringLiteral("Ед. изм."), 9, [](const L &l) { return textCell(l.unit); }},
        {QStringLiteral("Серия"), 12, [](const L &l) { return textCell(l.series); }},
        {QStringLiteral("Отделение"), 20, [](const L &l) { return textCell(l.department); }},
        {QStringLiteral("Дата прихода или выдачи"), 13,
         [](const L &l) { return dateCell(l.date); }},
        {QStringLiteral("Количество"), 12, [](const L &l) { return roundedCell(l.quantity); }},
        {QStringLiteral("Сумма"), 13, [money](const L &l) { return money(l.sum); }},
        {QStringLiteral("№ записи"), 9, [](const L &l) { return numberCell(double(l.index)); }},
        {QStringLiteral("№ в журнале операций"), 12,
         [](const L &l) { return numberCell(double(l.entry)); }},
    };
    Layout layout = tableLayout(columns,
                                {QStringLiteral("Удалённые партии и выдачи"),
                                 QStringLiteral("за период с %1 по %2")
                                     .arg(text::formatDate(start), text::formatDate(finish))},
                                HeaderRow::BoldCentred);
    layout.name = QStringLiteral("Удалённые партии");
    layout.landscape = true;
    layout.emptyMessage = messages::NoDeletions;
    ReportSheet sheet(std::move(layout));
    const int first = sheet.row();
    for (const L &line : ops::deletions(dataDir, start, finish))
        sheet.addRow(columns, line);
    if (sheet.row() > first)
        sheet.book().setNumberFormat(cells(first, 10, sheet.row() - 1, 10), MoneyFormat);
    return sheet.finish();
}

} // namespace vedaris::reports
