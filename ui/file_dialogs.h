#pragma once

#include <QFileDialog>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>

#include "forms/services.h"

namespace palorin::ui {

// One filter entry as QFileDialog reads it. Qt takes the patterns only from
// the last parenthesised group at the end of the text, so the description is
// kept whole and the patterns follow it in their own group:
// ("テキストとPalorixファイル(*.txt)(*.pln)", "*.txt;*.pln") becomes
// "テキストとPalorixファイル(*.txt)(*.pln) (*.txt *.pln)". A description that
// already ends in exactly that group ("Text files (*.txt)") stays as it is.
QString QtFilterEntry(const std::string& description, const std::string& patterns);
QStringList QtFilter(const forms::FileDialog& dialog);

// Prepares a non-native dialog from the settings: title (none: the dialog's
// own), filter, filter entry offered first, default suffix, the last chosen
// name, and no question before replacing a file. The dialog speaks in the
// desktop's face and is wide enough for every column of its detail view. An open dialog accepts a
// name that does not exist (reading it fails later, with the program's own
// message).
void Configure(QFileDialog& qtDialog, const forms::FileDialog& dialog,
               QFileDialog::AcceptMode mode);

// After the user accepted: the chosen full name, with the chosen name and
// filter entry stored back into the settings for the next time.
std::string StoreChoice(const QFileDialog& qtDialog, forms::FileDialog& dialog);

// Runs the dialog modally. nullopt when the user cancelled.
std::optional<std::string> RunFileDialog(forms::FileDialog& dialog, QFileDialog::AcceptMode mode,
                                         QWidget* parent);

}  // namespace palorin::ui
