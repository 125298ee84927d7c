#include "TFormGl.h"

#include "TFormAbaut.h"
#include "TFormLoad.h"
#include "dialogs/ReferenceWindows.h"
#include "dialogs/ReportLauncher.h"
#include "dialogs/ReportWindows.h"
#include "dialogs/StocktakeDialogs.h"
#include "dialogs/TFormDelZap.h"
#include "dialogs/TFormEdit.h"
#include "dialogs/TFormHistory.h"
#include "dialogs/TFormInventarizaciia.h"
#include "dialogs/TFormNewPrep.h"
#include "dialogs/TFormOtchetOneOtdel.h"
#include "dialogs/TFormPrihod.h"
#include "dialogs/TFormRashod.h"
#include "dialogs/TFormRestore.h"
#include "dialogs/TFormSpisanie.h"
#include "dialogs/TFormViewZap.h"
#include "operations/BatchHistory.h"
#include "operations/StockModel.h"
#include "operations/StockOperations.h"
#include "operations/Undo.h"
#include "store/Backup.h"
#include "store/Clock.h"
#include "store/DataFiles.h"
#include "widgets/Desktop.h"
#include "widgets/Icons.h"
#include "widgets/ListView.h"
#include "widgets/Messages.h"
#include "widgets/SearchEdit.h"
#include "widgets/StatusBar.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

using vedaris::Icon;
using vedaris::ListView;
using vedaris::Messages;

TFormGl::TFormGl(QString dataDir, QWidget *parent)
    : QMainWindow(parent), m_dataDir(std::move(dataDir))
{
    setObjectName(QStringLiteral("FormGl"));
    setWindowTitle(QStringLiteral("Ведарис v4.3"));
    setWindowIcon(vedaris::icon(Icon::Program));

    m_stock = new vedaris::StockModel(this);
    m_list = new ListView(this, m_stock);
    m_list->setObjectName(QStringLiteral("RzListView1"));
    // A header click sorts dates by date and numbers by value: the model
    // sorts on the records' values.
    const QVector<ListView::Column> columns = {
        {QStringLiteral("Наименование препарата"), 230},
        {QStringLiteral("Дата получения"), 75},
        {QStringLiteral("Фирма-поставщик"), 130},
        {QStringLiteral("Приходной документ"), 110},
        {QStringLiteral("Фирма-изготовитель"), 130},
        {QStringLiteral("Серия препарата"), 75},
        {QStringLiteral("Ед. измерения"), 75},
        {QStringLiteral("Количество"), 70},
        {QStringLiteral("Цена за единицу"), 70},
        {QStringLiteral("Общая сумма"), 85},
        {QStringLiteral("Срок годности"), 75},
        {QString(), 0, ListView::Column::Hidden},
        {QString(), 1, ListView::Column::OnePixel},
    };
    m_list->setColumns(columns);
    setCentralWidget(m_list);
    connect(m_list, &QAbstractItemView::doubleClicked, this, &TFormGl::RzListView1DblClick);

    m_status = new vedaris::StatusBar(this);
    setStatusBar(m_status);
    showFigures();
    // The figures follow the list's rows.
    connect(m_stock, &QAbstractItemModel::modelReset, this, &TFormGl::showFigures);
    connect(m_stock, &QAbstractItemModel::rowsInserted, this, &TFormGl::showFigures);
    connect(m_stock, &QAbstractItemModel::rowsRemoved, this, &TFormGl::showFigures);

    buildCommands();
    // The list precedes the search box, so it holds the focus when first shown.
    setTabOrder(m_list, m_search);

    // Wider than the old 688 x 427 client area: our fonts and menu bar need it.
    resize(960, 600);
    FormCreate();
}

