#include "IssueQuantity.h"

#include "operations/StockOperations.h"
#include "widgets/Messages.h"

namespace vedaris::ui {

bool issueQuantityAccepted(QWidget *dialog, const StockRecord &batch, const QString &quantity)
{
    ops::IssueVerdict verdict = ops::IssueVerdict::Empty;
    if (!Messages::guard(dialog, [&] { verdict = ops::checkIssue(batch, quantity); }))
        return false;
    if (verdict == ops::IssueVerdict::Empty) {
        Messages::info(dialog, QStringLiteral("Вы не заполнили поле \"Расход\"!"));
        return false;
    }
    if (verdict == ops::IssueVerdict::OutOfRange) {
        Messages::info(
            dialog,
            QStringLiteral("Введённое значение превышает количество, либо оно равно нулю!"));
        return false;
    }
    return true;
}

} // namespace vedaris::ui
