#pragma once

class TFormPrihod;
class TFormRashod;
class TFormNewPrep;
class TFormNewFirma;
class TFormNewFirmaIzg;
class TFormDelZap;
class TFormDelFirma;
class TFormDelIzgot;
class TFormDelPrep;
class TFormSelPrep;
class TFormSelFirma;
class TFormSelFirmaIzg;
class TFormEdit;
class TFormNewMove;
class TFormSelMove;
class TFormDelMove;
class TFormSrokGodnosti;
class TFormAllRashod;
class TFormOtchetPrihodMedikamentov;
class TFormOtchetPolIzr;
class TFormOtchetOneOtdel;
class TFormOtchetDvijeniia;
class TFormAbaut;
class TFormLoad;
class TFormRashodAllData;
class TFormViewZap;
class TFormSpisanie;

namespace vedaris {

// The program's windows besides the main window, in their order of creation,
// each by its instance name.
struct Windows
{
    TFormPrihod *FormPrihod = nullptr;
    TFormRashod *FormRashod = nullptr;
    TFormNewPrep *FormNewPrep = nullptr;
    TFormNewFirma *FormNewFirma = nullptr;
    TFormNewFirmaIzg *FormNewFirmaIzg = nullptr;
    TFormDelZap *FormDelZap = nullptr;
    TFormDelFirma *FormDelFirma = nullptr;
    TFormDelIzgot *FormDelIzgot = nullptr;
    TFormDelPrep *FormDelPrep = nullptr;
    TFormSelPrep *FormSelPrep = nullptr;
    TFormSelFirma *FormSelFirma = nullptr;
    TFormSelFirmaIzg *FormSelFirmaIzg = nullptr;
    TFormEdit *FormEdit = nullptr;
    TFormNewMove *FormNewMove = nullptr;
    TFormSelMove *FormSelMove = nullptr;
    TFormDelMove *FormDelMove = nullptr;
    TFormSrokGodnosti *FormSrokGodnosti = nullptr;
    TFormAllRashod *FormAllRashod = nullptr;
    TFormOtchetPrihodMedikamentov *FormOtchetPrihodMedikamentov = nullptr;
    TFormOtchetPolIzr *FormOtchetPolIzr = nullptr;
    TFormOtchetOneOtdel *FormOtchetOneOtdel = nullptr;
    TFormOtchetDvijeniia *FormOtchetDvijeniia = nullptr;
    TFormAbaut *FormAbaut = nullptr;
    TFormLoad *FormLoad = nullptr;
    TFormRashodAllData *FormRashodAllData = nullptr;
    TFormViewZap *FormViewZap = nullptr;
    TFormSpisanie *FormSpisanie = nullptr;
};

} // namespace vedaris
