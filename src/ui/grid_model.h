// The rows of a grid: a table model over one table object that reads only the rows a view asks
// for, follows the table through a data link, and marks the rows of those who have come of age.
#pragma once

#include "app/form/form_model.h"
#include "store/table.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QPointer>
#include <QStringList>
#include <QStyledItemDelegate>
#include <QTimer>

#include <exception>
#include <functional>
#include <vector>

namespace zelt::ui {

// RGB(0, 255, 255): 0xFFFF00 in the 0x00BBGGRR notation.
inline const QColor kAdultRowColour(0, 255, 255);
// The frame that marks the current row among cyan rows: a dark cyan, 2 pixels wide.
inline const QColor kCurrentRowFrame(0, 96, 96);
inline constexpr int kCurrentFrame = 2;

class TableGridModel : public QAbstractTableModel, public store::DataLink {
    Q_OBJECT
public:
    // True for a row that is painted cyan (data role).
    static constexpr int AdultRole = Qt::UserRole + 1;

    // Where a read of the table that failed is handed (the view passes it to the dispatcher).
    using ErrorSink = std::function<void(std::exception_ptr)>;

    // `table` may be null (a grid without a data source): the grid then stays empty. A read that
    // fails is handed to `onError` once, and the grid shows no rows until the table changes again.
    TableGridModel(store::Table* table, std::vector<app::GridColumn> columns, QObject* parent = nullptr,
                   ErrorSink onError = {});
    ~TableGridModel() override;

    // Columns: field, title, width in characters. A change of fields resets the model.
    void setColumns(const std::vector<app::GridColumn>& columns);
    const std::vector<app::GridColumn>& columns() const { return columns_; }
    void setColourAdults(bool on);
    void setEditable(bool on);
    bool editable() const { return editable_; }
    // Called with (row, field, text) when the user finishes typing into a cell.
    std::function<void(long, const std::string&, const std::string&)> onCellEdit;

    store::Table* table() const { return table_; }
    // Stops following the table; the grid shows no rows from then on.
    void detach();
    // Reads the table's record count again and drops every cached row, now.
    void refreshNow();
    // True while the table has changed and the rows on the screen are not yet read again.
    bool refreshPending() const { return refreshTimer_.isActive(); }

    // How many rows were read from the table, and how many refreshes ran: the grid's cost.
    long rowsRead() const { return rowsRead_; }
    long refreshes() const { return refreshes_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // DataLink: a move, an edit, an open or close of the table. Only marks the cache stale and
    // schedules one refresh, so a walk over the whole table inside a handler costs one repaint.
    void sourceChanged() override;
    void sourceDestroyed() override;

signals:
    // A refresh ran; the view selects the table's current row.
    void refreshed();

private:
    struct Row {
        QStringList texts;
        bool adult = false;
    };
    // A row as the view shows it: empty when it cannot be read.
    Row row(int r) const;
    // A row from the cache or the table; throws what the table throws.
    Row readRow(int r) const;
    void resolveFields();
    void schedule();
    // The record count, or 0 when it cannot be read.
    int readCount();
    // A read failed: the error goes to the sink, once until the next refresh.
    void readFailed(std::exception_ptr error) const;

    store::Table* table_;
    std::vector<app::GridColumn> columns_;
    std::vector<int> fieldIndexes_;  // per column, -1 for a field the layout lacks
    std::vector<bool> rightAligned_;
    int ageIndex_ = -1;
    bool colourAdults_ = false;
    bool editable_ = false;
    int count_ = 0;
    mutable QHash<int, Row> cache_;
    mutable long rowsRead_ = 0;
    long refreshes_ = 0;
    QTimer refreshTimer_;
    ErrorSink onError_;
    mutable bool failed_ = false;  // a read failed since the last refresh
};

// Paints the rows of those aged 18 or more cyan in every column, the selected row included, and
// writes the text again over the colour: 2 pixels in from the left (right for right-aligned
// columns) and 2 pixels below the top. Keeps track of the cell editor it opened, so that the
// view can end the typing before anything else happens to the table.
class AdultRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Writes what the open cell editor holds into the model and closes the editor, as leaving the
    // cell does; nothing when no editor is open. True when an editor was closed.
    bool finishEditing();

private:
    mutable QPointer<QWidget> editor_;
};

}  // namespace zelt::ui
