// Every reader of the data files against bytes nobody would write: random
// damage to generated files, truncation, overlong length bytes, NaN and
// infinities, huge date serials, ids out of range. A reader may refuse with
// vedaris::Error or show the data as stored; nothing else may happen (the
// sanitizer build turns undefined behaviour into failures).

#include "DataGenerator.h"
#include "app/Forms.h"
#include "app/TFormGl.h"
#include "dialogs/TFormViewZap.h"
#include "operations/BatchHistory.h"
#include "operations/StockOperations.h"
#include "reports/Reports.h"
#include "store/DataFiles.h"
#include "store/Error.h"
#include "store/IntegrityCheck.h"
#include "store/RecordFile.h"
#include "store/ReferenceLists.h"
#include "support/TempDataDir.h"
#include "widgets/Messages.h"

#include <QtEndian>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>

using namespace vedaris;

namespace {

struct FileLayout
{
    QString name;
    int size;
    QVector<int> texts; // offsets of length bytes
    QVector<int> numbers; // offsets of doubles (dates included)
    QVector<int> ints; // offsets of Int32 ids
    int deleted;
};

const QVector<FileLayout> Layouts = {
    {files::Base,
     560,
     {0, 264, 295, 346, 397, 448},
     {256, 504, 512, 520, 528, 536, 544},
     {552},
     556},
    {files::Rashod, 608, {0, 264, 295, 346, 397, 448, 499}, {256, 552, 568, 576, 592}, {600}, 604},
    {files::NamePreparat, 296, {0, 256}, {}, {288}, 292},
    {files::FirmaPostav, 60, {0}, {}, {52}, 56},
    {files::Izgotovitel, 60, {0}, {}, {52}, 56},
    {files::Otdelenie, 60, {0}, {}, {52}, 56},
};

const double Odd[] = {std::numeric_limits<double>::quiet_NaN(),
                      std::numeric_limits<double>::infinity(),
                      -std::numeric_limits<double>::infinity(),
                      1e308,
                      -1e308,
                      9e15,
                      -9e15,
                      2958466,
                      2958466.5,
                      -693594,
                      0.5,
                      -0.0,
                      4.9e-324};
const qint32 OddIds[] = {-1, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max(),
                         1000000, 5};

class Mutator
{
public:
    explicit Mutator(unsigned seed) : m_rng(seed) { }

    int below(int n) { return n <= 0 ? 0 : int(m_rng() % unsigned(n)); }

    void spoil(QByteArray &bytes, const FileLayout &layout)
    {
        const int records = int(bytes.size() / layout.size);
        const int at = below(records) * layout.size;
        switch (below(8)) {
        case 0: // scattered random bytes
            for (int k = below(40) + 1; k > 0 && !bytes.isEmpty(); --k)
                bytes[below(int(bytes.size()))] = char(m_rng());
            break;
        case 1: // cut anywhere
            bytes.truncate(below(int(bytes.size()) + 1));
            break;
        case 2: // nothing but noise
            bytes = QByteArray(below(4000), Qt::Uninitialized);
            for (char &c : bytes)
                c = char(m_rng());
            break;
        case 3:
            if (records)
                bytes[at + layout.texts[below(int(layout.texts.size()))]] = char(255);
            break;
        case 4:
            if (records && !layout.numbers.isEmpty())
                putDouble(bytes, at + layout.numbers[below(int(layout.numbers.size()))],
                          Odd[below(int(std::size(Odd)))]);
            break;
        case 5:
            if (records)
                putInt(bytes, at + layout.ints[below(int(layout.ints.size()))],
                       OddIds[below(int(std::size(OddIds)))]);
            break;
        case 6:
            if (records)
                bytes[at + layout.deleted] = char(below(256));
            break;
        case 7: // a whole record of one byte value
            if (records)
                std::memset(bytes.data() + at, below(256), size_t(layout.size));
            break;
        }
    }

private:
    static void putDouble(QByteArray &b, int at, double v)
    {
        quint64 bits;
        std::memcpy(&bits, &v, sizeof bits);
        qToLittleEndian(bits, b.data() + at);
    }
    static void putInt(QByteArray &b, int at, qint32 v) { qToLittleEndian(v, b.data() + at); }

