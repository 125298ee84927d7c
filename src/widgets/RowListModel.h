#pragma once

#include "operations/ListModel.h"

#include <QHash>
#include <array>
#include <vector>

namespace vedaris {

// Rows of cell texts, kept in the order shown. Each row carries its caption's
// search key and Russian sort key, computed once when the row is made, so that
// sorting and searching a hundred thousand rows stays quick.
class RowListModel : public ListModel
{
public:
    explicit RowListModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;

    QString cell(int row, int column) const override;
    const QString &searchKey(int row) const override { return m_rows[size_t(row)].search; }
    const QString &captionKey(int row) const override { return m_rows[size_t(row)].key; }

    // Replaces every row, a row at a time: a fill packs each row as it comes,
    // so the rows of a large file are never held twice. They end in caption order.
    void beginFill(qint64 expected = 0);
    void addFilled(const QStringList &cells);
    void endFill();
    void clear() override;
    void removeAt(int pos) override;
    void sortByColumn(int column, bool descending, CellOrder order = CellOrder::Text) override;

private:
    // A row's cells live in one string, which keeps a hundred thousand rows
    // small and quick to build.
    static constexpr int MaxColumns = 13;
    struct Row
    {
        QString packed;
        std::array<quint32, MaxColumns> ends;
        int count;
        QString search;
        QString key; // the caption's Russian sort key
    };
    static Row pack(const QStringList &cells, const QString &search, const QString &key);
    void reorderRows(const std::vector<int> &order) override;

    std::vector<Row> m_rows;
    struct Fill
    {
        QHash<QString, int> distinctIndex;
        std::vector<Row> distinct; // search and sort keys of each distinct caption
        std::vector<int> rowDistinct;
    } m_fill;
};

} // namespace vedaris
