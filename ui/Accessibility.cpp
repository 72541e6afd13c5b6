// SPDX-License-Identifier: GPL-3.0-or-later
// Accessible interfaces for the parts of the client area that are painted
// rather than made of widgets, and for the two bars.
#include "ui/Accessibility.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QScrollBar>
#include <vector>

#include "model/KeyMap.h"
#include "session/CommandIds.h"
#include "session/KeyCaps.h"
#include "session/KeyboardGeometry.h"
#include "ui/ClientView.h"
#include "ui/Translation.h"

namespace tangrel {
namespace {

// A painted thing on the client area: one key of the keyboard, one text line
// or the picture. It has no object of its own; the view answers for it.
class PaintedItem : public QAccessibleInterface {
 public:
  enum class Kind { Key, Line, Picture };
  PaintedItem(ClientView* view, Kind kind, int index) : view_(view), kind_(kind), index_(index) {}

  bool isValid() const override { return !view_.isNull(); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
  QList<std::pair<QAccessibleInterface*, QAccessible::Relation>> relations(
      QAccessible::Relation) const override {
    return {};
  }
  QAccessibleInterface* focusChild() const override { return nullptr; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessibleInterface* parent() const override {
    return view_ ? QAccessible::queryAccessibleInterface(view_.data()) : nullptr;
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  void setText(QAccessible::Text, const QString&) override {}

  QString text(QAccessible::Text t) const override {
    if (!view_ || t != QAccessible::Name) return {};
    switch (kind_) {
      case Kind::Key:
        return KeyText();
      case Kind::Line:
        return view_->LineText(static_cast<PaintedText>(index_));
      case Kind::Picture:
        return view_->PictureText();
    }
    return {};
  }

  QRect rect() const override {
    if (!view_) return {};
    const QRect local = kind_ == Kind::Key    ? view_->Keyboard().CellRect(index_)
                        : kind_ == Kind::Line ? view_->LineRect(static_cast<PaintedText>(index_))
                                              : view_->PictureRect();
    return QRect(view_->mapToGlobal(local.topLeft()), local.size());
  }

  QAccessible::Role role() const override {
    switch (kind_) {
      case Kind::Key:
        return QAccessible::Button;
      case Kind::Line:
        return QAccessible::StaticText;
      case Kind::Picture:
        return QAccessible::Graphic;
    }
    return QAccessible::NoRole;
  }

  bool IsKey(int scanCode) const { return kind_ == Kind::Key && index_ == scanCode; }
  bool IsAnyKey() const { return kind_ == Kind::Key; }

  QAccessible::State state() const override {
    QAccessible::State s;
    if (!view_) {
      s.invalid = true;
      return s;
    }
    s.invisible = !view_->isVisible();
    s.readOnly = kind_ != Kind::Key;
    s.pressed = kind_ == Kind::Key && view_->Keyboard().ShownPressed(index_);
    return s;
  }

 private:
  // "Key A, degree 1, C4": what is typed, what is shown, what sounds.
  QString KeyText() const {
    const Session* session = view_->GetSession();
    const auto entry = LookupNoteKey(index_);
    if (!entry) return {};
    const std::string note = session ? KeyNoteName(index_, session->Settings().mode) : "";
    return Translated(QT_TRANSLATE_NOOP("Tangrel", "Key %1, degree %2, %3"))
        .arg(view_->Keyboard().CapName(index_), QString::fromLatin1(entry->label),
             QString::fromStdString(note));
  }

  QPointer<ClientView> view_;
  Kind kind_;
  int index_;
};

// The client area with the painted things after its child widgets.
class ClientAccessible : public QAccessibleWidget {
 public:
  explicit ClientAccessible(ClientView* view) : QAccessibleWidget(view, QAccessible::Client) {
    // The interfaces live in Qt's cache from here on; they turn invalid when
    // the view goes.
    auto add = [&](PaintedItem::Kind kind, int index) {
      auto* item = new PaintedItem(view, kind, index);
      QAccessible::registerAccessibleInterface(item);
      items_.push_back(item);
    };
    for (int i = 0; i < kPaintedTextCount; ++i) {
      const auto which = static_cast<PaintedText>(i);
      // The bars speak for their own labels and values.
      if (which < PaintedText::ForceLabel) add(PaintedItem::Kind::Line, i);
    }
    add(PaintedItem::Kind::Picture, 0);
    for (uint32_t s = 0; s < static_cast<uint32_t>(kKeyMapSize); ++s) {
      if (LookupNoteKey(s)) add(PaintedItem::Kind::Key, static_cast<int>(s));
    }
  }

  int childCount() const override {
    return QAccessibleWidget::childCount() + static_cast<int>(items_.size());
  }
  QAccessibleInterface* child(int index) const override {
    const int widgets = QAccessibleWidget::childCount();
    if (index < widgets) return QAccessibleWidget::child(index);
    const size_t at = static_cast<size_t>(index - widgets);
    return at < items_.size() ? items_[at] : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    for (size_t i = 0; i < items_.size(); ++i) {
      if (items_[i] == child) return QAccessibleWidget::childCount() + static_cast<int>(i);
    }
    return QAccessibleWidget::indexOfChild(child);
  }
  // The interface of a key's item, or null.
  QAccessibleInterface* KeyItem(int scanCode) const {
    for (QAccessibleInterface* item : items_) {
      if (static_cast<PaintedItem*>(item)->IsKey(scanCode)) return item;
    }
    return nullptr;
  }
  const std::vector<QAccessibleInterface*>& Items() const { return items_; }

 private:
  std::vector<QAccessibleInterface*> items_;
};

// The Force and Freq bars as sliders: the velocity 1..127, the bend in
// semitones.
class BarAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  BarAccessible(QScrollBar* bar, bool force)
      : QAccessibleWidget(bar, QAccessible::Slider), force_(force) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return Translated(force_ ? "Force" : "Freq");
    if (t == QAccessible::Description) {
      return Translated(force_ ? QT_TRANSLATE_NOOP("Tangrel", "Velocity of the next notes")
                               : QT_TRANSLATE_NOOP("Tangrel", "Pitch bend in semitones"));
    }
    if (t == QAccessible::Value) return CurrentText();
    return QAccessibleWidget::text(t);
  }

  QVariant currentValue() const override {
    const Session* session = Owner();
    if (!session) return {};
    if (force_) return session->Settings().velocity;
    return Session::BendSemitones(session->Bend());
  }
  void setCurrentValue(const QVariant& value) override {
    Session* session = Owner();
    if (!session) return;
    if (force_) {
      session->SetVelocity(value.toInt());
    } else {
      // Held at a bend, as a dragged thumb holds it.
      const double top = Session::BendSemitones(kBendTop);
      session->BendTo(static_cast<int32_t>((value.toDouble() / top + 1.0) * (kBendTop + 1) / 2));
    }
  }
  QVariant maximumValue() const override {
    return force_ ? QVariant(kVelocityMax) : QVariant(Session::BendSemitones(kBendTop));
  }
  QVariant minimumValue() const override {
    return force_ ? QVariant(kVelocityMin) : QVariant(Session::BendSemitones(0));
  }
  QVariant minimumStepSize() const override { return force_ ? QVariant(1) : QVariant(0.0); }

 private:
  Session* Owner() const {
    auto* view = qobject_cast<ClientView*>(widget()->parentWidget());
    return view ? view->GetSession() : nullptr;
  }
  QString CurrentText() const {
    const Session* session = Owner();
    if (!session) return {};
    return QString::fromStdString(force_ ? session->VelocityText() : session->BendText());
  }

  bool force_;
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
  if (auto* view = qobject_cast<ClientView*>(object)) return new ClientAccessible(view);
  auto* bar = qobject_cast<QScrollBar*>(object);
  auto* view = bar ? qobject_cast<ClientView*>(bar->parent()) : nullptr;
  if (!view) return nullptr;
  if (bar == view->ScrollBar(IDC_VELOCITY)) return new BarAccessible(bar, true);
  if (bar == view->ScrollBar(IDC_PITCHBEND)) return new BarAccessible(bar, false);
  return nullptr;
}

}  // namespace

void KeyChanged(QWidget* view, int scanCode) {
  if (!QAccessible::isActive()) return;
  auto* client = dynamic_cast<ClientAccessible*>(QAccessible::queryAccessibleInterface(view));
  if (!client) return;
  if (scanCode >= 0) {
    QAccessibleInterface* key = client->KeyItem(scanCode);
    if (!key) return;
    QAccessible::State changed;
    changed.pressed = true;
    QAccessibleStateChangeEvent event(key, changed);
    QAccessible::updateAccessibility(&event);
    return;
  }
  for (QAccessibleInterface* item : client->Items()) {
    if (!static_cast<PaintedItem*>(item)->IsAnyKey()) continue;
    QAccessibleEvent event(item, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
  }
}

void InstallAccessibility() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(Factory);
}

}  // namespace tangrel
