#include "CaptionHeader.h"

#include <QPainter>
#include <QStyleOptionHeader>
#include <algorithm>

namespace vedaris {

namespace {

// Captions never shrink below this to fit: past it they would be hard to read.
constexpr qreal SmallestCaptionPoints = 7.5;
// Above the caption, for the sort arrow.
constexpr int ArrowRoom = 6;

} // namespace

CaptionHeader::CaptionHeader(QWidget *parent) : QHeaderView(Qt::Horizontal, parent)
{
    // The lines are fitted here; the header would elide the joined text.
    setTextElideMode(Qt::ElideNone);
}

QStringList CaptionHeader::wrapped(const QString &caption, const QFontMetrics &metrics, int width)
{
    QStringList pieces; // each ends after a blank or a hyphen
    qsizetype start = 0;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u' ' || caption[i] == u'-') {
            pieces << caption.mid(start, i + 1 - start);
            start = i + 1;
        }
    }
    if (start < caption.size())
        pieces << caption.mid(start);

    QStringList lines;
    QString line;
    for (const QString &piece : pieces) {
        if (!line.isEmpty() && metrics.horizontalAdvance((line + piece).trimmed()) > width) {
            lines << line.trimmed();
            line.clear();
        }
        line += piece;
    }
    if (!line.isEmpty())
        lines << line.trimmed();
    return lines;
}

void CaptionHeader::fitCaptions(const QStringList &captions, const QVector<int> &minWidths)
{
    QFont captionFont = parentWidget() ? parentWidget()->font() : font();
    const auto fits = [&](const QFontMetrics &metrics) {
        for (qsizetype i = 0; i < captions.size(); ++i) {
            if (minWidths.value(i) <= 0)
                continue;
            const int width = labelWidth(minWidths[i]);
            for (const QString &line : wrapped(captions[i], metrics, width))
                if (metrics.horizontalAdvance(line) > width)
                    return false;
        }
        return true;
    };
    while (captionFont.pointSizeF() - 0.5 >= SmallestCaptionPoints
           && !fits(QFontMetrics(captionFont)))
        captionFont.setPointSizeF(captionFont.pointSizeF() - 0.5);
    setFont(captionFont);
    updateLines();
}

void CaptionHeader::setMinimumLines(int lines)
{
    m_minLines = std::max(lines, 1);
    updateLines();
}

bool CaptionHeader::updateLines()
{
    int lines = m_minLines;
    if (model()) {
        for (int i = 0; i < count(); ++i) {
            if (isSectionHidden(i) || sectionSize(i) <= 1)
                continue;
            const QString caption =
                model()->headerData(i, orientation(), Qt::DisplayRole).toString();
            lines = std::max(
                lines, int(wrapped(caption, fontMetrics(), labelWidth(sectionSize(i))).size()));
        }
    }
    if (lines == m_lines)
        return false;
    m_lines = lines;
    // The height is cached with the captions; telling they changed drops it.
    if (count() > 0)
        headerDataChanged(orientation(), 0, count() - 1);
    updateGeometry();
    return true;
}

int CaptionHeader::labelWidth(int sectionWidth) const
{
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = QRect(0, 0, sectionWidth, std::max(height(), 1));
    option.sortIndicator = QStyleOptionHeader::None;
    return style()->subElementRect(QStyle::SE_HeaderLabel, &option, this).width();
}

QStringList CaptionHeader::captionLines(int logicalIndex) const
{
    const QString caption = model()
        ? model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString()
        : QString();
    const int width = labelWidth(sectionSize(logicalIndex));
    QStringList lines = wrapped(caption, fontMetrics(), width);
    // Only a column dragged narrower than its minimum gets here.
    while (lines.size() > m_lines) {
        const QString last = lines.takeLast();
        lines.last() += (lines.last().endsWith(u'-') ? QString() : QStringLiteral(" ")) + last;
    }
    for (QString &line : lines)
        line = fontMetrics().elidedText(line, Qt::ElideRight, width);
    return lines;
}

void CaptionHeader::initStyleOptionForIndex(QStyleOptionHeader *option, int logicalIndex) const
{
    QHeaderView::initStyleOptionForIndex(option, logicalIndex);
    option->text = captionLines(logicalIndex).join(u'\n');
    // paintSection draws the arrow; the style would take it from the caption's width.
    option->sortIndicator = QStyleOptionHeader::None;
}

QSize CaptionHeader::sectionSizeFromContents(int logicalIndex) const
{
    QSize size = QHeaderView::sectionSizeFromContents(logicalIndex);
    size.rheight() += (m_lines - 1) * fontMetrics().lineSpacing() + ArrowRoom;
    return size;
}

void CaptionHeader::paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const
{
    QHeaderView::paintSection(painter, rect, logicalIndex);
    if (!isSortIndicatorShown() || sortIndicatorSection() != logicalIndex || rect.width() < 12)
        return;
    // A small triangle above the caption: up ascending, down descending.
    const bool up = sortIndicatorOrder() == Qt::AscendingOrder;
    const qreal cx = rect.center().x() + 0.5;
    const qreal top = rect.top() + 1;
    const QPolygonF arrow = up ? QPolygonF{{cx - 4, top + 4}, {cx + 4, top + 4}, {cx, top}}
                               : QPolygonF{{cx - 4, top}, {cx + 4, top}, {cx, top + 4}};
    painter->save();
    // The header's own painting may leave an empty clip behind.
    painter->setClipRect(rect);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(palette().color(QPalette::ButtonText));
    painter->drawPolygon(arrow);
    painter->restore();
}

} // namespace vedaris