    std::mt19937 m_rng;
};

// Refusing with the program's own error is a fine answer to a damaged file.
template<class Fn> void survives(Fn &&fn)
{
    try {
        fn();
    } catch (const Error &) { }
}

void runStoreReaders(const QString &dir)
{
    survives([&] {
        TypedFile<StockRecord>(files::path(dir, files::Base), RecordFile::ReadOnly)
            .forEach([](qint64, const StockRecord &) { return true; });
    });
    survives([&] {
        TypedFile<IssueRecord>(files::path(dir, files::Rashod), RecordFile::ReadOnly)
            .forEach([](qint64, const IssueRecord &) { return true; });
    });
    for (RefKind kind :
         {RefKind::DrugNames, RefKind::Suppliers, RefKind::Manufacturers, RefKind::Departments})
        survives([&] { ReferenceList(dir, kind).liveRows(); });
    (void)check::run(dir);
}

void runReports(const QString &dir, bool save, const QString &xlsx)
{
    reports::ReportParams p;
    p.date = p.finish = QDate(2024, 12, 31);
    p.start = QDate(2015, 1, 1);
    p.department = QStringLiteral("Хирургия");
    for (auto kind : {reports::ReportKind::Expired, reports::ReportKind::Stock,
                      reports::ReportKind::Consumption, reports::ReportKind::Purchases,
                      reports::ReportKind::Department, reports::ReportKind::Departments,
                      reports::ReportKind::Movement, reports::ReportKind::IssueDates})
        survives([&] {
            const reports::Outcome out = reports::runReport(kind, dir, p);
            if (save && out.workbook)
                out.workbook->saveXlsx(xlsx);
        });
}

void runOperations(const QString &dir, Mutator &m)
{
    const qint32 ids[] = {0, qint32(m.below(60)), -1, std::numeric_limits<qint32>::max()};
    for (qint32 id : ids) {
        survives([&] {
            const StockRecord batch = ops::readBatch(dir, id);
            if (ops::checkIssue(batch, QStringLiteral("1")) == ops::IssueVerdict::Ok)
                ops::storeIssue(dir, id, batch, QStringLiteral("1"), QStringLiteral("Хирургия"),
                                QDate(2024, 6, 1));
        });
        survives([&] {
            if (ops::readForEdit(dir, id)) {
                ops::BatchInput in;
                in.drugName = QStringLiteral("Анальгин");
                in.quantityText = QStringLiteral("3");
                in.priceText = QStringLiteral("2,5");
                in.receiptDate = in.expiryDate = QDate(2024, 6, 1);
                ops::storeEdit(dir, id, in);
            }
        });
    }
    survives([&] { ops::deleteBatch(dir, qint32(m.below(60))); });
    survives([&] {
        ops::BatchInput in;
        in.drugName = QStringLiteral("Новый");
        in.quantityText = QStringLiteral("1");
        in.priceText = QStringLiteral("1");
        ops::storeReceipt(dir, in);
    });
    survives([&] { ReferenceList(dir, RefKind::Departments).add(QStringLiteral("Новое")); });
    survives([&] { ReferenceList(dir, RefKind::DrugNames).remove(qint32(m.below(30))); });
}

} // namespace

TEST(HostileFiles, EveryReaderSurvivesDamagedFiles)
{
    gen::Options o;
    o.seed = 7;
    o.batches = 40;
    o.issues = 160;
    o.drugNames = 20;
    o.suppliers = 5;
    o.manufacturers = 5;
    o.departments = 6;
    o.hostile = true;
    TempDataDir source;
    gen::write(gen::generate(o), source.path());
    QVector<QByteArray> pristine;
    for (const FileLayout &s : Layouts)
        pristine.push_back(source.read(s.name));

    TempDataDir dir;
    for (int i = 0; i < Layouts.size(); ++i)
        dir.write(Layouts[i].name, pristine[i]);
    Messages::startRecording();
    Forms forms(dir.path());
    const QString xlsx = source.file(QStringLiteral("report.xlsx"));

    Mutator m(20240601);
    constexpr int Rounds = 80;
    for (int round = 0; round < Rounds; ++round) {
        SCOPED_TRACE(round);
        for (int i = 0; i < Layouts.size(); ++i) {
            QByteArray bytes = pristine[i];
            // Most rounds damage one or two files; the others stay whole.
            if (m.below(3) == 0 || i == round % Layouts.size())
                for (int k = m.below(3) + 1; k > 0; --k)
                    m.spoil(bytes, Layouts[i]);
            dir.write(Layouts[i].name, bytes);
        }
        runStoreReaders(dir.path());
        runReports(dir.path(), round % 10 == 0, xlsx);

        forms.FormGl->FillStockList();
        survives([&] {
            TypedFile<StockRecord>(dir.file(files::Base), RecordFile::ReadOnly)
                .forEach([&](qint64 index, const StockRecord &r) {
                    forms.FormViewZap->fill(r);
                    survives([&] {
                        forms.FormViewZap->fill(ops::readBatchHistory(dir.path(), qint32(index)));
                    });
                    return true;
                });
        });

        runOperations(dir.path(), m);
        runStoreReaders(dir.path()); // and again after the writers had their go
    }
    // Whatever was shown was the program's own error text.
    for (const QString &text : Messages::takeRecordedTexts())
        EXPECT_TRUE(text.startsWith(QStringLiteral("Ошибка при работе с файлом")))
            << text.toStdString();
    Messages::stopRecording();
}
