#include "store/IntegrityCheck.h"
#include "store/DataFiles.h"
#include "store/Records.h"
#include "support/TempDataDir.h"

#include <QtEndian>
#include <cmath>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <limits>

using namespace vedaris;

namespace {

template<class R> QByteArray bytesOf(const R &r)
{
    QByteArray b(R::Size, Qt::Uninitialized);
    encode(r, b.data());
    return b;
}

// Batch 0: 10 received at 2, 3 issued (issue 0), 7 left. Batch 1 deleted with
// its issue 1. One entry in each reference list.
struct Files
{
    QByteArray base, rashod, drugs, firms, departments;

    Files()
    {
        StockRecord s;
        s.DrugName = QStringLiteral("Анальгин");
        s.Unit = QStringLiteral("уп");
        s.ReceiptDate = 45292;
        s.ExpiryDate = 46000;
        s.ReceivedQuantity = 10;
        s.Quantity = 7;
        s.UnitPrice = 2;
        s.ReceivedSum = 20;
        s.TotalSum = 14;
        s.RecordId = 0;
        base = bytesOf(s);
        s.RecordId = 1;
        s.Deleted = 1;
        base += bytesOf(s);

        IssueRecord i;
        i.DrugName = s.DrugName;
        i.Unit = s.Unit;
        i.ReceiptDate = 45292;
        i.IssueDate = 45300;
        i.IssuedQuantity = 3;
        i.UnitPrice = 2;
        i.IssuedSum = 6;
        i.StockRecordId = 0;
        rashod = bytesOf(i);
        i.StockRecordId = 1;
        i.Deleted = 1;
        rashod += bytesOf(i);

        DrugNameEntry d;
        d.Name = s.DrugName;
        d.Unit = s.Unit;
        drugs = bytesOf(d);
        ReferenceEntry e;
        e.Name = QStringLiteral("Хирургия");
        firms = bytesOf(e);
        departments = firms;
    }

    void writeTo(const TempDataDir &dir) const
    {
        dir.write(files::Base, base);
        dir.write(files::Rashod, rashod);
        dir.write(files::NamePreparat, drugs);
        dir.write(files::FirmaPostav, firms);
        dir.write(files::Izgotovitel, firms);
        dir.write(files::Otdelenie, departments);
    }
};

void putDouble(QByteArray &b, int at, double v)
{
    quint64 bits;
    std::memcpy(&bits, &v, sizeof bits);
    qToLittleEndian(bits, b.data() + at);
}

void putInt(QByteArray &b, int at, qint32 v)
{
    qToLittleEndian(v, b.data() + at);
}

constexpr int Stock1 = 560; // second record of Base.dat
const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

} // namespace

TEST(IntegrityCheck, ConsistentFilesGiveNoFinding)
{
    TempDataDir dir;
    Files f;
    // A deleted record's other bytes carry no meaning: garbage there is fine.
    std::memset(f.base.data() + Stock1, 0xFF, 556);
    f.writeTo(dir);
    const check::Result r = check::run(dir.path());
    EXPECT_TRUE(r.unreadable.isEmpty());
    for (const auto &x : r.findings)
        ADD_FAILURE() << x.line().toStdString();
    EXPECT_EQ(r.recordsRead, 2 + 2 + 1 + 3);
}

