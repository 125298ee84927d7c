#pragma once

#include "operations/StockOperations.h"

#include <QDate>
#include <QString>

// The receipt and issue the history, undo and fault tests build their stores from.
namespace vedaris::test {

inline ops::BatchInput batchInput(const QString &name, const QString &quantity,
                                  const QDate &received = QDate(2024, 1, 10),
                                  const QDate &expires = QDate(2026, 1, 1))
{
    ops::BatchInput in;
    in.drugName = name;
    in.unit = QStringLiteral("уп");
    in.supplier = QStringLiteral("Фарм");
    in.quantityText = quantity;
    in.priceText = QStringLiteral("2,5");
    in.receiptDate = received;
    in.expiryDate = expires;
    return in;
}

// Issues `quantity` of batch `id` to surgery on 1 February 2024.
inline void issueToSurgery(const QString &dir, qint32 id, const QString &quantity)
{
    ops::storeIssue(dir, id, ops::readBatch(dir, id), quantity, QStringLiteral("Хирургия"),
                    QDate(2024, 2, 1));
}

} // namespace vedaris::test
