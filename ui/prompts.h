#pragma once

#include <QString>
#include <optional>
#include <string>

#include "forms/services.h"

class QWidget;

namespace palorin::ui {

// The modal questions the desktop puts to the user: the two file dialogs and
// the error box. The editor asks them through this interface so that tests
// can answer them with a fake.
class Prompts {
 public:
  virtual ~Prompts() = default;

  // A modal open or save dialog; nullopt when cancelled. On success the
  // chosen name and filter entry are stored back into `dialog`.
  virtual std::optional<std::string> Open(forms::FileDialog& dialog, QWidget* parent) = 0;
  virtual std::optional<std::string> Save(forms::FileDialog& dialog, QWidget* parent) = 0;
  // The error box, modal for the whole program: error icon, one OK button.
  virtual void ShowError(const QString& title, const QString& text, QWidget* parent) = 0;
};

// The real ones: non-native QFileDialogs and a QMessageBox.
class QtPrompts final : public Prompts {
 public:
  std::optional<std::string> Open(forms::FileDialog& dialog, QWidget* parent) override;
  std::optional<std::string> Save(forms::FileDialog& dialog, QWidget* parent) override;
  void ShowError(const QString& title, const QString& text, QWidget* parent) override;
};

}  // namespace palorin::ui
