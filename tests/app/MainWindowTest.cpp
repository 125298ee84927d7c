#include "app/Forms.h"
#include "app/TFormAbaut.h"
#include "app/TFormGl.h"
#include "app/TFormLoad.h"
#include "app/TFormViewZap.h"
#include "dialogs/ReportLauncher.h"
#include "operations/StockRow.h"
#include "store/DataFiles.h"
#include "store/Records.h"
#include "store/TextFormats.h"
#include "support/Controls.h"
#include "support/RecordBytes.h"
#include "support/TempDataDir.h"
#include "widgets/Desktop.h"
#include "widgets/ListView.h"
#include "widgets/Messages.h"

#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QToolBar>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QRegularExpression>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

using namespace vedaris;

namespace {

StockRecord batch(const QString &name, qint32 id, quint8 deleted = 0)
{
    StockRecord r;
    r.DrugName = name;
    r.ReceiptDate = text::dateToSerial(QDate(2024, 2, 1));
    r.Unit = QStringLiteral("Таблетки");
    r.Supplier = QStringLiteral("Фарм-") + QString::number(id % 3);
    r.ReceiptDocument = QStringLiteral("Н-") + QString::number(id);
    r.Manufacturer = id % 2 ? QString() : QStringLiteral("Завод");
    r.Series = QStringLiteral("S") + QString::number(id);
    r.Quantity = 10.5;
    r.ReceivedQuantity = 20;
    r.UnitPrice = 2;
    r.TotalSum = 21;
    r.ReceivedSum = 40;
    r.ExpiryDate = text::dateToSerial(QDate(2026, 12, 31));
    r.RecordId = id;
    r.Deleted = deleted;
    return r;
}

void writeBase(const TempDataDir &dir, const QVector<StockRecord> &records)
{
    dir.write(files::Base, encodeAll(std::vector<StockRecord>(records.begin(), records.end()), false));
}

QStringList captions(const ListView *list)
{
    QStringList out;
    for (int row = 0; row < list->rowCount(); ++row)
        out << list->cells(row).value(stockcol::DrugName);
    return out;
}

QStringList column(const ListView *list, int col)
{
    QStringList out;
    for (int row = 0; row < list->rowCount(); ++row)
        out << list->cells(row).value(col);
    return out;
}

// Closes whatever modal dialog a handler opens, once the event loop runs it.
void closeNextModal(QString *title = nullptr)
{
    QTimer::singleShot(0, [title] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            if (title)
                *title = w->windowTitle();
            w->close();
        }
    });
}

class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Messages::startRecording();
        desktop::setOpener([this](const QUrl &url) {
            opened << url;
            return openerSucceeds;
        });
        desktop::setProgramDir(dir.path());
        setReportsFolder(reports.path()); // "О наличии" runs from the menu
    }
    void TearDown() override
    {
        Messages::stopRecording();
        desktop::setOpener({});
        desktop::setProgramDir({});
        setReportsFolder({});
    }

    // Builds the windows and shows the main window, which fills the list.
    TFormGl *start()
    {
        forms = std::make_unique<Forms>(dir.path());
        forms->FormGl->resize(900, 400);
        forms->FormGl->show();
        return forms->FormGl;
    }
    ListView *list() const { return control<ListView>(forms->FormGl, "RzListView1"); }

    TempDataDir dir;
    QTemporaryDir reports;
    std::unique_ptr<Forms> forms;
    QList<QUrl> opened;
    bool openerSucceeds = true;
};

TEST_F(MainWindowTest, FirstStartInEmptyFolderCreatesTheDataFilesAndShowsEmptyList)
{
    TFormGl *gl = start();
    for (const QString &name : files::All)
        EXPECT_TRUE(QFileInfo::exists(dir.file(name))) << name.toStdString();
    EXPECT_EQ(list()->rowCount(), 0);
    EXPECT_EQ(gl->selectedRow(), -1);
    EXPECT_FALSE(gl->selectedRecordId());
    EXPECT_FALSE(forms->FormLoad->isVisible());
    EXPECT_TRUE(list()->isVisible());
    EXPECT_FALSE(control<QProgressBar>(gl->statusBar(), "RzProgressBar1")->isVisible());
    EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty());
}

