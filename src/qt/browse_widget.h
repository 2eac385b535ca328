// A browse list over a work area in Qt: the rows around the current record,
// the focused row green, deleted rows red, header white on blue, the keys
// and mouse actions the dialogs bind.
#pragma once

#include <QTableWidget>

#include <memory>

#include "platform/dialog.h"

namespace qt {

class BrowseWidget : public QTableWidget {
 public:
  BrowseWidget(std::shared_ptr<platform::Browse> browse, QWidget* parent);
  ~BrowseWidget() override;
  // Reads the visible rows again around the current record.
  void reload();
  // Called after an action of the list ran (the dialog may want to redraw).
  std::function<void()> afterAction;

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  int visibleRows() const;
  void move(long n);         // the current record n rows on (back when negative)
  void toRow(int index);     // the visible row `index` (0-based) becomes current
  void run(const char* key);
  std::shared_ptr<platform::Browse> b_;
};

}  // namespace qt
