#include "qt/qt_ui.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QDialog>
#include <QEvent>
#include <QFocusEvent>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QPushButton>
#include <QTabWidget>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "qt/browse_widget.h"
#include "xbase/cp874.h"
#include "xbase/numfmt.h"
#include "xbase/runtime.h"

namespace qt {

namespace {

QString qs(std::string_view cp874) { return QString::fromStdString(xbase::toUtf8(cp874)); }
std::string cp(const QString& s) { return xbase::fromUtf8(s.toStdString()); }

QRect place(const platform::Control& c, int defaultWidth) {
  int w = c.width > 0 ? c.width : defaultWidth;
  int h = c.height > 0 ? c.height : 12;
  return QRect(int(c.col * kUnitX), int(c.row * kUnitY), int(w * kUnitX), int(h * kUnitY));
}

std::string variableText(const std::string& name) {
  const xbase::Value* v = xbase::rt().memvars.lookup(name);
  if (!v) return std::string();
  if (v->isChar()) return v->s;
  if (v->isNum()) return xbase::formatNumber(*v);
  return std::string();
}

class DialogWindow : public QDialog {
 public:
  explicit DialogWindow(platform::Dialog& d) : d_(d) {
    setWindowTitle(qs(d.title));
    setFixedSize(int(d.width * kDialogScale), int(std::max(40, d.height - kTitleBar) * kDialogScale));
    // The dialog font of the settings (font 0), with Thai faces behind it
    // for the faces a desktop here does not have.
    QFont f = font();
    QStringList families;
    if (const xbase::Value* face = xbase::rt().memvars.lookup("CFONT0"); face && face->isChar())
      families << QString::fromStdString(xbase::toUtf8(face->s)).trimmed();
    families << "Loma" << "Tahoma" << "Noto Sans Thai" << f.family();
    f.setFamilies(families);
    int pixels = kFontPixels;
    if (const xbase::Value* h = xbase::rt().memvars.lookup("CHEIGHT0"); h && h->isChar()) {
      double points = std::fabs(xbase::parseNumber(h->s).n);
      if (points > 0) pixels = int(std::lround(points * 1.3 * kDialogScale));
    }
    f.setPixelSize(pixels);
    setFont(f);
    QWidget* pageParent = this;
    std::vector<QWidget*> pages;
    if (!d.pages.empty()) {
      auto* tabs = new QTabWidget(this);
      tabs->setGeometry(0, 0, width(), height());
      for (const std::string& p : d.pages) {
        auto* page = new QWidget;
        tabs->addTab(page, qs(p));
        pages.push_back(page);
      }
    }
    for (platform::Control& c : d.controls) {
      QWidget* parent = !pages.empty() && c.page >= 1 && std::size_t(c.page) <= pages.size() ? pages[std::size_t(c.page - 1)]
                                                                                             : pageParent;
      build(c, parent);
    }
    // A label's accelerator moves to the first field right of it on its row.
    for (auto& [label, c] : labels_) {
      QWidget* buddy = nullptr;
      int best = 1 << 30;
      for (auto& [w, other] : fields_)
        if (other->row == c->row && other->page == c->page && other->col > c->col && other->col < best) {
          best = other->col;
          buddy = w;
        }
      if (buddy)
        label->setBuddy(buddy);
      else
        label->setText(qs(platform::plainCaption(c->text)));
    }
    refresh();
  }

  // Stores a field left by the user and runs its validation; a refused
  // value takes the focus back.
  bool leave(platform::Control& c, QLineEdit* e) {
    if (busy_) return true;
    busy_ = true;
    bool ok = platform::typeInto(c, cp(e->text()));
    busy_ = false;
    refresh(e);
    if (!ok) {
      QTimer::singleShot(0, e, [e] {
        e->setFocus();
        e->selectAll();
      });
    }
    return ok;
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::FocusOut) {
      auto it = edits_.find(watched);
      if (it != edits_.end()) leave(*it->second, static_cast<QLineEdit*>(watched));
    }
    return QDialog::eventFilter(watched, event);
  }

  void keyPressEvent(QKeyEvent* e) override {
    if (e->key() == Qt::Key_Escape || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
      bool cancel = e->key() == Qt::Key_Escape;
      for (platform::Control& c : d_.controls)
        if (c.kind == platform::Control::Kind::Button && (cancel ? c.isCancel : c.isDefault)) {
          press(c);
          return;
        }
      if (cancel) done(0);
      return;
    }
    QDialog::keyPressEvent(e);
  }

  void reject() override {  // the window's close button
    for (platform::Control& c : d_.controls)
      if (c.kind == platform::Control::Kind::Button && c.isCancel) return press(c);
    done(0);
  }

