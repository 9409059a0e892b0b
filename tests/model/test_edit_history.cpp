#include <QTest>

#include <random>
#include <vector>

#include "model/edit_history.h"
#include "model/glyph_codec.h"

using namespace velmora;

namespace {

std::vector<uint8_t> randomBytes(std::mt19937 &rng, size_t length)
{
    std::vector<uint8_t> bytes(length);
    for (auto &b : bytes)
        b = static_cast<uint8_t>(rng() & (rng() & 1 ? 0x03 : 0xFF)); // small values make equal bytes common
    return bytes;
}

EditorState stateWith(std::vector<uint8_t> image)
{
    EditorState s;
    resetEditorState(s);
    s.image.replace(std::move(image));
    s.glyph = rereadGlyph(s);
    return s;
}

// One action of a few random writes, some inside the image, some across either end.
void randomAction(std::mt19937 &rng, EditorState &s, EditHistory &history)
{
    history.begin(s, "Write");
    const int64_t length = s.imageLength();
    for (int n = 1 + static_cast<int>(rng() % 4); n > 0; --n) {
        const int64_t offset = static_cast<int64_t>(rng() % static_cast<uint32_t>(length + 200)) - 100;
        s.image.writeBytes(offset, randomBytes(rng, rng() % 300));
    }
    s.glyph = rereadGlyph(s); // what the refresh after a write shows
    history.end(s);
}

// One action writing bytes at offset, followed by the re-read a window does.
void writeStep(EditorState &s, EditHistory &history, int64_t offset, const std::vector<uint8_t> &bytes)
{
    history.begin(s, "Write");
    s.image.writeBytes(offset, bytes);
    s.glyph = rereadGlyph(s);
    history.end(s);
}

} // namespace

class EditHistoryTest : public QObject {
    Q_OBJECT
private slots:
    void randomWritesUndoneAndRedoneExactly_data()
    {
        QTest::addColumn<unsigned>("seed");
        for (unsigned seed : {1u, 2u, 3u, 17u, 99u, 1234u, 40000u, 777777u})
            QTest::addRow("seed %u", seed) << seed;
    }
    void randomWritesUndoneAndRedoneExactly()
    {
        QFETCH(unsigned, seed);
        std::mt19937 rng(seed);
        EditorState s = stateWith(randomBytes(rng, 1 + rng() % 4000));
        EditHistory history;
        std::vector<std::vector<uint8_t>> images{s.image.bytes()};
        for (int i = 0; i < 40; ++i) {
            const size_t before = history.count();
            randomAction(rng, s, history);
            if (history.count() > before)
                images.push_back(s.image.bytes());
            else
                QCOMPARE(s.image.bytes(), images.back()); // no step: nothing changed
        }
        QCOMPARE(history.count(), images.size() - 1);
        for (size_t i = images.size() - 1; i-- > 0;) {
            QVERIFY(history.undo(s));
            QCOMPARE(s.image.bytes(), images[i]);
        }
        QVERIFY(!history.undo(s));
        for (size_t i = 1; i < images.size(); ++i) {
            QVERIFY(history.redo(s));
            QCOMPARE(s.image.bytes(), images[i]);
        }
        QVERIFY(!history.redo(s));
    }

    // Overlapping writes in one action keep the first old byte and the last new one.
    void recordedSizeIsTheBytesChanged_data()
    {
        QTest::addColumn<unsigned>("seed");
        for (unsigned seed : {5u, 6u, 7u, 8u, 31337u})
            QTest::addRow("seed %u", seed) << seed;
    }
    void recordedSizeIsTheBytesChanged()
    {
        QFETCH(unsigned, seed);
        std::mt19937 rng(seed);
        EditorState s = stateWith(randomBytes(rng, 3000));
        const std::vector<uint8_t> original = s.image.bytes();
        EditHistory history;
        history.begin(s, "Draw");
        for (int n = 0; n < 30; ++n)
            s.image.writeBytes(static_cast<int64_t>(rng() % 3100) - 50, randomBytes(rng, rng() % 200));
        s.glyph = rereadGlyph(s);
        const bool added = history.end(s);
        size_t changed = 0;
        for (size_t i = 0; i < original.size(); ++i)
            changed += original[i] != s.image.bytes()[i];
        QCOMPARE(added, changed > 0);
        if (!added)
            return;
        QCOMPARE(history.step(0).bytes.changedBytes(), changed);
        QCOMPARE(history.step(0).recordedBytes(), 2 * changed);
        QCOMPARE(history.recordedBytes(), 2 * changed);
        history.undo(s);
        QCOMPARE(s.image.bytes(), original);
    }

