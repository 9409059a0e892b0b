#include <QLineEdit>
#include <QSet>
#include <QTest>

#include "support/window_fixture.h"
#include "views/refresh.h"

using namespace velmora;

namespace {

// Records the names of the widgets painted while it is alive.
struct PaintRecorder : QObject {
    QSet<QString> painted;
    PaintRecorder() { qApp->installEventFilter(this); }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !watched->objectName().isEmpty())
            painted.insert(watched->objectName());
        return false;
    }
};

} // namespace

// A refresh paints what changed before it returns, so that the result is on
// the screen before the next input is handled.
class RefreshTest : public QObject {
    Q_OBJECT
private slots:
    void refreshPaintsWhatChangedBeforeReturning()
    {
        test::Window w;
        w.state().image.replace(test::patternBytes(100000));
        readAtOffset(w.editor());
        QCoreApplication::processEvents();

        PaintRecorder newPage;
        w.state().viewOffset = w.state().glyphOffset = 0x1001; // its width byte differs from the first one
        readAtOffset(w.editor());
        for (const char *name : {"ByteNo", "MemImg", "Img", "MaskEdit1", "Adrs", "ImgReel", "RCW"})
            QVERIFY2(newPage.painted.contains(QLatin1String(name)), name);
        QCOMPARE(w.find<QLineEdit>("MaskEdit1")->text(), QStringLiteral("00001001"));

        PaintRecorder sameOffsets;
        w.state().glyph.at(3, 3) ^= 1;
        redrawAll(w.editor());
        for (const char *name : {"MemImg", "Img", "ImgReel"})
            QVERIFY2(sameOffsets.painted.contains(QLatin1String(name)), name);
    }
};

QTEST_MAIN(RefreshTest)
#include "test_refresh.moc"
