// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: menus, accelerators and the Screen the session draws on.
#include "ui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QShortcut>
#include <QStyleOptionMenuItem>
#include <QTimer>

#include "session/CommandIds.h"
#include "ui/AboutBox.h"
#include "ui/HelpWindow.h"
#include "ui/KeyboardLayout.h"
#include "ui/SignalQuit.h"
#include "ui/Translation.h"

namespace tangrel {
namespace {

QString Text(const char* s) { return Translated(s); }

// Menus show a check mark only where an item is checked, with no empty box
// beside the other choices of its group.
class CheckMarkOnlyStyle : public QProxyStyle {
 public:
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element == CE_MenuItem && item && !item->checked &&
        item->checkType != QStyleOptionMenuItem::NotCheckable) {
      QStyleOptionMenuItem plain(*item);
      plain.checkType = QStyleOptionMenuItem::NotCheckable;
      QProxyStyle::drawControl(element, &plain, painter, widget);
      return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
  }
};

QString Filled(const MessageText& text) {
  QString filled = QString::fromStdString(FillMessage(Text(text.format).toStdString(), text));
  if (text.cause) filled += QLatin1Char('\n') + Text(text.cause);
  if (!text.shownCause.empty()) filled += QLatin1Char('\n') + QString::fromStdString(text.shownCause);
  return filled;
}

}  // namespace

MainWindow::MainWindow(MidiDevices& devices, Messages& messages, const Pictures& pictures,
                       QWidget* parent)
    : QMainWindow(parent),
      messages_(messages),
      client_(new ClientView(pictures, this)),
      menuStyle_(std::make_unique<CheckMarkOnlyStyle>()) {
  setWindowTitle(QStringLiteral("Tangrel"));
  setCentralWidget(client_);
  // Smaller than this, the keyboard, the picture and the buttons overlap.
  const PixelPoint minimum = MinimumClientSize(client_->CharWidth(), client_->CharHeight());
  client_->setMinimumSize(minimum.x, minimum.y);
  session_ = std::make_unique<Session>(devices, *this, &client_->Keyboard(), client_->CharWidth(),
                                       client_->CharHeight());
  client_->Attach(session_.get(), [this](int32_t id) { OnCommand(id); });
  AddAccelerators();
  menuBar()->installEventFilter(this);
  keyboardLayout_ = new KeyboardLayout(this);
  client_->Keyboard().SetCapNames(keyboardLayout_->CapNames());
  connect(keyboardLayout_, &KeyboardLayout::Changed, this,
          [this] { client_->Keyboard().SetCapNames(keyboardLayout_->CapNames()); });
  client_->setFocus();
}

MainWindow::~MainWindow() {
  client_->Detach();
  session_->Destroy();
  delete menuWidget();  // the menus go before the style they are drawn with
}

bool MainWindow::Create(const std::string& commandLine) { return session_->Create(commandLine); }

