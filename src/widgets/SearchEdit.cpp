#include "SearchEdit.h"

namespace vedaris {

void SearchEdit::keyReleaseEvent(QKeyEvent *event)
{
    QLineEdit::keyReleaseEvent(event);
    emit keyReleased();
}

} // namespace vedaris
