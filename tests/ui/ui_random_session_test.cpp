// Both windows driven through their real widgets by seeded random input:
// clicks anywhere, typing (garbage included) into every box, list choices,
// tabs, radio items, and execute or cancel with the dialogs answered by random
// names. After every event the widgets must show what the forms hold and the
// log must hold only what the editor can put in it.
//
// PALORIN_RANDOM_EVENTS sets the number of events (default 4000),
// PALORIN_RANDOM_SEED the seed: a number, or "new" for a fresh one. Without
// it the seed is kFixedSeed, so every run (CI's too) repeats the same events
// until a new seed is asked for; the seed is printed at the start and in a
// failure.
#include <sys/stat.h>

#include <QAbstractItemView>
#include <QButtonGroup>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <chrono>
#include <memory>
#include <random>

#include "core/placement_log.h"
#include "ui/combo_box.h"
#include "ui/file_window.h"
#include "ui/main_window.h"
#include "ui/widgets.h"
#include "ui_test_support.h"

using namespace palorin;
using namespace palorin::test;

namespace {

struct Program : FakedEditor {
  ui::MainWindow& main = editor.Window1();
  ui::FileWindow& window = editor.Window2();
  Program() { editor.Show(); }
};

class RandomSession {
 public:
  RandomSession(std::uint64_t seed, const QString& dir) : random_(seed), dir_(dir.toStdString()) {
    program_ = std::make_unique<Program>();
  }

