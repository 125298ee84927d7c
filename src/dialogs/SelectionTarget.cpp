#include "SelectionTarget.h"

#include "TFormEdit.h"
#include "TFormPrihod.h"
#include "app/Forms.h"

namespace vedaris {

ReferenceTarget *receiptOrEditTarget(Forms &forms)
{
    if (forms.FormPrihod->isVisible())
        return forms.FormPrihod;
    return forms.FormEdit;
}

} // namespace vedaris
