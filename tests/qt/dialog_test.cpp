// The desktop dialogs driven through their real widgets (offscreen): typing
// into fields, a validation that keeps the focus, drop-downs, the default
// and the cancel button by Enter and Escape.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "qt/preview.h"
#include "rdd/area.h"
#include "ui/popcode.h"
#include "qt/qt_ui.h"
#include "xbase/cp874.h"
#include "xbase/dates.h"
#include "xbase/runtime.h"

using namespace xbase;

namespace {

class QtDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    r.memvars.declarePublic("CCODBEG") = Value::chr("     ");
    r.memvars.declarePublic("CDAYBEG") = Value::dateValue(encodeDate(2026, 12, 1));
    r.memvars.declarePublic("CRECALC") = Value::chr("N");
    d.title = std::string("เงื่อนไข"_th);
    d.width = 200;
    d.height = 100;
    d.label(std::string("&รหัส"_th), 10, 10);
    // Codes beginning with "X" do not exist: refused.
    d.edit("CCODBEG", 10, 50, 60, 12, "@!", [this] {
      ++validations;
      return r.memvars.lookup("CCODBEG")->s[0] != 'X';
    });
    d.edit("CDAYBEG", 25, 50, 60, 12);
    r.memvars.declarePublic("CPERIOD") = Value::chr("12/2026");
    d.edit("CPERIOD", 25, 120, 60, 12, "99/9999");
    platform::Control recalc;
    recalc.kind = platform::Control::Kind::ComboBox;
    recalc.variable = "CRECALC";
    recalc.items = {"N", "Y"};
    recalc.row = 40;
    recalc.col = 50;
    d.add(recalc);
    d.button(std::string("&ตกลง"_th), 60, 20, 40, 12, [this] { d.close(1); }).isDefault = true;
    d.button(std::string("&ยกเลิก"_th), 60, 80, 40, 12, [this] { d.close(0); }).isCancel = true;
  }
  QLineEdit* edit(QDialog& w, const char* name) { return w.findChild<QLineEdit*>(name); }

  Runtime r;
  RuntimeScope scope{r};
  platform::Dialog d;
  int validations = 0;
};

TEST_F(QtDialog, FieldsShowAndStoreTheirVariables) {
  auto w = qt::makeDialogWindow(d);
  w->show();
  QApplication::setActiveWindow(w.get());
  EXPECT_EQ(w->size(), QSize(250, 92));  // the layout's size less the title bar, times the scale
  QLineEdit* day = edit(*w, "CDAYBEG");
  ASSERT_TRUE(day);
  EXPECT_EQ(day->text(), "01/12/2026");
  QLineEdit* code = edit(*w, "CCODBEG");
  code->setFocus();
  QTest::keyClicks(code, "ab1");
  EXPECT_EQ(code->text(), "AB1");  // "@!" upper-cases as it is typed
  QTest::keyClick(code, Qt::Key_Tab);
  EXPECT_EQ(r.memvars.lookup("CCODBEG")->s, "AB1  ");  // "@!" upper case, the width kept
  EXPECT_EQ(code->text(), "AB1");
  day->setFocus();
  day->selectAll();
  QTest::keyClicks(day, "15/12/2026");
  QTest::keyClick(day, Qt::Key_Tab);
  EXPECT_EQ(r.memvars.lookup("CDAYBEG")->date, encodeDate(2026, 12, 15));
  // "99/9999" takes digits in their places only.
  QLineEdit* period = edit(*w, "CPERIOD");
  period->setFocus();
  period->selectAll();
  QTest::keyClicks(period, "x0a1b2027");
  QTest::keyClick(period, Qt::Key_Tab);
  EXPECT_EQ(r.memvars.lookup("CPERIOD")->s, "01/2027");
  auto* combo = w->findChild<QComboBox*>("CRECALC");
  ASSERT_TRUE(combo);
  EXPECT_EQ(combo->currentText(), "N");
}

