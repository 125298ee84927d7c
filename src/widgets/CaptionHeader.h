#pragma once

#include <QHeaderView>

namespace vedaris {

// A header whose captions wrap after blanks and hyphens, never cut: it is as
// many lines high as the longest caption needs at the columns' present widths
// (so a wide window has a one-line header). Its font shrinks, a little at
// most, until every word of a caption fits its column's minimum width. The
// sort arrow sits above the caption, at the section's top centre, and takes
// none of the caption's width, so a sorted column wraps as an unsorted one.
class CaptionHeader : public QHeaderView
{
public:
    explicit CaptionHeader(QWidget *parent);

    // `minWidths` holds each caption's narrowest column, 0 for no limit.
    void fitCaptions(const QStringList &captions, const QVector<int> &minWidths);
    // Room for at least `lines` caption lines, so that lists shown alike look alike.
    void setMinimumLines(int lines);
    int lineCount() const { return m_lines; }
    // Takes the line count the present widths need; true when it changed.
    bool updateLines();
    // The lines a section's caption is drawn in.
    QStringList captionLines(int logicalIndex) const;
    // The width a section of `sectionWidth` pixels gives its caption.
    int labelWidth(int sectionWidth) const;
    // The lines `caption` takes in `width` pixels of label.
    static QStringList wrapped(const QString &caption, const QFontMetrics &metrics, int width);

protected:
    void initStyleOptionForIndex(QStyleOptionHeader *option, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    int m_lines = 1;
    int m_minLines = 1;
};

} // namespace vedaris