  // One random event; returns what it did, for the failure message.
  QString Step() {
    Program& p = *program_;
    QString what;
    switch (Pick(13)) {
      case 0:
      case 1:
        what = ClickAnywhere(p.main);
        break;
      case 2:
        what = p.window.isVisible() ? ClickAnywhere(p.window) : Click(p.main, "Button5");
        break;
      case 3:
      case 4:
        what = PressOrMove(p);
        break;
      case 5:
      case 6:
        what = TypeInto(p);
        break;
      case 7:
        what = ChooseFrom(p);
        break;
      case 8:
        what = ClickTab(p);
        break;
      case 9:
        what = ClickRadio(p);
        break;
      case 10:
      case 11:
        what = Execute(p);
        break;
      default:
        if (Pick(2) == 0) {
          what = Click(p.main, Pick(3) == 0 ? "Button1" : (Pick(2) == 0 ? "Button2" : "Button3"));
        } else {
          what = Click(p.window, Pick(2) == 0 ? "Button1" : "Button2");
        }
        break;
    }
    // A drop-down list a click opened is closed again, as a click elsewhere
    // would close it.
    while (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    p.prompts.openDialog.replies.clear();
    p.prompts.saveDialog.replies.clear();
    // "End" ends the program: the next event meets a new one.
    if (!p.main.isVisible()) {
      program_.reset();
      program_ = std::make_unique<Program>();
      what += " (ended; started again)";
    }
    return what;
  }

  // What the session did, for the closing line: error boxes shown, and
  // executes that wrote or read a file to its end.
  int errorBoxes = 0;
  int saves = 0;
  int loads = 0;

  // Empty when the widgets show the forms and the log is sound.
  QString Check() {
    Program& p = *program_;
    const forms::TForm1& f1 = p.editor.Form1();
    const forms::TForm2& f2 = p.editor.Form2();
    QString bad;
    const auto expect = [&bad](bool ok, const QString& what) {
      if (!ok && bad.isEmpty()) bad = what;
    };
    const forms::ComboBox* mainBoxes[] = {&f1.ComboBox1, &f1.ComboBox2, &f1.ComboBox3,
                                          &f1.ComboBox4, &f1.ComboBox5, &f1.ComboBox6};
    for (int i = 0; i < 6; ++i) {
      const QByteArray name = "ComboBox" + QByteArray::number(i + 1);
      CheckBox(*Child<ui::ComboBoxView>(p.main, name.constData()), *mainBoxes[i],
               "main " + QString::fromLatin1(name), expect);
    }
    CheckBox(*Child<ui::ComboBoxView>(p.window, "ComboBox1"), f2.ComboBox1, "file ComboBox1",
             expect);
    const auto labels = p.editor.Form1().SizeLabels();
    for (int i = 0; i < 3; ++i) {
      const QByteArray name = "Label" + QByteArray::number(i + 1);
      expect(TextColor(p.main, name.constData()) ==
                 ui::ToQColor(labels[static_cast<std::size_t>(i)]->FontColor),
             "main " + QString::fromLatin1(name) + " colour");
    }
    for (int i = 0; i < 3; ++i) {
      const QByteArray name = "Panel" + QByteArray::number(i);
      expect(Child<QLabel>(p.main, name.constData())->text() ==
                 QString::fromStdString(f1.scene.status.Panels[static_cast<std::size_t>(i)]),
             "status " + QString::fromLatin1(name));
    }

    expect(p.window.isVisible() == f2.Visible, "file window shown");
    expect(Child<QTabWidget>(p.window, "PageControl1")->currentIndex() == f2.ActivePage, "page");
    const auto* radio = Child<QRadioButton>(p.window, "RadioGroup1Item0")->group();
    expect(radio->checkedId() == f2.RadioGroup1ItemIndex, "radio item");
    expect(Child<QGroupBox>(p.window, "GroupBox1")->isEnabled() == f2.GroupBox1Enabled,
           "GroupBox1 enabled");
    QStringList memo;
    for (const std::string& line : f2.Memo1Lines) memo.append(QString::fromStdString(line));
    expect(Child<QPlainTextEdit>(p.window, "Memo1")->toPlainText() == memo.join(QLatin1Char('\n')),
           "Memo1");
    expect(Child<QLabel>(p.window, "Label11")->text() == QString::fromStdString(f2.Label11.Caption),
           "Label11");
    for (int i = 0; i < 5; ++i) {
      const auto k = static_cast<std::size_t>(i);
      const QByteArray save = QByteArray::number(i + 1), load = QByteArray::number(i + 6);
      expect(Child<ui::ShapeView>(p.window, "Shape" + save)->Brush() == f2.SaveBars[k].Brush,
             "Shape" + QString::fromLatin1(save));
      expect(Child<ui::ShapeView>(p.window, "Shape" + load)->Brush() == f2.LoadBars[k].Brush,
             "Shape" + QString::fromLatin1(load));
      expect(TextColor(p.window, ("Label" + save).constData()) ==
                 ui::ToQColor(f2.SaveLabels[k].FontColor),
             "Label" + QString::fromLatin1(save));
      expect(TextColor(p.window, ("Label" + load).constData()) ==
                 ui::ToQColor(f2.LoadLabels[k].FontColor),
             "Label" + QString::fromLatin1(load));
    }

    // The log: only the editor's own files are loaded here, so every block
    // in it is one a press can place, and the bookkeeping stays in range.
    const core::PlacementLog& log = f1.scene.log;
    expect(log.AfterStep == core::kNextFree || log.AfterStep == core::kLastShown, "AfterStep");
    for (std::int32_t slot = 0; slot < core::kLogSlots && bad.isEmpty(); ++slot) {
      const auto s = static_cast<std::size_t>(slot);
      const int colour = log.LogColor[s], x = log.LogX[s], y = log.LogY[s];
      if (colour == 0) continue;
      expect(colour <= 5 && x <= 81 && y <= 98 && (x + y) % 2 == 0,
             QStringLiteral("slot %1 holds (%2, %3, %4)").arg(slot).arg(x).arg(y).arg(colour));
    }
    expect(f2.LoadPos() >= 0 && f2.LoadPos() <= core::kLogSlots, "LoadPos");
    expect(f2.WriteParts() >= 0 && f2.WriteParts() <= 5, "WriteParts");
    expect(f2.ReadParts() >= 0 && f2.ReadParts() <= 5, "ReadParts");
    for (std::int32_t k = 1; k <= 5; ++k) {
      expect(f2.PartSaved()[k] == 0 || f2.PartSaved()[k] == 1, "PartSaved");
      expect(f2.PartLoaded()[k] == 0 || f2.PartLoaded()[k] == 1, "PartLoaded");
    }
    for (const auto& [title, text] : p.prompts.errors) {
      expect(!title.isEmpty() && !text.isEmpty(), "an empty error box");
      ++errorBoxes;
    }

    p.prompts.errors.clear();
    return bad;
  }

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

  template <typename Expect>
  static void CheckBox(ui::ComboBoxView& view, const forms::ComboBox& data, const QString& name,
                       const Expect& expect) {
    expect(view.currentText() == QString::fromStdString(data.Text), name + " text");
    expect(view.currentIndex() == data.ItemIndex, name + " entry");
    expect(view.count() == static_cast<int>(data.Items.size()), name + " list");
    expect(view.isEnabled() == data.Enabled, name + " enabled");
  }

  QString Click(QWidget& window, const char* button) {
    auto* b = Child<QAbstractButton>(window, button);
    if (!window.isVisible()) return QStringLiteral("nothing (window hidden)");
    QTest::mouseClick(b, Qt::LeftButton);
    return QStringLiteral("click %1.%2").arg(window.objectName(), QString::fromLatin1(button));
  }

  QString ClickAnywhere(QWidget& window) {
    const QPoint at(Pick(window.width()), Pick(window.height()));
    QWidget* target = window.childAt(at);
    if (target == nullptr) target = &window;
    if (!target->isVisible()) return QStringLiteral("nothing");
    const Qt::MouseButton button = Pick(4) == 0 ? Qt::RightButton : Qt::LeftButton;
    QTest::mouseClick(target, button, {}, target->mapFrom(&window, at));
    return QStringLiteral("click %1 at %2,%3 (%4)")
        .arg(window.objectName())
        .arg(at.x())
        .arg(at.y())
        .arg(target->objectName());
  }

  QString PressOrMove(Program& p) {
    QWidget& area = p.main.Image1();
    const QPoint at(Pick(500), Pick(308));
    if (Pick(3) == 0) {
      QTest::mouseMove(&area, at);
      return QStringLiteral("move %1,%2").arg(at.x()).arg(at.y());
    }
    QTest::mouseClick(&area, Qt::LeftButton, Pick(4) == 0 ? Qt::ShiftModifier : Qt::NoModifier, at);
    return QStringLiteral("press %1,%2").arg(at.x()).arg(at.y());
  }

  QString RandomText() {
    static const QString kPieces[] = {
        QStringLiteral("1"), QStringLiteral("2"),      QStringLiteral("50"),
        QStringLiteral("0"), QStringLiteral("-"),      QStringLiteral("+"),
        QStringLiteral("$"), QStringLiteral("ff"),     QStringLiteral(" "),
        QStringLiteral("9"), QStringLiteral("100000"), QStringLiteral("2147483648"),
        QStringLiteral("x"), QStringLiteral("ｱ"),      QStringLiteral("整"),
        QStringLiteral("."), QStringLiteral("red"),    QStringLiteral("XYZ"),
    };
    QString text;
    const int pieces = Pick(4);
    for (int i = 0; i < pieces; ++i) {
      if (Pick(6) == 0) {
        text += QChar(static_cast<char16_t>(0x20 + Pick(0x2fe0)));
      } else {
        text += kPieces[Pick(static_cast<int>(std::size(kPieces)))];
      }
    }
    return text;
  }

  QString TypeInto(Program& p) {
    const int which = Pick(8);
    QWidget* target = nullptr;
    if (which < 6) {
      const QByteArray name = "ComboBox" + QByteArray::number(which + 1);
      target = Child<ui::ComboBoxView>(p.main, name.constData())->lineEdit();
    } else if (which == 6) {
      target = Child<ui::ComboBoxView>(p.window, "ComboBox1")->lineEdit();
    } else {
      target = Child<QPlainTextEdit>(p.window, "Memo1");
    }
    if (!target->isVisible() || !target->isEnabled()) return QStringLiteral("nothing (no box)");
    target->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(target); edit != nullptr && Pick(2) == 0) {
      edit->selectAll();  // typing replaces the text
    }
    const QString text = RandomText();
    // One key a character; keyClicks knows only ASCII.
    for (const QChar c : text) {
      QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    if (Pick(3) == 0) QTest::keyClick(target, Pick(2) == 0 ? Qt::Key_Backspace : Qt::Key_Return);
    return QStringLiteral("type \"%1\" into %2").arg(text, target->parentWidget()->objectName());
  }

  QString ChooseFrom(Program& p) {
    const int which = Pick(7);
    ui::ComboBoxView* box =
        which < 6 ? Child<ui::ComboBoxView>(
                        p.main, ("ComboBox" + QByteArray::number(which + 1)).constData())
                  : Child<ui::ComboBoxView>(p.window, "ComboBox1");
    if (!box->isVisible() || !box->isEnabled() || box->count() == 0) {
      return QStringLiteral("nothing (no list)");
    }
    const int entry = Pick(box->count());
    ChooseFromList(*box, entry);
    return QStringLiteral("choose %1 of %2").arg(entry).arg(box->objectName());
  }

  QString ClickTab(Program& p) {
    if (!p.window.isVisible()) return QStringLiteral("nothing (file window hidden)");
    QTabBar* bar = Child<QTabWidget>(p.window, "PageControl1")->tabBar();
    const int tab = Pick(2);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center());
    return QStringLiteral("tab %1").arg(tab);
  }

