#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <array>
#include <vector>

namespace vedaris {

// Rows of cell texts, kept in the order shown. Each row carries its caption's
// search key and Russian sort key, computed once when the row is made, so that
// sorting and searching a hundred thousand rows stays quick.
class RowListModel : public QAbstractTableModel
{
public:
    explicit RowListModel(QObject *parent = nullptr);

    void setHeaders(const QStringList &headers);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    QStringList cells(int row) const;
    QString cell(int row, int column) const;
    const QString &searchKey(int row) const { return m_rows[size_t(row)].search; }

    // Replaces every row; they come in caption order.
    void setRows(const QVector<QStringList> &rows);
    // The same, a row at a time: a fill packs each row as it comes, so the
    // rows of a large file are never held twice.
    void beginFill(qint64 expected = 0);
    void addFilled(const QStringList &cells);
    void endFill();
    void clear();
    void insertAt(int pos, const QStringList &cells);
    // Inserts into a list in caption order where inserting at `pos` and
    // sorting again would put it: among rows of the same name it stays at
    // `pos` (as near as it can); returns where it went.
    int insertSorted(int pos, const QStringList &cells);
    void removeAt(int pos);
    // Caption order: Russian, case deciding only between otherwise equal names.
    void sortByCaption();
    // How a header click compares a column's cells.
    enum class CellOrder { Text, Date, Number };
    // Header order: texts by their code page 1251 codes with Latin a-z as
    // capitals, dates by date, numbers by value; empty cells (and cells that
    // are no date or number) last; descending is the exact reverse.
    void sortByColumn(int column, bool descending, CellOrder order = CellOrder::Text);

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
    Row makeRow(const QStringList &cells) const;
    // order[newPosition] = oldPosition
    void applyOrder(const std::vector<int> &order);

    QStringList m_headers;
    std::vector<Row> m_rows;
    struct Fill
    {
        QHash<QString, int> distinctIndex;
        std::vector<Row> distinct; // search and sort keys of each distinct caption
        std::vector<int> rowDistinct;
    } m_fill;
};

} // namespace vedaris
