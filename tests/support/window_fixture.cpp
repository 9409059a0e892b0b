#include "support/window_fixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTimer>

namespace velmora::test {

struct MessageBoxWatcher::Impl {
    QTimer timer;
    QList<Seen> seen;
};

MessageBoxWatcher::MessageBoxWatcher() : impl_(std::make_unique<Impl>())
{
    impl_->timer.setInterval(5);
    QObject::connect(&impl_->timer, &QTimer::timeout, [impl = impl_.get()] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(w);
            if (box && box->isVisible()) {
                impl->seen.append({box->windowTitle(), box->text(), box->icon() == QMessageBox::Critical});
                box->done(QMessageBox::Ok);
            }
        }
    });
    impl_->timer.start();
}

MessageBoxWatcher::~MessageBoxWatcher() = default;
QList<MessageBoxWatcher::Seen> MessageBoxWatcher::seen() const { return impl_->seen; }
void MessageBoxWatcher::clear() { impl_->seen.clear(); }

Window::Window()
{
    previousDirectory = QDir::currentPath();
    writeFile(dir.filePath(QStringLiteral("velmora.ini")), QByteArray());
    QDir::setCurrent(dir.path());
    form = std::make_unique<TForm1>();
    form->show();
}

Window::~Window()
{
    form.reset();
    QDir::setCurrent(previousDirectory);
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write test file %s", qPrintable(path));
    return path;
}

} // namespace velmora::test