 private:
  void build(platform::Control& c, QWidget* parent) {
    using K = platform::Control::Kind;
    switch (c.kind) {
      case K::Label:
      case K::Status: {
        auto* l = new QLabel(qs(c.text), parent);
        l->setGeometry(place(c, 40));
        if (c.kind == K::Label) labels_.emplace_back(l, &c);
        if (c.kind == K::Status) {
          l->setAlignment(Qt::AlignCenter);
          statuses_.emplace_back(l, &c);
        }
        break;
      }
      case K::Edit: {
        auto* e = new QLineEdit(parent);
        e->setObjectName(QString::fromStdString(c.variable));
        e->setGeometry(place(c, 60));
        applyPicture(e, c);
        e->installEventFilter(this);
        edits_[e] = &c;
        editWidgets_.emplace_back(e, &c);
        fields_.emplace_back(e, &c);
        QObject::connect(e, &QLineEdit::returnPressed, this, [this, e, &c] {
          if (leave(c, e)) focusNextChild();
        });
        break;
      }
      case K::ComboBox: {
        auto* b = new QComboBox(parent);
        b->setObjectName(QString::fromStdString(c.variable));
        b->setGeometry(place(c, 40));
        for (const std::string& item : c.items) b->addItem(qs(item));
        combos_.emplace_back(b, &c);
        fields_.emplace_back(b, &c);
        QObject::connect(b, &QComboBox::activated, this, [this, &c](int index) {
          xbase::Value* var = xbase::rt().memvars.lookup(c.variable);
          xbase::Value v = var && var->isNum() ? xbase::Value::integer(index + 1)
                                               : xbase::Value::chr(c.items[std::size_t(index)]);
          xbase::rt().memvars.assign(c.variable, v, xbase::rt().depth());
          if (c.valid) c.valid();
          refresh();
        });
        break;
      }
      case K::CheckBox: {
        auto* b = new QCheckBox(qs(c.text), parent);
        b->setObjectName(QString::fromStdString(c.variable));
        b->setGeometry(place(c, 60));
        checks_.emplace_back(b, &c);
        QObject::connect(b, &QCheckBox::toggled, this, [this, &c](bool on) {
          xbase::rt().memvars.assign(c.variable, xbase::Value::logical(on), xbase::rt().depth());
          if (c.valid) c.valid();
        });
        break;
      }
      case K::Button: {
        auto* b = new QPushButton(qs(c.text), parent);
        b->setGeometry(place(c, 40));
        b->setEnabled(c.enabled);
        b->setAutoDefault(false);
        QObject::connect(b, &QPushButton::clicked, this, [this, &c] { press(c); });
        break;
      }
      case K::Progress: {
        const xbase::Value* v = xbase::rt().memvars.lookup(c.variable);
        if (v && v->isNum()) {
          auto* p = new QProgressBar(parent);
          p->setRange(0, 100);
          p->setGeometry(place(c, 180));
          progress_.emplace_back(p, &c);
        } else {
          auto* l = new QLabel(parent);
          l->setAlignment(Qt::AlignCenter);
          l->setGeometry(place(c, 180));
          progressText_.emplace_back(l, &c);
        }
        break;
      }
      case K::List: {
        if (!c.browse) break;
        auto* list = new BrowseWidget(c.browse, parent);
        list->setObjectName("list");
        list->setGeometry(place(c, 300));
        list->afterAction = [this] {
          refresh();
          if (d_.closed()) done(d_.result());
        };
        break;
      }
    }
  }

  // The picture of a field while typing: "@!" and "!" upper-case what is
  // typed, "9" positions take digits only, dates take their digits and a
  // numeric picture takes a signed number.
  void applyPicture(QLineEdit* e, const platform::Control& c) {
    const std::string& pic = c.picture;
    const xbase::Value* v = xbase::rt().memvars.lookup(c.variable);
    if (pic.find('!') != std::string::npos) {
      QObject::connect(e, &QLineEdit::textEdited, e, [e](const QString& t) {
        int at = e->cursorPosition();
        e->setText(t.toUpper());
        e->setCursorPosition(at);
      });
    }
    if (v && v->isDate()) {
      e->setInputMask("99/99/9999");
    } else if (!pic.empty() && pic[0] != '@' && v && v->isNum()) {
      e->setValidator(new QRegularExpressionValidator(QRegularExpression("-?[0-9,]*\\.?[0-9]*"), e));
    } else if (!pic.empty() && pic[0] != '@' && pic.find_first_not_of("9/,.-") == std::string::npos) {
      e->setInputMask(QString::fromStdString(pic));  // "99/9999", "99/99,99": digits in their places
    }
  }