TEST_F(QtDialog, ARefusedValueKeepsTheFocus) {
  auto w = qt::makeDialogWindow(d);
  w->show();
  QApplication::setActiveWindow(w.get());
  QLineEdit* code = edit(*w, "CCODBEG");
  code->setFocus();
  QTest::keyClicks(code, "x9");
  QTest::keyClick(code, Qt::Key_Tab);
  QTest::qWait(10);
  EXPECT_EQ(validations, 1);
  EXPECT_EQ(w->focusWidget(), code);
  // The default button stores the field first: refused, the dialog stays.
  QTest::keyClick(code, Qt::Key_Return);
  EXPECT_FALSE(d.closed());
}

TEST_F(QtDialog, EnterAndEscapePressTheirButtons) {
  struct Case {
    Qt::Key key;
    int result;
  } cases[] = {{Qt::Key_Escape, 0}, {Qt::Key_Enter, 1}};
  for (const Case& c : cases) {
    d.reopen();
    qt::QtUi ui;
    QTimer::singleShot(0, [&c] {
      QWidget* w = QApplication::activeModalWidget();
      ASSERT_TRUE(w);
      QTest::keyClick(w, c.key);
    });
    EXPECT_EQ(ui.run(d), c.result);
  }
}

}  // namespace

namespace {

// A list over rows held in memory: the cursor moves like a work area's.
class ListDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    r.memvars.declarePublic("CRSEEK") = Value::chr("          ");
    auto b = std::make_shared<platform::Browse>();
    b->columns = {{"รหัส"_th.data(), [this] { return rows[std::size_t(at)]; }, 120, 'L'}};
    b->goTop = [this] { at = 0; };
    b->goBottom = [this] { at = long(rows.size()) - 1; };
    b->skip = [this](long n) {
      long to = std::clamp(at + n, 0L, long(rows.size()) - 1), moved = to - at;
      at = to;
      return moved;
    };
    b->atEnd = [] { return false; };
    b->colour = [this] { return rows[std::size_t(at)][0] == '*' ? platform::RowColour::Deleted : platform::RowColour::Normal; };
    b->keys["Enter"] = [this] {
      chosen = rows[std::size_t(at)];
      d.close(1);
    };
    browse = b;
    d.title = "list";
    d.width = 200;
    d.height = 150;
    platform::Control list;
    list.kind = platform::Control::Kind::List;
    list.row = 5;
    list.col = 5;
    list.width = 150;
    list.height = 100;
    list.browse = b;
    d.add(list);
    d.edit("CRSEEK", 110, 5, 60, 12, "@!");
    // The search: the first row from the typed text on becomes current.
    d.button("find", 110, 80, 40, 12, [this] {
      std::string want = r.memvars.lookup("CRSEEK")->s;
      while (!want.empty() && want.back() == ' ') want.pop_back();
      for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].rfind(want, 0) == 0) {
          at = long(i);
          break;
        }
      browse->refresh();
    });
  }
  QString focusedRow(QTableWidget& t) {
    for (int i = 0; i < t.rowCount(); ++i)
      if (t.item(i, 0)->background().color() == QColor(0, 160, 0)) return t.item(i, 0)->text();
    return QString();
  }

  Runtime r;
  RuntimeScope scope{r};
  platform::Dialog d;
  std::shared_ptr<platform::Browse> browse;
  std::vector<std::string> rows = {"A01", "A02", "*A03", "B01", "B02", "C01"};
  long at = 0;
  std::string chosen;
};

TEST_F(ListDialog, KeysMoveTheRecordTheSearchFindsItEnterChoosesIt) {
  auto w = qt::makeDialogWindow(d);
  w->show();
  QApplication::setActiveWindow(w.get());
  auto* list = w->findChild<QTableWidget*>("list");
  ASSERT_TRUE(list);
  EXPECT_EQ(list->item(0, 0)->text(), "A01");
  EXPECT_EQ(focusedRow(*list), "A01");
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Down);
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(focusedRow(*list), "*A03");
  EXPECT_EQ(list->item(2, 0)->foreground().color(), QColor(255, 0, 0));  // deleted: red
  QLineEdit* seek = w->findChild<QLineEdit*>("CRSEEK");
  seek->setFocus();
  QTest::keyClicks(seek, "b02");
  QTest::mouseClick(w->findChildren<QPushButton*>().first(), Qt::LeftButton);
  EXPECT_EQ(focusedRow(*list), "B02");
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_EQ(chosen, "B02");
  EXPECT_TRUE(d.closed());
}

}  // namespace