void TFormGl::buildCommands()
{
    using Handler = void (TFormGl::*)();
    struct Command
    {
        const char *name;
        const char *hint;
        const char *menuText;
        Icon icon;
        Handler handler;
    };
    const Command records[] = {
        {"BtnNewPrihod", "Приход", "Приход...", Icon::NewPrihod, &TFormGl::BtnNewPrihodClick},
        {"BtnRashod", "Расход", "Расход...", Icon::Rashod, &TFormGl::BtnRashodClick},
        {"BtnEditPrihod", "Редактировать запись", "Редактировать...", Icon::EditPrihod,
         &TFormGl::BtnEditPrihodClick},
        {"BtnDeleteZapis", "Удалить запись", "Удалить...", Icon::DeleteZapis,
         &TFormGl::BtnDeleteZapisClick},
        {"BtnSpisanie", "Списание", "Списание...", Icon::Spisanie, &TFormGl::BtnSpisanieClick},
    };
    const Command lists[] = {
        {"BtnNewPrepar", "Новый препарат", "Новый...", Icon::NewPrepar,
         &TFormGl::BtnNewPreparClick},
        {"BtnDeletePrepar", "Удалить препарат", "Удалить...", Icon::DeletePrepar,
         &TFormGl::BtnDeletePreparClick},
        {"BtnNewFirmaPost", "Новая фирма-поставщик", "Новая...", Icon::NewFirmaPost,
         &TFormGl::BtnNewFirmaPostClick},
        {"BtnDeleteFirmaPost", "Удалить фирму-поставщик", "Удалить...", Icon::DeleteFirmaPost,
         &TFormGl::BtnDeleteFirmaPostClick},
        {"BtnNewIzgot", "Новая фирма-изготовитель", "Новая...", Icon::NewIzgot,
         &TFormGl::BtnNewIzgotClick},
        {"BtnDeleteIzgot", "Удалить фирму-изготовитель", "Удалить...", Icon::DeleteIzgot,
         &TFormGl::BtnDeleteIzgotClick},
        {"BtnNewMove", "Движение медикаментов", "Новое...", Icon::NewMove,
         &TFormGl::BtnNewMoveClick},
        {"BtnDeleteMove", "Удалить информацию о движении медикаментов", "Удалить...",
         Icon::DeleteMove, &TFormGl::BtnDeleteMoveClick},
    };
    const Command reports[] = {
        {"BtnSrokGodnosti", "Срок годности медикаментов", "О сроке годности...", Icon::SrokGodnosti,
         &TFormGl::BtnSrokGodnostiClick},
        {"BtnNalichie", "Наличие медикаментов", "О наличии", Icon::Nalichie,
         &TFormGl::BtnNalichieClick},
        {"BtnNewAllRashod", "Общий расход медикаментов", "О расходе...", Icon::AllRashod,
         &TFormGl::BtnNewAllRashodClick},
        {"RzToolButtonAllRashodData", "Общий расход с выводом даты", "О расходе с датой...",
         Icon::AllRashodData, &TFormGl::RzToolButtonAllRashodDataClick},
        {"BtnNewOtchetPriobr", "Общий приход", "О приобретении...", Icon::OtchetPriobr,
         &TFormGl::BtnNewOtchetPriobrClick},
        {"BtnNewPolAndIzr", "Отчёт по всем отделениям", "По всем отделениям...", Icon::PolAndIzr,
         &TFormGl::BtnNewPolAndIzrClick},
        {"BtnOtchetOneOtdel", "Отчёт о расходе по одному отделению", "По одному отделению...",
         Icon::OtchetOneOtdel, &TFormGl::BtnOtchetOneOtdelClick},
        {"BtnMoveMed", "Отчёт о движении медикаментов", "О движении...", Icon::MoveMed,
         &TFormGl::BtnMoveMedClick},
    };

    auto makeToolbar = [this](const char *name) {
        auto *bar = new QToolBar(this);
        bar->setObjectName(QString::fromLatin1(name));
        bar->setMovable(false);
        bar->setFloatable(false);
        bar->setIconSize(QSize(20, 20));
        bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
        bar->setContextMenuPolicy(Qt::PreventContextMenu);
        return bar;
    };
    QToolBar *recordBar = m_recordBar = makeToolbar("RzToolbar1");
    QToolBar *searchBar = makeToolbar("RzToolbar2");
    addToolBar(Qt::TopToolBarArea, recordBar);
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, searchBar);

    // One action serves the menu item and the toolbar button of a command.
    auto add = [this](QMenu *menu, QToolBar *bar, const Command &c) {
        auto *action = new QAction(vedaris::icon(c.icon), QString::fromUtf8(c.menuText), this);
        action->setObjectName(QStringLiteral("Menu") + QString::fromLatin1(c.name).mid(3));
        action->setToolTip(QString::fromUtf8(c.hint));
        connect(action, &QAction::triggered, this, c.handler);
        menu->addAction(action);
        bar->addAction(action);
        auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(action));
        button->setObjectName(QString::fromLatin1(c.name));
        button->setAutoRaise(true);
    };
    auto addMenuOnly = [this](QMenu *menu, const char *name, const QString &text, Handler handler) {
        auto *action = menu->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, handler);
        return action;
    };

    QMenuBar *bar = menuBar();
    QMenu *file = bar->addMenu(QStringLiteral("Файл"));
    file->setObjectName(QStringLiteral("MenuFile"));
    m_restore =
        addMenuOnly(file, "MenuRestore", QStringLiteral("Восстановить из резервной копии..."),
                    &TFormGl::MenuRestoreClick);
    file->addSeparator();
    addMenuOnly(file, "MenuHistory", QStringLiteral("Журнал операций..."),
                &TFormGl::MenuHistoryClick);
    m_undo = addMenuOnly(file, "MenuUndo", QStringLiteral("Отменить последнюю операцию"),
                         &TFormGl::MenuUndoClick);
    file->addSeparator();
    addMenuOnly(file, "MenuExit", QStringLiteral("Выход"), &TFormGl::MenuExitClick)
        ->setIcon(vedaris::icon(Icon::Exit));

    QMenu *edit = bar->addMenu(QStringLiteral("Редактировать"));
    edit->setObjectName(QStringLiteral("MenuEdit"));
    for (const Command &c : records) {
        if (qstrcmp(c.name, "BtnDeleteZapis") == 0 || qstrcmp(c.name, "BtnSpisanie") == 0)
            edit->addSeparator();
        add(edit, recordBar, c);
    }
    edit->addSeparator();
    m_inventory = addMenuOnly(edit, "MenuInventarizaciia", QStringLiteral("Инвентаризация..."),
                              &TFormGl::MenuInventarizaciiaClick);

    const char *listMenus[] = {"Препарат", "Фирма-поставщик", "Фирма-изготовитель", "Перемещение"};
    const char *listMenuNames[] = {"MenuPrep", "MenuFirma", "MenuIzgot", "MenuMove"};
    for (int i = 0; i < 4; ++i) {
        QMenu *menu = bar->addMenu(QString::fromUtf8(listMenus[i]));
        menu->setObjectName(QString::fromLatin1(listMenuNames[i]));
        recordBar->addSeparator();
        add(menu, recordBar, lists[2 * i]);
        menu->addSeparator();
        add(menu, recordBar, lists[2 * i + 1]);
    }

    auto *label = new QLabel(QStringLiteral("Поиск записи:"), searchBar);
    label->setObjectName(QStringLiteral("RzLabelSearch"));
    label->setContentsMargins(4, 0, 4, 0);
    searchBar->addWidget(label);
    m_search = new vedaris::SearchEdit(searchBar);
    m_search->setObjectName(QStringLiteral("RzEditSearch"));
    m_search->setFixedWidth(171);
    searchBar->addWidget(m_search);
    connect(m_search, &vedaris::SearchEdit::keyReleased, this, &TFormGl::RzEditSearchKeyUp);
    searchBar->addSeparator();

    QMenu *reportMenu = bar->addMenu(QStringLiteral("Отчёты"));
    reportMenu->setObjectName(QStringLiteral("MenuReports"));
    for (const Command &c : reports)
        add(reportMenu, searchBar, c);
    reportMenu->addSeparator();
    addMenuOnly(reportMenu, "MenuOpis", QStringLiteral("Инвентаризационная опись..."),
                &TFormGl::MenuOpisClick);
    addMenuOnly(reportMenu, "MenuAktSpisaniia", QStringLiteral("Акт о списании..."),
                &TFormGl::MenuAktSpisaniiaClick);
    addMenuOnly(reportMenu, "MenuTrebovanie", QStringLiteral("Требование-накладная..."),
                &TFormGl::MenuTrebovanieClick);

    QMenu *help = bar->addMenu(QStringLiteral("Помощь"));
    help->setObjectName(QStringLiteral("MenuHelpRoot"));
    addMenuOnly(help, "MenuHelp", QStringLiteral("Помощь..."), &TFormGl::MenuHelpClick);
    addMenuOnly(help, "MenuAbout", QStringLiteral("О программе..."), &TFormGl::MenuAboutClick);
}

