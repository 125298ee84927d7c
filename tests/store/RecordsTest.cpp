#include "store/Records.h"
#include "store/TextFormats.h"

#include <QByteArray>
#include <cmath>
#include <gtest/gtest.h>

using namespace vedaris;

namespace {

// Places hand-written hex bytes into a record image.
void put(QByteArray &record, int offset, const char *hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    record.replace(offset, bytes.size(), bytes);
}

template<class R> QByteArray encoded(const R &r)
{
    QByteArray out(R::Size, '\xAA'); // the encoder must overwrite every byte
    encode(r, out.data());
    return out;
}

} // namespace

TEST(Records, StockRecordLayout)
{
    StockRecord r;
    r.DrugName = QStringLiteral("Анальгин");
    r.ReceiptDate = 45292; // 01.01.2024
    r.Unit = QStringLiteral("шт");
    r.Supplier = QStringLiteral("Firm");
    r.ReceiptDocument = QStringLiteral("N5");
    r.Manufacturer = QStringLiteral("Мк");
    r.Series = QStringLiteral("S");
    r.Quantity = 10;
    r.ReceivedQuantity = 12;
    r.UnitPrice = 2.5;
    r.TotalSum = 25;
    r.ReceivedSum = 30;
    r.ExpiryDate = 45658; // 01.01.2025
    r.RecordId = 258;
    r.Deleted = 0;

    QByteArray expected(560, '\0');
    put(expected, 0, "08 c0 ed e0 eb fc e3 e8 ed");
    put(expected, 256, "00 00 00 00 80 1D E6 40");
    put(expected, 264, "02 F8 F2");
    put(expected, 295, "04 46 69 72 6d");
    put(expected, 346, "02 4e 35");
    put(expected, 397, "02 cc ea");
    put(expected, 448, "01 53");
    put(expected, 504, "00 00 00 00 00 00 24 40");
    put(expected, 512, "00 00 00 00 00 00 28 40");
    put(expected, 520, "00 00 00 00 00 00 04 40");
    put(expected, 528, "00 00 00 00 00 00 39 40");
    put(expected, 536, "00 00 00 00 00 00 3e 40");
    put(expected, 544, "00 00 00 00 40 4b e6 40");
    put(expected, 552, "02 01 00 00");
    EXPECT_EQ(encoded(r).toHex(' '), expected.toHex(' '));

    StockRecord back;
    decode(expected.constData(), back);
    EXPECT_EQ(back.DrugName, r.DrugName);
    EXPECT_EQ(back.Unit, r.Unit);
    EXPECT_EQ(back.Series, r.Series);
    EXPECT_EQ(back.ReceiptDate, 45292);
    EXPECT_EQ(back.ExpiryDate, 45658);
    EXPECT_EQ(back.UnitPrice, 2.5);
    EXPECT_EQ(back.RecordId, 258);
}

TEST(Records, IssueRecordLayout)
{
    IssueRecord r;
    r.DrugName = QStringLiteral("A");
    r.Unit = QStringLiteral("шт");
    r.Department = QStringLiteral("Хир");
    r.IssuedQuantity = 3;
    r.UnitPrice = 2.5;
    r.IssuedSum = 7.5;
    r.IssueDate = 45300;
    r.StockRecordId = 7;
    r.Deleted = 1;

    QByteArray expected(608, '\0');
    put(expected, 0, "01 41");
    put(expected, 264, "02 F8 F2");
    put(expected, 499, "03 d5 e8 f0");
    put(expected, 552, "00 00 00 00 00 00 08 40");
    put(expected, 568, "00 00 00 00 00 00 04 40");
    put(expected, 576, "00 00 00 00 00 00 1e 40");
    put(expected, 592, "00 00 00 00 80 1e e6 40");
    put(expected, 600, "07 00 00 00");
    put(expected, 604, "01");
    EXPECT_EQ(encoded(r).toHex(' '), expected.toHex(' '));

    IssueRecord back;
    decode(expected.constData(), back);
    EXPECT_EQ(back.Department, r.Department);
    EXPECT_EQ(back.IssuedSum, 7.5);
    EXPECT_EQ(back.StockRecordId, 7);
    EXPECT_EQ(back.Deleted, 1);
}

TEST(Records, ReferenceLayouts)
{
    DrugNameEntry d;
    d.Name = QStringLiteral("Йод");
    d.Unit = QStringLiteral("фл");
    d.EntryId = -2;
    QByteArray expected(296, '\0');
    put(expected, 0, "03 c9 ee e4");
    put(expected, 256, "02 f4 eb");
    put(expected, 288, "fe ff ff ff");
    EXPECT_EQ(encoded(d).toHex(' '), expected.toHex(' '));

    ReferenceEntry e;
    e.Name = QStringLiteral("Ёж");
    e.EntryId = 3;
    e.Deleted = 1;
    QByteArray ref(60, '\0');
    put(ref, 0, "02 a8 e6");
    put(ref, 52, "03 00 00 00");
    put(ref, 56, "01");
    EXPECT_EQ(encoded(e).toHex(' '), ref.toHex(' '));
}

TEST(Records, TextsLongerThanTheFieldAreCut)
{
    StockRecord r;
    r.DrugName = QString(300, QChar(u'д'));
    r.Unit = QString(40, QChar(u'u'));
    r.Supplier = QString(60, QChar(u's'));
    const QByteArray bytes = encoded(r);
    EXPECT_EQ(quint8(bytes[0]), 255);
    EXPECT_EQ(quint8(bytes[264]), 30);
    EXPECT_EQ(quint8(bytes[295]), 50);
    StockRecord back;
    decode(bytes.constData(), back);
    EXPECT_EQ(back.DrugName, QString(255, QChar(u'д')));
    EXPECT_EQ(back.Unit, QString(30, QChar(u'u')));
    EXPECT_EQ(back.Supplier, QString(50, QChar(u's')));
}

TEST(Records, ReadsOnlyTheLengthAndClampsItToTheCapacity)
{
    QByteArray bytes(60, '\x41');
    bytes[0] = char(2);
    ReferenceEntry e;
    decode(bytes.constData(), e);
    EXPECT_EQ(e.Name, QStringLiteral("AA"));

    QByteArray record(560, '\x42');
    record[264] = char(255); // unit, capacity 30
    EXPECT_EQ(field::text(record.constData(), {264, 30}), QString(30, QChar(u'B')));
}

TEST(Records, AnyBytesDecodeSafely)
{
    const QByteArray junk(608, '\xFF');
    IssueRecord r;
    decode(junk.constData(), r);
    EXPECT_EQ(r.DrugName.size(), 255);
    EXPECT_EQ(r.Unit.size(), 30);
    EXPECT_EQ(r.Department.size(), 50);
    EXPECT_TRUE(std::isnan(r.IssuedQuantity));
    EXPECT_EQ(r.StockRecordId, -1);
    EXPECT_EQ(r.Deleted, 255);
    EXPECT_FALSE(text::serialToDate(r.IssueDate).isValid());
    EXPECT_FALSE(text::formatNumber(r.IssuedSum).isEmpty());
}
