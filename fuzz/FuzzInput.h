#pragma once
// Splitting one fuzz input into the several texts and numbers a target
// needs. Pieces are separated by the byte 0x1F (unit separator), which keeps
// seed files readable; every piece is read as UTF-8 (invalid sequences
// become replacement characters, as they would from a page decoder).

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

class FuzzInput {
  public:
    static constexpr char kSeparator = '\x1F';

    FuzzInput(const uint8_t* data, size_t size)
        : bytes_(QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size))) {
    }

    bool AtEnd() const { return pos_ >= bytes_.size(); }

    // The bytes up to the next separator (or the end).
    QByteArray NextBytes() {
        if (AtEnd())
            return QByteArray();
        qsizetype end = bytes_.indexOf(kSeparator, pos_);
        if (end < 0)
            end = bytes_.size();
        QByteArray piece(bytes_.constData() + pos_, end - pos_); // a deep copy
        pos_ = end + 1;
        return piece;
    }
    QString NextText() { return QString::fromUtf8(NextBytes()); }
    // A small number from the next piece's first byte (0 when empty).
    int NextSmall() {
        const QByteArray piece = NextBytes();
        return piece.isEmpty() ? 0 : static_cast<unsigned char>(piece[0]);
    }
    // Everything not read yet.
    QByteArray Rest() {
        if (AtEnd())
            return QByteArray();
        QByteArray rest(bytes_.constData() + pos_, bytes_.size() - pos_);
        pos_ = bytes_.size();
        return rest;
    }

  private:
    QByteArray bytes_;
    qsizetype pos_ = 0;
};

// An invariant the target checks: a violation aborts so libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, #condition);           \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (0)