void TFormGl::setWindows(const vedaris::Windows &windows)
{
    m_windows = windows;
}

vedaris::ReportProgress TFormGl::reportProgress()
{
    return {[this](int percent) { m_status->showReportProgress(percent); },
            [this] { m_status->hideReportProgress(); }};
}

void TFormGl::showFigures()
{
    m_status->showFigures(vedaris::ops::statusText(m_stock->totals(vedaris::Clock::today())));
}

void TFormGl::FormCreate()
{
    Messages::guard(this, [this] { vedaris::files::ensureExist(m_dataDir); });
}

void TFormGl::setVisible(bool visible)
{
    QMainWindow::setVisible(visible);
    if (!visible || m_shownOnce)
        return;
    m_shownOnce = true;
    // The show event comes before the window is on screen: filling the list
    // there showed the loading window alone on an empty screen. So the fill
    // waits until the window has been drawn (a few milliseconds; never long,
    // should the desktop not say), keyboard and mouse held back meanwhile.
    QElapsedTimer waited;
    waited.start();
    QTimer tick; // wakes the wait below should nothing else happen
    tick.start(20);
    while (windowHandle() && !windowHandle()->isExposed() && waited.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents
                                        | QEventLoop::WaitForMoreEvents);
    FormShow();
}

void TFormGl::FormShow()
{
    FillStockList();
    m_list->setFocus();
}

