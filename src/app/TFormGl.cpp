#include "TFormGl.h"

#include "Forms.h"
#include "TFormAbaut.h"
#include "TFormLoad.h"
#include "TFormViewZap.h"
#include "dialogs/ReportLauncher.h"
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
#include "dialogs/TFormSrokGodnosti.h"
#include "operations/StockOperations.h"
#include "operations/StockRow.h"
#include "store/DataFiles.h"
#include "widgets/Desktop.h"
#include "widgets/Icons.h"
#include "widgets/ListView.h"
#include "widgets/Messages.h"
#include "widgets/SearchEdit.h"

#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

using vedaris::Icon;
using vedaris::ListView;
using vedaris::Messages;

TFormGl::TFormGl(vedaris::Forms &forms, QWidget *parent)
    : QMainWindow(parent), m_forms(forms)
{
    setObjectName(QStringLiteral("FormGl"));
    setWindowTitle(QStringLiteral("Ведарис v4.3"));
    setWindowIcon(vedaris::icon(Icon::Program));

    RzListView1 = new ListView(this);
    RzListView1->setObjectName(QStringLiteral("RzListView1"));
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
    RzListView1->setColumns(columns);
    setCentralWidget(RzListView1);
    connect(RzListView1, &QAbstractItemView::doubleClicked, this, &TFormGl::RzListView1DblClick);

    RzStatusBar1 = new QStatusBar(this);
    RzStatusBar1->setObjectName(QStringLiteral("RzStatusBar1"));
    RzStatusBar1->setMinimumHeight(19);
    RzProgressBar1 = new QProgressBar(RzStatusBar1);
    RzProgressBar1->setObjectName(QStringLiteral("RzProgressBar1"));
    RzProgressBar1->setRange(0, 100);
    RzProgressBar1->setMaximumHeight(17);
    RzStatusBar1->addWidget(RzProgressBar1, 1);
    RzProgressBar1->hide();
    setStatusBar(RzStatusBar1);

    buildCommands();
    // The list precedes the search box, so it holds the focus when first shown.
    setTabOrder(RzListView1, RzEditSearch);

    // Wider than the old 688 x 427 client area: our fonts and menu bar need it.
    resize(960, 600);
    FormCreate();
}

