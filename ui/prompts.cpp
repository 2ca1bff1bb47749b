#include "ui/prompts.h"

#include <QMessageBox>

#include "forms/dispatch.h"
#include "ui/file_dialogs.h"

namespace palorin::ui {

std::optional<std::string> QtPrompts::Open(forms::FileDialog& dialog, QWidget* parent) {
  return RunFileDialog(dialog, QFileDialog::AcceptOpen, parent);
}

std::optional<std::string> QtPrompts::Save(forms::FileDialog& dialog, QWidget* parent) {
  return RunFileDialog(dialog, QFileDialog::AcceptSave, parent);
}

void QtPrompts::ShowError(const QString& title, const QString& text, QWidget* parent) {
  // A title, the system menu and the close box; nothing to minimise or
  // maximise on a box that only waits for OK.
  QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent,
                  Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                      Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  box.setWindowModality(Qt::ApplicationModal);
  // A Japanese message keeps its text and gains its English.
  const QString gloss = QString::fromStdString(forms::ErrorBoxGloss(text.toStdString()));
  if (!gloss.isEmpty()) {
    box.setToolTip(gloss);
    box.setAccessibleDescription(gloss);
  }
  box.exec();
}

}  // namespace palorin::ui