    void actionsThatChangeNothingRecordNothing()
    {
        EditorState s = stateWith(std::vector<uint8_t>(100, 7));
        EditHistory history;
        history.begin(s, "Write");
        s.image.writeBytes(10, std::vector<uint8_t>(20, 7)); // the same bytes
        s.image.writeBytes(100, std::vector<uint8_t>(5, 1)); // past the end
        s.image.writeBytes(-5, std::vector<uint8_t>(5, 1));  // before the start
        s.image.writeBytes(3, std::vector<uint8_t>{9});
        s.image.writeBytes(3, std::vector<uint8_t>{7}); // and back
        QVERIFY(!history.end(s));
        QCOMPARE(history.count(), size_t{0});
        QCOMPARE(history.recordedBytes(), size_t{0});
        QVERIFY(!s.image.recording());
    }

    // A matrix edit in place is a step; the same change by a re-read elsewhere is not.
    void glyphOnlyStepsNeedTheSamePlace()
    {
        EditorState s = stateWith(std::vector<uint8_t>(2112, 0));
        EditHistory history;
        const GlyphMatrix before = s.glyph;
        history.begin(s, "Draw");
        s.glyph.at(3, 4) = 1;
        QVERIFY(history.end(s));
        const GlyphMatrix after = s.glyph;

        history.begin(s, "Read");
        s.glyphOffset += 13;
        s.glyph.at(5, 5) = 1;
        QVERIFY(!history.end(s));

        QVERIFY(history.undo(s));
        QCOMPARE(s.glyphOffset, 0);
        QVERIFY(s.glyph == before);
        QVERIFY(history.redo(s));
        QVERIFY(s.glyph == after);
        QCOMPARE(s.image.bytes(), std::vector<uint8_t>(2112, 0));
    }

    // Undo and redo bring back the place and format of the step first, and
    // an unwritten matrix the action replaced.
    void stepsRestoreTheirContextAndUnwrittenGlyph()
    {
        EditorState s = stateWith(std::vector<uint8_t>(4096, 0));
        s.charWidth = 16;
        s.charHeight = 12;
        s.viewOffset = 800;
        s.glyphOffset = 850;
        s.setFlag(Flag::SwapBytes, true);
        s.glyph = rereadGlyph(s);
        s.glyph.at(9, 3) = 1; // an unwritten edit
        const GlyphMatrix unwritten = s.glyph;
        const EditContext made = contextOf(s);
        EditHistory history;
        history.begin(s, "Merge");
        s.image.writeBytes(800, std::vector<uint8_t>(300, 0x5A));
        s.glyphOffset = s.viewOffset;
        s.glyph = rereadGlyph(s);
        QVERIFY(history.end(s));

        s.charWidth = 8;
        s.charHeight = 9;
        s.viewOffset = s.glyphOffset = 0;
        s.flags = {};
        QVERIFY(history.undo(s));
        QVERIFY(contextOf(s) == made);
        QVERIFY(s.glyph == unwritten);
        QCOMPARE(s.image.at(900), uint8_t{0});

        s.viewOffset = s.glyphOffset = 0;
        QVERIFY(history.redo(s));
        QVERIFY(contextOf(s) == made);
        QVERIFY(s.glyph == rereadGlyph(s));
        QCOMPARE(s.image.at(900), uint8_t{0x5A});
    }

    void newStepDiscardsTheRedoSteps()
    {
        EditorState s = stateWith(std::vector<uint8_t>(64, 0));
        EditHistory history;
        for (uint8_t v : {1, 2, 3})
            writeStep(s, history, v, {v});
        history.undo(s);
        history.undo(s);
        QVERIFY(history.canRedo());
        writeStep(s, history, 40, {4});
        QCOMPARE(history.count(), size_t{2});
        QVERIFY(!history.canRedo());
        QCOMPARE(history.recordedBytes(), size_t{4});
        history.undo(s);
        history.undo(s);
        QCOMPARE(s.image.bytes(), std::vector<uint8_t>(64, 0));
    }

    void limitDropsTheOldestSteps()
    {
        EditorState s = stateWith(std::vector<uint8_t>(1000, 0));
        EditHistory history(100);
        const uint64_t generation = history.generation();
        for (int k = 0; k < 4; ++k) // 40 recorded bytes each
            writeStep(s, history, 100 * k, std::vector<uint8_t>(20, 0xEE));
        QCOMPARE(history.count(), size_t{2});
        QCOMPARE(history.recordedBytes(), size_t{80});
        QVERIFY(history.generation() != generation);
        while (history.undo(s)) {
        }
        QCOMPARE(s.image.at(100), uint8_t{0xEE}); // the dropped steps stay done
        QCOMPARE(s.image.at(200), uint8_t{0});
        QCOMPARE(s.image.at(300), uint8_t{0});

        writeStep(s, history, 400, std::vector<uint8_t>(60, 1)); // above the limit alone: not kept either
        QCOMPARE(history.count(), size_t{0});
        QCOMPARE(history.recordedBytes(), size_t{0});
    }
};

QTEST_APPLESS_MAIN(EditHistoryTest)
#include "test_edit_history.moc"
