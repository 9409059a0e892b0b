#pragma once

// Helpers shared by the patch tests: byte images and the refusal check.

#include <QTest>

#include <random>
#include <vector>

#include "patch/patch_format.h"

namespace velmora::patch::test {

using Bytes = std::vector<uint8_t>;

inline Bytes text(const char *s) { return Bytes(s, s + std::strlen(s)); }

inline QByteArray bytesOf(const Bytes &b)
{
    return QByteArray(reinterpret_cast<const char *>(b.data()), static_cast<qsizetype>(b.size()));
}

inline Bytes bytesOf(const QByteArray &b) { return Bytes(b.begin(), b.end()); }

// Mostly zeros with random bytes between, like a font area.
inline Bytes randomImage(unsigned seed, size_t length)
{
    std::mt19937 rng(seed);
    Bytes bytes(length);
    for (auto &b : bytes)
        b = static_cast<uint8_t>(rng() % 4 == 0 ? rng() : 0);
    return bytes;
}

// Changes count bytes from offset (clipped to the end), each to its complement.
inline Bytes changed(Bytes bytes, size_t offset, size_t count)
{
    for (size_t i = offset; i < offset + count && i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(~bytes[i]);
    return bytes;
}

// Fails the test unless apply() throws a PatchError whose text contains message.
template <typename Apply> void expectRefusal(Apply apply, const QString &message)
{
    try {
        apply();
        QFAIL("applied");
    } catch (const PatchError &error) {
        QVERIFY2(QString::fromUtf8(error.what()).contains(message), error.what());
    }
}

} // namespace velmora::patch::test

Q_DECLARE_METATYPE(velmora::patch::test::Bytes)
