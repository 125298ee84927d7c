// Column captions through the real windows: whole at every width, sort arrow or not.

#include "app/Forms.h"
#include "app/TFormGl.h"
#include "support/Controls.h"
#include "support/TempDataDir.h"
#include "widgets/ListView.h"
#include "widgets/Messages.h"

#include <QApplication>
#include <QDialog>
#include <QStyleOptionHeader>
#include <gtest/gtest.h>

using namespace vedaris;

namespace {

// Every caption is drawn whole: its lines are its words, each line within the
// label the style gives its section, all lines within the header's height.
void expectCaptionsWhole(ListView *list, const std::string &where)
{
    auto *header = static_cast<CaptionHeader *>(list->horizontalHeader());
    const QFontMetrics metrics = header->fontMetrics();
    for (int i = 0; i < header->count(); ++i) {
        const QString caption = list->model()->headerData(i, Qt::Horizontal).toString();
        if (caption.isEmpty() || header->isSectionHidden(i))
            continue;
        QStyleOptionHeader option;
        option.initFrom(header);
        option.rect = QRect(0, 0, header->sectionSize(i), header->height());
        const QRect label =
            header->style()->subElementRect(QStyle::SE_HeaderLabel, &option, header);
        const QStringList lines = header->captionLines(i);
        QString joined;
        for (const QString &line : lines)
            joined += (joined.isEmpty() || joined.endsWith(u'-') ? "" : " ") + line;
        EXPECT_EQ(joined, caption) << where;
        for (const QString &line : lines)
            EXPECT_LE(metrics.horizontalAdvance(line), label.width())
                << where << " " << qPrintable(line);
        EXPECT_LE(int(lines.size()) * metrics.lineSpacing(), label.height())
            << where << " " << qPrintable(caption);
    }
}

// The header as it is, then sorted by each captioned column in turn: the
// captions stay whole and the header keeps its height.
int expectWholeSortedOrNot(ListView *list, const std::string &where)
{
    list->sortByCaption();
    QApplication::processEvents();
    expectCaptionsWhole(list, where + " unsorted");
    const int height = list->horizontalHeader()->height();
    for (int i = 0; i < list->horizontalHeader()->count(); ++i) {
        if (list->model()->headerData(i, Qt::Horizontal).toString().isEmpty())
            continue;
        for (const char *order : {" ascending", " descending"}) {
            emit list->horizontalHeader()->sectionClicked(i);
            QApplication::processEvents();
            EXPECT_TRUE(list->horizontalHeader()->isSortIndicatorShown());
            const std::string sorted = where + " by " + std::to_string(i) + order;
            expectCaptionsWhole(list, sorted);
            EXPECT_EQ(list->horizontalHeader()->height(), height) << sorted;
        }
    }
    list->sortByCaption();
    return height;
}

class CaptionHeaders : public testing::Test
{
protected:
    void SetUp() override
    {
        dir.createEmptyFiles();
        Messages::startRecording();
        forms = std::make_unique<Forms>(dir.path());
    }
    void TearDown() override
    {
        forms.reset();
        Messages::stopRecording();
    }
    TempDataDir dir;
    std::unique_ptr<Forms> forms;
};

} // namespace

TEST_F(CaptionHeaders, StockListCaptionsAreWholeAtEveryWidth)
{
    TFormGl *gl = forms->FormGl;
    gl->show();
    auto *list = control<ListView>(gl, "RzListView1");
    auto *header = static_cast<CaptionHeader *>(list->horizontalHeader());
    int narrowLines = 0;
    for (int width : {600, 760, 960, 1024, 1100, 1200, 1280, 1366, 1440, 1600, 1920, 2560}) {
        gl->resize(width, 500);
        QApplication::processEvents();
        expectWholeSortedOrNot(list, "width " + std::to_string(width));
        if (width == 960)
            narrowLines = header->lineCount();
        if (width == 2560) {
            EXPECT_EQ(header->lineCount(), 1) << "a wide window needs one line";
        }
    }
    EXPECT_EQ(narrowLines, 2);
}

TEST_F(CaptionHeaders, SelectionAndDeletionDialogsAlike)
{
    QList<int> heights;
    for (const char *name : {"FormSelPrep", "FormSelFirma", "FormSelFirmaIzg", "FormSelMove",
                             "FormDelPrep", "FormDelFirma", "FormDelIzgot", "FormDelMove"}) {
        auto *dialog = control<QDialog>(forms->FormGl, name);
        dialog->show();
        QApplication::processEvents();
        heights << expectWholeSortedOrNot(control<ListView>(dialog, "RzListView1"),
                                          dialog->objectName().toStdString());
        dialog->hide();
    }
    EXPECT_EQ(heights, QList<int>(8, heights.first()));
}