namespace {

// A job printed through the desktop's target ends in the preview window,
// which shows its pages.
TEST(Preview, ShowsTheJobsPages) {
  qt::PreviewTarget target(platform::Paper::byName("A4"), qt::FontMap::defaults());
  std::unique_ptr<QPrintPreviewDialog> window;
  target.show = [&](const qt::RecordedJob& job) { window = qt::makePreview(job, target.printer(), qt::FontMap::defaults()); };
  auto printer = target.open("TEST");
  printer->startJob("รายงานทดสอบ"_th.data());
  for (int page = 1; page <= 3; ++page) {
    printer->startPage();
    printer->text(100, 200, "หน้า "_th.data() + std::to_string(page), platform::PrintFont{"EucrosiaUPC", 0, -20}, platform::Align::Left);
    printer->line(100, 300, 2000, 300, platform::PrintPen{2});
    printer->endPage();
  }
  printer->endJob();
  ASSERT_TRUE(window);
  window->show();
  auto* widget = window->findChild<QPrintPreviewWidget*>();
  ASSERT_TRUE(widget);
  widget->updatePreview();
  EXPECT_EQ(widget->pageCount(), 3);
  EXPECT_EQ(window->windowTitle(), QString::fromUtf8("รายงานทดสอบ"));
}

}  // namespace

namespace {

// An unknown code typed into a field opens the look-up list over the
// master table; the code chosen there is written back into the field.
TEST(LookUp, UnknownCodeOpensTheListAndTheChoiceComesBack) {
  std::filesystem::path dir = std::filesystem::temp_directory_path() / ("vqt" + std::to_string(::getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  Runtime r;
  RuntimeScope scope{r};
  rdd::Areas areas;
  r.areas = &areas;
  qt::QtUi ui;
  platform::setUi(&ui);
  r.memvars.declarePublic("CDRV1") = Value::chr(dir.string() + "/");
  r.memvars.declarePublic("CTRUSTEE") = Value::chr(std::string(60, '6'));
  r.memvars.declarePublic("CBRAND") = Value::chr("  VEK for Windows");
  r.memvars.declarePublic("CCOD") = Value::chr("    ");
  rdd::Area* s = areas.create((dir / "Section.dbf").string(), {{"CODE", 'C', 4, 0}, {"NAME", 'C', 30, 0}}, "X");
  for (const char* c : {"A10", "A20", "B10", "B20"}) {
    s->append();
    s->putField(0, Value::chr(c));
  }
  areas.closeAll();

  platform::Dialog d;
  d.title = "conditions";
  d.width = 200;
  d.height = 100;
  d.edit("CCOD", 10, 50, 60, 12, "@!", [] {
    return ui::POPCODE(2, 5, xbase::rt().memvars.lookup("CCOD")->s, nullptr, "CCOD", "").value_or(false);
  });
  d.edit("COTHER", 25, 50, 60, 12);
  r.memvars.declarePublic("COTHER") = Value::chr("  ");
  auto w = qt::makeDialogWindow(d);
  w->show();
  QApplication::setActiveWindow(w.get());
  QLineEdit* code = w->findChild<QLineEdit*>("CCOD");
  code->setFocus();
  QTest::keyClicks(code, "b");
  // In the list (opened on B10, the first code from "B"): one down, Enter.
  bool listSeen = false;
  QTimer::singleShot(50, [&] {
    QWidget* popup = QApplication::activeModalWidget();
    auto* list = popup ? popup->findChild<QTableWidget*>("list") : nullptr;
    if (!list) return;
    listSeen = true;
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);
  });
  QTest::keyClick(code, Qt::Key_Tab);
  QTest::qWait(100);
  EXPECT_TRUE(listSeen);
  EXPECT_EQ(r.memvars.lookup("CCOD")->s, "B20 ");
  EXPECT_EQ(code->text(), "B20");
  w.reset();
  platform::setUi(nullptr);
  areas.closeAll();
  r.areas = nullptr;
  std::filesystem::remove_all(dir);
}

}  // namespace
