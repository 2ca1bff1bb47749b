// The editor: the main window, with the file window created hidden beside
// it. Closing the main window ends the program; nothing is saved or asked.
#include <QApplication>
#include <cstdio>
#include <exception>

#include "ui/editor.h"
#include "ui/look.h"
#include "ui/prompts.h"

int main(int argc, char* argv[]) {
  // The last resort: every handler's failure reaches the error box through
  // the dispatch, so only a failure outside any handler (start-up, say)
  // arrives here; it ends the program with a message instead of an abort.
  try {
    QApplication app(argc, argv);
    palorin::ui::UseFormLook();
    QApplication::setWindowIcon(palorin::ui::WindowIcon());

    palorin::ui::QtPrompts prompts;
    palorin::ui::Editor editor(prompts);
    editor.Show();
    return QApplication::exec();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "palorin: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "palorin: unexpected failure\n");
  }
  return 1;
}