TEST_F(MainWindowTest, WindowsAreCreatedOnceWithTheirCaptions)
{
    start();
    const std::pair<QWidget *, const char *> windows[] = {
        {forms->FormGl, "Ведарис v4.3"},
        {forms->FormAbaut, "О программе"},
        {forms->FormLoad, "Загрузка данных"},
        {forms->FormViewZap, "Просмотр записи"},
    };
    for (const auto &[w, caption] : windows)
        EXPECT_EQ(w->windowTitle(), QString::fromUtf8(caption));
    int dialogs = 0;
    for (QObject *child : forms->FormGl->children())
        dialogs += qobject_cast<QDialog *>(child) != nullptr;
    EXPECT_EQ(dialogs, 27);
}

TEST_F(MainWindowTest, StoredBatchesAreListedInRussianOrderWithTheFirstSelected)
{
    writeBase(dir, {batch("аспирин", 0), batch("Бром", 1), batch("Анальгин", 2),
                    batch("Удалённый", 3, 1), batch("анальгин", 4), batch("Ёд", 5), batch("Zinc", 6)});
    TFormGl *gl = start();

    const QStringList shown = captions(list());
    ASSERT_EQ(shown.size(), 6);
    EXPECT_FALSE(shown.contains(QStringLiteral("Удалённый")));
    for (int i = 1; i < shown.size(); ++i)
        EXPECT_LE(text::compareRussian(shown[i - 1], shown[i]), 0)
            << shown[i - 1].toStdString() << " / " << shown[i].toStdString();
    EXPECT_EQ(shown[0], QStringLiteral("Zinc")); // Latin before Cyrillic
    EXPECT_EQ(shown[1], QStringLiteral("анальгин")); // lower case first among equals

    EXPECT_EQ(gl->selectedRow(), 0);
    EXPECT_EQ(list()->currentIndex().row(), 0);
    EXPECT_EQ(gl->selectedRecordId(), 6);
    EXPECT_TRUE(list()->hasFocus() || !QApplication::focusWidget());

    const QStringList cells = list()->cells(1);
    EXPECT_EQ(cells, stockRowCells(batch("анальгин", 4)));
    EXPECT_EQ(cells[stockcol::ReceiptDate], QStringLiteral("01.02.2024"));
    EXPECT_EQ(cells[stockcol::Quantity], QStringLiteral("10,5"));
    EXPECT_EQ(cells[stockcol::RecordId], QStringLiteral("4"));
    EXPECT_TRUE(list()->isColumnHidden(stockcol::RecordId));
    EXPECT_EQ(list()->columnWidth(stockcol::Tail), 1);
}

TEST_F(MainWindowTest, ColumnsShareTheWidthAboveTheirMinimums)
{
    start();
    forms->FormGl->resize(2400, 400);
    QApplication::processEvents();
    int total = 0;
    for (int c = 0; c <= stockcol::ExpiryDate; ++c)
        total += list()->columnWidth(c);
    EXPECT_EQ(total + 1, list()->viewport()->width());
    EXPECT_GE(list()->columnWidth(0), list()->columnWidth(1));
    EXPECT_LE(list()->columnWidth(0) - list()->columnWidth(1), 10);

    forms->FormGl->resize(600, 400);
    QApplication::processEvents();
    const int minimums[] = {230, 75, 130, 110, 130, 75, 75, 70, 70, 85, 75};
    for (int c = 0; c <= stockcol::ExpiryDate; ++c)
        EXPECT_EQ(list()->columnWidth(c), minimums[c]);
}