void TFormGl::FillStockList()
{
    TFormLoad *load = m_windows.FormLoad;
    m_list->hide();
    if (load) {
        load->setPercent(0);
        load->show();
    }
    m_stock->beginFill(vedaris::ops::stockRecordCount(m_dataDir));
    auto finish = [&] {
        m_stock->endFill();
        m_list->show();
        if (load)
            load->hide();
        if (m_list->rowCount() > 0)
            m_list->setSelectedRow(0);
    };
    vedaris::ops::BlankRecords blank;
    try {
        blank = vedaris::ops::readStock(
            m_dataDir,
            [this](qint64 slot, const vedaris::StockRecord &batch) {
                m_stock->addFilled(slot, batch);
            },
            [load](int percent) {
                if (load)
                    load->setPercent(percent);
            });
    } catch (const std::exception &e) {
        finish();
        Messages::error(this, e);
        return;
    }
    finish();
    // Once: the next fill finds the same records.
    if (blank.count > 0 && !std::exchange(m_blankReported, true))
        Messages::error(this, blank.text());
}

bool TFormGl::selectRecord(qint32 recordId)
{
    const int row = m_stock->rowOf(recordId);
    if (row < 0)
        return false;
    m_list->setSelectedRow(row);
    ScrollToSelected();
    return true;
}

void TFormGl::setViewOnly()
{
    setWindowTitle(QStringLiteral("Ведарис v4.3 — только просмотр"));
    // The record and reference commands are exactly those of the first toolbar.
    for (QAction *action : m_recordBar->actions())
        action->setEnabled(false);
    m_restore->setEnabled(false);
    m_undo->setEnabled(false);
    m_inventory->setEnabled(false);
}

void TFormGl::MenuHistoryClick()
{
    TFormHistory dialog(m_dataDir, this);
    if (dialog.load())
        dialog.exec();
}

void TFormGl::MenuUndoClick()
{
    std::optional<vedaris::history::Entry> last;
    if (!Messages::guard(this, [&] { last = vedaris::ops::lastUndoable(m_dataDir); }))
        return;
    if (!last) {
        Messages::info(this, QStringLiteral("В истории нет операций, которые можно отменить."));
        return;
    }
    if (!Messages::ask(
            this,
            QStringLiteral("Отменить операцию \"%1\" (%2)?")
                .arg(last->title(),
                     last->when.toLocalTime().toString(QStringLiteral("dd.MM.yyyy hh:mm")))))
        return;
    vedaris::ops::UndoResult result;
    if (!Messages::guard(this, [&] { result = vedaris::ops::undoLast(m_dataDir); }))
        return;
    if (result.done)
        FillStockList();
    Messages::info(this, result.text);
}

