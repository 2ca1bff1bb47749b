// The file window as the widgets show it: layout, pages, radio items,
// indicators, showing and hiding, saves and loads with the dialogs answered
// by a fake, and the real dialogs' filters and memory.
#include <QButtonGroup>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSet>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTime>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <algorithm>
#include <cstdlib>

#include "render/raster.h"
#include "ui/editor.h"
#include "ui/file_dialogs.h"
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

  void Click(QWidget& parent, const char* button) {
    QTest::mouseClick(Child<QAbstractButton>(parent, button), Qt::LeftButton);
  }
  void ShowFileWindow() {
    editor.Show();
    Click(main, "Button5");
  }
  void ClickTab(int index) {
    QTabBar* bar = Child<QTabWidget>(window, "PageControl1")->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
  }
  void Execute() { Click(window, "Button1"); }
  QString Panel0() { return Child<QLabel>(main, "Panel0")->text(); }
};

QColor Fill(QWidget& window, const char* name) {
  return ui::ToQColor(Child<ui::ShapeView>(window, name)->Brush());
}
QColor ButtonFace() { return QApplication::palette().color(QPalette::Button); }
const QColor kBlackText(0, 0, 0);
const QColor kGreen(0, 128, 0);
const QColor kRed(255, 0, 0);

QByteArray Name(const char* kind, int number) { return kind + QByteArray::number(number); }

// A picture of `count` blocks in the log, shown up to its last slot.
void FillLog(forms::TForm1& form, int count) {
  core::PlacementLog& log = form.log();
  for (int i = 0; i < count; ++i) {
    log.Store(i, static_cast<std::uint8_t>(2 * (i % 40)), static_cast<std::uint8_t>(2 * (i % 45)),
              static_cast<std::uint8_t>(1 + i % 5));
  }
  log.LogPos = count;
  log.LastIndex = count - 1;
  log.AfterStep = core::kNextFree;
}

// The names a dialog offers: the enabled entries of its file list.
QStringList Offered(QFileDialog& dialog) {
  auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
  if (view == nullptr) return {QStringLiteral("<no list>")};
  QStringList names;
  const QModelIndex root = view->rootIndex();
  for (int row = 0; row < view->model()->rowCount(root); ++row) {
    const QModelIndex index = view->model()->index(row, 0, root);
    if (view->model()->flags(index) & Qt::ItemIsEnabled) names.append(index.data().toString());
  }
  names.sort();
  return names;
}

}  // namespace

class FileWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void windowFrame() {
    Program p;
    QVERIFY(!p.window.isVisible());
  }

  void opensBesideTheMainWindow() {
    Program p;
    p.main.move(10, 50);  // room on its right on the small test screen
    p.ShowFileWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&p.window));
    const QRect mainFrame = p.main.frameGeometry();
    QCOMPARE(p.window.frameGeometry().topLeft(), QPoint(mainFrame.right() + 1, mainFrame.top()));
    // Where the user moves it, it stays for the next showing.
    p.window.move(300, 200);
    p.Click(p.window, "Button2");
    p.Click(p.main, "Button5");
    QCOMPARE(p.window.pos(), QPoint(300, 200));

    // Beside a main window at the screen's right edge it goes left of it.
    Program q;
    const QRect room = q.main.screen()->availableGeometry();
    q.main.move(room.right() - 520, room.bottom() - 420);
    q.ShowFileWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&q.window));
    QVERIFY(room.contains(q.window.frameGeometry()));
    QCOMPARE(q.window.frameGeometry().right() + 1, q.main.frameGeometry().left());

    // Shown before the main window has its frame (as `palorin FILE` may),
    // it moves clear of that frame once the frame is known.
    Program r;
    r.main.move(10, 50);
    r.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&r.window));
    r.editor.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&r.main));
    QVERIFY(r.main.frameGeometry() != r.main.geometry());
    QCOMPARE(r.window.frameGeometry().left(), r.main.frameGeometry().right() + 1);
  }

  // The frame (210 x 231) beside a main window's frame (502 x 397 unless
  // told), whose controls are its top 58 rows.
  void placesBeside_data() {
    QTest::addColumn<QRect>("main");
    QTest::addColumn<QRect>("room");
    QTest::addColumn<QPoint>("expected");
    const QRect screen(0, 0, 1024, 768);
    QTest::newRow("right, level") << QRect(100, 50, 502, 397) << screen << QPoint(602, 50);
    QTest::newRow("right, up to stay on screen")
        << QRect(100, 600, 502, 397) << screen << QPoint(602, 537);
    QTest::newRow("right, below a panel")
        << QRect(100, 0, 502, 397) << QRect(0, 30, 1024, 738) << QPoint(602, 30);
    QTest::newRow("right, second screen")
        << QRect(1100, 100, 502, 397) << QRect(1024, 0, 1280, 1024) << QPoint(1602, 100);
    QTest::newRow("no room right: left") << QRect(400, 50, 502, 397) << screen << QPoint(190, 50);
    QTest::newRow("no room either side: below")
        << QRect(200, 0, 700, 300) << screen << QPoint(200, 300);
    QTest::newRow("below, right to stay on screen")
        << QRect(-100, 0, 1200, 300) << screen << QPoint(0, 300);
    QTest::newRow("no room below: above")
        << QRect(200, 400, 700, 368) << screen << QPoint(200, 169);
    // QT_SCALE_FACTOR=2 on 1280 x 1024 and on 1024 x 768: nothing fits.
    // It covers the drawing area's edge rather than a button.
    QTest::newRow("nothing fits: controls clear")
        << QRect(192, 117, 502, 387) << QRect(0, 0, 640, 512) << QPoint(0, 281);
    QTest::newRow("nothing fits: least of the controls")
        << QRect(192, 117, 502, 387) << QRect(0, 0, 512, 384) << QPoint(0, 153);
    QTest::newRow("nothing fits: least of the main window")
        << QRect(0, 100, 420, 300) << QRect(0, 0, 500, 380) << QPoint(290, 149);
  }
  void placesBeside() {
    QFETCH(QRect, main);
    QFETCH(QRect, room);
    QFETCH(QPoint, expected);
    const QRect controls(main.topLeft(), QSize(main.width(), 58));
    QCOMPARE(ui::PlaceBeside(main, controls, QSize(210, 231), room), expected);
  }

  void controlsStandAsTheTableSays() {
    Program p;
    CheckAgainstTable(p.window, forms::WindowId::File);
    // The radio items are one group, their items numbered as the save modes.
    auto* group = Child<QRadioButton>(p.window, "RadioGroup1Item0")->group();
    QVERIFY(group != nullptr);
    for (const forms::ControlRow& row : forms::Controls()) {
      if (row.window != forms::WindowId::File || row.kind != forms::ControlKind::RadioItem)
        continue;
      QCOMPARE(group->id(Child<QAbstractButton>(p.window, std::string(row.name).c_str())),
               row.item);
    }
  }

  void tabFollowsTheTable() {
    Program p;
    p.ShowFileWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&p.window));
    for (int page : {forms::TForm2::kLoadPage, forms::TForm2::kSavePage}) {
      p.ClickTab(page);
      const QStringList visited = TabVisits(p.window, forms::WindowId::File);
      QCOMPARE(visited, ReachableTabChain(p.window, forms::WindowId::File));
      QVERIFY(!visited.contains(QStringLiteral("RichEdit1")));
    }
  }

  void tabLeavesTheMemo() {
    Program p;
    p.ShowFileWindow();
    QVERIFY(QTest::qWaitForWindowActive(&p.window));
    auto* memo = Child<QPlainTextEdit>(p.window, "Memo1");
    memo->setFocus();
    QTRY_VERIFY(memo->hasFocus());
    QTest::keyClick(p.window.windowHandle(), Qt::Key_Tab);
    QVERIFY(!memo->hasFocus());
    QCOMPARE(memo->toPlainText(), QString());
  }

  void startState() {
    Program p;
    auto* pages = Child<QTabWidget>(p.window, "PageControl1");
    QCOMPARE(pages->count(), 2);
    QCOMPARE(pages->tabText(0), QStringLiteral("読込"));
    QCOMPARE(pages->tabText(1), QStringLiteral("保存"));
    QCOMPARE(pages->currentIndex(), 0);
    const QStringList modes{"Sertafo互換モード", "Palorin専用モード", "Bmp画像モード"};
    for (int item = 0; item < 3; ++item) {
      auto* radio = Child<QRadioButton>(p.window, Name("RadioGroup1Item", item).constData());
      QCOMPARE(radio->text(), modes[item]);
      QCOMPARE(radio->isChecked(), item == 0);
      QCOMPARE(radio->parentWidget()->objectName(), QStringLiteral("RadioGroup1"));
    }
    auto* partBox = Child<QComboBox>(p.window, "ComboBox1");
    QCOMPARE(partBox->count(), 5);
    QCOMPARE(partBox->itemText(4), QStringLiteral("5"));
    QVERIFY(partBox->isEditable());
    QVERIFY(partBox->isEnabled());
    QCOMPARE(Child<QPlainTextEdit>(p.window, "Memo1")->toPlainText(), QString());
    // No digit or bar can be seen on either page.
    for (int n = 1; n <= 10; ++n) {
      QCOMPARE(TextColor(p.window, Name("Label", n).constData()), ButtonFace());
      QCOMPARE(Fill(p.window, Name("Shape", n).constData()), ButtonFace());
      QCOMPARE(Child<QLabel>(p.window, Name("Label", n).constData())->font().pixelSize(), 12);
    }
    const QFont partFont = Child<QLabel>(p.window, "Label11")->font();
    QCOMPARE(partFont.pixelSize(), 16);
    QVERIFY(partFont.bold());
    QCOMPARE(TextColor(p.window, "Label11"), QApplication::palette().color(QPalette::WindowText));
  }

  // The file window's widgets are built when it first shows, from its form
  // as it stands then, whatever changed in the form before.
  void builtOnFirstShowingAsItsFormStands() {
    FakedEditor f;
    const auto fileWindows = [] {
      int count = 0;
      for (const QWidget* w : QApplication::topLevelWidgets()) {
        count += w->objectName() == QLatin1String("Form2") ? 1 : 0;
      }
      return count;
    };
    QCOMPARE(fileWindows(), 0);
    f.editor.Session().TakePage(1);
    f.editor.Session().ClickSaveMode(1);
    QCOMPARE(fileWindows(), 0);
    f.editor.Show();
    QTest::mouseClick(Child<QAbstractButton>(f.editor.Window1(), "Button5"), Qt::LeftButton);
    QCOMPARE(fileWindows(), 1);
    ui::FileWindow& window = f.editor.Window2();
    QVERIFY(window.isVisible());
    QCOMPARE(Child<QTabWidget>(window, "PageControl1")->currentIndex(), 1);
    QVERIFY(Child<QRadioButton>(window, "RadioGroup1Item1")->isChecked());
    QVERIFY(!Child(window, "GroupBox1")->isEnabled());
    QCOMPARE(Fill(window, "Shape1"), ButtonFace());
    QVERIFY(f.prompts.errors.empty());
  }

  void showHideKeepsPageAndChoices() {
    Program p;
    p.ShowFileWindow();
    QVERIFY(p.window.isVisible());
    QVERIFY(p.editor.Form2().Visible);
    QVERIFY(QTest::qWaitForWindowExposed(&p.window));

    p.ClickTab(1);
    QCOMPARE(p.editor.Form2().ActivePage, 1);
    // The compatible mode shows the save-part digit and bar for the picture.
    QCOMPARE(TextColor(p.window, "Label1"), kBlackText);
    QCOMPARE(Fill(p.window, "Shape1"), kRed);
    QCOMPARE(TextColor(p.window, "Label2"), ButtonFace());

    p.Click(p.window, "RadioGroup1Item1");
    QCOMPARE(p.editor.Form2().RadioGroup1ItemIndex, 1);
    QVERIFY(!Child(p.window, "GroupBox1")->isEnabled());
    QVERIFY(!Child(p.window, "ComboBox1")->isEnabled());
    QCOMPARE(TextColor(p.window, "Label1"), ButtonFace());
    QCOMPARE(Fill(p.window, "Shape1"), ButtonFace());

    // The close box hides; "File" shows it again as it was.
    p.window.close();
    QVERIFY(!p.window.isVisible());
    QVERIFY(!p.editor.Form2().Visible);
    QVERIFY(p.main.isVisible());
    p.Click(p.main, "Button5");
    QVERIFY(p.window.isVisible());
    QCOMPARE(Child<QTabWidget>(p.window, "PageControl1")->currentIndex(), 1);
    QVERIFY(Child<QRadioButton>(p.window, "RadioGroup1Item1")->isChecked());
    QVERIFY(!Child(p.window, "GroupBox1")->isEnabled());

    // Back to the compatible mode: the box and the indicators return.
    p.Click(p.window, "RadioGroup1Item0");
    QVERIFY(Child(p.window, "GroupBox1")->isEnabled());
    QVERIFY(Child(p.window, "ComboBox1")->isEnabled());
    QCOMPARE(Fill(p.window, "Shape1"), kRed);

    // "キャンセル" hides too.
    p.Click(p.window, "Button2");
    QVERIFY(!p.window.isVisible());
    QVERIFY(p.prompts.errors.empty());
  }

  void hiddenDigitsStayHiddenInADisabledBox() {
    Program p;
    FillLog(p.editor.Form1(), 1);
    p.ShowFileWindow();
    QVERIFY(QTest::qWaitForWindowExposed(&p.window));
    p.ClickTab(1);
    // The pixels of a digit label, as the screen shows it, that stand out
    // from the button face (by more than antialiasing rounds).
    const auto seen = [&p](int part) {
      auto* label = Child<QLabel>(p.window, Name("Label", part).constData());
      const QImage shot = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
      const QColor face = ButtonFace();
      QSet<QRgb> colours;
      for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
          const QColor c = shot.pixelColor(x, y);
          if (std::max({std::abs(c.red() - face.red()), std::abs(c.green() - face.green()),
                        std::abs(c.blue() - face.blue())}) > 2) {
            colours.insert(c.rgb());
          }
        }
      }
      return colours;
    };
    QVERIFY(seen(1).contains(kBlackText.rgb()));  // part 1 belongs to the picture
    QCOMPARE(seen(2), QSet<QRgb>());
    for (const char* mode : {"RadioGroup1Item1", "RadioGroup1Item2"}) {
      p.Click(p.window, mode);
      QVERIFY(!Child(p.window, "GroupBox1")->isEnabled());
      for (int part = 1; part <= 5; ++part) QCOMPARE(seen(part), QSet<QRgb>());
    }
  }

  void compatiblePartsShowInIndicators() {
    Program p;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    FillLog(p.editor.Form1(), 2501);  // slots 0..2500: two parts
    p.ShowFileWindow();
    p.ClickTab(1);
    auto* partBox = Child<QComboBox>(p.window, "ComboBox1");
    QCOMPARE(partBox->count(), 2);
    for (int part = 1; part <= 5; ++part) {
      QCOMPARE(TextColor(p.window, Name("Label", part).constData()),
               part <= 2 ? kBlackText : ButtonFace());
      QCOMPARE(Fill(p.window, Name("Shape", part).constData()), part <= 2 ? kRed : ButtonFace());
    }

    const std::string part1 = dir.filePath("part1.txt").toStdString();
    QVERIFY(p.window.isVisible());
    p.prompts.saveDialog.replies.push_back(part1);
    p.Execute();
    QVERIFY(p.prompts.errors.empty());
    QCOMPARE(p.prompts.saveDialog.asked.size(), std::size_t{1});
    QCOMPARE(p.prompts.saveDialog.asked[0].Title,
             std::string("Sertafo形式データをtxtファイルで保存する"));
    QCOMPARE(p.prompts.saveDialog.asked[0].DefaultExt, std::string("txt"));
    QVERIFY(QFile::exists(QString::fromStdString(part1)));
    // Part 1 is written, part 2 is not: the window stays for it.
    QCOMPARE(Fill(p.window, "Shape1"), kGreen);
    QCOMPARE(Fill(p.window, "Shape2"), kRed);
    QVERIFY(p.window.isVisible());
    // A screen reader hears each part of the series by its state, digit and
    // bar alike, and nothing of the parts beyond it.
    for (const char* name : {"Label1", "Shape1"}) {
      QCOMPARE(Child(p.window, name)->accessibleName(), QStringLiteral("part 1 saved"));
    }
    for (const char* name : {"Label2", "Shape2"}) {
      QCOMPARE(Child(p.window, name)->accessibleName(), QStringLiteral("part 2 not saved"));
      QVERIFY(Child(p.window, name)->isVisibleTo(&p.window));
    }
    for (const char* name : {"Label3", "Shape3", "Label5", "Shape5"}) {
      QVERIFY(!Child(p.window, name)->isVisibleTo(&p.window));
    }

    // Loading that part on the load page fills the load indicators.
    p.ClickTab(0);
    p.prompts.openDialog.replies.push_back(part1);
    p.Execute();
    QVERIFY(p.prompts.errors.empty());
    QCOMPARE(p.prompts.openDialog.asked.size(), std::size_t{1});
    QCOMPARE(Child<QLabel>(p.window, "Label11")->text(), QStringLiteral("1"));
    for (int part = 1; part <= 5; ++part) {
      QCOMPARE(TextColor(p.window, Name("Label", part + 5).constData()),
               part <= 2 ? kBlackText : ButtonFace());
    }
    QCOMPARE(Fill(p.window, "Shape6"), kGreen);
    QCOMPARE(Fill(p.window, "Shape7"), kRed);
    QCOMPARE(Fill(p.window, "Shape8"), ButtonFace());
    QVERIFY(p.window.isVisible());
    const QString memo = Child<QPlainTextEdit>(p.window, "Memo1")->toPlainText();
    QVERIFY2(memo.startsWith(QStringLiteral("BRW_001")), qPrintable(memo));
    QCOMPARE(p.Panel0(), QString::fromStdString(core::CountText(p.editor.Form1().log().LogPos)));
  }

  void nativeSaveAndLoadThroughTheWindow() {
    Program p;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    p.editor.Show();
    QVERIFY(QTest::qWaitForWindowExposed(&p.main));
    for (const QPoint pixel : {QPoint(100, 60), QPoint(106, 63), QPoint(250, 150)}) {
      QTest::mouseClick(&p.main.Image1(), Qt::LeftButton, {}, pixel);
    }
    const QImage picture = RasterImage(p.editor.Form1().raster());

    p.Click(p.main, "Button5");
    p.ClickTab(1);
    p.Click(p.window, "RadioGroup1Item1");
    // A cancelled dialog changes nothing and says nothing.
    p.Execute();
    QCOMPARE(p.prompts.saveDialog.asked.size(), std::size_t{1});
    QVERIFY(p.window.isVisible());

    const std::string file = dir.filePath("picture.pln").toStdString();
    p.prompts.saveDialog.replies.push_back(file);
    p.Execute();
    QVERIFY(p.prompts.errors.empty());
    QCOMPARE(p.prompts.saveDialog.asked.back().Title, std::string("Palorin形式ファイルを保存する"));
    QCOMPARE(p.prompts.saveDialog.asked.back().DefaultExt, std::string("pln"));
    QVERIFY(QFile::exists(QString::fromStdString(file)));
    QVERIFY(!p.window.isVisible());

    p.Click(p.main, "Button3");  // ReSet: a black picture
    QVERIFY(RasterImage(p.editor.Form1().raster()) != picture);
    p.Click(p.main, "Button5");
    p.ClickTab(0);
    p.prompts.openDialog.replies.push_back(file);
    p.Execute();
    QVERIFY(p.prompts.errors.empty());
    QCOMPARE(p.prompts.openDialog.asked.back().Filter.size(), std::size_t{2});
    QVERIFY(!p.window.isVisible());
    QCOMPARE(RasterImage(p.editor.Form1().raster()), picture);
    QCOMPARE(p.main.Image1().grab().toImage().convertToFormat(QImage::Format_RGB32), picture);
    QCOMPARE(p.Panel0(), QString::fromStdString(core::CountText(p.editor.Form1().log().LogPos)));
  }

  void errorInExecuteShowsErrorBox() {
    Program p;
    p.ShowFileWindow();
    p.prompts.openDialog.replies.push_back(std::string("/nonexistent-folder/none.pln"));
    p.Execute();
    QCOMPARE(p.prompts.errors.size(), std::size_t{1});
    QCOMPARE(p.prompts.errors[0].second,
             QStringLiteral("ﾌｧｲﾙ /nonexistent-folder/none.pln は開けません."));
    QVERIFY(p.window.isVisible());
  }

  void filesOpenByNameAndByDrop() {
    // Named files take the load page's path: "File" shows the window, the
    // load tab is clicked, execute's open dialog answers the full name.
    Program p;
    p.ShowFileWindow();
    p.ClickTab(1);
    p.Click(p.window, "Button2");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString current = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    const QString data = QStringLiteral(PALORIN_TEST_DATA_DIR);
    p.editor.OpenFiles({QStringLiteral("missing.pln"), data + QStringLiteral("/wide_2.txt"),
                        data + QStringLiteral("/wide_1.txt")});
    QVERIFY(QDir::setCurrent(current));
    QCOMPARE(p.prompts.errors.size(), std::size_t{1});
    QCOMPARE(p.prompts.errors[0].second,
             QStringLiteral("ﾌｧｲﾙ %1/missing.pln は開けません.").arg(dir.path()));
    QVERIFY(p.prompts.openDialog.asked.empty());
    const auto& load = p.editor.Form2().LastLoad();
    QVERIFY(load && load->completed);
    QCOMPARE(load->fileName, (data + QStringLiteral("/wide_1.txt")).toStdString());
    QCOMPARE(p.editor.Form2().ActivePage, int{forms::TForm2::kLoadPage});
    QVERIFY(!p.window.isVisible());

    // Dropped local files load the same way; other addresses are left out.
    // A drop on a box's text field reaches the window instead of typing
    // the name into the box.
    QMimeData dropped;
    dropped.setUrls({QUrl(QStringLiteral("https://example.invalid/far.pln")),
                     QUrl::fromLocalFile(data + QStringLiteral("/small.pln"))});
    dropped.setText(data + QStringLiteral("/small.pln"));  // file managers offer text too
    QLineEdit* edit = Child<QComboBox>(p.main, "ComboBox1")->lineEdit();
    const QString colour = edit->text();
    const QPoint at = edit->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &dropped, Qt::LeftButton, {});
    QApplication::sendEvent(edit, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &dropped, Qt::LeftButton, {});
    QApplication::sendEvent(edit, &drop);
    const std::string small = (data + QStringLiteral("/small.pln")).toStdString();
    QTRY_VERIFY(load && load->fileName == small);
    QCOMPARE(edit->text(), colour);
    QCOMPARE(p.prompts.errors.size(), std::size_t{1});

    QMimeData remote;
    remote.setUrls({QUrl(QStringLiteral("https://example.invalid/far.pln"))});
    QDragEnterEvent refused(p.main.rect().center(), Qt::CopyAction, &remote, Qt::LeftButton, {});
    QApplication::sendEvent(&p.main, &refused);
    QVERIFY(!refused.isAccepted());
  }

  void filterEntries_data() {
    QTest::addColumn<QString>("description");
    QTest::addColumn<QString>("patterns");
    QTest::addColumn<QString>("entry");
    const struct {
      const char* row;
      const char* description;
      const char* patterns;
      const char* entry;
    } rows[] = {
        {"two patterns", "テキストとPalorixファイル(*.txt)(*.pln)", "*.txt;*.pln",
         "テキストとPalorixファイル(*.txt)(*.pln) (*.txt *.pln)"},
        {"no group", "全てのファイル", "*.*", "全てのファイル (*.*)"},
        {"own group", "Text files (*.txt)", "*.txt", "Text files (*.txt)"},
        {"other group", "Palorin files (*.txt)", "*.pln", "Palorin files (*.txt) (*.pln)"},
    };
    for (const auto& r : rows) {
      QTest::newRow(r.row) << QString::fromUtf8(r.description) << QString::fromUtf8(r.patterns)
                           << QString::fromUtf8(r.entry);
    }
  }

  void filterEntries() {
    QFETCH(QString, description);
    QFETCH(QString, patterns);
    QFETCH(QString, entry);
    QCOMPARE(ui::QtFilterEntry(description.toStdString(), patterns.toStdString()), entry);
  }

  void openDialogOffersTheRightFiles() {
    Program p;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const char* name : {"a.txt", "b.pln", "c.bmp", "d.txt.bak"}) {
      QFile file(dir.filePath(QString::fromLatin1(name)));
      QVERIFY(file.open(QIODevice::WriteOnly));
    }
    forms::FileDialog settings = p.editor.Form2().OpenDialog1;
    settings.FileName = dir.filePath("a.txt").toStdString();
    QFileDialog dialog;
    ui::Configure(dialog, settings, QFileDialog::AcceptOpen);
    dialog.show();
    QCOMPARE(dialog.selectedNameFilter(),
             QStringLiteral("テキストとPalorixファイル(*.txt)(*.pln) (*.txt *.pln)"));
    QTRY_COMPARE(Offered(dialog), QStringList({"a.txt", "b.pln"}));
    dialog.selectNameFilter(dialog.nameFilters().value(1));
    QTRY_COMPARE(Offered(dialog), QStringList({"a.txt", "b.pln", "c.bmp", "d.txt.bak"}));
    dialog.close();
  }

  void dialogColumnsReadWhole() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("pictures")));
    // 50.5 KiB, changed late on the 27th: wide size and date cells.
    QFile file(dir.filePath("house.pln"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write(QByteArray(51712, 'x')) == 51712);
    QVERIFY(file.setFileTime(QDateTime(QDate(2026, 12, 27), QTime(23, 59, 59)),
                             QFileDevice::FileModificationTime));
    file.close();
    forms::FileDialog settings;
    settings.Filter = {{"Palorin files (*.pln)", "*.pln"}};
    settings.FileName = file.fileName().toStdString();

    QFileDialog dialog;
    ui::Configure(dialog, settings, QFileDialog::AcceptOpen);
    dialog.setViewMode(QFileDialog::Detail);
    auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    QVERIFY(tree != nullptr);
    // The desktop's face, not the condensed form face of the two windows.
    QVERIFY(tree->font() != ui::FormFont(12));
    QCOMPARE(tree->font(), QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTRY_COMPARE(tree->model()->rowCount(tree->rootIndex()), 2);
    // Every cell's text, with the room its cell leaves around it, fits its
    // column, and every column fits the view.
    const QFontMetrics metrics(tree->font());
    const int margins = 2 * (tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1);
    QHeaderView* header = tree->header();
    for (int row = 0; row < 2; ++row) {
      for (int column = 1; column < 4; ++column) {
        const QString text = tree->model()->index(row, column, tree->rootIndex()).data().toString();
        QVERIFY2(metrics.horizontalAdvance(text) + margins <= header->sectionSize(column),
                 qPrintable(text));
      }
    }
    QVERIFY(tree->viewport()->width() >= header->length());
    dialog.close();
  }

  void saveDialogRemembersAndNeverAsks() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    {
      QFile existing(dir.filePath("picture.pln"));
      QVERIFY(existing.open(QIODevice::WriteOnly));
    }
    forms::FileDialog settings;
    settings.Title = "Palorin形式ファイルを保存する";
    settings.TitleGloss = "Save a Palorin-format file";
    settings.DefaultExt = "pln";
    settings.Filter = {{"Palorin files (*.pln)", "*.pln"}};
    settings.FileName = dir.filePath("first.pln").toStdString();

    QStringList seenNames;
    QString seenTitle;
    QString seenDescription;
    bool askedAnything = false;
    // Reads the dialog, then types a name and accepts, or cancels.
    const auto answer = [&](std::optional<QString> typed) {
      QTimer::singleShot(0, [&, typed] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        seenTitle = dialog->windowTitle();
        seenDescription = dialog->accessibleDescription();
        auto* nameEdit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        seenNames.append(nameEdit->text());
        QDialog* asDialog = dialog;
        if (!typed) {
          asDialog->reject();
          return;
        }
        nameEdit->setText(*typed);
        asDialog->accept();
        // Any question box now would be the overwrite question.
        QTimer::singleShot(0, [&] {
          if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            askedAnything = true;
            box->reject();
          }
        });
      });
    };

    answer(QStringLiteral("picture"));
    const auto chosen = ui::RunFileDialog(settings, QFileDialog::AcceptSave, nullptr);
    QVERIFY(!askedAnything);
    QCOMPARE(seenTitle, QStringLiteral("Palorin形式ファイルを保存する"));
    // The Japanese title is explained to a screen reader.
    QCOMPARE(seenDescription, QStringLiteral("Save a Palorin-format file"));
    QCOMPARE(seenNames.value(0), QStringLiteral("first.pln"));
    // The default extension is added to a name typed without one.
    QVERIFY(chosen.has_value());
    QCOMPARE(QString::fromStdString(*chosen), dir.filePath("picture.pln"));
    QCOMPARE(settings.FileName, *chosen);

    // Next time the dialog offers the name chosen last; cancelling it keeps
    // that name.
    answer(std::nullopt);
    QVERIFY(!ui::RunFileDialog(settings, QFileDialog::AcceptSave, nullptr).has_value());
    QCOMPARE(seenNames.value(1), QStringLiteral("picture.pln"));
    QCOMPARE(settings.FileName, *chosen);
  }
};

PALORIN_QTEST_MAIN(FileWindowTest)
#include "ui_file_window_test.moc"
