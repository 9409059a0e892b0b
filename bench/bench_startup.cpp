// Times start-up as a whole process: from spawning the program to its main
// window's first paint, offscreen. The parent starts itself again with
// "--child" in a directory holding an empty settings file; the child starts up
// as the editor does and reports on its pipe once the window has painted.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

#include "app/error_box.h"
#include "app/main_window.h"
#include "bench_support.h"

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

// Sees the first paint of any widget of the window, then reports once the
// paint pass it belongs to has finished.
class FirstPaint : public QObject {
public:
    explicit FirstPaint(QWidget *window) : window_(window) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!reported_ && event->type() == QEvent::Paint && watched->isWidgetType()
            && static_cast<QWidget *>(watched)->window() == window_) {
            reported_ = true;
            QTimer::singleShot(0, [] {
                std::fputs("painted\n", stdout);
                std::fflush(stdout);
                QApplication::quit();
            });
        }
        return false;
    }

private:
    QWidget *window_;
    bool reported_ = false;
};

int child(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(velmora::applicationTitle));
    velmora::TForm1 window;
    FirstPaint watcher(&window);
    app.installEventFilter(&watcher);
    window.show();
    return QApplication::exec();
}

// Milliseconds from spawning the child to its report.
double oneStart(const char *self)
{
    int out[2];
    if (pipe(out) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char childFlag[] = "--child";
    char *args[] = {const_cast<char *>(self), childFlag, nullptr};
    pid_t pid = 0;
    const auto start = Clock::now();
    const int failed = posix_spawn(&pid, self, &actions, nullptr, args, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    char buffer[16] = {};
    const ssize_t n = failed ? -1 : read(out[0], buffer, sizeof buffer - 1);
    const auto end = Clock::now();
    close(out[0]);
    int status = 0;
    if (!failed)
        waitpid(pid, &status, 0);
    if (n <= 0 || std::strncmp(buffer, "painted", 7) != 0)
        return -1;
    return std::chrono::duration<double, std::milli>(end - start).count();
}

} // namespace

int main(int argc, char **argv)
{
    velmora::bench::useOffscreenPlatform();
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0)
        return child(argc, argv);

    const std::string self = QFileInfo(QString::fromLocal8Bit(argv[0])).absoluteFilePath().toStdString();
    const velmora::bench::SettingsFolder dir;
    if (!dir.ready())
        return 1;

    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    std::vector<double> times;
    oneStart(self.c_str()); // warms the page cache
    for (int i = 0; i < runs; ++i) {
        const double ms = oneStart(self.c_str());
        if (ms < 0) {
            std::fprintf(stderr, "the child did not report a painted window\n");
            return 1;
        }
        times.push_back(ms);
    }
    std::printf("%-46s median %8.2f ms   p90 %8.2f ms   (%d runs)\n", "start-up to the first painted window",
                velmora::bench::percentile(times, 0.5), velmora::bench::percentile(times, 0.9), runs);
    return 0;
}
