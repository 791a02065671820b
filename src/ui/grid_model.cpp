#include "ui/grid_model.h"

#include "ui/qt_text.h"

#include <QApplication>
#include <QPainter>

#include <exception>

namespace zelt::ui {

namespace {

// Enough rows for several screens of scrolling back and forth; dropped whole when full.
constexpr int kCacheRows = 2000;

}  // namespace

TableGridModel::TableGridModel(store::Table* table, std::vector<app::GridColumn> columns, QObject* parent,
                               ErrorSink onError)
    : QAbstractTableModel(parent), table_(table), columns_(std::move(columns)), onError_(std::move(onError)) {
    refreshTimer_.setSingleShot(true);
    refreshTimer_.setInterval(0);
    connect(&refreshTimer_, &QTimer::timeout, this, &TableGridModel::refreshNow);
    if (table_) table_->dataSource().addLink(this);
    resolveFields();
    count_ = readCount();
}

int TableGridModel::readCount() {
    if (!table_ || !table_->active()) return 0;
    try {
        return table_->recordCount();
    } catch (...) {  // handed on, not dropped
        readFailed(std::current_exception());
        return 0;
    }
}

void TableGridModel::readFailed(std::exception_ptr error) const {
    if (failed_) return;
    failed_ = true;
    if (onError_) onError_(std::move(error));
}

TableGridModel::~TableGridModel() {
    if (table_) table_->dataSource().removeLink(this);
}

void TableGridModel::detach() {
    if (!table_) return;
    table_->dataSource().removeLink(this);
    table_ = nullptr;
    schedule();
}

void TableGridModel::resolveFields() {
    fieldIndexes_.clear();
    rightAligned_.clear();
    ageIndex_ = -1;
    for (const app::GridColumn& c : columns_) {
        int index = -1;
        bool right = false;
        if (table_) {
            index = table_->layout().indexOf(c.field);
            if (index >= 0) {
                const store::FieldType t = table_->layout().fields[static_cast<size_t>(index)].type;
                right = t == store::FieldType::Number || t == store::FieldType::AutoInc;
            }
        }
        fieldIndexes_.push_back(index);
        rightAligned_.push_back(right);
    }
    if (table_) ageIndex_ = table_->layout().indexOf("L");
}

void TableGridModel::setColumns(const std::vector<app::GridColumn>& columns) {
    bool sameFields = columns.size() == columns_.size();
    for (size_t i = 0; sameFields && i < columns.size(); ++i) sameFields = columns[i].field == columns_[i].field;
    if (sameFields) {
        columns_ = columns;
        if (!columns_.empty()) emit headerDataChanged(Qt::Horizontal, 0, static_cast<int>(columns_.size()) - 1);
        return;
    }
    beginResetModel();
    columns_ = columns;
    resolveFields();
    cache_.clear();
    endResetModel();
}

void TableGridModel::setColourAdults(bool on) {
    if (on == colourAdults_) return;
    colourAdults_ = on;
    if (count_ > 0 && !columns_.empty()) emit dataChanged(index(0, 0), index(count_ - 1, columnCount() - 1));
}

void TableGridModel::setEditable(bool on) {
    if (on == editable_) return;
    editable_ = on;
    if (count_ > 0 && !columns_.empty()) emit dataChanged(index(0, 0), index(count_ - 1, columnCount() - 1));
}

void TableGridModel::sourceChanged() { schedule(); }

void TableGridModel::sourceDestroyed() {
    table_ = nullptr;
    schedule();
}

void TableGridModel::schedule() {
    if (!refreshTimer_.isActive()) refreshTimer_.start();
}

void TableGridModel::refreshNow() {
    refreshTimer_.stop();
    failed_ = false;
    const int count = readCount();
    cache_.clear();
    if (count != count_) {
        beginResetModel();
        count_ = count;
        endResetModel();
    } else if (count_ > 0 && !columns_.empty()) {
        emit dataChanged(index(0, 0), index(count_ - 1, columnCount() - 1));
    }
    ++refreshes_;
    emit refreshed();
}

TableGridModel::Row TableGridModel::row(int r) const {
    if (!table_ || !table_->active() || failed_) return {};
    try {
        return readRow(r);
    } catch (...) {
        // A table that changed under the view (a refresh is on its way) may have fewer rows now:
        // the row shows empty until then. Otherwise the table cannot be read, which the user is told.
        if (!refreshPending()) readFailed(std::current_exception());
        return {};
    }
}

TableGridModel::Row TableGridModel::readRow(int r) const {
    // The record being edited shows what has been typed into it, not what is stored.
    const bool editing = table_->state() == store::Table::State::Edit && table_->currentRow() == r;
    if (!editing) {
        const auto it = cache_.constFind(r);
        if (it != cache_.constEnd()) return *it;
    }
    std::vector<int> wanted;
    for (int f : fieldIndexes_)
        if (f >= 0) wanted.push_back(f);
    if (colourAdults_ && ageIndex_ >= 0) wanted.push_back(ageIndex_);
    std::vector<std::string> texts;
    if (editing) {
        for (int f : wanted) texts.push_back(table_->textAt(f));
    } else {
        texts = table_->rowTexts(r, wanted);
    }
    ++rowsRead_;
    Row out;
    size_t next = 0;
    for (int f : fieldIndexes_) out.texts << (f >= 0 ? toQt(texts[next++]) : QString());
    if (colourAdults_ && ageIndex_ >= 0) {
        const auto age = store::parseNumber(texts[next]);
        out.adult = age && *age >= 18;
    }
    if (editing) return out;
    if (cache_.size() >= kCacheRows) cache_.clear();
    return *cache_.insert(r, out);
}

int TableGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : count_; }

int TableGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant TableGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count_ || index.column() >= columnCount()) return {};
    const size_t col = static_cast<size_t>(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
        const Row r = row(index.row());
        return col < static_cast<size_t>(r.texts.size()) ? r.texts[static_cast<int>(col)] : QString();
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::Alignment((rightAligned_[col] ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter));
    case AdultRole:
        return colourAdults_ && row(index.row()).adult;
    case Qt::BackgroundRole:
        if (colourAdults_ && row(index.row()).adult) return kAdultRowColour;
        return {};
    default:
        return {};
    }
}

QVariant TableGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    if (role == Qt::DisplayRole) return toQt(columns_[static_cast<size_t>(section)].title);
    return {};
}

Qt::ItemFlags TableGridModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (editable_ && index.isValid()) f |= Qt::ItemIsEditable;
    return f;
}

bool TableGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !editable_ || !index.isValid() || !onCellEdit) return false;
    // A table closed or emptied under an editor: the row is no longer the record that was typed into.
    if (!table_ || !table_->active() || index.row() >= count_) return false;
    const std::string text = fromQt(value.toString());
    if (text == fromQt(data(index, Qt::EditRole).toString())) return false;
    cache_.remove(index.row());
    onCellEdit(index.row(), columns_[static_cast<size_t>(index.column())].field, text);
    return true;
}

QWidget* AdultRowDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    editor_ = editor;
    return editor;
}

bool AdultRowDelegate::finishEditing() {
    QWidget* editor = editor_;
    editor_ = nullptr;
    if (!editor || !editor->isVisible()) return false;
    // The view's own slots do the work: the model gets the text, then the editor is released.
    emit commitData(editor);
    emit closeEditor(editor, QAbstractItemDelegate::NoHint);
    return true;
}

void AdultRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    if (!index.data(TableGridModel::AdultRole).toBool()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    painter->save();
    painter->fillRect(option.rect, kAdultRowColour);
    const bool right = index.data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight;
    const QRect textRect = option.rect.adjusted(2, 2, -2, 0);
    const QString text = option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight,
                                                        textRect.width());
    painter->setFont(option.font);
    painter->setPen(option.palette.color(QPalette::Active, QPalette::Text));
    painter->drawText(textRect, (right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop | Qt::TextSingleLine, text);
    if (option.state & QStyle::State_Selected) {
        // The current row keeps its cyan; a dark frame round the whole row tells it from the others.
        const QRect r = option.rect;
        painter->fillRect(QRect(r.left(), r.top(), r.width(), kCurrentFrame), kCurrentRowFrame);
        painter->fillRect(QRect(r.left(), r.bottom() - kCurrentFrame + 1, r.width(), kCurrentFrame), kCurrentRowFrame);
        if (index.column() == 0) painter->fillRect(QRect(r.left(), r.top(), kCurrentFrame, r.height()), kCurrentRowFrame);
        if (index.column() == index.model()->columnCount() - 1)
            painter->fillRect(QRect(r.right() - kCurrentFrame + 1, r.top(), kCurrentFrame, r.height()), kCurrentRowFrame);
    }
    painter->restore();
}

}  // namespace zelt::ui
