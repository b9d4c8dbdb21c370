#pragma once
// A fixture that gives every test its own temporary folder and points the
// per-user folders (settings, data, home) into it, so tests never touch the
// real user's files and never see each other's.

#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>

class TempDirTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    QString Path(const QString& relative = QString()) const;
    // Writes `bytes` to a file under the temporary folder; returns its path.
    QString WriteFile(const QString& relative, const QByteArray& bytes) const;
    static QByteArray ReadFile(const QString& path);

    QTemporaryDir dir_;

  private:
    QByteArray savedHome_, savedConfig_, savedData_;
};
