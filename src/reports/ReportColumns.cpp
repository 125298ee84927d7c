#include "reports/ReportColumns.h"

#include "store/TextFormats.h"

namespace vedaris::reports {

namespace {

template<class Line> Columns<Line> departmentColumnsOf(double quantityWidth)
{
    return {
        numbered<Line>(),
        stockText<Line>(header::Name, 35, &StockRecord::DrugName),
        stockText<Line>(header::Supplier, 20, &StockRecord::Supplier),
        stockText<Line>(header::Manufacturer, 20, &StockRecord::Manufacturer),
        stockText<Line>(header::Unit, 12, &StockRecord::Unit, Total::Label),
        issued<Line>(header::Quantity, quantityWidth, &Line::quantity, Total::Quantity),
        stockNumber<Line>(header::Price, 9, &StockRecord::UnitPrice),
        issued<Line>(header::Sum, 11, &Line::sum, Total::Money),
    };
}

} // namespace

QString periodText(const QDate &start, const QDate &finish)
{
    return QStringLiteral("с %1 по %2 года").arg(text::formatDate(start), text::formatDate(finish));
}

Columns<IssuedLine> departmentColumns(double quantityWidth)
{
    return departmentColumnsOf<IssuedLine>(quantityWidth);
}

Columns<StockShare> departmentShareColumns(double quantityWidth)
{
    return departmentColumnsOf<StockShare>(quantityWidth);
}

} // namespace vedaris::reports
