#pragma once

#include <QString>

class TFormGl;
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

namespace vedaris {

// Owns the program's 27 windows, created once in this order (main window first,
// whose creation makes sure the data files exist) and kept to the end. Windows
// reach each other through it. Every window is constructed as
// `TFormX(Forms &forms, QWidget *parent)`.
class Forms
{
public:
    explicit Forms(QString dataDir);
    ~Forms();
    Forms(const Forms &) = delete;
    Forms &operator=(const Forms &) = delete;

    const QString &dataDir() const { return m_dataDir; }

    TFormGl *FormGl = nullptr;
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

private:
    QString m_dataDir;
};

} // namespace vedaris
