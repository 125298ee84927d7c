#pragma once

#include "BookQuantity.h"
#include "store/CountFile.h"

#include <QDate>
#include <QString>
#include <vector>

// The stock-take: the count sheet's lines with what the commission counted,
// the draft kept beside the data, and the posting that brings the books in
// line with the count.
namespace vedaris::ops {

struct CountRow
{
    BookLine book; // the batch and its book quantity at the count's date
    QString counted; // as typed (decimal comma); empty while not counted

    bool hasCount() const { return !counted.isEmpty(); }
    double countedQuantity() const; // 0 while not counted
    // Counted less book, to a millionth; 0 while not counted.
    double difference() const;
    double differenceSum() const; // to the kopeck
};

// The lines of the count sheet at `c.date` (batches with a book quantity other
// than 0, by drug name in the list's order, then series) with the counts of
// `c` laid over them: a count goes to the batch of its record number while
// that batch still has the name it was counted under. A posted count gives
// its own lines as they were when it was posted.
std::vector<CountRow> countRows(const QString &dataDir, const count::Count &c);
// What the draft keeps of `rows`: the counted lines.
count::Count draftOf(const QDate &date, const std::vector<CountRow> &rows);

struct Posted
{
    int shortages = 0;
    int surpluses = 0;
    double shortageSum = 0;
    double surplusSum = 0;
};

// The sentence a surplus's receipt carries as its document.
QString surplusDocument(const QDate &date);

// Posts the draft in the folder's count file as one all-or-nothing change: a
// shortage is written off its batch to "Списание: Недостача" on the count's
// date, as the write-off window writes off; a surplus is received as a new
// batch of the same drug, unit, series, expiry, firms and price, dated the
// count's date, with surplusDocument() as its document; and the count file is
// marked posted with every line as it stood. Issues dated after the count's
// date are left alone, so afterwards each batch's book quantity at that date
// together with its surplus batch is what was counted. Throws Error, with
// nothing written, when there is no draft, the count is posted already, a
// count is no number, or a shortage is more than the batch still holds (more
// was issued after the date than the count found).
Posted postCount(const QString &dataDir);

} // namespace vedaris::ops
