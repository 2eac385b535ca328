#include "qt/browse_widget.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include "qt/qt_ui.h"
#include "xbase/cp874.h"

namespace qt {

namespace {
QString qs(const std::string& cp874) { return QString::fromStdString(xbase::toUtf8(cp874)); }
}  // namespace

BrowseWidget::BrowseWidget(std::shared_ptr<platform::Browse> browse, QWidget* parent)
    : QTableWidget(parent), b_(std::move(browse)) {
  setColumnCount(int(b_->columns.size()));
  QStringList headings;
  for (const platform::BrowseColumn& c : b_->columns) headings << qs(c.heading);
  setHorizontalHeaderLabels(headings);
  for (std::size_t i = 0; i < b_->columns.size(); ++i)
    if (b_->columns[i].width > 0) setColumnWidth(int(i), int(b_->columns[i].width * kDialogScale));
  horizontalHeader()->setStyleSheet("QHeaderView::section { color: white; background-color: blue; }");
  verticalHeader()->hide();
  setSelectionMode(QAbstractItemView::NoSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFocusPolicy(Qt::StrongFocus);
  if (b_->background == "silver") setStyleSheet("QTableWidget { background-color: rgb(192,192,192); }");
  b_->refresh = [this] { reload(); };
}

// The list outlives its window: it must not call a widget that is gone.
BrowseWidget::~BrowseWidget() { b_->refresh = nullptr; }

int BrowseWidget::visibleRows() const {
  int h = viewport()->height();
  int row = verticalHeader()->defaultSectionSize();
  return std::max(1, row > 0 ? h / row : 10);
}

void BrowseWidget::reload() {
  const int n = visibleRows();
  if (b_->row < 1) b_->row = 1;
  if (b_->row > n) b_->row = n;
  // From the current record back to the top row, then down the page, and
  // back to the current record.
  long back = b_->skip ? -b_->skip(-(b_->row - 1)) : 0;
  b_->row = back + 1;
  setRowCount(0);
  long read = 0;
  for (int i = 0; i < n; ++i) {
    if (b_->atEnd && b_->atEnd()) break;
    platform::RowColour colour = b_->colour ? b_->colour() : platform::RowColour::Normal;
    bool focused = read == back;
    setRowCount(int(read) + 1);
    for (std::size_t c = 0; c < b_->columns.size(); ++c) {
      auto* item = new QTableWidgetItem(qs(b_->columns[c].text ? b_->columns[c].text() : std::string()));
      char align = b_->columns[c].align;
      item->setTextAlignment((align == 'R' ? Qt::AlignRight : align == 'C' ? Qt::AlignHCenter : Qt::AlignLeft) |
                             Qt::AlignVCenter);
      item->setForeground(colour == platform::RowColour::Deleted ? QColor(255, 0, 0) : QColor(0, 0, 0));
      if (focused) item->setBackground(QColor(0, 160, 0));
      setItem(int(read), int(c), item);
    }
    ++read;
    if (i + 1 < n && (!b_->skip || b_->skip(1) != 1)) break;
  }
  // Back to the current record from the last row read.
  long at = read > 0 ? read - 1 : 0;
  if (b_->atEnd && b_->atEnd()) at = read;  // the skip went past the last row
  if (b_->skip && at != back) b_->skip(back - at);
}

void BrowseWidget::move(long n) {
  if (!b_->skip) return;
  long moved = b_->skip(n);
  b_->row += moved;
  reload();
}

void BrowseWidget::toRow(int index) {
  if (index < 0 || index >= rowCount()) return;
  move(long(index) - (b_->row - 1));
}

void BrowseWidget::run(const char* key) {
  auto it = b_->keys.find(key);
  if (it == b_->keys.end()) return;
  it->second();
  if (afterAction) afterAction();
}

void BrowseWidget::keyPressEvent(QKeyEvent* e) {
  const int page = visibleRows();
  switch (e->key()) {
    case Qt::Key_Up: move(-1); return;
    case Qt::Key_Down: move(1); return;
    case Qt::Key_PageUp: move(-page); return;
    case Qt::Key_PageDown: move(page); return;
    case Qt::Key_Home:
      if (b_->goTop) b_->goTop();
      b_->row = 1;
      reload();
      return;
    case Qt::Key_End:
      if (b_->goBottom) b_->goBottom();
      b_->row = page;
      reload();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (b_->keys.count("Enter")) return run("Enter");
      break;
    default: break;
  }
  QTableWidget::keyPressEvent(e);
}

void BrowseWidget::mousePressEvent(QMouseEvent* e) {
  setFocus();
  toRow(rowAt(int(e->position().y())));
  if (e->button() == Qt::RightButton) run("RightClick");
}

void BrowseWidget::mouseDoubleClickEvent(QMouseEvent* e) {
  toRow(rowAt(int(e->position().y())));
  run("DblClick");
}

void BrowseWidget::resizeEvent(QResizeEvent* e) {
  QTableWidget::resizeEvent(e);
  reload();
}

}  // namespace qt
