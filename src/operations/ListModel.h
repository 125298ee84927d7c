#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QStringList>
#include <functional>
#include <vector>

namespace vedaris {

// What the list view asks of the rows it shows, whatever they are made of:
// cells as texts, each row's caption keys, and the orders a list is put in.
// Rows are kept in the order shown. The caption order, the header order and
// where a new row goes are defined here once for every list.
class ListModel : public QAbstractTableModel
{
public:
    explicit ListModel(QObject *parent = nullptr);

    void setHeaders(const QStringList &headers);

    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    virtual QString cell(int row, int column) const = 0;
    QStringList cells(int row) const;
    // The caption's search key (text::searchKey) and Russian sort key.
    virtual const QString &searchKey(int row) const = 0;
    virtual const QString &captionKey(int row) const = 0;
    // The first row whose search key begins with `key`, or -1.
    virtual int findCaption(const QString &key) const;

    virtual void clear() = 0;
    virtual void removeAt(int pos) = 0;

    // Caption order: Russian, case deciding only between otherwise equal names.
    void sortByCaption();
    bool inCaptionOrder() const { return m_captionOrder; }
    // How a header click compares a column's cells.
    enum class CellOrder { Text, Date, Number };
    // Header order: texts by their code page 1251 codes with Latin a-z as
    // capitals, dates by date, numbers by value; empty cells (and cells that
    // are no date or number) last; descending is the exact reverse.
    virtual void sortByColumn(int column, bool descending, CellOrder order = CellOrder::Text) = 0;

protected:
    // A row's key for a header sort; `valid` false for an empty cell or one
    // that is no date or number.
    struct SortKey
    {
        bool valid = false;
        double value = 0;
        QByteArray text;
    };
    static SortKey textKey(const QString &cell);
    static SortKey dateKey(const QString &cell);
    static SortKey numberKey(const QString &cell);
    void sortByKeys(const std::vector<SortKey> &keys, bool byText, bool descending);

    // The rows move: order[newPosition] = oldPosition.
    virtual void reorderRows(const std::vector<int> &order) = 0;
    template<class Row> static void reorder(std::vector<Row> &rows, const std::vector<int> &order)
    {
        std::vector<Row> sorted;
        sorted.reserve(rows.capacity());
        for (int from : order)
            sorted.push_back(std::move(rows[size_t(from)]));
        rows.swap(sorted);
    }
    void applyOrder(const std::vector<int> &order);

    // Places a new row whose caption has the Russian key `key`: in a list in
    // caption order where inserting at `pos` and sorting again would put it
    // (among rows of the same name at `pos`, as near as it can); otherwise at
    // `pos`, and the list is sorted by caption again. `insertAt` puts the row
    // into the model's rows at a position. Returns where the row ended up.
    int placeNew(int pos, const QString &key, const std::function<void(int pos)> &insertAt);
    // A row replaced in place: one keeping its name keeps its place among the
    // rows of that name; a renamed one goes where a row inserted at the top would.
    int placeReplacing(int row, const QString &caption, const QString &key,
                       const std::function<void(int pos)> &insertAt);

    // The row order of a fill: rows of equal caption rank keep the order they
    // came in. `rowDistinct[i]` is the distinct caption of row i; returns each
    // row's place.
    static std::vector<int> fillTargets(const std::vector<const QString *> &distinctKeys,
                                        const std::vector<int> &rowDistinct);
    template<class Row> static void moveToTargets(std::vector<Row> &rows, std::vector<int> target)
    {
        // Moved into place cycle by cycle, without a second copy of the rows.
        for (size_t i = 0; i < target.size(); ++i) {
            while (target[i] != int(i)) {
                const size_t j = size_t(target[i]);
                std::swap(rows[i], rows[j]);
                std::swap(target[i], target[j]);
            }
        }
    }
    void setCaptionOrder(bool inOrder) { m_captionOrder = inOrder; }

private:
    QStringList m_headers;
    bool m_captionOrder = true;
};

} // namespace vedaris