TEST(CaptionHeader, WrapsAfterBlanksAndHyphensAndKeepsLongWordsWhole)
{
    const QFontMetrics m(QApplication::font());
    const struct
    {
        const char *caption;
        int width;
        QStringList lines;
    } cases[] = {
        {"Дата получения", m.horizontalAdvance(QStringLiteral("Дата получения")), {"Дата получения"}},
        {"Дата получения", m.horizontalAdvance(QStringLiteral("получения")), {"Дата", "получения"}},
        {"Цена за единицу", m.horizontalAdvance(QStringLiteral("Цена за")), {"Цена за", "единицу"}},
        {"Фирма-изготовитель", m.horizontalAdvance(QStringLiteral("изготовитель")), {"Фирма-", "изготовитель"}},
        {"Количество", 10, {"Количество"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CaptionHeader::wrapped(QString::fromUtf8(c.caption), m, c.width), c.lines)
            << c.caption << " in " << c.width;
}

TEST_F(MainWindowTest, CaptionsFitTheirColumnsAtTheMinimumWidths)
{
    start();
    forms->FormGl->resize(600, 400);
    QApplication::processEvents();
    auto *header = static_cast<CaptionHeader *>(list()->horizontalHeader());
    const QFontMetrics metrics = header->fontMetrics();
    const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int c = 0; c <= stockcol::ExpiryDate; ++c) {
        const QString caption = list()->model()->headerData(c, Qt::Horizontal).toString();
        const int width = list()->columnWidth(c) - 2 * margin - 1;
        const QStringList lines = CaptionHeader::wrapped(caption, metrics, width);
        EXPECT_LE(lines.size(), header->lineCount()) << caption.toStdString();
        for (const QString &line : lines)
            EXPECT_LE(metrics.horizontalAdvance(line), width) << line.toStdString();
    }
    EXPECT_EQ(header->lineCount(), 2);
    EXPECT_GE(header->height(), 2 * metrics.lineSpacing());
}

TEST_F(MainWindowTest, SearchSelectsTheFirstMatchFromTheTopAndScrollsItUp)
{
    QVector<StockRecord> records;
    for (int i = 0; i < 80; ++i)
        records << batch(QStringLiteral("Б-%1").arg(i, 2, 10, QChar(u'0')), i);
    records << batch("Анальгин", 80) << batch("Аналгезин", 81) << batch("Цитрамон", 82);
    writeBase(dir, records);
    TFormGl *gl = start();
    auto *search = control<QLineEdit>(gl, "RzEditSearch");

    struct Case
    {
        const char *typed;
        const char *expected; // nullptr: the selection stays
    };
    const Case cases[] = {
        {"  АНАЛЬ", "Анальгин"}, {"анал ", "Аналгезин"}, {"ц", "Цитрамон"},
        {"Б-3", "Б-30"},         {"цитрамонум", nullptr}, {"   ", nullptr},
    };
    for (const Case &c : cases) {
        list()->setSelectedRow(3);
        const QString before = list()->cells(3).value(stockcol::DrugName);
        search->setText(QString::fromUtf8(c.typed));
        QTest::keyClick(search, Qt::Key_End); // the search runs when a key is released
        const QString selected = list()->cells(gl->selectedRow()).value(stockcol::DrugName);
        EXPECT_EQ(selected, c.expected ? QString::fromUtf8(c.expected) : before) << c.typed;
        if (c.expected && gl->selectedRow() < list()->rowCount() - 20) {
            EXPECT_EQ(list()->topRow(), gl->selectedRow()) << c.typed;
        }
    }
    // Near the end the list scrolls as far as it goes.
    search->setText(QStringLiteral("ц"));
    QTest::keyClick(search, Qt::Key_End);
    EXPECT_GT(list()->topRow(), 0);
    EXPECT_LT(list()->topRow(), gl->selectedRow());
    EXPECT_TRUE(search->hasFocus() || !QApplication::focusWidget());
}

TEST_F(MainWindowTest, HeaderClicksSortByCodePageThenDescendingAndCaptionsResort)
{
    writeBase(dir, {batch("b", 0), batch("Я", 1), batch("a", 2), batch("я", 3), batch("B", 4)});
    TFormGl *gl = start();
    QHeaderView *header = list()->horizontalHeader();

    emit header->sectionClicked(0);
    // Latin a-z count as capitals, which come before the Cyrillic page.
    const QStringList ascending = captions(list());
    EXPECT_EQ(ascending.mid(3), (QStringList{"Я", "я"}));
    for (int i = 1; i < ascending.size(); ++i)
        EXPECT_LE(text::compareCodePage(ascending[i - 1], ascending[i]), 0);

    emit header->sectionClicked(0);
    QStringList reversed = ascending;
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_EQ(captions(list()), reversed);
    emit header->sectionClicked(0);
    EXPECT_EQ(captions(list()).mid(3), ascending.mid(3));

    // Empty cells last ascending, first descending.
    emit header->sectionClicked(stockcol::Manufacturer);
    EXPECT_EQ(column(list(), stockcol::Manufacturer).last(), QString());
    EXPECT_EQ(column(list(), stockcol::Manufacturer).first(), QStringLiteral("Завод"));
    emit header->sectionClicked(stockcol::Manufacturer);
    EXPECT_EQ(column(list(), stockcol::Manufacturer).first(), QString());

    // The selection follows its record through a sort, and a new caption
    // brings back the drug name order.
    list()->setSelectedRow(0);
    const auto id = gl->selectedRecordId();
    emit header->sectionClicked(stockcol::Series);
    EXPECT_EQ(gl->selectedRecordId(), id);
    gl->insertStockRow(stockRowCells(batch("в", 9)));
    const QStringList shown = captions(list());
    for (int i = 1; i < shown.size(); ++i)
        EXPECT_LE(text::compareRussian(shown[i - 1], shown[i]), 0);
}

TEST_F(MainWindowTest, RowsAreStripedByPositionAndTheSelectionIsSkyBlue)
{
    writeBase(dir, {batch("Г", 0), batch("В", 1), batch("Б", 2), batch("А", 3)});
    start();
    list()->clearFocus();
    auto colourAt = [this](int row) {
        const QImage image = list()->viewport()->grab().toImage();
        const QRect cell = list()->visualRect(list()->rows()->index(row, stockcol::Series));
        return QColor(image.pixel(cell.right() - 3, cell.center().y()));
    };
    const QColor white(255, 255, 255), cream(255, 251, 240), blue(166, 202, 240);
    EXPECT_EQ(colourAt(0), blue); // selected, also without focus
    EXPECT_EQ(colourAt(1), cream);
    EXPECT_EQ(colourAt(2), white);
    EXPECT_EQ(colourAt(3), cream);

    // After a descending sort the colours stay with the positions.
    emit list()->horizontalHeader()->sectionClicked(0);
    emit list()->horizontalHeader()->sectionClicked(0);
    EXPECT_EQ(list()->cells(0).value(stockcol::DrugName), QStringLiteral("Г"));
    EXPECT_EQ(colourAt(0), white);
    EXPECT_EQ(colourAt(1), cream);
    EXPECT_EQ(colourAt(3), blue); // "А", still selected
}

TEST_F(MainWindowTest, RowOperationsKeepTheListSortedAndSelectTheirRow)
{
    writeBase(dir, {batch("Б", 0), batch("Г", 1)});
    TFormGl *gl = start();

    gl->insertStockRow(stockRowCells(batch("В", 2)));
    EXPECT_EQ(captions(list()), (QStringList{"Б", "В", "Г"}));
    EXPECT_EQ(gl->selectedRecordId(), 2);
    EXPECT_EQ(list()->currentIndex().row(), 1);

    gl->replaceStockRow(1, stockRowCells(batch("А", 2)));
    EXPECT_EQ(captions(list()), (QStringList{"А", "Б", "Г"}));
    EXPECT_EQ(gl->selectedRow(), 0);
    EXPECT_EQ(gl->selectedRecordId(), 2);

    gl->removeSelectedStockRow();
    EXPECT_EQ(captions(list()), (QStringList{"Б", "Г"}));
    EXPECT_EQ(gl->selectedRow(), 0);
    gl->removeSelectedStockRow();
    gl->removeSelectedStockRow();
    EXPECT_EQ(list()->rowCount(), 0);
    EXPECT_EQ(gl->selectedRow(), -1);
    gl->removeSelectedStockRow(); // nothing selected: nothing happens
}

TEST_F(MainWindowTest, DoubleClickShowsTheStoredRecordNotTheRow)
{
    writeBase(dir, {batch("Анальгин", 0)});
    TFormGl *gl = start();
    // The row may differ from the file after an edit typed "10,50".
    gl->replaceStockRow(0, QStringList{"Анальгин", "", "", "", "", "", "", "10,50", "", "", "", "0", ""});

    QString shownName, shownQuantity, shownExpiry;
    QTimer::singleShot(0, [&] {
        TFormViewZap *view = forms->FormViewZap;
        shownName = control<QLineEdit>(view, "RzEditVNamePrep")->text();
        shownQuantity = control<QLineEdit>(view, "RzEditVKol")->text();
        shownExpiry = control<QDateEdit>(view, "RzDateTimeEditVSrokGodn")->text();
        control<QPushButton>(view, "RzBitBtnVClose")->click();
    });
    gl->RzListView1DblClick();
    EXPECT_EQ(shownName, QStringLiteral("Анальгин"));
    EXPECT_EQ(shownQuantity, QStringLiteral("10,5"));
    EXPECT_EQ(shownExpiry, QStringLiteral("31.12.2026"));
    EXPECT_FALSE(forms->FormViewZap->isVisible());

    list()->clearSelection();
    gl->RzListView1DblClick(); // no selected row: nothing opens
    EXPECT_FALSE(forms->FormViewZap->isVisible());
}

TEST_F(MainWindowTest, TheViewWindowCardListsTheBatchsIssuesAndWeighsItsBalance)
{
    // Each batch received 20 at 2 (40); 10,5 (21) is stored as left.
    StockRecord damagedQuantity = batch("Бром", 1), damagedSum = batch("Валидол", 2);
    damagedQuantity.Quantity = 12;
    damagedSum.TotalSum = 25;
    writeBase(dir, {batch("Анальгин", 0), damagedQuantity, damagedSum});
    auto issue = [](qint32 id, QDate date, const char *department, double quantity, quint8 deleted = 0) {
        IssueRecord r;
        r.StockRecordId = id;
        r.IssueDate = text::dateToSerial(date);
        r.Department = QString::fromUtf8(department);
        r.IssuedQuantity = quantity;
        r.UnitPrice = 2;
        r.IssuedSum = 2 * quantity;
        r.Deleted = deleted;
        return r;
    };
    const QDate first(2024, 3, 1), second(2024, 3, 15);
    dir.write(files::Rashod,
              encodeAll(std::vector<IssueRecord>{issue(0, second, "Хирургия", 4), issue(1, first, "Терапия", 9.5),
                                                 issue(0, first, "Терапия", 2), issue(0, first, "ЛОР", 1, 1),
                                                 issue(2, first, "Терапия", 9.5),
                                                 issue(0, second, "Кардиология", 3.5)},
                        false));
    TFormGl *gl = start();
    const QString runCheck = QStringLiteral("\nЗапустите vedaris-check: она найдёт повреждённые записи.");
    const QString sumAgrees = QStringLiteral("\nСумма сходится: получено на 40 − выдано на 19 = 21.");
    const QStringList oneIssue = {"01.03.2024|Терапия|9,5|19|10,5"};
    const struct
    {
        QStringList table;
        QString balance;
    } cases[] = {
        {{"01.03.2024|Терапия|2|4|18", "15.03.2024|Хирургия|4|8|14", "15.03.2024|Кардиология|3,5|7|10,5"},
         "Остаток сходится: получено 20 − выдано 9,5 = 10,5." + sumAgrees},
        {oneIssue, "Остаток не сходится: получено 20 − выдано 9,5 = 10,5, а записано 12 (на 1,5 больше)." + sumAgrees
                       + runCheck},
        {oneIssue, "Остаток сходится: получено 20 − выдано 9,5 = 10,5.\nСумма не сходится: получено на 40 "
                   "− выдано на 19 = 21, а записано 25 (на 4 больше)." + runCheck},
    };
    TFormViewZap *view = forms->FormViewZap;
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        list()->setSelectedRow(row);
        QStringList table;
        QString balance;
        QTimer::singleShot(0, [&] {
            const QAbstractItemModel *m = control<QTableView>(view, "RzListViewVRashod")->model();
            for (int r = 0; r < m->rowCount(); ++r) {
                QStringList cells;
                for (int c = 0; c < m->columnCount(); ++c)
                    cells << m->index(r, c).data().toString();
                table << cells.join(u'|');
            }
            balance = control<QLabel>(view, "LabelVSverka")->text();
            // The card lies below the fields, inside the window's fixed size.
            const QWidget *tableView = control<QTableView>(view, "RzListViewVRashod");
            EXPECT_GT(tableView->y(), dateEdit(view, "RzDateTimeEditVSrokGodn")->geometry().bottom());
            const QLabel *verdict = control<QLabel>(view, "LabelVSverka");
            EXPECT_LE(verdict->heightForWidth(verdict->width()), verdict->height());
            EXPECT_LE(verdict->geometry().bottom(), view->height());
            EXPECT_GE(dateEdit(view, "RzDateTimeEditVSrokGodn")->height(),
                      dateEdit(view, "RzDateTimeEditVSrokGodn")->sizeHint().height());
            EXPECT_EQ(view->minimumSize(), view->maximumSize());
            pushButton(view, "RzBitBtnVClose")->click();
        });
        gl->RzListView1DblClick();
        EXPECT_EQ(table, cases[row].table);
        EXPECT_EQ(balance, cases[row].balance);
    }

    // An issue file that cannot be read: the error box, and no window.
    QFile::remove(dir.file(files::Rashod));
    ASSERT_TRUE(QDir(dir.path()).mkdir(files::Rashod));
    bool opened = false;
    QTimer::singleShot(0, view, [&] {
        opened = view->isVisible();
        view->close();
    });
    gl->RzListView1DblClick();
    QApplication::processEvents();
    const QStringList shown = Messages::takeRecordedTexts();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(files::Rashod)) << shown[0].toStdString();
    EXPECT_FALSE(opened);
}