void TFormGl::MenuInventarizaciiaClick()
{
    TFormInventarizaciia dialog(m_dataDir, this);
    if (dialog.runCount())
        FillStockList();
}

void TFormGl::MenuOpisClick()
{
    TFormOpis dialog(m_dataDir, reportProgress(), this);
    dialog.exec();
}

void TFormGl::MenuAktSpisaniiaClick()
{
    TFormAktSpisaniia dialog(m_dataDir, reportProgress(), this);
    dialog.exec();
}

void TFormGl::MenuTrebovanieClick()
{
    TFormTrebovanie dialog(m_dataDir, reportProgress(), this);
    if (Messages::guard(this, [&] { dialog.fillDepartments(); }))
        dialog.exec();
}

void TFormGl::MenuRestoreClick()
{
    TFormRestore dialog(m_dataDir, this);
    const QString chosen = dialog.choose();
    if (chosen.isEmpty())
        return;
    QString kept;
    if (!Messages::guard(this, [&] { kept = vedaris::backup::restore(m_dataDir, chosen); }))
        return;
    FillStockList();
    Messages::info(
        this,
        QStringLiteral("Данные восстановлены из резервной копии \"%1\". Файлы, какими они были "
                       "до этого, сохранены в копии \"%2\".")
            .arg(chosen, kept));
}

int TFormGl::selectedRow() const
{
    return m_list->selectedRow();
}

std::optional<qint32> TFormGl::selectedRecordId() const
{
    const int row = selectedRow();
    if (row < 0)
        return std::nullopt;
    return m_stock->slot(row);
}

void TFormGl::insertStockRow(const vedaris::StockRow &row)
{
    m_list->placeRow([&] { return m_stock->insertSorted(0, row); });
}

void TFormGl::replaceStockRow(int row, const vedaris::StockRow &stored)
{
    m_list->placeRow([&] { return m_stock->replace(row, stored); });
}

void TFormGl::removeSelectedStockRow()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    m_list->removeRowAt(row);
    if (m_list->rowCount() == 0)
        return;
    const QModelIndex focused = m_list->currentIndex();
    m_list->setSelectedRow(focused.isValid() ? focused.row() : 0);
}

void TFormGl::ScrollToSelected()
{
    m_list->ScrollToSelected();
}

void TFormGl::RzEditSearchKeyUp()
{
    m_list->searchCaption(m_search->text());
}

void TFormGl::RzListView1DblClick()
{
    if (m_list->rowCount() == 0)
        return;
    const std::optional<qint32> id = selectedRecordId();
    if (!id)
        return;
    vedaris::ops::BatchHistory history;
    if (Messages::guard(this, [&] { history = vedaris::ops::readBatchHistory(m_dataDir, *id); }))
        m_windows.FormViewZap->showRecord(history);
}

void TFormGl::BtnNewPrihodClick()
{
    if (const auto stored = m_windows.FormPrihod->enterReceipt()) {
        insertStockRow(stored->row());
        ScrollToSelected();
    }
}

void TFormGl::BtnRashodClick()
{
    std::optional<qint32> id = selectedRecordId();
    if (!id) {
        Messages::info(this, QStringLiteral("Вы не выбрали запись для изменения расхода!"));
        return;
    }
    // "Перейти к ней" in the dialog selects the earlier batch and opens it again.
    while (id) {
        vedaris::StockRecord batch;
        if (!Messages::guard(this, [&] { batch = vedaris::ops::readBatch(m_dataDir, *id); }))
            return;
        const int row = selectedRow();
        const TFormRashod::Result result = m_windows.FormRashod->issueFrom(*id, batch);
        if (result.stored)
            replaceStockRow(row, result.stored->row());
        id = result.goTo && selectRecord(*result.goTo) ? result.goTo : std::nullopt;
    }
}

