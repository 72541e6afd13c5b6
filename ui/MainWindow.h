// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: the menu bar, the client area and the Qt side of the
// session's Screen (check marks, grey states, caption, boxes, dialogs, timers,
// help and About). Every menu item, toolbar button, push button and
// accelerator reaches the session's one dispatcher by its command id.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <map>
#include <memory>

#include "model/MidiDevices.h"
#include "session/Session.h"
#include "ui/ClientView.h"
#include "ui/Messages.h"
#include "ui/Pictures.h"

class QAction;
class QPushButton;
class QScrollBar;
class QStyle;
class QTimer;
class QToolBar;

namespace tangrel {

class HelpWindow;
class KeyboardLayout;

class MainWindow : public QMainWindow, public Screen {
  Q_OBJECT

 public:
  // `devices`, `messages` and `pictures` outlive the window.
  MainWindow(MidiDevices& devices, Messages& messages, const Pictures& pictures,
             QWidget* parent = nullptr);
  ~MainWindow() override;

  // The window's creation: menus, the output opened, the command line's file
  // loaded. False when there is no MIDI output device (the box was shown).
  bool Create(const std::string& commandLine);

  // The one command dispatcher; 1 for a save that wrote the file.
  int OnCommand(int32_t id) { return session_->OnCommand(id); }
  // The desktop session ends: false when the user keeps the window.
  bool QueryEndSession() { return session_->QueryClose(); }

  Session& GetSession() { return *session_; }
  const SessionSettings& Settings() const { return session_->Settings(); }
  ClientView* Client() const { return client_; }
  const KeyboardView& Keyboard() const { return client_->Keyboard(); }
  QPushButton* Button(int32_t id) const { return client_->Button(id); }
  QScrollBar* ScrollBar(int32_t id) const { return client_->ScrollBar(id); }
  QToolBar* ToolBar() const { return client_->ToolBar(); }
  // The menu item carrying a command, inside submenus too; null if none.
  QAction* MenuAction(int32_t command) const;
  HelpWindow* Help() const;

  // Screen
  void SetMenuBar(const std::vector<MenuItem>& bar) override;
  void CheckItem(int32_t command, bool checked) override;
  void EnableItem(int32_t command, bool enabled) override;
  void EnableButton(int32_t id, bool enabled) override;
  void SetCaption(const std::string& caption) override;
  void Repaint() override;
  MessageAnswer ShowMessage(MessageIcon icon, const char* caption, const MessageText& text,
                            MessageButtons buttons) override;
  std::optional<ChosenFile> AskFileName(const FileRequest& request) override;
  void Beep() override;
  void StartTimer(int32_t id, uint32_t milliseconds) override;
  void KillTimer(int32_t id) override;
  void ShowHelp(const char* topic) override;
  void ShowAbout() override;
  void Post(std::function<void()> work) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void AddAccelerators();
  // The keyboard goes back to playing once no menu is open.
  void GiveKeysBackSoon();
  QWidget* Owner();

  Messages& messages_;
  ClientView* client_;
  std::unique_ptr<QStyle> menuStyle_;  // before the menus, which use it
  std::unique_ptr<Session> session_;
  std::map<int32_t, QAction*> actions_;  // menu items by command
  std::map<int32_t, QTimer*> timers_;
  std::unique_ptr<HelpWindow> help_;
  bool helpGivenUp_ = false;
  KeyboardLayout* keyboardLayout_ = nullptr;
};

}  // namespace tangrel
