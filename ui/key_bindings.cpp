#include "ui/key_bindings.h"

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QWidget>

#include "ui/look.h"

namespace palorin::ui {

namespace {

QKeySequence Sequence(const forms::KeyBinding& binding) {
  return QKeySequence(FromUtf8(binding.keys), QKeySequence::PortableText);
}

// Hands every text-editing key to the text field it watches: accepting the
// shortcut override gives the key to the field instead of the window. The
// fields know Ctrl+Z, Ctrl+Shift+Z and Ctrl+C themselves; Ctrl+Y, the other
// redo key, is their redo here. An editable box gets the keys itself and
// passes them to its line edit, so the box is watched, not the line edit.
class TextKeysStayInField : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    const bool override = event->type() == QEvent::ShortcutOverride;
    if (!override && event->type() != QEvent::KeyPress) {
      return QObject::eventFilter(watched, event);
    }
    const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
    for (const forms::KeyBinding& binding : forms::kKeyBindings) {
      if (!binding.editsText || Sequence(binding) != pressed) continue;
      if (override) {
        event->accept();
        return true;
      }
      if (pressed == QKeySequence(Qt::ControlModifier | Qt::Key_Y)) {
        Redo(watched);
        return true;
      }
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

void NameKeysInTips(QWidget& mainWindow) {
  using forms::KeyAction;
  using forms::KeysOf;
  const auto tip = [&mainWindow](const char* button, const QString& text) {
    if (auto* b = mainWindow.findChild<QPushButton*>(QString::fromLatin1(button))) {
      b->setToolTip(text);
    }
  };
  const auto keys = [](KeyAction action) { return FromUtf8(KeysOf(action)); };
  tip("Button1", QStringLiteral("UnDo (%1)").arg(keys(KeyAction::UnDo)));
  tip("Button2", QStringLiteral("ReDo (%1)").arg(keys(KeyAction::ReDo)));
  tip("Button4", QStringLiteral("Clip (%1)").arg(keys(KeyAction::Clip)));
  tip("Button5", QStringLiteral("File (load page %1, save page %2)")
                     .arg(keys(KeyAction::LoadPage), keys(KeyAction::SavePage)));
  tip("Button6", QStringLiteral("End (%1)").arg(keys(KeyAction::End)));
}

}  // namespace

void BindKeys(QWidget& mainWindow, QWidget& fileWindow,
              const std::function<void(forms::KeyAction)>& run) {
  for (QWidget* window : {&mainWindow, &fileWindow}) {
    for (const forms::KeyBinding& binding : forms::kKeyBindings) {
      auto* shortcut = new QShortcut(Sequence(binding), window);
      shortcut->setContext(Qt::WindowShortcut);
      shortcut->setAutoRepeat(false);
      QObject::connect(shortcut, &QShortcut::activated, window,
                       [run, action = binding.action] { run(action); });
    }
    auto* guard = new TextKeysStayInField(window);
    for (QComboBox* box : window->findChildren<QComboBox*>()) box->installEventFilter(guard);
    for (QLineEdit* field : window->findChildren<QLineEdit*>()) field->installEventFilter(guard);
    for (QPlainTextEdit* field : window->findChildren<QPlainTextEdit*>()) {
      field->installEventFilter(guard);
    }
  }
  NameKeysInTips(mainWindow);
}

}  // namespace palorin::ui
