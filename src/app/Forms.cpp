#include "Forms.h"

#include "TFormAbaut.h"
#include "TFormGl.h"
#include "TFormLoad.h"
#include "TFormViewZap.h"
#include "dialogs/TFormAllRashod.h"
#include "dialogs/TFormDelFirma.h"
#include "dialogs/TFormDelIzgot.h"
#include "dialogs/TFormDelMove.h"
#include "dialogs/TFormDelPrep.h"
#include "dialogs/TFormDelZap.h"
#include "dialogs/TFormEdit.h"
#include "dialogs/TFormNewFirma.h"
#include "dialogs/TFormNewFirmaIzg.h"
#include "dialogs/TFormNewMove.h"
#include "dialogs/TFormNewPrep.h"
#include "dialogs/TFormOtchetDvijeniia.h"
#include "dialogs/TFormOtchetOneOtdel.h"
#include "dialogs/TFormOtchetPolIzr.h"
#include "dialogs/TFormOtchetPrihodMedikamentov.h"
#include "dialogs/TFormPrihod.h"
#include "dialogs/TFormRashod.h"
#include "dialogs/TFormRashodAllData.h"
#include "dialogs/TFormSelFirma.h"
#include "dialogs/TFormSelFirmaIzg.h"
#include "dialogs/TFormSelMove.h"
#include "dialogs/TFormSelPrep.h"
#include "dialogs/TFormSrokGodnosti.h"

namespace vedaris {

Forms::Forms(QString dataDir)
    : m_dataDir(std::move(dataDir))
{
    // The main window comes first: creating it makes sure the data files
    // exist. The others are its children, so they open centred over it.
    FormGl = new TFormGl(*this);
    QWidget *main = FormGl;
    FormPrihod = new TFormPrihod(*this, main);
    FormRashod = new TFormRashod(*this, main);
    FormNewPrep = new TFormNewPrep(*this, main);
    FormNewFirma = new TFormNewFirma(*this, main);
    FormNewFirmaIzg = new TFormNewFirmaIzg(*this, main);
    FormDelZap = new TFormDelZap(*this, main);
    FormDelFirma = new TFormDelFirma(*this, main);
    FormDelIzgot = new TFormDelIzgot(*this, main);
    FormDelPrep = new TFormDelPrep(*this, main);
    FormSelPrep = new TFormSelPrep(*this, main);
    FormSelFirma = new TFormSelFirma(*this, main);
    FormSelFirmaIzg = new TFormSelFirmaIzg(*this, main);
    FormEdit = new TFormEdit(*this, main);
    FormNewMove = new TFormNewMove(*this, main);
    FormSelMove = new TFormSelMove(*this, main);
    FormDelMove = new TFormDelMove(*this, main);
    FormSrokGodnosti = new TFormSrokGodnosti(*this, main);
    FormAllRashod = new TFormAllRashod(*this, main);
    FormOtchetPrihodMedikamentov = new TFormOtchetPrihodMedikamentov(*this, main);
    FormOtchetPolIzr = new TFormOtchetPolIzr(*this, main);
    FormOtchetOneOtdel = new TFormOtchetOneOtdel(*this, main);
    FormOtchetDvijeniia = new TFormOtchetDvijeniia(*this, main);
    FormAbaut = new TFormAbaut(*this, main);
    FormLoad = new TFormLoad(*this, main);
    FormRashodAllData = new TFormRashodAllData(*this, main);
    FormViewZap = new TFormViewZap(*this, main);
}

Forms::~Forms()
{
    // The other windows are the main window's children and go with it.
    delete FormGl;
}

} // namespace vedaris