  // Buttons store the field being edited first; a refused value stops them.
  void press(platform::Control& c) {
    if (auto* e = dynamic_cast<QLineEdit*>(focusWidget())) {
      auto it = edits_.find(e);
      if (it != edits_.end() && !leave(*it->second, e)) return;
    }
    if (c.action)
      c.action();
    else
      d_.close(c.isCancel ? 0 : 1);
    refresh();
    if (d_.closed()) done(d_.result());
  }

  // Every widget shows its variable as it stands now; the field being
  // typed into keeps its text unless it was just left.
  void refresh(QLineEdit* left = nullptr) {
    for (auto& [e, c] : editWidgets_)
      if (!e->hasFocus() || e == left) e->setText(qs(platform::editText(*c)));
    for (auto& [b, c] : combos_) {
      QSignalBlocker quiet(b);
      const xbase::Value* v = xbase::rt().memvars.lookup(c->variable);
      int index = -1;
      if (v && v->isNum()) index = int(v->n) - 1;
      for (std::size_t i = 0; v && v->isChar() && i < c->items.size(); ++i)
        if (c->items[i] == v->s) index = int(i);
      b->setCurrentIndex(index);
    }
    for (auto& [b, c] : checks_) {
      QSignalBlocker quiet(b);
      const xbase::Value* v = xbase::rt().memvars.lookup(c->variable);
      b->setChecked(v && v->isLogical() && v->b);
    }
    for (auto& [p, c] : progress_) {
      const xbase::Value* v = xbase::rt().memvars.lookup(c->variable);
      p->setValue(v && v->isNum() ? int(v->n) : 0);
    }
    for (auto& [l, c] : progressText_) l->setText(qs(variableText(c->variable)));
    // A status text shows its variable; in a dialog with a progress
    // display (the builds) that is the progress message "CREPSAY".
    for (auto& [l, c] : statuses_) {
      std::string name = !c->variable.empty() ? c->variable : (progress_.empty() && progressText_.empty() ? "" : "CREPSAY");
      std::string say = name.empty() ? std::string() : variableText(name);
      if (!say.empty()) l->setText(qs(say));
    }
  }

  platform::Dialog& d_;
  bool busy_ = false;
  std::map<QObject*, platform::Control*> edits_;
  std::vector<std::pair<QLineEdit*, platform::Control*>> editWidgets_;
  std::vector<std::pair<QComboBox*, platform::Control*>> combos_;
  std::vector<std::pair<QCheckBox*, platform::Control*>> checks_;
  std::vector<std::pair<QProgressBar*, platform::Control*>> progress_;
  std::vector<std::pair<QLabel*, platform::Control*>> progressText_;
  std::vector<std::pair<QLabel*, platform::Control*>> statuses_;
  std::vector<std::pair<QLabel*, platform::Control*>> labels_;
  std::vector<std::pair<QWidget*, platform::Control*>> fields_;  // what labels may name
};

}  // namespace

std::unique_ptr<QDialog> makeDialogWindow(platform::Dialog& d) { return std::make_unique<DialogWindow>(d); }

void QtUi::message(std::string_view text, std::string_view caption) {
  QMessageBox::information(nullptr, qs(caption), qs(text));
}

bool QtUi::yesNo(std::string_view text, std::string_view caption) {
  return QMessageBox::question(nullptr, qs(caption), qs(text), QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::optional<std::string> QtUi::input(std::string_view title, std::string_view label, std::string_view dflt) {
  bool ok = false;
  QString s = QInputDialog::getText(nullptr, qs(title), qs(label), QLineEdit::Normal, qs(dflt), &ok);
  if (!ok) return std::nullopt;
  return cp(s);
}

void QtUi::alert(std::string_view text, std::string_view caption) {
  QMessageBox::critical(nullptr, qs(caption), qs(text));
}

platform::ErrorChoice QtUi::errorDialog(const platform::ErrorDialogContent& content) {
  QMessageBox box(QMessageBox::Critical, qs(content.caption), qs(content.description));
  std::string stack;
  for (const std::string& s : content.stack) stack += s + "\n";
  box.setDetailedText(qs(stack));
  QPushButton* quit = box.addButton("Quit", QMessageBox::RejectRole);
  QPushButton* retry = content.canRetry ? box.addButton("Retry", QMessageBox::AcceptRole) : nullptr;
  QPushButton* dflt = content.canDefault ? box.addButton("Default", QMessageBox::AcceptRole) : nullptr;
  box.setDefaultButton(quit);
  box.exec();
  if (retry && box.clickedButton() == retry) return platform::ErrorChoice::Retry;
  if (dflt && box.clickedButton() == dflt) return platform::ErrorChoice::Default;
  return platform::ErrorChoice::Quit;
}

int QtUi::run(platform::Dialog& d) {
  d.reopen();
  auto w = makeDialogWindow(d);
  if (d.onInit) d.onInit();
  ++open_;
  int result = w->exec();
  --open_;
  return result;
}

}  // namespace qt