TEST_F(MainWindowTest, CommandsNeedingARowSayWhenNoneIsSelected)
{
    TFormGl *gl = start();
    auto *deleteButton = control<QToolButton>(gl, "BtnDeleteZapis");
    deleteButton->click();
    EXPECT_EQ(Messages::takeRecordedTexts(), QStringList{"Вы не выбрали запись для удаления!"});

    writeBase(dir, {batch("Анальгин", 0)});
    gl->FillStockList();
    QString title;
    closeNextModal(&title);
    deleteButton->click();
    EXPECT_EQ(title, QStringLiteral("Удаление записи"));
    EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty());
}

TEST_F(MainWindowTest, HelpCommandLooksForTheGuideBesideTheProgram)
{
    TFormGl *gl = start();
    gl->MenuHelpClick();
    EXPECT_EQ(Messages::takeRecordedTexts(), QStringList{"Файл справки не найден!"});
    EXPECT_TRUE(opened.isEmpty());

    dir.write(QStringLiteral("Прочти.DOC"), "guide");
    gl->MenuHelpClick();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].toLocalFile(), QDir(dir.path()).filePath(QStringLiteral("Прочти.DOC")));
    EXPECT_TRUE(Messages::takeRecordedTexts().isEmpty());

    openerSucceeds = false;
    gl->MenuHelpClick();
    EXPECT_EQ(Messages::takeRecordedTexts(), QStringList{"Возможно, у Вас не установлен MSWord"});
}

