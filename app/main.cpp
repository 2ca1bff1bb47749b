// The editor: the main window, with the file window created hidden beside
// it. Closing the main window ends the program; nothing is saved or asked.
// Files named on the command line load as the file window's load page loads
// them, in the order given.
#include <QApplication>
#include <QByteArray>
#include <QEvent>
#include <QObject>
#include <QWindow>
#include <QStringList>
#include <QTimer>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <exception>
#include <mutex>
#include <string>
#include <vector>

#include "base/version.h"
#include "forms/actions.h"
#include "forms/dispatch.h"
#include "forms/recovery.h"
#include "ui/editor.h"
#include "ui/look.h"
#include "ui/main_window.h"
#include "ui/prompts.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr const char* kHelp =
    "Usage: palorin [OPTION]... [FILE]...\n"
    "\n"
    "Starts the editor for isometric block pictures and loads each FILE in the\n"
    "order given, exactly as the file window's load page would: a native picture\n"
    "(.pln), or the part files of a compatible series (.txt) in any order. What a\n"
    "file cannot give is shown in the error box, and the next file still loads.\n"
    "\n"
    "      --restore  open the recovery copy instead of a FILE: the last\n"
    "                 picture changed, as it stood when its editor ended (or 2\n"
    "                 seconds before it was killed); the copy is\n"
    "                 $XDG_STATE_HOME/palorin/recovery.pln, by default\n"
    "                 ~/.local/state/palorin/recovery.pln\n"
    "      --restore N  open number N of the list below instead (1: the newest)\n"
    "      --restore --list  list the recovery copy and the local history,\n"
    "                 newest first and numbered, and exit\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "      --         every argument after it is a FILE\n"
    "\n"
    "The editor keeps that recovery copy of the picture being edited, written\n"
    "at most 2 seconds after each change and when it ends; with several editors\n"
    "running, the last change wins. Beside it, in history/, it keeps the picture\n"
    "as it was before each ReSet, before each load over a picture and when its\n"
    "first copy replaces another editor's: the newest 20 of those stay.\n"
    "\n"
    "The toolkit's own options (-platform, -display, -style ...) are understood\n"
    "too. Exit status: 0 the editor was closed, 1 it could not start, 2 bad\n"
    "arguments.\n";

// The keys, from the editor's action table: everything works without a
// pointer.
void PrintKeys() {
  std::fputs(
      "\nKeys (Tab moves the focus; at start it is on the drawing area, where the\n"
      "cell cursor shows):\n",
      stdout);
  for (const palorin::forms::ActionRow& action : palorin::forms::Actions()) {
    const std::string keys = palorin::forms::KeysText(action);
    if (keys.empty()) continue;
    std::string what(action.help);
    if (action.keysOnDrawingArea) what += " (drawing area)";
    if (action.keysEditText) what += " (in a text field: the field's own)";
    std::printf("  %-20s %s\n", keys.c_str(), what.c_str());
  }
}

// What the arguments ask for before any window exists: help and version
// need no display, so they are answered before the toolkit starts.
enum class Early { kRun, kHelp, kVersion };

Early EarlyOption(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--") == 0) break;
    if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
      return Early::kHelp;
    }
    if (std::strcmp(argv[i], "--version") == 0) return Early::kVersion;
  }
  return Early::kRun;
}

// The toolkit's own options, which it takes out of the arguments when it
// starts (written with one dash or two): those whose value is the next
// argument, those with none, and those whose value follows '='. Knowing
// them, the editor's own arguments are checked before the toolkit starts,
// so that a bad one is a usage error whether or not a display can be
// opened. The last six of the valued ones and the last three flags are the
// X11 platform's.
constexpr const char* kToolkitValued[] = {"-platform",
                                          "-platformpluginpath",
                                          "-platformtheme",
                                          "-plugin",
                                          "-qwindowgeometry",
                                          "-qwindowicon",
                                          "-qwindowtitle",
                                          "-session",
                                          "-style",
                                          "-stylesheet",
                                          "-qmljsdebugger",
                                          "-display",
                                          "-geometry",
                                          "-title",
                                          "-icon",
                                          "-name",
                                          "-visual"};
constexpr const char* kToolkitFlags[] = {"-reverse", "-widgetcount", "-testability",
                                         "-sync",    "-nograb",      "-dograb"};
constexpr const char* kToolkitJoined[] = {"-style=", "-stylesheet=", "-qmljsdebugger="};
// The editor's own options besides help and version.
constexpr const char* kEditorOptions[] = {"--restore", "--list"};

template <std::size_t N>
bool IsOneOf(const char* arg, const char* const (&names)[N]) {
  for (const char* name : names) {
    if (std::strcmp(arg, name) == 0) return true;
  }
  return false;
}

