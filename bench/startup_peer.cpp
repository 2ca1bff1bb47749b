// The start-up benchmark's yardstick: the least a Qt 6 Widgets program does
// to show a window the size of the editor's main window (500 x 376), one
// plain QWidget. It ends, status 0, as soon as that window is first exposed and drawn,
// as the editor does under PALORIN_EXIT_WHEN_SHOWN=1.
// Built as startup_text_peer (PALORIN_PEER_TEXT), the window shows one line
// of text too, in the toolkit's default font: what drawing any text at all
// adds to a start (the font configuration, the font database, shaping and
// glyphs). The bare window's program has none of that code.
// Built as startup_controls_peer (PALORIN_PEER_CONTROLS), the window shows
// the editor's first frame as the toolkit alone draws it: the same kinds of
// controls, as many and where the editor puts them, in the form face and the
// form's style, over a black area; none of the editor's own code. What it
// costs over the bare window is the least any program showing that frame
// with the toolkit pays.
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#ifdef PALORIN_PEER_TEXT
#include <QLabel>
#endif
#ifdef PALORIN_PEER_CONTROLS
#include <QComboBox>
#include <QCompleter>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleFactory>

#include "forms/face.h"
#endif

namespace {

class ExitWhenShown : public QObject {
 public:
  explicit ExitWhenShown(const QWidget& window) : window_(window) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && watched == window_.windowHandle() &&
        window_.windowHandle()->isExposed()) {
      // Ends once the expose has been handled (the first frame drawn), as
      // the editor's hook does.
      QApplication::instance()->removeEventFilter(this);
      QTimer::singleShot(0, [] { std::_Exit(0); });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  const QWidget& window_;
};

#ifdef PALORIN_PEER_CONTROLS
QString FromView(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The form face as the editor resolves it: the first of its names that is
// installed, condensed to the form's digit width.
void UseFormFace() {
  const QStringList installed = QFontDatabase::families();
  QString family;
  QStringList candidates{FromView(palorin::forms::kFormFace)};
  for (const std::string_view standIn : palorin::forms::kFormFaceStandIns)
    candidates.append(FromView(standIn));
  for (const QString& name : candidates) {
    if (installed.contains(name, Qt::CaseInsensitive)) {
      family = name;
      break;
    }
  }
  QFont font(family);
  font.setPixelSize(12);
  font.setStretch(palorin::forms::FormFaceStretch(
      QFontMetricsF(font).horizontalAdvance(QLatin1Char('0')), 12));
  QApplication::setFont(font);
  if (QStyle* style = QStyleFactory::create(QStringLiteral("Windows"))) QApplication::setStyle(style);
}

// An editable box as the editor makes it: its own line edit, lent one shared
// completer while the box takes it, so that the box makes none of its own.
void AddBox(QWidget* parent, const QRect& rect, const QString& entry) {
  static QCompleter* const lent = new QCompleter(QApplication::instance());
  auto* box = new QComboBox(parent);
  auto* edit = new QLineEdit(box);
  edit->setCompleter(lent);
  box->setLineEdit(edit);
  edit->setCompleter(nullptr);
  box->addItem(entry);
  box->setGeometry(rect);
}

void AddButton(QWidget* parent, const QRect& rect, const QString& caption) {
  (new QPushButton(caption, parent))->setGeometry(rect);
}

void AddLabel(QWidget* parent, const QRect& rect, const QString& text) {
  (new QLabel(text, parent))->setGeometry(rect);
}

// The editor's main window at start, control by control.
void AddControls(QWidget& window) {
  AddButton(&window, {0, 0, 41, 20}, QStringLiteral("File"));
  AddButton(&window, {48, 0, 41, 20}, QStringLiteral("Clip"));
  AddButton(&window, {96, 0, 49, 20}, QStringLiteral("ReSet"));
  auto* group = new QGroupBox(QStringLiteral("URCount"), &window);
  group->setGeometry(296, 0, 161, 41);
  AddBox(group, {8, 16, 49, 20}, QStringLiteral("1"));
  AddButton(group, {64, 16, 41, 20}, QStringLiteral("UnDo"));
  AddButton(group, {112, 16, 41, 20}, QStringLiteral("ReDo"));
  AddButton(&window, {464, 8, 33, 25}, QStringLiteral("End"));
  AddBox(&window, {0, 24, 57, 20}, QStringLiteral("Single"));
  AddBox(&window, {64, 24, 57, 20}, QStringLiteral("blue"));
  const char* const axes[] = {"X", "Y", "Z"};
  for (int i = 0; i < 3; ++i) {
    AddLabel(&window, {120 + 56 * i, 24, 17, 20}, QLatin1String(axes[i]));
    AddBox(&window, {136 + 56 * i, 24, 41, 20}, QStringLiteral("1"));
  }
  auto* area = new QWidget(&window);
  area->setGeometry(0, 48, 500, 308);
  area->setAutoFillBackground(true);
  QPalette black = area->palette();
  black.setColor(QPalette::Window, Qt::black);
  area->setPalette(black);
  AddLabel(&window, {0, 357, 70, 19}, QStringLiteral("Count:none"));
  AddLabel(&window, {70, 357, 35, 19}, QStringLiteral("X:"));
  AddLabel(&window, {105, 357, 35, 19}, QStringLiteral("Y:"));
}
#endif

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
#ifdef PALORIN_PEER_CONTROLS
  UseFormFace();
#endif
  QWidget window;
  window.setFixedSize(500, 376);
#ifdef PALORIN_PEER_TEXT
  new QLabel(QStringLiteral("Count:none"), &window);
#endif
#ifdef PALORIN_PEER_CONTROLS
  AddControls(window);
#endif
  ExitWhenShown exitWhenShown(window);
  QApplication::instance()->installEventFilter(&exitWhenShown);
  window.show();
  return QApplication::exec();
}