  QString ClickRadio(Program& p) {
    auto* item = Child<QRadioButton>(p.window,
                                     ("RadioGroup1Item" + QByteArray::number(Pick(3))).constData());
    if (!item->isVisible()) return QStringLiteral("nothing (save page hidden)");
    QTest::mouseClick(item, Qt::LeftButton);
    return QStringLiteral("radio %1").arg(item->objectName());
  }

  // A name the dialog answers: files the session made, missing ones, a folder,
  // a pipe, a folder that does not exist, a file no one may write, or cancel.
  std::optional<std::string> RandomName() {
    static const char* const kNames[] = {
        "a.pln", "b.txt",         "b",           "c.bmp", "d",      "A.PLN", "b_2.txt", "folder",
        "pipe",  "missing/x.pln", "garbage.txt", "",      "folder/"};
    const int pick = Pick(static_cast<int>(std::size(kNames)) + 2);
    if (pick == static_cast<int>(std::size(kNames))) return std::nullopt;
    if (pick == static_cast<int>(std::size(kNames)) + 1) return std::string("/proc/version");
    return dir_ + "/" + kNames[pick];
  }

  QString Execute(Program& p) {
    if (!p.window.isVisible()) return Click(p.main, "Button5");
    const std::optional<std::string> name = RandomName();
    p.prompts.openDialog.replies.push_back(name);
    p.prompts.saveDialog.replies.push_back(name);
    QTest::mouseClick(Child<QAbstractButton>(p.window, "Button1"), Qt::LeftButton);
    if (p.editor.Form2().LastSave()) ++saves;
    if (p.editor.Form2().LastLoad()) ++loads;
    return QStringLiteral("execute on page %1 mode %2 with %3")
        .arg(p.editor.Form2().ActivePage)
        .arg(p.editor.Form2().RadioGroup1ItemIndex)
        .arg(name ? QString::fromStdString(*name) : QStringLiteral("cancel"));
  }