// The usage error in the arguments, checked before the toolkit starts;
// empty when there is none.
std::string UsageError(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--") == 0) break;  // only FILEs follow
    if (arg[0] != '-' || arg[1] == '\0' || IsOneOf(arg, kEditorOptions)) continue;
    const char* name = arg[1] == '-' ? arg + 1 : arg;
    if (IsOneOf(name, kToolkitValued)) {
      if (i + 1 == argc) return std::string("option '") + arg + "' needs a value";
      ++i;
      continue;
    }
    if (IsOneOf(name, kToolkitFlags)) continue;
    bool joined = false;
    for (const char* prefix : kToolkitJoined) {
      joined = joined || std::strncmp(name, prefix, std::strlen(prefix)) == 0;
    }
    if (!joined) return std::string("unknown option '") + arg + "'";
  }
  return {};
}

// What --restore asks for: which kept picture to open (1: the newest), or
// the list of them.
struct Restore {
  bool asked = false;
  bool list = false;
  int number = 1;
};

// A number of kept pictures: 1 to 999, in decimal digits alone.
bool KeptNumber(const QString& text, int& number) {
  if (text.isEmpty() || text.size() > 3) return false;
  for (const QChar c : text) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
  }
  number = text.toInt();
  return number >= 1;
}

// The files among the arguments the toolkit left, and what --restore asks
// (with --list or a number right after it). An option the editor does not
// know goes into `bad`, and then no file is returned.
QStringList FileArguments(const QStringList& arguments, QString& bad, Restore& restore) {
  QStringList files;
  bool onlyFiles = false;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (!onlyFiles && argument == QStringLiteral("--")) {
      onlyFiles = true;
    } else if (!onlyFiles && argument == QStringLiteral("--restore")) {
      restore.asked = true;
      if (i + 1 < arguments.size() && arguments[i + 1] == QStringLiteral("--list")) {
        restore.list = true;
        ++i;
      } else if (i + 1 < arguments.size() && KeptNumber(arguments[i + 1], restore.number)) {
        ++i;
      }
    } else if (!onlyFiles && argument.size() > 1 && argument.startsWith(QLatin1Char('-'))) {
      bad = argument;
      return {};
    } else {
      files.append(argument);
    }
  }
  return files;
}

// Whether the arguments ask only for the list of kept pictures, which needs
// no display: "--restore --list" and nothing else the editor would open.
bool ListOnly(int argc, char* argv[]) {
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--") == 0) return false;
    if (std::strcmp(argv[i], "--restore") == 0 && std::strcmp(argv[i + 1], "--list") == 0) {
      return true;
    }
  }
  return false;
}

// Prints the recovery copy and the local history, newest first, numbered as
// --restore N takes them.
int ListKept() {
  const std::string recovery = palorin::forms::RecoveryPath();
  if (recovery.empty()) {
    std::fputs("palorin: no home folder to find the recovery copy in\n", stderr);
    return kExitFailure;
  }
  const std::vector<palorin::forms::KeptPicture> kept = palorin::forms::ListKept(recovery);
  if (kept.empty()) std::printf("No picture is kept in %s\n", recovery.c_str());
  int number = 0;
  for (const palorin::forms::KeptPicture& picture : kept) {
    std::tm local{};
    ::localtime_r(&picture.time.tv_sec, &local);
    char when[32];
    std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &local);
    std::string blocks = picture.blocks < 0    ? "cannot be read"
                         : picture.blocks == 1 ? "1 block"
                                               : std::to_string(picture.blocks) + " blocks";
    std::printf("%3d  %s  %-8s  %-14s  %s\n", ++number, when,
                picture.isCopy ? "copy" : "history", blocks.c_str(), picture.path.c_str());
  }
  return std::fflush(stdout) == 0 && !std::ferror(stdout) ? kExitOk : kExitFailure;
}

// The toolkit's messages while it starts. With no display to reach, every
// platform plugin fails: a few lines of warnings, then a fatal message that
// would abort. They are held back, and the fatal one becomes the one line
// and the status the help promises. Once the toolkit is up, what was held is
// passed on as it came.
class StartUpMessages {
 public:
  StartUpMessages() { passOn_ = qInstallMessageHandler(&Hold); }
  ~StartUpMessages() { Release(); }
  StartUpMessages(const StartUpMessages&) = delete;
  StartUpMessages& operator=(const StartUpMessages&) = delete;

  // The toolkit started: later messages go straight on, held ones follow.
  void Release() {
    if (passOn_ == nullptr) return;
    qInstallMessageHandler(passOn_);
    std::vector<Held> held;
    {
      const std::lock_guard lock(mutex_);
      held.swap(held_);
    }
    for (const Held& message : held) {
      const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
      passOn_(message.type, context, message.text);
    }
    passOn_ = nullptr;
  }

 private:
  struct Held {
    QtMsgType type;
    QByteArray category;
    QString text;
  };

