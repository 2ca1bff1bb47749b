#include "ui/file_dialogs.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLocale>
#include <QMimeDatabase>
#include <QStyle>
#include <QTime>
#include <QTreeView>
#include <algorithm>
#include <array>
#include <initializer_list>
#include <utility>

namespace palorin::ui {

QString QtFilterEntry(const std::string& description, const std::string& patterns) {
  const QString desc = QString::fromStdString(description);
  const QString group =
      QLatin1Char('(') +
      QString::fromStdString(patterns).split(QLatin1Char(';'), Qt::SkipEmptyParts).join(' ') +
      QLatin1Char(')');
  if (desc.endsWith(group)) return desc;
  return desc + QLatin1Char(' ') + group;
}

QStringList QtFilter(const forms::FileDialog& dialog) {
  QStringList entries;
  for (const auto& [description, patterns] : dialog.Filter) {
    entries.append(QtFilterEntry(description, patterns));
  }
  return entries;
}

namespace {

// The widest of `texts`.
QString WidestOf(const QFontMetrics& metrics, std::initializer_list<QString> texts) {
  QString widest;
  for (const QString& text : texts) {
    if (metrics.horizontalAdvance(text) > metrics.horizontalAdvance(widest)) widest = text;
  }
  return widest;
}

// The widest text the size, type and date columns of the detail view show,
// as the dialog's file model writes them: sizes in the locale's data-size
// format, types as the comments of their MIME types, dates in the locale's
// short format. `names`: a file name for each pattern of the filter, whose types are
// what the type column shows.
std::array<QString, 3> WidestCells(const QFontMetrics& metrics, const QStringList& names) {
  const QLocale locale = QLocale::system();
  const QString size = WidestOf(
      metrics, {locale.formattedDataSize(1023), locale.formattedDataSize(1048575),
                locale.formattedDataSize(1073741823), locale.formattedDataSize(1099511627775)});
  const QMimeDatabase mimes;
  QString type = mimes.mimeTypeForName(QStringLiteral("inode/directory")).comment();
  for (const QString& name : names) {
    for (const QMimeType& candidate : mimes.mimeTypesForFileName(name)) {
      type = WidestOf(metrics, {type, candidate.comment()});
    }
  }
  QString date;
  for (int month = 1; month <= 12; ++month) {
    const QDateTime late(QDate(2026, month, 28), QTime(23, 59, 59));
    date = WidestOf(metrics, {date, locale.toString(late, QLocale::ShortFormat)});
  }
  return {size, type, date};
}

// Widens a file dialog as it shows, before it is on the screen, until the
// columns of its detail view fit beside a vertical scroll bar.
class GrowToColumns final : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* dialog = qobject_cast<QFileDialog*>(watched);
    if (dialog == nullptr || event->type() != QEvent::Show) return false;
    if (const auto* tree = dialog->findChild<const QTreeView*>(QStringLiteral("treeView"))) {
      const int lacking = tree->header()->length() - tree->viewport()->width() +
                          tree->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, tree);
      if (lacking > 0) dialog->resize(dialog->width() + lacking, dialog->height());
    }
    return false;
  }
};

// The dialogs speak in the desktop's face, not the condensed form face the
// program sets for its two windows, and open wide enough for every column
// of the detail view to read whole. Qt sizes those columns once, from the
// font the dialog had when it was made, and a width remembered from an
// earlier dialog comes back with them: a column is only ever widened.
void UseDesktopFace(QFileDialog& qtDialog, const forms::FileDialog& dialog) {
  // Whole: a property the desktop's face leaves open would otherwise come
  // from the application font (its condensing, say).
  QFont face = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  face.setResolveMask(QFont::AllPropertiesResolved);
  qtDialog.setFont(face);
  auto* tree = qtDialog.findChild<QTreeView*>(QStringLiteral("treeView"));
  if (tree == nullptr) return;
  QHeaderView* header = tree->header();
  const QFontMetrics metrics(tree->font());
  // The room a cell leaves around its text, and the name's icon.
  const int padding = 2 * metrics.horizontalAdvance(QLatin1Char('M'));
  QStringList names;
  for (const auto& entry : dialog.Filter) {
    for (const QString& pattern :
         QString::fromStdString(entry.second).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
      names.append(QString(pattern).replace(QLatin1Char('*'), QLatin1Char('a')));
    }
  }
  const std::array<QString, 3> widest = WidestCells(metrics, names);
  const int nameWidth = metrics.horizontalAdvance(QString(32, QLatin1Char('n')));
  header->resizeSection(0, std::max(header->sectionSize(0),
                                    nameWidth + tree->iconSize().width() + padding));
  for (int column = 1; column <= 3 && column < header->count(); ++column) {
    const int wanted =
        metrics.horizontalAdvance(widest[static_cast<std::size_t>(column - 1)]) + padding;
    header->resizeSection(column, std::max(header->sectionSize(column), wanted));
  }
  // Laid out only as it shows: then it grows by what the columns lack.
  qtDialog.installEventFilter(new GrowToColumns(&qtDialog));
}

}  // namespace

void Configure(QFileDialog& qtDialog, const forms::FileDialog& dialog,
               QFileDialog::AcceptMode mode) {
  qtDialog.setOption(QFileDialog::DontUseNativeDialog);
  qtDialog.setOption(QFileDialog::DontConfirmOverwrite);
  UseDesktopFace(qtDialog, dialog);
  qtDialog.setAcceptMode(mode);
  qtDialog.setFileMode(QFileDialog::AnyFile);
  if (!dialog.Title.empty()) qtDialog.setWindowTitle(QString::fromStdString(dialog.Title));
  // A Japanese title keeps its text; a screen reader gives its English too.
  if (!dialog.TitleGloss.empty()) {
    qtDialog.setAccessibleDescription(QString::fromStdString(dialog.TitleGloss));
  }
  const QStringList filter = QtFilter(dialog);
  if (!filter.isEmpty()) {
    qtDialog.setNameFilters(filter);
    if (dialog.FilterIndex >= 0 && dialog.FilterIndex < filter.size()) {
      qtDialog.selectNameFilter(filter[dialog.FilterIndex]);
    }
  }
  qtDialog.setDefaultSuffix(QString::fromStdString(dialog.DefaultExt));
  if (!dialog.FileName.empty()) {
    const QFileInfo last(QString::fromStdString(dialog.FileName));
    if (last.dir().exists()) qtDialog.setDirectory(last.absolutePath());
    qtDialog.selectFile(last.fileName());
  }
}

std::string StoreChoice(const QFileDialog& qtDialog, forms::FileDialog& dialog) {
  const QStringList files = qtDialog.selectedFiles();
  const std::string chosen = files.isEmpty() ? std::string() : files.first().toStdString();
  dialog.FileName = chosen;
  const auto index = QtFilter(dialog).indexOf(qtDialog.selectedNameFilter());
  if (index >= 0) dialog.FilterIndex = static_cast<int>(index);
  return chosen;
}

std::optional<std::string> RunFileDialog(forms::FileDialog& dialog, QFileDialog::AcceptMode mode,
                                         QWidget* parent) {
  QFileDialog qtDialog(parent);
  qtDialog.setWindowModality(Qt::ApplicationModal);
  Configure(qtDialog, dialog, mode);
  if (qtDialog.exec() != QDialog::Accepted) return std::nullopt;
  return StoreChoice(qtDialog, dialog);
}

}  // namespace palorin::ui
