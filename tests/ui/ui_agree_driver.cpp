// Plays a play script on the real widgets of both windows, the way a user
// works them: clicks on buttons, tabs and radio items, choices from the
// boxes' drop-down lists, typing into their text fields, presses and moves
// on the drawing area, the editor's keys with the focus on no text field.
// After every action it prints what palorin-cli play --state prints: the
// error boxes' texts, then the state line of both windows. The agreement
// test compares the two outputs (and the page's) line by line.
//
// usage: ui_agree_driver SCRIPT DIR
//   Names in load, save and open lines are taken relative to DIR, as play
//   takes them relative to its folder. Besides play's own lines, two lines
//   of the agreement protocol are read here: "area-key KEYS" (the keys
//   pressed with the focus given to the drawing area by the program, no
//   pointer involved) and "open NAME;NAME;..." (the files opened by name in
//   one go, as `palorin A B C` opens them). Two comment lines are understood:
//   "# outside press X Y" / "# outside move X Y" send the pointer event to
//   the drawing area at a position outside it (as a drag leaving the area
//   does), and "# checkpoint" prints "picture: " and the digest of what the
//   drawing area shows on the screen.
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "cli/script.h"
#include "forms/layout.h"
#include "forms/state_line.h"
#include "ui/combo_box.h"
#include "ui/drawing_area.h"
#include "ui/file_window.h"
#include "ui/main_window.h"
#include "ui_test_support.h"

namespace palorin::test {
namespace {

using Kind = cli::Action::Kind;

class Driver {
 public:
  explicit Driver(std::string dir) : dir_(std::move(dir)) {
    faked_.prompts.saveDialog.addDefaultExt = true;
    faked_.editor.Show();
    if (!QTest::qWaitForWindowExposed(&Main())) Fail("the main window did not show");
    Main().activateWindow();
  }

  // Runs one script line; false once the main window is closed.
  bool Line(const std::string& line) {
    if (line.rfind("# checkpoint", 0) == 0) {
      // The picture without the cell cursor, which the drawing area draws
      // over it while it has the focus.
      ui::DrawingArea& area = Main().Image1();
      const bool focused = area.hasFocus();
      if (focused) area.clearFocus();
      const QImage shown = area.grab().toImage().convertToFormat(QImage::Format_RGB32);
      if (focused) area.setFocus(Qt::OtherFocusReason);
      render::Raster raster;
      for (int y = 0; y < render::kRasterHeight && y < shown.height(); ++y) {
        std::memcpy(raster.Row(y), shown.constScanLine(y),
                    static_cast<std::size_t>(render::Raster::BytesPerLine()));
      }
      std::printf("picture: %s\n", forms::RasterDigest(raster).c_str());
      return true;
    }
    int x = 0, y = 0;
    char kind[8] = {};
    if (std::sscanf(line.c_str(), "# outside %7s %d %d", kind, &x, &y) == 3) {
      QWidget& area = Main().Image1();
      if (std::strcmp(kind, "press") == 0) {
        QTest::mouseClick(&area, Qt::LeftButton, {}, QPoint(x, y));
      } else {
        QTest::mouseMove(&area, QPoint(x, y));
      }
      return Report();
    }
    const cli::ParsedLine parsed = cli::ParseLine(line);
    if (!parsed.error.empty()) {
      Fail(parsed.error);
    }
    if (!parsed.action) return true;
    Do(*parsed.action);
    return Report();
  }

 private:
  [[noreturn]] static void Fail(const std::string& why) {
    std::fprintf(stderr, "ui_agree_driver: %s\n", why.c_str());
    std::exit(1);
  }

  ui::MainWindow& Main() { return faked_.editor.Window1(); }
  ui::FileWindow& File() { return faked_.editor.Window2(); }
  forms::TForm1& Form1() { return faked_.editor.Form1(); }
  forms::TForm2& Form2() { return faked_.editor.Form2(); }

