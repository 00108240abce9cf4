#include "platform/linux/qt_windows.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "platform/linux/qt_text.h"

namespace velnook {

QColor ShownColour(Colour c) {
  // Orange as it stands reads 2.2:1 on a light window and white on it 2.5:1;
  // the same hue darker reads 4.6:1 and 5.2:1.
  if (c == kOrange) return QColor(170, 85, 0);
  return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

namespace {

// The light window colours the program's own colours were chosen for,
// whatever the desktop's theme: on a dark one its dark green captions and
// link would be unreadable.
QPalette LightPalette() {
  const QColor face(240, 240, 240), grey(109, 109, 109);
  QPalette p(face, face);
  for (auto role :
       {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::ToolTipText})
    p.setColor(role, Qt::black);
  p.setColor(QPalette::Base, Qt::white);
  p.setColor(QPalette::AlternateBase, face);
  p.setColor(QPalette::ToolTipBase, QColor(255, 255, 225));
  p.setColor(QPalette::Highlight, QColor(0, 120, 215));
  p.setColor(QPalette::HighlightedText, Qt::white);
  p.setColor(QPalette::PlaceholderText, grey);
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    p.setColor(QPalette::Disabled, role, grey);
  return p;
}

// The icon the desktop entry installs, built in: the window, the
// notification icon and the logo all show it.
QIcon AppIcon() {
  return QIcon(":/org.velnook.Velnook.svg");
}

QPixmap LogoPixmap(int w, int h) {
  return AppIcon().pixmap(std::max(std::min(w, h), 1));
}

}  // namespace

// One top-level window drawing one model.
class FormWidget : public QWidget {
 public:
  explicit FormWidget(Form& form, QtWindows& owner) : form_(form), owner_(owner) {
    setObjectName(QString::fromStdString(form.Name()));
    setWindowIcon(AppIcon());
    setPalette(LightPalette());
    for (Control& c : form.controls) Build(c);
    // Keyboard order as the model gives it.
    std::vector<std::pair<int, QWidget*>> order;
    for (auto& [name, w] : widgets_) {
      const Control& c = form_.Get(name);
      if (c.tabIndex >= 0)
        order.emplace_back(c.tabIndex, w);
      else
        w->setFocusPolicy(Qt::NoFocus);
    }
    std::sort(order.begin(), order.end(), [](auto& a, auto& b) { return a.first < b.first; });
    for (size_t i = 1; i < order.size(); ++i)
      QWidget::setTabOrder(order[i - 1].second, order[i].second);
    Sync();
  }

  void Sync() {
    setWindowTitle(ToQt(form_.caption));
    if (!isVisible()) setWindowModality(form_.modal ? Qt::ApplicationModal : Qt::NonModal);
    setFixedSize(TwipsToPixels(form_.clientWidth), TwipsToPixels(form_.clientHeight));
    if (form_.topmost != topmost_) {
      topmost_ = form_.topmost;
      const bool shown = isVisible();
      const bool active = isActiveWindow();
      setWindowFlag(Qt::WindowStaysOnTopHint, topmost_);
      // Shown again, as the new flag needs: the keyboard stays where it was.
      if (shown) ShowInactive([this] { show(); });
      if (active) activateWindow();
    }
    for (Control& c : form_.controls) SyncControl(c);
  }

  // Events still queued for an unloaded window reach nobody.
  void Detach() { detached_ = true; }

  // Runs show, which maps the window, telling the window manager not to give
  // it the keyboard (a user time of 0 on X11).
  void ShowInactive(const std::function<void()>& show) {
    setAttribute(Qt::WA_ShowWithoutActivating, true);
    show();
    setAttribute(Qt::WA_ShowWithoutActivating, false);
  }

 protected:
  void closeEvent(QCloseEvent* e) override {
    // The model decides: it unloads the window or keeps it.
    e->ignore();
    Forward([this] { form_.OnCloseRequest(); });
  }
  void keyPressEvent(QKeyEvent* e) override {
    // Escape closes a modal window the way its close button does; on the
    // main window it would end the program, so there it does nothing.
    if (e->key() == Qt::Key_Escape && form_.modal) {
      Forward([this] { form_.OnCloseRequest(); });
      return;
    }
    QWidget::keyPressEvent(e);
  }
  void changeEvent(QEvent* e) override {
    if (e->type() == QEvent::WindowStateChange) {
      const WindowState s = isMinimized() ? WindowState::Minimised : WindowState::Normal;
      if (s != form_.state) Forward([this, s] { form_.OnStateChanged(s); });
    }
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
      Forward([this] { form_.OnActivate(); });
    QWidget::changeEvent(e);
  }
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::MouseButtonRelease) {
      auto name = watched->objectName().toStdString();
      Forward([this, name] { form_.OnClick(name); });
      return true;
    }
    return QWidget::eventFilter(watched, e);
  }

