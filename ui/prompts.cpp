#include "ui/prompts.h"

#include <QMessageBox>

#include "ui/file_dialogs.h"

namespace palorin::ui {

std::optional<std::string> QtPrompts::Open(forms::FileDialog& dialog, QWidget* parent) {
  return RunFileDialog(dialog, QFileDialog::AcceptOpen, parent);
}

std::optional<std::string> QtPrompts::Save(forms::FileDialog& dialog, QWidget* parent) {
  return RunFileDialog(dialog, QFileDialog::AcceptSave, parent);
}

void QtPrompts::ShowError(const QString& title, const QString& text, QWidget* parent) {
  QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, parent);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

}  // namespace palorin::ui