TEST(IntegrityCheck, EachBrokenRuleIsOneLineNamingFileAndRecord)
{
    struct Case
    {
        const char *what;
        std::function<void(Files &)> spoil;
        const char *expected; // the whole line starts with this
    };
    const Case cases[] = {
        {"id", [](Files &f) { putInt(f.base, 552, 5); },
         "Base.dat, запись 0: RecordId = 5, а должен быть равен номеру записи 0"},
        {"entry id", [](Files &f) { putInt(f.departments, 52, -3); },
         "Otdelenie.dat, запись 0: EntryId = -3"},
        {"mark", [](Files &f) { f.rashod[604] = 2; },
         "Rashod.dat, запись 0: метка удаления Deleted = 2"},
        {"reference mark", [](Files &f) { f.drugs[292] = 7; },
         "NamePreparat.dat, запись 0: метка удаления Deleted = 7"},
        {"length", [](Files &f) { f.base[264] = char(255); },
         "Base.dat, запись 0: поле Unit: байт длины 255 больше вместимости поля 30"},
        {"department length", [](Files &f) { f.rashod[499] = 51; },
         "Rashod.dat, запись 0: поле Department: байт длины 51"},
        {"drug unit length", [](Files &f) { f.drugs[256] = 31; },
         "NamePreparat.dat, запись 0: поле Unit: байт длины 31"},
        {"tail", [](Files &f) { f.rashod += QByteArray(100, 'x'); },
         "Rashod.dat: в конце файла неполная запись: 100 байт после 2 целых записей"},
        {"balance",
         [](Files &f) {
             putDouble(f.base, 504, 8);
             putDouble(f.base, 528, 16);
         },
         "Base.dat, запись 0: Quantity = 8, а ReceivedQuantity за вычетом действующих выдач "
         "(Rashod.dat) = 10 − 3 = 7"},
        {"sum", [](Files &f) { putDouble(f.base, 536, 21); },
         "Base.dat, запись 0: ReceivedSum = 21, а UnitPrice × ReceivedQuantity = 2 × 10 = 20"},
        {"issued sum", [](Files &f) { putDouble(f.rashod, 576, 5); },
         "Rashod.dat, запись 0: IssuedSum = 5"},
        {"issue priced unlike its batch",
         [](Files &f) {
             putDouble(f.rashod, 568, 3);
             putDouble(f.rashod, 576, 9);
         },
         "Base.dat, запись 0: TotalSum = 14, а ReceivedSum за вычетом сумм действующих выдач "
         "(Rashod.dat) = 20 − 9 = 11"},
        {"negative",
         [](Files &f) {
             putDouble(f.base, 504, -1);
             putDouble(f.base, 528, -2);
             putDouble(f.base, 512, 2);
             putDouble(f.base, 536, 4);
         },
         "Base.dat, запись 0: поле Quantity = -1: отрицательное количество"},
        {"issue of deleted batch", [](Files &f) { f.rashod[608 + 604] = 0; },
         "Rashod.dat, запись 1: действующая выдача из удалённой партии 1"},
        {"issue of missing batch",
         [](Files &f) {
             f.rashod[608 + 604] = 0;
             putInt(f.rashod, 608 + 600, 40);
         },
         "Rashod.dat, запись 1: действующая выдача из несуществующей партии: StockRecordId = 40"},
        {"negative batch id",
         [](Files &f) {
             f.rashod[608 + 604] = 0;
             putInt(f.rashod, 608 + 600, -1);
         },
         "Rashod.dat, запись 1: действующая выдача из несуществующей партии: StockRecordId = -1"},
        {"time of day", [](Files &f) { putDouble(f.base, 544, 46000.5); },
         "Base.dat, запись 0: дата ExpiryDate = 46000,5"},
        {"huge date", [](Files &f) { putDouble(f.rashod, 592, 1e300); },
         "Rashod.dat, запись 0: дата IssueDate = 1E300 вне разумных пределов"},
        {"date before 1900", [](Files &f) { putDouble(f.base, 256, -5); },
         "Base.dat, запись 0: дата ReceiptDate = -5 вне разумных пределов"},
        {"NaN date", [](Files &f) { putDouble(f.base, 256, NaN); },
         "Base.dat, запись 0: дата ReceiptDate = NaN"},
        {"NaN", [](Files &f) { putDouble(f.base, 520, NaN); },
         "Base.dat, запись 0: поле UnitPrice = NaN: не конечное число"},
        {"infinity", [](Files &f) { putDouble(f.rashod, 552, -Inf); },
         "Rashod.dat, запись 0: поле IssuedQuantity = −∞: не конечное число"},
        // What a power cut can leave: records of zeros, read as live issues of batch 0.
        {"zero issues", [](Files &f) { f.rashod += QByteArray(3 * 608, '\0'); },
         "Rashod.dat, запись 2: пустые записи — возможно, след сбоя питания: записи с 2 по 4 "
         "(всего 3)"},
        {"zero batch", [](Files &f) { f.base += QByteArray(560, '\0'); },
         "Base.dat, запись 2: пустые записи — возможно, след сбоя питания: все байты записи "
         "нулевые"},
        {"issue of another drug", [](Files &f) { f.rashod[2] = 'X'; },
         "Rashod.dat, запись 0: препарат и единица выдачи «АXальгин», «уп» не совпадают с её "
         "партией 0 "
         "(«Анальгин», «уп»)"},
        {"issue in another unit", [](Files &f) { f.rashod[264] = 1; },
         "Rashod.dat, запись 0: препарат и единица выдачи «Анальгин», «у» не совпадают с её "
         "партией 0"},
        // What an issue copies besides the drug and the unit.
        {"issue of another supplier",
         [](Files &f) {
             f.rashod[295] = 1;
             f.rashod[296] = 'X';
         },
         "Rashod.dat, запись 0: поля выдачи не совпадают с её партией 0 (Supplier «X», у партии "
         "«»)"},
        {"issue of another series",
         [](Files &f) {
             f.rashod[448] = 2;
             f.rashod[449] = '7';
             f.rashod[450] = '1';
         },
         "Rashod.dat, запись 0: поля выдачи не совпадают с её партией 0 (Series «71», у партии "
         "«»)"},
        {"issue of another receipt date", [](Files &f) { putDouble(f.rashod, 256, 45293); },
         "Rashod.dat, запись 0: поля выдачи не совпадают с её партией 0 (ReceiptDate 02.01.2024, у "
         "партии "
         "01.01.2024)"},
        // Moved to batch 1 of the same drug and price from another supplier, both batches adjusted.
        {"issue moved to another batch",
         [](Files &f) {
             f.base.replace(Stock1, 560, f.base.left(560));
             putInt(f.base, Stock1 + 552, 1);
             f.base[Stock1 + 295] = 1;
             f.base[Stock1 + 296] = 'B';
             putDouble(f.base, 504, 10);
             putDouble(f.base, 528, 20);
             putInt(f.rashod, 600, 1);
         },
         "Rashod.dat, запись 0: поля выдачи не совпадают с её партией 1 (Supplier «», у партии "
         "«B»)"},
        {"negative price",
         [](Files &f) {
             f.rashod[604] = 1;
             putDouble(f.base, 504, 10);
             putDouble(f.base, 520, -2);
             putDouble(f.base, 528, -20);
             putDouble(f.base, 536, -20);
         },
         "Base.dat, запись 0: поле UnitPrice = -2: отрицательная цена"},
        {"issue of nothing",
         [](Files &f) {
             putDouble(f.rashod, 552, 0);
             putDouble(f.rashod, 576, 0);
             putDouble(f.base, 504, 10);
             putDouble(f.base, 528, 20);
         },
         "Rashod.dat, запись 0: действующая выдача с количеством IssuedQuantity = 0"},
        {"issue before its receipt", [](Files &f) { putDouble(f.rashod, 592, 45200); },
         "Rashod.dat, запись 0: дата выдачи IssueDate = 01.10.2023 раньше даты получения её партии "
         "0 (01.01.2024)"},
        {"expiry before receipt", [](Files &f) { putDouble(f.base, 544, 45000); },
         "Base.dat, запись 0: срок годности ExpiryDate = 15.03.2023 раньше даты получения "
         "ReceiptDate = 01.01.2024"},
        // A relative tolerance of 1e-9 let 0,40 pass on 500 000 000; a kopeck is found on any amount.
        {"sum off by 0,40 on a large batch",
         [](Files &f) {
             f.rashod[604] = 1;
             putDouble(f.base, 504, 250000000);
             putDouble(f.base, 512, 250000000);
             putDouble(f.base, 528, 500000000);
             putDouble(f.base, 536, 500000000.40);
         },
         "Base.dat, запись 0: ReceivedSum = 500000000,4, а UnitPrice × ReceivedQuantity"},
        {"balance off by a kopeck on a large batch",
         [](Files &f) {
             putDouble(f.base, 504, 249999997);
             putDouble(f.base, 512, 250000000);
             putDouble(f.base, 528, 499999994);
             putDouble(f.base, 536, 500000000);
             putDouble(f.rashod, 576, 6.01);
             putDouble(f.rashod, 568, 6.01 / 3);
         },
         "Base.dat, запись 0: TotalSum = 499999994, а ReceivedSum за вычетом сумм действующих "
         "выдач"},
        {"same name twice in a list",
         [](Files &f) {
             f.departments += f.departments;
             putInt(f.departments, 60 + 52, 1);
         },
         "Otdelenie.dat, запись 1: запись «Хирургия» повторяет действующую запись 0"},
        {"NUL inside a name", [](Files &f) { f.drugs[3] = '\0'; },
         "NamePreparat.dat, запись 0: поле Name содержит управляющие символы"},
        {"line break inside a batch's series",
         [](Files &f) {
             f.base[448] = 2;
             f.base[449] = 'A';
             f.base[450] = '\n';
             f.rashod[448] = 2;
             f.rashod[449] = 'A';
             f.rashod[450] = '\n';
             f.rashod[604] = 1;
             putDouble(f.base, 504, 10);
             putDouble(f.base, 528, 20);
         },
         "Base.dat, запись 0: поле Series содержит управляющие символы"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        TempDataDir dir;
        Files f;
        c.spoil(f);
        f.writeTo(dir);
        const check::Result r = check::run(dir.path());
        ASSERT_EQ(r.findings.size(), 1) << [&] {
            std::string all;
            for (const auto &x : r.findings)
                all += x.line().toStdString() + "\n";
            return all;
        }();
        EXPECT_TRUE(r.findings[0].line().startsWith(QString::fromUtf8(c.expected)))
            << r.findings[0].line().toStdString();
    }
}

TEST(IntegrityCheck, EmptyDateOfOlderFilesIsAccepted)
{
    TempDataDir dir;
    Files f;
    putDouble(f.base, 544, 0);
    f.writeTo(dir);
    EXPECT_TRUE(check::run(dir.path()).findings.isEmpty());
}

TEST(IntegrityCheck, UnreadableFileIsReportedAndTheOthersStillChecked)
{
    TempDataDir dir;
    Files f;
    putInt(f.firms, 52, 9);
    f.writeTo(dir);
    QFile::remove(dir.file(files::Base));
    const check::Result r = check::run(dir.path());
    ASSERT_EQ(r.unreadable.size(), 1);
    EXPECT_TRUE(r.unreadable[0].contains(QStringLiteral("Base.dat")));
    EXPECT_TRUE(r.unreadable[0].contains(QStringLiteral("файл не найден")))
        << r.unreadable[0].toStdString();
    EXPECT_EQ(r.findings.size(), 2); // the spoilt id in both firm lists
    EXPECT_FALSE(QFile::exists(dir.file(files::Base)));
}

TEST(IntegrityCheck, PendingJournalIsReportedWithWhetherItMatches)
{
    TempDataDir dir;
    Files f;
    f.writeTo(dir);
    dir.write(QStringLiteral("Vedaris.journal"), "cut short");
    const check::Result r = check::run(dir.path());
    ASSERT_EQ(r.findings.size(), 1);
    EXPECT_TRUE(r.findings[0].line().startsWith(
        QStringLiteral("Vedaris.journal: журнал незавершённой операции "
                       "не читается: журнал оборван при записи")))
        << r.findings[0].line().toStdString();
}
