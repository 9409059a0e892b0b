#include "support/window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

#include "model/char_width.h"
#include "model/glyph_codec.h"
#include "views/hex_entry.h"

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
    // Unsaved changes of test windows are kept in a test folder, never in the user's.
    QStandardPaths::setTestModeEnabled(true);
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

std::vector<uint8_t> patternBytes(size_t length)
{
    std::vector<uint8_t> bytes(length);
    for (size_t i = 0; i < length; ++i)
        bytes[i] = static_cast<uint8_t>(i * 53 + 7);
    return bytes;
}

QString writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write test file %s", qPrintable(path));
    return path;
}

void runWithFile(Window &w, const char *action, const QString &path)
{
    w.editor().runDialog = [path](QFileDialog &dialog) {
        if (path.isEmpty())
            return false;
        dialog.selectFile(path);
        return true;
    };
    auto *item = w.form->findChild<QAction *>(QString::fromUtf8(action));
    if (!item)
        qFatal("no action %s", action);
    item->trigger();
}

void clickButton(Window &w, const char *name)
{
    auto *button = w.find<QPushButton>(QString::fromUtf8(name));
    if (!button)
        qFatal("no button %s", name);
    QTest::mouseClick(button, Qt::LeftButton);
}

void typeAddress(Window &w, const char *field, const QString &text)
{
    auto *entry = w.find<HexEntry>(QString::fromUtf8(field));
    if (!entry)
        qFatal("no field %s", field);
    entry->clear();
    entry->setCursorPosition(0);
    QTest::keyClicks(entry, text);
    QTest::keyClick(entry, Qt::Key_Return);
}

GlyphMatrix storedGlyph(const EditorState &state)
{
    EditorState copy = state;
    decodeChar(copy);
    applyComputedWidth(copy);
    return copy.glyph;
}

} // namespace velmora::test
