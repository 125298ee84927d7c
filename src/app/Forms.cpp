#include "Forms.h"

#include "TFormAbaut.h"
#include "TFormGl.h"
#include "TFormLoad.h"
#include "dialogs/ReferenceWindows.h"
#include "dialogs/ReportLauncher.h"
#include "dialogs/ReportWindows.h"
#include "dialogs/TFormDelZap.h"
#include "dialogs/TFormEdit.h"
#include "dialogs/TFormNewPrep.h"
#include "dialogs/TFormOtchetOneOtdel.h"
#include "dialogs/TFormPrihod.h"
#include "dialogs/TFormRashod.h"
#include "dialogs/TFormSpisanie.h"
#include "dialogs/TFormViewZap.h"
#include "widgets/DialogParts.h"

namespace vedaris {

Forms::Forms(QString dataDir) : m_dataDir(std::move(dataDir))
{
    ui::installKeyboardHelp();
    // The main window comes first: creating it makes sure the data files
    // exist. The others are its children, so they open centred over it.
    const QString &dir = m_dataDir;
    FormGl = new TFormGl(dir);
    QWidget *main = FormGl;
    const ReportProgress progress = FormGl->reportProgress();
    FormPrihod = new TFormPrihod(dir, main);
    FormRashod = new TFormRashod(dir, main);
    FormNewPrep = new TFormNewPrep(dir, main);
    FormNewFirma = new TFormNewFirma(dir, main);
    FormNewFirmaIzg = new TFormNewFirmaIzg(dir, main);
    FormDelZap = new TFormDelZap(dir, main);
    FormDelFirma = new TFormDelFirma(dir, main);
    FormDelIzgot = new TFormDelIzgot(dir, main);
    FormDelPrep = new TFormDelPrep(dir, main);
    FormSelPrep = new TFormSelPrep(dir, main);
    FormSelFirma = new TFormSelFirma(dir, main);
    FormSelFirmaIzg = new TFormSelFirmaIzg(dir, main);
    FormEdit = new TFormEdit(dir, main);
    FormNewMove = new TFormNewMove(dir, main);
    FormSelMove = new TFormSelMove(dir, main);
    FormDelMove = new TFormDelMove(dir, main);
    FormSrokGodnosti = new TFormSrokGodnosti(dir, progress, main);
    FormAllRashod = new TFormAllRashod(dir, progress, main);
    FormOtchetPrihodMedikamentov = new TFormOtchetPrihodMedikamentov(dir, progress, main);
    FormOtchetPolIzr = new TFormOtchetPolIzr(dir, progress, main);
    FormOtchetOneOtdel = new TFormOtchetOneOtdel(dir, progress, main);
    FormOtchetDvijeniia = new TFormOtchetDvijeniia(dir, progress, main);
    FormAbaut = new TFormAbaut(m_dataDir, main);
    FormLoad = new TFormLoad(main);
    FormRashodAllData = new TFormRashodAllData(dir, progress, main);
    FormViewZap = new TFormViewZap(main);
    FormSpisanie = new TFormSpisanie(dir, main);

    // Who opens whom, now that all exist.
    FormPrihod->setSelectionDialogs(FormSelPrep, FormSelFirma, FormSelFirmaIzg);
    FormEdit->setSelectionDialogs(FormSelPrep, FormSelFirma, FormSelFirmaIzg);
    FormRashod->setSelectionDialog(FormSelMove);
    FormGl->setWindows(*this);
}

Forms::~Forms()
{
    // The other windows are the main window's children and go with it.
    delete FormGl;
}

} // namespace vedaris
