#include "ConsolidatedReport.h"

#include "store/TextFormats.h"

namespace vedaris::reports {

namespace {

constexpr int HeaderRow = 3;
constexpr int Columns = 6;

} // namespace

Workbook consolidatedWorkbook(const QDate &date, const QVector<ConsolidatedLine> &lines)
{
    Workbook book;
    book.setSheetName(QStringLiteral("Сводный отчёт"));
    const double widths[Columns] = {5, 30, 18, 18, 18, 18};
    for (int c = 1; c <= Columns; ++c)
        book.setColumnWidth(c, widths[c - 1]);

    book.setText(1, 1,
                 QStringLiteral("Сводный отчёт по складам на %1").arg(text::formatDate(date)));
    book.merge(Range{1, 1, 1, Columns});
    book.setBold(Range::cell(1, 1));
    book.setFontSize(Range::cell(1, 1), 14);
    book.setHorizontalAlignment(Range{1, 1, 1, Columns}, HAlign::Center);

    const QString month = date.toString(QStringLiteral("MM.yyyy"));
    const QStringList header = {QStringLiteral("№ п/п"),
                                QStringLiteral("Склад"),
                                QStringLiteral("Стоимость остатка"),
                                QStringLiteral("Просрочено на %1").arg(text::formatDate(date)),
                                QStringLiteral("Истекает в течение 90 дней"),
                                QStringLiteral("Расход за %1").arg(month)};
    for (int c = 1; c <= Columns; ++c)
        book.setText(HeaderRow, c, header[c - 1]);
    const Range headerRange{HeaderRow, 1, HeaderRow, Columns};
    book.setBold(headerRange);
    book.setWrap(headerRange);
    book.setHorizontalAlignment(headerRange, HAlign::Center);
    book.setVerticalAlignment(headerRange, VAlign::Center);

    int row = HeaderRow;
    ConsolidatedLine total;
    for (const ConsolidatedLine &l : lines) {
        ++row;
        book.setValue(row, 1, double(row - HeaderRow));
        book.setText(row, 2, l.store);
        book.setValue(row, 3, l.stockValue);
        book.setValue(row, 4, l.expiredValue);
        book.setValue(row, 5, l.expiringValue);
        book.setValue(row, 6, l.monthConsumption);
        total.stockValue += l.stockValue;
        total.expiredValue += l.expiredValue;
        total.expiringValue += l.expiringValue;
        total.monthConsumption += l.monthConsumption;
    }
    ++row;
    book.setText(row, 2, QStringLiteral("ИТОГО:"));
    book.setValue(row, 3, total.stockValue);
    book.setValue(row, 4, total.expiredValue);
    book.setValue(row, 5, total.expiringValue);
    book.setValue(row, 6, total.monthConsumption);
    book.setBold(Range{row, 1, row, Columns});
    book.setNumberFormat(Range{HeaderRow + 1, 3, row, Columns}, QStringLiteral("0.00"));
    book.setBorders(Range{HeaderRow, 1, row, Columns});
    book.pageSetup().orientation = PageSetup::Landscape;
    return book;
}

} // namespace vedaris::reports
