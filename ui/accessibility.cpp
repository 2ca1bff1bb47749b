#include "ui/accessibility.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>

#include "ui/combo_box.h"
#include "ui/drawing_area.h"
#include "ui/file_window.h"
#include "ui/look.h"
#include "ui/main_window.h"
#include "ui/widgets.h"

namespace palorin::ui {

namespace {

// A box as a screen reader meets it: named by what it is (its accessible
// name, "Step"), its text the value. (The toolkit names a box on this
// platform by its text, which would read "1" for four different boxes.)
class BoxAccessible : public QAccessibleWidget {
 public:
  explicit BoxAccessible(ComboBoxView* box) : QAccessibleWidget(box, QAccessible::ComboBox) {
    addControllingSignal(QStringLiteral("editTextChanged(QString)"));
  }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Value) return Box()->currentText();
    return QAccessibleWidget::text(t);
  }

  QAccessible::State state() const override {
    QAccessible::State s = QAccessibleWidget::state();
    s.editable = Box()->isEditable();
    s.hasPopup = true;
    s.expanded = Box()->view() != nullptr && Box()->view()->isVisible();
    s.collapsed = !s.expanded;
    return s;
  }

  QStringList actionNames() const override {
    return QStringList{showMenuAction()} + QAccessibleWidget::actionNames();
  }

  void doAction(const QString& action) override {
    if (action == showMenuAction()) {
      Box()->showPopup();
      return;
    }
    QAccessibleWidget::doAction(action);
  }

 private:
  ComboBoxView* Box() const { return static_cast<ComboBoxView*>(widget()); }
};

QAccessibleInterface* RoleOf(const QString& className, QObject* object) {
  auto* widget = qobject_cast<QWidget*>(object);
  if (widget == nullptr) return nullptr;
  if (className == QLatin1String(MainWindow::staticMetaObject.className()) ||
      className == QLatin1String(FileWindow::staticMetaObject.className())) {
    return new QAccessibleWidget(widget, QAccessible::Window);
  }
  if (className == QLatin1String(ComboBoxView::staticMetaObject.className())) {
    return new BoxAccessible(static_cast<ComboBoxView*>(widget));
  }
  if (className == QLatin1String(DrawingArea::staticMetaObject.className())) {
    return new QAccessibleWidget(widget, QAccessible::Canvas);
  }
  if (className == QLatin1String(ShapeView::staticMetaObject.className())) {
    return new QAccessibleWidget(widget, QAccessible::Graphic);
  }
  if (className == QLatin1String(StatusBarView::staticMetaObject.className())) {
    return new QAccessibleWidget(widget, QAccessible::StatusBar);
  }
  return nullptr;
}

}  // namespace

void InstallAccessibleRoles() {
  static const bool installed = [] {
    QAccessible::installFactory(&RoleOf);
    return true;
  }();
  static_cast<void>(installed);
}

QString PartStateName(std::string_view markedName, PartState state) {
  const QString name = FromUtf8(markedName);
  const auto space = name.lastIndexOf(QLatin1Char(' '));
  switch (state) {
    case PartState::Marked:
      return name;
    case PartState::Missing:
      return name.left(space + 1) + QStringLiteral("not") +
             (space < 0 ? QStringLiteral(" ") + name : name.mid(space));
    case PartState::Unused:
      break;
  }
  return (space < 0 ? name : name.left(space)) + QStringLiteral(" unused");
}

}  // namespace palorin::ui
