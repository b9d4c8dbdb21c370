#pragma once
// A fixture that gives every test its own temporary folder and points the
// per-user folders (settings, data, home) into it, so tests never touch the
// real user's files and never see each other's.

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Every file and folder under `folder`, hidden ones too, relative to it and
// sorted: what a run left behind.
QStringList FolderTree(const QString& folder);
// The processes that have this one as their parent (zombies included), as
// "pid (name)", in pid order.
QStringList ChildProcesses();
inline int ChildProcessCount() {
    return static_cast<int>(ChildProcesses().size());
}

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