  std::mt19937_64 random_;
  std::string dir_;
  std::unique_ptr<Program> program_;
};

// The offscreen platform warns at every raise and keyboard grab, the font
// system at every script it cannot shape; thousands of those would bury the
// one line that matters.
QtMessageHandler previousHandler = nullptr;
void DropPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtWarningMsg && (text.startsWith(QLatin1String("This plugin does not support")) ||
                               text.contains(QLatin1String("OpenType support missing")))) {
    return;
  }
  previousHandler(type, context, text);
}

// The seed a run uses unless PALORIN_RANDOM_SEED asks for another.
constexpr std::uint64_t kFixedSeed = 20261207;

class RandomSessionTest : public QObject {
  Q_OBJECT

 private slots:
  void bothWindowsShowTheirFormsAfterEveryRandomEvent() {
    const QString asked = qEnvironmentVariable("PALORIN_RANDOM_SEED");
    bool isNumber = false;
    const std::uint64_t number = asked.toULongLong(&isNumber);
    if (!asked.isEmpty() && asked != QStringLiteral("new") && !isNumber) {
      QFAIL("PALORIN_RANDOM_SEED must be a number or \"new\"");
    }
    const std::uint64_t seed = asked.isEmpty()                  ? kFixedSeed
                               : asked == QStringLiteral("new") ? std::random_device{}()
                                                                : number;
    qInfo("seed %llu (PALORIN_RANDOM_SEED=%s)", static_cast<unsigned long long>(seed),
          asked.isEmpty() ? "unset: the fixed seed" : qPrintable(asked));
    const int events = qEnvironmentVariableIsSet("PALORIN_RANDOM_EVENTS")
                           ? qEnvironmentVariableIntValue("PALORIN_RANDOM_EVENTS")
                           : 4000;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    QVERIFY(::mkfifo(dir.filePath(QStringLiteral("pipe")).toLocal8Bit().constData(), 0600) == 0);
    QFile garbage(dir.filePath(QStringLiteral("garbage.txt")));
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    garbage.write("[Var]:PLN_001\r\n[Count]:$7fffffff\r\nnot a picture\r\n");
    garbage.close();

    previousHandler = qInstallMessageHandler(DropPlatformNotes);
    RandomSession session(seed, dir.path());
    const auto start = std::chrono::steady_clock::now();
    for (int event = 1; event <= events; ++event) {
      const QString what = session.Step();
      const QString bad = session.Check();
      if (!bad.isEmpty()) {
        QFAIL(qPrintable(QStringLiteral("seed %1, event %2 (%3): %4 differs")
                             .arg(seed)
                             .arg(event)
                             .arg(what, bad)));
      }
    }
    qInstallMessageHandler(previousHandler);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    qInfo("%d random events in %.1f s, seed %llu: %d error boxes, %d saves, %d loads", events,
          seconds, static_cast<unsigned long long>(seed), session.errorBoxes, session.saves,
          session.loads);
  }
};

}  // namespace

PALORIN_QTEST_MAIN(RandomSessionTest)

#include "ui_random_session_test.moc"
