#pragma once

#include "Windows.h"

#include <QMainWindow>
#include <optional>

namespace vedaris {
class ListView;
class SearchEdit;
class StatusBar;
class StockModel;
struct ReportProgress;
struct StockRow;
} // namespace vedaris

// The main window: menu, toolbars, the stock list and the commands behind them.
// It hands each dialog what it needs, runs it and puts what the dialog stored
// into its own list.
class TFormGl : public QMainWindow
{
    Q_OBJECT
public:
    explicit TFormGl(QString dataDir, QWidget *parent = nullptr);

    // The windows the commands open; they are created after this one.
    void setWindows(const vedaris::Windows &windows);
    // The reports' progress bar, which takes the whole status bar while a
    // report runs; the stock figures hold it otherwise.
    vedaris::ReportProgress reportProgress();
    vedaris::StatusBar *statusLine() const { return m_status; }

    // The stock list's rows are the batches of vedaris::StockModel; the
    // hidden column holds each batch's record number in Base.dat.
    int selectedRow() const; // -1 when none
    std::optional<qint32> selectedRecordId() const;
    // Inserts at the top; the list re-sorts by drug name and the new row
    // becomes the selected and focused row.
    void insertStockRow(const vedaris::StockRow &row);
    // Puts the row back at the position it had, re-sorts, selects and focuses
    // it; the list is not scrolled (vedaris::ListModel::placeReplacing).
    void replaceStockRow(int row, const vedaris::StockRow &stored);
    // Then selects the focused row, or the first when none has the focus.
    void removeSelectedStockRow();
    void ScrollToSelected();

    // Rebuilds the stock list from Base.dat with the loading window on screen,
    // and the stock figures in the same pass.
    void FillStockList();
    // Selects the row of batch `recordId` and scrolls it up; false when no row has it.
    bool selectRecord(qint32 recordId);

    // The data may be looked at but not changed: the caption says so and every
    // command that writes (receipt, issue, write-off, edit, delete, new and
    // deleted reference entries) is disabled; lists, the view window and
    // reports work.
    void setViewOnly();

public slots:
    void BtnNewPrihodClick();
    void BtnRashodClick();
    void BtnEditPrihodClick();
    void BtnDeleteZapisClick();
    void BtnSpisanieClick();
    void BtnNewPreparClick();
    void BtnDeletePreparClick();
    void BtnNewFirmaPostClick();
    void BtnDeleteFirmaPostClick();
    void BtnNewIzgotClick();
    void BtnDeleteIzgotClick();
    void BtnNewMoveClick();
    void BtnDeleteMoveClick();
    void BtnSrokGodnostiClick();
    void BtnNalichieClick();
    void BtnNewAllRashodClick();
    void RzToolButtonAllRashodDataClick();
    void BtnNewOtchetPriobrClick();
    void BtnNewPolAndIzrClick();
    void BtnOtchetOneOtdelClick();
    void BtnMoveMedClick();
    void MenuInventarizaciiaClick();
    void MenuOpisClick();
    void MenuAktSpisaniiaClick();
    void MenuTrebovanieClick();
    void MenuRestoreClick();
    void MenuHistoryClick();
    void MenuUndoClick();
    void MenuExitClick();
    void MenuHelpClick();
    void MenuAboutClick();
    void RzEditSearchKeyUp();
    void RzListView1DblClick();

    // Shows the window; the first time, once it is on screen, fills the list
    // (FormShow) with the loading window over it.
    void setVisible(bool visible) override;

private:
    void FormCreate();
    void FormShow();
    void buildCommands();
    // The stock figures of the list as of today, into the status bar.
    void showFigures();

    QString m_dataDir;
    vedaris::Windows m_windows;
    vedaris::StockModel *m_stock;
    vedaris::ListView *m_list;
    vedaris::SearchEdit *m_search = nullptr;
    vedaris::StatusBar *m_status;
    QAction *m_restore = nullptr;
    QAction *m_undo = nullptr;
    QAction *m_inventory = nullptr;
    bool m_blankReported = false; // blank records are named once
    QToolBar *m_recordBar = nullptr; // the record and reference commands
    bool m_shownOnce = false;
};
