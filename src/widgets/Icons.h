#pragma once

#include <QIcon>

namespace vedaris {

// The program's own icon set, drawn once at start-up: a base picture for the
// kind of thing (carton, page, capsule, truck, factory, department, report
// sheet) with a small badge for the action.
enum class Icon {
    NewPrihod,
    Rashod,
    EditPrihod,
    DeleteZapis,
    Spisanie,
    NewPrepar,
    DeletePrepar,
    NewFirmaPost,
    DeleteFirmaPost,
    NewIzgot,
    DeleteIzgot,
    NewMove,
    DeleteMove,
    SrokGodnosti,
    Nalichie,
    AllRashod,
    AllRashodData,
    OtchetPriobr,
    PolAndIzr,
    OtchetOneOtdel,
    MoveMed,
    Exit,
    Close,
    Program
};

QIcon icon(Icon which);

} // namespace vedaris