void TFormGl::buildCommands()
{
    using Handler = void (TFormGl::*)();
    struct Command
    {
        QToolButton *TFormGl::*button;
        const char *name;
        const char *hint;
        const char *menuText;
        Icon icon;
        Handler handler;
    };
    const Command records[] = {
        {&TFormGl::BtnNewPrihod, "BtnNewPrihod", "Приход", "Приход...", Icon::NewPrihod,
         &TFormGl::BtnNewPrihodClick},
        {&TFormGl::BtnRashod, "BtnRashod", "Расход", "Расход...", Icon::Rashod,
         &TFormGl::BtnRashodClick},
        {&TFormGl::BtnEditPrihod, "BtnEditPrihod", "Редактировать запись", "Редактировать...",
         Icon::EditPrihod, &TFormGl::BtnEditPrihodClick},
        {&TFormGl::BtnDeleteZapis, "BtnDeleteZapis", "Удалить запись", "Удалить...",
         Icon::DeleteZapis, &TFormGl::BtnDeleteZapisClick},
    };
    const Command lists[] = {
        {&TFormGl::BtnNewPrepar, "BtnNewPrepar", "Новый препарат", "Новый...", Icon::NewPrepar,
         &TFormGl::BtnNewPreparClick},
        {&TFormGl::BtnDeletePrepar, "BtnDeletePrepar", "Удалить препарат", "Удалить...",
         Icon::DeletePrepar, &TFormGl::BtnDeletePreparClick},
        {&TFormGl::BtnNewFirmaPost, "BtnNewFirmaPost", "Новая фирма-поставщик", "Новая...",
         Icon::NewFirmaPost, &TFormGl::BtnNewFirmaPostClick},
        {&TFormGl::BtnDeleteFirmaPost, "BtnDeleteFirmaPost", "Удалить фирму-поставщик",
         "Удалить...", Icon::DeleteFirmaPost, &TFormGl::BtnDeleteFirmaPostClick},
        {&TFormGl::BtnNewIzgot, "BtnNewIzgot", "Новая фирма-изготовитель", "Новая...",
         Icon::NewIzgot, &TFormGl::BtnNewIzgotClick},
        {&TFormGl::BtnDeleteIzgot, "BtnDeleteIzgot", "Удалить фирму-изготовитель", "Удалить...",
         Icon::DeleteIzgot, &TFormGl::BtnDeleteIzgotClick},
        {&TFormGl::BtnNewMove, "BtnNewMove", "Движение медикаментов", "Новое...", Icon::NewMove,
         &TFormGl::BtnNewMoveClick},
        {&TFormGl::BtnDeleteMove, "BtnDeleteMove", "Удалить информацию о движении медикаментов",
         "Удалить...", Icon::DeleteMove, &TFormGl::BtnDeleteMoveClick},
    };
    const Command reports[] = {
        {&TFormGl::BtnSrokGodnosti, "BtnSrokGodnosti", "Срок годности медикаментов",
         "О сроке годности...", Icon::SrokGodnosti, &TFormGl::BtnSrokGodnostiClick},
        {&TFormGl::BtnNalichie, "BtnNalichie", "Наличие медикаментов", "О наличии",
         Icon::Nalichie, &TFormGl::BtnNalichieClick},
        {&TFormGl::BtnNewAllRashod, "BtnNewAllRashod", "Общий расход медикаментов",
         "О расходе...", Icon::AllRashod, &TFormGl::BtnNewAllRashodClick},
        {&TFormGl::RzToolButtonAllRashodData, "RzToolButtonAllRashodData",
         "Общий расход с выводом даты", "О расходе с датой...", Icon::AllRashodData,
         &TFormGl::RzToolButtonAllRashodDataClick},
        {&TFormGl::BtnNewOtchetPriobr, "BtnNewOtchetPriobr", "Общий приход", "О приобретении...",
         Icon::OtchetPriobr, &TFormGl::BtnNewOtchetPriobrClick},
        {&TFormGl::BtnNewPolAndIzr, "BtnNewPolAndIzr", "Отчёт по всем отделениям",
         "По всем отделениям...", Icon::PolAndIzr, &TFormGl::BtnNewPolAndIzrClick},
        {&TFormGl::BtnOtchetOneOtdel, "BtnOtchetOneOtdel", "Отчёт о расходе по одному отделению",
         "По одному отделению...", Icon::OtchetOneOtdel, &TFormGl::BtnOtchetOneOtdelClick},
        {&TFormGl::BtnMoveMed, "BtnMoveMed", "Отчёт о движении медикаментов", "О движении...",
         Icon::MoveMed, &TFormGl::BtnMoveMedClick},
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
    RzToolbar1 = makeToolbar("RzToolbar1");
    RzToolbar2 = makeToolbar("RzToolbar2");
    addToolBar(Qt::TopToolBarArea, RzToolbar1);
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, RzToolbar2);

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
        this->*c.button = button;
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
    addMenuOnly(file, "MenuExit", QStringLiteral("Выход"), &TFormGl::MenuExitClick)
        ->setIcon(vedaris::icon(Icon::Exit));

    QMenu *edit = bar->addMenu(QStringLiteral("Редактировать"));
    edit->setObjectName(QStringLiteral("MenuEdit"));
    for (const Command &c : records) {
        if (c.button == &TFormGl::BtnDeleteZapis)
            edit->addSeparator();
        add(edit, RzToolbar1, c);
    }

    const char *listMenus[] = {"Препарат", "Фирма-поставщик", "Фирма-изготовитель", "Перемещение"};
    const char *listMenuNames[] = {"MenuPrep", "MenuFirma", "MenuIzgot", "MenuMove"};
    for (int i = 0; i < 4; ++i) {
        QMenu *menu = bar->addMenu(QString::fromUtf8(listMenus[i]));
        menu->setObjectName(QString::fromLatin1(listMenuNames[i]));
        RzToolbar1->addSeparator();
        add(menu, RzToolbar1, lists[2 * i]);
        menu->addSeparator();
        add(menu, RzToolbar1, lists[2 * i + 1]);
    }

    RzLabelSearch = new QLabel(QStringLiteral("Поиск записи:"), RzToolbar2);
    RzLabelSearch->setObjectName(QStringLiteral("RzLabelSearch"));
    RzLabelSearch->setContentsMargins(4, 0, 4, 0);
    RzToolbar2->addWidget(RzLabelSearch);
    RzEditSearch = new vedaris::SearchEdit(RzToolbar2);
    RzEditSearch->setObjectName(QStringLiteral("RzEditSearch"));
    RzEditSearch->setFixedWidth(171);
    RzToolbar2->addWidget(RzEditSearch);
    connect(RzEditSearch, &vedaris::SearchEdit::keyReleased, this, &TFormGl::RzEditSearchKeyUp);
    RzToolbar2->addSeparator();

    QMenu *reportMenu = bar->addMenu(QStringLiteral("Отчёты"));
    reportMenu->setObjectName(QStringLiteral("MenuReports"));
    for (const Command &c : reports)
        add(reportMenu, RzToolbar2, c);

    QMenu *help = bar->addMenu(QStringLiteral("Помощь"));
    help->setObjectName(QStringLiteral("MenuHelpRoot"));
    addMenuOnly(help, "MenuHelp", QStringLiteral("Помощь..."), &TFormGl::MenuHelpClick);
    addMenuOnly(help, "MenuAbout", QStringLiteral("О программе..."), &TFormGl::MenuAboutClick);
}