void MainWindow::AddAccelerators() {
  // Whatever has the focus, even a menu's own popup or a button.
  struct Accelerator {
    QKeySequence keys;
    int32_t command;
  };
  // F1 lies outside the key map: it plays no note.
  const Accelerator accelerators[] = {{QKeySequence(Qt::ALT | Qt::Key_C), IDM_SWITCH_CLOSE},
                                      {QKeySequence(Qt::ALT | Qt::Key_O), IDM_SWITCH_OPEN},
                                      {QKeySequence(Qt::Key_F1), IDM_HELP}};
  for (const Accelerator& a : accelerators) {
    auto* shortcut = new QShortcut(a.keys, this);
    shortcut->setContext(Qt::ApplicationShortcut);
    const int32_t command = a.command;
    connect(shortcut, &QShortcut::activated, this, [this, command] { OnCommand(command); });
  }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  // The menu bar takes the keyboard after a menu closes with Esc, or after
  // Alt alone; letters would then open menus and run their items.
  if (event->type() == QEvent::FocusIn && watched == menuWidget()) GiveKeysBackSoon();
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::GiveKeysBackSoon() {
  // Once the menu that is closing has gone, and unless another popup (a
  // submenu's parent, or a menu opened by Alt+letter) is still open.
  QTimer::singleShot(0, this, [this] {
    if (QApplication::activePopupWidget()) return;
    const QWidget* bar = menuWidget();
    if ((bar && bar->hasFocus()) || !focusWidget()) client_->setFocus(Qt::OtherFocusReason);
  });
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (session_->QueryClose()) {
    event->accept();
  } else {
    event->ignore();
  }
}

QAction* MainWindow::MenuAction(int32_t command) const {
  const auto found = actions_.find(command);
  return found == actions_.end() ? nullptr : found->second;
}

HelpWindow* MainWindow::Help() const { return help_.get(); }

// ---- Screen -----------------------------------------------------------------

void MainWindow::SetMenuBar(const std::vector<MenuItem>& bar) {
  menuBar()->clear();
  actions_.clear();
  std::function<void(QMenu*, const MenuItem&)> add = [&](QMenu* menu, const MenuItem& item) {
    if (item.command == 0) {
      QMenu* popup = menu->addMenu(Text(item.text.c_str()));
      popup->setStyle(menuStyle_.get());
      connect(popup, &QMenu::aboutToHide, this, &MainWindow::GiveKeysBackSoon);
      for (const MenuItem& child : item.items) add(popup, child);
      return;
    }
    QAction* action = menu->addAction(Text(item.text.c_str()));
    action->setData(item.command);
    action->setCheckable(item.checkable);
    action->setChecked(item.checked);
    action->setEnabled(!item.grayed);
    const int32_t command = item.command;
    connect(action, &QAction::triggered, this, [this, action, command] {
      // The session sets the check marks; undo Qt's own toggle first.
      if (action->isCheckable()) action->setChecked(!action->isChecked());
      OnCommand(command);
    });
    actions_[command] = action;
  };
  for (const MenuItem& popup : bar) {
    QMenu* menu = menuBar()->addMenu(Text(popup.text.c_str()));
    menu->setStyle(menuStyle_.get());
    connect(menu, &QMenu::aboutToHide, this, &MainWindow::GiveKeysBackSoon);
    for (const MenuItem& item : popup.items) add(menu, item);
  }
}

void MainWindow::CheckItem(int32_t command, bool checked) {
  if (QAction* action = MenuAction(command)) action->setChecked(checked);
}

void MainWindow::EnableItem(int32_t command, bool enabled) {
  if (QAction* action = MenuAction(command)) action->setEnabled(enabled);
}

void MainWindow::EnableButton(int32_t id, bool enabled) {
  if (QPushButton* button = Button(id)) button->setEnabled(enabled);
}

void MainWindow::SetCaption(const std::string& caption) {
  setWindowTitle(QString::fromStdString(caption));
}

void MainWindow::Repaint() {
  client_->SyncBars();
  client_->update();
}

MessageAnswer MainWindow::ShowMessage(MessageIcon icon, const char* caption,
                                      const MessageText& text, MessageButtons buttons) {
  // The program is ending at once: nobody is there to answer.
  if (EndingAtOnce()) {
    return buttons == MessageButtons::YesNoCancel ? MessageAnswer::Cancel : MessageAnswer::Ok;
  }
  return messages_.Show(Owner(), icon, Text(caption), Filled(text), buttons);
}

std::optional<ChosenFile> MainWindow::AskFileName(const FileRequest& request) {
  if (EndingAtOnce()) return std::nullopt;
  return messages_.AskFileName(Owner(), request);
}

QWidget* MainWindow::Owner() {
  // A box owned by a window not yet shown would stand at the screen's corner,
  // where that window has no place yet; without an owner it is centred.
  return isVisible() ? this : nullptr;
}

void MainWindow::Beep() { QApplication::beep(); }

void MainWindow::StartTimer(int32_t id, uint32_t milliseconds) {
  QTimer*& timer = timers_[id];
  if (!timer) {
    timer = new QTimer(this);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this, id] { session_->OnTimer(id); });
  }
  timer->start(static_cast<int>(milliseconds));
}

void MainWindow::KillTimer(int32_t id) {
  if (QTimer* timer = timers_[id]) timer->stop();
}

void MainWindow::ShowHelp(const char* topic) {
  // The help window is made on first use; when its pages cannot be had, Help
  // stays silent for the rest of the run.
  if (helpGivenUp_) return;
  if (!help_) {
    help_ = std::make_unique<HelpWindow>();
    // Closing the main window ends the program, the manual open or not.
    help_->setAttribute(Qt::WA_QuitOnClose, false);
  }
  if (!help_->Load(QString::fromUtf8(topic))) {
    helpGivenUp_ = true;
    help_.reset();
    return;
  }
  // On the screen the player is looking at.
  if (!help_->isVisible()) help_->FitTo(*screen());
  help_->show();
  help_->raise();
  help_->activateWindow();
}

void MainWindow::ShowAbout() {
  AboutBox box(this);
  box.exec();
}

void MainWindow::Post(std::function<void()> work) {
  QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
}

}  // namespace tangrel