void TFormGl::BtnEditPrihodClick()
{
    const std::optional<qint32> id = selectedRecordId();
    if (!id) {
        Messages::info(this, QStringLiteral("Вы не выбрали запись для редактирования!"));
        return;
    }
    std::optional<vedaris::StockRecord> batch;
    if (!Messages::guard(this, [&] { batch = vedaris::ops::readForEdit(m_dataDir, *id); }))
        return;
    if (!batch) {
        Messages::info(this, QStringLiteral("Эту запись редактировать нельзя!"));
        return;
    }
    const int row = selectedRow();
    if (const auto stored = m_windows.FormEdit->editBatch(*id, *batch)) {
        // Not scrolled: the edited row keeps its place among the batches of
        // its name, and a renamed one may go out of view.
        replaceStockRow(row, stored->row());
    }
}

void TFormGl::BtnDeleteZapisClick()
{
    const std::optional<qint32> id = selectedRecordId();
    if (!id) {
        Messages::info(this, QStringLiteral("Вы не выбрали запись для удаления!"));
        return;
    }
    if (m_windows.FormDelZap->deleteBatch(*id))
        removeSelectedStockRow();
}

void TFormGl::BtnSpisanieClick()
{
    const std::optional<qint32> id = selectedRecordId();
    if (!id) {
        Messages::info(this, QStringLiteral("Вы не выбрали запись для списания!"));
        return;
    }
    vedaris::StockRecord batch;
    if (!Messages::guard(this, [&] { batch = vedaris::ops::readBatch(m_dataDir, *id); }))
        return;
    const int row = selectedRow();
    if (const auto stored = m_windows.FormSpisanie->writeOff(*id, batch))
        replaceStockRow(row, stored->row());
}

void TFormGl::BtnNewPreparClick()
{
    m_windows.FormNewPrep->exec();
}

void TFormGl::BtnDeletePreparClick()
{
    m_windows.FormDelPrep->exec();
}

void TFormGl::BtnNewFirmaPostClick()
{
    m_windows.FormNewFirma->exec();
}

void TFormGl::BtnDeleteFirmaPostClick()
{
    m_windows.FormDelFirma->exec();
}

void TFormGl::BtnNewIzgotClick()
{
    m_windows.FormNewFirmaIzg->exec();
}

void TFormGl::BtnDeleteIzgotClick()
{
    m_windows.FormDelIzgot->exec();
}

void TFormGl::BtnNewMoveClick()
{
    m_windows.FormNewMove->exec();
}

void TFormGl::BtnDeleteMoveClick()
{
    m_windows.FormDelMove->exec();
}

void TFormGl::BtnSrokGodnostiClick()
{
    m_windows.FormSrokGodnosti->exec();
}

void TFormGl::BtnNalichieClick()
{
    Messages::guard(
        this, [this] { vedaris::runStockAvailabilityReport(this, m_dataDir, reportProgress()); });
}

void TFormGl::BtnNewAllRashodClick()
{
    m_windows.FormAllRashod->exec();
}

void TFormGl::RzToolButtonAllRashodDataClick()
{
    m_windows.FormRashodAllData->exec();
}

void TFormGl::BtnNewOtchetPriobrClick()
{
    m_windows.FormOtchetPrihodMedikamentov->exec();
}

void TFormGl::BtnNewPolAndIzrClick()
{
    m_windows.FormOtchetPolIzr->exec();
}

void TFormGl::BtnOtchetOneOtdelClick()
{
    TFormOtchetOneOtdel *dialog = m_windows.FormOtchetOneOtdel;
    if (Messages::guard(this, [dialog] { dialog->fillDepartments(); }))
        dialog->exec();
}

void TFormGl::BtnMoveMedClick()
{
    m_windows.FormOtchetDvijeniia->exec();
}

void TFormGl::MenuExitClick()
{
    close();
}

void TFormGl::MenuHelpClick()
{
    vedaris::desktop::openHelp(this);
}

void TFormGl::MenuAboutClick()
{
    m_windows.FormAbaut->show();
    m_windows.FormAbaut->raise();
    m_windows.FormAbaut->activateWindow();
}
