#include "ui/main_window.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include "ui/look.h"

namespace palorin::ui {

namespace {

// The fixed client area, and where the window first appears.
constexpr QSize kClientSize{500, 376};
constexpr QPoint kFirstPosition{192, 107};

constexpr std::array<int, 3> kPanelWidths{70, 35, 35};

// The local files among dropped data, in the order dropped; web addresses
// and anything else that is no local file are left out.
QStringList DroppedFiles(const QMimeData* data) {
  QStringList files;
  if (data == nullptr || !data->hasUrls()) return files;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile()) files.append(url.toLocalFile());
  }
  return files;
}

}  // namespace

MainWindow::MainWindow(forms::TForm1& form, forms::TForm2& fileForm, RunHandler run)
    : FormWindow(form, std::move(run), "Form1", forms::kMainCaption, kClientSize, kFirstPosition) {
  // Created in layout order; the tab order is set below.
  auto* button5 = AddButton(this, "Button5", QStringLiteral("File"), {0, 0, 41, 20});
  auto* button4 = AddButton(this, "Button4", QStringLiteral("Clip"), {48, 0, 41, 20});
  auto* button3 = AddButton(this, "Button3", QStringLiteral("ReSet"), {96, 0, 49, 20});

  auto* group1 =
      Place(new QGroupBox(QStringLiteral("URCount"), this), "GroupBox1", {296, 0, 161, 41});
  auto* box5 = Place(new ComboBoxView(form_.ComboBox5, group1), "ComboBox5", {8, 16, 49, 20});
  auto* button1 = AddButton(group1, "Button1", QStringLiteral("UnDo"), {64, 16, 41, 20});
  auto* button2 = AddButton(group1, "Button2", QStringLiteral("ReDo"), {112, 16, 41, 20});

  auto* button6 = AddButton(this, "Button6", QStringLiteral("End"), {464, 8, 33, 25});
  auto* box6 = Place(new ComboBoxView(form_.ComboBox6, this), "ComboBox6", {0, 24, 57, 20});
  auto* box1 = Place(new ComboBoxView(form_.ComboBox1, this), "ComboBox1", {64, 24, 57, 20});

  const QFont labelFont = FormFont(16, true);
  const auto centred = Qt::AlignHCenter | Qt::AlignVCenter;
  sizeLabels_[0] =
      AddLabel(this, "Label1", QStringLiteral("X"), {120, 24, 17, 20}, labelFont, centred);
  auto* box2 = Place(new ComboBoxView(form_.ComboBox2, this), "ComboBox2", {136, 24, 41, 20});
  sizeLabels_[1] =
      AddLabel(this, "Label2", QStringLiteral("Y"), {176, 24, 17, 20}, labelFont, centred);
  auto* box3 = Place(new ComboBoxView(form_.ComboBox3, this), "ComboBox3", {192, 24, 41, 20});
  sizeLabels_[2] =
      AddLabel(this, "Label3", QStringLiteral("Z"), {232, 24, 17, 20}, labelFont, centred);
  auto* box4 = Place(new ComboBoxView(form_.ComboBox4, this), "ComboBox4", {248, 24, 41, 20});
  boxes_ = {box1, box2, box3, box4, box5, box6};

  image1_ = Place(new DrawingArea(form_.raster(), this), "Image1", {0, 48, 500, 308});
  AcceptFileDrops();

  // StatusBar1: three fixed-width panels, no size grip.
  auto* status = Place(new QFrame(this), "StatusBar1", {0, 357, 500, 19});
  int left = 0;
  for (std::size_t i = 0; i < panels_.size(); ++i) {
    auto* panel = new QLabel(status);
    panel->setObjectName(QStringLiteral("Panel%1").arg(i));
    panel->setGeometry(left, 0, kPanelWidths[i], 19);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setIndent(2);
    panel->setTextFormat(Qt::PlainText);
    panel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    left += kPanelWidths[i];
    panels_[i] = panel;
  }

  // Tab order among siblings: Button3 0, Button4 1, ComboBox1 2, Button5 3,
  // Button6 5, ComboBox2 6, ComboBox3 7, ComboBox4 8, GroupBox1 9 (inside:
  // Button1 0, Button2 1, ComboBox5 2), ComboBox6 10.
  const std::array<QWidget*, 12> chain{button3, button4, box1,    button5, button6, box2,
                                       box3,    box4,    button1, button2, box5,    box6};
  for (std::size_t i = 1; i < chain.size(); ++i) setTabOrder(chain[i - 1], chain[i]);

  Bind(button1, &forms::TForm1::Button1Click);
  Bind(button2, &forms::TForm1::Button2Click);
  Bind(button3, &forms::TForm1::Button3Click);
  Bind(button4, &forms::TForm1::Button4Click);
  Bind(button5, &forms::TForm1::Button5Click);
  Bind(button6, &forms::TForm1::Button6Click);
  for (int number = 1; number <= 6; ++number) {
    BindInput(*boxes_[static_cast<std::size_t>(number - 1)], *this, run_, form_, fileForm,
              forms::MainBox(number));
  }

  image1_->onPress = [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
    const auto formButton = button == Qt::RightButton    ? forms::MouseButton::Right
                            : button == Qt::MiddleButton ? forms::MouseButton::Middle
                                                         : forms::MouseButton::Left;
    run_(this, [form = &form_, formButton, shift, x, y] {
      form->Image1MouseDown(formButton, static_cast<forms::ShiftState>(shift.toInt()), x, y);
    });
  };
  image1_->onMove = [this](Qt::KeyboardModifiers shift, int x, int y) {
    run_(this, [form = &form_, shift, x, y] {
      form->Image1MouseMove(static_cast<forms::ShiftState>(shift.toInt()), x, y);
    });
  };
}

void MainWindow::ShowData() {
  for (ComboBoxView* box : boxes_) box->ShowData();
  const auto labels = form_.SizeLabels();
  for (std::size_t i = 0; i < sizeLabels_.size(); ++i) {
    SetTextColor(*sizeLabels_[i], labels[i]->FontColor);
  }
  const auto& texts = form_.StatusBar1().Panels;
  for (std::size_t i = 0; i < panels_.size(); ++i) {
    const QString text = QString::fromStdString(texts[i]);
    if (panels_[i]->text() != text) panels_[i]->setText(text);
  }
}

void MainWindow::AcceptFileDrops() {
  // Files dropped anywhere on the window open. The boxes' text fields would
  // take a dropped file's name as typed text; they take no drops, so a drop
  // on any control reaches the window.
  setAcceptDrops(true);
  for (ComboBoxView* box : boxes_) {
    if (QLineEdit* edit = box->lineEdit()) edit->setAcceptDrops(false);
  }
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QStringList files = DroppedFiles(event->mimeData());
  if (files.isEmpty()) return;
  event->acceptProposedAction();
  // The files load once the drop has finished: a load may open the error
  // box, and the program the files came from waits until the drop is done.
  QTimer::singleShot(0, this, [this, files] {
    if (onDropFiles) onDropFiles(files);
  });
}

}  // namespace palorin::ui
