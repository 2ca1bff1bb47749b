// The start-up benchmark's yardstick: the least a Qt 6 Widgets program does
// to show a window the size of the editor's main window (500 x 376), one
// plain QWidget. It ends, status 0, as soon as that window is first exposed and drawn,
// as the editor does under PALORIN_EXIT_WHEN_SHOWN=1.
// Built as startup_text_peer (PALORIN_PEER_TEXT), the window shows one line
// of text too, in the toolkit's default font: what drawing any text at all
// adds to a start (the font configuration, the font database, shaping and
// glyphs). The bare window's program has none of that code.
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#ifdef PALORIN_PEER_TEXT
#include <QLabel>
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

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QWidget window;
  window.setFixedSize(500, 376);
#ifdef PALORIN_PEER_TEXT
  new QLabel(QStringLiteral("Count:none"), &window);
#endif
  ExitWhenShown exitWhenShown(window);
  QApplication::instance()->installEventFilter(&exitWhenShown);
  window.show();
  return QApplication::exec();
}
