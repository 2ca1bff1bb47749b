#include "ui/file_dialogs.h"

#include <QDir>
#include <QFileInfo>

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

void Configure(QFileDialog& qtDialog, const forms::FileDialog& dialog,
               QFileDialog::AcceptMode mode) {
  qtDialog.setOption(QFileDialog::DontUseNativeDialog);
  qtDialog.setOption(QFileDialog::DontConfirmOverwrite);
  qtDialog.setAcceptMode(mode);
  qtDialog.setFileMode(QFileDialog::AnyFile);
  if (!dialog.Title.empty()) qtDialog.setWindowTitle(QString::fromStdString(dialog.Title));
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
