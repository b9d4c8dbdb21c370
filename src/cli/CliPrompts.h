#pragma once
// The command line's answers to the core's questions: notices are printed
// (each text once per run), questions get their safe default.

#include "platform/UserPrompts.h"

#include <QSet>

#include <cstdio>
#include <mutex>

class CliPrompts : public UserPrompts {
  public:
    explicit CliPrompts(FILE* out) : out_(out) {}
    void ShowMessage(const QString& text, Icon icon) override;

  private:
    FILE* out_;
    std::mutex mutex_;
    QSet<QString> shown_;
};