 private:
  void Forward(const std::function<void()>& f) {
    if (!detached_) owner_.Dispatch(f);
  }

  void Build(Control& c) {
    QWidget* w = nullptr;
    const std::string name = c.name;
    switch (c.kind) {
      case ControlKind::Label:
      case ControlKind::Picture:
      case ControlKind::Image: {
        auto* l = new QLabel(this);
        l->installEventFilter(this);
        if (c.kind == ControlKind::Picture) {
          l->setPixmap(LogoPixmap(TwipsToPixels(c.width), TwipsToPixels(c.height)));
          l->setCursor(Qt::PointingHandCursor);
        } else if (c.kind == ControlKind::Image) {
          l->setPixmap(style()
                           ->standardIcon(QStyle::SP_MessageBoxCritical)
                           .pixmap(TwipsToPixels(c.width), TwipsToPixels(c.height)));
        } else {
          l->setWordWrap(true);
          l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        }
        w = l;
        break;
      }
      case ControlKind::Button: {
        auto* b = new QPushButton(this);
        b->setAutoDefault(true);  // Enter presses the focused button
        QObject::connect(b, &QPushButton::clicked,
                         [this, name] { Forward([this, name] { form_.OnClick(name); }); });
        w = b;
        break;
      }
      case ControlKind::TextBox: {
        auto* e = new QLineEdit(this);
        QObject::connect(e, &QLineEdit::textEdited, [this, name](const QString& t) {
          form_.Get(name).caption = FromQt(t);
          Forward([this, name] { form_.OnChange(name); });
        });
        w = e;
        break;
      }
      case ControlKind::CheckBox: {
        auto* cb = new QCheckBox(this);
        QObject::connect(cb, &QCheckBox::clicked, [this, name](bool on) {
          form_.Get(name).value = on ? 1 : 0;
          Forward([this, name] { form_.OnChange(name); });
        });
        w = cb;
        break;
      }
      case ControlKind::ComboBox: {
        auto* co = new QComboBox(this);
        QObject::connect(co, QOverload<int>::of(&QComboBox::activated), [this, name](int i) {
          form_.Get(name).value = i;
          Forward([this, name] { form_.OnChange(name); });
        });
        w = co;
        break;
      }
    }
    w->setObjectName(QString::fromStdString(name));
    widgets_[name] = w;
  }

  void SyncControl(Control& c) {
    QWidget* w = widgets_.at(c.name);
    w->setGeometry(TwipsToPixels(c.left), TwipsToPixels(c.top), TwipsToPixels(c.width),
                   TwipsToPixels(c.height));
    QFont f("Arial");
    f.setPointSizeF(9.75);
    f.setBold(c.bold);
    w->setFont(f);
    w->setToolTip(ToQt(c.tooltip));
    w->setEnabled(c.enabled);
    w->setVisible(c.visible);
    QPalette pal = palette();
    if (c.foreColour != kDefaultColour) {
      pal.setColor(QPalette::WindowText, ShownColour(c.foreColour));
      pal.setColor(QPalette::ButtonText, ShownColour(c.foreColour));
      pal.setColor(QPalette::Text, ShownColour(c.foreColour));
    }
    w->setAutoFillBackground(c.backColour != kDefaultColour);
    if (c.backColour != kDefaultColour) {
      const QColor back = c.backColour == kButtonFace ? palette().color(QPalette::Button)
                                                      : ShownColour(c.backColour);
      pal.setColor(QPalette::Window, back);
      pal.setColor(QPalette::Base, back);  // a text box's own background
    }
    w->setPalette(pal);
    const QString text = ToQt(c.caption);
    switch (c.kind) {
      case ControlKind::Label:
        static_cast<QLabel*>(w)->setText(text);
        break;
      case ControlKind::Button:
        static_cast<QPushButton*>(w)->setText(text);
        break;
      case ControlKind::TextBox: {
        auto* e = static_cast<QLineEdit*>(w);
        if (e->text() != text) e->setText(text);
        e->setReadOnly(c.readOnly);
        break;
      }
      case ControlKind::CheckBox: {
        auto* cb = static_cast<QCheckBox*>(w);
        cb->setText(text);
        cb->setChecked(c.value != 0);
        break;
      }
      case ControlKind::ComboBox: {
        auto* co = static_cast<QComboBox*>(w);
        QStringList items;
        for (auto& i : c.items) items << ToQt(i);
        QStringList current;
        for (int i = 0; i < co->count(); ++i) current << co->itemText(i);
        if (current != items) {
          co->clear();
          co->addItems(items);
        }
        co->setCurrentIndex(c.value);
        break;
      }
      default:
        break;
    }
  }

