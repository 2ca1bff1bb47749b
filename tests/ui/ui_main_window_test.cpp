// The main window as the widgets show it: start state, presses and moves on
// the drawing area, the boxes, the error box, the clipboard and the end.
#include <QAbstractItemView>
#include <QAccessible>
#include <QClipboard>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QStyleOptionButton>
#include <QTabWidget>
#include <QTimer>
#include <cmath>
#include <utility>

#include "core/modes.h"
#include "core/pick.h"
#include "core/placement_log.h"
#include "render/sprites.h"
#include "ui/combo_box.h"
#include "ui/drawing_area.h"
#include "ui/editor.h"
#include "ui/file_window.h"
#include "ui/main_window.h"
#include "ui_test_support.h"

using namespace palorin;
using namespace palorin::test;

namespace {

struct Program : FakedEditor {
  ui::MainWindow& window = editor.Window1();

  QComboBox* Box(const char* name) { return Child<QComboBox>(window, name); }
  QPushButton* Button(const char* name) { return Child<QPushButton>(window, name); }
  QString Panel(int i) {
    return Child<QLabel>(window, QStringLiteral("Panel%1").arg(i).toLatin1().constData())->text();
  }
  bool ShowAndWait() {
    editor.Show();
    return QTest::qWaitForWindowExposed(&window);
  }
  void Press(QPoint pixel) { QTest::mouseClick(&window.Image1(), Qt::LeftButton, {}, pixel); }
  // The cell cursor shows over the picture while the drawing area has the
  // focus; with the focus elsewhere the area shows the raster alone.
  void FocusElsewhere() {
    Button("Button3")->setFocus();
    QCoreApplication::processEvents();
  }
};

const QColor kGray(128, 128, 128);
QColor WindowTextColor() { return QApplication::palette().color(QPalette::WindowText); }

QStringList Items(const QComboBox& box) {
  QStringList items;
  for (int i = 0; i < box.count(); ++i) items.append(box.itemText(i));
  return items;
}

QStringList Numbers(int last) {
  QStringList items;
  for (int n = 1; n <= last; ++n) items.append(QString::number(n));
  return items;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void windowFrame() {
    Program p;
    QVERIFY(p.window.windowFlags().testFlag(Qt::WindowSystemMenuHint));
    QCOMPARE(p.window.windowIcon().availableSizes().value(0), QSize(32, 32));
    // Created, not yet shown: the file window too.
    QVERIFY(!p.window.isVisible());
    QVERIFY(!p.editor.Window2().isVisible());
  }

  void controlsStandAsTheTableSays() {
    Program p;
    CheckAgainstTable(p.window, forms::WindowId::Main);
    // The boxes show their start texts, the panels theirs.
    QCOMPARE(p.Box("ComboBox1")->currentText(), QStringLiteral("blue"));
    QCOMPARE(p.Box("ComboBox6")->currentText(), QStringLiteral("Single"));
    for (const char* name : {"ComboBox2", "ComboBox3", "ComboBox4", "ComboBox5"}) {
      QCOMPARE(p.Box(name)->currentText(), QStringLiteral("1"));
    }
    QCOMPARE(QStringList({p.Panel(0), p.Panel(1), p.Panel(2)}),
             QStringList({"Count:none", "X:", "Y:"}));
  }

  void startState() {
    Program p;
    QCOMPARE(Items(*p.Box("ComboBox1")), QStringList({"blue", "green", "red", "yellow", "white"}));
    QCOMPARE(Items(*p.Box("ComboBox6")),
             QStringList({"Single", "X", "Y", "Z", "XY", "XZ", "YZ", "XYZ"}));
    QCOMPARE(Items(*p.Box("ComboBox5")), Numbers(1000));
    // The colour, mode and step boxes show their text with no entry selected;
    // the size boxes have entry "1" selected and are disabled.
    for (const char* name : {"ComboBox1", "ComboBox5", "ComboBox6"}) {
      QCOMPARE(p.Box(name)->currentIndex(), -1);
      QVERIFY(p.Box(name)->isEnabled());
      QVERIFY(p.Box(name)->isEditable());
    }
    for (const char* name : {"ComboBox2", "ComboBox3", "ComboBox4"}) {
      QCOMPARE(Items(*p.Box(name)), Numbers(50));
      QCOMPARE(p.Box(name)->currentIndex(), 0);
      QVERIFY(!p.Box(name)->isEnabled());
    }
    for (const char* name : {"Label1", "Label2", "Label3"}) {
      QCOMPARE(TextColor(p.window, name), kGray);
      const QFont font = Child<QLabel>(p.window, name)->font();
      QCOMPARE(font.pixelSize(), 16);
      QVERIFY(font.bold());
    }
    QCOMPARE(p.window.font().pixelSize(), 12);
    // No box builds its list before it is opened; an open list has rows of
    // the form's height.
    QVERIFY(p.window.findChild<QAbstractItemView*>() == nullptr);
    for (const char* name : {"ComboBox1", "ComboBox5", "ComboBox6"}) {
      p.Box(name)->showPopup();
      QCOMPARE(p.Box(name)->view()->sizeHintForRow(0), 12);
      p.Box(name)->hidePopup();
      QCOMPARE(p.Box(name)->currentIndex(), -1);
    }
    QVERIFY(p.ShowAndWait());
    p.FocusElsewhere();
    const QImage shown = p.window.Image1().grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage black(500, 308, QImage::Format_RGB32);
    black.fill(Qt::black);
    QCOMPARE(shown, black);
    // Shown and drawn again, the empty picture still holds no pixels: the
    // start-up never touches their memory.
    QVERIFY(p.editor.Form1().raster().IsUniform());
  }

  void tabFollowsTheTable() {
    Program p;
    // The disabled size boxes are skipped, and so is every box a mode
    // leaves disabled.
    const QStringList visited = TabVisits(p.window, forms::WindowId::Main);
    QVERIFY(!visited.contains(QStringLiteral("ComboBox2")));
    QCOMPARE(visited, ReachableTabChain(p.window, forms::WindowId::Main));
    QVERIFY(p.ShowAndWait());
    QVERIFY(ChooseFromList(*p.Box("ComboBox6"), 7));
    QCOMPARE(TabVisits(p.window, forms::WindowId::Main),
             ReachableTabChain(p.window, forms::WindowId::Main));
  }

  void fontsHaveEveryGlyph() {
    Program p;
    // The form font falls back to an installed Japanese gothic, and every
    // text of both windows has its glyphs there (none draws as a box).
    QCOMPARE(QFontInfo(p.window.font()).family(), QStringLiteral("IPAPGothic"));
    for (QWidget* window :
         {static_cast<QWidget*>(&p.window), static_cast<QWidget*>(&p.editor.Window2())}) {
      for (QWidget* w : window->findChildren<QWidget*>()) {
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(w)) text = b->text();
        if (auto* l = qobject_cast<QLabel*>(w)) text = l->text();
        if (auto* g = qobject_cast<QGroupBox*>(w)) text = g->title();
        QCOMPARE(QFontInfo(w->font()).family(), QStringLiteral("IPAPGothic"));
        const QFontMetrics metrics(w->font());
        for (const char32_t c : text.toUcs4()) {
          QVERIFY2(metrics.inFontUcs4(c), qPrintable(w->objectName() + ": " + text));
        }
      }
    }
  }