  static void Hold(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
      const char* display = std::getenv("DISPLAY");
      if (display != nullptr && *display != '\0') {
        std::fprintf(stderr, "palorin: no display could be opened (DISPLAY=%s)\n", display);
      } else {
        std::fprintf(stderr, "palorin: no display could be opened (DISPLAY is not set)\n");
      }
      std::_Exit(kExitFailure);
    }
    const std::lock_guard lock(mutex_);
    held_.push_back({type, QByteArray(context.category), text});
  }

  static inline QtMessageHandler passOn_ = nullptr;
  static inline std::mutex mutex_;
  static inline std::vector<Held> held_;
};

// The start-up benchmark's hook (bench/startup_bench.cpp): with
// PALORIN_EXIT_WHEN_SHOWN=1 in the environment the program ends, status 0,
// as soon as the main window is first exposed and its first frame drawn, so
// that the benchmark times exactly the start-up. It ends without tearing down, as the bare
// window it is compared with does.
class ExitWhenShown : public QObject {
 public:
  explicit ExitWhenShown(const QWidget& window) : window_(window) {}

  static bool Asked() {
    const char* value = std::getenv("PALORIN_EXIT_WHEN_SHOWN");
    return value != nullptr && std::strcmp(value, "1") == 0;
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && watched == window_.windowHandle() &&
        window_.windowHandle()->isExposed()) {
      // Ends once the expose has been handled, so that the first frame is
      // drawn, and only once.
      QApplication::instance()->removeEventFilter(this);
      QTimer::singleShot(0, [] {
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(kExitOk);
      });
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  const QWidget& window_;
};

}  // namespace

int main(int argc, char* argv[]) {
  switch (EarlyOption(argc, argv)) {
    case Early::kHelp:
      std::fputs(kHelp, stdout);
      PrintKeys();
      return kExitOk;
    case Early::kVersion:
      std::printf("palorin %s\n", PALORIN_VERSION);
      return kExitOk;
    case Early::kRun:
      break;
  }
  if (const std::string error = UsageError(argc, argv); !error.empty()) {
    std::fprintf(stderr, "palorin: %s\nTry 'palorin --help'.\n", error.c_str());
    return kExitUsage;
  }
  if (ListOnly(argc, argv)) return ListKept();
  // The last resort: every handler's failure reaches the error box through
  // the dispatch, so only a failure outside any handler (start-up, say)
  // arrives here; it ends the program with a message instead of an abort.
  try {
    StartUpMessages startUp;
    QApplication app(argc, argv);
    startUp.Release();
    QString bad;
    Restore restore;
    QStringList files = FileArguments(QApplication::arguments(), bad, restore);
    if (!bad.isEmpty()) {
      std::fprintf(stderr, "palorin: unknown option '%s'\nTry 'palorin --help'.\n",
                   bad.toLocal8Bit().constData());
      return kExitUsage;
    }
    if (restore.asked && !files.isEmpty()) {
      std::fputs(
          "palorin: --restore opens the recovery copy, not a FILE\n"
          "Try 'palorin --help'.\n",
          stderr);
      return kExitUsage;
    }
    // The kept picture opens as a FILE named on the command line would; one
    // that cannot be read is set aside and the error box says so.
    std::optional<std::string> restoreError;
    if (restore.asked) {
      const std::string recovery = palorin::forms::RecoveryPath();
      if (recovery.empty()) {
        std::fputs("palorin: no home folder to find the recovery copy in\n", stderr);
        return kExitFailure;
      }
      const palorin::forms::RestoreChoice choice =
          palorin::forms::ChooseRestore(recovery, restore.number);
      if (choice.file) files.append(QString::fromStdString(*choice.file));
      restoreError = choice.error;
    }
    palorin::ui::UseFormLook();
    QApplication::setWindowIcon(palorin::ui::WindowIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.palorin.Palorin"));

    palorin::ui::QtPrompts prompts;
    palorin::ui::Editor editor(prompts);
    std::optional<ExitWhenShown> exitWhenShown;
    if (ExitWhenShown::Asked()) {
      exitWhenShown.emplace(editor.Window1());
      QApplication::instance()->installEventFilter(&*exitWhenShown);
    }
    editor.Show();
    // The files load once the main window is up, so that an error box
    // appears over it.
    if (restoreError) {
      QTimer::singleShot(0, [&prompts, text = *restoreError] {
        prompts.ShowError(palorin::ui::Editor::ErrorTitle(),
                          QString::fromStdString(palorin::forms::ErrorBoxText(text)), nullptr);
      });
    }
    if (!files.isEmpty()) QTimer::singleShot(0, [&editor, files] { editor.OpenFiles(files); });
    return QApplication::exec();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "palorin: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "palorin: unexpected failure\n");
  }
  return kExitFailure;
}