  Form& form_;
  QtWindows& owner_;
  bool detached_ = false;  // unloaded: the model may be gone before the widget
  std::map<std::string, QWidget*> widgets_;
  bool topmost_ = false;
};

struct QtWindows::Tray {
  QSystemTrayIcon icon;
  std::function<void()> onDoubleClick;
};

QtWindows::QtWindows() = default;
QtWindows::~QtWindows() = default;

FormWidget& QtWindows::WidgetFor(Form& form) {
  auto& w = widgets_[&form];
  if (!w) w = std::make_unique<FormWidget>(form, *this);
  return *w;
}

void QtWindows::Show(Form& form) {
  FormWidget& w = WidgetFor(form);
  w.Sync();
  w.show();
  if (form.state == WindowState::Normal) w.showNormal();
  w.raise();
  w.activateWindow();
}

void QtWindows::ShowWithoutActivating(Form& form) {
  FormWidget& w = WidgetFor(form);
  w.Sync();
  w.ShowInactive([&w, &form] {
    w.show();
    if (form.state == WindowState::Normal) w.showNormal();
    w.raise();
  });
}

void QtWindows::Hide(Form& form) {
  // Without a notification area a hidden window could never come back:
  // leave a minimised one on the task bar instead, whether it was hidden
  // or on screen (as a cancelled countdown leaves it).
  if (form.state == WindowState::Minimised && !QSystemTrayIcon::isSystemTrayAvailable()) {
    FormWidget& w = WidgetFor(form);
    if (!w.isVisible() || !w.isMinimized()) {
      w.Sync();
      w.showMinimized();
    }
    return;
  }
  auto it = widgets_.find(&form);
  if (it != widgets_.end()) it->second->hide();
}

void QtWindows::Unload(Form& form) {
  auto it = widgets_.find(&form);
  if (it == widgets_.end()) return;
  it->second->hide();
  it->second->Detach();
  unloaded_.push_back(std::move(it->second));
  widgets_.erase(it);
  CollectUnloaded();
}

void QtWindows::CollectUnloaded() {
  if (holds_ > 0) return;
  // Later, not now: the Qt event that ended the last hold may still be
  // delivering to one of them.
  for (auto& w : unloaded_) w.release()->deleteLater();
  unloaded_.clear();
}

void QtWindows::Dispatch(const std::function<void()>& event) {
  const auto hold = HoldWindows();
  event();
  RefreshAll();
}

void QtWindows::Refresh(Form& form) {
  auto it = widgets_.find(&form);
  if (it != widgets_.end()) it->second->Sync();
}

void QtWindows::CentreOnScreen(Form& form) {
  FormWidget& w = WidgetFor(form);
  if (QScreen* screen = w.screen()) {
    const QRect area = screen->geometry();
    w.move(area.x() + (area.width() - w.frameGeometry().width()) / 2,
           area.y() + (area.height() - w.frameGeometry().height()) / 2);
  }
}

void QtWindows::RefreshAll() {
  for (auto& [form, w] : widgets_) w->Sync();
}

void QtWindows::DrawAll() {
  for (auto& [form, w] : widgets_) {
    w->Sync();
    if (w->isVisible()) w->repaint();
  }
}

void QtWindows::AddTrayIcon(const std::string& tip, std::function<void()> onDoubleClick) {
  if (!tray_) {
    tray_ = std::make_unique<Tray>();
    tray_->icon.setIcon(AppIcon());
    QObject::connect(&tray_->icon, &QSystemTrayIcon::activated,
                     [this](QSystemTrayIcon::ActivationReason r) {
                       if (r == QSystemTrayIcon::DoubleClick && tray_->onDoubleClick) {
                         auto f = tray_->onDoubleClick;  // it may remove the icon
                         Dispatch(f);
                       }
                     });
  }
  tray_->onDoubleClick = std::move(onDoubleClick);
  tray_->icon.setToolTip(ToQt(tip));
  tray_->icon.show();
}

void QtWindows::RequestAttention(Form& form) {
  // The urgency hint on X11; under Wayland whatever the compositor offers.
  QApplication::alert(&WidgetFor(form));
}

void QtWindows::RemoveTrayIcon() {
  if (tray_) tray_->icon.hide();
}

}  // namespace velnook
