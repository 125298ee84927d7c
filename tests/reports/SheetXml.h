#pragma once

// A reader of a saved sheet's XML written independently of the workbook layer:
// inline strings, shared strings and numbers, and the merges.

#include "support/ZipParts.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace sheetxml {

struct FileCell
{
    bool number = false;
    QString text; // the string, or the number as the file writes it
};

struct Sheet
{
    QHash<QString, FileCell> cells; // "C4" -> value; cells without a value are left out
    QSet<QString> merges; // "C4:C5"
};

inline QByteArray member(const QString &file, const QString &name)
{
    return zipparts::member(file, name);
}

// A reader of the sheet XML written independently of the workbook layer: inline
// strings, shared strings and numbers.
inline Sheet readSheet(const QString &file)
{
    QStringList shared;
    QXmlStreamReader s(member(file, "xl/sharedStrings.xml"));
    while (!s.atEnd())
        if (s.readNext() == QXmlStreamReader::StartElement && s.name() == u"si")
            shared << s.readElementText(QXmlStreamReader::IncludeChildElements);

    Sheet sheet;
    QXmlStreamReader x(member(file, "xl/worksheets/sheet1.xml"));
    QString ref, type;
    while (!x.atEnd()) {
        if (x.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (x.name() == u"mergeCell") {
            sheet.merges.insert(x.attributes().value("ref").toString());
        } else if (x.name() == u"c") {
            ref = x.attributes().value("r").toString();
            type = x.attributes().value("t").toString();
        } else if (x.name() == u"v") {
            const QString v = x.readElementText();
            if (type == u"s")
                sheet.cells[ref] = {false, shared.value(v.toInt())};
            else if (type == u"str")
                sheet.cells[ref] = {false, v};
            else
                sheet.cells[ref] = {true, v};
        } else if (x.name() == u"is") {
            sheet.cells[ref] = {false, x.readElementText(QXmlStreamReader::IncludeChildElements)};
        }
    }
    EXPECT_FALSE(x.hasError()) << x.errorString().toStdString();
    return sheet;
}

} // namespace sheetxml