TEST_F(MainWindowTest, AboutBoxIsModelessAndComesForwardAgain)
{
    TFormGl *gl = start();
    gl->MenuAboutClick();
    TFormAbaut *about = forms->FormAbaut;
    EXPECT_TRUE(about->isVisible());
    EXPECT_FALSE(about->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    gl->MenuAboutClick();
    EXPECT_TRUE(about->isVisible());

    emit control<QLabel>(about, "LabelMail")->linkActivated(TFormAbaut::mailUrl().toString());
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].scheme(), QStringLiteral("mailto"));
    EXPECT_TRUE(opened[0].query(QUrl::FullyDecoded).contains(QStringLiteral("Ведарис v4.3")));
    control<QPushButton>(about, "FlatButtonClose")->click();
    EXPECT_FALSE(about->isVisible());
}

TEST_F(MainWindowTest, HelpMenuAndTheAboutBoxGuideLinkOpenTheSameGuide)
{
    TFormGl *gl = start();
    TFormAbaut *about = forms->FormAbaut;
    EXPECT_EQ(control<QLabel>(about, "LabelData")->toolTip(), QDir::toNativeSeparators(dir.path()));
    const QString guideHref = QRegularExpression(QStringLiteral("href=\"([^\"]+)\""))
                                  .match(control<QLabel>(about, "LabelSite")->text()).captured(1);
    const std::pair<const char *, std::function<void()>> entries[] = {
        {"menu", [gl] { gl->MenuHelpClick(); }},
        {"about box", [about, guideHref] { emit control<QLabel>(about, "LabelSite")->linkActivated(guideHref); }},
    };
    // An installed copy: the program in usr/bin, its guide with the system's
    // documentation; a guide beside the program wins.
    const QString bin = dir.file("usr/bin");
    const QString installedGuide = dir.file("usr/share/doc/vedaris/guide.html");
    ASSERT_TRUE(QDir().mkpath(bin) && QDir().mkpath(QFileInfo(installedGuide).path()));
    struct Case
    {
        QString programDir;
        QString guideToWrite;
        bool openerSucceeds;
        QString shown;
        QString opened;
    };
    const Case cases[] = {
        {dir.path(), {}, true, "Файл справки не найден!", {}},
        {bin, installedGuide, false, "Возможно, у Вас не установлен MSWord", installedGuide},
        {bin, installedGuide, true, {}, installedGuide},
        {bin, bin + "/Прочти.DOC", true, {}, bin + "/Прочти.DOC"},
    };
    for (const auto &[entry, run] : entries) {
        QFile::remove(installedGuide);
        QFile::remove(bin + "/Прочти.DOC");
        for (const Case &c : cases) {
            desktop::setProgramDir(c.programDir);
            if (!c.guideToWrite.isEmpty())
                dir.write(QDir(dir.path()).relativeFilePath(c.guideToWrite), "guide");
            openerSucceeds = c.openerSucceeds;
            opened.clear();
            run();
            EXPECT_EQ(Messages::takeRecordedTexts(), c.shown.isEmpty() ? QStringList{} : QStringList{c.shown})
                << entry << " " << c.opened.toStdString();
            EXPECT_EQ(opened, c.opened.isEmpty() ? QList<QUrl>{} : QList<QUrl>{QUrl::fromLocalFile(c.opened)})
                << entry << " " << c.opened.toStdString();
        }
    }
}