  void textsFitTheirRoom() {
    Program p;
    QVERIFY(p.ShowAndWait());
    ui::FileWindow& file = p.editor.Window2();
    // Each text measured in its control's own font against the room the
    // control gives it.
    QStringList tooWide;
    const auto fits = [&tooWide](QWidget& w, const QString& text, int room) {
      const int width = QFontMetrics(w.font()).horizontalAdvance(text);
      if (width > room) {
        tooWide.append(
            QStringLiteral("%1 \"%2\" %3 > %4")
                .arg(w.objectName(), text, QString::number(width), QString::number(room)));
      }
    };
    auto* panel0 = Child<QLabel>(p.window, "Panel0");
    fits(*panel0, "Count:10003", panel0->contentsRect().width() - panel0->indent());
    // A box's text: its edit line less the margins and the two pixels a
    // line edit keeps on either side; its list: each item in a 12-pixel row.
    const auto boxFits = [&](QWidget& window, const char* name, const QStringList& texts) {
      auto* box = Child<QComboBox>(window, name);
      QLineEdit* edit = box->lineEdit();
      const QMargins margins = edit->textMargins();
      const int room = edit->contentsRect().width() - margins.left() - margins.right() - 4;
      for (const QString& text : texts) fits(*edit, text, room);
      const QFontMetrics rowMetrics(box->view()->font());
      for (int i = 0; i < box->count(); ++i) {
        const QRect ink = rowMetrics.tightBoundingRect(box->itemText(i));
        QVERIFY2(ink.height() <= ui::ComboBoxView::kListRowHeight, qPrintable(box->itemText(i)));
      }
    };
    boxFits(p.window, "ComboBox5", {"1000"});
    for (const char* name : {"ComboBox2", "ComboBox3", "ComboBox4"})
      boxFits(p.window, name, {"50"});
    boxFits(p.window, "ComboBox1", {"blue", "green", "red", "yellow", "white"});
    boxFits(p.window, "ComboBox6", {"Single", "X", "Y", "Z", "XY", "XZ", "YZ", "XYZ"});
    boxFits(file, "ComboBox1", {"1", "2", "3", "4", "5"});
    // A button's caption: its contents rectangle inside the bevel.
    for (QWidget* window : {static_cast<QWidget*>(&p.window), static_cast<QWidget*>(&file)}) {
      for (QPushButton* button : window->findChildren<QPushButton*>()) {
        QStyleOptionButton option;
        option.initFrom(button);
        const QRect room =
            button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        fits(*button, button->text(), room.width());
      }
    }
    QVERIFY2(tooWide.isEmpty(), qPrintable(tooWide.join(QStringLiteral("; "))));
  }

