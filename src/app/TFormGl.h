#pragma once

#include <QMainWindow>
#include <QStringList>
#include <optional>

class QAction;
class QLabel;
class QProgressBar;
class QStatusBar;
class QToolBar;
class QToolButton;

namespace vedaris {
class Forms;
class ListView;
class SearchEdit;
} // namespace vedaris

// The main window: menu, toolbars, the stock list and the commands behind them.
class TFormGl : public QMainWindow
{
    Q_OBJECT
public:
    explicit TFormGl(vedaris::Forms &forms, QWidget *parent = nullptr);

    vedaris::Forms &forms() const { return m_forms; }

    // The help command: opens the guide, or says why it cannot, over `parent`.
    // The about box's guide link runs it too.
    static void openHelp(QWidget *parent);

    // The stock list as the stock operations use it. Rows hold the cells of
    // vedaris::stockRowCells; the RecordId sits in the hidden column.
    vedaris::ListView *stockList() const { return RzListView1; }
    int selectedRow() const; // -1 when none
    std::optional<qint32> selectedRecordId() const;
    // Inserts at the top; the list re-sorts by drug name and the new row
    // becomes the selected and focused row.
    void insertStockRow(const QStringList &cells);
    // Puts the row back at the position it had, re-sorts, selects and focuses it.
    void replaceStockRow(int row, const QStringList &cells);
    // Then selects the focused row, or the first when none has the focus.
    void removeSelectedStockRow();
    void ScrollToSelected();
    // The reports' progress bar on the status bar; hidden unless a report runs.
    QProgressBar *progressBar() const { return RzProgressBar1; }

    // Rebuilds the stock list from Base.dat with the loading window on screen.
    void FillStockList();

    // The data may be looked at but not changed: the caption says so and every
    // command that writes (receipt, issue, edit, delete, new and deleted
    // reference entries) is disabled; lists, the view window and reports work.
    void setViewOnly();

    QToolBar *RzToolbar1 = nullptr;
    QToolBar *RzToolbar2 = nullptr;
    QToolButton *BtnNewPrihod = nullptr;
    QToolButton *BtnRashod = nullptr;
    QToolButton *BtnEditPrihod = nullptr;
    QToolButton *BtnDeleteZapis = nullptr;
    QToolButton *BtnNewPrepar = nullptr;
    QToolButton *BtnDeletePrepar = nullptr;
    QToolButton *BtnNewFirmaPost = nullptr;
    QToolButton *BtnDeleteFirmaPost = nullptr;
    QToolButton *BtnNewIzgot = nullptr;
    QToolButton *BtnDeleteIzgot = nullptr;
    QToolButton *BtnNewMove = nullptr;
    QToolButton *BtnDeleteMove = nullptr;
    QToolButton *BtnSrokGodnosti = nullptr;
    QToolButton *BtnNalichie = nullptr;
    QToolButton *BtnNewAllRashod = nullptr;
    QToolButton *RzToolButtonAllRashodData = nullptr;
    QToolButton *BtnNewOtchetPriobr = nullptr;
    QToolButton *BtnNewPolAndIzr = nullptr;
    QToolButton *BtnOtchetOneOtdel = nullptr;
    QToolButton *BtnMoveMed = nullptr;
    QLabel *RzLabelSearch = nullptr;
    vedaris::SearchEdit *RzEditSearch = nullptr;
    vedaris::ListView *RzListView1 = nullptr;
    QStatusBar *RzStatusBar1 = nullptr;
    QProgressBar *RzProgressBar1 = nullptr;

public slots:
    void BtnNewPrihodClick();
    void BtnRashodClick();
    void BtnEditPrihodClick();
    void BtnDeleteZapisClick();
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
    void MenuExitClick();
    void MenuHelpClick();
    void MenuAboutClick();
    void RzEditSearchKeyUp();
    void RzListView1DblClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void buildCommands();

    vedaris::Forms &m_forms;
    bool m_shownOnce = false;
};