TEST_F(MainWindowTest, EveryMenuCommandRunsWithoutHarm)
{
    writeBase(dir, {batch("Анальгин", 0)});
    TFormGl *gl = start();
    QStringList items;
    for (QAction *menu : gl->menuBar()->actions()) {
        for (QAction *item : menu->menu()->actions()) {
            if (item->isSeparator() || item->objectName() == QStringLiteral("MenuExit"))
                continue;
            items << item->text();
            closeNextModal();
            item->trigger();
            QApplication::processEvents();
        }
    }
    EXPECT_EQ(items.size(), 24);
    EXPECT_TRUE(gl->isVisible());
    // Exit closes the main window.
    gl->findChild<QAction *>(QStringLiteral("MenuExit"))->trigger();
    EXPECT_FALSE(gl->isVisible());
}

TEST_F(MainWindowTest, ToolbarButtonsCarryTheirHintsInOrder)
{
    TFormGl *gl = start();
    const char *first[] = {"BtnNewPrihod", "BtnRashod", "BtnEditPrihod", "BtnDeleteZapis",
                           "BtnSpisanie", "BtnNewPrepar", "BtnDeletePrepar", "BtnNewFirmaPost",
                           "BtnDeleteFirmaPost", "BtnNewIzgot", "BtnDeleteIzgot", "BtnNewMove",
                           "BtnDeleteMove"};
    auto *bar = control<QToolBar>(gl, "RzToolbar1");
    int previousX = -1;
    for (const char *name : first) {
        auto *button = bar->findChild<QToolButton *>(QString::fromLatin1(name));
        ASSERT_NE(button, nullptr) << name;
        EXPECT_GT(button->x(), previousX) << name;
        EXPECT_FALSE(button->toolTip().isEmpty());
        EXPECT_FALSE(button->icon().isNull());
        previousX = button->x();
    }
    EXPECT_EQ(control<QToolButton>(gl, "BtnDeleteMove")->toolTip(),
              QStringLiteral("Удалить информацию о движении медикаментов"));
    EXPECT_EQ(control<QToolButton>(gl, "RzToolButtonAllRashodData")->toolTip(),
              QStringLiteral("Общий расход с выводом даты"));
    auto *search = control<QLineEdit>(gl, "RzEditSearch");
    EXPECT_EQ(search->width(), 171);
    EXPECT_LT(search->x(), control<QToolButton>(gl, "BtnSrokGodnosti")->x());
}