  // ctest runs this also with the screen scaled by 2 and by 1.5.
  void drawingAreaCrispAtAnyScale() {
    Program p;
    QVERIFY(p.ShowAndWait());
    p.FocusElsewhere();
    ui::DrawingArea& area = p.window.Image1();
    for (const QPoint pixel : {QPoint(100, 60), QPoint(107, 64), QPoint(250, 150)}) {
      const auto cell = core::Pick({pixel.x(), pixel.y()});
      QVERIFY(cell.has_value());
      p.Press(pixel);
      QCOMPARE(p.Panel(1), QStringLiteral("X:%1").arg(cell->x));
      QCOMPARE(p.Panel(2), QStringLiteral("Y:%1").arg(cell->y));
    }
    const qreal ratio = area.devicePixelRatioF();
    QImage raster = RasterImage(p.editor.Form1().raster());
    const QImage shown = area.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.size(), (QSizeF(raster.size()) * ratio).toSize());
    if (ratio == std::floor(ratio)) {
      // Each raster pixel an exact block of device pixels.
      QImage blocks = raster.scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
      blocks.setDevicePixelRatio(ratio);
      QCOMPARE(shown, blocks);
    } else {
      // No device pixel mixes raster pixels: only the raster's colours show.
      const auto colours = [](const QImage& image) {
        QSet<QRgb> set;
        for (int y = 0; y < image.height(); ++y) {
          for (int x = 0; x < image.width(); ++x) set.insert(image.pixel(x, y));
        }
        return set;
      };
      QCOMPARE(colours(shown) - colours(raster), QSet<QRgb>());
    }
  }

  void pressPlacesBlockAndRepaintsOnce() {
    Program p;
    QVERIFY(p.ShowAndWait());
    p.FocusElsewhere();
    ui::DrawingArea& area = p.window.Image1();
    QTRY_VERIFY(area.PaintCount() > 0);
    QCoreApplication::processEvents();
    const auto paintsBefore = area.PaintCount();

    const QPoint pixel(100, 60);
    const auto cell = core::Pick({pixel.x(), pixel.y()});
    QVERIFY(cell.has_value());
    p.Press(pixel);
    QCOMPARE(p.Panel(0), QStringLiteral("Count:0"));
    QCOMPARE(p.Panel(1), QStringLiteral("X:%1").arg(cell->x));
    QCOMPARE(p.Panel(2), QStringLiteral("Y:%1").arg(cell->y));
    QTRY_COMPARE(area.PaintCount(), paintsBefore + 1);
    QCoreApplication::processEvents();
    QCOMPARE(area.PaintCount(), paintsBefore + 1);

    // The block is blue and the widget shows the raster pixel for pixel.
    const render::Raster& raster = p.editor.Form1().raster();
    render::Raster expected;
    render::DrawBlock(expected, cell->x, cell->y, 1);
    QVERIFY(raster == expected);
    QCOMPARE(area.grab().toImage().convertToFormat(QImage::Format_RGB32), RasterImage(raster));

    // Any button presses.
    QTest::mouseClick(&area, Qt::RightButton, {}, QPoint(200, 200));
    QCOMPARE(p.Panel(0), QStringLiteral("Count:1"));
  }

  void moveWritesCellPanels() {
    Program p;
    QVERIFY(p.ShowAndWait());
    const QPoint pixel(250, 150);
    const auto cell = core::Pick({pixel.x(), pixel.y()});
    QVERIFY(cell.has_value());
    QTest::mouseMove(&p.window.Image1(), pixel);
    QTRY_COMPARE(p.Panel(1), QStringLiteral("X:%1").arg(cell->x));
    QCOMPARE(p.Panel(2), QStringLiteral("Y:%1").arg(cell->y));
    QCOMPARE(p.Panel(0), QStringLiteral("Count:none"));
  }

  void modeRules_data() {
    QTest::addColumn<int>("mode");
    for (std::size_t mode = 0; mode < core::kModeNames.size(); ++mode) {
      QTest::newRow(std::string(core::kModeNames[mode]).c_str()) << static_cast<int>(mode);
    }
  }

  void modeRules() {
    QFETCH(int, mode);
    const auto rule = core::ModeRuleFor(mode);
    QVERIFY(rule.has_value());
    Program p;
    QVERIFY(p.ShowAndWait());
    QComboBox* modeBox = p.Box("ComboBox6");
    // From "XYZ" with "7" typed into every size box …
    QVERIFY(ChooseFromList(*modeBox, 7));
    const std::array<const char*, 3> boxes{"ComboBox2", "ComboBox3", "ComboBox4"};
    for (const char* name : boxes) {
      QVERIFY(p.Box(name)->isEnabled());
      p.Box(name)->lineEdit()->selectAll();
      QTest::keyClicks(p.Box(name)->lineEdit(), "7");
      QCOMPARE(p.Box(name)->currentText(), QStringLiteral("7"));
    }
    // … to the mode of the row.
    QVERIFY(ChooseFromList(*modeBox, mode));
    QCOMPARE(modeBox->currentIndex(), mode);
    const std::array<bool, 3> enabled = rule->enabled;
    const std::array<const char*, 3> labels{"Label1", "Label2", "Label3"};
    for (std::size_t axis = 0; axis < 3; ++axis) {
      QComboBox* box = p.Box(boxes[axis]);
      QCOMPARE(box->isEnabled(), enabled[axis]);
      QCOMPARE(box->currentText(), QStringLiteral("1"));
      // An axis of the mode gets the text "1"; the others entry "1" chosen.
      QCOMPARE(box->currentIndex(), enabled[axis] ? -1 : 0);
      QCOMPARE(TextColor(p.window, labels[axis]), enabled[axis] ? WindowTextColor() : kGray);
    }
  }

  void typedModeTextRunsNoRule() {
    Program p;
    QVERIFY(p.ShowAndWait());
    QComboBox* modeBox = p.Box("ComboBox6");
    QVERIFY(ChooseFromList(*modeBox, 1));  // "X"
    modeBox->lineEdit()->selectAll();
    QTest::keyClicks(modeBox->lineEdit(), "XYZ");
    QCOMPARE(p.editor.Form1().ComboBox6.Text, std::string("XYZ"));
    QCOMPARE(p.editor.Form1().ComboBox6.ItemIndex, -1);
    QCOMPARE(modeBox->currentIndex(), -1);
    QVERIFY(p.Box("ComboBox2")->isEnabled());
    QVERIFY(!p.Box("ComboBox3")->isEnabled());
    QVERIFY(!p.Box("ComboBox4")->isEnabled());
    QCOMPARE(TextColor(p.window, "Label2"), kGray);
  }

  void typedTextIsNotCompleted() {
    Program p;
    QVERIFY(p.ShowAndWait());
    p.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&p.window));
    // The start of an entry's name stays as typed, in every box with text:
    // nothing completes it.
    for (const auto& [name, typed] : {std::pair{"ComboBox1", "gr"}, std::pair{"ComboBox6", "XY"},
                                      std::pair{"ComboBox5", "10"}}) {
      QComboBox* box = p.Box(name);
      box->setFocus();
      QTRY_VERIFY(box->lineEdit()->hasFocus());
      box->lineEdit()->selectAll();
      QTest::keyClicks(box->lineEdit(), typed);
      QCOMPARE(box->lineEdit()->text(), QString::fromLatin1(typed));
      QVERIFY(!box->lineEdit()->hasSelectedText());
    }
  }

  void typingVersusChoosingColour() {
    Program p;
    QVERIFY(p.ShowAndWait());
    QComboBox* colour = p.Box("ComboBox1");
    const forms::ComboBox& data = p.editor.Form1().ComboBox1;

    // Typing a colour's name selects nothing: presses then place nothing.
    colour->lineEdit()->selectAll();
    QTest::keyClicks(colour->lineEdit(), "red");
    QCOMPARE(data.Text, std::string("red"));
    QCOMPARE(data.ItemIndex, -1);
    QCOMPARE(colour->currentIndex(), -1);
    QCOMPARE(p.editor.Form1().scene.CurColor, 0);
    // Neither leaving the box nor Return inserts the text or picks the entry
    // it names.
    p.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&p.window));
    colour->setFocus();
    QTRY_VERIFY(colour->lineEdit()->hasFocus());
    p.Button("Button3")->setFocus();
    QTRY_VERIFY(p.Button("Button3")->hasFocus());
    QCOMPARE(colour->currentIndex(), -1);
    QCOMPARE(data.ItemIndex, -1);
    QCOMPARE(colour->currentText(), QStringLiteral("red"));
    QTest::keyClick(colour->lineEdit(), Qt::Key_Return);
    QCOMPARE(colour->count(), 5);
    QCOMPARE(colour->currentIndex(), -1);
    QCOMPARE(data.ItemIndex, -1);
    p.Press({100, 60});
    QCOMPARE(p.Panel(0), QStringLiteral("Count:none"));

    // Choosing from the list selects the entry: the next block is red.
    QVERIFY(ChooseFromList(*colour, 2));
    QCOMPARE(data.ItemIndex, 2);
    QCOMPARE(colour->currentText(), QStringLiteral("red"));
    QCOMPARE(p.editor.Form1().scene.CurColor, 3);
    p.Press({100, 60});
    QCOMPARE(p.Panel(0), QStringLiteral("Count:0"));
    QCOMPARE(p.editor.Form1().log().LogColor[0], 3);
    QCOMPARE(colour->count(), 5);

    // Editing the chosen text unselects the entry; the caret stays where
    // the user types.
    QTest::keyClick(colour->lineEdit(), Qt::Key_End);
    QTest::keyClicks(colour->lineEdit(), "x");
    QTest::keyClick(colour->lineEdit(), Qt::Key_Left);
    QTest::keyClick(colour->lineEdit(), Qt::Key_Left);
    QTest::keyClicks(colour->lineEdit(), "y");
    QCOMPARE(colour->currentText(), QStringLiteral("reydx"));
    QCOMPARE(data.Text, std::string("reydx"));
    QCOMPARE(data.ItemIndex, -1);
    QCOMPARE(p.editor.Form1().scene.CurColor, 0);
  }

  void undoWithBadStepShowsErrorBox() {
    Program p;
    QVERIFY(p.ShowAndWait());
    p.Press({100, 60});
    p.Press({160, 90});
    QComboBox* step = p.Box("ComboBox5");
    step->lineEdit()->selectAll();
    QTest::keyClicks(step->lineEdit(), "2x");
    QCOMPARE(p.editor.Form1().ComboBox5.Text, std::string("2x"));

    const render::Raster before = p.editor.Form1().raster();
    const core::PlacementLog logBefore = p.editor.Form1().log();
    const QStringList panelsBefore{p.Panel(0), p.Panel(1), p.Panel(2)};
    QTest::mouseClick(p.Button("Button1"), Qt::LeftButton);

    QCOMPARE(p.prompts.errors.size(), std::size_t{1});
    QCOMPARE(p.prompts.errors[0].second, QStringLiteral("'2x' は整数ではありません."));
    QCOMPARE(p.prompts.errors[0].first, ui::Editor::ErrorTitle());
    QCOMPARE(ui::Editor::ErrorTitle(), QStringLiteral("ui_main_window_test"));
    QVERIFY(p.editor.Form1().raster() == before);
    QCOMPARE(p.editor.Form1().log().LogPos, logBefore.LogPos);
    QCOMPARE(p.editor.Form1().log().LastIndex, logBefore.LastIndex);
    QCOMPARE(p.editor.Form1().log().AfterStep, logBefore.AfterStep);
    QCOMPARE(QStringList({p.Panel(0), p.Panel(1), p.Panel(2)}), panelsBefore);
    QCOMPARE(step->currentText(), QStringLiteral("2x"));

    // A good step text: UnDo works through the same button.
    step->lineEdit()->selectAll();
    QTest::keyClicks(step->lineEdit(), "1");
    QTest::mouseClick(p.Button("Button1"), Qt::LeftButton);
    QCOMPARE(p.prompts.errors.size(), std::size_t{1});
    QCOMPARE(p.Panel(0), QStringLiteral("Count:0"));
  }

  void realErrorBox() {
    // The desktop's error box: modal, error icon, one OK button, nothing to
    // minimise or maximise.
    ui::QtPrompts prompts;
    bool seen = false;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      QVERIFY(box != nullptr);
      seen = true;
      QCOMPARE(box->windowTitle(), QStringLiteral("palorin"));
      QCOMPARE(box->text(), QStringLiteral("'a' は整数ではありません."));
      QCOMPARE(box->icon(), QMessageBox::Critical);
      QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
      QCOMPARE(box->windowModality(), Qt::ApplicationModal);
      QVERIFY(!box->windowFlags().testAnyFlags(Qt::WindowMinMaxButtonsHint));
      // A screen reader is told at once: an alert.
      QCOMPARE(QAccessible::queryAccessibleInterface(box)->role(), QAccessible::AlertMessage);
      box->button(QMessageBox::Ok)->click();
    });
    prompts.ShowError(QStringLiteral("palorin"), QStringLiteral("'a' は整数ではありません."),
                      nullptr);
    QVERIFY(seen);
  }

  void clipPutsOneCopyOnClipboard() {
    Program p;
    QVERIFY(p.ShowAndWait());
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("earlier text"));
    p.Press({100, 60});
    const QImage atClip = RasterImage(p.editor.Form1().raster());
    QTest::mouseClick(p.Button("Button4"), Qt::LeftButton);
    QCOMPARE(clipboard->text(), QString());
    QCOMPARE(clipboard->image().convertToFormat(QImage::Format_RGB32), atClip);
    // Drawing afterwards leaves the copy as it was.
    p.Press({300, 200});
    QVERIFY(RasterImage(p.editor.Form1().raster()) != atClip);
    QCOMPARE(clipboard->image().convertToFormat(QImage::Format_RGB32), atClip);
  }

  void drawingAreaDrawsWithKeys() {
    Program p;
    QVERIFY(p.ShowAndWait());
    p.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&p.window));
    ui::DrawingArea& area = p.window.Image1();
    const auto key = [&p](Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
      QTest::keyClick(p.window.windowHandle(), k, m);
    };
    // The drawing area has the focus at start: a Space places a block, it
    // clicks no button.
    QTRY_VERIFY(area.hasFocus());
    p.Press({100, 60});
    key(Qt::Key_Space);
    QCOMPARE(p.Panel(0), QStringLiteral("Count:1"));
    const core::Cell start = p.editor.Session().Cursor();
    key(Qt::Key_Right);
    key(Qt::Key_Right);
    key(Qt::Key_Down, Qt::ShiftModifier);
    const core::Cell moved = p.editor.Session().Cursor();
    QVERIFY(moved.x > start.x && moved.y > start.y);
    QCOMPARE(p.Panel(1), QStringLiteral("X:%1").arg(moved.x));
    QCOMPARE(p.Panel(2), QStringLiteral("Y:%1").arg(moved.y));
    key(Qt::Key_Return);
    QCOMPARE(p.Panel(0), QStringLiteral("Count:2"));
    const core::PlacementLog& log = p.editor.Form1().log();
    QCOMPARE(std::pair(int{log.LogX[2]}, int{log.LogY[2]}), std::pair(moved.x, moved.y));

    // The cursor is drawn over the picture, never into it: only pixels of
    // its ring differ from the raster, and they do.
    QCoreApplication::processEvents();
    const QImage raster = RasterImage(p.editor.Form1().raster());
    const QImage shown = area.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect ring = ui::DrawingArea::CursorRect(moved);
    int differing = 0;
    for (int y = 0; y < raster.height(); ++y) {
      for (int x = 0; x < raster.width(); ++x) {
        if (shown.pixel(x, y) == raster.pixel(x, y)) continue;
        QVERIFY2(ring.contains(x, y), qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        ++differing;
      }
    }
    QVERIFY(differing > 0);

    // Elsewhere the arrows, Space and Return are the controls' own
    // (a button's arrows move the focus), and the cursor is not drawn.
    p.FocusElsewhere();
    QCOMPARE(area.grab().toImage().convertToFormat(QImage::Format_RGB32), raster);
    key(Qt::Key_Left);
    QCOMPARE(p.editor.Session().Cursor(), moved);
    // Tab comes round to the drawing area again.
    for (int i = 0; i < 30 && !area.hasFocus(); ++i) key(Qt::Key_Tab);
    QVERIFY(area.hasFocus());
  }

  void screenReadersHearTheTablesNames() {
    Program p;
    QVERIFY(p.ShowAndWait());
    const forms::WindowRow& windowRow = forms::WindowOf(forms::WindowId::Main);
    QCOMPARE(p.window.accessibleName(), FromView(windowRow.accessibleName));
    const auto accessible = [](QWidget* w) { return QAccessible::queryAccessibleInterface(w); };
    QSet<QString> boxNames;
    for (const forms::ControlRow& row : forms::Controls()) {
      if (row.window != forms::WindowId::Main) continue;
      QWidget* widget = Child(p.window, std::string(row.name).c_str());
      if (row.box) {
        // Named by what the box is; its text is its value.
        const QString name = accessible(widget)->text(QAccessible::Name);
        QCOMPARE(name, FromView(row.accessibleName));
        QVERIFY(name != qobject_cast<QComboBox*>(widget)->currentText());
        boxNames.insert(name);
      }
      if (!row.labelFor.empty()) {
        QCOMPARE(qobject_cast<QLabel*>(widget)->buddy(),
                 Child(p.window, std::string(row.labelFor).c_str()));
      }
    }
    QCOMPARE(boxNames.size(), 6);

    // The drawing area: a canvas, focusable, named, described by its
    // blocks and the cursor's cell, and told again after a change.
    QAccessibleInterface* area = accessible(&p.window.Image1());
    QCOMPARE(area->role(), QAccessible::Canvas);
    QVERIFY(area->state().focusable);
    QCOMPARE(area->text(QAccessible::Name), QStringLiteral("Drawing area"));
    const core::Cell at = p.editor.Session().Cursor();
    QCOMPARE(area->text(QAccessible::Description),
             QStringLiteral("0 blocks; cell cursor at X %1, Y %2: empty").arg(at.x).arg(at.y));
    p.editor.Session().PressAtCursor();
    QCOMPARE(area->text(QAccessible::Description),
             QStringLiteral("1 block; cell cursor at X %1, Y %2: blue block").arg(at.x).arg(at.y));

    // A status panel is named by what it is and its value.
    QCOMPARE(accessible(Child(p.window, "StatusBar1"))->role(), QAccessible::StatusBar);
    QCOMPARE(accessible(Child(p.window, "Panel0"))->text(QAccessible::Name),
             QStringLiteral("Count: 0"));
    QCOMPARE(accessible(Child(p.window, "Panel1"))->text(QAccessible::Name),
             QStringLiteral("Cell X: %1").arg(at.x));
  }

  void tooltipsExplain() {
    Program p;
    for (QWidget* window :
         {static_cast<QWidget*>(&p.window), static_cast<QWidget*>(&p.editor.Window2())}) {
      const auto id = window == &p.window ? forms::WindowId::Main : forms::WindowId::File;
      for (const forms::ControlRow& row : forms::Controls()) {
        if (row.window != id || (row.gloss.empty() && !row.action)) continue;
        QWidget* widget = Child(*window, std::string(row.name).c_str());
        // A Japanese caption's English; a button's help and its keys.
        QString tip = FromView(row.gloss);
        if (row.action) {
          const forms::ActionRow& action = forms::ActionOf(*row.action);
          if (!tip.isEmpty()) tip += QStringLiteral(": ");
          tip += FromView(action.help);
          if (!forms::KeysText(action).empty()) {
            tip += QStringLiteral(" (%1)").arg(FromView(forms::KeysText(action)));
          }
        }
        const QString name = FromView(row.name);
        QCOMPARE(widget->accessibleDescription(), tip);
        if (row.kind == forms::ControlKind::TabSheet) {
          auto* pages = Child<QTabWidget>(*window, "PageControl1");
          QCOMPARE(pages->tabToolTip(row.item), tip);
        } else {
          QCOMPARE(widget->toolTip(), tip);
        }
      }
    }
    QCOMPARE(p.Button("Button2")->toolTip(),
             QStringLiteral("Show undone entries again, as many as the step box says "
                            "(Ctrl+Y, Ctrl+Shift+Z)"));
    QCOMPARE(Child(p.editor.Window2(), "Button1")->toolTip(),
             QStringLiteral("Execute: Load or save, by the page shown"));
  }

  void keysRunTheButtonsHandlers() {
    Program p;
    QVERIFY(p.ShowAndWait());
    p.window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&p.window));
    const auto key = [](QWidget* to, Qt::Key k, Qt::KeyboardModifiers m = Qt::ControlModifier) {
      to->setFocus();
      QTest::keyClick(to, k, m);
    };
    QPushButton* reset = p.Button("Button3");
    p.Press({100, 60});
    p.Press({160, 90});
    key(reset, Qt::Key_Z);
    QCOMPARE(p.Panel(0), QStringLiteral("Count:0"));
    key(reset, Qt::Key_Y);
    QCOMPARE(p.Panel(0), QStringLiteral("Count:1"));
    key(reset, Qt::Key_Z);
    key(reset, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(p.Panel(0), QStringLiteral("Count:1"));
    key(reset, Qt::Key_C);
    QCOMPARE(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
             RasterImage(p.editor.Form1().raster()));

    // The step box's text is the count, and a bad one the same error.
    QComboBox* step = p.Box("ComboBox5");
    step->lineEdit()->selectAll();
    QTest::keyClicks(step->lineEdit(), "2x");
    key(reset, Qt::Key_Z);
    QCOMPARE(p.prompts.errors.size(), std::size_t{1});
    QCOMPARE(p.prompts.errors[0].second, QStringLiteral("'2x' は整数ではありません."));

    // In a box's text field the text keys edit the text and run nothing;
    // the file window's keys still work.
    const core::PlacementLog logBefore = p.editor.Form1().log();
    key(step->lineEdit(), Qt::Key_Z);
    QVERIFY(step->currentText() != QStringLiteral("2x"));
    QCOMPARE(p.editor.Form1().ComboBox5.Text, step->currentText().toStdString());
    // Ctrl+Y is the text's redo there, sent where the focus really is: the
    // box, which passes its keys on to its line edit.
    key(step, Qt::Key_Y);
    QCOMPARE(step->currentText(), QStringLiteral("2x"));
    QCOMPARE(p.editor.Form1().ComboBox5.Text, std::string("2x"));
    step->lineEdit()->selectAll();
    key(step->lineEdit(), Qt::Key_C);
    QCOMPARE(QGuiApplication::clipboard()->text(), step->currentText());
    QCOMPARE(p.prompts.errors.size(), std::size_t{1});
    QCOMPARE(p.editor.Form1().log().LogPos, logBefore.LogPos);
    auto* pages = Child<QTabWidget>(p.editor.Window2(), "PageControl1");
    key(step->lineEdit(), Qt::Key_S);
    QVERIFY(p.editor.Window2().isVisible());
    QCOMPARE(pages->currentIndex(), 1);
    key(step->lineEdit(), Qt::Key_O);
    QCOMPARE(pages->currentIndex(), 0);

    key(reset, Qt::Key_Q);
    QVERIFY(!p.window.isVisible());
    QVERIFY(!p.editor.Window2().isVisible());
  }

  void endClosesBothWindows() {
    Program p;
    QVERIFY(p.ShowAndWait());
    QTest::mouseClick(p.Button("Button5"), Qt::LeftButton);
    QVERIFY(p.editor.Window2().isVisible());
    QTest::mouseClick(p.Button("Button6"), Qt::LeftButton);
    QVERIFY(!p.window.isVisible());
    QVERIFY(!p.editor.Window2().isVisible());
    QVERIFY(!p.editor.Form2().Visible);
  }
};

PALORIN_QTEST_MAIN(MainWindowTest)
#include "ui_main_window_test.moc"
