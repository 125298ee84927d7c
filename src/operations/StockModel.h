#pragma once

#include "ListModel.h"
#include "StockFigures.h"
#include "StockRow.h"

#include <QHash>
#include <memory>
#include <vector>

namespace vedaris {

// The stock list: a row per live batch, {record number, record}, in the order
// shown. The cells are made from the record when the view asks for them, the
// header sorts on the values (dates by day, numbers by value), and the status
// figures come from the same rows.
class StockModel : public ListModel
{
public:
    explicit StockModel(QObject *parent = nullptr);
    ~StockModel() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    QString cell(int row, int column) const override;
    const QString &searchKey(int row) const override;
    const QString &captionKey(int row) const override;
    int findCaption(const QString &key) const override;

    qint32 slot(int row) const { return m_rows[size_t(row)].slot; }
    const StockRecord &record(int row) const { return m_rows[size_t(row)].record; }
    // The row of record `slot`, or -1.
    int rowOf(qint32 slot) const;

    // Replaces every row with the live batches read from Base.dat, record
    // `slot` after record; they end in caption order.
    void beginFill(qint64 expected = 0);
    void addFilled(qint64 slot, const StockRecord &record);
    void endFill();
    void clear() override;

    // A new batch: at `pos` in the list as ListModel::placeNew places it.
    int insertSorted(int pos, const StockRow &row);
    // Batch `row` as an operation rewrote it (ListModel::placeReplacing).
    int replace(int row, const StockRow &stored);
    void removeAt(int pos) override;

    // Text columns by their code page text, dates by day and numbers by value;
    // the model knows which of its columns are which, so `order` is not needed.
    void sortByColumn(int column, bool descending, CellOrder order = CellOrder::Text) override;

    // The status bar's figures of the batches in the list.
    ops::StockTotals totals(const QDate &today) const { return m_figures.totals(today); }

private:
    struct Typed
    {
        std::optional<QString> quantity;
        std::optional<QString> price;
    };
    struct Row
    {
        qint32 slot = 0;
        int caption = 0; // into m_captions
        StockRecord record;
        std::unique_ptr<Typed> typed; // a receipt's or an edit's typed texts
    };
    struct Caption
    {
        QString search;
        QString key;
    };
    // The caption of `name`, made once for every batch of that name; `name`
    // becomes the copy the caption keeps.
    int captionOf(QString &name);
    Row makeRow(const StockRow &row);
    // Puts `made` into the rows at a position, once.
    std::function<void(int)> inserter(Row &made);
    void reorderRows(const std::vector<int> &order) override;

    std::vector<Row> m_rows;
    std::vector<Caption> m_captions;
    QHash<QString, int> m_captionIndex;
    ops::StockFigures m_figures;
    std::vector<int> m_fillCaptions; // each filled row's caption, until endFill
    mutable CellTextCache m_texts;
};

} // namespace vedaris