TEST_F(MainWindowTest, WriteOffFollowsTheRecordCommandsAfterASeparator)
{
    TFormGl *gl = start();
    QStringList items;
    for (QAction *item : control<QMenu>(gl, "MenuEdit")->actions())
        items << (item->isSeparator() ? QStringLiteral("|") : item->text());
    EXPECT_EQ(items, (QStringList{"Приход...", "Расход...", "Редактировать...", "|", "Удалить...", "|",
                                  "Списание..."}));
    EXPECT_EQ(control<QToolButton>(gl, "BtnSpisanie")->toolTip(), QStringLiteral("Списание"));
    gl->BtnSpisanieClick();
    EXPECT_EQ(Messages::takeRecordedTexts(), QStringList{"Вы не выбрали запись для списания!"});
}

TEST_F(MainWindowTest, AReportTakesTheWholeStatusBarFromTheFiguresAndTheBackup)
{
    TFormGl *gl = start();
    QStatusBar *status = gl->statusBar();
    auto *figures = control<QLabel>(status, "RzLabelSklad");
    auto *progress = control<QProgressBar>(status, "RzProgressBar1");
    EXPECT_EQ(figures->text(), QStringLiteral("На складе: 0 руб. · просрочено: 0 партий на 0 руб. · "
                                              "истекает за 90 дней: 0 на 0 руб."));
    // The day's backup of a large store shows its own bar there.
    QPointer<QProgressBar> backup = new QProgressBar(status);
    backup->setObjectName(QStringLiteral("BackupProgress"));
    status->addPermanentWidget(backup);
    const ReportProgress report = gl->reportProgress();
    for (bool backupEndsDuringTheReport : {false, true}) {
        QApplication::processEvents();
        EXPECT_TRUE(figures->isVisible());
        EXPECT_FALSE(progress->isVisible());
        EXPECT_TRUE(backup->isVisible());
        report.percent(10);
        report.percent(40);
        QApplication::processEvents();
        EXPECT_TRUE(progress->isVisible());
        EXPECT_EQ(progress->value(), 40);
        EXPECT_FALSE(figures->isVisible());
        EXPECT_FALSE(backup->isVisible());
        EXPECT_GT(progress->width(), status->width() * 9 / 10);
        if (backupEndsDuringTheReport)
            delete backup;
        report.finished();
        QApplication::processEvents();
        EXPECT_FALSE(progress->isVisible());
        EXPECT_TRUE(figures->isVisible());
        EXPECT_EQ(backup.isNull(), backupEndsDuringTheReport);
        EXPECT_TRUE(backup.isNull() || backup->isVisible());
    }
}

TEST_F(MainWindowTest, UnreadableStockFileIsReportedAndTheListStaysUsable)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(files::Base)); // a folder where the file should be
    start();
    EXPECT_FALSE(Messages::takeRecordedTexts().isEmpty());
    EXPECT_TRUE(list()->isVisible());
    EXPECT_FALSE(forms->FormLoad->isVisible());
}

} // namespace
