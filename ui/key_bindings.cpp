#include "ui/key_bindings.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QWidget>
#include <string>

#include "forms/actions.h"
#include "forms/session.h"
#include "ui/file_window.h"
#include "ui/look.h"
#include "ui/main_window.h"

namespace palorin::ui {

namespace {

QKeySequence Sequence(std::string_view keys) {
  return QKeySequence(FromUtf8(keys), QKeySequence::PortableText);
}

// The action whose keys the event's key is, and those keys' text, or null.
const forms::ActionRow* ActionForEvent(const QKeyEvent& event, std::string_view& keys) {
  const QKeySequence pressed(event.keyCombination());
  for (const forms::ActionRow& row : forms::Actions()) {
    for (const std::string_view k : row.keys) {
      if (!k.empty() && Sequence(k) == pressed) {
        keys = k;
        return &row;
      }
    }
  }
  return nullptr;
}

bool IsTextField(const QWidget* widget) {
  if (qobject_cast<const QLineEdit*>(widget) != nullptr) return true;
  if (qobject_cast<const QPlainTextEdit*>(widget) != nullptr) return true;
  const auto* box = qobject_cast<const QComboBox*>(widget);
  return box != nullptr && box->isEditable();
}

// Where the keyboard focus is, as the session tells keys apart.
forms::Focus FocusNow(const QWidget& drawingArea) {
  const QWidget* focus = QApplication::focusWidget();
  if (focus == &drawingArea) return forms::Focus::DrawingArea;
  return IsTextField(focus) ? forms::Focus::TextField : forms::Focus::Other;
}

// Hands every text-editing key to the text field it watches: accepting the
// shortcut override gives the key to the field instead of the window. The
// fields know their undo, redo and copy keys themselves, all but Ctrl+Y,
// the other redo key, which is their redo here. An editable box gets the
// keys itself and passes them to its line edit, so the box is watched, not
// the line edit.
class TextKeysStayInField : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const bool override = event->type() == QEvent::ShortcutOverride;
    if (!override && event->type() != QEvent::KeyPress) {
      return QObject::eventFilter(watched, event);
    }
    auto* key = static_cast<QKeyEvent*>(event);
    std::string_view keys;
    const forms::ActionRow* action = ActionForEvent(*key, keys);
    if (action == nullptr || !action->keysEditText) return QObject::eventFilter(watched, event);
    if (override) {
      event->accept();
      return true;
    }
    if (action->id == forms::ActionId::ReDo && !key->matches(QKeySequence::Redo)) {
      Redo(watched);
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  static void Redo(QObject* field) {
    if (auto* box = qobject_cast<QComboBox*>(field)) field = box->lineEdit();
    if (auto* line = qobject_cast<QLineEdit*>(field)) line->redo();
    if (auto* text = qobject_cast<QPlainTextEdit*>(field)) text->redo();
  }
};

}  // namespace

namespace {

// Binds the keys of every action in `window`: the drawing area's own keys
// on the drawing area when `window` holds it, the others on the window; and
// keeps the text-editing keys in the window's text fields.
void BindWindowKeys(QWidget& window, DrawingArea& area, bool holdsArea, forms::Session& session) {
  for (const forms::ActionRow& row : forms::Actions()) {
    if (row.keysOnDrawingArea && !holdsArea) continue;
    for (const std::string_view keys : row.keys) {
      if (keys.empty()) continue;
      QWidget& on = row.keysOnDrawingArea ? static_cast<QWidget&>(area) : window;
      auto* shortcut = new QShortcut(Sequence(keys), &on);
      // A held arrow keeps moving the cursor; a held Space places once.
      shortcut->setContext(row.keysOnDrawingArea ? Qt::WidgetShortcut : Qt::WindowShortcut);
      shortcut->setAutoRepeat(row.keysOnDrawingArea && row.id != forms::ActionId::Place);
      QObject::connect(shortcut, &QShortcut::activated, &on,
                       [&session, &area, keys] { session.Key(keys, FocusNow(area)); });
    }
  }
  auto* guard = new TextKeysStayInField(&window);
  for (QComboBox* box : window.findChildren<QComboBox*>()) box->installEventFilter(guard);
  for (QLineEdit* field : window.findChildren<QLineEdit*>()) field->installEventFilter(guard);
  for (QPlainTextEdit* field : window.findChildren<QPlainTextEdit*>()) {
    field->installEventFilter(guard);
  }
}

}  // namespace

void BindKeys(MainWindow& mainWindow, forms::Session& session) {
  BindWindowKeys(mainWindow, mainWindow.Image1(), true, session);
}

void BindKeys(FileWindow& fileWindow, MainWindow& mainWindow, forms::Session& session) {
  BindWindowKeys(fileWindow, mainWindow.Image1(), false, session);
}

}  // namespace palorin::ui
