// The editor: the main window, with the file window created hidden beside
// it. Closing the main window ends the program; nothing is saved or asked.
#include <QApplication>

#include "ui/editor.h"
#include "ui/look.h"
#include "ui/prompts.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  palorin::ui::UseFormLook();
  QApplication::setWindowIcon(palorin::ui::WindowIcon());

  palorin::ui::QtPrompts prompts;
  palorin::ui::Editor editor(prompts);
  editor.Show();
  return QApplication::exec();
}