  ui::ComboBoxView* MainBox(int number) {
    return Child<ui::ComboBoxView>(Main(), ("ComboBox" + QByteArray::number(number)).constData());
  }
  void Click(QWidget& window, const char* button) {
    QTest::mouseClick(Child<QPushButton>(window, button), Qt::LeftButton);
  }
  void ClickTab(int page) {
    QTabBar* bar = Child<QTabWidget>(File(), "PageControl1")->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
  }

  void Choose(ui::ComboBoxView& box, int index) {
    if (!ChooseFromList(box, index)) {
      Fail("the list of " + box.objectName().toStdString() + " did not take entry " +
           std::to_string(index));
    }
  }
  void ChooseNamed(ui::ComboBoxView& box, const std::string& name) {
    Choose(box, box.findText(QString::fromStdString(name), Qt::MatchExactly));
  }

  // Types `text` over the field's whole text, one key a character.
  static void Type(QWidget& field, const std::string& text) {
    field.setFocus();
    auto* line = qobject_cast<QLineEdit*>(&field);
    line->selectAll();
    const QString typed = QString::fromStdString(text);
    if (typed.isEmpty() && !line->text().isEmpty()) QTest::keyClick(line, Qt::Key_Backspace);
    for (const QChar c : typed) {
      QTest::sendKeyEvent(QTest::Click, line, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
  }

  std::string InDir(const std::string& name) const {
    return name.empty() || name[0] == '/' ? name : dir_ + "/" + name;
  }

  // Execute on `page` as a user gets there: "File" when the window is
  // hidden, the page's tab when the other one is shown, then "実行".
  void Execute(int page) {
    if (!File().isVisible()) Click(Main(), "Button5");
    if (Child<QTabWidget>(File(), "PageControl1")->currentIndex() != page) ClickTab(page);
    Click(File(), "Button1");
  }

  // A key pressed in the window that is active, with the focus on none of
  // the controls whose keys are their own (a text field, the drawing area)
  // but on a button. (A button takes Space and Return, which scripts send
  // with area-key; the editor's other keys it leaves to the window.)
  void Key(const std::string& keys) {
    QWidget* window = QApplication::activeWindow();
    if ((window != &Main() && window != &File()) || !window->isVisible()) {
      Main().activateWindow();
      if (!QTest::qWaitForWindowActive(&Main())) Fail("no window of the editor is active");
      window = &Main();
    }
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr || focus->window() != window || focus == &Main().Image1() ||
        qobject_cast<QLineEdit*>(focus) || qobject_cast<QComboBox*>(focus) ||
        qobject_cast<QPlainTextEdit*>(focus)) {
      focus = Child<QPushButton>(*window, window == &Main() ? "Button3" : "Button2");
      focus->setFocus();
    }
    const QKeySequence sequence(QString::fromStdString(keys), QKeySequence::PortableText);
    const QKeyCombination combination = sequence[0];
    // Through the window, as the system delivers a key: the shortcut map
    // then sees the focus where the window system has it.
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window)) Fail("the window did not become active");
    QTest::keyClick(window->windowHandle(), combination.key(), combination.keyboardModifiers());
  }

  // The button the layout gives the action.
  void ClickButtonOf(forms::ActionId id) {
    for (const forms::ControlRow& row : forms::Controls()) {
      if (row.action != id) continue;
      QWidget& window = row.window == forms::WindowId::Main ? static_cast<QWidget&>(Main()) : File();
      return Click(window, std::string(row.name).c_str());
    }
    Fail("the windows do not play \"" + std::string(forms::ActionOf(id).verb) + "\" yet");
  }

  // Keys pressed while the drawing area has the focus, given to it as a
  // program (or a screen reader) gives it: no pointer event.
  void AreaKey(const std::string& keys) {
    Main().activateWindow();
    if (!QTest::qWaitForWindowActive(&Main())) Fail("the main window did not become active");
    // After a popup list or a window that hid, the activation reaches the
    // window system a few events later: ask again until the focus is there.
    QWidget& area = Main().Image1();
    const bool focused = QTest::qWaitFor([&area] {
      area.setFocus(Qt::OtherFocusReason);
      return area.hasFocus();
    });
    if (!focused) Fail("the drawing area took no focus");
    const QKeySequence sequence(QString::fromStdString(keys), QKeySequence::PortableText);
    if (sequence.isEmpty()) Fail("no key in '" + keys + "'");
    const QKeyCombination combination = sequence[0];
    QTest::keyClick(Main().windowHandle(), combination.key(), combination.keyboardModifiers());
  }