void TFormGl::FormCreate()
{
    Messages::guard(this, [this] { vedaris::files::ensureExist(m_forms.dataDir()); });
}

void TFormGl::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        FormShow();
    }
}

void TFormGl::FormShow()
{
    FillStockList();
    RzListView1->setFocus();
}

void TFormGl::FillStockList()
{
    using namespace vedaris;
    TFormLoad *load = m_forms.FormLoad;
    RzListView1->clearRows();
    RzListView1->hide();
    if (load) {
        load->setPercent(0);
        load->show();
    }
    RzListView1->beginFill(ops::stockRecordCount(m_forms.dataDir()));
    auto finish = [&] {
        RzListView1->endFill();
        RzListView1->show();
        if (load)
            load->hide();
        if (RzListView1->rowCount() > 0)
            RzListView1->setSelectedRow(0);
    };
    try {
        ops::readStock(
            m_forms.dataDir(), [this](const QStringList &cells) { RzListView1->addFilledRow(cells); },
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
}

int TFormGl::selectedRow() const
{
    return RzListView1->selectedRow();
}

std::optional<qint32> TFormGl::selectedRecordId() const
{
    const int row = selectedRow();
    if (row < 0)
        return std::nullopt;
    bool ok = false;
    const qint32 id = RzListView1->cells(row).value(vedaris::stockcol::RecordId).toInt(&ok);
    return ok ? std::optional<qint32>(id) : std::nullopt;
}

void TFormGl::insertStockRow(const QStringList &cells)
{
    RzListView1->insertRowSorted(0, cells);
}

void TFormGl::replaceStockRow(int row, const QStringList &cells)
{
    RzListView1->removeRowAt(row);
    RzListView1->insertRowSorted(row, cells);
}

void TFormGl::removeSelectedStockRow()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    RzListView1->removeRowAt(row);
    if (RzListView1->rowCount() == 0)
        return;
    const QModelIndex focused = RzListView1->currentIndex();
    RzListView1->setSelectedRow(focused.isValid() ? focused.row() : 0);
}

void TFormGl::ScrollToSelected()
{
    RzListView1->ScrollToSelected();
}

void TFormGl::RzEditSearchKeyUp()
{
    RzListView1->searchCaption(RzEditSearch->text());
}

void TFormGl::RzListView1DblClick()
{
    using namespace vedaris;
    if (RzListView1->rowCount() == 0)
        return;
    const std::optional<qint32> id = selectedRecordId();
    if (!id)
        return;
    StockRecord record;
    const bool read = Messages::guard(this, [&] { record = ops::readBatch(m_forms.dataDir(), *id); });
    if (read)
        m_forms.FormViewZap->showRecord(record);
}

void TFormGl::BtnNewPrihodClick()
{
    m_forms.FormPrihod->exec();
}

void TFormGl::BtnRashodClick()
{
    Messages::guard(this, [this] { m_forms.FormRashod->startIssue(); });
}

void TFormGl::BtnEditPrihodClick()
{
    Messages::guard(this, [this] { m_forms.FormEdit->startEdit(); });
}

void TFormGl::BtnDeleteZapisClick()
{
    if (selectedRow() < 0) {
        Messages::info(this, QStringLiteral("Вы не выбрали запись для удаления!"));
        return;
    }
    m_forms.FormDelZap->exec();
}

void TFormGl::BtnNewPreparClick()
{
    m_forms.FormNewPrep->exec();
}

void TFormGl::BtnDeletePreparClick()
{
    m_forms.FormDelPrep->exec();
}

void TFormGl::BtnNewFirmaPostClick()
{
    m_forms.FormNewFirma->exec();
}

void TFormGl::BtnDeleteFirmaPostClick()
{
    m_forms.FormDelFirma->exec();
}

void TFormGl::BtnNewIzgotClick()
{
    m_forms.FormNewFirmaIzg->exec();
}

void TFormGl::BtnDeleteIzgotClick()
{
    m_forms.FormDelIzgot->exec();
}

void TFormGl::BtnNewMoveClick()
{
    m_forms.FormNewMove->exec();
}

void TFormGl::BtnDeleteMoveClick()
{
    m_forms.FormDelMove->exec();
}

void TFormGl::BtnSrokGodnostiClick()
{
    m_forms.FormSrokGodnosti->exec();
}

void TFormGl::BtnNalichieClick()
{
    Messages::guard(this, [this] { vedaris::runStockAvailabilityReport(m_forms); });
}

void TFormGl::BtnNewAllRashodClick()
{
    m_forms.FormAllRashod->exec();
}

void TFormGl::RzToolButtonAllRashodDataClick()
{
    m_forms.FormRashodAllData->exec();
}

void TFormGl::BtnNewOtchetPriobrClick()
{
    m_forms.FormOtchetPrihodMedikamentov->exec();
}

void TFormGl::BtnNewPolAndIzrClick()
{
    m_forms.FormOtchetPolIzr->exec();
}

void TFormGl::BtnOtchetOneOtdelClick()
{
    Messages::guard(this, [this] { m_forms.FormOtchetOneOtdel->fillDepartmentsAndShow(); });
}

void TFormGl::BtnMoveMedClick()
{
    m_forms.FormOtchetDvijeniia->exec();
}

void TFormGl::MenuExitClick()
{
    close();
}

void TFormGl::MenuHelpClick()
{
    const QString path = vedaris::desktop::helpFilePath();
    if (!QFileInfo::exists(path)) {
        Messages::info(this, QStringLiteral("Файл справки не найден!"));
        return;
    }
    if (!vedaris::desktop::open(QUrl::fromLocalFile(path)))
        Messages::info(this, QStringLiteral("Возможно, у Вас не установлен MSWord"));
}

void TFormGl::MenuAboutClick()
{
    m_forms.FormAbaut->show();
    m_forms.FormAbaut->raise();
    m_forms.FormAbaut->activateWindow();
}
