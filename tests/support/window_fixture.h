#pragma once
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <vector>

#include "app/main_window.h"

namespace velmora::test {

// Closes every modal message box as soon as it appears and records it.
class MessageBoxWatcher {
public:
    MessageBoxWatcher();
    ~MessageBoxWatcher();
    struct Seen { QString title; QString text; bool critical; };
    QList<Seen> seen() const;
    void clear();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// A shown main window started in a temporary working directory holding an
// empty settings file, so start-up reports nothing.
struct Window {
    Window();
    ~Window();
    QTemporaryDir dir;
    QString previousDirectory;
    std::unique_ptr<TForm1> form;
    Editor &editor() { return form->editor(); }
    EditorState &state() { return form->editor().state; }
    template <typename T> T *find(const QString &name) const { return form->findChild<T *>(name); }
};

// length bytes of a fixed pattern in which neighbouring bytes differ (byte i is i * 53 + 7).
std::vector<uint8_t> patternBytes(size_t length);

// Writes bytes to a file; returns its path.
QString writeFile(const QString &path, const QByteArray &bytes);

// Answers every file dialog with path (an empty path cancels), then triggers the action named action.
void runWithFile(Window &w, const char *action, const QString &path);

// A left click on the push button named name.
void clickButton(Window &w, const char *name);
// Types text into an emptied address field and presses Enter, as a user would.
void typeAddress(Window &w, const char *field, const QString &text);
// The character at G as a re-read shows it: decoded, width row recomputed.
GlyphMatrix storedGlyph(const EditorState &state);

} // namespace velmora::test