  // Files opened by name in one go, as named on the command line.
  void Open(const std::vector<std::string>& names) {
    QStringList files;
    for (const std::string& name : names) files.append(QString::fromStdString(InDir(name)));
    faked_.editor.OpenFiles(files);
  }

  void Do(const cli::Action& a) {
    QWidget& area = Main().Image1();
    switch (a.kind) {
      case Kind::Press:
        QTest::mouseClick(&area, Qt::LeftButton, {}, QPoint(a.x, a.y));
        return;
      case Kind::Move:
        QTest::mouseMove(&area, QPoint(a.x, a.y));
        return;
      case Kind::Colour:
        ChooseNamed(*MainBox(1), a.text);
        return;
      case Kind::Mode:
        ChooseNamed(*MainBox(6), a.text);
        return;
      case Kind::Size:
        Choose(*MainBox(2 + a.axis), a.entry);
        return;
      case Kind::ColourText:
        Type(*MainBox(1)->lineEdit(), a.text);
        return;
      case Kind::ModeText:
        Type(*MainBox(6)->lineEdit(), a.text);
        return;
      case Kind::SizeText:
        Type(*MainBox(2 + a.axis)->lineEdit(), a.text);
        return;
      case Kind::Step:
        Type(*MainBox(5)->lineEdit(), a.text);
        return;
      case Kind::Part:
        Type(*Child<ui::ComboBoxView>(File(), "ComboBox1")->lineEdit(), a.text);
        return;
      case Kind::Verb:
        return ClickButtonOf(a.id);
      case Kind::Page:
        return ClickTab(a.entry);
      case Kind::SaveMode:
        QTest::mouseClick(
            Child<QRadioButton>(File(),
                                ("RadioGroup1Item" + QByteArray::number(a.entry)).constData()),
            Qt::LeftButton);
        return;
      case Kind::Load:
        faked_.prompts.openDialog.replies.emplace_back(InDir(a.text));
        return Execute(forms::TForm2::kLoadPage);
      case Kind::Save:
        faked_.prompts.saveDialog.replies.emplace_back(InDir(a.text));
        return Execute(forms::TForm2::kSavePage);
      case Kind::LoadCancel:
        faked_.prompts.openDialog.replies.emplace_back(std::nullopt);
        return Execute(forms::TForm2::kLoadPage);
      case Kind::SaveCancel:
        faked_.prompts.saveDialog.replies.emplace_back(std::nullopt);
        return Execute(forms::TForm2::kSavePage);
      case Kind::Key:
        return Key(a.text);
      case Kind::AreaKey:
        return AreaKey(a.text);
      case Kind::Open:
        return Open(a.names);
    }
  }

  bool Report() {
    auto& errors = faked_.prompts.errors;
    for (; reported_ < errors.size(); ++reported_) {
      std::printf("error: %s\n", errors[reported_].second.toStdString().c_str());
    }
    std::printf("state: %s\n", forms::StateLine(Form1(), Form2()).c_str());
    std::fflush(stdout);
    return Main().isVisible();
  }

  std::string dir_;
  FakedEditor faked_;
  std::size_t reported_ = 0;
};

}  // namespace
}  // namespace palorin::test

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: ui_agree_driver SCRIPT DIR\n");
    return 2;
  }
  palorin::ui::UseFormLook();
  std::ifstream script(argv[1], std::ios::binary);
  if (!script) {
    std::fprintf(stderr, "ui_agree_driver: cannot read %s\n", argv[1]);
    return 1;
  }
  palorin::test::Driver driver(argv[2]);
  std::string line;
  while (std::getline(script, line) && driver.Line(line)) {
  }
  return 0;
}
